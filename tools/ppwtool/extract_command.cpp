// ppwtool extract PACKAGE IMAGE [--force]
#include <chrono>
#include <cstdint>
#include <iostream>
#include <random>
#include <span>
#include <stop_token>

#include "core/output_file.h"
#include "core/package_reader.h"
#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/image_place.h"
#include "tools/ppwtool/interrupts.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/progress.h"
#include "tools/ppwtool/read_package.h"

namespace ppwtool {

namespace {

// A fresh name for the new image beside the old one; made exclusively, so a
// name that is taken only fails this run. The clock is mixed in because the
// runtime's random device may be a fixed sequence on a processor without a
// random-number instruction.
std::u16string NameBeside(const ImagePlace& place) {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  std::uint64_t bits = (std::uint64_t{std::random_device{}()} << 32) ^ static_cast<std::uint64_t>(ticks);
  std::u16string name = place.folder + u".ppwtool-";
  for (int digit = 0; digit < 16; ++digit, bits >>= 4) name += u"0123456789abcdef"[bits & 15];
  return name + u".tmp";
}

// Refuses what must not be replaced: the package itself (in any spelling,
// through links) and anything but a regular file. A missing file is fine.
bool MayReplace(const ExtractArguments& arguments, const ImagePlace& place, const tessam::File& package) {
  if (tessam::IdentityOfPath(place.path) == package.Identity()) {
    std::cerr << "ppwtool: " << arguments.image << " is the package itself; not overwriting it\n";
    return false;
  }
  tessam::FileError cause = tessam::FileError::kNone;
  if (tessam::File::OpenForReading(place.path, &cause) || cause == tessam::FileError::kNotFound) return true;
  std::cerr << "ppwtool: cannot write " << arguments.image << ": " << tessam::Describe(cause) << "\n";
  return false;
}

// Writes the image into a new file beside its place, and only once that is
// complete and flushed puts it in place of any old image: a failure or an
// interrupt leaves the old image byte for byte and the new file removed. The
// package is read a second time, unscrambled chunk by chunk on its way to the
// image. Returns the exit status, naming a failure on stderr.
int WriteImage(const ExtractArguments& arguments, const std::u16string& imagePath, const tessam::File& package,
               const tessam::PackageSource& source, const tessam::PackageReport& report,
               const std::stop_token& stop) {
  tessam::FileError cause = tessam::FileError::kNone;
  const auto place = FindImagePlace(imagePath, cause);
  const auto cannotWrite = [&](tessam::FileError why) {
    std::cerr << "ppwtool: cannot write " << arguments.image << ": " << tessam::Describe(why) << "\n";
    return kExitUsage;
  };
  if (!place) return cannotWrite(cause);
  if (!MayReplace(arguments, *place, package)) return kExitUsage;
  const std::u16string written = NameBeside(*place);
  tessam::OutputFileOptions options;
  options.createNew = true;
  auto output = tessam::OutputFile::Open(written, options, cause);
  if (!output) return cannotWrite(cause);

  bool stopped = false;
  bool writeFailed = false;
  bool streamed = false;
  bool finished = false;
  {
    ProgressLine progress;
    const auto sink = [&](std::uint64_t offset, std::span<const std::uint8_t> chunk) {
      if ((stopped = stop.stop_requested())) return false;
      progress.Show("writing the image", offset + chunk.size(), report.payloadBytesPresent);
      return !(writeFailed = !output->Write(chunk));
    };
    streamed = tessam::StreamImage(source, report, sink);
    finished = streamed && output->Finish();  // a flush to a stick takes a while too
  }
  if (finished) return PutInPlace(*output, written, *place, cause) ? kExitOk : cannotWrite(cause);
  // The output's destructor removes the new file.
  if (stopped) {
    std::cerr << "ppwtool: stopped; " << arguments.image << " was not written\n";
    return kExitFailed;
  }
  if (!streamed && !writeFailed) {
    ComplainReadError(arguments.package, package);
    return kExitUsage;
  }
  return cannotWrite(output->lastError());
}

}  // namespace

int RunExtract(const ExtractArguments& arguments) {
  const InterruptsStop interrupts;
  const auto imagePath = ParsePath("image", arguments.image);
  if (!imagePath) return kExitUsage;
  auto package = OpenPackage(arguments.package);
  if (!package) return kExitUsage;
  const tessam::PackageReport& report = package->report;
  for (tessam::PackageProblem problem : report.problems) {
    std::cerr << "ppwtool: " << arguments.package << ": " << DescribeProblem(report, problem) << "\n";
  }
  if (!report.hasHeader) {
    std::cerr << "ppwtool: " << arguments.package << " holds no package header; nothing to extract\n";
    return kExitFailed;
  }
  if (!report.sound() && !arguments.force) {
    std::cerr << "ppwtool: " << arguments.package << " is damaged; not extracting (--force extracts anyway)\n";
    return kExitFailed;
  }
  const int status = WriteImage(arguments, *imagePath, package->file, package->Source(), report, interrupts.token());
  if (status != kExitOk) return status;
  std::cout << "wrote " << arguments.image << " (" << report.payloadBytesPresent << " bytes, key "
            << unsigned{report.scrambleKey} << ")\n";
  return kExitOk;
}

}  // namespace ppwtool
