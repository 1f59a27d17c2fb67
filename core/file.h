#pragma once
// The file layer: the only code that knows which platform it runs on. One
// implementation per platform (file_win32.cpp, file_posix.cpp), chosen by CMake.
//
// Exclusive means: while this program holds a File, no other open of the same
// file for reading, writing or deleting succeeds. Windows gives that with share
// modes; POSIX has only advisory locks, so there it is an flock(LOCK_EX) that
// every File takes, which also makes a second File on the same file in this
// process fail.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace tessam {

// Which file a path leads to, whatever the spelling: relative, "..", doubled
// separators, symbolic or hard links. Volume plus file number; where the file
// system numbers no file (some network shares answer 0), the file's final path
// instead, case folded, which still sees through spellings and links (not
// through hard links, which such file systems rarely have).
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  std::u16string finalPath;  // only where index is 0
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Why a file operation failed, as far as the system tells. The dialog shows one
// message whatever the cause; the command-line tool names it.
enum class FileError {
  kNone,
  kNotFound,        // the file, or a folder on its path, does not exist
  kAccessDenied,
  kNotRegularFile,  // a folder, a device, a pipe
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

// The identity of what `path` names, without opening it for reading or
// writing (so it works while another File holds it); none if it cannot be had.
std::optional<FileIdentity> IdentityOfPath(const std::u16string& path);

// Where a file that is to take the place of what `path` leads to belongs:
// `path` is that file (through symbolic links their final target, so a link
// stays a link), `folder` the prefix for a name beside it ("" for the current
// folder).
struct Destination {
  std::u16string path;
  std::u16string folder;
};

// None, with the cause, when something is there that may not be replaced: not
// a regular file, or one this user may not write. Nothing there is fine.
std::optional<Destination> FindDestination(const std::u16string& path, FileError& why);

// Makes the folder entry of the file `path` leads to durable, as a new file
// needs after its Flush; false if that cannot be done. (Nothing to do where
// the file system journals its entries itself.)
bool FlushFolderEntry(const std::u16string& path);

// An open, exclusively held file. Move-only; closing releases the hold.
class File {
 public:
  // An existing regular file, for reading. Fails for folders, missing files and
  // files another open holds; `why` (if given) learns the cause.
  static std::optional<File> OpenForReading(const std::u16string& path, FileError* why = nullptr);

  // A regular file for writing, created if absent, and readable past the
  // system's cache (ReadUncachedAt) without a second open that another
  // program could race. Never truncates: the caller checks what it got
  // (Identity) before it calls Truncate. created() tells whether this open
  // made the file. A file it made and could not take hold of is removed again
  // before the failure is returned.
  static std::optional<File> OpenForWriting(const std::u16string& path, FileError* why = nullptr);

  // A regular file for writing that this open makes: fails when anything is
  // at `path` already, a symbolic link included. What it made and could not
  // take hold of is removed again. created() is true.
  static std::optional<File> CreateNew(const std::u16string& path, FileError* why = nullptr);

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

  // Reads up to into.size() bytes at `offset`; the count read (0 at the end of
  // the file), or none on a read error (its cause in lastError()).
  std::optional<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> into);

  // For a file opened for writing: reads as ReadAt does, but from the device,
  // not from what the system's cache remembers. `offset`, into.size() and
  // into.data() must be multiples of kUncachedAlignment; short only at the end.
  static constexpr std::size_t kUncachedAlignment = std::size_t{64} << 10;  // a multiple of every sector size
  std::optional<std::size_t> ReadUncachedAt(std::uint64_t offset, std::span<std::uint8_t> into);

  // Cuts the file to length 0; the next Write starts at offset 0.
  bool Truncate();

  // Appends all of `bytes` at the current position, or fails.
  bool Write(std::span<const std::uint8_t> bytes);

  // Returns once every written byte has reached the device.
  bool Flush();

  // Removes the entry `path` leads to while this File still holds it, and only
  // if that entry is this very file (through a symbolic link, the target's).
  // A failure to remove is not an error: the caller has cut the file already.
  // On Windows the file goes when its handles close.
  void RemoveWhileHeld(const std::u16string& path);

  // Marked, the file is removed by the system when its handles close, however
  // the process ends (End task, a closed console, a crash); unmarked, it
  // stays. Windows only: a POSIX system removes files only by name, so there
  // this does nothing and a killed process leaves the file.
  bool MarkForRemoval(bool remove);

  // Puts this file, opened at `from`, in place of `to`, a name in the same
  // folder, replacing what is there in one step. On Windows through the open
  // handle, which stays open: no other program gets a moment to open the
  // file in between.
  bool MoveOver(const std::u16string& from, const std::u16string& to);

  bool created() const { return created_; }
  // The cause of the last failed Size, ReadAt, Truncate, Write, Flush,
  // MarkForRemoval or MoveOver.
  FileError lastError() const { return error_; }

  // Releases the handles and the hold; harmless when already closed.
  void Close();

 private:
  using NativeHandle = std::intptr_t;  // a descriptor or a HANDLE
  static constexpr NativeHandle kInvalid = -1;

  File(NativeHandle handle, FileIdentity identity, bool created)
      : handle_(handle), identity_(identity), created_(created) {}
  // OpenForWriting, or CreateNew when `onlyNew`.
  static std::optional<File> OpenToWrite(const std::u16string& path, FileError* why, bool onlyNew);
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
