// The platform file layer: exclusive holds, no truncation on open, and file
// identity whatever the spelling of the path.
#include <gtest/gtest.h>

#include "core/file.h"
#include "tests/core/test_support.h"

namespace tessam {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

class FileLayerTest : public testing::Test {
 protected:
  void SetUp() override { test::WriteFile(path, Bytes{1, 2, 3, 4, 5}); }

  test::TempDir dir;
  fs::path path = dir / "data.bin";
};

TEST_F(FileLayerTest, ASecondOpenOfAHeldFileFailsUntilItIsClosed) {
  auto held = File::OpenForReading(test::Text(path));
  ASSERT_TRUE(held);
  EXPECT_FALSE(File::OpenForReading(test::Text(path)));
  EXPECT_FALSE(File::OpenForWriting(test::Text(path)));
  held->Close();
  auto writer = File::OpenForWriting(test::Text(path));
  ASSERT_TRUE(writer);
  EXPECT_FALSE(File::OpenForReading(test::Text(path)));
}

TEST_F(FileLayerTest, OpeningForWritingKeepsTheContentsUntilTruncate) {
  {
    auto file = File::OpenForWriting(test::Text(path));
    ASSERT_TRUE(file);
  }
  EXPECT_EQ(test::ReadFile(path), (Bytes{1, 2, 3, 4, 5}));
  auto file = File::OpenForWriting(test::Text(path));
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Truncate());
  ASSERT_TRUE(file->Write(Bytes{9, 8}));
  ASSERT_TRUE(file->Flush());
  file->Close();
  EXPECT_EQ(test::ReadFile(path), (Bytes{9, 8}));
}

TEST_F(FileLayerTest, ReadsAtOffsetsAndReportsTheEnd) {
  auto file = File::OpenForReading(test::Text(path));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 5u);
  Bytes buffer(4);
  EXPECT_EQ(file->ReadAt(3, buffer), 2u);
  EXPECT_EQ(buffer[0], 4);
  EXPECT_EQ(file->ReadAt(5, buffer), 0u);
}

TEST_F(FileLayerTest, FoldersExistButCannotBeOpened) {
  EXPECT_TRUE(PathExists(test::Text(dir.path())));
  EXPECT_TRUE(PathExists(test::Text(path)));
  EXPECT_FALSE(PathExists(test::Text(dir / "missing")));
  EXPECT_FALSE(File::OpenForReading(test::Text(dir.path())));
  EXPECT_FALSE(File::OpenForWriting(test::Text(dir.path())));
}

TEST_F(FileLayerTest, IdentityIsTheSameInEverySpellingEvenWhileHeld) {
  fs::create_directory(dir / "sub");
  const fs::path link = dir / "link.bin";
  fs::create_hard_link(path, link);
  const fs::path other = dir / "other.bin";
  test::WriteFile(other, Bytes{1, 2, 3, 4, 5});

  auto held = File::OpenForReading(test::Text(path));
  ASSERT_TRUE(held);
  const auto identity = held->Identity();
  ASSERT_TRUE(identity);

  const test::CurrentDirectory inside(dir.path());
  const fs::path::value_type separator = fs::path::preferred_separator;
  for (const fs::path& spelling :
       {path, fs::path("data.bin"), fs::path("sub") / ".." / "data.bin", dir / "sub" / ".." / "data.bin",
        fs::path(dir.path().native() + separator + separator + fs::path("data.bin").native()), link}) {
    EXPECT_EQ(IdentityOfPath(test::Text(spelling)), identity) << spelling;
  }
  EXPECT_NE(IdentityOfPath(test::Text(other)), identity);
  EXPECT_FALSE(IdentityOfPath(test::Text(dir / "missing")));
}

TEST_F(FileLayerTest, RemovesFiles) {
  EXPECT_TRUE(RemoveFile(test::Text(path)));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_FALSE(RemoveFile(test::Text(path)));
}

}  // namespace
}  // namespace tessam
