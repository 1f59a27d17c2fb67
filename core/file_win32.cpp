// The file layer on Windows: handles whose share modes admit no other open,
// identity by volume serial number and file index, paths by WindowsPath.
#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/file.h"
#include "core/windows_path.h"

namespace tessam {
namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Closes a handle when it goes out of scope, unless it was handed on.
struct ScopedHandle {
  HANDLE handle;
  ~ScopedHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  std::intptr_t Release() { return reinterpret_cast<std::intptr_t>(std::exchange(handle, INVALID_HANDLE_VALUE)); }
};

// The path Windows resolves an open file to, through links, in its long form
// (\\?\C:\...); empty when it cannot tell.
std::wstring FinalPathOf(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(length);  // too small: the length asked for counts the terminator
  }
  return {};
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  FileIdentity identity{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, {}};
  if (identity.index != 0) return identity;
  // Index 0 is a file system that numbers no file (a NAS, WebDAV, a virtual
  // machine's shared folder). Names compare as Windows compares them, any case.
  const std::wstring path = FinalPathOf(handle);
  std::wstring folded(path.size(), L'\0');
  const int length = path.empty() ? 0 : LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, path.data(),
                                                     static_cast<int>(path.size()), folded.data(),
                                                     static_cast<int>(folded.size()));
  if (length <= 0) return std::nullopt;
  identity.finalPath.assign(folded.begin(), folded.begin() + length);
  return identity;
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
FileError OpenFailure(const std::wstring& path) {
  const FileError error = FromLastError();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  return folder ? FileError::kFolder : error;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
  return CreateFileW(path.c_str(), access, share, nullptr, disposition, flags | FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Marks the file to go when its last handle closes, or lifts the mark (which
// FILE_FLAG_DELETE_ON_CLOSE cannot), by the handle: whatever the path names now.
bool DeleteOnClose(HANDLE handle, bool remove = true) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition));
}

// No read, write or delete access asked, so no share mode refuses this open.
HANDLE OpenToLookAt(const std::wstring& path) {
  return Open(path, 0, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

// One ReadFile or WriteFile moves at most a DWORD's worth.
constexpr std::size_t kLargestTransfer = 1u << 30;

std::optional<std::size_t> ReadFrom(HANDLE file, std::uint64_t offset, std::span<std::uint8_t> into) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (ReadFile(file, into.data(), static_cast<DWORD>(std::min(into.size(), kLargestTransfer)), &got, &at)) return got;
  if (GetLastError() == ERROR_HANDLE_EOF) return 0;
  return std::nullopt;
}

}  // namespace

bool PathExists(const std::u16string& path) {
  return !path.empty() && GetFileAttributesW(WindowsPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FileIdentity> IdentityOfPath(const std::u16string& path) {
  if (path.empty()) return std::nullopt;
  const ScopedHandle file{OpenToLookAt(WindowsPath(path))};
  if (file.handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return IdentityOfHandle(file.handle);
}

std::optional<Destination> FindDestination(const std::u16string& path, FileError& why) {
  std::wstring place = WindowsPath(path);
  const ScopedHandle file{OpenToLookAt(place)};
  if (file.handle != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    const bool found = GetFileInformationByHandle(file.handle, &info);
    // Windows replaces no read-only file; better said before the writing than after.
    why = found && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)   ? FileError::kFolder
          : !found || GetFileType(file.handle) != FILE_TYPE_DISK       ? FileError::kNotRegularFile
          : (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? FileError::kAccessDenied : FileError::kNone;
    if (why != FileError::kNone) return std::nullopt;
    if (std::wstring final = FinalPathOf(file.handle); !final.empty()) place = std::move(final);
  }
  const std::wstring folder = place.substr(0, place.find_last_of(L"\\/") + 1);
  return Destination{{place.begin(), place.end()}, {folder.begin(), folder.end()}};
}

bool FlushFolderEntry(const std::u16string&) { return true; }  // NTFS and FAT drivers keep entries with the data

std::optional<File> File::OpenForReading(const std::u16string& path, FileError* why) {
  if (path.empty()) {
    Tell(why, FileError::kNotFound);
    return std::nullopt;
  }
  const std::wstring name = WindowsPath(path);
  // Share mode 0: while this handle lives, every other open of the file fails.
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, as wanted.
  ScopedHandle file{Open(name, GENERIC_READ, 0, OPEN_EXISTING)};
  if (file.handle == INVALID_HANDLE_VALUE) {
    Tell(why, OpenFailure(name));
    return std::nullopt;
  }
  const auto identity = IdentityOfHandle(file.handle);
  if (GetFileType(file.handle) != FILE_TYPE_DISK || !identity) {
    Tell(why, identity ? FileError::kNotRegularFile : FromLastError());
    return std::nullopt;
  }
  return File(file.Release(), *identity, false);
}

std::optional<File> File::OpenForWriting(const std::u16string& path, FileError* why, bool onlyNew) {
  if (path.empty()) {
    Tell(why, FileError::kNotFound);
    return std::nullopt;
  }
  const std::wstring name = WindowsPath(path);
  // Two handles that together admit no third open for reading, writing or
  // deleting: the uncached reader shares only writing and deleting, the writer
  // only reading. The reader comes first, so that scanners find the file held
  // from before it is cut. OPEN_ALWAYS keeps an existing file whole and tells.
  // Without DELETE access (not granted everywhere) a file can only be cut.
  ScopedHandle reader{Open(name, GENERIC_READ, FILE_SHARE_WRITE | FILE_SHARE_DELETE, onlyNew ? CREATE_NEW : OPEN_ALWAYS,
                           FILE_FLAG_NO_BUFFERING)};
  if (reader.handle == INVALID_HANDLE_VALUE) {
    Tell(why, OpenFailure(name));
    return std::nullopt;
  }
  const bool created = onlyNew || GetLastError() != ERROR_ALREADY_EXISTS;
  ScopedHandle writer{Open(name, GENERIC_WRITE | DELETE, FILE_SHARE_READ, OPEN_EXISTING)};
  if (writer.handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    writer.handle = Open(name, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
  }
  const FileError writerError = writer.handle == INVALID_HANDLE_VALUE ? FromLastError() : FileError::kNone;
  const auto identity = IdentityOfHandle(reader.handle);
  const FileError error = [&] {
    if (writer.handle == INVALID_HANDLE_VALUE) return writerError;
    if (GetFileType(reader.handle) != FILE_TYPE_DISK) return FileError::kNotRegularFile;
    if (!identity) return FileError::kOther;
    if (IdentityOfHandle(writer.handle) != identity) return FileError::kHeld;  // another file put at the path between
    return FileError::kNone;
  }();
  if (error == FileError::kNone) {
    File opened(writer.Release(), *identity, created);
    opened.uncached_ = reader.Release();
    return opened;
  }
  Tell(why, error);
  // A file this open made goes again, by a handle of its own, if still that file.
  const ScopedHandle remover{created ? Open(name, DELETE, kShareAll, OPEN_EXISTING) : INVALID_HANDLE_VALUE};
  if (remover.handle != INVALID_HANDLE_VALUE && identity && IdentityOfHandle(remover.handle) == identity) {
    DeleteOnClose(remover.handle);
  }
  return std::nullopt;
}

void File::Close() {
  for (NativeHandle* handle : {&uncached_, &handle_}) {
    if (*handle != kInvalid) CloseHandle(Native(std::exchange(*handle, kInvalid)));
  }
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
  const auto got = ReadFrom(Native(handle_), offset, into);
  if (!got) Fail(FromLastError());
  return got;
}

// FILE_FLAG_NO_BUFFERING reads whole sectors into sector-aligned memory, from
// the device; the writer's cached pages were flushed before.
std::optional<std::size_t> File::ReadUncachedAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  const auto got = ReadFrom(Native(uncached_), offset, into);
  if (!got) Fail(FromLastError());
  return got;
}

bool File::Truncate() {
  const LARGE_INTEGER start{};
  return (SetFilePointerEx(Native(handle_), start, nullptr, FILE_BEGIN) && SetEndOfFile(Native(handle_))) ||
         Fail(FromLastError());
}

bool File::Write(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD put = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(bytes.size(), kLargestTransfer));
    if (!WriteFile(Native(handle_), bytes.data(), wanted, &put, nullptr)) return Fail(FromLastError());
    if (put == 0) return Fail(FileError::kNoSpace);
    bytes = bytes.subspan(put);
  }
  return true;
}

bool File::Flush() { return FlushFileBuffers(Native(handle_)) || Fail(FromLastError()); }

// The writer is the file that was written, so no check of the path is needed.
void File::RemoveWhileHeld(const std::u16string&) { DeleteOnClose(Native(handle_)); }

bool File::MarkForRemoval(bool remove) { return DeleteOnClose(Native(handle_), remove) || Fail(FromLastError()); }

// The new name goes to the system in its native form (\??\C:\... or
// \??\UNC\...) so that it is absolute, of any length, and taken as it is
// by every Windows, whether or not it translates names in this call.
bool File::MoveOver(const std::u16string&, const std::u16string& to) {
  const std::wstring longForm = LongPathForm(WindowsPath(to));
  const std::wstring name = L"\\??\\" + longForm.substr(4);
  const std::size_t nameBytes = name.size() * sizeof(wchar_t);
  std::vector<std::uint64_t> buffer((sizeof(FILE_RENAME_INFO) + nameBytes) / sizeof(std::uint64_t) + 1);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(nameBytes);
  std::copy(name.begin(), name.end(), rename->FileName);
  return SetFileInformationByHandle(Native(handle_), FileRenameInfo, rename,
                                    static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t))) ||
         Fail(FromLastError());
}

}  // namespace tessam
