#include "core/output_file.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <utility>

namespace tessam {
namespace {

// True, with the cause, for a file the path must not lead to.
bool Untouchable(const OutputFileOptions& options, const std::optional<FileIdentity>& identity, FileError& why) {
  if (!identity || std::ranges::find(options.untouchable, *identity) == options.untouchable.end()) return false;
  why = FileError::kSameFile;
  return true;
}

// A fresh name in `folder`, made exclusively: a taken name only fails this run.
// With the clock, as the random device may be a fixed sequence on some CPUs.
std::u16string NameBeside(const std::u16string& folder) {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  std::uint64_t bits = (std::uint64_t{std::random_device{}()} << 32) ^ static_cast<std::uint64_t>(ticks);
  std::u16string name = folder + u".tessam-";
  for (int digit = 0; digit < 16; ++digit, bits >>= 4) name += u"0123456789abcdef"[bits & 15];
  return name + u".tmp";
}

// Scanners, indexers and previews open a file the moment it changes and hold
// it a while, and Windows replaces no file held so: tried again, each pause
// longer, for this long in all.
constexpr auto kPlacingFor = std::chrono::seconds(4);
constexpr auto kFirstPause = std::chrono::milliseconds(10);
constexpr auto kLongestPause = std::chrono::milliseconds(500);

}  // namespace

std::optional<OutputFile> OutputFile::Open(const std::u16string& path, const OutputFileOptions& options,
                                           FileError& why) {
  why = FileError::kNone;
  std::optional<Destination> destination;
  if (options.replaceWhenComplete && !(destination = FindDestination(path, why))) return std::nullopt;
  const std::u16string& target = destination ? destination->path : path;
  // Asked first, as the hold on an untouchable file may make the open fail.
  if (Untouchable(options, IdentityOfPath(target), why)) return std::nullopt;
  const std::u16string written = destination ? NameBeside(destination->folder) : path;
  auto file = File::OpenForWriting(written, &why, destination.has_value());
  if (!file) return std::nullopt;
  OutputFile output(written, std::move(*file));
  if (destination) output.target_ = target;
  // Asked again of the open file, as the path may have changed. Each early
  // return drops `output`, which removes only a file it made or began to cut.
  if (Untouchable(options, output.file_.Identity(), why)) return std::nullopt;
  output.marked_ = output.file_.MarkForRemoval(true);  // not without the right to delete
  output.cut_ = true;  // even a failed cut may have cost the old contents
  if (!output.file_.Truncate()) {
    why = output.file_.lastError();
    return std::nullopt;
  }
  return output;
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      file_(std::move(other.file_)),
      open_(std::exchange(other.open_, false)),
      cut_(other.cut_),
      marked_(other.marked_),
      error_(other.error_) {}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  return file_.Write(bytes) || Fail(file_.lastError());
}

bool OutputFile::Finish() {
  if (!file_.Flush()) return Fail(file_.lastError());
  // A file that is still to be moved into place needs its entry made durable there.
  if (file_.created() && target_.empty() && !FlushFolderEntry(path_)) return Fail(FileError::kDeviceError);
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

bool OutputFile::Keep() {
  if (!open_) return false;
  const bool kept = (target_.empty() || PutInPlace()) &&
                    (!marked_ || file_.MarkForRemoval(false) || Fail(file_.lastError())) &&
                    (IdentityOfPath(path_) == file_.Identity() || Fail(FileError::kVanished));
  if (!kept) {
    Discard();
    return false;
  }
  open_ = false;
  file_.Close();
  if (!target_.empty()) FlushFolderEntry(path_);
  return true;
}

// The mark is lifted only for the moment of the move, as Windows moves no
// file marked for removal: a kill during the pauses still removes the file.
bool OutputFile::PutInPlace() {
  const auto giveUp = std::chrono::steady_clock::now() + kPlacingFor;
  for (auto pause = kFirstPause;; pause = std::min(pause * 2, kLongestPause)) {
    if ((!marked_ || file_.MarkForRemoval(false)) && file_.MoveOver(path_, target_)) {
      path_ = target_;
      file_.Flush();  // the move written through where a flush takes it along (NTFS)
      return true;
    }
    const FileError error = file_.lastError();
    if (marked_) file_.MarkForRemoval(true);
    const bool held = error == FileError::kHeld || error == FileError::kAccessDenied;
    if (!held || std::chrono::steady_clock::now() + pause > giveUp) return Fail(error);
    std::this_thread::sleep_for(pause);
  }
}

}  // namespace tessam
