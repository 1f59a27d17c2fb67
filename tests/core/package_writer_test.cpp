// WritePackage: preconditions, the bytes on disk, replacing, exclusivity, and
// what is left behind when a write fails or is stopped part-way.
#include <gtest/gtest.h>

#include "core/crc16.h"
#include "core/file.h"
#include "core/package_writer.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

class PackageWriterTest : public testing::Test {
 protected:
  void SetUp() override { Fill(std::size_t{3} * kPackageWriteChunk + 92); }

  void Fill(std::size_t length) {
    payload = test::RandomBytes(length, 5);
    header.Reset();
    header.payloadLength = static_cast<std::uint32_t>(length);
    header.payloadChecksum = Crc16(payload.data(), payload.size());
  }

  int Write(const PackageWriteOptions& options = {}) { return WritePackage(header, 0, payload, test::Text(package), options); }

  test::TempDir dir;
  fs::path package = dir / "VANTU.PPW";
  PackageHeader header;
  Bytes payload;
};

TEST_F(PackageWriterTest, RefusesMissingInputsWithoutCreatingAFile) {
  EXPECT_EQ(WritePackage(header, 0, payload, u""), 0);
  EXPECT_EQ(WritePackage(header, 0, {}, test::Text(package)), 0);
  EXPECT_EQ(WritePackage(header, 0, std::span(payload).first(10), test::Text(package)), 0);
  header.payloadLength = 0;
  EXPECT_EQ(Write(), 0);
  EXPECT_FALSE(fs::exists(package));
}

TEST_F(PackageWriterTest, WritesHeaderThenPayloadAndKeepsTheChecksumInTheRecord) {
  Fill(92);
  ASSERT_EQ(WritePackage(header, 0x0102, payload, test::Text(package)), 1);
  const Bytes file = test::ReadFile(package);
  ASSERT_EQ(file.size(), 64u + 92u);
  EXPECT_EQ(header.reservedWord, 0x0102);
  EXPECT_EQ(file[24], 0x01);
  EXPECT_EQ(file[25], 0x02);
  EXPECT_EQ(header.headerChecksum, Crc16(file.data(), 60));
  const auto encoded = EncodeHeader(header);  // the record now equals the file's header
  EXPECT_TRUE(std::equal(encoded.begin(), encoded.end(), file.begin()));
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), file.begin() + 64));
}

TEST_F(PackageWriterTest, ReplacesALongerPackageCompletely) {
  test::WriteFile(package, Bytes(payload.size() * 2, 0x77));
  ASSERT_EQ(Write(), 1);
  EXPECT_EQ(fs::file_size(package), 64 + payload.size());
}

TEST_F(PackageWriterTest, HeldPackageIsLeftAloneButTheChecksumIsStillComputed) {
  test::WriteFile(package, Bytes(10, 0x42));
  auto holder = File::OpenForReading(test::Text(package));
  ASSERT_TRUE(holder);
  EXPECT_EQ(WritePackageExplained(header, 0, payload, test::Text(package)), BuildFailure::kPackageNotOpenable);
  EXPECT_NE(header.headerChecksum, 0u);
  holder->Close();
  EXPECT_EQ(test::ReadFile(package), Bytes(10, 0x42));
}

TEST_F(PackageWriterTest, FailingWritePartWayRemovesThePartialPackage) {
  test::WriteFile(package, Bytes(10, 0x42));
  PackageWriteOptions options;
  int writes = 0;
  options.writeChunk = [&](File& file, std::span<const std::uint8_t> bytes) {
    return ++writes < 3 && file.Write(bytes);  // header and one chunk, then the disk is full
  };
  EXPECT_EQ(WritePackageExplained(header, 0, payload, test::Text(package), options), BuildFailure::kPackageWriteError);
  EXPECT_EQ(writes, 3);
  EXPECT_FALSE(fs::exists(package));
}

TEST_F(PackageWriterTest, StopBeforeOpeningTouchesNothing) {
  test::WriteFile(package, Bytes(10, 0x42));
  std::stop_source stop;
  stop.request_stop();
  PackageWriteOptions options;
  options.stop = stop.get_token();
  EXPECT_EQ(WritePackageExplained(header, 0, payload, test::Text(package), options), BuildFailure::kStopped);
  EXPECT_EQ(test::ReadFile(package), Bytes(10, 0x42));
}

TEST_F(PackageWriterTest, StopPartWayRemovesThePackageAndReleasesIt) {
  std::stop_source stop;
  PackageWriteOptions options;
  options.stop = stop.get_token();
  options.progress = [&](std::uint64_t written, std::uint64_t total) {
    EXPECT_LT(written, total);  // the stop is seen before the next chunk
    stop.request_stop();
  };
  EXPECT_EQ(WritePackageExplained(header, 0, payload, test::Text(package), options), BuildFailure::kStopped);
  EXPECT_FALSE(fs::exists(package));
  EXPECT_TRUE(File::OpenForWriting(test::Text(package)));  // nothing holds the path any more
}

}  // namespace
}  // namespace tessam
