#pragma once
// Opening the files that inspect, extract and verify read, held exclusively
// as the builder holds its project, and naming on stderr, in the file layer's
// words, why one could not be opened or read.
#include <cstdint>
#include <optional>
#include <string>

#include "core/file.h"
#include "core/package_reader.h"

namespace ppwtool {

// A file held open for reading, and its length when it was opened.
struct Input {
  tessam::File file;
  std::uint64_t length = 0;
  // Reads through `file`: valid while this Input stays where it is.
  tessam::PackageSource Source() { return tessam::SourceOf(file, length); }
};

// None (and a message) when it cannot be opened or measured; `what`: "package", "project".
std::optional<Input> OpenInput(const char* what, const std::string& fileName);

// A package held open and its report: what inspect, extract and verify start from.
struct Package : Input {
  tessam::PackageReport report;
};

// None (and a message) when the package cannot be opened or read.
std::optional<Package> OpenPackage(const std::string& fileName);

// "ppwtool: cannot read NAME: read error: input/output error": the file's last failure.
void ComplainReadError(const std::string& fileName, const tessam::File& file);

}  // namespace ppwtool
