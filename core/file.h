#pragma once
// The file layer: the only code that knows which platform it runs on. One
// implementation per platform (file_win32.cpp, file_posix.cpp), chosen by CMake.
//
// Exclusive means: while this program holds a File, no other open of the same
// file succeeds. Windows gives that with share mode 0; POSIX has only advisory
// locks, so there it is an flock(LOCK_EX) that every File takes, which also
// makes a second File on the same file in this process fail.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace tessam {

// Which file a path leads to, whatever the spelling: relative, "..", doubled
// separators, symbolic or hard links. Volume plus file number.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// True when a file or a folder exists at `path`.
bool PathExists(const std::u16string& path);

// The identity of what `path` names, without opening it for reading or
// writing (so it works while another File holds it); none if it cannot be had.
std::optional<FileIdentity> IdentityOfPath(const std::u16string& path);

// Deletes the file at `path`; false if it could not be removed.
bool RemoveFile(const std::u16string& path);

// An open, exclusively held file. Move-only; closing releases the hold.
class File {
 public:
  // An existing regular file, for reading. Fails for folders, missing files and
  // files another open holds.
  static std::optional<File> OpenForReading(const std::u16string& path);

  // A file for writing, created if absent. Never truncates: the caller checks
  // what it got (Identity) before it calls Truncate.
  static std::optional<File> OpenForWriting(const std::u16string& path);

  File(File&& other) noexcept : handle_(std::exchange(other.handle_, kInvalid)) {}
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, kInvalid);
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  std::optional<std::uint64_t> Size() const;
  std::optional<FileIdentity> Identity() const;

  // Reads up to into.size() bytes at `offset`; the count read (0 at the end of
  // the file), or none on a read error.
  std::optional<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> into);

  // Cuts the file to length 0; the next Write starts at offset 0.
  bool Truncate();

  // Appends all of `bytes` at the current position, or fails. May already start
  // moving them to the device, so that the final Flush has little left to do.
  bool Write(std::span<const std::uint8_t> bytes);

  // Returns once every written byte has reached the device.
  bool Flush();

  // Releases the handle and the hold; harmless when already closed.
  void Close();

  // For the device read-back (device_reader_*.cpp), which works on the same
  // file beside this layer: the descriptor or HANDLE, still owned by this File;
  // and a File taking ownership of one opened there.
  std::intptr_t native() const { return handle_; }
  static File Adopt(std::intptr_t handle) { return File(handle); }

 private:
  using NativeHandle = std::intptr_t;  // a descriptor or a HANDLE
  static constexpr NativeHandle kInvalid = -1;

  explicit File(NativeHandle handle) : handle_(handle) {}

  NativeHandle handle_ = kInvalid;
};

// Fills `into` from `offset`; false on a read error or an early end of file.
inline bool ReadExactlyAt(File& file, std::uint64_t offset, std::span<std::uint8_t> into) {
  while (!into.empty()) {
    const auto got = file.ReadAt(offset, into);
    if (!got || *got == 0) return false;
    offset += *got;
    into = into.subspan(*got);
  }
  return true;
}

}  // namespace tessam
