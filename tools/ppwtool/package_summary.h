#pragma once
// How inspect, extract and verify put a report into words: one line per
// problem, and each field described once, as a table row for people or a JSON
// member for scripts.
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/package_reader.h"

namespace ppwtool {

// Members in a fixed order: people find them where they were last time.
using Json = nlohmann::ordered_json;

// A report, field by field: a table row, a JSON member, or both.
class Summary {
 public:
  Summary& Field(const char* label, const char* key, std::string text, Json value) {
    return Row(label, std::move(text)).Member(key, std::move(value));
  }
  Summary& Field(const char* label, const char* key, std::uint64_t number) {
    return Field(label, key, std::to_string(number), number);
  }
  Summary& Row(const char* label, std::string text) {
    rows_.emplace_back(label, std::move(text));
    return *this;
  }
  Summary& Member(const char* key, Json value) {
    object_[key] = std::move(value);
    return *this;
  }
  // The inner summary's rows in line, its object as member `key`; null without one.
  Summary& Nest(const char* key, const std::optional<Summary>& inner);

  // The table, or the JSON object indented (always valid JSON).
  void Print(std::ostream& out, bool json) const;

 private:
  std::vector<std::pair<const char*, std::string>> rows_;
  Json object_ = Json::object();
};

// "payload-checksum: stored 0x00001234, computed 0xABCD", and the like.
std::string DescribeProblem(const tessam::PackageReport& report, tessam::PackageProblem problem);

// A row "problem" for each; and as JSON, [{"name": ..., "detail": ...}, ...].
void AddProblemRows(Summary& summary, const tessam::PackageReport& report);
Json ProblemsJson(const tessam::PackageReport& report);

// inspect's report: file, file length, the header's fields (JSON: null
// without a header), verdict ("sound": true or false) and problems.
Summary ReportSummary(const std::string& fileName, const tessam::PackageReport& report);

}  // namespace ppwtool
