#include "data/data_file_rebuild.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "core/err_register.h"
#include "data/lock_marker.h"
#include "tests/data/maint_fixture.h"

namespace eng::test {
namespace {

using RebuildTest = MaintTest;

size_t FolderEntries(const std::filesystem::path& dir) {
  size_t n = 0;
  for (auto it = std::filesystem::directory_iterator(dir); it != std::filesystem::directory_iterator(); ++it) ++n;
  return n;
}

TEST_F(RebuildTest, DropsDeletedRecordsAndRenumbersTheLiveOnes) {
  FillClients(10);
  const size_t entries = FolderEntries(dir_);
  const auto before = LiveKeys(fx::kClientes);
  ASSERT_EQ(before.size(), 6u);
  std::vector<std::pair<int64_t, std::string>> calls;
  ASSERT_EQ(DataFileRebuild(fx::kClientes,
                            [&](int64_t count, StrPair key) {
                              calls.emplace_back(count, key.str());
                              return Status{kOk};
                            }),
            kOk);
  // The record file holds exactly the live records, in their old order, from record 0.
  const std::string bytes = Get("clientes.FD");
  ASSERT_EQ(bytes.size(), 6u * 60);
  const char* order[] = {"C001", "C002", "C004", "C005", "C007", "C008"};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(bytes.substr(i * 60, 4), order[i]) << i;
  EXPECT_EQ(LiveKeys(fx::kClientes), before);
  EXPECT_EQ(IndexAgrees(fx::kClientes), kOk);
  EXPECT_EQ(Get("clientes.DIR").substr(0, 8), std::string("\0\0\0\0\6\0\0\0", 8)) << "no free numbers";
  // Once per live record, with the old record count and key 1.
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].first, 10);
  EXPECT_EQ(calls[0].second.substr(0, 4), "C001");
  // No marker, no new file left behind; the file opens and reads in key 2 order.
  EXPECT_FALSE(Has("clientes.lock"));
  EXPECT_EQ(FolderEntries(dir_), entries);
  Open(fx::kClientes);
  EXPECT_EQ(Codes(fx::kClientes), (std::vector<std::string>{"C001", "C002", "C004", "C005", "C007", "C008"}));
}

TEST_F(RebuildTest, KeepsEqualKeysInAFileWithoutLineNumbers) {
  Open(fx::kClientes);
  ASSERT_EQ(Add(fx::kClientes, {"A", "uno"}), kOk);
  ASSERT_EQ(Add(fx::kClientes, {"A", "dos"}), 6);  // stored all the same
  ASSERT_EQ(DataFileClose(fx::kClientes), kOk);
  ASSERT_EQ(DataFileRebuild(fx::kClientes, nullptr), kOk);
  EXPECT_EQ(LiveKeys(fx::kClientes).count(std::string("A") + std::string(9, ' ')), 2u);
  EXPECT_EQ(IndexAgrees(fx::kClientes), kOk);
}

TEST_F(RebuildTest, AFileNeverCreatedGetsAnEmptyPair) {
  ASSERT_FALSE(Has("totales.FD"));
  EXPECT_EQ(DataFileRebuild(fx::kTotales, nullptr), kOk);
  EXPECT_EQ(Get("totales.FD"), "");
  EXPECT_TRUE(Has("totales.DIR"));
  EXPECT_EQ(DataFileOpen(fx::kTotales, 0), 2);
}

TEST_F(RebuildTest, AFailureLeavesTheOldPairWholeAndNoNewFiles) {
  FillClients(9);
  const std::string records = Get("clientes.FD"), index = Get("clientes.DIR");
  const size_t entries = FolderEntries(dir_);
  int seen = 0;
  EXPECT_EQ(DataFileRebuild(fx::kClientes, [&](int64_t, StrPair) { return ++seen == 4 ? Status{kStCancelled} : Status{kOk}; }),
            kStCancelled);
  EXPECT_EQ(Get("clientes.FD"), records);
  EXPECT_EQ(Get("clientes.DIR"), index);
  EXPECT_EQ(FolderEntries(dir_), entries);
  EXPECT_FALSE(Has("clientes.lock"));
}

TEST_F(RebuildTest, RefusedWhileAnotherOpenHoldsTheFile) {
  FillClients(3);
  // Another holder: a second process's open is the same advisory lock.
  DataFileStore other;
  ASSERT_EQ(other.Open(DataFileNames{"clientes.FD", "clientes.DIR", ""}, DictFileLayout(fx::kClientes), 0), kOk);
  const std::string records = Get("clientes.FD");
  EXPECT_EQ(DataFileRebuild(fx::kClientes, nullptr), kStPermission);
  EXPECT_EQ(Get("clientes.FD"), records);
  other.Close();
  // A marker left by a process that is gone does not stop it.
  ASSERT_EQ(LockMarkerWrite("clientes"), kOk);
  EXPECT_EQ(DataFileRebuild(fx::kClientes, nullptr), kOk);
  EXPECT_FALSE(Has("clientes.lock"));
}

TEST_F(RebuildTest, AFileOpenInThisProcessIsClosedFirst) {
  FillClients(6);
  Open(fx::kClientes);
  EXPECT_EQ(DataFileRebuild(fx::kClientes, nullptr), kOk);
  EXPECT_EQ(DataFileCtrl(fx::kClientes).open_flags, 0);
  EXPECT_EQ(IndexAgrees(fx::kClientes), kOk);
  EXPECT_EQ(LiveKeys(fx::kClientes).size(), 4u);
}

// Kills a process looping over rebuilds at random moments: after each kill
// the file opens with every record and its index agrees with it.
TEST_F(RebuildTest, KilledAtRandomPointsLosesNoRecord) {
  FillClients(1500);
  const auto expected = LiveKeys(fx::kClientes);
  ExpectSurvivesKills([] { DataFileRebuild(fx::kClientes, nullptr); }, expected, 27);
}

}  // namespace
}  // namespace eng::test
