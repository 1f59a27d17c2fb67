#pragma once
// A file being given new contents, handled so that a failure can only ever
// harm what this run wrote: the package written by a build, the image written
// by ppwtool extract, the settings file when it is converted.
//
// Open takes the path without truncating, holds it exclusively, refuses a file
// that must not be overwritten (in any spelling, through links), and only then
// cuts it. Until Keep the file is marked for removal, so that on Windows it
// goes whatever ends the process. Discard undoes through the open file: it
// cuts it to zero and removes its entry while still holding it, and only if
// the entry is still this file. A file that was there before is removed only
// once it was cut: an old package that looks current is worse than none.
//
// In the replace mode an old file is never opened: the new one is written
// beside it under a fresh name and takes its place in one step on Keep.
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
  // Write beside the file the path leads to (through links, their target),
  // and put it in that file's place only on Keep, once complete: until then
  // an old file stays as it was, byte for byte.
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

  // Cuts the file to zero and removes it, if it was made or cut by Open;
  // closes it. Harmless after Keep or a previous Discard.
  void Discard();

  // Keeps the finished file: in the replace mode puts it in place first
  // (trying again for a few seconds while another program holds the old
  // file); then checks that the path leads to it (a moved or removed folder
  // must not pass for a written file) and closes it. On failure, with the
  // cause in lastError(), the file is discarded.
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
  FileError error_ = FileError::kNone;
};

}  // namespace tessam
