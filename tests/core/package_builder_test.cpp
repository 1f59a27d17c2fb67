// PackageBuilder on real files: draws, key, header, password, short projects, paths, holds, identity, stops.

#include <optional>
#include <string_view>

#include "core/crc16.h"
#include "core/file.h"
#include "core/package_builder.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

constexpr std::int64_t kNow = 1700000000;

std::uint8_t High(std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); }
std::uint8_t Low(std::uint16_t value) { return static_cast<std::uint8_t>(value); }

// Hands out the given values in turn (cycling) and remembers each seed.
struct ScriptedRandom final : RandomGenerator {
  ScriptedRandom(std::vector<std::uint32_t> values, std::vector<std::uint32_t>& seedsSeen)
      : draws(std::move(values)), seeds(seedsSeen) {}
  void Seed(std::uint32_t seed) override { seeds.push_back(seed), next = 0; }
  std::uint32_t Draw() override { return draws[next++ % draws.size()]; }
  std::vector<std::uint32_t> draws;
  std::vector<std::uint32_t>& seeds;
  std::size_t next = 0;
};

class PackageBuilderTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(folder);
    UseDraws({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});  // key (4*3 + 2*1) mod 255 = 14
  }

  void UseDraws(std::vector<std::uint32_t> draws) {
    builder = PackageBuilder([] { return kNow; }, std::make_unique<ScriptedRandom>(std::move(draws), seeds));
  }

  BuildRequest Request(std::optional<BuildRequest::Password> password = std::nullopt) const {
    return {project.u16string(), package.u16string(), password};
  }

  const test::TempDir dir;
  const fs::path folder = dir / fs::path(u8"工程");  // non-ASCII names go through the file layer too
  const fs::path project = folder / fs::path(u8"项目.pmw"), package = folder / "VANTU.PPW";
  std::vector<std::uint32_t> seeds;
  PackageBuilder builder;
};

TEST_F(PackageBuilderTest, SeedsOnceDrawsSeedsThenFillerModulo255AndWritesEveryHeaderByte) {
  UseDraws({256, 2, 3, 4, 255, 509, 5, 6, 7, 8});
  const Bytes source = test::MakeProject(1);
  test::WriteFile(project, source);
  ASSERT_EQ(builder.Build(Request()), 1) << Describe(builder.result().failure);
  EXPECT_EQ(seeds, std::vector<std::uint32_t>{static_cast<std::uint32_t>(kNow)});

  const Bytes file = test::ReadFile(package);
  ASSERT_EQ(file.size(), 64u + 2092u);
  for (std::size_t i = 0; i < 2092; ++i) ASSERT_EQ(file[64 + i], source[256 + i] ^ 14) << "payload byte " << i;
  const std::uint16_t payloadCrc = Crc16(&file[64], 2092);
  const std::uint8_t fields[] = {'Q', 'V', 'T', 'H', 0x01, 0x33, 0xEE, 0x16,  // magic, version
                                 0, 0, 0x08, 0x2C, 0, 0,                      // payload length 2092
                                 High(payloadCrc), Low(payloadCrc),           // payload checksum
                                 0, 0, 0x07, 0xD0, 1, 2, 3, 4,                // program length 2000, seeds
                                 0, 0, 0, 254, 5, 6, 7, 8};                   // reserved word, filler
  Bytes expected(47, 0xFF);                                                    // reserved from 32 on
  std::copy(std::begin(fields), std::end(fields), expected.begin());
  for (const char c : std::string_view("www.halvor.cn")) expected.push_back(static_cast<std::uint8_t>(c));
  const std::uint16_t headerCrc = Crc16(expected.data(), 60);
  expected.insert(expected.end(), {0, 0, High(headerCrc), Low(headerCrc)});
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 64), expected);

  // What the builder holds afterwards is what the file holds.
  const auto header = EncodeHeader(builder.header());
  EXPECT_EQ(Bytes(header.begin(), header.end()), expected);
  EXPECT_EQ(Bytes(builder.payload().begin(), builder.payload().end()), Bytes(file.begin() + 64, file.end()));
  EXPECT_EQ(builder.reservedWord(), 0);
}

// rand() of the Windows runtime after srand(1); the key (s3*s2 + s1*s0) mod 255: 2*254*254 = 506*255 + 2, no overflow.
TEST(RuntimeRandom, FollowsTheWindowsRuntimeSequenceAndTheKeyIsReducedModulo255) {
  RuntimeRandom random;
  random.Seed(1);
  for (const std::uint32_t expected : {41u, 18467u, 6334u, 26500u, 19169u}) EXPECT_EQ(random.Draw(), expected);
  const std::uint8_t seeds[][4] = {{1, 2, 3, 4}, {254, 254, 254, 254}, {15, 17, 0, 0}, {0, 0, 17, 15}};
  const std::uint8_t keys[] = {14, 2, 0, 0};
  for (std::size_t i = 0; i < std::size(keys); ++i) EXPECT_EQ(ScrambleKey(seeds[i]), keys[i]) << i;
}

// Several chunks, an odd number of them, between paths of 300 characters, which Windows takes only in long form.
TEST_F(PackageBuilderTest, LargeImageBetweenLongPathsPlantsPasswordLowBytesScramblesAndChecksumsEveryChunk) {
  const fs::path deep = folder / std::string(100, 'd') / std::string(100, 'e') / std::string(100, 'f');
  fs::create_directories(deep);
  const std::size_t length = 2500 * 2000 + 92;
  const Bytes source = test::MakeProject(2500);
  test::WriteFile(deep / "project.pmw", source);
  ASSERT_GE((deep / "VANTU.PPW").native().size(), 300u);
  const BuildRequest::Password password{u'A', u'b', u'1', u'中', u'é', u'8', u'\xFFFF', u'z'};
  ASSERT_EQ(builder.Build({(deep / "project.pmw").u16string(), (deep / "VANTU.PPW").u16string(), password}), 1);
  Bytes expected(source.begin() + 256, source.begin() + 256 + length);
  const std::uint8_t low[8] = {'A', 'b', '1', 0x2D, 0xE9, '8', 0xFF, 'z'};
  std::copy(low, low + 8, expected.begin() + 8);
  for (auto& byte : expected) byte ^= 14;
  const Bytes file = test::ReadFile(deep / "VANTU.PPW");
  EXPECT_EQ(Bytes(file.begin() + 64, file.end()), expected);
  EXPECT_EQ(builder.header().payloadChecksum, Crc16(expected.data(), length));  // the record is the file's header
}

TEST_F(PackageBuilderTest, ProjectShorterThanItsImageFailsAndKeepsPackageAndPayload) {
  const Bytes source = test::MakeProject(2, 5);  // bytes past the image are ignored
  test::WriteFile(project, source);
  ASSERT_EQ(builder.Build(Request()), 1);
  const Bytes packageBefore = test::ReadFile(package);
  ASSERT_EQ(packageBefore.size(), 64u + 4092u);
  for (const std::size_t size : {256u, 257u, 256u + 4092u - 1u}) {
    SCOPED_TRACE(size);
    test::WriteFile(project, Bytes(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_EQ(builder.Build(Request()), 0);
    EXPECT_EQ(builder.result().failure, BuildFailure::kProjectTooShort);
    EXPECT_EQ(test::ReadFile(package), packageBefore);
    EXPECT_EQ(builder.payload().size(), 4092u);  // the previous payload is kept, its header is not
    EXPECT_EQ(std::uint32_t{builder.header().payloadChecksum}, 0u);
  }
}

// No path, a missing project, a folder, or a file held elsewhere: nothing is touched.
TEST_F(PackageBuilderTest, FilesThatCannotBeOpenedAreNotTouched) {
  const struct { fs::path project, package; BuildFailure failure; } cases[] = {
      {"", package, BuildFailure::kEmptyPath}, {project, "", BuildFailure::kEmptyPath},
      {project, package, BuildFailure::kProjectMissing}, {folder, package, BuildFailure::kProjectNotOpenable}};
  for (const auto& c : cases) {
    EXPECT_EQ(builder.Build({c.project.u16string(), c.package.u16string(), {}}), 0);
    EXPECT_EQ(builder.result().failure, c.failure) << c.project << c.package;
  }
  EXPECT_FALSE(fs::exists(package));
  test::WriteFile(project, test::MakeProject(0));
  test::WriteFile(package, Bytes(5, 1));
  for (const auto& [held, failure] : {std::pair{project, BuildFailure::kProjectNotOpenable},
                                      std::pair{package, BuildFailure::kPackageNotOpenable}}) {
    const auto holder = File::OpenForReading(held.u16string());
    EXPECT_EQ(builder.Build(Request()), 0);
    EXPECT_EQ(builder.result().failure, failure);
  }
  EXPECT_EQ(test::ReadFile(package), Bytes(5, 1));
}

TEST_F(PackageBuilderTest, PackagePathNamingTheProjectFailsInEverySpelling) {
  const Bytes source = test::MakeProject(1);
  test::WriteFile(project, source);
  fs::create_hard_link(project, folder / "link.pmw");
  const fs::path::string_type twice(2, fs::path::preferred_separator);
  // Itself, relative, with a doubled separator, through "..", a hard link; a symbolic link where one can be made.
  std::vector<fs::path> spellings = {project, project.filename(), folder.native() + twice + project.filename().native(),
                                     folder / ".." / folder.filename() / project.filename(), folder / "link.pmw"};
  std::error_code noSymlinks;
  fs::create_symlink(project, folder / "symlink.pmw", noSymlinks);
  if (!noSymlinks) spellings.push_back(folder / "symlink.pmw");

  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  for (const auto& spelling : spellings) {
    SCOPED_TRACE(spelling);
    EXPECT_EQ(builder.Build({project.u16string(), spelling.u16string(), {}}), 0);
    EXPECT_EQ(builder.result().failure, BuildFailure::kSameFile);
    EXPECT_EQ(test::ReadFile(project), source);
  }
  fs::current_path(previous);
}

TEST_F(PackageBuilderTest, StopLeavesNoPartialPackageAndNothingHeld) {
  test::WriteFile(project, test::MakeProject(static_cast<std::uint16_t>(kPackageChunk * 4 / 2000)));
  // Stopped before the build, after the first of several chunks read, written or read back.
  const struct { const char* name; std::optional<BuildPhase> phase; } cases[] = {
      {"before", std::nullopt}, {"reading", BuildPhase::kReading},
      {"writing", BuildPhase::kWriting}, {"reading back", BuildPhase::kReadingBack}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteFile(package, Bytes(5, 1));
    std::stop_source stop;
    if (!c.phase) stop.request_stop();
    builder.SetProgressObserver([&](BuildPhase now, std::uint64_t done, std::uint64_t total) {
      if (now != c.phase) return;
      EXPECT_LT(done, total);  // the stop is seen before the next chunk
      stop.request_stop();
    });
    EXPECT_EQ(builder.Build(Request(), stop.get_token()), 0);
    EXPECT_EQ(builder.result().failure, BuildFailure::kStopped);
    // The old package stays until the package is written; from then on a stop removes it.
    const bool writing = c.phase == BuildPhase::kWriting || c.phase == BuildPhase::kReadingBack;
    EXPECT_EQ(test::ReadFile(package), writing ? Bytes{} : Bytes(5, 1));
    EXPECT_EQ(fs::exists(package), !writing);
    // A half-read payload is dropped; a complete one stays, as after any failed write.
    EXPECT_EQ(builder.payload().empty(), !writing);
    EXPECT_TRUE(File::OpenForReading(project.u16string()));
    EXPECT_TRUE(File::OpenForWriting(package.u16string()));
  }
}

}  // namespace
}  // namespace tessam
