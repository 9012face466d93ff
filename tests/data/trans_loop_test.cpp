#include "data/trans_loop.h"

#include <cstdio>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_handlers.h"
#include "core/exec_run.h"
#include "core/hooks.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/record_statements.h"
#include "tests/data/trans_fixture.h"

namespace eng::test {
namespace {

using V = std::vector<std::string>;

class TransLoopTest : public TransTest {
 protected:
  // CODE|NAME|CITY of every customer, blanks trimmed.
  V Customers() {
    V out;
    auto trim = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
    for (const std::string& r : Records(fx::kClientes))
      out.push_back(trim(r.substr(0, 10)) + "|" + trim(r.substr(10, 30)) + "|" + trim(r.substr(40, 20)));
    return out;
  }
  // Files other than the fixture's, the inputs and the log: what a run left.
  V TempFiles() {
    V out;
    for (const auto& e : std::filesystem::directory_iterator(dir_)) {
      const std::string ext = e.path().extension().string();
      if (ext == ".TMP" || ext == ".tmp") out.push_back(e.path().filename().string());
    }
    return out;
  }
  static Status RunNonBatch(uint16_t f, const std::string& name, uint16_t mode,
                            const std::vector<std::pair<uint16_t, std::string>>& parms = {}) {
    TransParmsClear();
    TransParmSet(kTpFile, std::to_string(f));
    for (const auto& [n, v] : parms) TransParmSet(n, v);
    return TransRun(name, 0xFFFF, mode, nullptr, nullptr);
  }
};

// Bad import records: each refused with a log line; batch mode imports the
// rest, otherwise the run stops and nothing is added.
TEST_F(TransLoopTest, BadImportRecordsAreRefusedAndLogged) {
  const std::string good = "\"GOOD\",\"Good name\",\"Leon\"\r\n";
  const std::string seq_good = std::string("GOOD      ") + std::string(30 + 20, ' ') + "\r\n";
  struct Case {
    const char* what;
    uint16_t mode;
    std::string input;
    Status batch_status;     // status of the batch run
    size_t batch_imported;   // records imported by the batch run
    size_t refused;          // log lines
    Status stop_status;      // status of the same import outside batch mode
  };
  const Case cases[] = {
      {"short line", 21, "ANA  short\r\n" + seq_good, kOk, 1, 1, kStFileIo},
      {"over-long line", 21, std::string("LONG") + std::string(70, 'x') + "\r\n" + seq_good, kOk, 1, 1,
       kStStringTooLong},
      {"too few values", 53, "\"ANA\",\"Ana\"\r\n" + good, kOk, 1, 1, kStDataError},
      {"too many values", 53, "\"ANA\",\"Ana\",\"Lugo\",\"x\"\r\n" + good, kOk, 1, 1, kStDataError},
      {"quote inside a value", 53, "\"AN\"A\",\"Ana\",\"Lugo\"\r\n" + good, kOk, 1, 1, kStDataError},
      {"control byte", 53, "\"ANA\",\"A\x01na\",\"Lugo\"\r\n" + good, kOk, 1, 1, kStDataError},
      {"byte without a character", 53, "\"ANA\",\"A\x81na\",\"Lugo\"\r\n" + good, kOk, 1, 1, kStDataError},
      {"value longer than its field", 53, "\"ANA\",\"" + std::string(31, 'n') + "\",\"Lugo\"\r\n" + good, kOk, 1,
       1, kStStringTooLong},
      {"two bad, one good", 53, "\"A\"x\r\n" + good + "1,2\r\n", kOk, 1, 2, kStDataError},
      {"empty file", 53, "", kStNoData, 0, 0, kStNoData},
      {"partial relative record", 5, std::string(60, 'R') + "SHORT", kOk, 1, 1, kStFileIo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("in.txt", c.input);
    Empty(fx::kClientes);
    std::filesystem::remove("trans.log");
    EXPECT_EQ(Run(fx::kClientes, "in.txt", c.mode), c.batch_status);
    EXPECT_EQ(Records(fx::kClientes).size(), c.batch_imported);
    const V lines = LogLines();
    EXPECT_EQ(lines.size(), c.refused);
    for (const std::string& l : lines) EXPECT_EQ(l.rfind("Import in.txt record ", 0), 0u) << l;
    Empty(fx::kClientes);
    EXPECT_EQ(RunNonBatch(fx::kClientes, "in.txt", c.mode), c.stop_status);
    EXPECT_EQ(Records(fx::kClientes).size(), 0u);
    EXPECT_EQ(TempFiles(), V{}) << "the collected records' file is removed";
  }
}

TEST_F(TransLoopTest, AMissingImportFileFailsTheRunAndLeavesNothing) {
  AddCustomers();
  const Status s = Run(fx::kClientes, "nothere.csv", 53);
  EXPECT_GE(s, kStFirstError);
  EXPECT_EQ(Records(fx::kClientes).size(), 3u);
  EXPECT_EQ(TempFiles(), V{});
}

TEST_F(TransLoopTest, ANumberThatDoesNotParseIsRefusedNeverEvaluated) {
  Put("in.txt",
      "\"ANA\",1,\"20240105\",12a.5\r\n"
      "\"ANA\",2,\"20240105\",FILEDEL(2)\r\n"
      "\"ANA\",3,\"20240105\",7.25\r\n");
  EXPECT_EQ(Run(fx::kMovs, "in.txt", 53), kOk);
  const V recs = Records(fx::kMovs);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0], "ANA         320240105      7.25");
  const V lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Import in.txt record 1 refused: 163 de Datos (not a number in AMT{2}: 12a.5)");
}

TEST_F(TransLoopTest, ALineLongerThanTheOldLimitIsStillOneRecord) {
  // 10 characters of code, then two widths of 999 characters that are skipped.
  Put("in.txt", "LONG      " + std::string(1998, 'x') + "\r\nNEXT      " + std::string(1998, 'y') + "\r\n");
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 21, {{kTpStruct, "10;CODE{},999;,999;"}}), kOk);
  EXPECT_EQ(Customers(), (V{"LONG||", "NEXT||"}));
  // A line beyond 65,535 bytes ends the run, also in batch mode.
  Empty(fx::kClientes);
  Put("in.txt", "\"A\",\"B\",\"C\"\r\n" + std::string(70000, 'z') + "\r\n");
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53), kStStringTooLong);
  EXPECT_EQ(Customers(), V{});
}

TEST_F(TransLoopTest, ExportsFollowTheConditionAndTheBounds) {
  AddCustomers();
  Open(fx::kClientes);
  ASSERT_EQ(Add(fx::kClientes, {"DORA", "Dora", "Madrid"}), kOk);
  DataFileClose(fx::kClientes);
  struct Case {
    const char* what;
    std::vector<std::pair<uint16_t, std::string>> parms;
    std::string want;
  };
  const Case cases[] = {
      {"condition skips the first record of the range", {{kTpCond, "FN$TRIM(CITY{})=='Madrid'"}, {kTpStruct, "CODE{}"}},
       "\"ANA\"\r\n\"DORA\"\r\n"},
      {"bounds from LIMITS$", {{kTpLimits, "'B','C'"}, {kTpStruct, "CODE{}"}}, "\"BETO\"\r\n\"CARLA\"\r\n"},
      {"both", {{kTpLimits, "'B','Z'"}, {kTpCond, "FN$TRIM(CITY{})=='Madrid'"}, {kTpStruct, "CODE{}"}}, "\"DORA\"\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(Run(fx::kClientes, "out.txt", 52, c.parms), kOk);
    EXPECT_EQ(Get("out.txt"), c.want);
  }
  // Nothing matching: 127, and the count is 0.
  EXPECT_EQ(Run(fx::kClientes, "out.txt", 52, {{kTpCond, "FN$TRIM(CITY{})=='Roma'"}}), kStNoData);
  EXPECT_EQ(Count(), 0u);
  // An append adds to the file.
  ASSERT_EQ(Run(fx::kClientes, "out.txt", 52 | kTransAppend, {{kTpLimits, "'A','A'"}, {kTpStruct, "CODE{}"}}), kOk);
  ASSERT_EQ(Run(fx::kClientes, "out.txt", 52 | kTransAppend, {{kTpLimits, "'B','B'"}, {kTpStruct, "CODE{}"}}), kOk);
  EXPECT_EQ(Get("out.txt"), "\"ANA\"\r\n\"BETO\"\r\n");
}

TEST_F(TransLoopTest, DeleteRunRemovesEveryMatchingRecord) {
  Open(fx::kClientes);
  for (const char* code : {"A1", "B1", "B2", "B3", "B4", "B5", "C1"})
    ASSERT_EQ(Add(fx::kClientes, {code, "n", "x"}), kOk);
  DataFileClose(fx::kClientes);
  EXPECT_EQ(Run(fx::kClientes, "", 8, {{kTpCond, "CODE{}>='B'&&CODE{}<'C'"}}), kOk);
  EXPECT_EQ(Count(), 5u);
  EXPECT_EQ(Customers(), (V{"A1|n|x", "C1|n|x"}));
}

TEST_F(TransLoopTest, UpdateRunRewritesEachRecord) {
  AddCustomers();
  EXPECT_EQ(Run(fx::kClientes, "", 1, {{kTpWrExp, "CITY{}='Lima'"}, {kTpLimits, "'B','Z'"}}), kOk);
  EXPECT_EQ(Customers(), (V{"ANA|Ana Pe\xF1" "a|Madrid", "BETO|Alberto Ruiz|Lima", "CARLA|Carla Gomez|Lima"}));
}

TEST_F(TransLoopTest, ImportsSkipOrMergeExistingKeys) {
  AddCustomers();
  Put("in.txt", "\"ANA\",\"New Ana\",\"Vigo\"\r\n\"ZOE\",\"Zoe\",\"Cadiz\"\r\n");
  // Without OVERWRITE an existing key is skipped, a new one added.
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53), kOk);
  EXPECT_EQ(Count(), 1u);
  EXPECT_EQ(Customers(), (V{"ANA|Ana Pe\xF1" "a|Madrid", "BETO|Alberto Ruiz|Sevilla", "CARLA|Carla Gomez|",
                            "ZOE|Zoe|Cadiz"}));
  // With OVERWRITE only existing keys are merged: MERGE$ sees the imported
  // record in the saved copy (CITY kept from the existing record).
  Put("in.txt", "\"ANA\",\"New Ana\",\"Vigo\"\r\n\"YAGO\",\"Yago\",\"Jaen\"\r\n");
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53 | kTransOverwrite, {{kTpMerge, "NAME{}=_$(6;0)"}}), kOk);
  V got = Customers();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].substr(0, 4), "ANA|");
  EXPECT_EQ(got[0].substr(got[0].size() - 7), "|Madrid");
}

// Keys found in the input itself are not looked for: the collected records
// are all added, the duplicate key as the record layer allows it.
TEST_F(TransLoopTest, ImportsIntoAnEmptyFileAddEveryCollectedRecord) {
  Put("in.txt", "\"ANA\",\"Ana\",\"Vigo\"\r\n\"ANA\",\"Otra Ana\",\"Lugo\"\r\n\"BETO\",\"Beto\",\"Jaen\"\r\n");
  Empty(fx::kClientes);
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53), kOk);
  const V all = {"ANA|Ana|Vigo", "ANA|Otra Ana|Lugo", "BETO|Beto|Jaen"};
  EXPECT_EQ(Count(), 3u);
  EXPECT_EQ(Customers(), all);
  // With OVERWRITE there is nothing to merge into.
  Empty(fx::kClientes);
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53 | kTransOverwrite), kStNoData);
  EXPECT_EQ(Customers(), V{});
  // A record file left empty is searched like any other: still nothing found.
  Put("clientes.FD", "");
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53, {{kTpCond, "1"}}), kOk);
  EXPECT_EQ(Customers(), all);
  // Into a file that holds ANA, only the new keys are added.
  Empty(fx::kClientes);
  Put("one.txt", "\"ANA\",\"Ana\",\"Vigo\"\r\n");
  ASSERT_EQ(Run(fx::kClientes, "one.txt", 53), kOk);
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53), kOk);
  EXPECT_EQ(Customers(), (V{"ANA|Ana|Vigo", "BETO|Beto|Jaen"}));
}

TEST_F(TransLoopTest, ACopyToAnotherFileMatchesTheFieldsByName) {
  AddCustomers();
  Open(fx::kTotales);
  ASSERT_EQ(Add(fx::kTotales, {"OLD", "5"}), kOk);
  DataFileClose(fx::kTotales);
  // CODE comes from the customers; TOTAL, not a customer field, stays as in
  // a new blank record.
  EXPECT_EQ(Run(fx::kClientes, "totales", kTransExternFile | kTransIsSql, {{kTpLimits, "'B','Z'"}}), kOk);
  EXPECT_EQ(Count(), 2u);
  EXPECT_EQ(Records(fx::kTotales), (V{"BETO                  ", "CARLA                 ", "OLD               5.00"}));
  // A name that is no other dictionary file fails the run.
  EXPECT_GE(Run(fx::kClientes, "clientes", kTransExternFile | kTransIsSql), kStFirstError);
}

TEST_F(TransLoopTest, StandardStreams) {
  AddCustomers();
  // stdout writes standard output.
  testing::internal::CaptureStdout();
  ASSERT_EQ(Run(fx::kClientes, "stdout", 52, {{kTpStruct, "CODE{}"}, {kTpLimits, "'A','A'"}}), kOk);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\"ANA\"\r\n");
  // "pipe" and "stdin" are standard input: nothing is written, the records count.
  for (const char* name : {"pipe", "stdin"}) {
    EXPECT_EQ(Run(fx::kClientes, name, 52), kOk) << name;
    EXPECT_EQ(Count(), 3u);
  }
  // An import from stdin ends cleanly at the end of the input.
  Empty(fx::kClientes);
  Put("in.txt", "\"X1\",\"a\",\"b\"\r\n\"X2\",\"c\",\"d\"\r\n");
  std::FILE* in = std::fopen("in.txt", "rb");
  ASSERT_NE(in, nullptr);
  StrmSetHandle(0, in);
  const Status s = Run(fx::kClientes, "stdin", 53);
  StrmSetHandle(0, stdin);
  std::fclose(in);
  EXPECT_EQ(s, kOk);
  EXPECT_EQ(Customers(), (V{"X1|a|b", "X2|c|d"}));
}

TEST_F(TransLoopTest, RulesAreSwitchedOffOnlyWhenTriggerAsksAndComeBack) {
  AddCustomers();
  struct Case {
    const char* trigger;
    const char* wrexp;
    Status status;
    int16_t seen;  // _UPSTAT bit 1 during the run
  };
  const Case cases[] = {
      {"", "_USER01=_UPSTAT", kOk, 0},
      {"ENABLE", "_USER01=_UPSTAT", kOk, 1},
      {"DISABLE", "_USER01=_UPSTAT", kOk, 0},
      {"", "_USER01=_UPSTAT;CODE{9}=1", kStFirstWarning, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.trigger) + " " + c.wrexp);
    SysVarSet(kVarUpStat, 1);
    SysVarSet(kVarUser01, -1);
    Status s = Run(fx::kClientes, "", 3, {{kTpTrigger, c.trigger}, {kTpWrExp, c.wrexp}});
    if (c.status == kOk) EXPECT_EQ(s, kOk);
    else EXPECT_GE(s, kStFirstWarning);
    EXPECT_EQ(SysVarGet(kVarUser01) & 1, c.seen);
    EXPECT_EQ(SysVarBits(kVarUpStat) & 1, 1);
  }
}

TEST_F(TransLoopTest, CountingReportsTheMatchesInTheMessage) {
  Open(fx::kMovs);
  for (int i = 1; i <= 12; ++i) ASSERT_EQ(AddMov("C", std::to_string(i), "1"), kOk);
  ASSERT_EQ(AddMov("D", "1", "1"), kOk);
  DataFileClose(fx::kMovs);
  EXPECT_EQ(Run(fx::kMovs, "", kTransIndexChk, {{kTpCond, "FN$TRIM(CODE{})=='C'"}}), kStDetailText);
  EXPECT_EQ(S(ErrIncidentText()), "Contados 12 registros en movs");
}

TEST_F(TransLoopTest, ParametersNamedAfterTheTransactionComeFirst) {
  AddCustomers();
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("COND$:=\"FN$TRIM(CODE{})=='ANA'\":out.txt.COND$:=\"FN$TRIM(CODE{})=='BETO'\":"
                                               "STRUCT$:=\"CODE{}\":DELIMITED:=1")),
            kOk);
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  EXPECT_EQ(TransRun("out.txt", 0, kTransExternFile | kTransStream | kTransBatch, nullptr, nullptr), kOk);
  EXPECT_EQ(Get("out.txt"), "\"BETO\"\r\n");
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  EXPECT_EQ(TransRun("other.txt", 0, kTransExternFile | kTransStream | kTransBatch, nullptr, nullptr), kOk);
  EXPECT_EQ(Get("other.txt"), "\"ANA\"\r\n");
  DynStrPop(sl::kModuleParms);
  // The block is emptied after a run.
  EXPECT_EQ(TransParm(kTpStruct), "");
}

TEST_F(TransLoopTest, TheSecondPassGoesToTheApplicationHookWhenInstalled) {
  static int calls = 0;
  calls = 0;
  HookSetFn(HookMergeFn([](uint32_t, uint32_t, uint32_t, uint16_t) -> Status {
              ++calls;
              return kOk;
            }),
            kHookTransMerge);
  Put("in.txt", "\"X1\",\"a\",\"b\"\r\n");
  EXPECT_EQ(Run(fx::kClientes, "in.txt", 53), kOk);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Customers(), V{});
}

TEST_F(TransLoopTest, ExportAndImportStatementsRunFromProcedures) {
  ExecRegisterHandlers();
  DataInstallRecordStatements();
  DataInstallTransStatements();
  AddCustomers();
  ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf("FILE:=1:STRUCT$:=\"\"")), kOk);
  Put("s.prx", "EXPORT 'c.csv',48,0\n");
  ASSERT_EQ(ExecRunMenuProc(StrOf("s.prx"), nullptr), kOk);
  ExpectGolden("c.csv", "clientes.csv");
  Empty(fx::kClientes);
  Put("s.prx", "IMPORT 'c.csv',48,0\n");
  ASSERT_EQ(ExecRunMenuProc(StrOf("s.prx"), nullptr), kOk);
  EXPECT_EQ(SysVarGet(kVarStat), 0);
  EXPECT_EQ(Customers().size(), 3u);
  // Nothing to import: 127 goes to _STAT and the procedure goes on.
  Put("empty.csv", "");
  Put("s.prx", "IMPORT 'empty.csv',48,0\n_USER02=7\n");
  ASSERT_EQ(ExecRunMenuProc(StrOf("s.prx"), nullptr), kOk);
  EXPECT_EQ(SysVarGet(kVarStat), kStNoData);
  EXPECT_EQ(SysVarGet(kVarUser02), 7);
  DynStrPop(sl::kModuleParms);
}

}  // namespace
}  // namespace eng::test
