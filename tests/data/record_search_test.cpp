// Searches on the shared fixture: key-order searches with bound, callback and
// the remembered condition, forward reading of a file opened without index,
// and the key helpers.
#include "data/record_search.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/date_text.h"
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "tests/data/record_set_fixture.h"

namespace eng::test {
namespace {

using fx::kClientes;
using fx::kMovs;

// A condition on the city of clientes (a field compares with its blanks).
std::string City(const std::string& op, std::string city) {
  city.resize(20, ' ');
  return "CITY{1}" + op + "'" + city + "'";
}

std::string Trim(std::string_view t) {
  std::string s(t);
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

class RecordSearchTest : public RecordSetTest {
 protected:
  void SetUp() override {
    RecordSetTest::SetUp();
    Open(kClientes);
    ASSERT_EQ(Add(kClientes, {"A", "Ana", "Bilbao"}), kOk);
    ASSERT_EQ(Add(kClientes, {"B", "Bruno", "Avila"}), kOk);
    ASSERT_EQ(Add(kClientes, {"C", "Carla", "Zaragoza"}), kOk);
    ASSERT_EQ(Add(kClientes, {"D", "Dora", "Bilbao"}), kOk);
  }
  // A progress callback that records the texts it is given and answers `answer`.
  DataFileProgressFn Recorder(Status answer = kOk) {
    return [this, answer](StrPair text) {
      seen_.push_back(Trim(text.view()));
      return answer;
    };
  }
  static std::string LastCondition() { return S(DynStrGet(sl::kWork, sl::kFileRelKey)); }
  std::vector<std::string> seen_;
};

TEST_F(RecordSearchTest, KeySearchFindsTheNextMatchWithinTheBound) {
  const std::string zgz = City("==", "Zaragoza"), bio = City("==", "Bilbao");
  EXPECT_EQ(DataFileSearchFirst(kClientes, 1, StrOf("A"), StrOf(zgz), StrOf(""), Recorder()), 0);
  EXPECT_EQ(Field(kClientes, 1), "C");
  EXPECT_EQ(seen_, (std::vector<std::string>{"B", "C"}));  // each record moved to
  EXPECT_EQ(LastCondition(), zgz);
  // The next match moves on from the record the buffer holds.
  EXPECT_EQ(DataFileSearchNext(kClientes, true, StrOf(bio), StrOf(""), 0, nullptr), 0);
  EXPECT_EQ(Field(kClientes, 1), "D");
  EXPECT_EQ(LastCondition(), bio);
  EXPECT_EQ(DataFileSearchNext(kClientes, true, StrOf(bio), StrOf(""), 0, nullptr), 2);
  // A bound that is passed before the match ends the search with 2.
  EXPECT_EQ(DataFileSearchFirst(kClientes, 1, StrOf("A"), StrOf(zgz), StrOf("B"), nullptr), 2);
  // A value past the last key: 2, and the condition is not remembered.
  DynStrSet(sl::kWork, sl::kFileRelKey, StrOf("kept"));
  EXPECT_EQ(DataFileSearchFirst(kClientes, 1, StrOf("Z"), StrOf(zgz), StrOf(""), nullptr), 2);
  EXPECT_EQ(LastCondition(), "kept");
  // An empty condition is true: the located record itself.
  EXPECT_EQ(DataFileSearchFirst(kClientes, 1, StrOf("B"), StrOf(""), StrOf(""), nullptr), 0);
  EXPECT_EQ(Field(kClientes, 1), "B");
}

TEST_F(RecordSearchTest, LoopTestsFirstOrMovesFirstAndRunsBackward) {
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("D"), 0), 0);
  // Flag 0x80: D itself is not tested.
  EXPECT_EQ(DataFileSearch(kClientes, 0x94, StrOf(City("<>", "Zaragoza")), StrOf(""), nullptr), 0);
  EXPECT_EQ(Field(kClientes, 1), "B");
  // Backward with a lower bound "B": A is beyond it.
  EXPECT_EQ(DataFileSearch(kClientes, 0x94, StrOf(City("==", "Bilbao")), StrOf("B"), nullptr), 2);
  // A move with no direction tests the record once and ends.
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("C"), 0), 0);
  EXPECT_EQ(DataFileSearch(kClientes, 0, StrOf(City("==", "Bilbao")), StrOf(""), nullptr), 2);
}

TEST_F(RecordSearchTest, CallbackAndConditionFailuresEndTheSearch) {
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("A"), 0), 0);
  EXPECT_EQ(DataFileSearch(kClientes, 0x10, StrOf("0"), StrOf(""), Recorder(kStCancelled)), kStCancelled);
  EXPECT_EQ(seen_, std::vector<std::string>{"B"});
  EXPECT_GE(DataFileSearch(kClientes, 0x10, StrOf("(("), StrOf(""), nullptr), kStFirstError);
}

TEST_F(RecordSearchTest, FileWithoutIndexIsReadForward) {
  ASSERT_EQ(DataFileLocate(kClientes, 1, StrOf("B"), 0), 0);
  ASSERT_EQ(DataFileDelete(kClientes, 0), kOk);  // record 1 becomes ESC
  ASSERT_EQ(DataFileClose(kClientes), kOk);
  ASSERT_EQ(DataFileOpen(kClientes, 0x11), 0);
  const std::string bio = City("==", "Bilbao");
  EXPECT_EQ(DataFileSearchFirst(kClientes, 1, StrOf("C"), StrOf(bio), StrOf(""), Recorder()), 0);
  EXPECT_EQ(Field(kClientes, 1), "A");  // from the start, whatever the value
  EXPECT_EQ(DataFileCtrl(kClientes).recno, 0);
  EXPECT_EQ(LastCondition(), bio);
  EXPECT_EQ(DataFileSearchNext(kClientes, true, StrOf(bio), StrOf(""), 0, Recorder()), 0);
  EXPECT_EQ(Field(kClientes, 1), "D");
  // Passed over: the deleted record 1 (empty text) and C.
  EXPECT_EQ(seen_, (std::vector<std::string>{"", "C"}));
  EXPECT_EQ(DataFileSearchNext(kClientes, false, StrOf(bio), StrOf(""), 3, nullptr), 2);
  EXPECT_EQ(Field(kClientes, 1), "");
  // A callback's answer ends the forward reading.
  seen_.clear();
  EXPECT_EQ(DataFileSearchNext(kClientes, false, StrOf("0"), StrOf(""), -1, Recorder(kStCancelled)),
            kStCancelled);
  EXPECT_EQ(seen_, std::vector<std::string>{"A"});
}

TEST(DataFileKeyAfterPrefix, RaisesTheLastByteWithCarry) {
  struct Case {
    std::string value;
    uint16_t mode;
    std::optional<std::string> after;
  } cases[] = {
      {"AB", 2, "AC"},
      {"A\xFF", 2, "B"},
      {"A\xFF\xFF", 2, "B"},
      {"\xFF\xFF", 2, std::nullopt},
      {"", 2, std::nullopt},
      {"AB", 3, "AB"},
      {"A\xFF", 0, "A\xFF"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DataFileKeyAfterPrefix(StrOf(c.value), c.mode), c.after) << c.value << " " << c.mode;
}

TEST_F(RecordSearchTest, KeyFieldTextShowsDatesInTheShortForm) {
  Open(kMovs);
  ASSERT_EQ(AddMov("A", "1", "10", "20240305"), kOk);
  DataFileSetKeyNumber(kMovs, 2);  // DATE + CODE + N_LINE
  ASSERT_EQ(DataFileMove(kMovs, 0x24), 0);
  std::string shown;
  {
    ScratchScope scope;
    shown = S(FmtDate(StrOf("20240305"), 2));
  }
  EXPECT_EQ(shown.size(), 10u);
  EXPECT_EQ(DataFileKeyFieldText(kMovs), shown);
  DataFileSetKeyNumber(kMovs, 1);
  EXPECT_EQ(Trim(DataFileKeyFieldText(kMovs)), "A");
}

}  // namespace
}  // namespace eng::test
