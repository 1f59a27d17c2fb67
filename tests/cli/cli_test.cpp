// ppwtool as a user runs it: the real binary in a child process, its exit
// status, stdout and stderr.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "core/build_failure.h"
#include "core/file.h"
#include "core/package_reader.h"
#include "tests/cli/package_damage.h"
#include "tests/cli/process.h"

namespace tessam::test {
namespace {

namespace fs = std::filesystem;

fs::path FromUtf8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

Bytes ReadBytes(const fs::path& path) { return ReadWholeFile(path).value_or(Bytes{}); }

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << Utf8(path);
}

// A project file: 256 bytes of preamble, then an image of blockCount * 2000 +
// 92 bytes starting with its block count; everything else pseudo-random.
Bytes MakeProject(std::uint16_t blockCount, std::uint32_t seed) {
  std::mt19937 random(seed);
  Bytes project(256 + std::size_t{blockCount} * 2000 + 92);
  for (auto& byte : project) byte = static_cast<std::uint8_t>(random());
  project[256] = static_cast<std::uint8_t>(blockCount & 0xFF);
  project[257] = static_cast<std::uint8_t>(blockCount >> 8);
  return project;
}

// The image extract must give back: project bytes from 256 on, the password's
// low bytes planted at image offsets 8..15 when one was given.
Bytes ExpectedImage(const Bytes& project, const std::vector<std::uint8_t>& passwordLowBytes = {}) {
  Bytes image(project.begin() + 256, project.end());
  std::copy(passwordLowBytes.begin(), passwordLowBytes.end(), image.begin() + 8);
  return image;
}

// The "name" of every problem in inspect's JSON, in order.
std::vector<std::string> ProblemNamesInJson(const std::string& json) {
  static const std::regex name(R"re("name": "([a-z0-9-]+)")re");
  std::vector<std::string> names;
  for (auto it = std::sregex_iterator(json.begin(), json.end(), name); it != std::sregex_iterator(); ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

std::vector<std::string> Names(const std::vector<PackageProblem>& problems) {
  std::vector<std::string> names;
  for (PackageProblem problem : problems) names.push_back(ProblemName(problem));
  return names;
}

std::string BuildFailureLine(BuildFailure failure) {
  return std::string("ppwtool: build failed: ") + Describe(failure) + "\n";
}

class Ppwtool : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("tessam-cli-") + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  ProcessResult Run(const std::vector<std::string>& arguments) {
    static const fs::path program = fs::absolute(FromUtf8(PPWTOOL_PATH));
    return RunProcess(program, arguments, folder_ / "capture");
  }

  // Writes a project named `name` in the scratch folder; returns its path.
  fs::path WriteProject(const std::string& name, const Bytes& project) {
    const fs::path path = folder_ / FromUtf8(name);
    WriteBytes(path, project);
    return path;
  }

  // Builds a sound package from a fresh project and returns its bytes.
  Bytes BuildPackage(std::uint16_t blockCount, fs::path* packagePath = nullptr) {
    const fs::path project = WriteProject("project.pmw", MakeProject(blockCount, 7));
    const fs::path package = folder_ / "VANTU.PPW";
    const ProcessResult built = Run({"build", Utf8(project), Utf8(package)});
    EXPECT_EQ(built.exitCode, 0) << built.err;
    if (packagePath) *packagePath = package;
    return ReadBytes(package);
  }

  fs::path folder_;
};

TEST_F(Ppwtool, PrintsItsVersion) {
  const ProcessResult result = Run({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "1.0.0.1\n");
}

TEST_F(Ppwtool, HelpNamesEverySubcommandOptionAndExitCode) {
  const ProcessResult result = Run({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  for (const char* word : {"build", "inspect", "extract", "PROJECT", "PACKAGE", "IMAGE", "--password", "--json",
                           "--force", "--version", "Exit status", "  0 ", "  1 ", "  2 "}) {
    EXPECT_NE(result.out.find(word), std::string::npos) << word;
  }
  const ProcessResult sub = Run({"extract", "--help"});
  EXPECT_EQ(sub.exitCode, 0);
  EXPECT_NE(sub.out.find("--force"), std::string::npos);
}

// The manual page must keep up with --help: every subcommand, option and exit
// status the program knows appears in it.
TEST_F(Ppwtool, ManualPageCoversWhatHelpShows) {
  const std::string manualPath = PPWTOOL_MANPAGE;
  if (manualPath.empty()) GTEST_SKIP() << "manual page not reachable from this platform";
  const auto bytes = ReadWholeFile(FromUtf8(manualPath));
  ASSERT_TRUE(bytes.has_value());
  std::string page(bytes->begin(), bytes->end());
  page = std::regex_replace(page, std::regex(R"(\\-)"), "-");  // roff's escaped hyphens
  for (const char* word : {".TH PPWTOOL 1", "1.0.0.1", "build", "inspect", "extract", "--password", "--json",
                           "--force", "--help", "--version", "EXIT STATUS"}) {
    EXPECT_NE(page.find(word), std::string::npos) << word;
  }
  for (PackageProblem problem : {PackageProblem::kHeaderTruncated, PackageProblem::kWrongMagic,
                                 PackageProblem::kWrongFormatVersion, PackageProblem::kFileLength,
                                 PackageProblem::kProgramLength, PackageProblem::kBlockCount,
                                 PackageProblem::kPayloadChecksum, PackageProblem::kHeaderChecksum,
                                 PackageProblem::kSeedByte255, PackageProblem::kFillerByte255,
                                 PackageProblem::kReservedBytes, PackageProblem::kReservedWord,
                                 PackageProblem::kBadWebAddress}) {
    EXPECT_NE(page.find(ProblemName(problem)), std::string::npos) << ProblemName(problem);
  }
}

// build -> inspect -> extract gives back project bytes 256.. with the password
// planted; the paths hold spaces and Chinese, the password too.
TEST_F(Ppwtool, RoundTripGivesBackTheImageWithThePasswordPlanted) {
  const Bytes project = MakeProject(3, 1);
  const fs::path projectPath = WriteProject("工程 一.pmw", project);
  const fs::path packageFolder = folder_ / FromUtf8("U盘");
  fs::create_directories(packageFolder);
  const fs::path packagePath = packageFolder / "VANTU.PPW";
  const fs::path imagePath = folder_ / FromUtf8("映像.bin");

  // U+5BC6 and U+7801: only the low bytes 0xC6 and 0x01 are planted.
  const ProcessResult built =
      Run({"build", Utf8(projectPath), Utf8(packagePath), "--password", "密码密码密码密码"});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  EXPECT_EQ(fs::file_size(packagePath), 64u + 3 * 2000 + 92);

  const ProcessResult inspected = Run({"inspect", Utf8(packagePath)});
  EXPECT_EQ(inspected.exitCode, 0) << inspected.out;
  EXPECT_NE(inspected.out.find("verdict           sound"), std::string::npos) << inspected.out;
  EXPECT_NE(inspected.out.find("6000 (3 blocks)"), std::string::npos) << inspected.out;

  const ProcessResult extracted = Run({"extract", Utf8(packagePath), Utf8(imagePath)});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  EXPECT_EQ(ReadBytes(imagePath), ExpectedImage(project, {0xC6, 0x01, 0xC6, 0x01, 0xC6, 0x01, 0xC6, 0x01}));
  EXPECT_EQ(ReadBytes(projectPath), project);  // the project is only read
}

TEST_F(Ppwtool, WithoutPasswordTheImageIsTheProjectsOwn) {
  const Bytes project = MakeProject(0, 2);
  const fs::path projectPath = WriteProject("p.pmw", project);
  const fs::path packagePath = folder_ / "VANTU.PPW";
  ASSERT_EQ(Run({"build", Utf8(projectPath), Utf8(packagePath)}).exitCode, 0);
  EXPECT_EQ(fs::file_size(packagePath), 156u);  // the smallest package

  const fs::path imagePath = folder_ / "image.bin";
  ASSERT_EQ(Run({"extract", Utf8(packagePath), Utf8(imagePath)}).exitCode, 0);
  EXPECT_EQ(ReadBytes(imagePath), ExpectedImage(project));
}

// A character outside the Basic Multilingual Plane is two UTF-16 units, each
// contributing its low byte: U+1F600 is D83D DE00.
TEST_F(Ppwtool, PasswordCountsUtf16Units) {
  const Bytes project = MakeProject(1, 3);
  const fs::path projectPath = WriteProject("p.pmw", project);
  const fs::path packagePath = folder_ / "VANTU.PPW";
  const fs::path imagePath = folder_ / "image.bin";
  ASSERT_EQ(Run({"build", Utf8(projectPath), Utf8(packagePath), "--password=\xF0\x9F\x98\x80" "abcdef"}).exitCode,
            0);
  ASSERT_EQ(Run({"extract", Utf8(packagePath), Utf8(imagePath)}).exitCode, 0);
  EXPECT_EQ(ReadBytes(imagePath), ExpectedImage(project, {0x3D, 0x00, 'a', 'b', 'c', 'd', 'e', 'f'}));

  for (const char* wrong : {"", "1234567", "123456789", "\xF0\x9F\x98\x80" "abcdefg", "密码密码密码密"}) {
    const ProcessResult result = Run({"build", Utf8(projectPath), Utf8(packagePath), "--password", wrong});
    EXPECT_EQ(result.exitCode, 2) << wrong;
    EXPECT_NE(result.err.find("exactly 8 characters"), std::string::npos) << result.err;
  }
}

TEST_F(Ppwtool, TextThatIsNotUtf8IsAUsageError) {
  if (!ArgumentsAreBytes()) GTEST_SKIP() << "arguments travel as UTF-16 here";
  const fs::path projectPath = WriteProject("p.pmw", MakeProject(1, 3));
  const ProcessResult password =
      Run({"build", Utf8(projectPath), Utf8(folder_ / "VANTU.PPW"), "--password", "abcdefg\xFF"});
  EXPECT_EQ(password.exitCode, 2);
  EXPECT_NE(password.err.find("not valid UTF-8"), std::string::npos) << password.err;
  const ProcessResult path = Run({"build", Utf8(projectPath), Utf8(folder_) + "/\xC0\xAF.ppw"});
  EXPECT_EQ(path.exitCode, 2);
  EXPECT_FALSE(fs::exists(folder_ / "VANTU.PPW"));
}

TEST_F(Ppwtool, InspectJsonCarriesTheFieldsAndVerdict) {
  fs::path packagePath;
  const Bytes package = BuildPackage(1, &packagePath);
  const PackageReport report = InspectPackage(package);
  const ProcessResult result = Run({"inspect", "--json", Utf8(packagePath)});
  EXPECT_EQ(result.exitCode, 0);
  const std::string& json = result.out;
  EXPECT_NE(json.find("\"magic\": \"QVTH\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"formatVersion\": 20180502"), std::string::npos);
  EXPECT_NE(json.find("\"payloadLength\": 2092"), std::string::npos);
  EXPECT_NE(json.find("\"programLength\": 2000"), std::string::npos);
  EXPECT_NE(json.find("\"scrambleKey\": " + std::to_string(report.scrambleKey)), std::string::npos);
  EXPECT_NE(json.find("\"webAddress\": \"www.halvor.cn\""), std::string::npos);
  EXPECT_NE(json.find("\"sound\": true"), std::string::npos);
  EXPECT_NE(json.find("\"problems\": []"), std::string::npos);
}

// Every damage the reader knows, done to a package the real builder wrote:
// inspect exits 1 and names exactly those problems, in JSON and in the table.
TEST_F(Ppwtool, InspectNamesEveryDamage) {
  const Bytes sound = BuildPackage(1);
  const fs::path damagedPath = folder_ / "damaged.ppw";
  for (const Damage& damage : AllDamages()) {
    Bytes package = sound;
    damage.apply(package);
    WriteBytes(damagedPath, package);

    const ProcessResult json = Run({"inspect", Utf8(damagedPath), "--json"});
    EXPECT_EQ(json.exitCode, 1) << damage.name;
    EXPECT_EQ(ProblemNamesInJson(json.out), Names(damage.expected)) << damage.name << "\n" << json.out;
    EXPECT_NE(json.out.find("\"sound\": false"), std::string::npos) << damage.name;

    const ProcessResult text = Run({"inspect", Utf8(damagedPath)});
    EXPECT_EQ(text.exitCode, 1) << damage.name;
    for (const std::string& name : Names(damage.expected)) {
      EXPECT_NE(text.out.find("problem           " + name + ": "), std::string::npos) << damage.name << "\n"
                                                                                      << text.out;
    }
  }
}

TEST_F(Ppwtool, InspectOfSomethingShorterThanAHeaderIsDamaged) {
  const fs::path path = folder_ / "short.ppw";
  WriteBytes(path, Bytes{'Q', 'V', 'T', 'H'});
  const ProcessResult result = Run({"inspect", Utf8(path), "--json"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.out.find("\"header\": null"), std::string::npos) << result.out;
  EXPECT_EQ(ProblemNamesInJson(result.out), std::vector<std::string>{"header-truncated"});
}

TEST_F(Ppwtool, ExtractRefusesADamagedPackageUnlessForced) {
  fs::path packagePath;
  Bytes package = BuildPackage(1, &packagePath);
  const std::uint8_t key = InspectPackage(package).scrambleKey;
  package[64 + 100] ^= 0x01;
  WriteBytes(packagePath, package);
  const fs::path imagePath = folder_ / "image.bin";

  const ProcessResult refused = Run({"extract", Utf8(packagePath), Utf8(imagePath)});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("payload-checksum"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(imagePath));

  const ProcessResult forced = Run({"extract", Utf8(packagePath), Utf8(imagePath), "--force"});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_NE(forced.err.find("payload-checksum"), std::string::npos);  // still told
  Bytes expected(package.begin() + 64, package.end());
  for (auto& byte : expected) byte ^= key;
  EXPECT_EQ(ReadBytes(imagePath), expected);

  // Without a header there is nothing to extract, forced or not.
  WriteBytes(packagePath, Bytes(10, 0));
  EXPECT_EQ(Run({"extract", Utf8(packagePath), Utf8(imagePath), "--force"}).exitCode, 1);
}

TEST_F(Ppwtool, UsageErrorsExitTwo) {
  fs::path packagePath;
  BuildPackage(0, &packagePath);
  const std::string package = Utf8(packagePath);
  const std::vector<std::vector<std::string>> misuses = {
      {},
      {"frobnicate"},
      {"--bogus"},
      {"inspect"},
      {"inspect", package, "extra"},
      {"inspect", package, "--force"},
      {"build", "only-project.pmw"},
      {"build", "a.pmw", "b.ppw", "--password"},
      {"extract", package},
  };
  for (const auto& arguments : misuses) {
    const ProcessResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 2) << (arguments.empty() ? "(none)" : arguments[0]) << " " << arguments.size();
    EXPECT_FALSE(result.err.empty());
  }
}

TEST_F(Ppwtool, UnreadablePackagesAndUnwritableImagesExitTwo) {
  const ProcessResult missing = Run({"inspect", Utf8(folder_ / "absent.ppw")});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("no such file"), std::string::npos) << missing.err;

  const ProcessResult folder = Run({"inspect", Utf8(folder_)});
  EXPECT_EQ(folder.exitCode, 2);
  EXPECT_NE(folder.err.find("folder"), std::string::npos) << folder.err;

  fs::path packagePath;
  BuildPackage(0, &packagePath);
  const fs::path nowhere = folder_ / "no such folder" / "image.bin";
  const ProcessResult unwritable = Run({"extract", Utf8(packagePath), Utf8(nowhere)});
  EXPECT_EQ(unwritable.exitCode, 2);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

// Each failing build: exit 1, exactly one stderr line naming the reason, and
// an existing package left as it was.
TEST_F(Ppwtool, BuildFailuresExitOneNamingTheReason) {
  const fs::path packagePath = folder_ / "VANTU.PPW";
  const Bytes oldPackage = {'o', 'l', 'd'};
  WriteBytes(packagePath, oldPackage);
  const fs::path tooShort = WriteProject("short.pmw", Bytes(256, 0x11));
  Bytes truncatedProject = MakeProject(2, 4);
  truncatedProject.pop_back();  // one byte less than its block count announces
  const fs::path truncated = WriteProject("truncated.pmw", truncatedProject);
  fs::create_directories(folder_ / "folder.pmw");

  const struct {
    fs::path project;
    BuildFailure reason;
  } cases[] = {
      {folder_ / "absent.pmw", BuildFailure::kProjectMissing},
      {tooShort, BuildFailure::kProjectTooShort},
      {truncated, BuildFailure::kProjectTooShort},
      {folder_ / "folder.pmw", BuildFailure::kProjectNotOpenable},
  };
  for (const auto& c : cases) {
    const ProcessResult result = Run({"build", Utf8(c.project), Utf8(packagePath)});
    EXPECT_EQ(result.exitCode, 1) << Utf8(c.project);
    EXPECT_EQ(result.err, BuildFailureLine(c.reason));
    EXPECT_EQ(ReadBytes(packagePath), oldPackage) << Utf8(c.project);
  }

  const ProcessResult empty = Run({"build", "", Utf8(packagePath)});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.err, BuildFailureLine(BuildFailure::kEmptyPath));

  const fs::path project = WriteProject("p.pmw", MakeProject(1, 5));
  const ProcessResult noFolder = Run({"build", Utf8(project), Utf8(folder_ / "absent" / "VANTU.PPW")});
  EXPECT_EQ(noFolder.exitCode, 1);
  EXPECT_EQ(noFolder.err, BuildFailureLine(BuildFailure::kPackageNotOpenable));
}

// The package path names the project in another spelling: refused, and the
// project is byte for byte what it was.
TEST_F(Ppwtool, BuildRefusesToOverwriteItsProject) {
  const Bytes project = MakeProject(1, 6);
  const fs::path projectPath = WriteProject("p.pmw", project);
  fs::create_directories(folder_ / "sub");
  const fs::path sameFile = folder_ / "sub" / ".." / "p.pmw";
  const ProcessResult result = Run({"build", Utf8(projectPath), Utf8(sameFile)});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, BuildFailureLine(BuildFailure::kSameFile));
  EXPECT_EQ(ReadBytes(projectPath), project);
}

// While another program holds the project, ppwtool cannot take it.
TEST_F(Ppwtool, BuildFailsWhileTheProjectIsHeldOpen) {
  const fs::path projectPath = WriteProject("p.pmw", MakeProject(1, 8));
  const fs::path packagePath = folder_ / "VANTU.PPW";
  {
    auto held = File::OpenForReading(projectPath.u16string());
    ASSERT_TRUE(held.has_value());
    const ProcessResult result = Run({"build", Utf8(projectPath), Utf8(packagePath)});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, BuildFailureLine(BuildFailure::kProjectNotOpenable));
    EXPECT_FALSE(fs::exists(packagePath));
  }
  EXPECT_EQ(Run({"build", Utf8(projectPath), Utf8(packagePath)}).exitCode, 0);
}

}  // namespace
}  // namespace tessam::test
