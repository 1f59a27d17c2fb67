#include <windows.h>

#include <string>

#include "core/windows_path.h"
#include "tools/ppwtool/image_place.h"

namespace ppwtool {

namespace {

using tessam::FileError;

FileError FromLastError() {
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: return FileError::kNotFound;
    case ERROR_ACCESS_DENIED: return FileError::kAccessDenied;  // among others, a read-only file
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return FileError::kHeld;
    case ERROR_FILENAME_EXCED_RANGE: return FileError::kNameTooLong;
    case ERROR_WRITE_PROTECT: return FileError::kReadOnlyDevice;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return FileError::kNoSpace;
    default: return FileError::kOther;
  }
}

// The absolute path Windows resolves `path` to, through symbolic links.
std::wstring FinalPath(const std::u16string& path) {
  const std::wstring given = tessam::WindowsPath(path);
  const HANDLE file = ::CreateFileW(given.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return given;  // nothing there yet
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {  // too small: the length asked for counts the terminator
    final.resize(length);
    length = ::GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  ::CloseHandle(file);
  if (length == 0 || length >= final.size()) return given;
  final.resize(length);
  return final;
}

}  // namespace

std::optional<ImagePlace> FindImagePlace(const std::u16string& imagePath, FileError& why) {
  if (imagePath.empty()) {
    why = FileError::kBadName;
    return std::nullopt;
  }
  const std::wstring path = FinalPath(imagePath);
  const std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
  return ImagePlace{std::u16string(path.begin(), path.end()), std::u16string(folder.begin(), folder.end())};
}

bool PutInPlace(tessam::OutputFile& image, const std::u16string& written, const ImagePlace& place,
                FileError& why) {
  const std::wstring from = tessam::WindowsPath(written), to = tessam::WindowsPath(place.path);
  // Windows moves no file held open with share mode 0, so the handle goes first.
  image.Keep();
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  why = FromLastError();
  ::DeleteFileW(from.c_str());
  return false;
}

}  // namespace ppwtool
