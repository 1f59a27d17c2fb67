// ppwtool extract PACKAGE IMAGE [--force]
#include <fstream>
#include <functional>
#include <iostream>
#include <system_error>

#include "core/package_reader.h"
#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/read_package.h"
#include "tools/ppwtool/utf.h"

namespace ppwtool {

namespace {

// Writes the whole image or nothing: a failed write leaves no partial file.
// `produce` hands the image to the sink it is given, chunk by chunk, and says
// whether all of it was handed over.
bool WriteImage(const std::filesystem::path& path,
                const std::function<bool(const tessam::ImageSink&)>& produce) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
      const bool produced = produce([&out](std::uint64_t, std::span<const std::uint8_t> chunk) {
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
        return static_cast<bool>(out);
      });
      out.close();
      if (produced && out) return true;
    }
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return false;
}

}  // namespace

int RunExtract(const ExtractArguments& arguments) {
  if (!ParsePath("image", arguments.image)) return kExitUsage;
  auto file = OpenInputOrComplain("package", arguments.package);
  if (!file) return kExitUsage;
  const auto source = SourceOrComplain(arguments.package, *file);
  if (!source) return kExitUsage;
  const auto report = InspectOrComplain(arguments.package, *source);
  if (!report) return kExitUsage;
  for (tessam::PackageProblem problem : report->problems) {
    std::cerr << "ppwtool: " << arguments.package << ": " << DescribeProblem(*report, problem) << "\n";
  }
  if (!report->hasHeader) {
    std::cerr << "ppwtool: " << arguments.package << " holds no package header; nothing to extract\n";
    return kExitFailed;
  }
  if (!report->sound() && !arguments.force) {
    std::cerr << "ppwtool: " << arguments.package << " is damaged; not extracting (--force extracts anyway)\n";
    return kExitFailed;
  }

  // The package is read a second time, unscrambled chunk by chunk on its way
  // to the image; a read error there is the package's fault, not the image's.
  bool readFailed = false;
  const bool written = WriteImage(PathFromUtf8(arguments.image), [&](const tessam::ImageSink& write) {
    bool writing = true;
    const bool streamed = tessam::StreamImage(*source, *report, [&](std::uint64_t offset, auto chunk) {
      return writing = write(offset, chunk);
    });
    readFailed = !streamed && writing;
    return streamed;
  });
  if (readFailed) {
    ComplainReadError(arguments.package);
    return kExitUsage;
  }
  if (!written) {
    std::cerr << "ppwtool: cannot write " << arguments.image << "\n";
    return kExitUsage;
  }
  std::cout << "wrote " << arguments.image << " (" << report->payloadBytesPresent << " bytes, key "
            << unsigned{report->scrambleKey} << ")\n";
  return kExitOk;
}

}  // namespace ppwtool
