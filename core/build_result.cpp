#include "core/build_result.h"

namespace tessam {

const char* Describe(BuildFailure failure) {
  switch (failure) {
    case BuildFailure::kNone: return "no failure";
    case BuildFailure::kEmptyPath: return "the project path or the package path is empty";
    case BuildFailure::kProjectMissing: return "the project file does not exist";
    case BuildFailure::kProjectNotOpenable:
      return "the project file cannot be opened exclusively";
    case BuildFailure::kProjectTooShort:
      return "the project file is too short for the program image its block count announces";
    case BuildFailure::kProjectReadError: return "the project file could not be read";
    case BuildFailure::kOutOfMemory: return "not enough memory for the payload";
    case BuildFailure::kSameFile: return "the package path names the project file itself";
    case BuildFailure::kPackageNotOpenable:
      return "the package file cannot be opened exclusively for writing";
    case BuildFailure::kPackageWriteError: return "the package file could not be written";
    case BuildFailure::kStopped: return "the build was stopped";
    case BuildFailure::kNoPayload: return "there is no payload of the header's length to write";
    case BuildFailure::kPackageDiffers: return "the device gave back other bytes than were written";
    case BuildFailure::kPackageReadBackError: return "the package could not be read back from the device to check it";
  }
  return "unknown failure";
}

}  // namespace tessam
