// Positioned file access: exact reads and writes, the mapping's reach, record
// locks between two opens, exclusive creation and whole-file replacement.
#include "core/block_file.h"

#include <sys/stat.h>

#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class BlockFileTest : public TempFolderTest {};

TEST_F(BlockFileTest, ReadsWritesAndTheMapping) {
  BlockFile f;
  EXPECT_EQ(f.Open("absent.bin", true, false), kStFileNotFound);
  ASSERT_EQ(f.Open("Data.bin", true, true), kOk);
  EXPECT_EQ(f.Size(), 0);
  EXPECT_EQ(f.View(0, 1), nullptr) << "nothing below the size";
  ASSERT_TRUE(f.WriteAt(0, "abcdef", 6));
  ASSERT_TRUE(f.WriteAt(10, "XY", 2));  // a hole reads as zeros
  EXPECT_EQ(f.KnownSize(), 12);
  const char* v = f.View(4, 8);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(std::string(v, 8), std::string("ef\0\0\0\0XY", 8));
  EXPECT_EQ(f.View(11, 2), nullptr) << "past the end";
  char buf[4];
  EXPECT_TRUE(f.ReadAt(8, buf, 4));
  EXPECT_FALSE(f.ReadAt(10, buf, 4)) << "a read that the file cuts short";
  // A write seen through the mapping at once; a name found in another case.
  ASSERT_TRUE(f.WriteAt(0, "Z", 1));
  EXPECT_EQ(f.View(0, 1)[0], 'Z');
  BlockFile g;
  ASSERT_EQ(g.Open("DATA.BIN", false, false), kOk);
  EXPECT_FALSE(g.WriteAt(0, "q", 1)) << "opened for reading";
  EXPECT_EQ(Get("Data.bin").substr(0, 6), "Zbcdef");
}

TEST_F(BlockFileTest, PiecesWrittenInOrderAcrossBatches) {
  BlockFile f;
  ASSERT_EQ(f.Open("p.bin", true, true), kOk);
  std::vector<std::string> texts;
  std::string expected = "HEAD";
  for (int i = 0; i < 1300; ++i) {
    texts.push_back(i % 7 ? std::to_string(i) + ";" : "");  // some pieces are empty
    expected += texts.back();
  }
  std::vector<BlockFile::Piece> pieces;
  for (const std::string& t : texts) pieces.push_back({t.data(), t.size()});
  ASSERT_TRUE(f.WriteAt(0, "HEAD", 4));
  ASSERT_TRUE(f.WritePiecesAt(4, pieces.data(), pieces.size()));
  EXPECT_EQ(f.KnownSize(), int64_t(expected.size()));
  EXPECT_EQ(Get("p.bin"), expected);
}

TEST_F(BlockFileTest, LocksBetweenTwoOpens) {
  Put("f.bin", "x");
  BlockFile a, b;
  ASSERT_EQ(a.Open("f.bin", true, false), kOk);
  ASSERT_EQ(b.Open("f.bin", true, false), kOk);
  ASSERT_EQ(a.Lock(BlockLock::kShared), kOk);
  EXPECT_EQ(b.Lock(BlockLock::kShared), kOk);
  EXPECT_EQ(b.Lock(BlockLock::kExclusive), kStPermission);
  ASSERT_EQ(b.Lock(BlockLock::kUnlock), kOk);
  ASSERT_EQ(a.Lock(BlockLock::kExclusive), kOk) << "raised once alone";
  EXPECT_EQ(b.Lock(BlockLock::kShared), kStPermission);
  ASSERT_EQ(a.Lock(BlockLock::kShared), kOk) << "lowered in one step";
  EXPECT_EQ(b.Lock(BlockLock::kShared), kOk);
  a.Close();  // closing drops its lock
  EXPECT_EQ(b.Lock(BlockLock::kExclusive), kOk);
}

TEST_F(BlockFileTest, CreateNewAndReplace) {
  EXPECT_EQ(BlockFileCreateNew("m.lock", " ", 1), kOk);
  EXPECT_EQ(BlockFileCreateNew("M.LOCK", "x", 1), kStFileExists);
  EXPECT_EQ(Get("m.lock"), " ");
  EXPECT_TRUE(BlockFileExists("M.lock"));
  EXPECT_EQ(BlockFileRemove("m.lock"), kOk);
  EXPECT_EQ(BlockFileRemove("m.lock"), kStLowFailure);

  Put("ix.bin", "old contents");
  ::chmod("ix.bin", 0640);
  struct stat before, after;
  ::stat("ix.bin", &before);
  ASSERT_EQ(BlockFileReplace("ix.bin", "new", 3, true), kOk);
  ::stat("ix.bin", &after);
  EXPECT_EQ(Get("ix.bin"), "new");
  EXPECT_NE(before.st_ino, after.st_ino) << "a new file renamed over the old";
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  EXPECT_EQ(BlockFileReplace("nofolder/ix.bin", "new", 3, false), kStLowFailure);
  // No temporary file is left behind.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir_)) entries += e.is_regular_file();
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace eng::test
