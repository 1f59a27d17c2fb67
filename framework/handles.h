#pragma once
// Owning wrappers for the Windows handles the program holds. Each closes its
// handle exactly once, in its destructor; none of them can be copied.
#include <windows.h>

#include <utility>

namespace fw {

// A handle with a release function and a value meaning "none".
template <class Handle, auto Release, auto None = Handle{}>
class UniqueHandleOf {
 public:
  UniqueHandleOf() = default;
  explicit UniqueHandleOf(Handle handle) : handle_(handle) {}
  UniqueHandleOf(UniqueHandleOf&& other) noexcept : handle_(other.release()) {}
  UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandleOf(const UniqueHandleOf&) = delete;
  UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;
  ~UniqueHandleOf() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != None; }
  Handle release() { return std::exchange(handle_, None); }
  void reset(Handle handle = None) {
    if (handle_ != None) Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = None;
};

inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
inline void UnhookHook(HHOOK hook) { ::UnhookWindowsHookEx(hook); }

using UniqueHandle = UniqueHandleOf<HANDLE, CloseKernelHandle>;  // threads, events, files

// CreateFileW says "none" with INVALID_HANDLE_VALUE; the wrapper with null.
inline HANDLE NullIfInvalid(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
using UniqueIcon = UniqueHandleOf<HICON, DestroyIconHandle>;
using UniqueHook = UniqueHandleOf<HHOOK, UnhookHook>;

}  // namespace fw
