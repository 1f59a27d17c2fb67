// Uncached reads on POSIX systems: a second descriptor opened with O_DIRECT,
// or, where the file system refuses direct reads (tmpfs), an ordinary one
// after the flushed pages have been dropped from the cache.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "core/device_reader.h"

namespace tessam {
namespace {

// A multiple of every logical block size in use, so direct reads are allowed.
constexpr std::size_t kDirectAlignment = 4096;

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

// Asks the system to forget the file's cached pages, so that the next reads
// come from the device. Only clean pages go, which after the flush is all.
void DropCachedPages(int fd) { ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED); }

}  // namespace

std::optional<DeviceReader> DeviceReader::Open(File& held, const std::u16string& /*path*/) {
  // The descriptor's own entry leads to exactly the held file, whatever has
  // happened to its name since; no lock is taken, as the held one covers it.
  const std::string self = "/proc/self/fd/" + std::to_string(held.native());
  std::size_t alignment = kDirectAlignment;
  int fd = ::open(self.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECT);
  if (fd < 0 && errno == EINVAL) {
    fd = ::open(self.c_str(), O_RDONLY | O_CLOEXEC);
    alignment = 1;
    if (fd >= 0) DropCachedPages(fd);
  }
  if (fd < 0) return std::nullopt;
  DeviceReader reader(fd, true, alignment);
  struct stat info;
  if (::fstat(fd, &info) != 0) return std::nullopt;
  const FileIdentity opened{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  if (held.Identity() != opened) return std::nullopt;
  return reader;
}

DeviceReader::~DeviceReader() {
  if (handle_ != kNone && owned_) ::close(Descriptor(handle_));
}

std::optional<std::size_t> DeviceReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  const int fd = Descriptor(handle_);
  for (;;) {
    const ssize_t got = ::pread(fd, into.data(), into.size(), static_cast<off_t>(offset));
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    // Some file systems take O_DIRECT at the open and refuse it at the read.
    if (errno != EINVAL || alignment_ == 1) return std::nullopt;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_DIRECT) != 0) return std::nullopt;
    DropCachedPages(fd);
    alignment_ = 1;
  }
}

}  // namespace tessam
