// Helpers of the maintenance tests (copy, backup, restore, reorganisation):
// a file's live records read straight from its record file, and a check that
// the key index on disk agrees with them.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <random>

#include <set>
#include <string>

#include "data/data_file_store.h"
#include "data/dict_file_path.h"
#include "data/dict_layout.h"
#include "data/key_index.h"
#include "data/lock_marker.h"
#include "data/record_file.h"
#include "tests/data/record_set_fixture.h"

namespace eng::test {

class MaintTest : public RecordSetTest {
 protected:
  // Key 1 values of the live records of the file on disk, with repeats.
  static std::multiset<std::string> LiveKeys(uint16_t f) {
    std::multiset<std::string> out;
    DataFileNames names = DictDataFileNames(f);
    DataFileLayout layout = DictFileLayout(f);
    std::string bytes = Get(names.records);
    const size_t l = layout.record_length;
    for (size_t p = 0; p + l <= bytes.size(); p += l)
      if (bytes[p] != kRecordDeleted) out.insert(layout.Key(1).ValueOf(bytes.data() + p));
    return out;
  }
  // 0 when the index file on disk matches the record file (every key found,
  // every live record indexed, every free number a deleted record).
  static Status IndexAgrees(uint16_t f) {
    DataFileNames names = DictDataFileNames(f);
    DataFileLayout layout = DictFileLayout(f);
    DataRecordFile records;
    if (Status s = records.Open(names.records, layout.record_length, false, false)) return s;
    DataFileIndex index;
    index.Attach(&layout, &records, names.index);
    if (Status s = index.Load(Get(names.index))) return s;
    return index.Check();
  }
  // Kills a child process running `work` forever at random moments (bounded
  // rounds); after each kill, as at the next start, the clients file holds
  // every record of `expected`, opens, and its index agrees with it.
  void ExpectSurvivesKills(const std::function<void()>& work, const std::multiset<std::string>& expected,
                           unsigned seed) {
    std::mt19937 rng(seed);
    for (int round = 0; round < 12; ++round) {
      pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        for (;;) work();
      }
      ::usleep(std::uniform_int_distribution<useconds_t>(500, 40000)(rng));
      ::kill(pid, SIGKILL);
      int status = 0;
      ASSERT_EQ(::waitpid(pid, &status, 0), pid);
      // A marker without holder is the dead process's.
      if (Has("clientes.lock")) LockMarkerRemove("clientes");
      ASSERT_EQ(LiveKeys(fx::kClientes), expected) << "round " << round;
      Open(fx::kClientes);
      ASSERT_EQ(Codes(fx::kClientes).size(), expected.size()) << "round " << round;
      ASSERT_EQ(DataFileClose(fx::kClientes), kOk);
      ASSERT_EQ(IndexAgrees(fx::kClientes), kOk) << "round " << round;
    }
  }
  // Adds clients "C000" to "C<n-1>" and deletes every third of them.
  void FillClients(int n) {
    Open(fx::kClientes);
    for (int i = 0; i < n; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "C%03d", i);
      ASSERT_EQ(Add(fx::kClientes, {code, "Name", i % 2 ? "Lugo" : "Vigo"}), kOk);
    }
    for (int i = 0; i < n; i += 3) {
      char code[16];
      std::snprintf(code, sizeof code, "C%03d", i);
      ASSERT_EQ(DataFileLocate(fx::kClientes, 1, StrOf(code), 0), 0);
      ASSERT_EQ(DataFileDelete(fx::kClientes, 0), kOk);
    }
    ASSERT_EQ(DataFileClose(fx::kClientes), kOk);
  }
};

}  // namespace eng::test
