#include "data/trans_saved.h"

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "data/maint_services.h"
#include "data/trans_services.h"
#include "tests/data/trans_fixture.h"

namespace eng::test {
namespace {

using V = std::vector<std::string>;

class TransSavedTest : public TransTest {
 protected:
  void TearDown() override {
    TransSetServices({});
    MaintSetServices({});
    TransTest::TearDown();
  }
  static void Queue(uint16_t n, const std::string& text) { ASSERT_EQ(TransPpnQueue(1, text, n), kOk); }
};

TEST_F(TransSavedTest, LinePrefixesByFormat) {
  struct Case {
    uint16_t format;
    const char* want;
  };
  const Case cases[] = {{0, ""}, {1, " 7 "}, {2, "\" 7"}, {3, "   7 "}, {9, "7"}};
  for (const Case& c : cases) EXPECT_EQ(TransPpnLinePrefix(7, c.format), c.want) << c.format;
}

TEST_F(TransSavedTest, RewritingASectionKeepsTheOrder) {
  const std::string base = " 0 FD$='a,b,d'\r\n 1 X=1\r\n 2 Y=2\r\n 2 Y2=3\r\n 4 Z=4\r\n";
  struct Case {
    const char* what;
    uint16_t section;
    std::string want;
  };
  const Case cases[] = {
      {"a new section before a higher one", 3, " 0 FD$='a,b,d'\r\n 1 X=1\r\n 2 Y=2\r\n 2 Y2=3\r\n 3 N=1\r\n 3 M\r\n 4 Z=4\r\n"},
      {"a replaced section keeps its place", 2, " 0 FD$='a,b,d'\r\n 1 X=1\r\n 2 N=1\r\n 2 M\r\n 4 Z=4\r\n"},
      {"a section after every other", 7, base + " 7 N=1\r\n 7 M\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("t.ppn", base);
    Queue(c.section, "N=1:M");
    ASSERT_EQ(TransPpnRewrite("t.ppn", 1, c.section), kOk);
    EXPECT_EQ(Get("t.ppn"), c.want);
    EXPECT_EQ(DynStrCount(sl::kLineQueue), 0);
  }
  // A missing file gives a file holding only the section.
  Queue(1, "'Q'");
  ASSERT_EQ(TransPpnRewrite("new.ppn", 1, 1), kOk);
  EXPECT_EQ(Get("new.ppn"), " 1 Q\r\n");
}

TEST_F(TransSavedTest, SavedDefinitionsAreListedAndSplitAtColons) {
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  TransParmSet(kTpCond, "FN$TRIM(CITY{})<>'a:b'");
  ASSERT_EQ(TransSaveDefinition("t.ppn", "first", 52), kOk);
  TransParmsClear();
  TransParmSet(kTpStruct, "CODE{}");
  ASSERT_EQ(TransSaveDefinition("t.ppn", "it's", 4), kOk);
  EXPECT_EQ(Get("t.ppn"),
            " 0 FD$=\"first,it's\"\r\n"
            " 1 TRANSPARMSMODE%=52\r\n"
            " 1 FILE='1'\r\n"
            " 1 COND$=\"FN$TRIM(CITY{})<>'a\r\n"
            " 1 b'\"\r\n"
            " 2 TRANSPARMSMODE%=4\r\n"
            " 2 STRUCT$='CODE{}'\r\n");
  EXPECT_EQ(TransSavedNames("t.ppn"), (V{"first", "it's"}));
  // Refusals write nothing.
  const std::string before = Get("t.ppn");
  struct Case {
    const char* name;
    const char* value;
    Status status;
  };
  const Case cases[] = {
      {"first", "", kStFileExists}, {"a,b", "", kStDataError}, {"both", "it's \"x\"", kStDataError}};
  for (const Case& c : cases) {
    TransParmsClear();
    TransParmSet(kTpCond, c.value);
    EXPECT_EQ(TransSaveDefinition("t.ppn", c.name, 4), c.status) << c.name;
    EXPECT_EQ(Get("t.ppn"), before) << c.name;
  }
}

TEST_F(TransSavedTest, TheHundredthDefinitionIsRefused) {
  std::string text = " 0 FD$='";
  for (int i = 1; i <= 99; ++i) text += (i > 1 ? "," : "") + std::string("n") + std::to_string(i);
  text += "'\r\n";
  Put("t.ppn", text);
  TransParmsClear();
  EXPECT_EQ(TransSaveDefinition("t.ppn", "n100", 4), kStDataOutBound);
  EXPECT_EQ(Get("t.ppn"), text);
}

TEST_F(TransSavedTest, ASavedTransactionRunsAgainWithTheSameResult) {
  AddCustomers();
  // A definition whose condition holds ":" runs directly...
  const std::vector<std::pair<uint16_t, std::string>> parms = {
      {kTpCond, "FN$TRIM(CITY{})<>'a:b'&&FN$TRIM(CODE{})<>'BETO'"}, {kTpStruct, "CODE{},NAME{}"}};
  ASSERT_EQ(Run(fx::kClientes, "direct.csv", 52, parms), kOk);
  ASSERT_EQ(Get("direct.csv"), "\"ANA\",\"Ana Pe\xF1" "a\"\r\n\"CARLA\",\"Carla Gomez\"\r\n");
  // ... and is saved, then run again from the file by choosing it.
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  for (const auto& [n, v] : parms) TransParmSet(n, v);
  ASSERT_EQ(TransSaveDefinition("t.ppn", "customers", 52), kOk);
  TransParmsClear();
  static int chooser_calls;
  static V modes;
  chooser_calls = 0;
  modes.clear();
  TransServices ts;
  ts.choose = [](StrPair, StrPair items, uint16_t mode, uint16_t* chosen) -> Status {
    modes.push_back(std::to_string(mode) + ":" + items.str());
    *chosen = 1;
    return ++chooser_calls == 1 ? kOk : kStCancelled;
  };
  ts.choose_external = [](bool, std::string* chosen) -> Status {
    *chosen = "saved.csv";
    return kOk;
  };
  TransSetServices(ts);
  EXPECT_EQ(TransRunSaved("t.ppn"), kOk);
  EXPECT_EQ(modes, (V{"3:customers", "2:customers"}));
  EXPECT_EQ(Get("saved.csv"), Get("direct.csv"));
  EXPECT_EQ(DynStrCount(sl::kModuleParms), 0);
}

}  // namespace
}  // namespace eng::test
