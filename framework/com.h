#pragma once
// COM on this thread, references to COM objects, and the shell's item lists:
// the holders the shell calls need, apart from the plain Windows handles.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <utility>

#include "framework/handles.h"

namespace fw {

inline void FreePidl(PIDLIST_ABSOLUTE pidl) { ::CoTaskMemFree(pidl); }
using UniquePidl = UniqueHandleOf<PIDLIST_ABSOLUTE, FreePidl>;

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
