// The file layer and WritePackage: exclusive holds, no cut on open, the bytes on disk (write faults: the CLI suite).

#include <cerrno>

#include "core/crc16.h"
#include "core/file.h"
#include "core/output_file.h"
#include "core/package_reader.h"
#include "core/package_writer.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

TEST(FileLayer, HoldsExclusivelyAndOpensForWritingWithoutCutting) {
  const test::TempDir dir;
  const auto path = dir / "data.bin";
  test::WriteFile(path, {1, 2, 3, 4, 5});
  {
    auto held = File::OpenForReading(path.u16string());
    ASSERT_TRUE(held);
    EXPECT_FALSE(File::OpenForReading(path.u16string()));
    EXPECT_FALSE(File::OpenForWriting(path.u16string()));
    Bytes buffer(4);
    EXPECT_EQ(held->ReadAt(3, buffer), 2u);
    EXPECT_EQ(held->ReadAt(5, buffer), 0u);  // the end, so ReadExactlyAt cannot spin
    EXPECT_FALSE(ReadExactlyAt(*held, 3, buffer));
  }
  auto writer = File::OpenForWriting(path.u16string());
  ASSERT_TRUE(writer);
  EXPECT_FALSE(File::OpenForReading(path.u16string()));
  writer->Close();
  EXPECT_EQ(test::ReadFile(path), (Bytes{1, 2, 3, 4, 5}));  // opening for writing kept the contents
  errno = EEXIST;  // left over from an earlier call: a new file is still new
  const auto made = File::OpenForWriting((dir / "new.bin").u16string());
  EXPECT_TRUE(made && made->created());
  for (const bool writing : {false, true}) {  // no name: nothing to find
    FileError why = FileError::kNone;
    EXPECT_FALSE(writing ? File::OpenForWriting(u"", &why) : File::OpenForReading(u"", &why));
    EXPECT_EQ(why, FileError::kNotFound);
  }
}

// Discard removes, through the open file and once, what Open made or cut; a file moved away is not kept as written;
// one the path must not lead to is refused before anything is cut. (The replace mode: extract's tests.)
TEST(OutputFile, DiscardRemovesWhatItMadeOrCutAndNothingElse) {
  const test::TempDir dir;
  const auto path = dir / "out.bin";
  FileError why;
  for (const bool existed : {false, true}) {
    SCOPED_TRACE(existed);
    if (existed) test::WriteFile(path, {1, 2, 3});
    auto output = OutputFile::Open(path.u16string(), {}, why);
    ASSERT_TRUE(output && output->Write(Bytes{7}));
    fs::create_hard_link(path, dir / "twin");
    output->Discard();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(test::ReadFile(dir / "twin"), Bytes{});  // cut, not restored
    fs::create_hard_link(dir / "twin", path);  // the very same file back at the path
    output->Discard();  // a second Discard leaves it alone
    EXPECT_TRUE(fs::exists(path));
    fs::remove(dir / "twin");
  }
  std::error_code held;  // Windows moves no held file: nothing to stage there
  auto moved = OutputFile::Open(path.u16string(), {}, why);
  fs::rename(path, dir / "elsewhere", held);
  EXPECT_TRUE(held || (moved->Finish() && !moved->Keep() && moved->lastError() == FileError::kVanished))
      << "a moved file passed";
  moved.reset();
  test::WriteFile(path, {1, 2, 3});
  EXPECT_FALSE(OutputFile::Open(path.u16string(), {{*IdentityOfPath(path.u16string())}, true}, why));
  EXPECT_EQ(why, FileError::kSameFile);
  EXPECT_EQ(test::ReadFile(path), (Bytes{1, 2, 3}));
}

class PackageWriterTest : public testing::Test {
 protected:
  void Fill(std::size_t length) {
    payload = test::Pattern(length);
    header.Reset();
    header.payloadLength = static_cast<std::uint32_t>(length);
    header.payloadChecksum = Crc16(payload.data(), payload.size());
  }

  const test::TempDir dir;
  const fs::path package = dir / "VANTU.PPW";
  PackageHeader header;
  Bytes payload;
};

TEST_F(PackageWriterTest, RefusesMissingInputsWithoutCreatingAFile) {
  Fill(92);
  EXPECT_EQ(WritePackage(header, 0, payload, u""), 0);
  EXPECT_EQ(WritePackage(header, 0, payload, dir.path.u16string()), 0);  // a folder, and no cause asked
  EXPECT_EQ(WritePackage(header, 0, {}, package.u16string()), 0);
  EXPECT_EQ(WritePackage(header, 0, std::span(payload).first(10), package.u16string()), 0);
  header.payloadLength = 0;
  EXPECT_EQ(WritePackage(header, 0, payload, package.u16string()), 0);
  EXPECT_FALSE(fs::exists(package));
}

TEST_F(PackageWriterTest, ReplacesALongerPackagePlantingReservedWordAndChecksum) {
  Fill(kPackageChunk + 92);  // a whole chunk and a short one
  test::WriteFile(package, Bytes(kPackageChunk + 1000, 0x77));
  ASSERT_EQ(WritePackage(header, 0x0102, payload, package.u16string()), 1);
  const Bytes file = test::ReadFile(package);
  EXPECT_EQ(Bytes(file.begin() + 64, file.end()), payload);
  EXPECT_EQ(file[24] << 8 | file[25], 0x0102);
  const auto read = InspectPackage(SourceOf(file));  // and the reader takes it back as written
  ASSERT_TRUE(read);
  EXPECT_EQ(std::uint16_t{read->header.reservedWord}, 0x0102);
  EXPECT_EQ(header.headerChecksum, Crc16(file.data(), 60));
  const auto encoded = EncodeHeader(header);  // the record now equals the file's header
  EXPECT_EQ(Bytes(encoded.begin(), encoded.end()), Bytes(file.begin(), file.begin() + 64));
}

}  // namespace
}  // namespace tessam
