#pragma once
// While an ImportSwap lives, this program's calls of an imported function (the code under
// test is linked in, so its calls too) lead to a stand-in through the function's import slot.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <span>

namespace tessam::test {

template <class Function>
class ImportSwap {
 public:
  // `real` taken in a function body: in a static initializer it would be a stub's address.
  ImportSwap(Function real, Function standIn) {
    auto* const base = reinterpret_cast<char*>(::GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    const auto slots = std::span(reinterpret_cast<Function*>(base + table.VirtualAddress), table.Size / sizeof real);
    EXPECT_EQ(std::ranges::count(slots, real), 1) << "imported once";
    if (std::ranges::count(slots, real) != 1) return;
    slot_ = &*std::ranges::find(slots, real);
    saved_ = *slot_;  // kept as read: the compiler may take `real` for a constant and load it anew
    Put(standIn);
  }
  ~ImportSwap() { if (slot_) Put(saved_); }
  ImportSwap(const ImportSwap&) = delete;

 private:
  void Put(Function value) {
    DWORD protection = 0;
    ::VirtualProtect(slot_, sizeof value, PAGE_READWRITE, &protection);
    *slot_ = value;
    ::VirtualProtect(slot_, sizeof value, protection, &protection);
  }
  Function* slot_ = nullptr;
  Function saved_{};
};

}  // namespace tessam::test
