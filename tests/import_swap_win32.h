#pragma once
// While an ImportSwap lives, this program's calls of one imported function lead to a
// stand-in: its import slot holds the stand-in instead. The code under test is linked into
// the test program, so its calls go through the same slot.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <span>

namespace tessam::test {

template <class Function>
class ImportSwap {
 public:
  // `real` must be taken from the import slot, as in a function body, not in a static
  // initializer, where the address of an imported function is that of a stub.
  ImportSwap(Function real, Function standIn) : real_(real), standIn_(standIn) { Swap(real_, standIn_); }
  ~ImportSwap() { Swap(standIn_, real_); }
  ImportSwap(const ImportSwap&) = delete;
  ImportSwap& operator=(const ImportSwap&) = delete;

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
