#include "core/file.h"

namespace tessam {

const char* Describe(FileError error) {
  switch (error) {
    case FileError::kNone: return "no error";
    case FileError::kNotFound: return "no such file or folder";
    case FileError::kAccessDenied: return "permission denied";
    case FileError::kFolder: return "it is a folder";
    case FileError::kNotRegularFile: return "not a regular file (a device or pipe)";
    case FileError::kNameTooLong: return "the path is too long";
    case FileError::kBadName: return "the path cannot be spelled as a file name on this system";
    case FileError::kHeld: return "held open by another program";
    case FileError::kSameFile: return "it is the file being read";
    case FileError::kReadOnlyDevice: return "the device is read-only";
    case FileError::kNoSpace: return "no space left on the device";
    case FileError::kTooLarge: return "the file size limit was reached";
    case FileError::kDeviceError: return "input/output error";
    case FileError::kVanished: return "the path no longer leads to the file that was written";
    case FileError::kOther: return "unexpected system error";
  }
  return "unknown error";
}

}  // namespace tessam
