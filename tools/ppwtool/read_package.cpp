#include "tools/ppwtool/read_package.h"

#include <algorithm>
#include <iostream>

#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/progress.h"

namespace ppwtool {

std::optional<Input> OpenInput(const char* what, const std::string& fileName) {
  const auto path = ParsePath(what, fileName);
  if (!path) return std::nullopt;
  auto cause = tessam::FileError::kNone;
  auto file = tessam::File::OpenForReading(*path, &cause);
  const auto length = file ? file->Size() : std::nullopt;
  if (!file) std::cerr << "ppwtool: cannot read " << fileName << ": " << tessam::Describe(cause) << "\n";
  if (file && !length) ComplainReadError(fileName, *file);
  if (!length) return std::nullopt;
  return Input{std::move(*file), *length};
}

std::optional<Package> OpenPackage(const std::string& fileName) {
  auto input = OpenInput("package", fileName);
  if (!input) return std::nullopt;
  std::optional<tessam::PackageReport> report;
  {
    ProgressLine progress;
    const std::uint64_t total = std::min(input->length, tessam::kLargestPackage);  // all the reader reads
    report = tessam::InspectPackage(CountedSource(input->Source(), progress, "checking the package", total));
  }
  if (!report) {
    ComplainReadError(fileName, input->file);
    return std::nullopt;
  }
  return Package{std::move(*input), std::move(*report)};
}

void ComplainReadError(const std::string& fileName, const tessam::File& file) {
  // A file that ends before the length it had when opened failed no call:
  // it changed while it was read.
  const auto cause = file.lastError();
  std::cerr << "ppwtool: cannot read " << fileName << ": read error: "
            << (cause == tessam::FileError::kNone ? "it changed while it was read" : tessam::Describe(cause)) << "\n";
}

}  // namespace ppwtool
