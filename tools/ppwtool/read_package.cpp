#include "tools/ppwtool/read_package.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/progress.h"
#include "tools/ppwtool/utf.h"

namespace ppwtool {

namespace {

// Why a file could not be opened for reading, asked after the fact.
const char* OpenFailure(const std::string& fileName) {
  std::error_code error;
  const auto status = std::filesystem::status(PathFromUtf8(fileName), error);
  switch (status.type()) {
    case std::filesystem::file_type::not_found: return "no such file";
    case std::filesystem::file_type::directory: return "it is a folder";
    case std::filesystem::file_type::regular: return "no permission, or another program holds it open";
    case std::filesystem::file_type::none: return "cannot be accessed";
    default: return "not a regular file";
  }
}

}  // namespace

std::optional<tessam::File> OpenInputOrComplain(const char* what, const std::string& fileName) {
  const auto path = ParsePath(what, fileName);
  if (!path) return std::nullopt;
  auto file = tessam::File::OpenForReading(*path);
  if (!file) std::cerr << "ppwtool: cannot read " << fileName << ": " << OpenFailure(fileName) << "\n";
  return file;
}

std::optional<tessam::PackageSource> SourceOrComplain(const std::string& fileName, tessam::File& file) {
  auto source = tessam::SourceOf(file);
  if (!source) ComplainReadError(fileName);
  return source;
}

std::optional<tessam::PackageReport> InspectOrComplain(const std::string& fileName,
                                                       const tessam::PackageSource& source) {
  std::optional<tessam::PackageReport> report;
  {
    ProgressLine progress;
    const std::uint64_t total = std::min(source.length, tessam::kLargestPackage);  // all the reader reads
    report = tessam::InspectPackage(CountedSource(source, progress, "checking the package", total));
  }
  if (!report) ComplainReadError(fileName);
  return report;
}

std::unique_ptr<HeldPackage> OpenPackageOrComplain(const std::string& fileName) {
  auto file = OpenInputOrComplain("package", fileName);
  if (!file) return nullptr;
  auto held = std::make_unique<HeldPackage>(HeldPackage{std::move(*file), {}, {}});
  auto source = SourceOrComplain(fileName, held->file);
  if (!source) return nullptr;
  held->source = std::move(*source);
  auto report = InspectOrComplain(fileName, held->source);
  if (!report) return nullptr;
  held->report = std::move(*report);
  return held;
}

void ComplainReadError(const std::string& fileName) {
  std::cerr << "ppwtool: cannot read " << fileName << ": read error\n";
}

}  // namespace ppwtool
