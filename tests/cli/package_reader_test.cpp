// The package reader over packages in memory: fields, verdicts, every damage,
// inputs too short for what their header claims, and unscrambling.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/package_builder.h"
#include "core/package_reader.h"
#include "tests/cli/package_damage.h"

namespace tessam::test {
namespace {

using P = PackageProblem;

// The header record is packed: its fields are copied (T{...}) before gtest
// binds references to them.
TEST(PackageReader, ReadsEveryFieldOfASoundPackage) {
  const Bytes package = MakeSoundPackage(1);
  const PackageReport report = InspectPackage(package);

  EXPECT_TRUE(report.sound()) << ProblemName(report.problems.front());
  ASSERT_TRUE(report.hasHeader);
  EXPECT_EQ(report.fileLength, 64u + 2092u);
  EXPECT_EQ(std::string(report.header.magic, 4), "QVTH");
  EXPECT_EQ(std::uint32_t{report.header.formatVersion}, 0x0133EE16u);
  EXPECT_EQ(std::uint32_t{report.header.payloadLength}, 2092u);
  EXPECT_EQ(std::uint32_t{report.header.programLength}, 2000u);
  EXPECT_EQ(report.header.seeds[0], 1);
  EXPECT_EQ(report.header.seeds[3], 4);
  EXPECT_EQ(report.scrambleKey, 14);  // (4*3 + 2*1) mod 255
  EXPECT_EQ(std::uint16_t{report.header.reservedWord}, 0);
  EXPECT_EQ(report.header.filler[5], 15);
  EXPECT_EQ(std::string(report.header.webAddress, 13), "www.halvor.cn");
  EXPECT_EQ(std::uint32_t{report.header.payloadChecksum}, report.computedPayloadChecksum);
  EXPECT_EQ(std::uint32_t{report.header.headerChecksum}, report.computedHeaderChecksum);
  EXPECT_EQ(report.payloadBytesPresent, 2092u);
  EXPECT_EQ(report.imageBlockCount, 1);
}

TEST(PackageReader, SmallestPackageIsSound) {
  const Bytes package = MakeSoundPackage(0);
  ASSERT_EQ(package.size(), 156u);
  const PackageReport report = InspectPackage(package);
  EXPECT_TRUE(report.sound());
  EXPECT_EQ(std::uint32_t{report.header.programLength}, 0u);
}

// Every damage alone gives exactly the problems it was made to cause.
TEST(PackageReader, NamesEachDamageAndNothingElse) {
  for (const Damage& damage : AllDamages()) {
    for (std::uint16_t blocks : {1, 3}) {
      Bytes package = MakeSoundPackage(blocks);
      damage.apply(package);
      const PackageReport report = InspectPackage(package);
      EXPECT_EQ(report.problems, damage.expected) << damage.name << ", " << blocks << " blocks";
      EXPECT_FALSE(report.sound()) << damage.name;
    }
  }
}

TEST(PackageReader, ListsEveryProblemOfAZeroHeaderOnce) {
  Bytes package(64 + 92, 0);
  const PackageReport report = InspectPackage(package);
  // Payload length 0: no payload bytes count, so the empty checksum 0xFFFF
  // is compared with the stored 0. Seeds, filler and reserved word 0 are fine.
  const std::vector<PackageProblem> expected = {
      P::kWrongMagic,      P::kWrongFormatVersion, P::kFileLength,    P::kProgramLength,
      P::kPayloadChecksum, P::kHeaderChecksum,     P::kReservedBytes, P::kBadWebAddress};
  EXPECT_EQ(report.problems, expected);
}

TEST(PackageReader, InputShorterThanAHeaderHasNoHeader) {
  const Bytes sound = MakeSoundPackage(1);
  for (std::size_t size : {0, 1, 4, 63}) {
    const Bytes cut(sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(size));
    const PackageReport report = InspectPackage(cut);
    EXPECT_FALSE(report.hasHeader) << size;
    EXPECT_EQ(report.fileLength, size);
    EXPECT_EQ(report.problems, std::vector<PackageProblem>{P::kHeaderTruncated}) << size;
    EXPECT_TRUE(UnscrambleImage(cut, report).empty());
  }
}

TEST(PackageReader, HeaderAloneMissesItsWholePayload) {
  const Bytes sound = MakeSoundPackage(1);
  const Bytes headerOnly(sound.begin(), sound.begin() + 64);
  const PackageReport report = InspectPackage(headerOnly);
  EXPECT_TRUE(report.hasHeader);
  EXPECT_EQ(report.payloadBytesPresent, 0u);
  EXPECT_EQ(report.computedPayloadChecksum, 0xFFFF);  // checksum of nothing
  EXPECT_FALSE(report.imageBlockCount.has_value());
  EXPECT_EQ(report.problems, (std::vector<PackageProblem>{P::kFileLength, P::kPayloadChecksum}));
}

// A payload length near 4 GiB in a small file: the reader stays inside the
// input (the sanitizer build would catch a stray read) and flags the length.
TEST(PackageReader, HugeDeclaredLengthStaysInsideTheInput) {
  Bytes package = MakeSoundPackage(1);
  SetBigEndian32(package, 8, 0xFFFFFFFF);
  FixHeaderChecksum(package);
  const PackageReport report = InspectPackage(package);
  EXPECT_EQ(report.payloadBytesPresent, 2092u);
  EXPECT_TRUE(report.has(P::kFileLength));
  EXPECT_TRUE(report.has(P::kProgramLength));
  EXPECT_EQ(UnscrambleImage(package, report), ImageOf(1));
}

TEST(PackageReader, UnscramblingGivesTheImageBack) {
  for (std::uint16_t blocks : {0, 1, 5}) {
    const Bytes package = MakeSoundPackage(blocks);
    EXPECT_EQ(UnscrambleImage(package, InspectPackage(package)), ImageOf(blocks)) << blocks;
  }
}

TEST(PackageReader, UnscramblingStopsAtThePayloadLengthOrTheEnd) {
  Bytes longer = MakeSoundPackage(1);
  longer.insert(longer.end(), {1, 2, 3});
  EXPECT_EQ(UnscrambleImage(longer, InspectPackage(longer)), ImageOf(1));

  Bytes shorter = MakeSoundPackage(1);
  shorter.resize(shorter.size() - 10);
  Bytes expected = ImageOf(1);
  expected.resize(expected.size() - 10);
  EXPECT_EQ(UnscrambleImage(shorter, InspectPackage(shorter)), expected);
}

TEST(PackageReader, ProblemNamesAreDistinct) {
  std::vector<std::string> names;
  for (int i = 0; i <= static_cast<int>(P::kBadWebAddress); ++i) {
    names.push_back(ProblemName(static_cast<PackageProblem>(i)));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
  EXPECT_EQ(std::count(names.begin(), names.end(), "unknown"), 0);
}

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() / (std::string("tessam-reader-") + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::filesystem::path folder_;
};

using ReadWholeFileTest = ScratchFolder;

TEST_F(ReadWholeFileTest, ReadsFilesAndRefusesWhatIsNotOne) {
  const Bytes bytes = MakeSoundPackage(3);
  {
    std::ofstream out(folder_ / "VANTU.PPW", std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  EXPECT_EQ(ReadWholeFile(folder_ / "VANTU.PPW"), bytes);
  { std::ofstream empty(folder_ / "empty"); }
  EXPECT_EQ(ReadWholeFile(folder_ / "empty"), Bytes{});
  EXPECT_FALSE(ReadWholeFile(folder_ / "missing").has_value());
  EXPECT_FALSE(ReadWholeFile(folder_).has_value());
}

// What the real builder writes, the reader finds sound, with the key the
// builder drew and the project's image under it.
TEST_F(ReadWholeFileTest, BuilderOutputIsSound) {
  Bytes project(256, 0xA5);
  const Bytes image = ImageOf(2);
  project.insert(project.end(), image.begin(), image.end());
  const auto projectPath = folder_ / "project.pmw";
  const auto packagePath = folder_ / "VANTU.PPW";
  {
    std::ofstream out(projectPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(project.data()), static_cast<std::streamsize>(project.size()));
  }
  PackageBuilder builder([] { return std::int64_t{1700000000}; }, std::make_unique<RuntimeRandom>());
  BuildRequest request{projectPath.u16string(), packagePath.u16string(), std::nullopt};
  ASSERT_EQ(builder.Build(request), 1) << Describe(builder.lastFailure());

  const auto package = ReadWholeFile(packagePath);
  ASSERT_TRUE(package.has_value());
  const PackageReport report = InspectPackage(*package);
  EXPECT_TRUE(report.sound());
  EXPECT_EQ(report.scrambleKey, ScrambleKey(builder.header().seeds));
  EXPECT_EQ(report.computedHeaderChecksum, std::uint32_t{builder.header().headerChecksum});
  EXPECT_EQ(UnscrambleImage(*package, report), image);
}

}  // namespace
}  // namespace tessam::test
