#pragma once
// The outcome of a build or a package write, filled where the failure is found.
// The dialog shows one message for all; the command-line tool names them.
#include <cstdint>

#include "core/file.h"

namespace tessam {

enum class BuildFailure {
  kNone,
  kEmptyPath,
  kProjectMissing,
  kProjectNotOpenable,   // a folder, held open by another program, ...
  kProjectTooShort,      // shorter than 256 + L bytes, L from its own block count
  kProjectReadError,
  kOutOfMemory,
  kSameFile,             // the package path names the project file
  kPackageNotOpenable,
  kPackageWriteError,
  kStopped,
  kNoPayload,            // a write asked for without a payload of the header's length
  kPackageDiffers,       // read back from the device, the package differed
  kPackageReadBackError, // the package could not be read back to be checked
};

struct BuildResult {
  BuildFailure failure = BuildFailure::kNone;
  // The system's cause, when a file call failed.
  FileError cause = FileError::kNone;
  // For kPackageDiffers: the file offset of the first byte read back otherwise.
  std::uint64_t firstDifference = 0;

  bool ok() const { return failure == BuildFailure::kNone; }
};

// One line of English naming the reason, e.g. for the command line.
const char* Describe(BuildFailure failure);

}  // namespace tessam
