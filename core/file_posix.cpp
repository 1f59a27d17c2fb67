// The file layer on POSIX systems: descriptors, flock() for exclusivity,
// device and inode for identity, UTF-8 names converted where a path enters.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include "core/file.h"
#include "core/utf.h"

namespace tessam {
namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

FileIdentity IdentityOf(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), {}};
}

FileError FromErrno(int code) {
  switch (code) {
    case ENOENT: case ENOTDIR: return FileError::kNotFound;
    case EACCES: case EPERM: return FileError::kAccessDenied;
    case EISDIR: return FileError::kFolder;
    case ENXIO: case ENODEV: return FileError::kNotRegularFile;
    case ENAMETOOLONG: return FileError::kNameTooLong;
    case EWOULDBLOCK: return FileError::kHeld;
    case EROFS: return FileError::kReadOnlyDevice;
    case ENOSPC: case EDQUOT: return FileError::kNoSpace;
    case EFBIG: return FileError::kTooLarge;
    case EIO: return FileError::kDeviceError;
    default: return FileError::kOther;
  }
}

void Tell(FileError* why, FileError error) {
  if (why) *why = error;
}

// A path's name here; none, with the cause, for one that has no spelling. (An
// empty name is no file: the open says so.)
std::optional<std::string> NameOf(const std::u16string& path, FileError* why) {
  auto name = Utf16ToUtf8(path);
  if (!name) Tell(why, FileError::kBadName);
  return name;
}

// Closes a descriptor unless it was handed on.
struct ScopedDescriptor {
  int fd;
  ~ScopedDescriptor() {
    if (fd >= 0) ::close(fd);
  }
  int Release() { return std::exchange(fd, -1); }
};

// O_NONBLOCK keeps a FIFO or device from stalling the open; regular files ignore it.
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

int OpenRetrying(const char* name, int flags) {
  int fd;
  do {
    fd = ::open(name, flags | kOpenFlags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Opens for writing and tells whether this open made the file: O_EXCL first,
// so a file that was there is never taken for a new one. A name that keeps
// vanishing between the two tries is a dangling symbolic link, whose target
// the last open creates.
int OpenOrCreate(const char* name, bool& created) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    int fd = OpenRetrying(name, O_WRONLY | O_CREAT | O_EXCL);
    if (fd >= 0 || errno != EEXIST) {
      created = fd >= 0;
      return fd;
    }
    fd = OpenRetrying(name, O_WRONLY);
    if (fd >= 0 || errno != ENOENT) {
      created = false;
      return fd;
    }
  }
  created = true;
  return OpenRetrying(name, O_WRONLY | O_CREAT);
}

// Takes hold of a freshly opened descriptor: a regular file, locked.
FileError TakeHold(int fd, struct stat& info) {
  if (::fstat(fd, &info) != 0) return FromErrno(errno);
  if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? FileError::kFolder : FileError::kNotRegularFile;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return FromErrno(errno);
  return FileError::kNone;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('/') + 1); }

// The entry a chain of symbolic links ends at, existing or not; a loop is
// left for the file calls to refuse.
std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) break;
    target.resize(static_cast<std::size_t>(length));
    path = target.starts_with('/') ? target : FolderOf(path) + target;
  }
  return path;
}

// Removes `entry` if it still names the file with `identity`.
void UnlinkIfSame(const std::string& entry, const FileIdentity& identity) {
  struct stat info;
  if (::lstat(entry.c_str(), &info) == 0 && S_ISREG(info.st_mode) && IdentityOf(info) == identity) {
    ::unlink(entry.c_str());
  }
}

// Flushes the folder that holds `entry`, so that a new entry survives a power cut.
bool SyncFolderOf(const std::string& entry) {
  const std::string folder = FolderOf(entry);
  const ScopedDescriptor dir{OpenRetrying(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY)};
  // Some file systems cannot flush a folder at all (EINVAL): nothing to wait for there.
  return dir.fd >= 0 && (::fsync(dir.fd) == 0 || errno == EINVAL);
}

// At most this much written data waits in the cache: the device works while
// the package is written, and the final flush (no stop cuts it short) is brief.
constexpr off_t kWriteBackWindow = off_t{16} << 20;

// Starts write-back of the range just written and waits for what lies more
// than a window behind it. Advice only: its failures change nothing.
void PaceWriteBack(int fd, off_t start, off_t length) {
  ::sync_file_range(fd, start, length, SYNC_FILE_RANGE_WRITE);
  if (start > kWriteBackWindow) ::sync_file_range(fd, 0, start - kWriteBackWindow, SYNC_FILE_RANGE_WAIT_BEFORE);
}

}  // namespace

bool PathExists(const std::u16string& path) { return IdentityOfPath(path).has_value(); }

std::optional<FileIdentity> IdentityOfPath(const std::u16string& path) {
  const auto name = Utf16ToUtf8(path);
  struct stat info;
  if (!name || ::stat(name->c_str(), &info) != 0) return std::nullopt;
  return IdentityOf(info);
}

std::optional<File> File::OpenForReading(const std::u16string& path, FileError* why) {
  const auto name = NameOf(path, why);
  if (!name) return std::nullopt;
  ScopedDescriptor file{OpenRetrying(name->c_str(), O_RDONLY)};
  struct stat info;
  const FileError error = file.fd < 0 ? FromErrno(errno) : TakeHold(file.fd, info);
  if (error == FileError::kNone) return File(file.Release(), IdentityOf(info), false);
  Tell(why, error);
  return std::nullopt;
}

std::optional<File> File::OpenForWriting(const std::u16string& path, FileError* why, bool onlyNew) {
  const auto name = NameOf(path, why);
  if (!name) return std::nullopt;
  // O_EXCL alone takes no file that is there, and no symbolic link either.
  bool created = onlyNew;
  ScopedDescriptor file{onlyNew ? OpenRetrying(name->c_str(), O_WRONLY | O_CREAT | O_EXCL)
                                : OpenOrCreate(name->c_str(), created)};
  struct stat info;
  const FileError error = file.fd < 0 ? FromErrno(errno) : TakeHold(file.fd, info);
  if (error == FileError::kNone) return File(file.Release(), IdentityOf(info), created);
  Tell(why, error);
  // A file this open made goes again: without its identity, an empty file at the name.
  struct stat now;
  const std::string entry = FollowLinks(*name);
  if (created && file.fd >= 0 && ::lstat(entry.c_str(), &now) == 0 && S_ISREG(now.st_mode) && now.st_size == 0 &&
      (::fstat(file.fd, &info) != 0 || IdentityOf(now) == IdentityOf(info))) {
    ::unlink(entry.c_str());
  }
  return std::nullopt;
}

void File::Close() {
  // Closing the descriptor releases the flock() with it.
  for (NativeHandle* handle : {&uncached_, &handle_}) {
    if (*handle != kInvalid) ::close(Descriptor(std::exchange(*handle, kInvalid)));
  }
}

std::optional<std::uint64_t> File::Size() const {
  struct stat info;
  if (::fstat(Descriptor(handle_), &info) != 0) {
    Fail(FromErrno(errno));
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::size_t> File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  for (;;) {
    const ssize_t got = ::pread(Descriptor(handle_), into.data(), into.size(), static_cast<off_t>(offset));
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      Fail(FromErrno(errno));
      return std::nullopt;
    }
  }
}

bool File::Truncate() {
  const int fd = Descriptor(handle_);
  return (::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0) || Fail(FromErrno(errno));
}

bool File::Write(std::span<const std::uint8_t> bytes) {
  const off_t start = ::lseek(Descriptor(handle_), 0, SEEK_CUR);
  const auto length = static_cast<off_t>(bytes.size());
  while (!bytes.empty()) {
    const ssize_t put = ::write(Descriptor(handle_), bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return Fail(FromErrno(errno));  // a full disk gives ENOSPC, a size limit EFBIG
    if (put == 0) return Fail(FileError::kNoSpace);
    bytes = bytes.subspan(static_cast<std::size_t>(put));
  }
  PaceWriteBack(Descriptor(handle_), start, length);
  return true;
}

// A second descriptor on the open file, by its entry in /proc, with O_DIRECT;
// where direct reads are refused (tmpfs), an ordinary one once the flushed
// pages left the cache. The held descriptor's flock() covers it.
std::optional<std::size_t> File::ReadUncachedAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  const auto dropCachedPages = [this] { ::posix_fadvise(Descriptor(uncached_), 0, 0, POSIX_FADV_DONTNEED); };
  if (uncached_ == kInvalid) {
    const std::string self = "/proc/self/fd/" + std::to_string(handle_);
    uncached_ = OpenRetrying(self.c_str(), O_RDONLY | O_DIRECT);
    if (uncached_ < 0 && errno == EINVAL) {
      uncached_ = OpenRetrying(self.c_str(), O_RDONLY);
      if (uncached_ >= 0) dropCachedPages();
    }
    if (uncached_ < 0) {
      uncached_ = kInvalid;
      Fail(FromErrno(errno));
      return std::nullopt;
    }
  }
  for (;;) {
    const ssize_t got = ::pread(Descriptor(uncached_), into.data(), into.size(), static_cast<off_t>(offset));
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    const int error = errno;
    const int flags = ::fcntl(Descriptor(uncached_), F_GETFL);
    // Some file systems take O_DIRECT at the open and refuse it at the read.
    if (error != EINVAL || flags < 0 || !(flags & O_DIRECT) ||
        ::fcntl(Descriptor(uncached_), F_SETFL, flags & ~O_DIRECT) != 0) {
      Fail(FromErrno(error));
      return std::nullopt;
    }
    dropCachedPages();
  }
}

bool File::Flush() { return ::fsync(Descriptor(handle_)) == 0 || Fail(FromErrno(errno)); }

bool File::MarkForRemoval(bool) { return true; }

// rename() swaps the entry in one step: the old file or the new one, never neither.
bool File::MoveOver(const std::u16string& from, const std::u16string& to) {
  const auto source = Utf16ToUtf8(from), target = Utf16ToUtf8(to);
  if (!source || !target) return Fail(FileError::kBadName);
  return std::rename(source->c_str(), target->c_str()) == 0 || Fail(FromErrno(errno));
}

void File::RemoveWhileHeld(const std::u16string& path) {
  const auto name = Utf16ToUtf8(path);
  if (!name) return;
  // unlink() goes by name: a link, or a file someone put there since, stays.
  UnlinkIfSame(FollowLinks(*name), identity_);
}

std::optional<Destination> FindDestination(const std::u16string& path, FileError& why) {
  const auto name = NameOf(path, &why);
  if (name && name->empty()) why = FileError::kBadName;
  if (!name || name->empty()) return std::nullopt;
  const std::string place = FollowLinks(*name);
  struct stat info;
  if (::stat(place.c_str(), &info) == 0) {
    // A rename needs no write permission on the file itself; a file the user
    // may not write is not replaced all the same, as a write onto it would fail.
    why = S_ISDIR(info.st_mode) ? FileError::kFolder : !S_ISREG(info.st_mode) ? FileError::kNotRegularFile
          : ::access(place.c_str(), W_OK) != 0 ? FromErrno(errno) : FileError::kNone;
    if (why != FileError::kNone) return std::nullopt;
  }
  auto wide = Utf8ToUtf16(place), folder = Utf8ToUtf16(FolderOf(place));
  if (!wide || !folder) {  // a link to a name that is not UTF-8
    why = FileError::kBadName;
    return std::nullopt;
  }
  return Destination{std::move(*wide), std::move(*folder)};
}

bool FlushFolderEntry(const std::u16string& path) {
  const auto name = Utf16ToUtf8(path);
  return name && SyncFolderOf(FollowLinks(*name));
}

}  // namespace tessam
