// Compiled expressions against the text evaluator: every case runs through
// both in a fresh runtime, and the transcripts (statuses, results, the
// recorded error and incident text, variables afterwards) must be equal.
// Variable bindings must follow declarations and scope restores.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_code.h"
#include "core/exp_eval.h"
#include "core/exp_scan.h"
#include "core/field_access.h"
#include "core/fn_builtins.h"
#include "core/fn_call.h"
#include "core/hooks.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/support/exp_fixture.h"

namespace eng::test {
namespace {

class ExpCodeTest : public ExpTest {
 protected:
  void SetUp() override {
    ExpTest::SetUp();
    Fresh();
  }

  // A runtime with the value built-ins and a few variables.
  static void Fresh() {
    CoreRuntimeReset();
    MemSetLimits(kArenaProgramKb, 0xFFFF);
    ASSERT_EQ(DynStrInit(), kOk);
    ASSERT_EQ(ObjTableInit(), kOk);
    ASSERT_EQ(VarInitSystem(), kOk);
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
    ASSERT_LT(ExpEvalText(StrOf("A#=1234.56;B#=78.9;C#=3;D=12;T$='Invoice ';U$='  00042  '")), kStFirstError);
  }

  // One evaluation's outcome as a line of text.
  static std::string Outcome(Status s) {
    std::string line = "status " + std::to_string(s);
    if (s == 1) line += " text [" + ScratchTop().str() + "]";
    else if (s < kStFirstWarning) line += " num " + DecToText(NumAccValue()).str();
    line += " last " + std::to_string(ErrGetLast()) + " incident [" + ErrIncidentText().str() + "]";
    return line;
  }

  static std::string Vars(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += n + "=" + Var(n) + ";";
    return out;
  }

  // Runs the texts in order (each twice, so that bindings made by the first
  // run are used by the second) as text or compiled; the transcript.
  static std::string Transcript(const std::vector<std::string>& texts, bool compiled, bool cond, void (*setup)()) {
    Fresh();
    if (setup) setup();
    std::vector<std::shared_ptr<const ExpCode>> codes;
    for (const std::string& t : texts) codes.push_back(ExpCompile(StrOf(t)));
    std::string out;
    for (int round = 0; round < 2; ++round) {
      for (size_t i = 0; i < texts.size(); ++i) {
        ErrSetLast(2, 0, 0, 0);
        ErrIncident(kOk, StrPair{}, false);
        ScratchScope scope;
        Status s;
        if (cond) s = compiled && codes[i] ? ExpCodeEvalCond(*codes[i]) : ExpEvalCond(StrOf(texts[i]));
        else s = compiled && codes[i] ? ExpCodeEvalText(*codes[i]) : ExpEvalText(StrOf(texts[i]));
        out += texts[i] + " -> " + Outcome(s) + "\n";
      }
    }
    return out + Vars({"X", "Y#", "Z$", "D", "A#", "T$", "_PRECIS"});
  }

  static void ExpectSame(const std::vector<std::string>& texts, bool cond = false, void (*setup)() = nullptr) {
    std::string text = Transcript(texts, false, cond, setup);
    std::string code = Transcript(texts, true, cond, setup);
    EXPECT_EQ(code, text);
  }
};

TEST_F(ExpCodeTest, CompiledGivesWhatTheTextGives) {
  const char* const cases[] = {
      // precedence and signs
      "2+3*4", "2|1*3", "(2+3)*4", "-5+2", "--3", "2*-3", "7/2", "7/3!1", "10%15", "100\xF7" "15",
      "1|2", "1|1", "5&3", "6@1", "6@@1", "0&&1", "0||1", "()", "((1+2))", "1;2;3", ";;", "",
      // decimals and rounding
      "1.005*3", "A#*2.5-B#/3", "(A#+B#)*C#/2-D+A#%7.5", "5/0", "0.125!2", ".top", ".abc", ".5+.25",
      // literals at the edges of the number range
      "92233720368547758.07", "92233720368547758.08", "1+92233720368547758.08*2", "(92233720368547758.08)",
      "FN#SLEN(T$)+92233720368547758.08", "X=92233720368547758.08", "Y#=1;Y#=Y#+1D17", "123456789012345678901",
      // texts and comparisons
      "T$+U$", "T$+'x'+\"y\"", "'ab'<'b'", "'abc'=='a*'", "'abc'=='*B*'", "'a'<>'a'", "T$=='Inv*'",
      "A#*2>=B#+1&&T$<>''", "3>2+1", "'x'+1", "1+'x'", "'a'*'b'", "-'a'", "'open",
      // assignments
      "X=D+1;Y#=A#*X;Z$=T$+'x'", "X=Y#=2.5", "Z$=5", "X='a'", "5=X", "X=", "Q=Q+1", "Z$=.lf$+.tab$",
      // built-in calls and arrays
      "FN$TRIM(U$)+'/'", "T$+FN$TRIM(U$)+' / '+S12$", "FN$MIDS('abcdef';2;3)", "FN#SLEN(T$)+1",
      "FN$CHRS(65)+FN$CHRS(66)", "FN#VALN('12.5')*2", "CHK$(1;'yes';'no')", "CHK#(0;1;2)", "FN$TRIM()",
      "FN$MIDS('abc';(1+1);1)", "FN$TRIM(FN$TRIM(' a '))", "NOSUCH(1)", "_#(3)", "fn$trim(' a ')",
      // errors of scanning and evaluation
      "(1+2", "1+2)", "A B", "1 + 2", "2=>3", "1:2", "(1)2", "FN$TRIM('a')x", "X=(", "'a'+", "+",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    ExpectSame({c});
  }
}

// CHK# and CHK$ read their condition from the compiled text and keep their
// branches compiled (EXP$ its template): conditions that change between runs
// of the same text, nesting, errors in either part and branches left out
// give what the text gives.
TEST_F(ExpCodeTest, ConditionalsGiveWhatTheTextGives) {
  const char* const chk = "CHK$(X>0;'pos';CHK$(X<0;'neg';'zero'))";
  ExpectSame({"X=0", chk, "X=X+1", chk, "X=-3", chk, "CHK#(X<0;X*2;X+100)", "X=0", "CHK#(X<0;X*2;X+100)"});
  const char* const cases[] = {
      "CHK$(1+'a';'x';'y')", "CHK$(1;1+'a';'y')", "CHK$(0;'x';FN$MIDS('abc';'z'))", "CHK#(1;'t';2)",
      "CHK$(1;2;'b')", "CHK$(0;'x';)", "CHK$(0;'x')", "CHK$(;'x';'y')", "CHK$('a';'x';'y')", "CHK#(1;;2)",
      "CHK$(X=5;'set';'no')+'/'+CHK$(X==5;'five';'other')", "FN$TRIM(CHK$(1;' a ';'b'))+'|'",
      "CHK$(1;CHK$(0;'a';CHK$(1;'deep';'no'));'c')", "CHK$(1;'a'+(2;'b')", "Z$=CHK$(D>1;T$+'x';U$)",
      // the other function that reads the rest of its text itself
      "EXP$('[$1_|$2_]';A#*2;T$+'x')", "EXP$(1+'a';2)",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    ExpectSame({c});
    ExpectSame({c}, true);
  }
}

TEST_F(ExpCodeTest, PostfixFormAgreesAtItsEdges) {
  const char* const cases[] = {
      // texts read in place while a step changes the variable store
      "T$+(T$='new')+T$", "Z$=T$;T$=T$+T$;Z$+T$", "T$+(NEW1$='x')+(NEW2$='y')+T$", "Z$=Z$+'a'+Z$",
      // signs, empty items and lists inside parentheses
      "-D", "2*-D+1", "T$+-1", "-T$", "(;;)+1", "(1;;2)*3", "1;;", "(X=1;Y#=2)+X", "()", "();5",
      // operators texts do not have, and mixed kinds
      "T$*2", "T$-U$", "T$&&U$", "D+T$", "(T$)+(1)", "X=T$", "Z$=D", "T$<U$", "T$>=T$",
      // errors deep inside operands: each operand around them records again
      "1+(2+(3+'a'))", "FN$TRIM(FN$MIDS('abc';'x'))", "((FN$CHRS(65)+1))", "FN$MIDS(T$;(2+'z'))+'!'",
      "X=1;Y#=(2;'b'*2);Z$='never'",
      // arguments: omitted, read in place, of both kinds, past sixteen
      "FN$CHRS(;3)", "FN$MIDS('abcdef';;2)", "FN$CHRS('ab';3)+FN$CHRS(66)", "FN$MIDS(T$;2)",
      "FN$CHNG(T$;'I';'i')", "FN#SLEN(1;2)", "FN$MIDS(1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17)",
      "FN$CHRS(65;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1)", "FN$MIDS(FN$MIDS(T$;2);2;2)",
      // system variables, _PRECIS, and the longest text
      "_PRECIS=9", "_PRECIS=3;1.23456*2", "_PRECIS=0;7/2;_PRECIS=2",
      "Z$=FN$CHRS('x';32000)+FN$CHRS('y';32000)+FN$CHRS('z';2000)",
      // numbers on both sides whatever the run: every operator, empty and
      // signed operands, undeclared variables, another _PRECIS
      "A#>B#;A#<B#;A#==A#;D>=12;D<=11;D<>12;D&&B#;0||D;D&&0", "()+D", "(1;2)*D-NEW#", "-D*-A#",
      "D@1;D@@1;D|1;D!1;D&3;D%50;D\xF7" "3", "_PRECIS=0;(D>1)+(D<>12)", "_PRECIS=4;(A#>=1)*2;_PRECIS=2",
      // a list that a warning ends early: its value is an earlier item's
      "(();T$)+'x'", "(();T$)+T$", "(();D)*2", "(FN$MIDS('ab';5);T$)+T$", "Z$=(();T$)+'a'", "(1;())+D",
      // texts joined where they lie: a text read in place before a call's
      // result, a call whose arguments made entries, past the longest text
      "T$+FN$TRIM(U$+'x')", "T$+FN$CHRS(65)+T$", "(T$)+FN$TRIM(T$)", "U$+FN$CHRS(FN$MIDS(T$;2))",
      "Z$=FN$CHRS('x';40000);Z$+FN$CHRS('y';30000)", "Z$=FN$CHRS('x';40000);T$+FN$CHRS('y';25535)",
      // built-ins reading a variable's text in place leave it as it was
      "FN$CHNG(T$;'UCASE')+T$", "FN$CHNG(T$;'';'')+T$", "FN$TRIM(T$;'FIT')+U$", "FN#SLEN(T$;)",
      // assignments: a declared text, a system text, a new text, integers
      "_ACUM$=T$+'a';_ACUM$", "NEWT$=T$;NEWT$=NEWT$+'b';NEWT$", "X=1;X=X+D*2;X", "_PRECIS=1;A#",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    ExpectSame({c});
    ExpectSame({c}, true);
  }
}

TEST_F(ExpCodeTest, UsualStatementsGetThePostfixForm) {
  for (const char* c : {"(A#+B#)*C#/2-D+A#%7.5", "T$+FN$TRIM(U$)+' / '+S12$", "A#*2>=B#+1&&T$<>''",
                        "X=D+1;Y#=A#*X;Z$=T$+'x'", "-D", "()", "CHK$(1;'a';'b')", "N{}=N{}+1",
                        "CHK$(T{}>'0';T{}+FN$MIDS(T{};1;2);'')"}) {
    SCOPED_TRACE(c);
    auto code = ExpCompile(StrOf(c));
    ASSERT_NE(code, nullptr);
    EXPECT_TRUE(code->program.ok());
  }
  // What the postfix form does not take on stays with the token walk.
  for (const char* c : {"_#(3)", "ARR(1)+1", ".lf$", "X@", "'open", "5=X", "1+", ";;", "CHK$()"}) {
    SCOPED_TRACE(c);
    auto code = ExpCompile(StrOf(c));
    if (code) {
      EXPECT_FALSE(code->program.ok());
    }
  }
}

TEST_F(ExpCodeTest, AHandlerInstalledAfterTheCompileGetsItsArgumentsOnTheList) {
  // Compiled while FN$TRIM reads its arguments in place; run after a handler
  // that pops list 35 itself and changes a text the evaluation holds.
  auto swap = [] {
    FnInstallBuiltin(kFnTrim, [](FnArgs& a) -> Status {
      ExpExecute(StrOf("T$='changed'"));
      StrPair v = FnPopValue();
      if (!v.ok()) return StrError(v);
      a.result_text = true;
      return StrError(ScratchText("<" + v.str() + ">"));
    });
  };
  const std::string text = "T$+FN$TRIM(U$)+T$";
  auto code = ExpCompile(StrOf(text));
  ASSERT_NE(code, nullptr);
  ASSERT_TRUE(code->program.ok());
  swap();
  std::string compiled;
  {
    ScratchScope scope;
    compiled = Outcome(ExpCodeEvalText(*code));
  }
  Fresh();
  swap();
  ScratchScope scope;
  EXPECT_EQ(compiled, Outcome(ExpEvalText(StrOf(text))));
  EXPECT_NE(compiled.find("[Invoice <  00042  >changed]"), std::string::npos) << compiled;
  EXPECT_EQ(DynStrCount(sl::kProcArgs), 0);
}

TEST_F(ExpCodeTest, NestingInsideAnotherEvaluationCounts) {
  // Evaluated from deep inside other evaluations, a compiled text fails on
  // the nesting limit exactly where its text does.
  std::string deep = std::string(60, '(') + "1+D" + std::string(60, ')');
  auto code = ExpCompile(StrOf(deep));
  ASSERT_NE(code, nullptr);
  for (uint16_t outer : {0, 137, 138, 139, 180}) {
    SCOPED_TRACE(outer);
    std::string results[2];
    for (int compiled = 0; compiled < 2; ++compiled) {
      ErrIncident(kOk, StrPair{}, false);
      Core().exp.depth = outer;
      ScratchScope scope;
      Status s = compiled ? ExpCodeEvalText(*code) : ExpEvalText(StrOf(deep));
      results[compiled] = Outcome(s);
      Core().exp.depth = 0;
    }
    EXPECT_EQ(results[1], results[0]);
  }
}

TEST_F(ExpCodeTest, ArgumentListsPushWhatTheTextPushes) {
  // Each list read by FnEvalArgs over its text and by the compiled argument
  // form: the same types, values on list 35, statuses and incident texts.
  auto run = [](const std::string& text, bool compiled) {
    Fresh();
    ErrIncident(kOk, StrPair{}, false);
    ScratchScope scope;
    StrPair types;
    if (compiled) {
      auto code = ExpCompileArgs(StrOf(text));
      if (!code) return std::string("no code");
      types = ExpCodePushArgs(*code);
    } else {
      StrPair prepared = ExpPrepare(StrOf(text));
      if (!prepared.ok()) return std::string("no text");
      ExpCursor cursor{prepared, 0};
      types = FnEvalArgs(cursor, kFnAllArgs);
    }
    std::string out = types.ok() ? "types " + std::to_string(types.len) : "failed " + std::to_string(StrError(types));
    for (uint16_t i = 0; i < DynStrCount(sl::kProcArgs); ++i) out += " [" + DynStrGet(sl::kProcArgs, i).str() + "]";
    out += " incident [" + ErrIncidentText().str() + "] X=" + Var("X");
    DynStrPopTo(sl::kProcArgs, 0);
    return out;
  };
  for (const char* c : {"1;'a';;X=2", "1+'a';X=3", "X=4;(2;'b'*2);X=5", "FN$MIDS(T$;2);T$+U$", "(1;;2);-D", ";",
                        "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16", "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;X=17",
                        "FN$TRIM(1+'x')", "T$;X=T$"}) {
    SCOPED_TRACE(c);
    EXPECT_EQ(run(c, true), run(c, false));
  }
  auto code = ExpCompileArgs(StrOf("1;'a';;X=2"));
  ASSERT_NE(code, nullptr);
  EXPECT_TRUE(code->program.ok());
}

TEST_F(ExpCodeTest, ConditionsAsCompiled) {
  for (const char* c : {"", "1", "0", "D>3", "T$", "'a'=='a'", "1+", "(", "X=5"}) {
    SCOPED_TRACE(c);
    ExpectSame({c}, true);
  }
}

TEST_F(ExpCodeTest, SequencesShareVariables) {
  // A variable declared after the compile, then changed, read by code compiled before.
  ExpectSame({"N#+1", "N#=2.5", "N#*2", "M$+'z'", "M$='q'", "M$+'z'", "K", "K=7", "K*K"});
  // Literals follow _PRECIS.
  ExpectSame({"1.2345+1", "_PRECIS=4", "1.2345+1", "_PRECIS=0", "1.6+1"});
}

TEST_F(ExpCodeTest, ValuesAreTheExpectedOnes) {
  // Both paths agreeing is not enough: a few results checked outright.
  auto code = ExpCompile(StrOf("X=D+1;Y#=A#*X;Z$=T$+FN$TRIM(U$)"));
  ASSERT_NE(code, nullptr);
  ScratchScope scope;
  EXPECT_EQ(ExpCodeEvalText(*code), 1);
  EXPECT_EQ(ScratchTop().str(), "Invoice 00042");
  EXPECT_EQ(Var("X"), "13");
  EXPECT_EQ(Var("Y#"), "16049.28");
}

TEST_F(ExpCodeTest, ProductsAndQuotientsAroundTheSixtyFourBitLimits) {
  // Operands just below and just above the size where a product (or a
  // value times the scale) still fits in 64 bits: the same rounding half
  // away from zero on both sides of the limit, and wrap-around as before.
  const struct {
    const char* text;
    const char* value;
  } cases[] = {
      {"21474836.47*2", "42949672.94"},
      {"21474836.48*2", "42949672.96"},
      {"(-21474836.47)*(-.05)", "1073741.82"},
      {"(-.05)*.5", "-.03"},
      {"21474836.47*21474836.47", "461168601413242.06"},
      {"(-21474836.48)*21474836.47", "-461168601627990.43"},
      {"1/3", ".33"},
      {"(-2)/3", "-.67"},
      {"1407374883553.27/3", "469124961184.42"},
      {"1407374883553.28/3", "469124961184.43"},
      {"(-1407374883553.27)/(-7)", "201053554793.32"},
      {"5/0", ""},
      {"21474836.47%15.5", "3328599.65"},
      {"21474836.47\xF7" "15.5", "18146236.82"},
      {"(-21474836.48)\xF7" "15.5", "-18146236.83"},
      {"92233720368547758.07+.01", "-92233720368547758.08"},
      {"(-92233720368547758.07)-.02", "92233720368547758.07"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto code = ExpCompile(StrOf(c.text));
    ASSERT_NE(code, nullptr);
    ScratchScope scope;
    EXPECT_EQ(ExpEvalStr(StrOf(c.text)).str(), c.value);
    EXPECT_EQ(ExpCodeEvalStr(*code).str(), c.value);
  }
}

TEST_F(ExpCodeTest, BindingsFollowDeclarationsAndScopes) {
  auto read = ExpCompile(StrOf("L#"));
  auto write = ExpCompile(StrOf("L#=L#+1"));
  ASSERT_NE(read, nullptr);
  ASSERT_NE(write, nullptr);
  auto value = [&] {
    ScratchScope scope;
    EXPECT_EQ(ExpCodeEvalText(*read), 0);
    return DecToText(NumAccValue()).str();
  };
  EXPECT_EQ(value(), "");  // not declared: 0
  VarScope outer = VarScopeSave();
  {
    ScratchScope scope;
    ASSERT_EQ(ExpCodeEvalText(*write), 0);  // declares L# in the inner scope
  }
  EXPECT_EQ(value(), "1");
  ASSERT_EQ(VarScopeRestore(outer), kOk);
  EXPECT_EQ(value(), "");  // the scope that declared it is gone
  // Declared again at another slot, after other names took the old one.
  ASSERT_LT(ExpEvalText(StrOf("P#=9;L#=4")), kStFirstError);
  EXPECT_EQ(value(), "4");
  EXPECT_EQ(Var("P#"), "9");
}

TEST_F(ExpCodeTest, RegisteringAFunctionIsSeen) {
  auto code = ExpCompile(StrOf("LATER(2)"));
  ASSERT_NE(code, nullptr);
  {
    ScratchScope scope;
    EXPECT_EQ(ExpCodeEvalText(*code), 0);  // an array element that does not exist: 0
  }
  auto twice = [](FnArgs& a) -> Status {
    FnIntArg v = FnArgInt(a, 1, 0);
    if (v.status) return v.status;
    return ExpPushInt(static_cast<int16_t>(v.value * 2));
  };
  ASSERT_EQ(FnRegister(StrOf("LATER"), twice), kOk);
  ScratchScope scope;
  EXPECT_EQ(ExpCodeEvalText(*code), 0);
  EXPECT_EQ(DecToText(NumAccValue()).str(), "4");
}

TEST_F(ExpCodeTest, ConditionalBranchesFollowTheRegisteredFunctions) {
  // A branch met under one program's functions and met again after a fresh
  // start that registered others in the same places calls the new ones.
  auto one = [](FnArgs&) -> Status { return ExpPushInt(1); };
  auto two = [](FnArgs&) -> Status { return ExpPushInt(2); };
  const char* const text = "CHK#(1;APPA(0)*10+APPB(0);0)";
  ASSERT_EQ(FnRegister(StrOf("APPA"), one), kOk);
  ASSERT_EQ(FnRegister(StrOf("APPB"), two), kOk);
  {
    ScratchScope scope;
    EXPECT_EQ(ExpEvalText(StrOf(text)), 0);
    EXPECT_EQ(DecToText(NumAccValue()).str(), "12");
  }
  Fresh();
  ASSERT_EQ(FnRegister(StrOf("APPB"), one), kOk);
  ASSERT_EQ(FnRegister(StrOf("APPA"), two), kOk);
  ScratchScope scope;
  EXPECT_EQ(ExpEvalText(StrOf(text)), 0);
  EXPECT_EQ(DecToText(NumAccValue()).str(), "21");
}

StrPair Provider(StrPair name, uint16_t mode, StrPair) {
  if (mode != 1 || name.view() != "_F$") return StrFail(kStDataError);  // not mine
  return ScratchText("from provider");
}

TEST_F(ExpCodeTest, FieldProviderNamesStillAsked) {
  // A "_" name goes to the field provider when there is one, compiled or not.
  auto install = [] { HookSetFn(&Provider, kHookFieldProvider); };
  ExpectSame({"_F$+'!'", "_G$+'!'", "_G$='x'", "_G$"}, false, install);
  install();
  auto code = ExpCompile(StrOf("_F$+'!'"));
  ScratchScope scope;
  EXPECT_EQ(ExpCodeEvalText(*code), 1);
  EXPECT_EQ(ScratchTop().str(), "from provider!");
}

// Fields for the expressions: N{} a number field, T{} a text field, BAD{}
// a reference that fails; what is assigned is kept as the field's text.
std::string g_number_field, g_text_field;

Status FieldType(StrPair ref, char* type) {
  if (ref.view() == "N{}") *type = 'N';
  else if (ref.view() == "T{}") *type = 'A';
  else return kStSyntax;
  return kOk;
}
Status FieldValue(StrPair ref, std::string* value, char* type) {
  if (Status s = FieldType(ref, type)) return s;
  *value = ref.view() == "N{}" ? g_number_field : g_text_field;
  return kOk;
}
Status FieldStore(StrPair ref, StrPair value) {
  char type = 0;
  if (Status s = FieldType(ref, &type)) return s;
  (ref.view() == "N{}" ? g_number_field : g_text_field).assign(value.view());
  return kOk;
}
const FieldAccess kTestFields{FieldType, FieldValue, FieldStore};

// Field reads and assignments, alone, inside CHK# and CHK$ and as call
// arguments: a number field compared with a text reads the text as a
// number, a failing reference records its text.
TEST_F(ExpCodeTest, FieldsGiveWhatTheTextGives) {
  FieldAccessInstall(&kTestFields);
  auto reset = [] {
    g_number_field = "     12.50";
    g_text_field = "570 ";
  };
  const char* const cases[] = {
      "N{}+1", "N{}>'5'", "'5'<N{}", "N{}>'x'", "(N{})>'3'", "N{}*2+(N{}>'12')", "T{}+'x'", "T{}>'0'",
      "N{}=N{}+2.25;N{}", "N{}=N{}+'1'", "T{}=T{}+'y';T{}", "T{}=5", "N{}='7';N{}+0", "X=N{}+D;X",
      "FN$MIDS(T{};2)+N{}", "FN$MIDS(N{};2)", "BAD{}+1", "X=BAD{}", "BAD{}=3", "1+(2*BAD{})",
      "CHK$(T{}>'0';T{}+FN$MIDS(T{};1;2)+'01';'')", "CHK$(T{}>'9';T{};'')", "CHK#(N{}>10;N{}*2;0)",
      "CHK$(BAD{};'a';'b')", "CHK#(N{};1;2)", "CHK$(T{};'a';'b')", "CHK$(1;BAD{};'b')+'!'",
      "CHK#(1;N{}=N{}+1;0);N{}", "Z$=CHK$(N{}>0;T{};'none')+T$;Z$", "T$+CHK$(1;(T$='new');'')+T$",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    ExpectSame({c}, false, reset);
    ExpectSame({c}, true, reset);
  }
  FieldAccessInstall(nullptr);
}

TEST_F(ExpCodeTest, TextsThatDoNotPrepareAreLeftToTheText) {
  EXPECT_EQ(ExpCompile(StrOf("(1+2")), nullptr);
  EXPECT_EQ(ExpCompile(StrOf("A B")), nullptr);
  std::string deep(100, '(');
  deep += "1" + std::string(100, ')');
  EXPECT_EQ(ExpCompile(StrOf(deep)), nullptr);
  EXPECT_EQ(ErrLastCode(), kOk);  // compiling records nothing
  EXPECT_EQ(ErrIncidentText().str(), "");
  ExpectSame({deep});
}

}  // namespace
}  // namespace eng::test
