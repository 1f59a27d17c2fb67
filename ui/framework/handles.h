#pragma once
// Owning wrappers for the Windows handles the program holds. Each closes its
// handle exactly once, in its destructor; none of them can be copied.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

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
inline void FreePidl(PIDLIST_ABSOLUTE pidl) { ::CoTaskMemFree(pidl); }
inline void UnhookHook(HHOOK hook) { ::UnhookWindowsHookEx(hook); }

using UniqueHandle = UniqueHandleOf<HANDLE, CloseKernelHandle>;  // threads, events, files

// CreateFileW says "none" with INVALID_HANDLE_VALUE; the wrapper with null.
inline HANDLE NullIfInvalid(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
using UniqueIcon = UniqueHandleOf<HICON, DestroyIconHandle>;
using UniquePidl = UniqueHandleOf<PIDLIST_ABSOLUTE, FreePidl>;
using UniqueHook = UniqueHandleOf<HHOOK, UnhookHook>;

// Owns one reference to a COM object.
template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    reset();
    object_ = std::exchange(other.object_, nullptr);
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  Interface* operator->() const { return object_; }
  Interface* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // For functions that hand out a new reference through an out parameter.
  Interface** put() {
    reset();
    return &object_;
  }
  void reset() {
    if (object_) std::exchange(object_, nullptr)->Release();
  }

 private:
  Interface* object_ = nullptr;
};

// COM initialised on the current thread for this object's lifetime
// (single-threaded apartment, which the shell's boxes need).
class ComApartment {
 public:
  ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  // S_FALSE (already initialised here) still has to be balanced.
  ~ComApartment() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  bool ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace fw
