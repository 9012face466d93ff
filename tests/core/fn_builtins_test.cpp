#include "core/fn_builtins.h"

#include <gtest/gtest.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "core/clock.h"
#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/fn_call.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

// Numbers are rendered with _PRECIS (2) decimals and trailing zeros dropped:
// zero reads as the empty text.
struct Case {
  const char* expr;
  Status status;
  const char* text;
};

class FnBuiltinTest : public ExpTest {
 protected:
  void SetUp() override {
    ExpTest::SetUp();
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
    ClockSetFixedLocal(LocalTime{2024, 3, 5, 9, 7, 30, 0});
    DynStrSet(sl::kSettings, sl::kLanguage, StrOf("ES"));
  }
  void TearDown() override {
    ClockReset();
    ExpTest::TearDown();
  }
  static void Run(const std::string& statement) { ASSERT_LT(Eval(statement).status, kStFirstWarning) << statement; }
  static void Check(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
      EvalResult r = Eval(c.expr);
      EXPECT_EQ(r.status, c.status) << c.expr;
      if (r.status == c.status && c.status < kStFirstWarning) {
        EXPECT_EQ(r.text, c.text) << c.expr;
      }
      EXPECT_EQ(DynStrCount(sl::kProcArgs), 0) << c.expr;
    }
  }
};

TEST_F(FnBuiltinTest, TextLengthsAndRepeats) {
  Check({
      {"FN#SLEN('abc')", 0, "3"},
      {"FN#SLEN('')", 0, ""},
      {"FN#SLEN(12)", kStIncompatibleTypes, ""},
      {"FN#SLEN()", kStSyntax, ""},
      {"FN#SLEN('a';'b')", kStSyntax, ""},
      {"FN$CHRS(65)", 1, "A"},
      {"FN$CHRS(65;1)", 1, "A"},  // an omitted trailing argument takes its default
      {"FN$CHRS(45;3)", 1, "---"},
      {"FN$CHRS('ab';3)", 1, "ababab"},
      {"FN$CHRS('x';0)", 1, ""},
      {"FN$CHRS('x';-2)", 1, ""},
      {"FN$CHRS(;2)", 1, ""},
      {"FN$CHRS('a';'b')", kStIncompatibleTypes, ""},
      {"FN$CHRS()", kStSyntax, ""},
      {"FN#SLEN(FN$CHRS('abc';30000))", kStStringTooLong, ""},
  });
}

TEST_F(FnBuiltinTest, Substrings) {
  Check({
      {"FN$MIDS('abcdef';-2)", 1, "ef"},
      {"FN$MIDS('abcdef';2;3)", 1, "bcd"},
      {"FN$MIDS('abcdef';2)", 1, "bcdef"},
      {"FN$MIDS('abcdef';-1)", 1, "f"},
      {"FN$MIDS('abcdef';-3;2)", 1, "de"},
      {"FN$MIDS('abcdef';-10;2)", 1, "ab"},  // clipped to the text
      {"FN$MIDS('abcdef';0;2)", 1, "ab"},
      {"FN$MIDS('abc';5)", 1, ""},
      {"FN$MIDS('abc';3;100)", 1, "c"},
      {"FN$MIDS('abc';1;0)", 1, ""},
      {"FN$MIDS('';1)", 1, ""},
      {"FN$MIDS('x')", kStSyntax, ""},
      {"FN$MIDS('abc';1;2;3)", kStSyntax, ""},
      {"FN$MIDS(5;1)", kStIncompatibleTypes, ""},
      {"FN$MIDS('abc';'1')", kStIncompatibleTypes, ""},
  });
}

TEST_F(FnBuiltinTest, TrimEncloseAndMask) {
  Check({
      {"FN$TRIM(' a ';'LEFTTRIM')", 1, "a "},
      {"FN$TRIM(' a ';'RIGHTRIM')", 1, " a"},
      {"FN$TRIM(' \ta ')", 1, "a"},
      {"FN$TRIM(' a ';'bothtrim')", 1, "a"},
      {"FN$TRIM(\"  'x y' \";'FIT')", 1, "x y"},
      {"FN$TRIM('ab';'FIT')", 1, "AB"},
      {"FN$TRIM('  ab ';'FIT')", 1, "ab"},
      {"FN$TRIM(' a ';'NOPE')", kStSyntax, ""},
      {"FN$TRIM(12.5)", 1, "12.5"},  // a number is written first, zeros dropped
      {"FN$TRIM()", 1, ""},           // the count is not checked
      {"ENVELOP$('a')", 1, "'a'"},
      {"ENVELOP$('a';40)", 1, "(a)"},
      {"ENVELOP$('a';91)", 1, "[a]"},
      {"ENVELOP$(5)", kStIncompatibleTypes, ""},
      {"ENVELOP$()", kStSyntax, ""},
      {"FN$MASK('#,###.##';1234.5;1)", 1, "1,234.50"},
      {"FN$MASK('\\\\-\\\\';'1234')", 1, "12-34"},
      {"FN$MASK('\\\\-\\\\';1234)", 1, "12-34"},
      {"FN$MASK('##')", kStSyntax, ""},
      {"FN$MASK(1;'2')", kStIncompatibleTypes, ""},
  });
}

TEST_F(FnBuiltinTest, Changes) {
  Check({
      {"FN$CHNG('a  b   c';'CLEAN')", 1, "a b c"},
      {"FN$CHNG('abc';'b';'xx')", 1, "axxc"},
      {"FN$CHNG('abcb';'b')", 1, "ac"},
      {"FN$CHNG('aXa';'UCASE')", 1, "AXA"},
      {"FN$CHNG('aXa';'LCASE')", 1, "axa"},
      {"FN$CHNG('a1b2';'FILTER';'0123456789')", 1, "12"},
      {"FN$CHNG('<=a>=b<>';'FILTER';'<=>=<>';'LGN')", 1, "LaGbN"},
      {"FN$CHNG('abc';'FILTER';'ab';'')", kStSyntax, ""},
      {"FN$CHNG(\"x'b'b\";'b';'c')", 1, "x'b'c"},    // quoted parts are skipped
      {"FN$CHNG(\"x'b'b\";'b';'c';1)", 1, "x'c'c"},  // a non-zero flag searches plainly
      {"FN$CHNG(\"x'b'b\";'b';'c';0)", 1, "x'b'c"},
      {"FN$CHNG('abc';'';'x')", 1, "abc"},
      {"FN$CHNG('abc')", kStSyntax, ""},
      {"FN$CHNG('abc';2)", kStIncompatibleTypes, ""},
  });
}

TEST_F(FnBuiltinTest, NumbersAndDateArithmetic) {
  Check({
      {"FN#VALN('12.5')", 0, "12.5"},
      {"FN#VALN('-3')", 0, "-3"},
      {"FN#VALN('abc')", 0, ""},
      {"FN#VALN('20240131';'M';1)", 0, "20240229"},
      {"FN#VALN('20240305';'D';30)", 0, "20240404"},
      {"FN#VALN('20240305';'d';-5)", 0, "20240229"},
      {"FN#VALN('20240305';'Y';-1)", 0, "20230305"},
      {"FN#VALN('20240305';'D';'20240301')", 0, "4"},  // a date: the difference
      {"FN#VALN('20240305';'M';'20230105')", 0, "14"},
      {"FN#VALN('20240230';'V')", 0, "20240301"},
      {"FN#VALN('20240305';'V';'20240101')", 0, ""},
      {"FN#VALN('20240305';'Q')", kStSyntax, ""},
      {"FN#VALN(5)", kStIncompatibleTypes, ""},
      {"FN#VALN()", kStSyntax, ""},
  });
}

TEST_F(FnBuiltinTest, DatesAndTimes) {
  Check({
      {"FN$DATE('20240305';2)", 1, "05-03-2024"},
      {"FN$DATE(20240305;1)", 1, "05-03-24"},
      {"FN$DATE('5/3/24')", 1, "20240305"},  // parsed first (day first in Spanish)
      {"FN$DATE('1.12.2023';4)", 1, "01 de Diciembre de 2023"},
      {"FN$DATE()", 1, "20240305"},          // today
      {"FN$DATE('20240230';2)", 1, "          "},
      {"FN$DATE(-5;2)", 1, "          "},
      {"FN$DATE('x';'y')", kStIncompatibleTypes, ""},
      {"FN$DATE(1;2;3)", kStSyntax, ""},
      {"TIME$('12:30:15';3)", 1, "12:30:15"},
      {"TIME$()", 1, "0907"},               // now
      {"TIME$(;1)", 1, "09:07"},
      {"TIME$(5)", kStIncompatibleTypes, ""},
  });
}

TEST_F(FnBuiltinTest, DatesAndTimesOfFiles) {
  std::string name = ::testing::TempDir() + "fn_builtins_stamp.txt";
  FILE* f = std::fopen(name.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  std::tm tm{};
  tm.tm_year = 2021 - 1900;
  tm.tm_mon = 5;
  tm.tm_mday = 15;
  tm.tm_hour = 12;
  tm.tm_min = 34;
  tm.tm_isdst = -1;
  utimbuf times{std::mktime(&tm), std::mktime(&tm)};
  ASSERT_EQ(utime(name.c_str(), &times), 0);
  EXPECT_EQ(Eval("FN$DATE('" + name + "';130)").text, "15-06-2021");
  EXPECT_EQ(Eval("TIME$('" + name + "';129)").text, "12:34");
  std::remove(name.c_str());
}

TEST_F(FnBuiltinTest, ListItems) {
  Check({
      {"FN$PARM('a,b,c';2)", 1, "b"},
      {"FN$PARM('a,b,c')", 1, ""},  // item -1
      {"FN$PARM('a,b,c';0)", 1, ""},
      {"FN$PARM('a,b,c';9)", 1, ""},
      {"FN$PARM('a;b';2;59)", 1, "b"},
      {"FN$PARM()", 1, ""},
      {"FN$PARM(5;1)", kStIncompatibleTypes, ""},
      {"FN#PARM('a,b,c')", 0, "3"},
      {"FN#PARM('')", 0, ""},
      {"FN#PARM('a,b,c';'b')", 0, "2"},
      {"FN#PARM('a,b,c';'z')", 0, ""},
      {"FN#PARM('1,2,3';2)", 0, "2"},  // a number compared as its text
      {"FN#PARM('1-9,10-99';42;0)", 0, "2"},
      {"FN#PARM('1-9,10-99';100;0)", 0, ""},
      {"FN#PARM('a,b,c';'b';'10,20.5,30')", 0, "20.5"},
      {"FN#PARM('a,b,c';'z';'10,20,30')", 0, ""},
      {"FN#PARM()", kStSyntax, ""},
      {"FN#PARM(1)", kStIncompatibleTypes, ""},
  });
}

TEST_F(FnBuiltinTest, SortedSets) {
  Check({{"SORT$('c,a,b')", 1, "a,b,c"}, {"SORT$('c,a,b';2)", 1, "c,b,a"}, {"SORT$()", kStSyntax, ""}});
  Run("H$=SORT$('NEW';3;3)");
  for (const char* v : {"c", "a", "b"}) Run(std::string("H$=SORT$('ADD';H$;'") + v + "')");
  Run("H$=SORT$('MOVE';H$;'TOP')");
  EXPECT_EQ(SysVarGet(kVarIer), 0);
  EXPECT_EQ(Eval("SORT$('GET';H$)").text, "a  ");
  Run("H$=SORT$('MOVE';H$;'NXT')");
  EXPECT_EQ(Eval("SORT$('GET';H$)").text, "b  ");
  Run("H$=SORT$('MOVE';H$;'BOT')");
  EXPECT_EQ(Eval("SORT$('GET';H$)").text, "c  ");
  Run("H$=SORT$('MOVE';H$;'next')");
  EXPECT_EQ(SysVarGet(kVarIer), 2);
  Check({
      {"SORT$('ADD';H$;'toolong')", kStDataError, ""},
      {"SORT$('MOVE';H$;'XYZ')", kStSyntax, ""},
      {"SORT$('ADD';H$)", kStSyntax, ""},
      {"SORT$('GET';H$;1)", kStSyntax, ""},
      {"SORT$('NEW')", kStSyntax, ""},
      {"SORT$('KILL';H$)", 1, ""},
      {"SORT$('GET';H$)", kStDataError, ""},  // a freed set
      {"SORT$('KILL';H$)", kStDataError, ""},
      {"SORT$('GET';'junk')", kStDataError, ""},
  });
  Run("U$=SORT$('NEW';2;2;1)");  // unique
  Run("U$=SORT$('ADD';U$;'x')");
  EvalResult dup = Eval("SORT$('ADD';U$;'x')");
  EXPECT_EQ(dup.status, kStDuplicate);  // informational: the set record still comes back
}

TEST_F(FnBuiltinTest, StringListStore) {
  Check({
      {"_$(31;-1)", 1, ""},  // empty: the 127 is not returned
      {"_$(31;0;'x')", 1, "x"},
      {"_$(31;0;'y')", 1, "y"},
      {"_$(31)", 1, "y"},
      {"_$(31;-1)", 1, "y"},
      {"_$(31)", 1, "x"},
      {"_$(31;-5)", 1, "x"},  // pops what there is
      {"_$(31)", 1, ""},
      {"_$(20;3;'v')", 1, "v"},
      {"_$(20;3)", 1, "v"},
      {"_$(20;-1)", kStSyntax, ""},
      {"_$(39)", kStStrOutBound, ""},
      {"_$()", 1, ""},
      {"_$(31;0;5)", kStIncompatibleTypes, ""},
      {"_$(1;2;3;4)", kStSyntax, ""},
  });
  EXPECT_EQ(DynStrCount(31), 0);
}

TEST_F(FnBuiltinTest, AccumulatorArray) {
  Run("_#(5)=1");
  Run("_#(10)=1");
  Run("_#(2)=3");
  Check({{"_#(5)", 0, "1"}, {"_#(1;1)", 0, "3"}, {"_#('DIM';2)", 0, "3"}, {"_#(9999)", 0, ""}});
  Check({{"_#('CLS';10;5)", 0, ""}, {"_#(5)", 0, ""}, {"_#(10)", 0, "1"}, {"_#(2)", 0, "3"}});
  Run("_#(1)=7");
  Run("_ACUMX$='A,X'");
  ASSERT_EQ(Var("_ACUMX$"), "A,X");
  Check({{"_#('X')", 0, "7"}, {"_#('A';2)", 0, "3"}, {"_#('Q')", 0, ""}});
  Check({{"_#('CLS')", 0, ""}, {"_#(10)", 0, ""}, {"_#(1)", 0, ""}});
  Check({{"_#()", kStSyntax, ""}, {"_#(1;'a')", kStIncompatibleTypes, ""}});
}

TEST_F(FnBuiltinTest, AccumulatedSums) {
  Check({
      {"FN#ACUM(I;I;1;4)", 0, "10"},
      {"FN#ACUM((I*2);(I);(1);(3))", 0, "12"},
      {"FN#ACUM('2.5';I;1;2)", 0, "5"},  // texts read as numbers
      {"FN#ACUM(I;I;5;4)", 0, ""},
      {"FN#ACUM(1)", kStSyntax, ""},
  });
  EXPECT_EQ(Eval("FN#ACUM(1;I$;1;4)").status, kStSyntax);
  EXPECT_EQ(S(ErrIncidentText()).substr(0, 4), "I$\r\n");
  // The condition forms: add while the condition holds; the third item (or
  // the second again) decides whether to go on.
  Run("N=0");
  EXPECT_EQ(Eval("FN#ACUM(N;(N=N+1)<=3)").text, "6");
  Run("N=0");
  EXPECT_EQ(Eval("FN#ACUM(10;N<2;(N=N+1)<2)").text, "20");
  EXPECT_EQ(Eval("FN#ACUM(10;0)").text, "");
  // An expression that sets its loop variable back does not make the loop endless.
  EXPECT_EQ(Eval("FN#ACUM(CHK#(1;I=1;0);I;1;3)").text, "3");
}

TEST_F(FnBuiltinTest, LazyConditionals) {
  Check({
      {"CHK#(0;X=5;2)", 0, "2"},
      {"CHK$(1;'yes';'no')", 1, "yes"},
      {"CHK$(0;'yes';'no')", 1, "no"},
      {"CHK$(1;5;'no')", 0, ""},  // 125: a number for CHK$, read as the empty text
      {"CHK$(0;'yes')", 1, ""},
      {"CHK#(0;1)", 0, ""},
      {"CHK#(1;'t';2)", kStAtypical, ""},
      {"CHK#('a';1;2)", kStIncompatibleTypes, ""},
      {"CHK#(1;1/0;2)", 0, ""},
      {"CHK#(1;'a'*2)", kStIncompatibleTypes, ""},
      {"CHK#(2>1;(3;4);5)", 0, "4"},
  });
  EXPECT_FALSE(VarLookup(StrOf("X")).declared());  // the other branch never ran
  EXPECT_EQ(Eval("CHK#(1;X=5;2)").text, "5");
  EXPECT_EQ(Var("X"), "5");
  EXPECT_EQ(Eval("CHK$(1;5;'no')+'!'").text, "!");
}

TEST_F(FnBuiltinTest, MacrosTemplatesAndEnvironment) {
  ASSERT_EQ(CmdLineStore(StrOf("\"/p/prog\" /TRACE:3 /NAME:'Mixed Case' /LOW:abc")), kOk);
  DynStrSet(sl::kSettings, sl::kTitle, StrOf("The title"));
  Run("B$='[1+1]'");
  Check({
      {"MACRO$('x[2+3]y')", 1, "x5y"},
      {"MACRO$('<[B$]>')", 1, "<[1+1]>"},
      {"MACRO$('<[B$]>';128)", 1, "<2>"},
      {"MACRO$('<[B]>';4;'B=two')", 1, "<TWO>"},
      {"MACRO$('<[TRACE]>';4)", 1, "<3>"},
      {"MACRO$('[1+1]*3';8)", 0, "6"},
      {"MACRO$(' B$ ';8)", 1, "[1+1]"},
      {"MACRO$('a[5 5]b')", kStSyntax, ""},
      {"MACRO$(5)", kStIncompatibleTypes, ""},
      {"MACRO$()", kStSyntax, ""},
      {"EXP$('[$1_]';ABC)", 1, "[ABC]"},
      {"EXP$('$1_+$2_=$1_';A(1;2); B )", 1, "A(1;2)+B=A(1;2)"},
      {"EXP$('$3_')", 1, "$3_"},
      {"EXP$(5;A)", kStIncompatibleTypes, ""},
      {"ENVRON$('x';3)", 1, "The title"},
      {"ENVRON$('TRACE')", 1, "3"},
      {"ENVRON$('NAME')", 1, "Mixed Case"},
      {"ENVRON$('LOW')", 1, "abc"},  // as given, not upper-cased
      {"ENVRON$('NOPE')", 1, ""},
      {"ENVRON$()", kStSyntax, ""},
      {"SQLCHILD(1;'a')", 0, ""},
  });
  EXPECT_EQ(SysVarGet(kVarSqlStk), 0);
}

// An application function registered by name gets its arguments, and its
// result comes back through the arena into the expression.
Status AppJoin(FnArgs& a) {
  FnIntArg n = FnArgInt(a, 2, 1);
  if (n.status) return n.status;
  StrPair t = FnArgStr(a, 1, StrPair{});
  if (!t.ok()) return StrError(t);
  std::string out;
  for (int i = 0; i < n.value; ++i) out += t.str() + "|";
  a.result_text = true;
  StrPair r = ScratchText(out);
  return r.ok() ? kOk : StrError(r);
}

TEST_F(FnBuiltinTest, ApplicationFunctionsMixWithBuiltins) {
  ASSERT_EQ(FnRegister(StrOf("APPJOIN$"), AppJoin), kOk);
  Check({
      {"APPJOIN$(FN$MIDS('abc';2);2)", 1, "bc|bc|"},
      {"FN#SLEN(APPJOIN$('xy';3))", 0, "9"},
      {"FN$MIDS(APPJOIN$('q');1;1)+APPJOIN$('r';CHK#(1;2;0))", 1, "qr|r|"},
      {"APPJOIN$(1)", kStIncompatibleTypes, ""},
  });
}

TEST_F(FnBuiltinTest, RecordAndFileFunctionsAreNotAvailableYet) {
  Check({{"FILEFIND('x')", kStNotAvailable, ""}, {"READ$('x')", kStNotAvailable, ""}, {"IER()", kStNotAvailable, ""}});
}

}  // namespace
}  // namespace eng::test
