#include "tools/ppwtool/package_summary.h"

#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <span>
#include <vector>

#include "core/utf.h"

namespace ppwtool {

namespace layout = tessam::layout;
using tessam::PackageProblem;
using tessam::PackageReport;

namespace {

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%0*X", digits, static_cast<unsigned>(value));
  return text;
}

// The record holds its single-byte fields (magic, seeds, filler, reserved
// block, web address) exactly as they lie in the file, at the file's offsets.
std::uint8_t HeaderByte(const PackageReport& report, std::size_t offset) {
  return reinterpret_cast<const std::uint8_t*>(&report.header)[offset];
}

// Header text shown as it lies: printable ASCII as is, anything else as \xNN.
std::string QuotedHeaderText(const PackageReport& report, std::size_t offset, std::size_t size) {
  std::string text = "\"";
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t byte = HeaderByte(report, offset + i);
    if (byte == '"' || byte == '\\') {
      text += '\\';
      text += static_cast<char>(byte);
    } else if (byte >= 0x20 && byte <= 0x7E) {
      text += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
      text += escaped;
    }
  }
  return text + "\"";
}

std::string ByteList(const PackageReport& report, std::size_t offset, std::size_t count, bool hex) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    const std::uint8_t byte = HeaderByte(report, offset + i);
    if (hex) {
      char digits[4];
      std::snprintf(digits, sizeof(digits), "%02X", byte);
      text += digits;
    } else {
      text += std::to_string(byte);
    }
  }
  return text;
}

// Offsets of the bytes in [offset, offset + count) that fail `ok`, e.g. "21, 23".
template <typename Predicate>
std::vector<std::size_t> OffendingBytes(const PackageReport& report, std::size_t offset,
                                        std::size_t count, Predicate ok) {
  std::vector<std::size_t> offsets;
  for (std::size_t i = offset; i < offset + count; ++i) {
    if (!ok(HeaderByte(report, i))) offsets.push_back(i);
  }
  return offsets;
}

std::string ListOffsets(const PackageReport& report, const std::vector<std::size_t>& offsets) {
  std::string text;
  for (std::size_t offset : offsets) {
    if (!text.empty()) text += ", ";
    text += "byte " + std::to_string(offset) + " is " + Hex(HeaderByte(report, offset), 2);
  }
  return text;
}

bool IsNot255(std::uint8_t byte) { return byte != tessam::kDrawModulus; }
bool IsReservedByte(std::uint8_t byte) { return byte == tessam::kReservedByte; }

std::string ProgramLengthText(const PackageReport& report) {
  const std::uint32_t program = report.header.programLength;
  std::string text = std::to_string(program);
  if (program % tessam::project::kBytesPerBlock == 0) {
    const std::uint32_t blocks = program / tessam::project::kBytesPerBlock;
    text += " (" + std::to_string(blocks) + (blocks == 1 ? " block)" : " blocks)");
  } else {
    text += " (not a whole number of " + std::to_string(tessam::project::kBytesPerBlock) + "-byte blocks)";
  }
  return text;
}

std::string ChecksumText(std::uint32_t stored, std::uint16_t computed) {
  return "stored " + Hex(stored, 8) + ", computed " + Hex(computed, 4);
}

// Raw header bytes as JSON text: a byte outside printable ASCII becomes the
// code point of the same value, so the bytes can be read back exactly.
std::string HeaderCodePoints(const PackageReport& report, std::size_t offset, std::size_t size) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&report.header);
  return tessam::BytesAsCodePoints(std::span(bytes + offset, size));
}

Json HeaderBytes(const PackageReport& report, std::size_t offset, std::size_t count) {
  Json bytes = Json::array();
  for (std::size_t i = 0; i < count; ++i) bytes.push_back(HeaderByte(report, offset + i));
  return bytes;
}

Json ChecksumJson(std::uint32_t stored, std::uint16_t computed) {
  return Json{{"stored", stored}, {"computed", computed}};
}

}  // namespace

std::string DescribeProblem(const PackageReport& report, PackageProblem problem) {
  const auto& header = report.header;
  std::string detail;
  switch (problem) {
    case PackageProblem::kHeaderTruncated:
      detail = "file is " + std::to_string(report.fileLength) + " bytes, shorter than the " +
               std::to_string(layout::kHeaderSize) + "-byte header";
      break;
    case PackageProblem::kWrongMagic:
      detail = "magic is " + QuotedHeaderText(report, layout::kMagicOffset, layout::kMagicSize) +
               " instead of \"QVTH\"";
      break;
    case PackageProblem::kWrongFormatVersion:
      detail = "format version is " + Hex(header.formatVersion, 8) + " instead of " +
               Hex(tessam::kFormatVersion, 8);
      break;
    case PackageProblem::kFileLength:
      detail = "file is " + std::to_string(report.fileLength) + " bytes, but " + std::to_string(layout::kHeaderSize) +
               " + payload length is " +
               std::to_string(layout::kHeaderSize + std::uint64_t{header.payloadLength});
      break;
    case PackageProblem::kFileTooLong:
      detail = "file is " + std::to_string(report.fileLength) + " bytes, longer than the largest package (" +
               std::to_string(tessam::kLargestPackage) + " bytes)";
      break;
    case PackageProblem::kProgramLength:
      detail = "payload length " + std::to_string(header.payloadLength) +
               " is not program length " + std::to_string(header.programLength) + " + " +
               std::to_string(tessam::project::kImageTrailer);
      break;
    case PackageProblem::kBlockCount:
      detail = "program length " + std::to_string(header.programLength) +
               " is not the image's block count " + std::to_string(*report.imageBlockCount) + " x " +
               std::to_string(tessam::project::kBytesPerBlock);
      break;
    case PackageProblem::kPayloadChecksum:
      detail = ChecksumText(header.payloadChecksum, report.computedPayloadChecksum) + " over " +
               std::to_string(report.payloadBytesPresent) + " payload bytes";
      break;
    case PackageProblem::kHeaderChecksum:
      detail = ChecksumText(header.headerChecksum, report.computedHeaderChecksum);
      break;
    case PackageProblem::kSeedByte255:
      detail = "key seeds are 0..254: " +
               ListOffsets(report, OffendingBytes(report, layout::kSeedsOffset, layout::kSeedCount, IsNot255));
      break;
    case PackageProblem::kFillerByte255:
      detail = "filler bytes are 0..254: " +
               ListOffsets(report, OffendingBytes(report, layout::kFillerOffset, layout::kFillerCount, IsNot255));
      break;
    case PackageProblem::kReservedBytes:
      detail = "bytes " + std::to_string(layout::kReservedOffset) + ".." +
               std::to_string(layout::kReservedOffset + layout::kReservedSize - 1) + " are all " +
               Hex(tessam::kReservedByte, 2) + ": " +
               ListOffsets(report, OffendingBytes(report, layout::kReservedOffset, layout::kReservedSize,
                                                  IsReservedByte));
      break;
    case PackageProblem::kReservedWord:
      detail = "reserved word is " + std::to_string(header.reservedWord) + " instead of 0";
      break;
    case PackageProblem::kBadWebAddress:
      detail = "web address " +
               QuotedHeaderText(report, layout::kWebAddressOffset, layout::kWebAddressSize) +
               " is not 13 printable ASCII characters: " +
               ListOffsets(report, OffendingBytes(report, layout::kWebAddressOffset,
                                                  layout::kWebAddressSize, tessam::IsPrintableAscii));
      break;
  }
  return std::string(tessam::ProblemName(problem)) + ": " + detail;
}

void PrintRow(std::ostream& out, const char* label, const std::string& value) {
  out << std::left << std::setw(18) << label << value << '\n';
}

void PrintReportText(std::ostream& out, const std::string& fileName, const PackageReport& report) {
  auto row = [&out](const char* label, const std::string& value) { PrintRow(out, label, value); };
  row("file", fileName);
  row("file length", std::to_string(report.fileLength) + " bytes");
  if (report.hasHeader) {
    const auto& header = report.header;
    row("magic", QuotedHeaderText(report, layout::kMagicOffset, layout::kMagicSize));
    row("format version", Hex(header.formatVersion, 8) + " (" + std::to_string(header.formatVersion) + ")");
    row("payload length", std::to_string(header.payloadLength));
    row("program length", ProgramLengthText(report));
    row("payload checksum", ChecksumText(header.payloadChecksum, report.computedPayloadChecksum));
    row("key seeds", ByteList(report, layout::kSeedsOffset, layout::kSeedCount, false));
    row("scramble key", std::to_string(report.scrambleKey) + " (" + Hex(report.scrambleKey, 2) + ")");
    row("reserved word", std::to_string(header.reservedWord));
    row("filler", ByteList(report, layout::kFillerOffset, layout::kFillerCount, false));
    row("reserved", ByteList(report, layout::kReservedOffset, layout::kReservedSize, true));
    row("web address", QuotedHeaderText(report, layout::kWebAddressOffset, layout::kWebAddressSize));
    row("header checksum", ChecksumText(header.headerChecksum, report.computedHeaderChecksum));
  }
  if (report.sound()) {
    row("verdict", "sound");
    return;
  }
  const std::size_t count = report.problems.size();
  row("verdict", "damaged (" + std::to_string(count) + (count == 1 ? " problem)" : " problems)"));
  for (PackageProblem problem : report.problems) row("problem", DescribeProblem(report, problem));
}

Json ProblemsJson(const PackageReport& report) {
  Json problems = Json::array();
  for (PackageProblem problem : report.problems) {
    problems.push_back(Json{{"name", tessam::ProblemName(problem)}, {"detail", DescribeProblem(report, problem)}});
  }
  return problems;
}

Json ReportJson(const std::string& fileName, const PackageReport& report) {
  Json json;
  json["file"] = fileName;
  json["fileLength"] = report.fileLength;
  json["header"] = nullptr;
  if (report.hasHeader) {
    const auto& header = report.header;
    json["header"] = Json{
        {"magic", HeaderCodePoints(report, layout::kMagicOffset, layout::kMagicSize)},
        {"formatVersion", std::uint32_t{header.formatVersion}},
        {"payloadLength", std::uint32_t{header.payloadLength}},
        {"programLength", std::uint32_t{header.programLength}},
        {"payloadChecksum", ChecksumJson(header.payloadChecksum, report.computedPayloadChecksum)},
        {"seeds", HeaderBytes(report, layout::kSeedsOffset, layout::kSeedCount)},
        {"scrambleKey", report.scrambleKey},
        {"reservedWord", std::uint16_t{header.reservedWord}},
        {"filler", HeaderBytes(report, layout::kFillerOffset, layout::kFillerCount)},
        {"reserved", HeaderBytes(report, layout::kReservedOffset, layout::kReservedSize)},
        {"webAddress", HeaderCodePoints(report, layout::kWebAddressOffset, layout::kWebAddressSize)},
        {"headerChecksum", ChecksumJson(header.headerChecksum, report.computedHeaderChecksum)},
    };
  }
  json["sound"] = report.sound();
  json["problems"] = ProblemsJson(report);
  return json;
}

void PrintJson(std::ostream& out, const Json& json) {
  // Text that is not UTF-8 (a file name, in principle) is replaced, never
  // copied into the output as it is, so the output always parses.
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace ppwtool
