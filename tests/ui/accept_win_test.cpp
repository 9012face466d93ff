// Accept forms: the definition's labels, key and collection, the windowed
// run (confirmed, cancelled, prefilled from the remembered form), the
// answers of an INPUT script and the OUTPUT journal that replays them.
#include "ui/accept_win.h"

#include <string>
#include <vector>

#include "core/app_run.h"
#include "core/app_verbs.h"
#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/script_io.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/ui/screen_fixture.h"
#include "ui/accept_def.h"
#include "ui/accept_field.h"
#include "ui/action_codes.h"
#include "ui/field_values.h"
#include "ui/screen_actions.h"
#include "ui/script_io.h"
#include "ui/screen_table.h"

namespace eng::test {
namespace {

std::string Work(uint16_t element) { return DynStrGet(sl::kWork, element).str(); }

class AcceptTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    AcceptInstall();
    SysVarSet(kVarLastKey, kKeyOther);
  }
  void TearDown() override {
    if (SysVarGet(kVarInHnd)) StrmClose(SysVarBits(kVarInHnd));
    SysVarSet(kVarInHnd, 0);
    ScreenTest::TearDown();
  }
  // Text of a variable, as the expression language reads it.
  static std::string Text(const std::string& expression) {
    ScratchScope scope;
    StrPair v = ExpEvalStr(StrOf(expression));
    return v.ok() ? v.str() : "<error>";
  }
  // Reads the file's lines as the INPUT script.
  void Script(const std::string& lines) {
    Put("in.txt", lines);
    const uint16_t stream = StrmOpen(StrOf("in.txt"), kStrmNoUpdate | kStrmQuiet);
    ASSERT_LT(stream, kStreams);
    SysVarSet(kVarInHnd, static_cast<int16_t>(stream));
  }
  struct Run {
    AcceptResult r;
    std::string values, filter;
  };
  Run Accept(const std::string& definition, const std::string& title = "Limites") {
    ScratchScope scope;
    Run out;
    out.r = AcceptWinRun(StrOf(title), StrOf(definition));
    out.values = out.r.values.str();
    out.filter = out.r.filter.str();
    return out;
  }
  void ExpectNoFormLeft() {
    EXPECT_EQ(WinStackCount(), 0);
    EXPECT_EQ(ScreenCounterGet(kWinCount), 0) << "the form's window record is closed";
  }
};

TEST_F(AcceptTest, DefinitionsReadIntoItemsLabelsAndKeys) {
  // The separator rule: without ":" every ";" is one; with ":" it is text.
  const AcceptDef semi = AcceptDefParse(StrOf("'A';'A10'"));
  const AcceptDef colon = AcceptDefParse(StrOf("'A':'A10'"));
  ASSERT_EQ(semi.items.size(), 1u);
  EXPECT_EQ(semi.items[0].parts, colon.items[0].parts);
  const AcceptDef kept = AcceptDefParse(StrOf("X:'Y';Z"));
  ASSERT_EQ(kept.items.size(), 1u);
  EXPECT_EQ(kept.items[0].parts, (std::vector<std::string>{"X", "'Y';Z"}));

  const AcceptDef placed = AcceptDefParse(StrOf("'Nombre:':'A10':NOM$/ROW=4/COL=12 /FD$:=\"NOM\""));
  ASSERT_EQ(placed.items.size(), 1u);
  EXPECT_EQ(placed.items[0].text, "'Nombre:':'A10':NOM$");
  EXPECT_EQ(placed.items[0].row, 4);
  EXPECT_EQ(placed.items[0].column, 12);
  EXPECT_EQ(placed.options, "FD$:=\"NOM\"");

  struct Case {
    const char* definition;
    std::vector<std::string> labels;
    const char* key;
  } cases[] = {
      {"CODE{1},CODE{1},CODE{1}", {"CODE(Desde):", "CODE(Hasta):", "CODE:"}, "CODE(Des"},
      {"CODE{1}<>", {"CODE(Distinto de):"}, "CODE(Dis"},
      {"'Kgs:':'26','Tot:':'26'", {"Kgs:", "Tot:"}, "KgTo"},
      {"'{3,10}Importe':'A5'", {"Importe"}, "Impo"},
      {"'a':'A1','b':'A1','c':'A1','d':'A1','e':'A1','f':'A1','g':'A1','h':'A1','i':'A1','j':'A1',"
       "'k':'A1','l':'A1','m':'A1','n':'A1','o':'A1','p':'A1','q':'A1','r':'A1','s':'A1','t':'A1'",
       {}, "abcdefgh"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.definition);
    const AcceptDef def = AcceptDefParse(StrOf(c.definition));
    for (size_t i = 0; i < c.labels.size(); ++i) EXPECT_EQ(AcceptItemLabel(def, i + 1).shown, c.labels[i]);
    EXPECT_EQ(AcceptFormKey(def), c.key);
  }
  const AcceptLabel at = AcceptItemLabel(AcceptDefParse(StrOf("'{3,10}Importe':'A5'")), 1);
  EXPECT_TRUE(at.placed);
  EXPECT_EQ(at.row, 3);
  EXPECT_EQ(at.column, 10);
}

TEST_F(AcceptTest, FormLaysOutFieldsLabelsAndOk) {
  ASSERT_EQ(AcceptWinCreate(StrOf("Datos"), StrOf("'{3,10}Importe':'A5','Nombre:':'A10','Sitio:':'A4'/ROW=6/COL=30"),
                            kAcceptFit, plat::kNoWindow, nullptr),
            kOk);
  const plat::Hwnd form = WinTop();
  ASSERT_TRUE(form);
  EXPECT_EQ(d.ws().GetText(form), "Datos");
  EXPECT_TRUE(d.ws().FindChild(form, 3100)) << "the Ok button";
  struct Place {
    int row, column;
  } want[] = {{3, 17}, {2, 7}, {6, 30}};
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(ScreenFieldGet(n).row, want[n - 1].row) << n;
    EXPECT_EQ(ScreenFieldGet(n).column, want[n - 1].column) << n;
    EXPECT_TRUE(d.ws().FindChild(form, 1999 + n)) << n;
  }
  EXPECT_EQ(SysVarGet(kVarLastKey), kKeyOther) << "closed without a key counts as cancelled";
  ScreenClose(-1);
  WinDestroy(form);
  ExpectNoFormLeft();
}

TEST_F(AcceptTest, CollectionQuotesValuesAndBuildsFiltersFromLiterals) {
  struct Case {
    const char* item;
    std::string raw;
    Status status;
    const char* values;
    const char* filter;
  } cases[] = {
      {"'N:':'A10':NAME{1}>=", "ANA       ", kOk, "'ANA'", "NAME{1}>='ANA       '"},
      {"'I:':'210':AMT{2}<=", "    100.00", kOk, "'    100.00'", "AMT{2}<=100.00"},
      {"'N:':'A10':NAME{1}>=", "          ", kOk, "''", ""},
      {"'N:':'A10':NAME{1}>=", "O'Neil    ", kOk, "\"O'Neil\"", "NAME{1}>=\"O'Neil    \""},
      {"'N:':'A10':NAME{1}>=", "say \"hi\"  ", kOk, "'say \"hi\"'", "NAME{1}>='say \"hi\"  '"},
      // Both quote characters: no values text can carry it back.
      {"'N:':'A10':NAME{1}>=", "a'b\"c", kStDataError, "", ""},
      // A number target takes only a number: no expression text gets in.
      {"'I:':'A10':IMP#>=", "1+SYS(1)", kStSyntax, "", ""},
      {":'A10'", "x", kStDataError, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    AcceptCollected got = AcceptCollectValues(AcceptDefParse(StrOf(c.item)), {c.raw});
    EXPECT_EQ(got.status, c.status);
    EXPECT_EQ(got.values, c.values);
    EXPECT_EQ(got.filter, c.filter);
  }
  // Two terms join with "&&"; a plain variable target and part 5 receive the raw value.
  AcceptCollected two = AcceptCollectValues(
      AcceptDefParse(StrOf("'D:':'A10':NAME{1}>=:'':X$,'H:':'A10':NAME{1}<=,'V:':'A4':NOM$")),
      {"ANA       ", "ZOE       ", "AB  "});
  ASSERT_EQ(two.status, kOk);
  EXPECT_EQ(two.values, "'ANA','ZOE','AB'");
  EXPECT_EQ(two.filter, "NAME{1}>='ANA       '&&NAME{1}<='ZOE       '");
  ASSERT_EQ(two.assignments.size(), 2u);
  EXPECT_EQ(two.assignments[0].name, "X$");
  EXPECT_EQ(two.assignments[0].value, "ANA       ");
  EXPECT_EQ(two.assignments[1].name, "NOM$");
}

TEST_F(AcceptTest, FilterOfATypedValueNeverBecomesExpressionText) {
  // A value built to close the literal and add a condition of its own.
  AcceptCollected got =
      AcceptCollectValues(AcceptDefParse(StrOf("'N:':'A12':N$==")), {"x'||1==1||'"});
  ASSERT_EQ(got.status, kOk);
  ASSERT_EQ(VarAssign(StrOf("N$"), StrOf("zzz")), kOk);
  ScratchScope scope;
  EXPECT_EQ(ExpEvalCond(StrOf(got.filter)), 0) << got.filter;
  ASSERT_EQ(VarAssign(StrOf("N$"), StrOf("x'||1==1||'")), kOk);
  EXPECT_EQ(ExpEvalCond(StrOf(got.filter)), 1) << got.filter;
}

constexpr const char* kForm = "'Nombre:':'A10':NOM$,'Ciudad:':'A8':CITY{1}==";

TEST_F(AcceptTest, ConfirmedFormHandsBackValuesFilterAndRemembersThem) {
  d.Run(
      "expect focus id=2000\n"
      "type \"ANA\"\n"
      "key Enter\n"
      "type \"MADRID\"\n"
      "key Enter\n");
  Run run = Accept(kForm);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  EXPECT_EQ(run.r.status, kOk);
  EXPECT_EQ(run.r.exit_key, 0u);
  EXPECT_EQ(run.values, "'ANA','MADRID'");
  EXPECT_EQ(run.filter, "CITY{1}=='MADRID  '");
  EXPECT_EQ(Text("NOM$"), "ANA       ");
  EXPECT_EQ(Work(kAcceptFormKey), "NC") << "six pieces: one character per label";
  EXPECT_EQ(Work(kAcceptValues), "'ANA','MADRID'");
  EXPECT_EQ(Work(sl::kAcceptCondition), run.filter);
  ExpectNoFormLeft();

  // The same form opens prefilled: Enter twice gives the same answer.
  d.Run(
      "key Enter\n"
      "key Enter\n");
  Run again = Accept(kForm);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(again.r.status, kOk);
  EXPECT_EQ(again.values, "'ANA','MADRID'");
  // An initial value (part 4) wins over the remembered one.
  d.Run(
      "key Enter\n"
      "key Enter\n");
  Run initial = Accept("'Nombre:':'A10':NOM$:'LUIS','Ciudad:':'A8':CITY{1}==");
  EXPECT_EQ(initial.values, "'LUIS','MADRID'");
  ExpectNoFormLeft();
}

TEST_F(AcceptTest, CancelledFormsLeaveTheRememberedValues) {
  d.Run("type \"ANA\"\nkey Enter\ntype \"SORIA\"\nkey Enter\n");
  ASSERT_EQ(Accept(kForm).r.status, kOk);
  const std::string values = Work(kAcceptValues), filter = Work(sl::kAcceptCondition);
  for (const char* script : {"type \"X\"\nkey Esc\n", "close\n"}) {
    SCOPED_TRACE(script);
    d.Run(script);
    Run run = Accept(kForm);
    EXPECT_EQ(stall, "");
    EXPECT_EQ(run.r.status, kStCancelled);
    EXPECT_EQ(run.r.exit_key, kKeyEsc);
    EXPECT_EQ(run.values, "");
    EXPECT_EQ(Work(kAcceptValues), values);
    EXPECT_EQ(Work(sl::kAcceptCondition), filter);
    ExpectNoFormLeft();
  }
}

TEST_F(AcceptTest, FormThatFailsToBuildLeavesNoWindow) {
  Run run = Accept("'A:':'A5':X$:LEFT$((");
  EXPECT_GE(run.r.status, kStFirstError);
  EXPECT_EQ(run.r.exit_key, 0u);
  EXPECT_EQ(run.values, "");
  ExpectNoFormLeft();
}

TEST_F(AcceptTest, ScriptLinesAnswerFormsWithoutShowingThem) {
  Script("ANA,'MADRID'\r\n'LUIS','TOLEDO','OTRA'\r\n'ABCDEFGHIJK',''\r\n");
  // No key script: a form that waited would stall.
  Run run = Accept(kForm);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(run.r.status, kOk);
  EXPECT_EQ(run.r.exit_key, 0u);
  EXPECT_EQ(run.values, "'ANA','MADRID'");
  EXPECT_EQ(run.filter, "CITY{1}=='MADRID  '");
  EXPECT_EQ(Text("NOM$"), "ANA       ");
  EXPECT_EQ(Work(kAcceptValues), "'ANA','MADRID'");
  ExpectNoFormLeft();

  // More values than fields, and a value longer than its field: refused,
  // nothing stored, the remembered values unchanged.
  for (int i = 0; i < 2; ++i) {
    Run bad = Accept(kForm);
    EXPECT_EQ(stall, "");
    EXPECT_EQ(bad.r.status, kStDataError) << i;
    EXPECT_EQ(bad.values, "") << i;
    EXPECT_EQ(Text("NOM$"), "ANA       ") << i;
    EXPECT_EQ(Work(kAcceptValues), "'ANA','MADRID'") << i;
    ExpectNoFormLeft();
  }
  // The script has no line left: the form is cancelled, never waits.
  Run end = Accept(kForm);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(end.r.status, kStCancelled);
  ExpectNoFormLeft();
}

uint32_t g_callback_key = 0xFFFF;
std::string g_collected;
Status ReportCallback(uint32_t key) {
  g_callback_key = key;
  ScratchScope scope;
  StrPair def = DynStrPopValue(sl::kPendingAccept);
  if (key != 0) return key == 3 ? Status{kStCancelled} : Status{kOk};  // collected already
  AcceptResult r = AcceptCollectClosed(def);
  g_collected = r.filter.str();
  return r.status;
}

TEST_F(AcceptTest, RunThenLeavesAnEnterExitToTheCallback) {
  g_callback_key = 0xFFFF;
  g_collected.clear();
  d.Run("type \"ANA\"\nkey Enter\ntype \"SORIA\"\nkey Enter\n");
  EXPECT_EQ(AcceptWinRunThen(StrOf("T"), StrOf(kForm), &ReportCallback), kOk);
  EXPECT_EQ(stall, "");
  EXPECT_EQ(g_callback_key, 0u);
  EXPECT_EQ(g_collected, "CITY{1}=='SORIA   '");
  ExpectNoFormLeft();
  d.Run("key Esc\n");
  EXPECT_EQ(AcceptWinRunThen(StrOf("T"), StrOf(kForm), &ReportCallback), kStCancelled);
  EXPECT_EQ(g_callback_key, kKeyEsc);
  ExpectNoFormLeft();
}

TEST_F(AcceptTest, ConfirmAndCancelRunTheirParametersOnce) {
  ASSERT_EQ(VarAssignInt(StrOf("CNT"), 0), kOk);
  const std::string def =
      "'A:':'A4':A$ /ON_CONFIRM$:=\"'SCRBACK=REC$'\":ON_CANCEL$:=\"CNT=CNT+1\"";
  d.Run("type \"XY\"\nkey Enter\n");
  ASSERT_EQ(Accept(def).r.status, kOk);
  EXPECT_EQ(Text("REC$").substr(0, 4), "XY  ") << "the form's record saved back";
  EXPECT_EQ(ExpEvalInt(StrOf("CNT")), 0) << "the close that follows Ok is no cancel";
  d.Run("key Esc\n");
  ASSERT_EQ(Accept(def).r.status, kStCancelled);
  EXPECT_EQ(ExpEvalInt(StrOf("CNT")), 1) << "Esc and the close it asks for cancel once";
  ExpectNoFormLeft();
}

TEST_F(AcceptTest, EachConfirmedFormWritesOneJournalLine) {
  ASSERT_EQ(CmdLineStore(StrOf("\"/opt/app/pelmora\" /OUTPUT:'out.txt'")), kOk);
  d.Run("type \"O'Neil\"\nkey Enter\ntype \"5\"\nkey Enter\n");
  ASSERT_EQ(Accept(kForm).r.status, kOk);
  d.Run("key Esc\n");
  ASSERT_EQ(Accept(kForm).r.status, kStCancelled);
  EXPECT_EQ(Get("out.txt"), "\"O'Neil\",'5'\r\n");
}

// A hook window: a form whose confirmation goes to its third handler and
// which nobody collects (the window answers itself).
std::vector<uint16_t> g_hook_calls;
uint16_t HookWindowHandler(uint16_t cls) {
  g_hook_calls.push_back(cls);
  return cls == 28 ? 4 : 24;
}

TEST_F(AcceptTest, ScriptReplaysIntoAHookWindowAndJournalsIt) {
  ASSERT_EQ(CmdLineStore(StrOf("\"/opt/app/pelmora\" /OUTPUT:'out.txt'")), kOk);
  g_hook_calls.clear();
  Script("\"O'Neil\",5\r\n\r\n");
  const std::string def = "'N:':'A10','C:':'A1'";
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(AcceptWinCreate(StrOf("H"), StrOf(def), kAcceptFit, plat::kNoWindow, nullptr), kOk);
    ScreenActionSet(&AcceptWinAction, nullptr, &HookWindowHandler);
    const plat::Hwnd form = WinTop();
    if (round == 0) {
      ASSERT_EQ(ScriptReplayInput(form), kOk);
      EXPECT_EQ(ScreenFieldRaw(1).str(), "O'Neil    ");
      WinModalLoop(form);  // takes the close the replay asked for
      EXPECT_EQ(g_hook_calls, (std::vector<uint16_t>{25, 28}));
    } else {
      // A blank line leaves the window to the user.
      ASSERT_EQ(ScriptReplayInput(form), kOk);
      EXPECT_EQ(WinTop(), form);
      d.Run("key Esc\n");
      WinModalLoop(form);
    }
    EXPECT_EQ(stall, "");
    if (ScreenCounterGet(kWinCount) > 0) ScreenClose(-1);
  }
  EXPECT_EQ(Get("out.txt"), "\"O'Neil\",'5'\r\n");
}

TEST_F(AcceptTest, FieldMenuCalculatorWritesItsTotalBackIntoTheField) {
  {
    ScratchScope scope;
    EXPECT_EQ(AcceptBuiltinCommand(StrOf("Calculator")).str(),
              "Accept 'Kgs:':'26','Tot:':'26' /FD$=\"_SUM#,_TOT#\":ASSIGN$=\",_SUM#+_TOT#\":_SUM#$=\"_TOT#\":"
              "NO_EDIT$=\"_TOT#\"");
    EXPECT_EQ(AcceptBuiltinCommand(StrOf("Otra")).str(), "");
  }
  HookSetFn<HookFieldProviderFn>(&ScreenFieldProvider, 0);
  ASSERT_EQ(AcceptWinCreate(StrOf("Host"), StrOf("'Peso:':'26','Nota:':'A4'"), kAcceptFit, plat::kNoWindow, nullptr),
            kOk);
  const plat::Hwnd host = WinTop();
  const std::string rest = std::string(kAcceptCalculator).substr(7);
  d.Run("type \"5\"\nkey Enter\ntype \"3\"\nkey Enter\nkey Enter\n");
  {
    ScratchScope scope;
    EXPECT_EQ(AcceptIntoField(StrOf(rest), 1), kOk);
  }
  EXPECT_EQ(stall, "");
  EXPECT_EQ(WinTop(), host) << "only the calculator closed";
  EXPECT_EQ(ScreenFieldRaw(1).str(), "  3.00") << "Tot's final value, as typed over";
  // A cancelled calculator leaves the field as it was.
  d.Run("type \"4\"\nkey Esc\n");
  {
    ScratchScope scope;
    EXPECT_EQ(AcceptIntoField(StrOf(rest), 1), kOk);
  }
  EXPECT_EQ(ScreenFieldRaw(1).str(), "  3.00");
  ScreenClose(-1);
  WinDestroy(host);
  ExpectNoFormLeft();
}

TEST_F(AcceptTest, ServiceFormOfTheRunCopiesItsTexts) {
  Script("\"O'K\",ZOE\r\n");
  std::string values = "old", filter = "old";
  EXPECT_EQ(AcceptRunTexts(StrOf("T"), StrOf("'A:':'A5':NAME{1}>=,'B:':'A5':NAME{1}<="), &values, &filter), kOk);
  EXPECT_EQ(values, "\"O'K\",'ZOE'");
  EXPECT_EQ(filter, "NAME{1}>=\"O'K  \"&&NAME{1}<='ZOE  '");
  // The script is over: cancelled, texts emptied.
  EXPECT_EQ(AcceptRunTexts(StrOf("T"), StrOf("'A:':'A5'"), &values, &filter), kStCancelled);
  EXPECT_EQ(values, "");
  EXPECT_EQ(filter, "");
}

// The AcceptRun verb's hook: records what it was handed.
std::vector<std::string> g_hook;
Status RecordAccept(const AcceptResult& r) {
  g_hook.push_back(r.values.str() + " | " + r.filter.str());
  return kOk;
}

class AcceptRunTest : public AcceptTest {
 protected:
  void SetUp() override {
    AcceptTest::SetUp();
    g_hook.clear();
    HookSetFn<HookAcceptFn>(&RecordAccept, 7);
    Def("ACC.PPN", 1,
        {"ACBOUND$:=\"'Desde:':'A10':NAME{1}>=,'Hasta:':'A10':NAME{1}<=,'Ciudad:':'A8':CIU$\"",
         "WINNAME$:=\"Limites\"", "ACCEPT_PRC%:=7"});
  }
  Status RunScript(const std::string& options) {
    EXPECT_EQ(CmdLineStore(StrOf("\"/opt/app/pelmora\" " + options)), kOk);
    return AppRunInputScript();
  }
};

TEST_F(AcceptRunTest, JournalOfAScriptedRunReplaysToTheSameResult) {
  Put("in.txt", "AcceptRun ACC,1\r\n\"O'Neil\",ZZ,SORIA\r\nAcceptRun ACC,1\r\n'A','B',''\r\n");
  ASSERT_EQ(RunScript("/INPUT:'in.txt' /OUTPUT:'out.txt'"), kOk);
  EXPECT_EQ(stall, "");
  const std::vector<std::string> first = g_hook;
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0], "\"O'Neil\",'ZZ','SORIA' | NAME{1}>=\"O'Neil    \"&&NAME{1}<='ZZ        '");
  const std::string journal = Get("out.txt");
  EXPECT_EQ(journal, "\"O'Neil\",'ZZ','SORIA'\r\n'A','B',''\r\n") << "one line per confirmed form";
  const std::string remembered = Work(kAcceptValues), city = Text("CIU$");

  // The journal's lines between the same commands: the same answers.
  g_hook.clear();
  DynStrSet(sl::kWork, kAcceptValues, StrOf(""));
  size_t cut = journal.find("\r\n") + 2;
  Put("in2.txt", "AcceptRun ACC,1\r\n" + journal.substr(0, cut) + "AcceptRun ACC,1\r\n" + journal.substr(cut));
  ASSERT_EQ(RunScript("/INPUT:'in2.txt' /OUTPUT:'out2.txt'"), kOk);
  EXPECT_EQ(g_hook, first);
  EXPECT_EQ(Work(kAcceptValues), remembered);
  EXPECT_EQ(Text("CIU$"), city);
  EXPECT_EQ(Get("out2.txt"), journal);
}

TEST_F(AcceptRunTest, ScriptEndingWhileAFormWaitsEndsTheRunWith122) {
  Put("in.txt", "AcceptRun ACC,1\r\n");
  EXPECT_EQ(RunScript("/INPUT:'in.txt'"), kStCancelled);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(g_hook.empty());
  EXPECT_FALSE(Has("out.txt"));
  ExpectNoFormLeft();
}

TEST_F(AcceptRunTest, MissingParametersAreNamed) {
  Def("BAD.PPN", 1, {"WINNAME$:=\"X\""});
  ScratchScope scope;
  EXPECT_EQ(AcceptWinRunDef(StrOf("BAD,1"), 255), kStDataError);
  EXPECT_NE(DynStrGet(sl::kWork, sl::kIncident).str().find("ACBOUND$"), std::string::npos);
  Def("NOPRC.PPN", 1, {"ACBOUND$:=\"'A:':'A5'\""});
  Script("'X'\r\n");
  EXPECT_EQ(AcceptWinRunDef(StrOf("NOPRC,1"), 255), kStDataError);
  EXPECT_NE(DynStrGet(sl::kWork, sl::kIncident).str().find("ACCEPT_PRC%"), std::string::npos);
}

}  // namespace
}  // namespace eng::test
