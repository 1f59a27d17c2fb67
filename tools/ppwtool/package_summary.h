#pragma once
// How `inspect` and `extract` put a package report into words: one line per
// problem, a text table for people and a JSON object for scripts.
#include <ostream>
#include <string>

#include "core/package_reader.h"

namespace ppwtool {

// "payload-checksum: stored 0x00001234, computed 0xABCD", and the like.
std::string DescribeProblem(const tessam::PackageReport& report, tessam::PackageProblem problem);

void PrintReportText(std::ostream& out, const std::string& fileName,
                     const tessam::PackageReport& report);

void PrintReportJson(std::ostream& out, const std::string& fileName,
                     const tessam::PackageReport& report);

}  // namespace ppwtool
