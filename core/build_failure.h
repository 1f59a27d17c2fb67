#pragma once

namespace tessam {

// Why a build (or a package write) returned 0. The dialog shows one message for
// all of them; the command-line tool names the reason.
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
  kPackageWriteError,    // nothing left at the package path
  kStopped,
  kNoPayload,            // a write asked for without a payload of the header's length
  kPackageDiffers,       // read back from the device, the package differed; removed
  kPackageReadBackError, // the package could not be read back to be checked; removed
};

// One line of English naming the reason, for logs and the command line. For
// the file failures the builder also keeps the system's cause (FileError).
const char* Describe(BuildFailure failure);

}  // namespace tessam
