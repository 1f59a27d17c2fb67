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

FileError FromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_BAD_NETPATH: return FileError::kNotFound;
    case ERROR_ACCESS_DENIED: return FileError::kAccessDenied;
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return FileError::kHeld;
    case ERROR_FILENAME_EXCED_RANGE: return FileError::kNameTooLong;
    case ERROR_INVALID_NAME: case ERROR_BAD_PATHNAME: return FileError::kBadName;
    case ERROR_WRITE_PROTECT: return FileError::kReadOnlyDevice;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return FileError::kNoSpace;
    case ERROR_FILE_TOO_LARGE: return FileError::kTooLarge;
    case ERROR_CRC: case ERROR_IO_DEVICE: case ERROR_NOT_READY: return FileError::kDeviceError;
    default: return FileError::kOther;
  }
}

void Tell(FileError* why, FileError error) {
  if (why) *why = error;
}

// A failed open of a folder says "access denied"; the real cause is kinder.
FileError OpenFailure(const std::u16string& path) {
  const FileError error = FromLastError();
  const DWORD attributes = GetFileAttributesW(Wide(path));
  const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  return folder ? FileError::kNotRegularFile : error;
}

// Share mode 0: while this handle lives, every other open of the file fails.
HANDLE OpenExclusive(const std::u16string& path, DWORD access, DWORD disposition) {
  return CreateFileW(Wide(path), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Marks the file to go when its last handle closes, by the handle, so it is
// the file that was written whatever its path names by now.
bool DeleteOnClose(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition));
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

bool FlushFolderEntry(const std::u16string&) { return true; }  // NTFS and FAT drivers keep entries with the data

std::optional<File> File::Adopt(std::intptr_t handle, bool created) {
  const HANDLE native = reinterpret_cast<HANDLE>(handle);
  const auto identity = IdentityOfHandle(native);
  if (!identity) {
    CloseHandle(native);
    return std::nullopt;
  }
  return File(handle, *identity, created);
}

std::optional<File> File::OpenForReading(const std::u16string& path, FileError* why) {
  if (path.empty()) {
    Tell(why, FileError::kNotFound);
    return std::nullopt;
  }
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, as wanted.
  ScopedHandle file{OpenExclusive(path, GENERIC_READ, OPEN_EXISTING)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    Tell(why, OpenFailure(path));
    return std::nullopt;
  }
  const auto identity = IdentityOfHandle(file.handle);
  if (GetFileType(file.handle) != FILE_TYPE_DISK || !identity) {
    Tell(why, identity ? FileError::kNotRegularFile : FromLastError());
    return std::nullopt;
  }
  return File(reinterpret_cast<NativeHandle>(std::exchange(file.handle, INVALID_HANDLE_VALUE)), *identity, false);
}

std::optional<File> File::OpenForWriting(const std::u16string& path, FileError* why) {
  if (path.empty()) {
    Tell(why, FileError::kNotFound);
    return std::nullopt;
  }
  // OPEN_ALWAYS creates a missing file and keeps an existing one whole, and
  // tells which it did. DELETE access lets a failure remove the file through
  // this handle; where it is not granted, an existing file is only cut.
  bool created = false;
  ScopedHandle file{OpenExclusive(path, GENERIC_WRITE | DELETE, OPEN_ALWAYS)};
  if (file.handle != INVALID_HANDLE_VALUE) {
    created = GetLastError() != ERROR_ALREADY_EXISTS;
  } else if (GetLastError() == ERROR_ACCESS_DENIED) {
    file.handle = OpenExclusive(path, GENERIC_WRITE, OPEN_EXISTING);
  }
  if (file.handle == INVALID_HANDLE_VALUE) {
    Tell(why, OpenFailure(path));
    return std::nullopt;
  }
  const auto identity = IdentityOfHandle(file.handle);
  if (GetFileType(file.handle) != FILE_TYPE_DISK || !identity) {
    Tell(why, identity ? FileError::kNotRegularFile : FromLastError());
    if (created) DeleteOnClose(file.handle);  // a file made by this open must not outlive the failure
    return std::nullopt;
  }
  return File(reinterpret_cast<NativeHandle>(std::exchange(file.handle, INVALID_HANDLE_VALUE)), *identity, created);
}

void File::Close() {
  if (handle_ != kInvalid) CloseHandle(Native(std::exchange(handle_, kInvalid)));
}

std::optional<std::uint64_t> File::Size() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Native(handle_), &size)) {
    Fail(FromLastError());
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<std::size_t> File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min(into.size(), kLargestTransfer));
  if (!ReadFile(Native(handle_), into.data(), wanted, &got, &at)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    Fail(FromLastError());
    return std::nullopt;
  }
  return got;
}

bool File::Truncate() {
  const LARGE_INTEGER start{};
  return (SetFilePointerEx(Native(handle_), start, nullptr, FILE_BEGIN) && SetEndOfFile(Native(handle_))) ||
         Fail(FromLastError());
}

namespace {

// Writes all of `bytes` at `offset`; the file pointer ends behind them.
FileError WriteAllAt(HANDLE file, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD put = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(bytes.size(), kLargestTransfer));
    if (!WriteFile(file, bytes.data(), wanted, &put, &at)) return FromLastError();
    if (put == 0) return FileError::kNoSpace;
    bytes = bytes.subspan(put);
    offset += put;
  }
  return FileError::kNone;
}

std::optional<std::uint64_t> FilePointer(HANDLE file) {
  LARGE_INTEGER at{};
  if (!SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT)) return std::nullopt;
  return static_cast<std::uint64_t>(at.QuadPart);
}

}  // namespace

bool File::Write(std::span<const std::uint8_t> bytes) {
  const auto at = FilePointer(Native(handle_));
  if (!at) return Fail(FromLastError());
  const FileError error = WriteAllAt(Native(handle_), *at, bytes);
  return error == FileError::kNone || Fail(error);
}

bool File::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  const auto end = FilePointer(Native(handle_));
  if (!end) return Fail(FromLastError());
  if (const FileError error = WriteAllAt(Native(handle_), offset, bytes); error != FileError::kNone) return Fail(error);
  // Put the pointer back, so that Write goes on appending.
  LARGE_INTEGER back{};
  back.QuadPart = static_cast<LONGLONG>(*end);
  return SetFilePointerEx(Native(handle_), back, nullptr, FILE_BEGIN) || Fail(FromLastError());
}

bool File::Flush() { return FlushFileBuffers(Native(handle_)) || Fail(FromLastError()); }

// The handle holds the file exclusively and is the file that was written, so
// no check of the path is needed.
void File::RemoveWhileHeld(const std::u16string&) { DeleteOnClose(Native(handle_)); }

std::optional<File> File::CreateNew(const std::u16string& path, FileError* why) {
  if (path.empty()) {
    Tell(why, FileError::kNotFound);
    return std::nullopt;
  }
  // CREATE_NEW fails on anything at the path. DELETE access lets a failure
  // remove the file through this handle.
  ScopedHandle file{OpenExclusive(path, GENERIC_WRITE | DELETE, CREATE_NEW)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    Tell(why, OpenFailure(path));
    return std::nullopt;
  }
  const auto identity = IdentityOfHandle(file.handle);
  if (!identity) {
    Tell(why, FromLastError());
    DeleteOnClose(file.handle);
    return std::nullopt;
  }
  return File(reinterpret_cast<NativeHandle>(std::exchange(file.handle, INVALID_HANDLE_VALUE)), *identity, true);
}

}  // namespace tessam
