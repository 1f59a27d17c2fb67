// The package reader over arbitrary bytes, as `ppwtool inspect` runs it: parse,
// judge, put the report into words, unscramble. Besides the sanitizers'
// verdict it checks what must hold for every input.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "core/package_reader.h"
#include "tools/ppwtool/package_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> package(data, size);
  const tessam::PackageReport report = tessam::InspectPackage(package);

  std::ostringstream sink;
  ppwtool::PrintReportText(sink, "fuzz.ppw", report);
  ppwtool::PrintReportJson(sink, "fuzz.ppw", report);

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
  return 0;
}
