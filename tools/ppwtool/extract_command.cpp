// ppwtool extract PACKAGE IMAGE [--force]
#include <algorithm>
#include <iostream>
#include <span>
#include <stop_token>

#include "core/output_file.h"
#include "core/package_reader.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/interrupts.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/read_package.h"
#include "tools/ppwtool/utf.h"

namespace ppwtool {

namespace {

// The image goes out in pieces, with a look at the stop request between two.
constexpr std::size_t kImageWriteChunk = std::size_t{4} << 20;

// Writes the image through the same safe output as a package: never onto the
// package itself (in any spelling, through links), nothing but regular files,
// and on failure a file this run created is removed, one that was there is
// never. Returns the exit status, naming a failure on stderr.
int WriteImage(const std::string& imageName, std::span<const std::uint8_t> image, const std::string& packageName,
               const std::stop_token& stop) {
  const auto imagePath = Utf8ToUtf16(imageName);
  const auto packagePath = Utf8ToUtf16(packageName);
  if (!imagePath || !packagePath) {
    std::cerr << "ppwtool: the " << (imagePath ? "package" : "image") << " path is not valid UTF-8 text\n";
    return kExitUsage;
  }
  tessam::OutputFileOptions options;
  if (const auto package = tessam::IdentityOfPath(*packagePath)) options.untouchable.push_back(*package);
  tessam::FileError cause = tessam::FileError::kNone;
  auto output = tessam::OutputFile::Open(*imagePath, options, cause);
  if (!output && cause == tessam::FileError::kSameFile) {
    std::cerr << "ppwtool: " << imageName << " is the package itself; not overwriting it\n";
    return kExitUsage;
  }
  bool stopped = false;
  while (output && !image.empty() && !(stopped = stop.stop_requested())) {
    const auto chunk = image.first(std::min(image.size(), kImageWriteChunk));
    if (!output->Write(chunk)) break;
    image = image.subspan(chunk.size());
  }
  if (output && !stopped && image.empty() && output->Finish()) {
    output->Keep();
    return kExitOk;
  }
  if (stopped) {
    std::cerr << "ppwtool: stopped; " << imageName << " was not written\n";
    return kExitFailed;
  }
  std::cerr << "ppwtool: cannot write " << imageName << ": "
            << tessam::Describe(output ? output->lastError() : cause) << "\n";
  return kExitUsage;  // the output's destructor discards what was written
}

}  // namespace

int RunExtract(const ExtractArguments& arguments) {
  const InterruptsStop interrupts;
  const auto bytes = ReadPackageOrComplain(arguments.package);
  if (!bytes) return kExitUsage;
  const tessam::PackageReport report = tessam::InspectPackage(*bytes);
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

  const std::vector<std::uint8_t> image = tessam::UnscrambleImage(*bytes, report);
  if (const int status = WriteImage(arguments.image, image, arguments.package, interrupts.token()); status != kExitOk) {
    return status;
  }
  std::cout << "wrote " << arguments.image << " (" << image.size() << " bytes, key "
            << unsigned{report.scrambleKey} << ")\n";
  return kExitOk;
}

}  // namespace ppwtool
