#pragma once
// Runs kernel32's `function` (one argument at most) in another process, where it lies at the same address: its result.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/handles.h"

namespace tessam::test {

inline DWORD RunIn(HANDLE process, const char* function, UINT_PTR argument = 0) {
  const auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), function)));
  const fw::UniqueHandle thread(
      ::CreateRemoteThread(process, nullptr, 0, start, reinterpret_cast<void*>(argument), 0, nullptr));
  DWORD result = 0xDEAD;
  EXPECT_TRUE(thread && ::WaitForSingleObject(thread.get(), 10000) == WAIT_OBJECT_0 &&
              ::GetExitCodeThread(thread.get(), &result));
  return result;
}

}  // namespace tessam::test
