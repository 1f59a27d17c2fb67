#include <windows.h>

#include <string>

#include "tools/ppwtool/image_place.h"

namespace ppwtool {

namespace {

using tessam::FileError;

const wchar_t* Wide(const std::u16string& path) { return reinterpret_cast<const wchar_t*>(path.c_str()); }

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

// The path the system resolves `path` to, through symbolic links; `path`
// itself when nothing is there yet.
std::u16string FinalPath(const std::u16string& path) {
  const HANDLE file = ::CreateFileW(Wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {  // too small: the length asked for counts the terminator
    final.resize(length);
    length = ::GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  ::CloseHandle(file);
  if (length == 0 || length >= final.size()) return path;
  return std::u16string(final.begin(), final.begin() + length);
}

}  // namespace

std::optional<ImagePlace> FindImagePlace(const std::u16string& imagePath, FileError& why) {
  if (imagePath.empty()) {
    why = FileError::kBadName;
    return std::nullopt;
  }
  const std::u16string path = FinalPath(imagePath);
  return ImagePlace{path, path.substr(0, path.find_last_of(u"\\/:") + 1)};
}

bool PutInPlace(tessam::OutputFile& image, const std::u16string& written, const ImagePlace& place,
                FileError& why) {
  // Windows moves no file held open with share mode 0, so the handle goes first.
  image.Keep();
  if (::MoveFileExW(Wide(written), Wide(place.path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  why = FromLastError();
  ::DeleteFileW(Wide(written));
  return false;
}

}  // namespace ppwtool
