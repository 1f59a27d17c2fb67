#pragma once
// A file being given new contents, handled so that a failure can only ever
// harm what this run wrote: the package written by a build, the image written
// by ppwtool extract.
//
// Open takes the path without truncating, holds it exclusively, refuses a file
// that must not be overwritten (in any spelling, through links), and only then
// cuts it. Discard undoes through the open file: it cuts it to zero and removes
// its entry while still holding it, and only if the entry is still this file.
// A file that was there before is removed only once it was cut: an old package
// that looks current is worse than none. (extract never opens its old image,
// only a new file beside it.)
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
  // Open makes a new file and fails when anything is at the path already: a
  // fresh name for a file that is to take another's place once complete.
  bool createNew = false;
};

class OutputFile {
 public:
  // The held, emptied file at `path`; none with the cause in `why`
  // (FileError::kSameFile for an untouchable file).
  static std::optional<OutputFile> Open(const std::u16string& path, const OutputFileOptions& options,
                                        FileError& why);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Discards, unless Keep was called: an early return never leaves a partial file.
  ~OutputFile() { Discard(); }

  // Appends all of `bytes`, or fails.
  bool Write(std::span<const std::uint8_t> bytes);

  // Brings the contents, and a new file's folder entry, to the device, then
  // checks that the path still leads to this file: a moved or removed folder
  // must not pass for a written file.
  bool Finish();

  // Cuts the file to zero and removes it, if it was made or cut by Open;
  // closes it. Harmless after Keep or a previous Discard.
  void Discard();

  // Closes the file and keeps it.
  void Keep();

  FileError lastError() const { return error_; }

  // The file itself, for reading it back after Finish; it stays held and owned here.
  File& held() { return file_; }

 private:
  OutputFile(std::u16string path, File file) : path_(std::move(path)), file_(std::move(file)) {}
  bool Fail(FileError error) {
    error_ = error;
    return false;
  }

  std::u16string path_;
  File file_;
  bool open_ = true;
  bool cut_ = false;
  FileError error_ = FileError::kNone;
};

}  // namespace tessam
