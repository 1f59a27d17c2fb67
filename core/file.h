#pragma once
// The file layer: the only code that knows which platform it runs on
// (file_win32.cpp, file_posix.cpp, chosen by CMake). Exclusive means: while this program holds a File, no other open of the file
// for reading, writing or deleting succeeds: share modes on Windows, an
// flock(LOCK_EX) that every File takes on POSIX (also against this process).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace tessam {

// Which file a path leads to, whatever the spelling: relative, "..", doubled
// separators, symbolic or hard links. Volume and file number; where the file
// system numbers no file (some network shares answer 0), the final path, case
// folded, which still sees through spellings and links.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::u16string finalPath;  // only where index is 0
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Why a file operation failed, as far as the system tells.
enum class FileError {
  kNone,
  kNotFound,        // the file, or a folder on its path, does not exist
  kAccessDenied,
  kFolder,
  kNotRegularFile,  // a device, a pipe
  kNameTooLong,
  kBadName,         // the path cannot be spelled as a file name here
  kHeld,            // another open holds the file
  kSameFile,        // the path leads to a file that must not be overwritten
  kReadOnlyDevice,
  kNoSpace,
  kTooLarge,        // a file size limit
  kDeviceError,
  kVanished,        // the path no longer leads to the file that was written
  kOther,
};

// A few words naming the cause, e.g. "permission denied".
const char* Describe(FileError error);

// True when a file or a folder exists at `path`.
bool PathExists(const std::u16string& path);

// The identity of what `path` names, asked without read or write access (so
// also while another File holds it); none if it cannot be had.
std::optional<FileIdentity> IdentityOfPath(const std::u16string& path);

// Where a file that is to take the place of what a path leads to belongs: the
// file itself (through symbolic links their target, so a link stays a link),
// and its folder as a prefix for a name beside it ("" for the current folder).
struct Destination {
  std::u16string path;
  std::u16string folder;
};

// None, with the cause, when what is there may not be replaced: not a regular
// file, or one this user may not write. Nothing there is fine.
std::optional<Destination> FindDestination(const std::u16string& path, FileError& why);

// Makes the folder entry of what `path` leads to durable, as a new file needs.
bool FlushFolderEntry(const std::u16string& path);

// An open, exclusively held file. Move-only; closing releases the hold.
class File {
 public:
  // An existing regular file, for reading; `why` (if given) learns a failure's cause.
  static std::optional<File> OpenForReading(const std::u16string& path, FileError* why = nullptr);

  // A regular file for writing, created if absent (`onlyNew`: only then, and
  // not through a symbolic link), also readable past the system's cache
  // without a second open that another program could race. Never truncates:
  // the caller checks Identity first. created() tells whether this open made
  // the file; one it made but could not take hold of is removed again.
  static std::optional<File> OpenForWriting(const std::u16string& path, FileError* why = nullptr,
                                            bool onlyNew = false);

  File(File&& other) noexcept { *this = std::move(other); }
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, kInvalid);
      uncached_ = std::exchange(other.uncached_, kInvalid);
      identity_ = other.identity_;
      created_ = other.created_;
      error_ = other.error_;
    }
    return *this;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  std::optional<std::uint64_t> Size() const;
  // Taken when the file was opened; an open file keeps its identity.
  std::optional<FileIdentity> Identity() const { return identity_; }

  // Reads up to into.size() bytes at `offset`: the count (0 at the end), or none.
  std::optional<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> into);

  // For a file opened for writing: ReadAt from the device, not the cache.
  // `offset`, into.size() and into.data() are multiples of kUncachedAlignment.
  static constexpr std::size_t kUncachedAlignment = std::size_t{64} << 10;  // a multiple of every sector size
  std::optional<std::size_t> ReadUncachedAt(std::uint64_t offset, std::span<std::uint8_t> into);

  // Cuts the file to length 0; the next Write starts at offset 0.
  bool Truncate();

  // Appends all of `bytes` at the current position, or fails.
  bool Write(std::span<const std::uint8_t> bytes);

  // Returns once every written byte has reached the device.
  bool Flush();

  // Removes the entry `path` leads to while this File holds it, only if that
  // entry is this very file (through a symbolic link, the target's); on
  // Windows when the handles close. A failure is not an error: the file is cut.
  void RemoveWhileHeld(const std::u16string& path);

  // Marked, the file goes when its handles close, however the process ends
  // (End task, a closed console, a crash). Windows only: a POSIX system
  // removes files only by name, so there a killed process leaves the file.
  bool MarkForRemoval(bool remove);

  // Puts this file, opened at `from`, in place of `to` in the same folder, in
  // one step. On Windows through the handle, which stays open, so no other
  // program gets a moment to open the file in between.
  bool MoveOver(const std::u16string& from, const std::u16string& to);

  bool created() const { return created_; }
  // The cause of the last failed call.
  FileError lastError() const { return error_; }

  // Releases the handles and the hold; harmless when already closed.
  void Close();

 private:
  using NativeHandle = std::intptr_t;  // a descriptor or a HANDLE
  static constexpr NativeHandle kInvalid = -1;

  File(NativeHandle handle, FileIdentity identity, bool created)
      : handle_(handle), identity_(identity), created_(created) {}
  bool Fail(FileError error) const {
    error_ = error;
    return false;
  }

  NativeHandle handle_ = kInvalid;
  // The uncached reader of a file opened for writing; on POSIX opened at its first use.
  NativeHandle uncached_ = kInvalid;
  FileIdentity identity_;
  bool created_ = false;
  mutable FileError error_ = FileError::kNone;  // const queries record their cause too
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
