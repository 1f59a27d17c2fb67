#include "core/output_file.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <utility>

namespace tessam {
namespace {

bool IsUntouchable(const OutputFileOptions& options, const std::optional<FileIdentity>& identity) {
  return identity && std::find(options.untouchable.begin(), options.untouchable.end(), *identity) !=
                         options.untouchable.end();
}

// A fresh name in `folder` for a file that is to take another's place; made
// exclusively, so a name that is taken only fails this run. The clock is mixed
// in because the runtime's random device may be a fixed sequence on a
// processor without a random-number instruction.
std::u16string NameBeside(const std::u16string& folder) {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  std::uint64_t bits = (std::uint64_t{std::random_device{}()} << 32) ^ static_cast<std::uint64_t>(ticks);
  std::u16string name = folder + u".tessam-";
  for (int digit = 0; digit < 16; ++digit, bits >>= 4) name += u"0123456789abcdef"[bits & 15];
  return name + u".tmp";
}

// Scanners, indexers and preview handlers open a file the moment it changes
// and hold it for a while; Windows refuses to replace a file held so. They let
// go within moments, so the replace is tried again, each pause longer, for
// this long in all.
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
  // Asked before opening so the reason is named even where the hold on the
  // untouchable file makes the open itself fail.
  if (IsUntouchable(options, IdentityOfPath(target))) {
    why = FileError::kSameFile;
    return std::nullopt;
  }
  const std::u16string written = destination ? NameBeside(destination->folder) : path;
  auto file = destination ? File::CreateNew(written, &why) : File::OpenForWriting(written, &why);
  if (!file) return std::nullopt;
  OutputFile output(written, std::move(*file));
  if (destination) output.target_ = target;
  // Asked again of the open file: the path may have changed in between.
  // Each early return drops `output`, whose Discard removes only a file this
  // open created, or one it has begun to cut.
  if (IsUntouchable(options, output.file_.Identity())) {
    why = FileError::kSameFile;
    return std::nullopt;
  }
  // Where the file system lets the mark be set (not without the right to
  // delete), a half-written file goes with the process, however it ends.
  output.file_.MarkForRemoval(true);
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
  const bool kept = (target_.empty() || PutInPlace()) && (file_.MarkForRemoval(false) || Fail(file_.lastError())) &&
                    (IdentityOfPath(path_) == file_.Identity() || Fail(FileError::kVanished));
  if (!kept) {
    Discard();
    return false;
  }
  open_ = false;
  file_.Close();
  // The data is on the device already; this makes a new entry durable too.
  if (!target_.empty()) FlushFolderEntry(path_);
  return true;
}

// The mark is lifted only for the moment of the move, as Windows moves no
// file marked for removal: a kill during the pauses still removes the file.
bool OutputFile::PutInPlace() {
  const auto giveUp = std::chrono::steady_clock::now() + kPlacingFor;
  for (auto pause = kFirstPause;; pause = std::min(pause * 2, kLongestPause)) {
    if (file_.MarkForRemoval(false) && file_.MoveOver(path_, target_)) {
      path_ = target_;
      return true;
    }
    const FileError error = file_.lastError();
    file_.MarkForRemoval(true);
    const bool held = error == FileError::kHeld || error == FileError::kAccessDenied;
    if (!held || std::chrono::steady_clock::now() + pause > giveUp) return Fail(error);
    std::this_thread::sleep_for(pause);
  }
}

}  // namespace tessam
