// The platform file layer: exclusive holds and no truncation on open. (File
// identity in every spelling is proven end to end by the builder suite.)
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

}  // namespace
}  // namespace tessam
