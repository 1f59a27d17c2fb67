// ppwtool as a user runs it: exit status, stdout, stderr. Damage and build failures are the core suites' business.
#include <nlohmann/json.hpp>

#include "core/build_result.h"
#include "core/file.h"
#include "core/package_builder.h"
#include "core/package_reader.h"
#include "core/random.h"
#include "core/utf.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {
namespace {

namespace fs = std::filesystem;

// build -> inspect -> extract gives back project bytes 256 on, each password unit's low byte at image offsets 8..15.
TEST_F(Ppwtool, RoundTripGivesBackTheImageWithThePasswordPlanted) {
  const struct { std::uint16_t blocks; std::vector<std::string> password; Bytes planted; } cases[] = {
      {3, {"--password", "密码密码密码密码"}, {0xC6, 0x01, 0xC6, 0x01, 0xC6, 0x01, 0xC6, 0x01}},  // U+5BC6 U+7801
      {1, {"--password=\xF0\x9F\x98\x80" "abcdef"}, {0x3D, 0x00, 'a', 'b', 'c', 'd', 'e', 'f'}},  // D83D DE00
      {0, {}, {}},  // the smallest package
  };
  fs::create_directory(dir_ / fs::path(u8"U盘"));
  const std::string package = Path("U盘/VANTU.PPW");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blocks);
    const Bytes project = MakeProject(c.blocks);
    std::vector<std::string> build = {"build", Write(Path("工程 一.pmw"), project), package};
    build.insert(build.end(), c.password.begin(), c.password.end());
    const auto built = Expect(0, build);  // and on standard error, when not a terminal, no progress
    EXPECT_EQ(built.out + built.err, "wrote " + package + " (" + std::to_string(project.size() - 192) + " bytes)\n");
    EXPECT_TRUE(Contains(Expect(0, {"inspect", package}).out, "verdict           sound"));
    EXPECT_EQ(Expect(0, {"extract", package, Path("映像.bin")}).err, "");
    Bytes image(project.begin() + 256, project.end());
    std::copy(c.planted.begin(), c.planted.end(), image.begin() + 8);
    EXPECT_EQ(Read(Path("映像.bin")), image);  // the second and third replace the first
    EXPECT_FALSE(StrayFileLeft());
    EXPECT_EQ(Read(Path("工程 一.pmw")), project);  // the project is only read
  }
}

// Misuse, unreadable packages and unwritable images: exit 2, a message, no package written.
TEST_F(Ppwtool, UsageErrorsExitTwo) {
  const std::string package = BuildPackage(0), project = Path("project.pmw"), newPackage = Path("new.ppw");
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, ""}, {{"frobnicate"}, ""}, {{"--bogus"}, ""}, {{"inspect"}, ""}, {{"inspect", package, "extra"}, ""},
      {{"inspect", package, "--force"}, ""}, {{"build", project}, ""}, {{"extract", package}, ""},
      {{"build", project, newPackage, "--password"}, ""}, {{"verify", package}, ""},
      {{"inspect", Path("absent.ppw")}, "no such file"}, {{"inspect", folder_}, "folder"},
      {{"extract", package, Path("no such folder/image.bin")}, "no such file or folder"},
      {{"extract", package, Path("sub/../VANTU.PPW")}, "is the package itself"},
      {{"verify", package, Path("absent.pmw")}, "no such file"},
      {{"verify", package, Path("sub/../VANTU.PPW")}, "same file"},
      {{"verify", package, project, "--password", "1234567"}, "exactly 8 characters"},
  };
  for (const char* wrong : {"", "1234567", "123456789", "\xF0\x9F\x98\x80" "abcdefg", "密码密码密码密"}) {
    cases.push_back({{"build", project, newPackage, "--password", wrong}, "exactly 8 characters"});
  }
  if (fs::path::preferred_separator == '/') {  // POSIX: arguments are bytes, not UTF-16
    cases.push_back({{"build", project, newPackage, "--password", "abcdefg\xFF"}, "not valid UTF-8"});
    // Names that are not UTF-8 are refused alike by every subcommand.
    for (const Words& arguments : {Words{"build", project, Path("\xC0\xAF.ppw")}, {"inspect", Path("\xFF.ppw")},
                                   {"extract", package, Path("\xFF")}, {"verify", package, Path("\xED\xA0\x80.pmw")}}) {
      cases.push_back({arguments, "path is not valid UTF-8 text"});
    }
  }
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(arguments.empty() ? std::string("(no arguments)") : arguments[0] + " ... " + arguments.back());
    const std::string err = Expect(2, arguments).err;
    EXPECT_TRUE(Contains(err, message) && !err.empty()) << err;
    EXPECT_FALSE(fs::exists(Utf8Path(newPackage)));
  }
}

// A failing build: exit 1 and one stderr line naming the reason and any system cause; the old package stays.
TEST_F(Ppwtool, BuildFailuresExitOneNamingTheReason) {
  const std::string package = Write(Path("VANTU.PPW"), {'o', 'l', 'd'});
  Bytes truncated = MakeProject(2);
  truncated.pop_back();  // one byte less than its block count announces
  EXPECT_EQ(Expect(1, {"build", Write(Path("truncated.pmw"), truncated), package}).err,
            "ppwtool: build failed: " + std::string(Describe(BuildFailure::kProjectTooShort)) + "\n");
  EXPECT_EQ(Read(package), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(Expect(1, {"build", Write(Path("p.pmw"), MakeProject(1)), Path("sub")}).err,
            "ppwtool: build failed: " + std::string(Describe(BuildFailure::kPackageNotOpenable)) + ": " +
                Describe(FileError::kFolder) + "\n");
}

// verify: exit 0 for the build of the project, 1 for another program (first difference, count) or a damaged one.
TEST_F(Ppwtool, VerifyTellsWhetherThePackageIsTheBuildOfTheProject) {
  const Bytes project = MakeProject(2);
  const std::string original = Write(Path("p.pmw"), project);
  Expect(0, {"build", original, Path("plain.ppw")});
  Expect(0, {"build", original, Path("locked.ppw"), "--password", "abcdefgh"});
  Bytes bigShorter = MakeProject(600);  // 1.2 MB: two chunks
  Expect(0, {"build", Write(Path("big.pmw"), bigShorter), Path("big.ppw")});
  bigShorter.pop_back();
  Bytes shorter = project, damaged = Read(Path("plain.ppw"));
  shorter.pop_back();
  damaged[64 + 50] ^= 1;
  Write(Path("damaged.ppw"), damaged);
  const struct { std::string package, project; Words extra; int exit; Words shown; } cases[] = {
      {"plain.ppw", original, {}, 0,
       {"package           " + Path("plain.ppw") + "\n", "project           " + original + "\n",
        "image length      4092 bytes\n", "project length    4348 bytes\n", "password          not planted",
        "differing bytes   0", "same program"}},
      {"locked.ppw", original, {}, 0, {"password          planted", "differing bytes   0"}},
      {"locked.ppw", original, {"--password", "abcdefgh"}, 0, {"matches --password"}},
      {"locked.ppw", original, {"--password", "abcdefgX"}, 1,
       {"differs from --password", "differing bytes   1", "first difference  project offset 271",
        "different program"}},
      {"plain.ppw", Write(Path("shorter.pmw"), shorter), {}, 1,
       {"too short", "differing bytes   1", "project offset " + std::to_string(shorter.size()) + "\n"}},
      {"plain.ppw", Write(Path("other.pmw"), MakeProject(1)), {}, 1,
       {"block count       package 2, project 1", "first difference  project offset 256\n"}},
      {"plain.ppw", Write(Path("tiny.pmw"), Bytes(project.begin(), project.begin() + 257)), {}, 1,
       {"project none", "differing bytes   4091", "project offset 257\n"}},  // one image byte, no block count
      {"big.ppw", Write(Path("big-short.pmw"), bigShorter), {}, 1,  // short in the image's second chunk
       {"differing bytes   1", "project offset " + std::to_string(bigShorter.size()) + "\n"}},
      {"damaged.ppw", original, {}, 1, {"damaged package", "payload-checksum"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.package + " " + c.project + (c.extra.empty() ? "" : " " + c.extra[1]));
    std::vector<std::string> arguments = {"verify", Path(c.package), c.project};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const std::string text = Expect(c.exit, arguments).out;
    for (const std::string& shown : c.shown) EXPECT_TRUE(Contains(text, shown)) << shown << "\n" << text;
    arguments.push_back("--json");
    EXPECT_EQ(nlohmann::json::parse(Expect(c.exit, arguments).out)["same"], c.exit == 0);
  }
}

// inspect names each header field and each problem's bytes; --json is valid whatever they hold, text bytes code points.
TEST_F(Ppwtool, ReportsShowEveryHeaderFieldAndJsonKeepsEveryByte) {
  const bool posix = fs::path::preferred_separator == '/';  // quote and backslash are name characters there
  const std::string project = Write(Path("project.pmw"), MakeProject(1));
  const std::string name = Path(posix ? "引\"号\\ \t.ppw" : "引号 .ppw");
  // A fixed clock and the runtime's generator: the same seeds on every run.
  PackageBuilder builder([] { return 1; }, std::make_unique<RuntimeRandom>());
  ASSERT_EQ(builder.Build({Utf8Path(project).u16string(), Utf8Path(name).u16string(), {}}), 1);
  Bytes package = Read(name);
  const Bytes magic = {'"', '\\', '~', 0xFF}, web = {0x7F, 0x80, '/', 0x00, ' ', 0xC3, 0xA9, '"', 0x1F, 0xFE,
                                                        0xED, 0xA0, 0x80};
  std::copy(magic.begin(), magic.end(), package.begin());
  std::copy(web.begin(), web.end(), package.begin() + 47);
  package[11] += 1;  // payload length: one byte more than the file holds
  package[22] = package[26] = 255;  // a seed and a filler byte
  package[33] = 0;  // a reserved byte
  Write(name, package);
  // Seeds 41 107 214 235 and filler 44 169 3 33 187 239 from srand(1); with seed 255 the key is
  // (235*255 + 107*41) mod 255 = 52, and the image's first two bytes, scrambled with key 107, read 94 95.
  EXPECT_EQ(Expect(1, {"inspect", name}).out, "file              " + name + "\n" + R"~(file length       2156 bytes
magic             "\"\\~\xFF"
format version    0x0133EE16 (20180502)
payload length    2093
program length    2000 (1 block)
payload checksum  stored 0x0000BB0F, computed 0xBB0F
key seeds         41 107 255 235
scramble key      52 (0x34)
reserved word     0
filler            255 169 3 33 187 239
reserved          FF 00 FF FF FF FF FF FF FF FF FF FF FF FF FF
web address       "\x7F\x80/\x00 \xC3\xA9\"\x1F\xFE\xED\xA0\x80"
header checksum   stored 0x000037CA, computed 0xD243
verdict           damaged (9 problems)
problem           magic: magic is "\"\\~\xFF" instead of "QVTH"
problem           file-length: file is 2156 bytes, but 64 + payload length is 2157
problem           program-length: payload length 2093 is not program length 2000 + 92
problem           block-count: program length 2000 is not the image's block count 24414 x 2000
problem           header-checksum: stored 0x000037CA, computed 0xD243
problem           seed-255: key seeds are 0..254: byte 22 is 0xFF
problem           filler-255: filler bytes are 0..254: byte 26 is 0xFF
problem           reserved-bytes: bytes 32..46 are all 0xFF: byte 33 is 0x00
problem           web-address: web address "\x7F\x80/\x00 \xC3\xA9\"\x1F\xFE\xED\xA0\x80" is not 13 printable ASCII characters: byte 47 is 0x7F, byte 48 is 0x80, byte 50 is 0x00, byte 52 is 0xC3, byte 53 is 0xA9, byte 55 is 0x1F, byte 56 is 0xFE, byte 57 is 0xED, byte 58 is 0xA0, byte 59 is 0x80
)~");
  // The JSON report carries the same values (the parser rejects what is not JSON), names as UTF-8, not escapes.
  const std::string jsonText = Expect(1, {"inspect", "--json", name}).out;
  EXPECT_TRUE(Contains(jsonText, "引")) << jsonText;
  const auto json = nlohmann::json::parse(jsonText);
  const std::pair<const char*, nlohmann::json> fields[] = {
      {"/file", name}, {"/fileLength", 2156}, {"/header/magic", BytesAsCodePoints(magic)}, {"/sound", false},
      {"/header/webAddress", BytesAsCodePoints(web)}, {"/header/seeds", {41, 107, 255, 235}},
      {"/header/scrambleKey", 52}, {"/header/headerChecksum/computed", 0xD243},
      {"/problems/6/detail", "filler-255: filler bytes are 0..254: byte 26 is 0xFF"}};
  for (const auto& [field, value] : fields) EXPECT_EQ(json.at(nlohmann::json::json_pointer(field)), value) << field;
  EXPECT_EQ(nlohmann::json::parse(Expect(1, {"verify", "--json", name, project}).out)["package"], name);

  // extract refuses a damaged package unless forced, naming each problem; one without a header always (inspect: null).
  const std::string image = Path("image.bin");
  EXPECT_TRUE(Contains(Expect(1, {"extract", name, image}).err, "seed-255") && !fs::exists(Utf8Path(image)));
  EXPECT_TRUE(Contains(Expect(0, {"extract", name, image, "--force"}).err, "seed-255"));
  Bytes unscrambled(package.begin() + 64, package.end());  // with the key of the seeds as they are
  for (auto& byte : unscrambled) byte ^= 52;
  EXPECT_EQ(Read(image), unscrambled);
  Write(name, Bytes{'Q', 'V', 'T', 'H'});
  const std::string truncated = Expect(1, {"inspect", name, "--json"}).out;
  EXPECT_TRUE(Contains(truncated, "\"header\": null") && Contains(truncated, "\"name\": \"header-truncated\""));
  Expect(1, {"extract", name, image, "--force"});
}

}  // namespace
}  // namespace tessam::test
