// The reader over packages damaged in memory, checksums repaired so that exactly the intended problem shows.

#include <algorithm>
#include <functional>
#include <span>

#include "core/crc16.h"
#include "core/package_reader.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
using P = PackageProblem;
constexpr std::uint8_t kKey = 14;  // from seeds 1, 2, 3, 4: (4*3 + 2*1) mod 255

void Put32(Bytes& package, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) package.at(offset + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}
void FixHeaderChecksum(Bytes& package) { Put32(package, 60, Crc16(package.data(), 60)); }
void FixChecksums(Bytes& package) {
  Put32(package, 12, Crc16(package.data() + 64, package.size() - 64));
  FixHeaderChecksum(package);
}

// Written byte by byte, not by the package writer: seeds 1..4, filler 10..15.
Bytes MakeSoundPackage(std::uint16_t blocks) {
  const std::uint8_t start[] = {'Q', 'V', 'T', 'H', 0x01, 0x33, 0xEE, 0x16, 0, 0, 0, 0, 0, 0,  0,  0,
                                0,   0,   0,   0,   1,    2,    3,    4,    0, 0, 10, 11, 12, 13, 14, 15};
  Bytes package(64, 0xFF);  // bytes 32..46 stay reserved
  std::copy(std::begin(start), std::end(start), package.begin());
  std::ranges::copy(std::string("www.halvor.cn"), package.begin() + 47);
  for (std::uint8_t byte : test::MakeImage(blocks)) package.push_back(byte ^ kKey);
  Put32(package, 8, static_cast<std::uint32_t>(package.size() - 64));
  Put32(package, 16, blocks * 2000u);
  FixChecksums(package);
  return package;
}

std::function<void(Bytes&)> Set(std::size_t offset, std::uint8_t value) {
  return [=](Bytes& package) { package.at(offset) = value; };
}

// `repaired`: both checksums fixed afterwards. `expected`: in the reader's order.
struct Damage { const char* name; std::function<void(Bytes&)> apply; bool repaired; std::vector<P> expected; };

// A sound package has no problem and unscrambles to its image; each damage gives exactly its problems, and
// unscrambling takes the payload bytes present, never reading past the input. Packed fields are copied (T{...}).
TEST(PackageReader, ReadsSoundPackagesAndNamesEachDamageAndNothingElse) {
  const Damage damages[] = {
      {"sound, with a space and a tilde in the web address", [](Bytes& p) { p.at(50) = ' '; p.at(51) = '~'; }, true, {}},
      {"empty", [](Bytes& p) { p.clear(); }, false, {P::kHeaderTruncated}},
      {"one byte short of a header", [](Bytes& p) { p.resize(63); }, false, {P::kHeaderTruncated}},
      // The checksum of no bytes is 0xFFFF, not the one stored.
      {"header alone", [](Bytes& p) { p.resize(64); }, false, {P::kFileLength, P::kPayloadChecksum}},
      // Payload length 0: no payload bytes count. Seeds, filler and reserved word 0 are fine.
      {"header all zero", [](Bytes& p) { std::fill_n(p.begin(), 64, 0); }, false,
       {P::kWrongMagic, P::kWrongFormatVersion, P::kFileLength, P::kProgramLength, P::kPayloadChecksum,
        P::kHeaderChecksum, P::kReservedBytes, P::kBadWebAddress}},
      {"payload length 4 GiB", [](Bytes& p) { Put32(p, 8, 0xFFFFFFFF); }, true, {P::kFileLength, P::kProgramLength}},
      {"magic, last byte", Set(3, 'h'), true, {P::kWrongMagic}},
      {"format version", Set(7, 0x17), true, {P::kWrongFormatVersion}},
      {"trailing byte", [](Bytes& p) { p.push_back(0); }, false, {P::kFileLength}},
      {"missing byte", [](Bytes& p) { p.pop_back(); }, false, {P::kFileLength, P::kPayloadChecksum}},
      // Program length and the image's block count agree, but not with the payload length.
      {"program length", [](Bytes& p) { p[64] ^= 2; Put32(p, 16, (p[64] ^ kKey) * 2000u); }, true, {P::kProgramLength}},
      {"block count, high byte", [](Bytes& p) { p[65] ^= 1; }, true, {P::kBlockCount}},
      {"cut after it", [](Bytes& p) { p[65] ^= 1; p.resize(66); }, false,
       {P::kFileLength, P::kBlockCount, P::kPayloadChecksum}},
      {"payload, last byte", [](Bytes& p) { p.back() ^= 0x80; }, false, {P::kPayloadChecksum}},
      // Checksums are 16-bit values stored in 32 bits: nonzero high bytes are damage.
      {"payload checksum, high bits", [](Bytes& p) { p[12] = 1; FixHeaderChecksum(p); }, false, {P::kPayloadChecksum}},
      {"header checksum, high bits", Set(60, 0x80), false, {P::kHeaderChecksum}},
      // The new key is (4*255 + 2*1) mod 255 = 2; the payload is scrambled anew with it.
      {"seed 255", [](Bytes& p) { p[22] = 255; for (auto& b : std::span(p).subspan(64)) b ^= kKey ^ 2; },
       true, {P::kSeedByte255}},
      {"filler 255, last", Set(31, 255), true, {P::kFillerByte255}},
      {"reserved, first", Set(32, 0x00), true, {P::kReservedBytes}},
      {"reserved, last", Set(46, 0xFE), true, {P::kReservedBytes}},
      {"reserved word, low byte", Set(25, 1), true, {P::kReservedWord}},
      {"web address, delete", Set(50, 0x7F), true, {P::kBadWebAddress}},
  };
  for (const Damage& damage : damages) {
    for (std::uint16_t blocks : {0, 1, 3}) {
      SCOPED_TRACE(testing::Message() << damage.name << ", " << blocks << " blocks");
      Bytes package = MakeSoundPackage(blocks);
      damage.apply(package);
      if (damage.repaired) FixChecksums(package);
      const PackageReport report = InspectPackage(package);
      EXPECT_EQ(report.problems, damage.expected);
      EXPECT_EQ(report.hasHeader, package.size() >= 64);
      EXPECT_EQ(UnscrambleImage(package, report).size(), report.payloadBytesPresent);
      if (!damage.expected.empty()) continue;
      EXPECT_EQ(report.fileLength, 64 + 92 + blocks * 2000u);
      EXPECT_EQ(std::uint32_t{report.header.programLength}, blocks * 2000u);
      EXPECT_EQ(report.scrambleKey, kKey);
      EXPECT_EQ(report.imageBlockCount, blocks);
      EXPECT_EQ(UnscrambleImage(package, report), test::MakeImage(blocks));
      // Cut short after it was judged: only the payload bytes still there.
      EXPECT_EQ(UnscrambleImage(std::span(package).first(100), report).size(), 36u);
    }
  }
}

// Read in chunks: a source far longer than any package, or one that fails or ends early, is not read to its end.
TEST(PackageReader, ReadsFilesInChunks) {
  const Bytes sound = MakeSoundPackage(600);  // 1.2 MB: more than one chunk
  // `failAt`: the read that covers this offset fails, or (`ends`) finds the end.
  const struct { std::uint64_t length, failAt; bool ends; std::optional<std::vector<P>> expected; } cases[] = {
      {sound.size(), ~0ull, false, std::vector<P>{}},
      {1ull << 40, ~0ull, false, std::vector<P>{P::kFileLength, P::kFileTooLong}},  // 1 TiB of zeros after it
      {64 + 65535 * 2000ull + 92, ~0ull, false, std::vector<P>{P::kFileLength}},    // up to the largest package
      {sound.size(), 64 + (1u << 20) + 5, false, std::nullopt},                     // a read error
      {sound.size(), sound.size() - 1, true, std::nullopt},                         // cut short while read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length + c.failAt);
    std::uint64_t highest = 0;
    const PackageSource source{c.length, [&](std::uint64_t offset, std::span<std::uint8_t> into) {
      const std::optional<std::size_t> failed = c.ends ? std::optional<std::size_t>(0) : std::nullopt;
      if (offset <= c.failAt && c.failAt < offset + into.size()) return failed;
      highest = std::max<std::uint64_t>(highest, offset + into.size());
      const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), c.length - offset));
      for (std::size_t i = 0; i < count; ++i) into[i] = offset + i < sound.size() ? sound[offset + i] : 0;
      return std::optional<std::size_t>(count);
    }};
    const auto report = InspectPackage(source);
    ASSERT_EQ(report.has_value(), c.expected.has_value());
    if (!report) continue;
    EXPECT_EQ(report->problems, *c.expected);
    EXPECT_EQ(report->fileLength, c.length);
    EXPECT_EQ(highest, sound.size());  // the declared payload, and not a byte more
  }
}

}  // namespace
}  // namespace tessam
