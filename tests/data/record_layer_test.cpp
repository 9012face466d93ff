#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_command.h"
#include "data/open_state.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

using fx::kClientes;
using fx::kMovs;
using fx::kTotales;

std::string Pad(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}
// A "clientes" record: CODE (10), NAME (30), CITY (20).
std::string Cli(const std::string& code, const std::string& name = "", const std::string& city = "") {
  return Pad(code, 10) + Pad(name, 30) + Pad(city, 20);
}
// A "movs" record: CODE (10), N_LINE (3), DATE (8), AMT (10).
std::string Mov(const std::string& code, const std::string& line) {
  return Pad(code, 10) + line + Pad("", 18);
}

std::string Cur(uint16_t f) { return BufRecord(f, kBufCurrent).str(); }
std::string Saved(uint16_t f) { return BufRecord(f, kBufSaved).str(); }
std::string Code(uint16_t f) { return Cur(f).substr(0, 10); }

class RecordLayerTest : public DataFixtureTest {
 protected:
  Status Add(uint16_t f, const std::string& rec) {
    EXPECT_EQ(BufStore(f, kBufCurrent, StrOf(rec)), kOk);
    return DataFileAddRecord(f);
  }
  // Opens clientes read-write with records C, A, B (in that order of adding).
  void OpenClientes() {
    ASSERT_EQ(DataFileOpen(kClientes, 0), kStEndOfData);  // empty: the first move finds nothing
    ASSERT_EQ(Add(kClientes, Cli("C", "Carla", "Zaragoza")), kOk);
    ASSERT_EQ(Add(kClientes, Cli("A", "Ana", "Bilbao")), kOk);
    ASSERT_EQ(Add(kClientes, Cli("B", "Bruno", "Avila")), kOk);
  }
  // Codes met walking with `step` after `start` in the current key.
  std::vector<std::string> Walk(uint16_t f, uint16_t start, uint16_t step) {
    std::vector<std::string> out;
    for (Status st = DataFileMove(f, start); st == 0; st = DataFileMove(f, step))
      out.push_back(StrTrimmed(Code(f)));
    return out;
  }
  static std::string StrTrimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
};

TEST_F(RecordLayerTest, RecordsAreWalkedForwardsAndBackwardsByEveryKey) {
  OpenClientes();
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"A", "B", "C"}));
  EXPECT_EQ(Walk(kClientes, 0x20, 0x14), (V{"C", "B", "A"}));
  EXPECT_EQ(DataFileSetKeyNumber(kClientes, 2), 2);  // CITY + CODE
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"B", "A", "C"}));
  EXPECT_EQ(Walk(kClientes, 0x20, 0x14), (V{"C", "A", "B"}));
  // Closed and opened again, the records and their order are all there.
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, 0);
  EXPECT_EQ(DataFileCtrl(kClientes).current_key, 1);
  ASSERT_EQ(DataFileOpen(kClientes, kOpenReadOnly), kOk);
  EXPECT_EQ(Code(kClientes), Pad("A", 10));  // the open reads the first record
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"A", "B", "C"}));
}

TEST_F(RecordLayerTest, RecordsAreLocatedByEveryKey) {
  OpenClientes();
  EXPECT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  EXPECT_EQ(Cur(kClientes), Cli("B", "Bruno", "Avila"));
  EXPECT_EQ(Saved(kClientes), Cli("B", "Bruno", "Avila"));
  EXPECT_EQ(DataFileLocate(kClientes, 2, StrOf(Pad("Zaragoza", 20) + "C"), 0), 0);
  EXPECT_EQ(Code(kClientes), Pad("C", 10));
  EXPECT_EQ(DataFileKeyNumber(kClientes), 2);
  EXPECT_EQ(DataFileLocate(kClientes, 0xFFFF, StrOf("Bil"), 0), 0);  // a prefix finds the first
  EXPECT_EQ(Code(kClientes), Pad("A", 10));
  EXPECT_EQ(DataFileCtrl(kClientes).last_status, 0);
}

TEST_F(RecordLayerTest, LocateBeyondAndBetweenKeys) {
  OpenClientes();
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  // Beyond the last key: 2, the buffer as it was.
  EXPECT_EQ(DataFileLocate(kClientes, 1, StrOf("Z"), 0), 2);
  EXPECT_EQ(Cur(kClientes), Cli("A", "Ana", "Bilbao"));
  EXPECT_EQ(DataFileCtrl(kClientes).last_status, 2);
  // With flag 1: a blank record with the value in the key's fields.
  EXPECT_EQ(DataFileLocate(kClientes, 1, StrOf("Z"), 1), 2);
  EXPECT_EQ(Cur(kClientes), Cli("Z"));
  // Between two keys with flag 2: the following record, status 1.
  ASSERT_EQ(Add(kClientes, Cli("E", "Eva")), kOk);
  EXPECT_EQ(DataFileLocate(kClientes, 1, StrOf("D"), 2), 1);
  EXPECT_EQ(Cur(kClientes), Cli("E", "Eva"));
  // Without flag 2 a value between keys reads nothing.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(DataFileLocate(kClientes, 1, StrOf("BB"), 0), 1);
  EXPECT_EQ(Code(kClientes), Pad("A", 10));
}

TEST_F(RecordLayerTest, MovesAtTheEndsOfTheOrder) {
  OpenClientes();
  ASSERT_EQ(DataFileMove(kClientes, 0x24), 0);
  // Previous from the first: 1 and a blank buffer; with flag 2 the first again.
  EXPECT_EQ(DataFileMove(kClientes, 0x14), 1);
  EXPECT_EQ(Cur(kClientes), std::string(60, ' '));
  ASSERT_EQ(DataFileMove(kClientes, 0x24), 0);
  EXPECT_EQ(DataFileMove(kClientes, 0x16), 1);
  EXPECT_EQ(Code(kClientes), Pad("A", 10));
  // Next past the last: 2 and a blank buffer.
  ASSERT_EQ(DataFileMove(kClientes, 0x20), 0);
  EXPECT_EQ(DataFileMove(kClientes, 0x10), 2);
  EXPECT_EQ(Cur(kClientes), std::string(60, ' '));
  // New: 3 and a blank buffer.
  ASSERT_EQ(DataFileMove(kClientes, 0x24), 0);
  EXPECT_EQ(DataFileMove(kClientes, DataFileCmdFlags(kCmdNew)), 3);
  EXPECT_EQ(DataFileCtrl(kClientes).last_status, 3);
  EXPECT_EQ(Cur(kClientes), std::string(60, ' '));
}

TEST_F(RecordLayerTest, AMoveStartsFromTheRecordTheBufferHolds) {
  OpenClientes();
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  // A search without a part moves the index cursor but not the buffer.
  ASSERT_EQ(DataFileSeekRead(kClientes, 1, StrOf("C"), 0), 0);
  EXPECT_EQ(Code(kClientes), Pad("A", 10));
  EXPECT_EQ(DataFileMove(kClientes, 0x10), 0);
  EXPECT_EQ(Code(kClientes), Pad("B", 10));
  // With a part the record goes into that part only.
  ASSERT_EQ(DataFileSeekRead(kClientes, 1, StrOf("C"), kBufSaved), 0);
  EXPECT_EQ(Code(kClientes), Pad("B", 10));
  EXPECT_EQ(Saved(kClientes).substr(0, 10), Pad("C", 10));
}

TEST_F(RecordLayerTest, DuplicateKeyInAFileWithoutLineNumbersGives6AndIsStored) {
  OpenClientes();
  EXPECT_EQ(Add(kClientes, Cli("B", "Otro")), 6);
  EXPECT_EQ(Cur(kClientes), Cli("B", "Otro"));
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"A", "B", "B", "C"}));
  // Equal keys stand in the order they were added; a locate finds the first.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  EXPECT_EQ(Cur(kClientes), Cli("B", "Bruno", "Avila"));
  ASSERT_EQ(DataFileMove(kClientes, 0x10), 0);
  EXPECT_EQ(Cur(kClientes), Cli("B", "Otro"));

  // A file with "N_LINE" takes the same key without a word.
  ASSERT_EQ(DataFileOpen(kMovs, 0), 2);
  ASSERT_EQ(Add(kMovs, Mov("X", "  1")), kOk);
  EXPECT_EQ(Add(kMovs, Mov("X", "  1")), kOk);
}

TEST_F(RecordLayerTest, RewriteChangesTheRecordAndItsPlaceInTheOrder) {
  OpenClientes();
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  // Unchanged: nothing to write.
  EXPECT_EQ(DataFileUpdateRecord(kClientes), kOk);
  ASSERT_EQ(BufStore(kClientes, kBufCurrent, StrOf(Cli("D", "Bruno", "Avila"))), kOk);
  EXPECT_EQ(DataFileUpdateRecord(kClientes), kOk);
  EXPECT_EQ(Saved(kClientes), Cli("D", "Bruno", "Avila"));
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"A", "C", "D"}));
  EXPECT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 1);
  DataFileSetKeyNumber(kClientes, 2);
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"D", "A", "C"}));
}

// The record the buffer holds is the one rewritten or deleted, wherever a
// search without a part has left the index cursor.
TEST_F(RecordLayerTest, RewriteAndDeleteActOnTheRecordInTheBuffer) {
  OpenClientes();
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  ASSERT_EQ(DataFileSeekRead(kClientes, 1, StrOf("C"), 0), 0);
  ASSERT_EQ(BufStore(kClientes, kBufCurrent, StrOf(Cli("A", "Ana Maria", "Bilbao"))), kOk);
  ASSERT_EQ(DataFileUpdateRecord(kClientes), kOk);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("C"), 0), 0);
  EXPECT_EQ(Cur(kClientes), Cli("C", "Carla", "Zaragoza"));
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(Cur(kClientes), Cli("A", "Ana Maria", "Bilbao"));

  ASSERT_EQ(DataFileSeekRead(kClientes, 1, StrOf("C"), 0), 0);
  ASSERT_EQ(DataFileDelete(kClientes, 0), kOk);
  EXPECT_EQ(Cur(kClientes)[0], kRecordDeleted);
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"B", "C"}));
  // A buffer that holds no record has nothing to rewrite or delete.
  ASSERT_EQ(DataFileMove(kClientes, 1), 3);
  ASSERT_EQ(BufStore(kClientes, kBufCurrent, StrOf(Cli("B", "x"))), kOk);
  EXPECT_EQ(DataFileUpdateRecord(kClientes), kStIndexCmd);
  EXPECT_EQ(DataFileDelete(kClientes, 0), kStIndexCmd);
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"B", "C"}));
}

TEST_F(RecordLayerTest, DeleteWithFlag2LeavesTheFollowingRecordCurrent) {
  OpenClientes();
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  EXPECT_EQ(DataFileDelete(kClientes, 2), kOk);
  EXPECT_EQ(Cur(kClientes), Cli("C", "Carla", "Zaragoza"));
  EXPECT_EQ(DataFileMove(kClientes, 0x14), 0);
  EXPECT_EQ(Code(kClientes), Pad("A", 10));
  // The freed number is taken again by the next record, and nothing is lost.
  ASSERT_EQ(Add(kClientes, Cli("F")), kOk);
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"A", "C", "F"}));
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  EXPECT_EQ(Get("clientes.FD").size(), 3u * 60);
}

TEST_F(RecordLayerTest, KeyBound) {
  OpenClientes();
  ASSERT_EQ(Add(kClientes, Cli("BA")), kOk);
  struct Case {
    const char* key;
    uint16_t flags;
    const char* bound;
    Status want;
  } cases[] = {
      {"BA", 0, "B", 0}, {"C", 0, "B", 2}, {"A", 4, "B", 2}, {"BA", 4, "B", 0},
      {"C", 4, "B", 0},  {"A", 0, "", 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf(c.key), 0), 0) << c.key;
    EXPECT_EQ(DataFileKeyBeyond(kClientes, c.flags, StrOf(c.bound)), c.want) << c.key << " " << c.bound;
  }
  EXPECT_EQ(DataFileKeyBeyond(kClientes, 0, StrFail(kStStringTooLong)), kStStringTooLong);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("Z"), 0), 2);
  EXPECT_EQ(DataFileKeyBeyond(kClientes, 0, StrOf("Z")), 2);
  // In range: the walk of the "B" keys stops at C.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  EXPECT_EQ(DataFileMoveInRange(kClientes, 0x10, StrOf("B")), 0);
  EXPECT_EQ(DataFileMoveInRange(kClientes, 0x10, StrOf("B")), 2);
}

// A walk gives, step by step, what moves within the bound give: the status,
// both halves of the buffer, the last status and the record's key value.
TEST_F(RecordLayerTest, WalkStepsAsMovesWithinTheBound) {
  OpenClientes();
  ASSERT_EQ(Add(kClientes, Cli("BA", "Beto")), kOk);
  ASSERT_EQ(Add(kClientes, Cli("D", "Dora")), kOk);
  struct Case {
    const char* start;
    uint16_t flags;
    std::string bound;
  } cases[] = {
      {"A", 0x10, "B"}, {"A", 0x90, "\xFF"}, {"A", 0x10, ""}, {"D", 0x14, ""}, {"D", 0x14 | 4, "B"}, {"B", 0x12, "C"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " " + c.bound + " " + std::to_string(c.flags));
    std::vector<std::string> moved, walked;
    auto trace = [&](std::vector<std::string>& out, Status st) {
      out.push_back(std::to_string(st) + "|" + BufRecord(kClientes, kBufBoth).str() + "|" +
                    std::to_string(DataFileCtrl(kClientes).last_status));
    };
    ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf(c.start), 0), 0);
    for (int i = 0; i < 7; ++i) trace(moved, DataFileMoveInRange(kClientes, c.flags, StrOf(c.bound)));
    ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf(c.start), 0), 0);
    DataFileWalk walk;
    for (int i = 0; i < 7; ++i) {
      trace(walked, walk.Step(kClientes, c.flags, StrOf(c.bound)));
      ASSERT_TRUE(walk.HasKey());
      EXPECT_EQ(std::string(walk.Key()), Code(kClientes));
    }
    EXPECT_EQ(walked, moved);
  }
  // Moved elsewhere between steps (and told so), the walk goes on from there.
  DataFileWalk walk;
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  ASSERT_EQ(walk.Step(kClientes, 0x10, StrOf("")), 0);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("C"), 0), 0);
  walk.Forget();
  ASSERT_EQ(walk.Step(kClientes, 0x10, StrOf("")), 0);
  EXPECT_EQ(StrTrimmed(Code(kClientes)), "D");
  EXPECT_EQ(walk.File(), kClientes);
}

Status MarkName(uint16_t f, StrPair text) {
  std::string rec = BufRecord(f, kBufCurrent).str();
  rec.replace(10, text.len, text.view());
  return BufStore(f, kBufCurrent, StrOf(rec));
}
Status Refuse(uint16_t, StrPair) { return kStUserCheck; }

TEST_F(RecordLayerTest, ScanRewritesTheRecordsOfAPrefixAndPutsTheBufferBack) {
  OpenClientes();
  ASSERT_EQ(Add(kClientes, Cli("BB", "Beto")), kOk);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(DataFileScan(kClientes, 1, StrOf("B"), 0, StrOf("*"), MarkName), kOk);
  EXPECT_EQ(Cur(kClientes), Cli("A", "Ana", "Bilbao"));  // put back
  EXPECT_EQ(DataFileMove(kClientes, 0x10), 0);
  EXPECT_EQ(Cur(kClientes), Cli("B", "*runo", "Avila"));
  EXPECT_EQ(DataFileMove(kClientes, 0x10), 0);
  EXPECT_EQ(Cur(kClientes), Cli("BB", "*eto"));
  EXPECT_EQ(DataFileMove(kClientes, 0x10), 0);
  EXPECT_EQ(Cur(kClientes), Cli("C", "Carla", "Zaragoza"));  // outside the prefix
  // A value that is not there touches nothing, even the record the buffer
  // holds when the search ends between keys.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(DataFileScan(kClientes, 1, StrOf("AB"), 0, StrOf("#"), MarkName), kOk);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(Cur(kClientes), Cli("A", "Ana", "Bilbao"));
  // With flag 4 the missing value is added first.
  SysVarSet(kVarRelRes, 0);
  EXPECT_EQ(DataFileScan(kClientes, 1, StrOf("G"), 4, StrOf("#"), MarkName), kOk);
  EXPECT_EQ(SysVarGet(kVarRelRes), 4);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("G"), 0), 0);
  EXPECT_EQ(Code(kClientes), Pad("G", 10));
  EXPECT_EQ(Cur(kClientes)[10], '#');
  // A failing callback ends the walk with its status.
  EXPECT_EQ(DataFileScan(kClientes, 1, StrOf("B"), 0, StrOf("?"), Refuse), kStUserCheck);
}

TEST_F(RecordLayerTest, BadInputIsRefusedAndLosesNothing) {
  OpenClientes();
  // A record marked deleted cannot be added.
  EXPECT_EQ(Add(kClientes, std::string(1, kRecordDeleted) + Cli("Q").substr(1)), kStDataError);
  // A key number the file does not have.
  EXPECT_EQ(DataFileLocate(kClientes, 7, StrOf("A"), 0), kStDataOutBound);
  DataFileSetKeyNumber(kClientes, 1);
  // A file number outside the dictionary with no current file.
  SysVarSet(kVarCurFil, 0);
  EXPECT_EQ(DataFileOpen(9, 0), kStDataOutBound);
  EXPECT_EQ(DataFileMove(31, 0x24), kStDataOutBound);
  // A closed file.
  EXPECT_EQ(DataFileMove(kTotales, 0x24), kStFileNotInit);
  EXPECT_EQ(DataFileAddRecord(kTotales), kStFileNotInit);
  // A read-only file refuses writes.
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  ASSERT_EQ(DataFileOpen(kClientes, kOpenReadOnly), kOk);
  EXPECT_EQ(Add(kClientes, Cli("Q")), kStWrite);
  ASSERT_EQ(BufStore(kClientes, kBufCurrent, StrOf(Cli("A", "changed"))), kOk);
  EXPECT_EQ(DataFileUpdateRecord(kClientes), kStWrite);
  EXPECT_EQ(DataFileDelete(kClientes, 0), kStWrite);
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"A", "B", "C"}));
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(Cur(kClientes), Cli("A", "Ana", "Bilbao"));
}

TEST_F(RecordLayerTest, AFileWithoutIndexIsReadInRecordOrderOnly) {
  OpenClientes();
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  EXPECT_EQ(DataFileOpen(kClientes, kOpenReadOnly | kOpenNoIndex), 0);
  EXPECT_EQ(Code(kClientes), Pad("C", 10));  // the first in the file
  EXPECT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), kStNotAvailable);
  EXPECT_EQ(DataFileMove(kClientes, 0x10), kStNotAvailable);
  EXPECT_EQ(DataFileAddRecord(kClientes), kStNotAvailable);
}

TEST_F(RecordLayerTest, ExclusiveOpenAndTheLockMarker) {
  OpenClientes();
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  EXPECT_EQ(DataFileOpen(kClientes, kOpenExclusive), 0);
  EXPECT_TRUE(Has("clientes.lock"));
  EXPECT_EQ(Get("clientes.lock"), " ");
  // The same flags again: nothing happens.
  ASSERT_EQ(DataFileMove(kClientes, 0x20), 0);
  EXPECT_EQ(DataFileOpen(kClientes, kOpenExclusive), kOk);
  EXPECT_EQ(Code(kClientes), Pad("C", 10));
  // Exclusive again with other flags: 175 from its own marker, still open.
  EXPECT_EQ(DataFileOpen(kClientes, kOpenExclusive | kOpenCurrent), kStPermission);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, kOpenExclusive);
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  EXPECT_FALSE(Has("clientes.lock"));
  // Someone else's marker: 175 and nothing written.
  Put("clientes.lock", " ");
  EXPECT_EQ(DataFileOpen(kClientes, kOpenExclusive), kStPermission);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, 0);
  EXPECT_TRUE(Has("clientes.lock"));
  // A shared open does not look at the marker; closing it leaves the marker.
  EXPECT_EQ(DataFileOpen(kClientes, 0), 0);
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  EXPECT_TRUE(Has("clientes.lock"));
}

TEST_F(RecordLayerTest, AFileHeldExclusivelyByAnotherProcessGives175) {
  OpenClientes();
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    char c = DataFileOpen(kClientes, kOpenExclusive) == 0 ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(done[0], &c, 1);
    DataFileClose(kClientes);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, 'y');
  EXPECT_EQ(DataFileOpen(kClientes, kOpenExclusive), kStPermission);  // the marker
  EXPECT_EQ(DataFileOpen(kClientes, 0), kStPermission);               // the advisory lock
  EXPECT_EQ(DataFileOpen(kClientes, kOpenReadOnly), kStPermission);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, 0);
  ASSERT_EQ(write(done[1], "x", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
  EXPECT_FALSE(Has("clientes.lock"));
  EXPECT_EQ(DataFileOpen(kClientes, 0), 0);
  using V = std::vector<std::string>;
  EXPECT_EQ(Walk(kClientes, 0x24, 0x10), (V{"A", "B", "C"}));
}

TEST_F(RecordLayerTest, OpenListsSetTheOpenStateOfTheWholeDictionary) {
  ASSERT_EQ(DataFileOpen(kMovs, 0), 2);
  // File 1 exclusive, file 3 read-write and current, every other file closed.
  EXPECT_EQ(DataFileOpenState(StrOf("clientes;2,3")), kOk);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, kOpenExclusive);
  EXPECT_TRUE(Has("clientes.lock"));
  EXPECT_EQ(DataFileCtrl(kTotales).open_flags, kOpenCurrent);
  EXPECT_EQ(SysVarGet(kVarCurFil), kTotales);
  EXPECT_EQ(DataFileCtrl(kMovs).open_flags, 0);
  EXPECT_EQ(DataFileCtrl(kMovs).data_stream, 0xFFFF);
  // One item without flags: read-write and current.
  EXPECT_EQ(DataFileOpenState(StrOf("movs")), kOk);
  EXPECT_EQ(DataFileCtrl(kMovs).open_flags, kOpenCurrent);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, 0);
  EXPECT_FALSE(Has("clientes.lock"));
  // Items before the last without flags open read-only.
  EXPECT_EQ(DataFileOpenState(StrOf("1,2")), kOk);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, kOpenReadOnly);
  EXPECT_EQ(DataFileCtrl(kMovs).open_flags, kOpenCurrent);
  // RESTORE applies the state below the top.
  EXPECT_EQ(DataFileOpenState(StrOf("RESTORE")), kOk);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, 0);
  EXPECT_EQ(DataFileCtrl(kMovs).open_flags, kOpenCurrent);
  EXPECT_EQ(DataFileOpenState(StrOf("RESTORE")), kOk);
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, kOpenExclusive);
  EXPECT_EQ(DataFileCtrl(kTotales).open_flags, kOpenCurrent);
  EXPECT_EQ(DataFileOpenState(StrOf("RESTORE")), kOk);  // the stack is empty: all closed
  for (uint16_t f = 1; f <= fx::kFileCount; ++f) EXPECT_EQ(DataFileCtrl(f).open_flags, 0) << f;
  EXPECT_FALSE(Has("clientes.lock"));
  EXPECT_EQ(DataFileOpenState(StrOf("RESTORE")), kStInternal);
  EXPECT_EQ(ErrIncidentText().str(), "RESTORE");
  // A file that is not in the dictionary.
  EXPECT_EQ(DataFileOpenState(StrOf("movs,nofile;1")), kStFileOpening);
  EXPECT_EQ(ErrIncidentText().str(), "nofile");
  EXPECT_EQ(DynStrCount(kOpenStateStack), 0);
  EXPECT_EQ(DataFileOpenState(StrOf("movs;x")), kStSyntax);
}

TEST_F(RecordLayerTest, ApplyingStopsAtTheFirstFailure) {
  Put("clientes.lock", " ");
  std::string state;
  ASSERT_EQ(DataFileParseOpenList(StrOf("clientes;2,movs"), &state), kOk);
  EXPECT_EQ(state, std::string("\x02\x08\x00\x00", 4));
  EXPECT_EQ(DataFileApplyOpenState(state), kStPermission);
  EXPECT_EQ(DataFileCtrl(kMovs).open_flags, kOpenCurrent);  // later files come first
  EXPECT_EQ(DataFileCtrl(kClientes).open_flags, 0);
}

TEST_F(RecordLayerTest, SavedControlBlockAndBufferArePutBack) {
  OpenClientes();
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  DataFileSaved saved;
  ASSERT_EQ(DataFileCtrlSave(kClientes, saved), kOk);
  ASSERT_EQ(DataFileLocate(kClientes, 2, StrOf("~"), 1), 2);
  ASSERT_EQ(DataFileCtrlSave(kClientes, saved), kOk);
  EXPECT_FALSE(saved.filled);
  EXPECT_EQ(DataFileKeyNumber(kClientes), 1);
  EXPECT_EQ(DataFileCtrl(kClientes).last_status, 0);
  EXPECT_EQ(Cur(kClientes), Cli("B", "Bruno", "Avila"));
  // The restored record is the one a rewrite acts on.
  ASSERT_EQ(BufStore(kClientes, kBufCurrent, StrOf(Cli("B", "Bruna", "Avila"))), kOk);
  ASSERT_EQ(DataFileUpdateRecord(kClientes), kOk);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  EXPECT_EQ(Cur(kClientes), Cli("B", "Bruna", "Avila"));
}

TEST_F(RecordLayerTest, ReopenKeepsTheRecordInTheBuffer) {
  OpenClientes();
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  EXPECT_EQ(DataFileReopen(kClientes, 0), kOk);
  EXPECT_EQ(DataFileReopen(kClientes, kStUserCheck), kStUserCheck);
  EXPECT_EQ(Cur(kClientes), Cli("B", "Bruno", "Avila"));
  EXPECT_EQ(DataFileMove(kClientes, 0x10), 0);
  EXPECT_EQ(Code(kClientes), Pad("C", 10));
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  EXPECT_EQ(DataFileReopen(kClientes, 0), kStFileIo);
}

TEST(DataFileCommandTest, FlagWordsAndWordIndexes) {
  EXPECT_EQ(DataFileCmdFlags(kCmdNxt), 0x0F12);
  EXPECT_EQ(DataFileCmdFlags(kCmdDel), 0x0642);
  EXPECT_EQ(DataFileCmdFlags(kCmdRld), 0x0000);
  EXPECT_EQ(DataFileCmdFlags(kCmdBls), 0x0046);
  EXPECT_EQ(DataFileCmdFlags(kCmdTsl), 0x00FF);
  EXPECT_EQ(DataFileCmdFlags(0), 0x00FF);
  EXPECT_EQ(DataFileCmdFlags(19), 0x00FF);
  const StrPair words = StrOf(kDataFileCmdWords);
  EXPECT_EQ(DataFileCmdIndex(StrOf("next"), words), kCmdNxt);
  EXPECT_EQ(DataFileCmdIndex(StrOf("Previous"), words), kCmdPrv);
  EXPECT_EQ(DataFileCmdIndex(StrOf("BOTTOM"), words), kCmdBot);
  EXPECT_EQ(DataFileCmdIndex(StrOf("tsl"), words), kCmdTsl);
  EXPECT_EQ(DataFileCmdIndex(StrOf("NEW"), StrOf("top,new")), 2);
  EXPECT_EQ(DataFileCmdIndex(StrOf("NX"), words), 0);
  EXPECT_EQ(DataFileCmdIndex(StrOf(""), words), 0);
}

TEST_F(RecordLayerTest, WithdrawnOperations) {
  EXPECT_EQ(DataFileDeleteAll(kClientes), kStNotAvailable);
  EXPECT_EQ(ErrIncidentText().str(), "DataFileDeleteAll");
  EXPECT_EQ(DataFileExprUpdate(kClientes, 1, StrOf("NAME{}='x'"), 0), kStLowFailure);
  EXPECT_EQ(DataFileFeatureRemoved(0).str(), " ");
  SysVarSet(kVarUpStat, 0);
  DataFileSetTriggers(true);
  EXPECT_EQ(SysVarGet(kVarUpStat), 1);
  DataFileSetTriggers(false);
  EXPECT_EQ(SysVarGet(kVarUpStat), 0);
}

}  // namespace
}  // namespace eng::test
