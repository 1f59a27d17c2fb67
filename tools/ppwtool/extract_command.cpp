// ppwtool extract PACKAGE IMAGE [--force]
#include <fstream>
#include <iostream>
#include <system_error>

#include "core/package_reader.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/read_package.h"
#include "tools/ppwtool/utf.h"

namespace ppwtool {

namespace {

// Writes the whole image or nothing: a failed write leaves no partial file.
bool WriteImage(const std::filesystem::path& path, const std::vector<std::uint8_t>& image) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
      out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
      out.close();
      if (out) return true;
    }
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return false;
}

}  // namespace

int RunExtract(const ExtractArguments& arguments) {
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
  if (!WriteImage(PathFromUtf8(arguments.image), image)) {
    std::cerr << "ppwtool: cannot write " << arguments.image << "\n";
    return kExitUsage;
  }
  std::cout << "wrote " << arguments.image << " (" << image.size() << " bytes, key "
            << unsigned{report.scrambleKey} << ")\n";
  return kExitOk;
}

}  // namespace ppwtool
