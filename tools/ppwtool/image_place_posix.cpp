#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <utility>

#include "core/utf.h"
#include "tools/ppwtool/image_place.h"

namespace ppwtool {

namespace {

using tessam::FileError;

FileError FromErrno(int code) {
  switch (code) {
    case ENOENT: case ENOTDIR: return FileError::kNotFound;
    case EACCES: case EPERM: return FileError::kAccessDenied;
    case EISDIR: return FileError::kNotRegularFile;
    case ENAMETOOLONG: return FileError::kNameTooLong;
    case EROFS: return FileError::kReadOnlyDevice;
    case ENOSPC: case EDQUOT: return FileError::kNoSpace;
    case EIO: return FileError::kDeviceError;
    default: return FileError::kOther;
  }
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('/') + 1); }

// The file a chain of symbolic links ends at, existing or not; a loop is left
// for the file calls to refuse.
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

}  // namespace

std::optional<ImagePlace> FindImagePlace(const std::u16string& imagePath, FileError& why) {
  const auto name = tessam::Utf16ToUtf8(imagePath);
  if (!name || name->empty()) {
    why = FileError::kBadName;
    return std::nullopt;
  }
  const std::string path = FollowLinks(*name);
  // A rename needs no write permission on the file itself; a file the user
  // may not write is not replaced all the same, as a write onto it would fail.
  if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
    why = FromErrno(errno);
    return std::nullopt;
  }
  auto wide = tessam::Utf8ToUtf16(path), folder = tessam::Utf8ToUtf16(FolderOf(path));
  if (!wide || !folder) {  // a link to a name that is not UTF-8
    why = FileError::kBadName;
    return std::nullopt;
  }
  return ImagePlace{std::move(*wide), std::move(*folder)};
}

bool PutInPlace(tessam::OutputFile& image, const std::u16string& written, const ImagePlace& place,
                FileError& why) {
  // rename() swaps the entry in one step: the old image or the new one, never neither.
  if (std::rename(tessam::Utf16ToUtf8(written)->c_str(), tessam::Utf16ToUtf8(place.path)->c_str()) != 0) {
    why = FromErrno(errno);
    return false;
  }
  image.Keep();
  // The data is on the device already; this makes the new entry durable too.
  tessam::FlushFolderEntry(place.path);
  return true;
}

}  // namespace ppwtool
