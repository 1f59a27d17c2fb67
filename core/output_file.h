#pragma once
// A file being given new contents so that a failure can only harm what this
// run wrote: a build's package, extract's image, a converted settings file.
//
// Open takes the path without truncating, holds it exclusively, refuses a file
// that must not be overwritten (in any spelling, through links), and only then
// cuts it. Until Keep the file is marked for removal, so on Windows it goes
// however the process ends. Discard cuts it and removes its entry while still
// holding it, only if the entry is still this file: an old package that looks
// current is worse than none. In the replace mode an old file is never opened.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/file.h"

namespace tessam {

struct OutputFileOptions {
  // Files the path must not lead to, e.g. the file being read.
  std::vector<FileIdentity> untouchable;
  // Write beside the file the path leads to (through links, their target)
  // under a fresh name; Keep puts it in that file's place in one step.
  bool replaceWhenComplete = false;
};

class OutputFile {
 public:
  // The held, emptied file for `path`; none with the cause in `why`
  // (FileError::kSameFile for an untouchable file).
  static std::optional<OutputFile> Open(const std::u16string& path, const OutputFileOptions& options,
                                        FileError& why);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Discards, unless Keep succeeded: an early return never leaves a partial file.
  ~OutputFile() { Discard(); }

  // Appends all of `bytes`, or fails.
  bool Write(std::span<const std::uint8_t> bytes);

  // Brings the contents, and a new file's folder entry, to the device.
  bool Finish();

  // Cuts and removes the file if Open made or cut it; closes it. Harmless twice.
  void Discard();

  // Keeps the finished file: in the replace mode puts it in place (trying
  // again for a few seconds while another program holds the old one), checks
  // that the path leads to it (a moved folder must not pass for a written
  // file) and closes it. On failure, cause in lastError(), it is discarded.
  bool Keep();

  FileError lastError() const { return error_; }

  // The file itself, for reading it back after Finish; it stays held and owned here.
  File& held() { return file_; }

 private:
  OutputFile(std::u16string path, File file) : path_(std::move(path)), file_(std::move(file)) {}
  bool PutInPlace();
  bool Fail(FileError error) {
    error_ = error;
    return false;
  }

  std::u16string path_;    // where the file is written
  std::u16string target_;  // the replace mode: where Keep puts it
  File file_;
  bool open_ = true;
  bool cut_ = false;
  bool marked_ = false;  // for removal, until kept
  FileError error_ = FileError::kNone;
};

}  // namespace tessam
