#include "core/def_lines.h"

#include <filesystem>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/string_lists.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using DefLinesTest = TempFolderTest;

StrPair N(const char* s) { return StrFromC(s); }

std::vector<std::string> ListOf(uint16_t list) {
  std::vector<std::string> out;
  for (uint16_t i = 0; i < DynStrCount(list); ++i) out.push_back(DynStrGet(list, i).str());
  return out;
}

std::vector<std::string> Queue() { return ListOf(sl::kLineQueue); }

void Queue(std::initializer_list<const char*> lines) {
  for (const char* l : lines) ASSERT_EQ(DynStrPush(sl::kLineQueue, N(l)), kOk);
}

TEST_F(DefLinesTest, KeyAndValueOfEachLineFormat) {
  struct Case {
    uint16_t format;
    std::string line;
    int32_t key;
    std::string value;
  };
  const Case cases[] = {
      {0, "12 whole line", 0, "12 whole line"},
      {1, "05 value", 5, "value"},
      {1, "5  value", 50, "value"},    // a blank in the key field reads as "0"
      {1, " 5 value", 5, "value"},
      {1, "   x", 0, "x"},
      {1, "7", 7, ""},                 // shorter than the key field: the key is what there is
      {1, "AB value", 0, "value"},
      {2, "'07value'", 7, "value"},    // a quote, the key, the value and a closing quote
      {2, "\"12\"", 12, ""},
      {2, "'1", 1, ""},
      {3, "0042 text", 42, "text"},
      {3, "  42 text", 42, "text"},
      {4, "09abc", 9, "abc"},          // no separator after the key
      {5, "12 whole line", 0, "12 whole line"},
      {6, "00123 line", 123, "00123 line"},
      {6, "99999", 99999, "99999"},    // five digits pass the 16-bit range
      {7, "12 whole line", 0, "12 whole line"},    // above 6: format 0
      {200, "05 x", 0, "05 x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.format) + " [" + c.line + "]");
    EXPECT_EQ(DefLineKey(c.format, StrOf(c.line)), c.key);
    EXPECT_EQ(DefLineValue(c.format, StrOf(c.line)).str(), c.value);
  }
}

TEST_F(DefLinesTest, FileNameWithTheKindsExtension) {
  EXPECT_EQ(S(DefFileName(N("P2MENU"), kDefKindPpn)), "P2MENU.PPN");
  EXPECT_EQ(S(DefFileName(N("PLDICC"), kDefKindStruct)), "PLDICC.DAT");
  EXPECT_EQ(S(DefFileName(N("help"), kDefKindHlp)), "help.HLP");
  EXPECT_EQ(S(DefFileName(N("X"), kDefKindCfg)), "X.CFG");
  // No "." when either part is empty.
  EXPECT_EQ(S(DefFileName(N("X"), 0)), "X");
  EXPECT_EQ(S(DefFileName(N("X"), 15)), "X");
  EXPECT_EQ(S(DefFileName(N(""), kDefKindPrx)), "PRX");
}

TEST_F(DefLinesTest, ReadsTheLinesOfOneKeyInFileOrder) {
  Put("defs.ppn", "05 first\r\n5  second\r\n 5 third\n06 other\r");
  EXPECT_EQ(DefLinesRead(N("defs.ppn"), 1, 5), 2);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"first", "third"}));
  ASSERT_EQ(DynStrClear(sl::kLineQueue), kOk);
  EXPECT_EQ(DefLinesRead(N("defs.ppn"), 1, 50), 1);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"second"}));
}

TEST_F(DefLinesTest, FormatZeroQueuesEveryLineBehindTheQueuedOnes) {
  Put("tpl.pdc", "line one\r\n\r\n  indented\r\nlast");
  Queue({"earlier"});
  EXPECT_EQ(DefLinesRead(N("tpl.pdc"), 0, 0), 4);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"earlier", "line one", "", "  indented", "last"}));
}

TEST_F(DefLinesTest, ReadsOntoAStackList) {
  Put("d.ppn", "01 A:=1\n02 B:=2\n01 C:=3\n");
  ASSERT_EQ(DynStrPush(20, N("kept")), kOk);
  EXPECT_EQ(DefLinesReadTo(N("d.ppn"), 1, 1, 20), 2);
  EXPECT_EQ(ListOf(20), (std::vector<std::string>{"kept", "A:=1", "C:=3"}));
  EXPECT_EQ(DefLinesReadTo(N("d.ppn"), 1, 1, kDynLists), kDefNone);
}

TEST_F(DefLinesTest, NoDefinitionIsAQuietFailure) {
  Put("d.ppn", "01 A\n");
  Queue({"x"});
  EXPECT_EQ(DefLinesRead(N("missing.ppn"), 1, 1), kDefNone);
  EXPECT_EQ(DefLinesRead(N("d.ppn"), 1, 2), kDefNone);
  EXPECT_EQ(DefLinesRead(N(""), 0, 0), kDefNone);
  Put("empty.ppn", "");
  EXPECT_EQ(DefLinesRead(N("empty.ppn"), 0, 0), kDefNone);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"x"}));
  // A missing definition is the callers' business: nothing is recorded.
  EXPECT_EQ(ErrGetLast(), 0u);
}

TEST_F(DefLinesTest, BareNamesAreFoundAlongTheApplicationFolders) {
  namespace fs = std::filesystem;
  fs::create_directories("first");
  fs::create_directories("app/defs");
  Put("app/defs/menus.ppn", "01 from app\n");
  Put("first/other.ppn", "01 from first\n");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kAppFolder, N("first, app\\defs\\ ,")), kOk);

  // Case-insensitive on disk, the folders tried in list order.
  EXPECT_EQ(DefLinesRead(N("MENUS.PPN"), 1, 1), 1);
  EXPECT_EQ(DefLinesRead(N("other.ppn"), 1, 1), 1);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"from app", "from first"}));

  // The current folder comes first.
  Put("menus.ppn", "01 from here\n");
  ASSERT_EQ(DynStrClear(sl::kLineQueue), kOk);
  EXPECT_EQ(DefLinesRead(N("menus.ppn"), 1, 1), 1);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"from here"}));

  // A name with a folder part is not searched.
  EXPECT_EQ(DefLinesRead(N("defs/menus.ppn"), 1, 1), kDefNone);
  EXPECT_EQ(DefLinesRead(N("C:other.ppn"), 1, 1), kDefNone);
}

TEST_F(DefLinesTest, AFailedPushLeavesTheListAsItWas) {
  Put("d.ppn", "01 one\n01 two\n01 three\n01 four\n");
  Queue({"q1", "q2"});
  // Fill the store so that exactly two more elements fit.
  uint32_t used = 0;
  for (uint16_t l = 0; l < kDynLists; ++l) used += DynStrCount(l);
  for (uint32_t i = used; i < kDynElementRoom - 3; ++i) ASSERT_EQ(DynStrPush(20, N("f")), kOk);
  EXPECT_EQ(DefLinesRead(N("d.ppn"), 1, 1), kDefNone);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"q1", "q2"}));
  // The room is back: two lines fit again.
  Put("two.ppn", "01 a\n01 b\n");
  EXPECT_EQ(DefLinesRead(N("two.ppn"), 1, 1), 2);
}

TEST_F(DefLinesTest, AnOverLongLineFailsTheReadAndIsRecorded) {
  Put("long.ppn", "01 before\n01 " + std::string(70000, 'x') + "\n01 after\n");
  Queue({"q"});
  EXPECT_EQ(DefLinesRead(N("long.ppn"), 1, 1), kDefNone);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"q"}));
  EXPECT_EQ(ErrLastCode(), kStStringTooLong);
  EXPECT_EQ(ErrLastModule(), kModStreams);
}

TEST_F(DefLinesTest, JoinTakesLinesFromTheHead) {
  Queue({"a", "b", "c"});
  EXPECT_EQ(S(DefLinesJoin(2, N(":"))), "a:b");
  EXPECT_EQ(Queue(), (std::vector<std::string>{"c"}));
  EXPECT_EQ(S(DefLinesJoin(5, N("\r\n"))), "c");  // stops early at an empty queue
  EXPECT_EQ(S(DefLinesJoin(3, N(","))), "");
  Queue({"x", "y"});
  EXPECT_EQ(S(DefLinesJoin(0, N(","))), "");
  EXPECT_EQ(Queue().size(), 2u);
}

TEST_F(DefLinesTest, JoinTooLongFailsButTakesItsLines) {
  ASSERT_EQ(DynStrPush(sl::kLineQueue, StrOf(std::string(40000, 'a'))), kOk);
  ASSERT_EQ(DynStrPush(sl::kLineQueue, StrOf(std::string(20000, 'b'))), kOk);
  Queue({"rest"});
  EXPECT_EQ(StrError(DefLinesJoin(2, StrOf(std::string(6000, '-')))), kStStringTooLong);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"rest"}));
}

TEST_F(DefLinesTest, ReadKeepPutsTheFileBeforeTheSetAsideLines) {
  Put("inc.pdc", "inc 1\r\ninc 2\r\n");
  Queue({"rest 1", "rest 2"});
  EXPECT_EQ(DefLinesReadKeep(N("inc.pdc"), 2), 2);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"inc 1", "inc 2", "rest 1", "rest 2"}));

  // A file that cannot be read leaves the set-aside lines queued, in order.
  ASSERT_EQ(DynStrClear(sl::kLineQueue), kOk);
  Queue({"rest 1", "rest 2"});
  EXPECT_EQ(DefLinesReadKeep(N("missing.pdc"), 2), kDefNone);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"rest 1", "rest 2"}));

  // Nothing set aside: the file's lines go behind the queue.
  EXPECT_EQ(DefLinesReadKeep(N("inc.pdc"), 0), 2);
  EXPECT_EQ(Queue(), (std::vector<std::string>{"rest 1", "rest 2", "inc 1", "inc 2"}));
}

TEST_F(DefLinesTest, TitlesOfDefinitionFiles) {
  namespace fs = std::filesystem;
  fs::create_directories("app");
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kAppFolder, N("app")), kOk);
  Put("app/sales.prx", ";Ventas del mes\r\nREM\r\n");
  Put("plain.prx", "REM no title\r\n");
  Put("quote.prx", ";Client's list\n");
  Put("both.prx", ";Client's \"list\"\n");
  Put("empty.prx", "");
  EXPECT_EQ(S(DefFilesTitles(N("sales.prx,plain.prx,missing.prx,quote.prx,both.prx,empty.prx"))),
            "'Ventas del mes','plain.prx','missing.prx',\"Client's list\",'both.prx','empty.prx'");
  EXPECT_EQ(S(DefFilesTitles(N(""))), "");
}

}  // namespace
}  // namespace eng::test
