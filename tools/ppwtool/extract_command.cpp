// ppwtool extract PACKAGE IMAGE [--force]
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

// Writes the image through the same safe output as a package: never onto the
// package itself (in any spelling, through links), nothing but regular files,
// and on failure a file this run created is removed, one that was there is
// never. The package is read a second time, unscrambled chunk by chunk on its
// way to the image. Returns the exit status, naming a failure on stderr.
int WriteImage(const ExtractArguments& arguments, const std::u16string& imagePath, const tessam::File& package,
               const tessam::PackageSource& source, const tessam::PackageReport& report,
               const std::stop_token& stop) {
  tessam::OutputFileOptions options;
  if (const auto identity = package.Identity()) options.untouchable.push_back(*identity);
  tessam::FileError cause = tessam::FileError::kNone;
  auto output = tessam::OutputFile::Open(imagePath, options, cause);
  if (!output) {
    if (cause == tessam::FileError::kSameFile) {
      std::cerr << "ppwtool: " << arguments.image << " is the package itself; not overwriting it\n";
    } else {
      std::cerr << "ppwtool: cannot write " << arguments.image << ": " << tessam::Describe(cause) << "\n";
    }
    return kExitUsage;
  }

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
  if (finished) {
    output->Keep();
    return kExitOk;
  }
  // The output's destructor discards what was written.
  if (stopped) {
    std::cerr << "ppwtool: stopped; " << arguments.image << " was not written\n";
    return kExitFailed;
  }
  if (!streamed && !writeFailed) {
    ComplainReadError(arguments.package);
    return kExitUsage;
  }
  std::cerr << "ppwtool: cannot write " << arguments.image << ": " << tessam::Describe(output->lastError()) << "\n";
  return kExitUsage;
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
