#include "core/output_file.h"

#include <algorithm>
#include <utility>

namespace tessam {
namespace {

bool IsUntouchable(const OutputFileOptions& options, const std::optional<FileIdentity>& identity) {
  return identity && std::find(options.untouchable.begin(), options.untouchable.end(), *identity) !=
                         options.untouchable.end();
}

}  // namespace

std::optional<OutputFile> OutputFile::Open(const std::u16string& path, const OutputFileOptions& options,
                                           FileError& why) {
  why = FileError::kNone;
  // Asked before opening so the reason is named even where the hold on the
  // untouchable file makes the open itself fail.
  if (IsUntouchable(options, IdentityOfPath(path))) {
    why = FileError::kSameFile;
    return std::nullopt;
  }
  auto file = options.createNew ? File::CreateNew(path, &why) : File::OpenForWriting(path, &why);
  if (!file) return std::nullopt;
  OutputFile output(path, std::move(*file));
  // Asked again of the open file: the path may have changed in between.
  // Each early return drops `output`, whose Discard removes only a file this
  // open created, or one it has begun to cut.
  if (IsUntouchable(options, output.file_.Identity())) {
    why = FileError::kSameFile;
    return std::nullopt;
  }
  output.cut_ = true;  // even a failed cut may have cost the old contents
  if (!output.file_.Truncate()) {
    why = output.file_.lastError();
    return std::nullopt;
  }
  return output;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      file_(std::move(other.file_)),
      open_(std::exchange(other.open_, false)),
      cut_(other.cut_),
      error_(other.error_) {}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  return file_.Write(bytes) || Fail(file_.lastError());
}

bool OutputFile::Finish() {
  if (!file_.Flush()) return Fail(file_.lastError());
  if (IdentityOfPath(path_) != file_.Identity()) return Fail(FileError::kVanished);
  if (file_.created() && !FlushFolderEntry(path_)) return Fail(FileError::kDeviceError);
  return true;
}

void OutputFile::Discard() {
  if (!std::exchange(open_, false)) return;
  // A file that was there before and has not been cut is left exactly as it was.
  if (cut_ || file_.created()) {
    file_.Truncate();
    file_.RemoveWhileHeld(path_);
  }
  file_.Close();
}

void OutputFile::Keep() {
  open_ = false;
  file_.Close();
}

}  // namespace tessam
