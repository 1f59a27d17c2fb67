// The file layer on Windows: handles opened with share mode 0, identity by
// volume serial number and file index, UTF-16 paths passed straight through.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "core/file.h"

namespace tessam {
namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

const wchar_t* Wide(const std::u16string& path) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return reinterpret_cast<const wchar_t*>(path.c_str());
}

// Closes a handle when it goes out of scope (for the short-lived ones here).
struct ScopedHandle {
  HANDLE handle;
  ~ScopedHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// Share mode 0: while this handle lives, every other open of the file fails.
HANDLE OpenExclusive(const std::u16string& path, DWORD access, DWORD disposition) {
  if (path.empty()) return INVALID_HANDLE_VALUE;
  return CreateFileW(Wide(path), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One ReadFile or WriteFile moves at most a DWORD's worth.
constexpr std::size_t kLargestTransfer = 1u << 30;

}  // namespace

bool PathExists(const std::u16string& path) {
  return !path.empty() && GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FileIdentity> IdentityOfPath(const std::u16string& path) {
  if (path.empty()) return std::nullopt;
  // No read, write or delete access asked, so this open is not refused by a
  // handle that holds the file with share mode 0.
  const ScopedHandle file{CreateFileW(Wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return IdentityOfHandle(file.handle);
}

bool RemoveFile(const std::u16string& path) { return !path.empty() && DeleteFileW(Wide(path)); }

std::optional<File> File::OpenForReading(const std::u16string& path) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, as wanted.
  const HANDLE handle = OpenExclusive(path, GENERIC_READ, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return File(reinterpret_cast<NativeHandle>(handle));
}

std::optional<File> File::OpenForWriting(const std::u16string& path) {
  // OPEN_ALWAYS creates a missing file and keeps an existing one whole.
  const HANDLE handle = OpenExclusive(path, GENERIC_WRITE, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return File(reinterpret_cast<NativeHandle>(handle));
}

void File::Close() {
  if (handle_ != kInvalid) CloseHandle(Native(std::exchange(handle_, kInvalid)));
}

std::optional<std::uint64_t> File::Size() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Native(handle_), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<FileIdentity> File::Identity() const { return IdentityOfHandle(Native(handle_)); }

std::optional<std::size_t> File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min(into.size(), kLargestTransfer));
  if (!ReadFile(Native(handle_), into.data(), wanted, &got, &at)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    return std::nullopt;
  }
  return got;
}

bool File::Truncate() {
  const LARGE_INTEGER start{};
  return SetFilePointerEx(Native(handle_), start, nullptr, FILE_BEGIN) && SetEndOfFile(Native(handle_));
}

bool File::Write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD put = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(bytes.size(), kLargestTransfer));
    if (!WriteFile(Native(handle_), bytes.data(), wanted, &put, nullptr) || put == 0) return false;
    bytes = bytes.subspan(put);
  }
  return true;
}

bool File::Flush() { return FlushFileBuffers(Native(handle_)) != 0; }

}  // namespace tessam
