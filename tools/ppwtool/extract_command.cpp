// ppwtool extract PACKAGE IMAGE [--force]
#include <cstdint>
#include <iostream>
#include <span>
#include <stop_token>

#include "core/output_file.h"
#include "core/package_reader.h"
#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/interrupts.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/progress.h"
#include "tools/ppwtool/read_package.h"

namespace ppwtool {

namespace {

// Writes the image into a new file beside the old one, which it replaces only
// once complete and on the device, so a failure or an interrupt leaves an old
// image byte for byte. Never onto the package (in any spelling, through links)
// nor anything but a regular file. The package is read a second time,
// unscrambled chunk by chunk on its way to the image. Returns the exit status,
// naming a failure on stderr.
int WriteImage(const ExtractArguments& arguments, const std::u16string& imagePath, const tessam::File& package,
               const tessam::PackageSource& source, const tessam::PackageReport& report,
               const std::stop_token& stop) {
  const auto cannotWrite = [&](tessam::FileError why) {
    if (why == tessam::FileError::kSameFile) {
      std::cerr << "ppwtool: " << arguments.image << " is the package itself; not overwriting it\n";
    } else {
      std::cerr << "ppwtool: cannot write " << arguments.image << ": " << tessam::Describe(why) << "\n";
    }
    return kExitUsage;
  };
  tessam::OutputFileOptions options{{}, true};
  if (package.Identity()) options.untouchable.push_back(*package.Identity());
  tessam::FileError cause = tessam::FileError::kNone;
  auto output = tessam::OutputFile::Open(imagePath, options, cause);
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
  if (finished) return output->Keep() ? kExitOk : cannotWrite(output->lastError());
  // The output's destructor removes the new file.
  if (stopped) {
    std::cerr << "ppwtool: stopped; " << arguments.image << " was not written\n";
    return kExitFailed;
  }
  if (!streamed && !writeFailed) {
    ComplainReadError(arguments.package);
    return kExitUsage;
  }
  return cannotWrite(output->lastError());
}

}  // namespace

int RunExtract(const ExtractArguments& arguments) {
  const InterruptsStop interrupts;
  const auto imagePath = ParsePath("image", arguments.image);
  if (!imagePath) return kExitUsage;
  const auto package = OpenPackageOrComplain(arguments.package);
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
  const int status = WriteImage(arguments, *imagePath, package->file, package->source, report, interrupts.token());
  if (status != kExitOk) return status;
  std::cout << "wrote " << arguments.image << " (" << report.payloadBytesPresent << " bytes, key "
            << unsigned{report.scrambleKey} << ")\n";
  return kExitOk;
}

}  // namespace ppwtool
