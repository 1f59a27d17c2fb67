// The file layer on POSIX systems: descriptors, flock() for exclusivity,
// device and inode for identity, UTF-8 file names.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/file.h"
#include "core/utf.h"

namespace tessam {
namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

FileIdentity IdentityOf(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// Closes a descriptor unless it was handed on.
struct ScopedDescriptor {
  int fd;
  ~ScopedDescriptor() {
    if (fd >= 0) ::close(fd);
  }
  int Release() { return std::exchange(fd, -1); }
};

// Opens a regular file and takes the exclusive lock; -1 on any failure.
// O_NONBLOCK keeps a FIFO or device at the path from stalling the open; it
// changes nothing for the regular files that are all this accepts.
int OpenExclusive(const std::u16string& path, int flags) {
  const auto name = Utf16ToUtf8(path);
  if (!name || name->empty()) return -1;
  ScopedDescriptor file{-1};
  do {
    file.fd = ::open(name->c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  } while (file.fd < 0 && errno == EINTR);
  if (file.fd < 0) return -1;
  struct stat info;
  if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(file.fd, LOCK_EX | LOCK_NB) != 0) {
    return -1;
  }
  return file.Release();
}

// At most this much written data may still be on its way to the device while
// more is written: enough to keep the device busy, little enough that the final
// flush (which no stop request can cut short) has only a moment's work left.
constexpr off_t kWriteBackWindow = off_t{16} << 20;

// Starts write-back of the range just written and waits for what lies more
// than a window behind it, so dirty pages never pile up.
void PaceWriteBack([[maybe_unused]] int fd, [[maybe_unused]] off_t start, [[maybe_unused]] off_t length) {
#if defined(__linux__)
  ::sync_file_range(fd, start, length, SYNC_FILE_RANGE_WRITE);
  if (start > kWriteBackWindow) ::sync_file_range(fd, 0, start - kWriteBackWindow, SYNC_FILE_RANGE_WAIT_BEFORE);
#endif
}

}  // namespace

bool PathExists(const std::u16string& path) {
  const auto name = Utf16ToUtf8(path);
  struct stat info;
  return name && !name->empty() && ::stat(name->c_str(), &info) == 0;
}

std::optional<FileIdentity> IdentityOfPath(const std::u16string& path) {
  const auto name = Utf16ToUtf8(path);
  struct stat info;
  if (!name || name->empty() || ::stat(name->c_str(), &info) != 0) return std::nullopt;
  return IdentityOf(info);
}

bool RemoveFile(const std::u16string& path) {
  const auto name = Utf16ToUtf8(path);
  return name && ::unlink(name->c_str()) == 0;
}

std::optional<File> File::OpenForReading(const std::u16string& path) {
  const int fd = OpenExclusive(path, O_RDONLY);
  if (fd < 0) return std::nullopt;
  return File(fd);
}

std::optional<File> File::OpenForWriting(const std::u16string& path) {
  const int fd = OpenExclusive(path, O_WRONLY | O_CREAT);
  if (fd < 0) return std::nullopt;
  return File(fd);
}

void File::Close() {
  // Closing the descriptor releases the flock() with it.
  if (handle_ != kInvalid) ::close(Descriptor(std::exchange(handle_, kInvalid)));
}

std::optional<std::uint64_t> File::Size() const {
  struct stat info;
  if (::fstat(Descriptor(handle_), &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::optional<FileIdentity> File::Identity() const {
  struct stat info;
  if (::fstat(Descriptor(handle_), &info) != 0) return std::nullopt;
  return IdentityOf(info);
}

std::optional<std::size_t> File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  for (;;) {
    const ssize_t got = ::pread(Descriptor(handle_), into.data(), into.size(), static_cast<off_t>(offset));
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return std::nullopt;
  }
}

bool File::Truncate() {
  const int fd = Descriptor(handle_);
  return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0;
}

bool File::Write(std::span<const std::uint8_t> bytes) {
  const int fd = Descriptor(handle_);
  const off_t start = ::lseek(fd, 0, SEEK_CUR);
  if (start < 0) return false;
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;  // a full disk gives ENOSPC or EFBIG here
    bytes = bytes.subspan(static_cast<std::size_t>(put));
  }
  PaceWriteBack(fd, start, ::lseek(fd, 0, SEEK_CUR) - start);
  return true;
}

bool File::Flush() { return ::fsync(Descriptor(handle_)) == 0; }

}  // namespace tessam
