// The package reader over arbitrary bytes, as `ppwtool inspect` runs it: parse,
// judge, put the report into words, unscramble, compare with a project. Besides
// the sanitizers' verdict it checks what must hold for every input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "core/package_reader.h"
#include "tools/ppwtool/image_comparison.h"
#include "tools/ppwtool/package_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> package(data, size);
  const tessam::PackageReport report = tessam::InspectPackage(package);

  // A file hands out its bytes in pieces of any size; the report must not
  // depend on how they arrive.
  tessam::PackageSource trickle = tessam::SourceOf(package);
  trickle.readAt = [whole = trickle.readAt](std::uint64_t offset, std::span<std::uint8_t> into) {
    return whole(offset, into.first(std::min<std::size_t>(into.size(), 1 + offset % 7)));
  };
  const auto trickled = tessam::InspectPackage(trickle);
  if (!trickled || trickled->problems != report.problems ||
      trickled->computedPayloadChecksum != report.computedPayloadChecksum) {
    __builtin_trap();
  }

  std::ostringstream sink;
  const ppwtool::Summary summary = ppwtool::ReportSummary("fuzz.ppw", report);
  summary.Print(sink, false);
  summary.Print(sink, true);

  const auto image = tessam::UnscrambleImage(package, report);
  const bool headerPresent = size >= tessam::layout::kHeaderSize;
  if (report.hasHeader != headerPresent) __builtin_trap();
  if (report.fileLength != size) __builtin_trap();
  if (image.size() != report.payloadBytesPresent) __builtin_trap();
  if (headerPresent && report.payloadBytesPresent > size - tessam::layout::kHeaderSize) __builtin_trap();
  if (report.sound() && size != tessam::layout::kHeaderSize + std::uint64_t{report.header.payloadLength}) {
    __builtin_trap();
  }
  // The image scrambled again is the stored payload, byte for byte.
  for (std::size_t i = 0; i < image.size(); ++i) {
    if ((image[i] ^ report.scrambleKey) != data[tessam::layout::kHeaderSize + i]) __builtin_trap();
  }

  // The input as its own project: never a read past either end, and the count
  // of differing bytes never exceeds the image.
  const auto comparison = ppwtool::CompareImage(tessam::SourceOf(package), report, trickle, std::nullopt);
  if (!comparison || comparison->differingBytes > image.size()) __builtin_trap();
  return 0;
}
