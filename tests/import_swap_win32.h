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
  ImportSwap(Function real, Function standIn) : real_(real), standIn_(standIn) { Swap(real_, standIn_); }
  ~ImportSwap() { Swap(standIn_, real_); }
  ImportSwap(const ImportSwap&) = delete;

 private:
  static void Swap(Function from, Function to) {
    auto* const base = reinterpret_cast<char*>(::GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    const auto slots = std::span(reinterpret_cast<Function*>(base + table.VirtualAddress), table.Size / sizeof from);
    ASSERT_EQ(std::ranges::count(slots, from), 1) << "imported once";
    DWORD protection = 0;
    ::VirtualProtect(slots.data(), table.Size, PAGE_READWRITE, &protection);
    std::ranges::replace(slots, from, to);
    ::VirtualProtect(slots.data(), table.Size, protection, &protection);
  }
  Function real_, standIn_;
};

}  // namespace tessam::test
