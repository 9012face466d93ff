// A program that saves and deletes documents in a loop (doc_save_child.cpp)
// is killed at random moments, many times (fixed seed). After each kill the
// next start's recovery runs, and every document is found as it was after
// its last complete operation, or - for the one under way - as that
// operation would leave it: whole, never mixed, never missing.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/dict_load.h"
#include "data/doc_store.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"
#include "tests/data/doc_fixture.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace eng::test {
namespace {

using namespace docs;

// A document's state: absent (version 0), or a version with its line count.
struct DocState {
  long version = 0;
  int lines = 0;
  bool operator==(const DocState&) const = default;
};

std::string Describe(const DocState& s) {
  return s.version ? "v" + std::to_string(s.version) + "/" + std::to_string(s.lines) : "absent";
}

class DocSaveKillTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("DNTEST01:Demo")), kOk);
    WriteDictionary();
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("DN"), StrOf("")), kOk);
    MsgBoxSetService(&box_);
  }
  void TearDown() override {
    MsgBoxSetService(nullptr);
    TempFolderTest::TearDown();
  }

  // Document d as found on disk; a document that is not whole fails the test
  // and reads as version -1.
  static DocState Found(int d) {
    ScratchScope scope;
    const bool note = d < 4;
    const DocFiles files = note ? DocFiles{kAlbaranes, kLineas} : DocFiles{kFac, kFac};
    const std::string key = note ? Pad("N" + std::to_string(d), 6) : "A 00000" + std::to_string(d);
    const uint16_t item = note ? 3 : 5;
    std::vector<std::string> items;
    DocLoadInfo info;
    Status s = DocLoad(files, StrOf(key), 100,
                       [&](uint16_t) {
                         ScratchScope inner;
                         std::string v = BufFieldText(files.lines, item, kBufCurrent).str();
                         items.push_back(v.substr(0, v.find(' ')));
                         return Status{kOk};
                       },
                       &info);
    EXPECT_EQ(s, kOk) << key;
    if (!info.header_found) {
      EXPECT_TRUE(items.empty()) << key << ": lines without their header";
      return items.empty() ? DocState{} : DocState{-1, 0};
    }
    std::string customer = BufFieldText(files.header, note ? 2 : 4, kBufCurrent).str();
    DocState st;
    if (std::sscanf(customer.c_str(), "c%ld/%d", &st.version, &st.lines) != 2) {
      ADD_FAILURE() << key << ": header " << customer;
      return {-1, 0};
    }
    bool whole = int(items.size()) == st.lines;
    for (size_t i = 0; whole && i < items.size(); ++i)
      whole = items[i] == "v" + std::to_string(st.version) + "-" + std::to_string(i + 1);
    if (!whole) {
      std::string all;
      for (const std::string& i : items) all += i + " ";
      ADD_FAILURE() << key << ": header " << customer << " with lines " << all;
      return {-1, 0};
    }
    return st;
  }

  plat::HeadlessMsgBox box_{plat::HeadlessMsgBox::Mode::kBatch, nullptr};
};

TEST_F(DocSaveKillTest, EveryDocumentIsWholeAfterAKillAndTheNextStart) {
  std::mt19937 rng(20261211);
  std::map<int, DocState> known;  // after the last complete operation
  long next_version = 1;
  int cut_off = 0;  // rounds whose kill came in the middle of a save
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    const int complete_before_kill = 1 + int(rng() % 20);
    const useconds_t delay_us = useconds_t(rng() % 3000);

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string seed = std::to_string(rng()), first = std::to_string(next_version);
    char* const argv[] = {const_cast<char*>(DOC_SAVE_CHILD), const_cast<char*>(seed.c_str()),
                          const_cast<char*>(first.c_str()), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, DOC_SAVE_CHILD, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    // Read until enough operations completed, let the next one run a
    // little, kill, then take what was written before the kill.
    std::string text;
    auto completed = [&] {
      int n = 0;
      for (size_t at = text.find("D\n"); at != std::string::npos; at = text.find("D\n", at + 1)) ++n;
      return n;
    };
    char buf[4096];
    bool failed_early = false;
    while (completed() < complete_before_kill) {
      ssize_t n = ::read(out[0], buf, sizeof buf);
      if (n <= 0) {
        failed_early = true;
        break;
      }
      text.append(buf, size_t(n));
    }
    ::usleep(delay_us);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    ::close(out[0]);
    ASSERT_FALSE(failed_early) << "the program ended by itself: " << text;
    ASSERT_TRUE(WIFSIGNALED(status)) << text;

    // What completed, and what was under way.
    std::istringstream lines(text);
    std::string tag;
    int doc = -1;
    DocState under_way;
    bool pending = false;
    while (lines >> tag) {
      if (tag == "S") {
        lines >> doc >> under_way.version >> under_way.lines;
        if (under_way.version >= next_version) next_version = under_way.version + 1;
        pending = true;
      } else if (tag == "D") {
        known[doc] = under_way;
        pending = false;
      } else {
        FAIL() << "the program failed: " << text;
      }
    }

    // The next start: recovery of the interrupted session.
    if (Has("albaranes.DJN") || Has("fac.DJN")) ++cut_off;
    ASSERT_EQ(SessionStateCheck(1), kOk);
    EXPECT_FALSE(Has("albaranes.DJN") || Has("fac.DJN"));
    for (uint16_t f : {kAlbaranes, kLineas, kFac}) {
      Status s = DataFileOpen(f, 0);
      ASSERT_TRUE(s == kOk || s == 2) << s;
    }
    for (int d = 0; d < 8; ++d) {
      const DocState found = Found(d);
      const DocState before = known.count(d) ? known[d] : DocState{};
      if (pending && d == doc) {
        EXPECT_TRUE(found == before || found == under_way)
            << "document " << d << ": " << Describe(found) << ", expected " << Describe(before) << " or "
            << Describe(under_way);
        known[d] = found;
      } else {
        EXPECT_EQ(found, before) << "document " << d << ": " << Describe(found) << ", expected "
                                 << Describe(before);
      }
    }
    for (uint16_t f : {kFac, kLineas, kAlbaranes}) DataFileClose(f);
    ASSERT_EQ(SessionStateCheck(0), kOk);
    if (HasFailure()) break;
  }
  EXPECT_GT(cut_off, 0) << "no kill came in the middle of a save";
}

}  // namespace
}  // namespace eng::test
