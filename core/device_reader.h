#pragma once
// Reads a file as the device stores it, not as the system's cache remembers
// it. One implementation per platform (device_reader_posix.cpp, _win32.cpp).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "core/file.h"

namespace tessam {

class DeviceReader {
 public:
  // Opens the file that `held` holds, which `path` names, for uncached reads;
  // none when that cannot be had or `path` no longer leads to it. `held` must
  // outlive the reader and keeps holding the file (on Windows it may end up
  // holding it through a new handle).
  static std::optional<DeviceReader> Open(File& held, const std::u16string& path);

  DeviceReader(DeviceReader&& other) noexcept
      : handle_(std::exchange(other.handle_, kNone)), owned_(other.owned_), alignment_(other.alignment_) {}
  DeviceReader& operator=(DeviceReader&&) = delete;
  DeviceReader(const DeviceReader&) = delete;
  DeviceReader& operator=(const DeviceReader&) = delete;
  ~DeviceReader();

  // Read offsets, sizes and buffer addresses must be multiples of this.
  std::size_t alignment() const { return alignment_; }

  // Reads up to into.size() bytes at `offset`; short only at the end of the
  // file; none on a read error.
  std::optional<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> into);

 private:
  static constexpr std::intptr_t kNone = -1;
  DeviceReader(std::intptr_t handle, bool owned, std::size_t alignment)
      : handle_(handle), owned_(owned), alignment_(alignment) {}

  std::intptr_t handle_;
  bool owned_;  // false: the handle belongs to the File it reads through
  std::size_t alignment_;
};

}  // namespace tessam
