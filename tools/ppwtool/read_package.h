#pragma once
// Opening the files that inspect, extract and verify read, naming on stderr
// why one could not be opened or read. Files are held exclusively while they
// are read, as the builder holds its project, and read in chunks.
#include <memory>
#include <optional>
#include <string>

#include "core/file.h"
#include "core/package_reader.h"

namespace ppwtool {

// `what` names the file in messages: "package", "project".
std::optional<tessam::File> OpenInputOrComplain(const char* what, const std::string& fileName);

// The source to read `file` through; none (and a message) when its length
// cannot be had. `file` must outlive the source.
std::optional<tessam::PackageSource> SourceOrComplain(const std::string& fileName, tessam::File& file);

// The package's report; none (and a message) on a read error.
std::optional<tessam::PackageReport> InspectOrComplain(const std::string& fileName,
                                                       const tessam::PackageSource& source);

// A package file held open, the source reading through it and its report: what
// inspect and extract start from. On the heap, so the source's file stays put.
struct HeldPackage {
  tessam::File file;
  tessam::PackageSource source;
  tessam::PackageReport report;
};

// None (and a message) when the package cannot be opened or read.
std::unique_ptr<HeldPackage> OpenPackageOrComplain(const std::string& fileName);

// "ppwtool: cannot read NAME: read error"
void ComplainReadError(const std::string& fileName);

}  // namespace ppwtool
