// Selections on the shared fixture: eight slots shared by the files, a
// three-deep stack per file, lists that grow past 32, the buffer after an
// empty range, deletion by condition and reading by key text.
#include "data/selection_set.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "data/relup_rules.h"
#include "tests/data/record_set_fixture.h"

namespace eng::test {
namespace {

using fx::kClientes;
using fx::kMovs;
using fx::kParams;
using fx::kTotales;

std::string Num(int i) {
  std::string s = std::to_string(i);
  return std::string(3 - s.size(), '0') + s;
}

class SelectionSetTest : public RecordSetTest {
 protected:
  void SetUp() override {
    RecordSetTest::SetUp();
    SysVarSet(kVarUpStat, 0);
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) Open(f);
  }
  // Clientes "C000".."C<n-1>", city "Par" for even numbers, "Impar" for odd.
  static void AddClientes(int n) {
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(Add(kClientes, {"C" + Num(i), "N" + Num(i), i % 2 ? "Impar" : "Par"}), kOk);
  }
  static Status Build(uint16_t f, const std::string& from, const std::string& to,
                      const std::string& condition = "", uint16_t maximum = 0xFFFF) {
    return SelBuild(f, 1, StrOf(from), StrOf(to), maximum, 3, StrOf(condition));
  }
  // Field 1 of every record of the file's current selection, in order.
  static std::vector<std::string> Selected(uint16_t f) {
    std::vector<std::string> out;
    for (uint16_t i = 0; i < SelCount(f); ++i) {
      EXPECT_EQ(SelGoto(f, kBufBoth, i), kOk);
      out.push_back(Field(f, 1));
    }
    return out;
  }
  static std::string City(const std::string& c) {
    std::string s = c;
    s.resize(20, ' ');
    return "CITY{1}=='" + s + "'";
  }
};

TEST_F(SelectionSetTest, EveryOneOfTheEightSlotsIsUsableAtOnce) {
  AddClientes(6);
  ASSERT_EQ(AddMov("A", "1", "10"), kOk);
  ASSERT_EQ(AddMov("B", "1", "20"), kOk);
  ASSERT_EQ(Add(kTotales, {"T", "5"}), kOk);
  ASSERT_EQ(Add(kParams, {"P", "x"}), kOk);
  // Three nested selections of clientes and of movs, two of totales.
  ASSERT_EQ(Build(kClientes, "C000", "C000"), kOk);
  // A file without a selection never reads another file's slot.
  EXPECT_EQ(SelCurrentSlot(kClientes), 0);
  EXPECT_EQ(SelCount(kMovs), 0);
  EXPECT_EQ(SelGoto(kMovs, kBufBoth, 0), kStDataOutBound);
  ASSERT_EQ(Build(kClientes, "C", "C", City("Par")), kOk);
  ASSERT_EQ(Build(kClientes, "C", "C", City("Impar")), kOk);
  ASSERT_EQ(Build(kMovs, "A", "A"), kOk);
  ASSERT_EQ(Build(kMovs, "B", "B"), kOk);
  ASSERT_EQ(Build(kMovs, "", ""), kOk);
  ASSERT_EQ(Build(kTotales, "T", "T"), kOk);
  ASSERT_EQ(Build(kTotales, "", ""), kOk);
  // A ninth is refused, even for a file without a selection, and no slot
  // of another file can be filled for it.
  EXPECT_EQ(Build(kParams, "", ""), kStDataOutBound);
  EXPECT_EQ(SelCount(kParams), 0);
  EXPECT_EQ(SelCollect(0, kParams, 1, StrOf(""), StrOf(""), 10, 3, StrOf("")), kStDataOutBound);

  EXPECT_EQ(Selected(kClientes), (std::vector<std::string>{"C001", "C003", "C005"}));
  EXPECT_EQ(Selected(kMovs), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Selected(kTotales), std::vector<std::string>{"T"});
  // Freeing pops each file's stack back to its earlier selections.
  ASSERT_EQ(SelFree(kClientes), kOk);
  EXPECT_EQ(Selected(kClientes), (std::vector<std::string>{"C000", "C002", "C004"}));
  ASSERT_EQ(SelFree(kClientes), kOk);
  EXPECT_EQ(Selected(kClientes), std::vector<std::string>{"C000"});
  EXPECT_EQ(SelCurrentSlot(kClientes), 0);
  ASSERT_EQ(SelFree(kMovs), kOk);
  EXPECT_EQ(Selected(kMovs), std::vector<std::string>{"B"});
  ASSERT_EQ(SelFree(kMovs), kOk);
  EXPECT_EQ(Selected(kMovs), std::vector<std::string>{"A"});
  // Two slots are free now: params gets one, and the others stay as they were.
  ASSERT_EQ(Build(kParams, "", ""), kOk);
  EXPECT_EQ(Selected(kParams), std::vector<std::string>{"P"});
  EXPECT_EQ(Selected(kTotales), std::vector<std::string>{"T"});
  EXPECT_EQ(Selected(kClientes), std::vector<std::string>{"C000"});
  // Closing a file gives its slots back.
  ASSERT_EQ(DataFileClose(kTotales), kOk);
  Open(kTotales);
  ASSERT_EQ(Build(kMovs, "B", "B"), kOk);
  ASSERT_EQ(Build(kMovs, "", ""), kOk);
  EXPECT_EQ(Selected(kMovs), (std::vector<std::string>{"A", "B"}));
  std::set<int> slots;
  for (uint16_t f = 1; f <= fx::kFileCount; ++f)
    if (SelCurrentSlot(f) >= 0) slots.insert(SelCurrentSlot(f));
  EXPECT_EQ(slots.size(), 3u);  // clientes, movs, params: no slot shared
}

TEST_F(SelectionSetTest, AFourthNestedSelectionIsRefused) {
  AddClientes(4);
  ASSERT_EQ(Build(kClientes, "C000", "C000"), kOk);
  ASSERT_EQ(Build(kClientes, "C001", "C001"), kOk);
  ASSERT_EQ(Build(kClientes, "C002", "C002"), kOk);
  EXPECT_EQ(Build(kClientes, "C003", "C003"), kStDataOutBound);
  EXPECT_EQ(Selected(kClientes), std::vector<std::string>{"C002"});
  ASSERT_EQ(SelFree(kClientes), kOk);
  ASSERT_EQ(Build(kClientes, "C003", "C003"), kOk);
  EXPECT_EQ(Selected(kClientes), std::vector<std::string>{"C003"});
  // Index out of range, and a key without parts.
  EXPECT_EQ(SelGoto(kClientes, kBufBoth, 1), kStDataOutBound);
  // A record deleted since the build is not read back as if it were live.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("C003"), 0), 0);
  ASSERT_EQ(DataFileDelete(kClientes, 0), kOk);
  EXPECT_EQ(SelGoto(kClientes, kBufBoth, 0), kStEndOfData);
  EXPECT_EQ(SelFieldText(kClientes, 0, 1), "");
  EXPECT_EQ(SelBuild(kClientes, 9, StrOf(""), StrOf(""), 10, 3, StrOf("")), kStDataError);
  EXPECT_EQ(DataFileKeyNumber(kClientes), 1);
}

TEST_F(SelectionSetTest, ListsGrowPast32AndComeBackCompleteInKeyOrder) {
  AddClientes(130);  // 65 even, 65 odd
  for (int n : {32, 33, 64, 65}) {
    SCOPED_TRACE(n);
    ASSERT_EQ(Build(kClientes, "C", "C", City("Impar"), uint16_t(n)), kOk);
    std::vector<std::string> expected;
    for (int i = 0; i < n; ++i) expected.push_back("C" + Num(2 * i + 1));
    EXPECT_EQ(Selected(kClientes), expected);
    EXPECT_EQ(SelCapacity(uint16_t(SelCurrentSlot(kClientes))), size_t((n + 31) / 32 * 32));
    ASSERT_EQ(SelFree(kClientes), kOk);
  }
  ASSERT_EQ(Build(kClientes, "C", "C", City("Impar")), kOk);
  EXPECT_EQ(SelCount(kClientes), 65);
  EXPECT_EQ(SelFieldText(kClientes, 64, 2).substr(0, 4), "N129");
  EXPECT_EQ(SelFieldText(kClientes, 65, 2), "");
}

TEST_F(SelectionSetTest, RangeStartingWithAFailingRecordAndRangeWithoutMatch) {
  AddClientes(6);
  ASSERT_EQ(Add(kClientes, {"D000", "Dora", "Impar"}), kOk);
  // C000 fails the condition; the later odd ones are found; D000 is past "C".
  ASSERT_EQ(Build(kClientes, "C", "C", City("Impar")), kOk);
  EXPECT_EQ(Selected(kClientes), (std::vector<std::string>{"C001", "C003", "C005"}));
  ASSERT_EQ(SelFree(kClientes), kOk);
  // Mode 2 starts after every key with the prefix: only D000.
  ASSERT_EQ(SelBuild(kClientes, 1, StrOf("C"), StrOf(""), 100, 2, StrOf(City("Impar"))), kOk);
  EXPECT_EQ(Selected(kClientes), std::vector<std::string>{"D000"});
  ASSERT_EQ(SelFree(kClientes), kOk);
  // No match: 2, the buffer as it was, no selection.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("C002"), 0), 0);
  const std::string before = BufRecord(kClientes, kBufBoth).str();
  EXPECT_EQ(Build(kClientes, "C", "C", City("Nadie")), kStEndOfData);
  EXPECT_EQ(BufRecord(kClientes, kBufBoth).str(), before);
  EXPECT_EQ(SelCount(kClientes), 0);
  EXPECT_EQ(SelGoto(kClientes, kBufBoth, 0), kStDataOutBound);
  EXPECT_EQ(Build(kClientes, "X", "X"), kStEndOfData);
  EXPECT_EQ(BufRecord(kClientes, kBufBoth).str(), before);
  // The buffer still rewrites the record it holds.
  ASSERT_EQ(BufSetField(kClientes, 2, StrOf("Nuevo")), kOk);
  ASSERT_EQ(DataFileUpdateRecord(kClientes), kOk);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("C002"), 0), 0);
  EXPECT_EQ(Field(kClientes, 2), "Nuevo");
}

TEST_F(SelectionSetTest, DeleteWhereDeletesExactlyTheMatchesWithoutRules) {
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
  Put("PLRELUP.DAT", "0200T=T+_SGN*AMT{2}\r\n");
  ASSERT_EQ(RelUpdLoad(kMovs, StrOf("")), kOk);
  ASSERT_EQ(ExpExecute(StrOf("T=0")), kOk);
  SysVarSet(kVarUpStat, 1);
  ASSERT_EQ(AddMov("A", "1", "10"), kOk);
  ASSERT_EQ(AddMov("A", "2", "30"), kOk);
  ASSERT_EQ(AddMov("A", "3", "50"), kOk);
  ASSERT_EQ(AddMov("AB", "1", "90"), kOk);
  ASSERT_EQ(AddMov("B", "1", "70"), kOk);
  // Key 1 is CODE + N_LINE: the value "A" is the prefix of every "A" line
  // (and of "AB").
  EXPECT_EQ(DataFileDeleteWhere(kMovs, 1, StrOf("A"), StrOf("AMT{2}>20")), kOk);
  std::vector<std::string> left;
  for (Status st = DataFileMove(kMovs, 0x24); st == 0; st = DataFileMove(kMovs, 0x10))
    left.push_back(Field(kMovs, 1) + ":" + Val("AMT{2}"));
  EXPECT_EQ(left, (std::vector<std::string>{"A:10", "B:70"}));
  EXPECT_EQ(Val("T+1"), "1");  // no rule ran
  EXPECT_EQ(SelCount(kMovs), 0);
  EXPECT_EQ(DataFileDeleteWhere(kMovs, 1, StrOf("C"), StrOf("")), kStEndOfData);
  EXPECT_EQ(SelCurrentSlot(kMovs), -1);
}

TEST_F(SelectionSetTest, DeleteWhereLeavesTheCallersSelectionsAlone) {
  ASSERT_EQ(AddMov("A", "1", "10"), kOk);
  ASSERT_EQ(AddMov("B", "1", "20"), kOk);
  ASSERT_EQ(AddMov("C", "1", "30"), kOk);
  ASSERT_EQ(Build(kMovs, "A", "A"), kOk);
  // Refused before any selection of its own was built: a key without parts.
  EXPECT_EQ(DataFileDeleteWhere(kMovs, 9, StrOf("B"), StrOf("")), kStDataError);
  EXPECT_EQ(Selected(kMovs), std::vector<std::string>{"A"});
  // Built and freed again: the caller's selection is current afterwards.
  EXPECT_EQ(DataFileDeleteWhere(kMovs, 1, StrOf("X"), StrOf("")), kStEndOfData);
  EXPECT_EQ(Selected(kMovs), std::vector<std::string>{"A"});
  EXPECT_EQ(DataFileDeleteWhere(kMovs, 1, StrOf("C"), StrOf("")), kOk);
  EXPECT_EQ(Selected(kMovs), std::vector<std::string>{"A"});
  // With three selections nested the build is refused and none is lost.
  ASSERT_EQ(Build(kMovs, "B", "B"), kOk);
  ASSERT_EQ(Build(kMovs, "", ""), kOk);
  EXPECT_EQ(DataFileDeleteWhere(kMovs, 1, StrOf("B"), StrOf("")), kStDataOutBound);
  EXPECT_EQ(Selected(kMovs), (std::vector<std::string>{"A", "B"}));
  ASSERT_EQ(SelFree(kMovs), kOk);
  EXPECT_EQ(Selected(kMovs), std::vector<std::string>{"B"});
  ASSERT_EQ(SelFree(kMovs), kOk);
  EXPECT_EQ(Selected(kMovs), std::vector<std::string>{"A"});
}

TEST_F(SelectionSetTest, ReadByKeyTextReadsOrCreates) {
  ASSERT_EQ(Add(kClientes, {"A", "Ana"}), kOk);
  EXPECT_EQ(DataFileReadByKeyText(kClientes, 1, StrOf("")), kStDataError);
  // A text of blanks is no key either: no record with a blank key is made.
  EXPECT_EQ(DataFileReadByKeyText(kClientes, 1, StrOf("   ")), kStDataError);
  EXPECT_EQ(Codes(kClientes), std::vector<std::string>{"A"});
  ASSERT_EQ(DataFileMove(kClientes, 1), 3);
  EXPECT_EQ(DataFileReadByKeyText(kClientes, 1, StrOf("A")), kOk);
  EXPECT_EQ(Field(kClientes, 2), "Ana");
  EXPECT_EQ(DataFileReadByKeyText(kClientes, 1, StrOf("Q")), kOk);
  EXPECT_EQ(Codes(kClientes), (std::vector<std::string>{"A", "Q"}));
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("Q"), 0), 0);
  EXPECT_EQ(Field(kClientes, 2), "");
  // Key 2 (CITY + CODE) gets its text cut into both fields.
  std::string text(20, ' ');
  text.replace(0, 6, "Madrid");
  text += "M1";
  EXPECT_EQ(DataFileReadByKeyText(kClientes, 2, StrOf(text)), kOk);
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("M1"), 0), 0);
  EXPECT_EQ(Field(kClientes, 3), "Madrid");
}

}  // namespace
}  // namespace eng::test
