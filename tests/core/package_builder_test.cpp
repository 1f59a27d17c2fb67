// PackageBuilder end to end on real files: the random draws and the key, the
// lengths, the password, what happens to an existing package and to the
// previous payload on failure, exclusivity, and stop requests.
#include <gtest/gtest.h>

#include "core/byte_order.h"
#include "core/crc16.h"
#include "core/file.h"
#include "core/package_builder.h"
#include "core/package_writer.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

constexpr std::int64_t kNow = 1700000000;

class PackageBuilderTest : public testing::Test {
 protected:
  // Draws 1, 2, 3, 4 give key (4*3 + 2*1) mod 255 = 14.
  void UseDraws(std::vector<std::uint32_t> draws) {
    builder = PackageBuilder([] { return kNow; }, std::make_unique<test::ScriptedRandom>(std::move(draws), &seeds));
  }

  BuildRequest Request(std::optional<BuildRequest::Password> password = std::nullopt) const {
    return {test::Text(project), test::Text(package), password};
  }

  // The package's payload unscrambled with the key its own seeds give.
  static Bytes Unscramble(const Bytes& file) {
    const std::uint8_t seeds[4] = {file[20], file[21], file[22], file[23]};
    Bytes image(file.begin() + 64, file.end());
    for (auto& byte : image) byte ^= ScrambleKey(seeds);
    return image;
  }

  static Bytes ImageOf(const Bytes& project, std::size_t length) {
    return Bytes(project.begin() + 256, project.begin() + 256 + static_cast<std::ptrdiff_t>(length));
  }

  test::TempDir dir;
  fs::path folder = dir / fs::path(u8"工程");  // non-ASCII names go through the file layer too
  fs::path project = folder / fs::path(u8"项目.pmw");
  fs::path package = folder / "VANTU.PPW";
  std::vector<std::uint32_t> seeds;
  PackageBuilder builder;

  void SetUp() override {
    fs::create_directory(folder);
    UseDraws({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  }
};

TEST_F(PackageBuilderTest, SeedsOnceThenDrawsFourSeedsAndSixFillerModulo255) {
  UseDraws({256, 2, 3, 4, 255, 509, 5, 6, 7, 8});
  const Bytes source = test::MakeProject(1);
  test::WriteFile(project, source);
  ASSERT_EQ(builder.Build(Request()), 1) << Describe(builder.lastFailure());

  EXPECT_EQ(seeds, std::vector<std::uint32_t>{static_cast<std::uint32_t>(kNow)});
  const Bytes file = test::ReadFile(package);
  ASSERT_EQ(file.size(), 64u + 2092u);
  EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 32), (Bytes{1, 2, 3, 4, 0, 0, 0, 254, 5, 6, 7, 8}));
  EXPECT_EQ(Bytes(file.begin() + 32, file.begin() + 47), Bytes(15, 0xFF));
  EXPECT_EQ(LoadBigEndian32(&file[8]), 2092u);
  EXPECT_EQ(LoadBigEndian32(&file[16]), 2000u);
  for (std::size_t i = 0; i < 2092; ++i) ASSERT_EQ(file[64 + i], source[256 + i] ^ 14) << "payload byte " << i;
  EXPECT_EQ(LoadBigEndian32(&file[12]), Crc16(&file[64], 2092));
  EXPECT_EQ(LoadBigEndian32(&file[60]), Crc16(file.data(), 60));

  // What the builder holds afterwards is what the file holds.
  const auto header = EncodeHeader(builder.header());
  EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
  EXPECT_TRUE(std::equal(builder.payload().begin(), builder.payload().end(), file.begin() + 64));
  EXPECT_EQ(builder.reservedWord(), 0);
}

TEST_F(PackageBuilderTest, LargestSeedsGiveKeyTwo) {
  UseDraws({254});
  const Bytes source = test::MakeProject(0);
  test::WriteFile(project, source);
  ASSERT_EQ(builder.Build(Request()), 1);
  const Bytes file = test::ReadFile(package);
  EXPECT_EQ(file.size(), 156u);  // the smallest package: block count 0
  EXPECT_EQ(file[64], source[256] ^ 2);
  EXPECT_EQ(Unscramble(file), ImageOf(source, 92));
}

TEST_F(PackageBuilderTest, LargeImagePlantsPasswordLowBytesScramblesAndChecksumsEveryChunk) {
  const std::size_t length = 2500 * 2000 + 92;  // several chunks, an odd number of them
  const Bytes source = test::MakeProject(2500);
  test::WriteFile(project, source);
  const BuildRequest::Password password = {u'A', u'b', u'1', u'中', u'é', u'8', u'\xFFFF', u'z'};
  ASSERT_EQ(builder.Build(Request(password)), 1);
  Bytes expected = ImageOf(source, length);
  const std::uint8_t low[8] = {'A', 'b', '1', 0x2D, 0xE9, '8', 0xFF, 'z'};
  std::copy(low, low + 8, expected.begin() + 8);
  Bytes file = test::ReadFile(package);
  EXPECT_EQ(LoadBigEndian32(&file[12]), Crc16(&file[64], length));
  EXPECT_EQ(Unscramble(file), expected);

  // Key 0 (s0 = s2 = 0): the payload is the image itself, password aside.
  UseDraws({0, 9, 0, 9});
  ASSERT_EQ(builder.Build(Request()), 1);
  file = test::ReadFile(package);
  EXPECT_EQ(Bytes(file.begin() + 64, file.end()), ImageOf(source, length));
}

TEST_F(PackageBuilderTest, SameSecondGivesIdenticalPackages) {
  builder = PackageBuilder([] { return kNow; }, std::make_unique<RuntimeRandom>());
  test::WriteFile(project, test::MakeProject(3));
  ASSERT_EQ(builder.Build(Request()), 1);
  const Bytes first = test::ReadFile(package);
  ASSERT_EQ(builder.Build(Request()), 1);
  EXPECT_EQ(test::ReadFile(package), first);
}

TEST(RuntimeRandom, FollowsTheWindowsRuntimeSequence) {
  RuntimeRandom random;
  random.Seed(1);  // srand(1); rand() x5 on the Windows runtime
  for (const std::uint32_t expected : {41u, 18467u, 6334u, 26500u, 19169u}) EXPECT_EQ(random.Draw(), expected);
}

TEST_F(PackageBuilderTest, ProjectShorterThanItsImageFailsAndKeepsPackageAndPayload) {
  const Bytes source = test::MakeProject(2, 5);  // extra bytes past the image are ignored
  test::WriteFile(project, source);
  ASSERT_EQ(builder.Build(Request()), 1);
  EXPECT_EQ(Unscramble(test::ReadFile(package)), ImageOf(source, 4092));
  const Bytes package_before = test::ReadFile(package);

  for (const std::size_t size : {std::size_t{256}, std::size_t{257}, std::size_t{256 + 4092 - 1}}) {
    test::WriteFile(project, Bytes(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_EQ(builder.Build(Request()), 0) << size;
    EXPECT_EQ(builder.lastFailure(), BuildFailure::kProjectTooShort) << size;
    EXPECT_EQ(test::ReadFile(package), package_before) << size;
    EXPECT_EQ(builder.payload().size(), 4092u) << "previous payload kept, size " << size;
  }
}

TEST_F(PackageBuilderTest, PathProblemsFailBeforeTouchingAnything) {
  EXPECT_EQ(builder.Build({u"", test::Text(package), {}}), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kEmptyPath);
  EXPECT_EQ(builder.Build({test::Text(project), u"", {}}), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kEmptyPath);
  EXPECT_EQ(builder.Build(Request()), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kProjectMissing);
  EXPECT_EQ(builder.Build({test::Text(folder), test::Text(package), {}}), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kProjectNotOpenable);
  EXPECT_FALSE(fs::exists(package));
}

TEST_F(PackageBuilderTest, FilesHeldElsewhereAreNotTouched) {
  test::WriteFile(project, test::MakeProject(0));
  test::WriteFile(package, Bytes(5, 1));
  {
    auto holder = File::OpenForReading(test::Text(project));
    ASSERT_TRUE(holder);
    EXPECT_EQ(builder.Build(Request()), 0);
    EXPECT_EQ(builder.lastFailure(), BuildFailure::kProjectNotOpenable);
  }
  {
    auto holder = File::OpenForReading(test::Text(package));
    ASSERT_TRUE(holder);
    EXPECT_EQ(builder.Build(Request()), 0);
    EXPECT_EQ(builder.lastFailure(), BuildFailure::kPackageNotOpenable);
  }
  EXPECT_EQ(test::ReadFile(package), Bytes(5, 1));
}

TEST_F(PackageBuilderTest, PackagePathNamingTheProjectFailsInEverySpelling) {
  const Bytes source = test::MakeProject(1);
  test::WriteFile(project, source);
  const fs::path::value_type separator = fs::path::preferred_separator;
  const fs::path link = folder / "link.pmw";
  fs::create_hard_link(project, link);

  const test::CurrentDirectory inside(folder);
  std::vector<fs::path> spellings = {
      project,
      project.filename(),                                        // relative
      folder / ".." / folder.filename() / project.filename(),    // ".."
      fs::path(folder.native() + separator + separator + project.filename().native()),  // doubled separator
      link,                                                      // hard link
  };
  std::error_code noSymlinks;
  fs::create_symlink(project, folder / "symlink.pmw", noSymlinks);
  if (!noSymlinks) spellings.push_back(folder / "symlink.pmw");

  for (const auto& spelling : spellings) {
    EXPECT_EQ(builder.Build({test::Text(project), test::Text(spelling), {}}), 0) << spelling;
    EXPECT_EQ(builder.lastFailure(), BuildFailure::kSameFile) << spelling;
    EXPECT_EQ(test::ReadFile(project), source) << spelling;
  }
}

TEST_F(PackageBuilderTest, StopRequestedBeforeTheBuildLeavesThePackageAlone) {
  test::WriteFile(project, test::MakeProject(0));
  test::WriteFile(package, Bytes(5, 1));
  std::stop_source stop;
  stop.request_stop();
  EXPECT_EQ(builder.Build(Request(), stop.get_token()), 0);
  EXPECT_EQ(builder.lastFailure(), BuildFailure::kStopped);
  EXPECT_EQ(test::ReadFile(package), Bytes(5, 1));
}

TEST_F(PackageBuilderTest, StopMidBuildLeavesNoPackageAndNothingHeld) {
  // Several chunks of image; stop after the first chunk read, then after the first written.
  test::WriteFile(project, test::MakeProject(static_cast<std::uint16_t>(kPackageWriteChunk * 4 / 2000)));
  for (const BuildPhase phase : {BuildPhase::kReading, BuildPhase::kWriting}) {
    std::stop_source stop;
    builder.SetProgressObserver([&](BuildPhase now, std::uint64_t done, std::uint64_t total) {
      if (now != phase) return;
      EXPECT_LT(done, total);  // the stop is seen before the next chunk
      stop.request_stop();
    });
    EXPECT_EQ(builder.Build(Request(), stop.get_token()), 0);
    EXPECT_EQ(builder.lastFailure(), BuildFailure::kStopped);
    EXPECT_FALSE(fs::exists(package));
    // A half-read payload is dropped; a complete one stays, as after any failed write.
    EXPECT_EQ(builder.payload().empty(), phase == BuildPhase::kReading);
    EXPECT_TRUE(File::OpenForReading(test::Text(project)));
    EXPECT_TRUE(File::OpenForWriting(test::Text(package)));
    fs::remove(package);
    builder.SetProgressObserver({});
  }
}

}  // namespace
}  // namespace tessam
