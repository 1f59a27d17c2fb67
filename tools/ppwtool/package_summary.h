#pragma once
// How `inspect` and `extract` put a package report into words: one line per
// problem, a text table for people and a JSON object for scripts.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "core/package_reader.h"

namespace ppwtool {

// "payload-checksum: stored 0x00001234, computed 0xABCD", and the like.
std::string DescribeProblem(const tessam::PackageReport& report, tessam::PackageProblem problem);

// One line of a text report: the label in a column of its own, then the value.
void PrintRow(std::ostream& out, const char* label, const std::string& value);

void PrintReportText(std::ostream& out, const std::string& fileName,
                     const tessam::PackageReport& report);

// Fields in a fixed order, so that people reading the output find them where
// they were last time.
using Json = nlohmann::ordered_json;

// [{"name": ..., "detail": ...}, ...]
Json ProblemsJson(const tessam::PackageReport& report);

// {"file", "fileLength", "header": {...} or null, "sound", "problems"}
Json ReportJson(const std::string& fileName, const tessam::PackageReport& report);

// Indented, one object per call; always valid JSON.
void PrintJson(std::ostream& out, const Json& json);

}  // namespace ppwtool
