#include "tools/ppwtool/package_summary.h"

#include <cstdint>
#include <iomanip>
#include <span>
#include <sstream>

#include "core/utf.h"

namespace ppwtool {

namespace layout = tessam::layout;
using tessam::PackageProblem;
using tessam::PackageReport;

namespace {

using Bytes = std::span<const std::uint8_t>;

// Words and numbers run together: Text("file is ", 12, " bytes"). By value,
// as the header record's fields are packed.
template <typename... Parts>
std::string Text(Parts... parts) {
  std::ostringstream text;
  (text << ... << parts);
  return text.str();
}

std::string Hex(std::uint32_t value, int digits) {
  return Text("0x", std::uppercase, std::hex, std::setfill('0'), std::setw(digits), value);
}

// A header field's bytes as they lie in the file.
Bytes HeaderField(const PackageReport& report, std::size_t offset, std::size_t size) {
  return Bytes(report.headerBytes).subspan(offset, size);
}

// Header text shown as it lies: printable ASCII as is, anything else as \xNN.
std::string Quoted(Bytes bytes) {
  std::string text = "\"";
  for (const std::uint8_t byte : bytes) {
    if (byte == '"' || byte == '\\') text += '\\';
    text += tessam::IsPrintableAscii(byte) ? std::string(1, static_cast<char>(byte)) : "\\x" + Hex(byte, 2).substr(2);
  }
  return text + "\"";
}

std::string ByteList(Bytes bytes, bool hex) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) text += ' ';
    text += hex ? Hex(byte, 2).substr(2) : std::to_string(byte);
  }
  return text;
}

// The header bytes in [offset, offset + size) that fail `ok`: "byte 21 is 0xFF, byte 23 is 0xFF".
template <typename Predicate>
std::string Offending(const PackageReport& report, std::size_t offset, std::size_t size, Predicate ok) {
  std::string text;
  for (std::size_t at = offset; at < offset + size; ++at) {
    if (ok(report.headerBytes[at])) continue;
    if (!text.empty()) text += ", ";
    text += "byte " + std::to_string(at) + " is " + Hex(report.headerBytes[at], 2);
  }
  return text;
}

bool IsNot255(std::uint8_t byte) { return byte != tessam::kDrawModulus; }
bool IsReservedByte(std::uint8_t byte) { return byte == tessam::kReservedByte; }

std::string ProgramLengthText(std::uint32_t program) {
  constexpr std::uint32_t kBlock = tessam::project::kBytesPerBlock;
  if (program % kBlock != 0) return Text(program, " (not a whole number of ", kBlock, "-byte blocks)");
  const std::uint32_t blocks = program / kBlock;
  return Text(program, " (", blocks, blocks == 1 ? " block)" : " blocks)");
}

std::string ChecksumText(std::uint32_t stored, std::uint16_t computed) {
  return "stored " + Hex(stored, 8) + ", computed " + Hex(computed, 4);
}

std::string ProblemDetail(const PackageReport& report, PackageProblem problem) {
  const auto& header = report.header;
  const std::uint64_t fileLength = report.fileLength;
  using enum PackageProblem;
  switch (problem) {
    case kHeaderTruncated:
      return Text("file is ", fileLength, " bytes, shorter than the ", layout::kHeaderSize, "-byte header");
    case kWrongMagic:
      return "magic is " + Quoted(HeaderField(report, layout::kMagicOffset, layout::kMagicSize)) +
             " instead of \"QVTH\"";
    case kWrongFormatVersion:
      return "format version is " + Hex(header.formatVersion, 8) + " instead of " + Hex(tessam::kFormatVersion, 8);
    case kFileLength:
      return Text("file is ", fileLength, " bytes, but ", layout::kHeaderSize, " + payload length is ",
                  layout::kHeaderSize + std::uint64_t{header.payloadLength});
    case kFileTooLong:
      return Text("file is ", fileLength, " bytes, longer than the largest package (", tessam::kLargestPackage,
                  " bytes)");
    case kProgramLength:
      return Text("payload length ", header.payloadLength, " is not program length ", header.programLength, " + ",
                  tessam::project::kImageTrailer);
    case kBlockCount:
      return Text("program length ", header.programLength, " is not the image's block count ", *report.imageBlockCount,
                  " x ", tessam::project::kBytesPerBlock);
    case kPayloadChecksum:
      return Text(ChecksumText(header.payloadChecksum, report.computedPayloadChecksum), " over ",
                  report.payloadBytesPresent, " payload bytes");
    case kHeaderChecksum:
      return ChecksumText(header.headerChecksum, report.computedHeaderChecksum);
    case kSeedByte255:
      return "key seeds are 0..254: " + Offending(report, layout::kSeedsOffset, layout::kSeedCount, IsNot255);
    case kFillerByte255:
      return "filler bytes are 0..254: " + Offending(report, layout::kFillerOffset, layout::kFillerCount, IsNot255);
    case kReservedBytes:
      return Text("bytes ", layout::kReservedOffset, "..", layout::kReservedOffset + layout::kReservedSize - 1,
                  " are all ", Hex(tessam::kReservedByte, 2), ": ",
                  Offending(report, layout::kReservedOffset, layout::kReservedSize, IsReservedByte));
    case kReservedWord:
      return Text("reserved word is ", header.reservedWord, " instead of 0");
    case kBadWebAddress:
      return "web address " + Quoted(HeaderField(report, layout::kWebAddressOffset, layout::kWebAddressSize)) +
             " is not 13 printable ASCII characters: " +
             Offending(report, layout::kWebAddressOffset, layout::kWebAddressSize, tessam::IsPrintableAscii);
  }
  return "";
}

// Header text becomes JSON text one code point per byte, so that it can be
// read back exactly whatever it holds.
Summary HeaderSummary(const PackageReport& report) {
  const auto& header = report.header;
  const Bytes magic = HeaderField(report, layout::kMagicOffset, layout::kMagicSize);
  const Bytes seeds = HeaderField(report, layout::kSeedsOffset, layout::kSeedCount);
  const Bytes filler = HeaderField(report, layout::kFillerOffset, layout::kFillerCount);
  const Bytes reserved = HeaderField(report, layout::kReservedOffset, layout::kReservedSize);
  const Bytes web = HeaderField(report, layout::kWebAddressOffset, layout::kWebAddressSize);
  const std::uint32_t version = header.formatVersion;
  const auto checksum = [](std::uint32_t stored, std::uint16_t computed) {
    return Json{{"stored", stored}, {"computed", computed}};
  };
  Summary summary;
  summary.Field("magic", "magic", Quoted(magic), tessam::BytesAsCodePoints(magic))
      .Field("format version", "formatVersion", Text(Hex(version, 8), " (", version, ")"), version)
      .Field("payload length", "payloadLength", header.payloadLength)
      .Field("program length", "programLength", ProgramLengthText(header.programLength),
             std::uint32_t{header.programLength})
      .Field("payload checksum", "payloadChecksum",
             ChecksumText(header.payloadChecksum, report.computedPayloadChecksum),
             checksum(header.payloadChecksum, report.computedPayloadChecksum))
      .Field("key seeds", "seeds", ByteList(seeds, false), seeds)
      .Field("scramble key", "scrambleKey", Text(unsigned{report.scrambleKey}, " (", Hex(report.scrambleKey, 2), ")"),
             report.scrambleKey)
      .Field("reserved word", "reservedWord", header.reservedWord)
      .Field("filler", "filler", ByteList(filler, false), filler)
      .Field("reserved", "reserved", ByteList(reserved, true), reserved)
      .Field("web address", "webAddress", Quoted(web), tessam::BytesAsCodePoints(web))
      .Field("header checksum", "headerChecksum", ChecksumText(header.headerChecksum, report.computedHeaderChecksum),
             checksum(header.headerChecksum, report.computedHeaderChecksum));
  return summary;
}

}  // namespace

Summary& Summary::Nest(const char* key, const std::optional<Summary>& inner) {
  if (inner) rows_.insert(rows_.end(), inner->rows_.begin(), inner->rows_.end());
  return Member(key, inner ? inner->object_ : Json());
}

void Summary::Print(std::ostream& out, bool json) const {
  // Text that is not UTF-8 (a file name, in principle) is replaced, never
  // copied into the JSON as it is, so that it always parses.
  if (json) {
    out << object_.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    return;
  }
  for (const auto& [label, text] : rows_) out << std::left << std::setw(18) << label << text << '\n';
}

std::string DescribeProblem(const PackageReport& report, PackageProblem problem) {
  return std::string(tessam::ProblemName(problem)) + ": " + ProblemDetail(report, problem);
}

void AddProblemRows(Summary& summary, const PackageReport& report) {
  for (PackageProblem problem : report.problems) summary.Row("problem", DescribeProblem(report, problem));
}

Json ProblemsJson(const PackageReport& report) {
  Json problems = Json::array();
  for (PackageProblem problem : report.problems) {
    problems.push_back(Json{{"name", tessam::ProblemName(problem)}, {"detail", DescribeProblem(report, problem)}});
  }
  return problems;
}

Summary ReportSummary(const std::string& fileName, const PackageReport& report) {
  const std::size_t count = report.problems.size();
  const std::string verdict = "damaged (" + std::to_string(count) + (count == 1 ? " problem)" : " problems)");
  Summary summary;
  summary.Field("file", "file", fileName, fileName)
      .Field("file length", "fileLength", std::to_string(report.fileLength) + " bytes", report.fileLength)
      .Nest("header", report.hasHeader ? std::optional(HeaderSummary(report)) : std::nullopt)
      .Field("verdict", "sound", report.sound() ? "sound" : verdict, report.sound());
  AddProblemRows(summary, report);
  return summary.Member("problems", ProblemsJson(report));
}

}  // namespace ppwtool
