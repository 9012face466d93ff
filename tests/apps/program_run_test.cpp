// The built programs run as child processes on copies of their sample
// applications, without a terminal (standard input /dev/null), as `make run`
// starts them: the RUN option's procedure runs, the session state file is
// left closed and the exit code is the run's status.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "apps/pelmora/pelmora_head.h"
#include "core/cp1252.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "data/app_start.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"
#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

class ProgramRunTest : public TempFolderTest {};

const std::string kRunDemo = "/RUN:'PrcExec demo.prx'";

TEST_F(ProgramRunTest, PelmoraRunsItsDemoProcedure) {
  fs::path work = CopySample("Pelmora", dir_);
  RunResult r = RunProgram(PELMORA_EXE, work, {kRunDemo});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "") << "nothing to ask, nothing failed";
  std::string demo = ReadFile(work / "DEMO.TXT");
  EXPECT_EQ(demo.substr(0, 24), std::string(Cp1252("CUADRO DE AMORTIZACIÓN\r\n").view()));
  EXPECT_NE(demo.find("31-12-2028   2,000.00  10,000.00   2,000.00\r\n"), std::string::npos) << demo;
  // The chart of accounts the called procedure built, listed in key order.
  std::string chart = ReadFile(work / "CUENTAS.TXT");
  EXPECT_NE(chart.find("43000001 Clientes nacionales"), std::string::npos) << chart;
  EXPECT_NE(chart.find("107.00     43.00     64.00\r\n57200001"), std::string::npos) << chart;
  EXPECT_EQ(chart.find("62900000"), std::string::npos) << "deleted";
  EXPECT_EQ(ReadFile(work / "PLFSTAT.DAT"), "0") << "the session is closed";
}

// The records the sample procedure added, rewrote and deleted, read back
// from the data files by a fresh start of the program's head in-process.
TEST_F(ProgramRunTest, PelmoraDemoLeavesItsRecordsInTheDataFiles) {
  fs::path work = CopySample("Pelmora", dir_);
  ASSERT_EQ(RunProgram(PELMORA_EXE, work, {kRunDemo}).exit_code, 0);

  plat::HeadlessMsgBox box;
  MsgBoxSetService(&box);
  CoreRuntimeReset();
  MemSetLimits(apphead::kArenaKb, 0xFFFF);
  fs::current_path(work);
  AppFunctionsSet(pelmora::Head().functions);
  std::string program = (dir_ / "program").string();
  const char* argv[] = {program.c_str()};
  ASSERT_EQ(AppStartArgv(nullptr, 1, argv, StrFromC(pelmora::kIdentity), StrFromC(pelmora::kTitle),
                         apphead::kStartFlags, pelmora::Head().phase),
            kOk);
  auto eval = [](const char* text) {
    ScratchScope scope;
    return ExpEvalStr(StrFromC(text)).str();
  };
  EXPECT_EQ(eval("FILESEL('diario,cuentas')"), "");
  EXPECT_EQ(eval("FN#FLEN('cuentas')"), "6") << "seven added, one deleted";
  EXPECT_EQ(eval("FN#FLEN('diario')"), "14") << "two lines for each of seven entries";
  EXPECT_EQ(eval("FILEFIND('62900000';cuentas;1)"), "1") << "deleted";
  ASSERT_EQ(eval("FILEFIND('43000001';cuentas;1)"), "");
  EXPECT_EQ(eval("FN$TRIM(NOMBRE{8})"), "Clientes nacionales") << "rewritten";
  EXPECT_EQ(eval("DEBE_ACTUAL{8}"), "107");
  EXPECT_EQ(eval("HABER_ACTUAL{8}"), "43");
  ASSERT_EQ(eval("FILEFIND('57200001';cuentas;1)"), "");
  EXPECT_EQ(eval("DEBE_ACTUAL{8}-HABER_ACTUAL{8}"), "1023");
  // The journal in key order: date, entry, line.
  ASSERT_EQ(eval("FILELOCATE('TOP';diario)"), "");
  EXPECT_EQ(eval("FECHA{9}+'/'+CTA_DEBE{9}+'/'+CTA_HABER{9}"), "20240102/57200001/        ");
  ASSERT_EQ(eval("FILELOCATE('BOT';diario)"), "");
  EXPECT_EQ(eval("FECHA{9}+'/'+CTA_HABER{9}+'/'+FN$TRIM(CONCEPTO{9})"), "20240525/43000001/Cobro");
  EXPECT_EQ(eval("IMPORTE{9}"), "3");
  EXPECT_EQ(SessionStateCheck(0), kOk);
  EXPECT_EQ(AppShutdown(pelmora::Head().phase, kOk), kOk);
  MsgBoxSetService(nullptr);
  EXPECT_TRUE(box.log().empty());
}

TEST_F(ProgramRunTest, TruvescaRunsItsDemoProcedure) {
  fs::path work = CopySample("Truvesca", dir_);
  RunResult r = RunProgram(TRUVESCA_EXE, work, {kRunDemo});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::string demo = ReadFile(work / "DEMO.TXT");
  EXPECT_NE(demo.find("Total factura        100.01\r\n"), std::string::npos) << demo;
  EXPECT_NE(demo.find("4  15-05-2024       25.01\r\n"), std::string::npos) << demo;
  // The delivery notes the called procedure added, each with its customer
  // found by key; the rewritten name; the deleted customer's note gone.
  std::string notes = ReadFile(work / "ALBARANES.TXT");
  EXPECT_NE(notes.find("     3  15-01-2024  Distribuciones del Norte"), std::string::npos) << notes;
  EXPECT_NE(notes.find(std::string(Cp1252("     4  20-01-2024  Ferretería Central, S.A.").view())), std::string::npos)
      << notes;
  EXPECT_EQ(notes.find("     5  "), std::string::npos) << notes;
  EXPECT_NE(notes.find("Total bases    242.65\r\n"), std::string::npos) << notes;
  EXPECT_EQ(ReadFile(work / "TRFSTAT.DAT"), "0") << "the session is closed";
}

TEST_F(ProgramRunTest, TheInputFilesCommandsRunInOrderBeforeTheRunOption) {
  fs::path work = CopySample("Truvesca", dir_);
  auto put = [&](const std::string& name, const std::string& text) {
    std::ofstream(work / name, std::ios::binary) << text;
  };
  put("uno.prx", "MESSAGE 'primero'\r\n");
  put("dos.prx", "MESSAGE 'segundo'\r\n");
  put("tres.prx", "MESSAGE 'tercero'\r\n");
  put("ordenes.txt", "PrcExec uno.prx\r\n\r\nPrcExec dos.prx\r\n");
  RunResult r = RunProgram(TRUVESCA_EXE, work, {"/INPUT:ordenes.txt", "/RUN:'PrcExec tres.prx'"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  size_t first = r.err.find("primero"), second = r.err.find("segundo"), third = r.err.find("tercero");
  ASSERT_NE(third, std::string::npos) << r.err;
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_EQ(ReadFile(work / "TRFSTAT.DAT"), "0");
}

TEST_F(ProgramRunTest, ACommandAfterTheStateFileWasWrittenByOthersIsRefused) {
  fs::path work = CopySample("Pelmora", dir_);
  auto put = [&](const std::string& name, const std::string& text) {
    std::ofstream(work / name, std::ios::binary) << text;
  };
  // The first command writes the state file as another program would (a
  // second later: the file's time stamp counts whole seconds); the second
  // must not run.
  put("toca.prx", "WAIT 1100\r\nWRITE('PLFSTAT.DAT';-3;'1')\r\n");
  put("ordenes.txt", "PrcExec toca.prx\r\nPrcExec demo.prx\r\n");
  RunResult r = RunProgram(PELMORA_EXE, work, {"/INPUT:ordenes.txt"});
  EXPECT_EQ(r.exit_code, 139) << r.err;
  EXPECT_NE(r.err.find("[message box]"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(work / "DEMO.TXT")) << "the second command did not run";
}

TEST_F(ProgramRunTest, AnInterruptedSessionIsNotRecoveredWithoutAnAnswer) {
  fs::path work = CopySample("Pelmora", dir_);
  {
    std::ofstream(work / "PLFSTAT.DAT", std::ios::binary) << "1";
  }
  // Without a terminal question 0115 takes its safe answer, No: the start
  // ends with 122 and the state file still tells of the interrupted session.
  RunResult r = RunProgram(PELMORA_EXE, work, {kRunDemo});
  EXPECT_EQ(r.exit_code, 122) << r.err;
  EXPECT_NE(r.err.find("Ultima sesion interrumpida"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(work / "DEMO.TXT")) << "the procedure did not run";
  EXPECT_EQ(ReadFile(work / "PLFSTAT.DAT"), "1");
}

TEST_F(ProgramRunTest, FailuresBecomeTheExitCode) {
  struct Case {
    const char* what;
    std::string exe;
    std::string program;
    std::string remove;  // a sample file taken away
    std::string run;
    int exit_code;
  };
  const Case cases[] = {
      {"missing dictionary", PELMORA_EXE, "Pelmora", "apps/PLDICC.DAT", kRunDemo, 164},
      {"missing required configuration", TRUVESCA_EXE, "Truvesca", "apps/TRCLCFIX.DAT", kRunDemo, 164},
      {"missing procedure", PELMORA_EXE, "Pelmora", "apps/demo.prx", kRunDemo, 164},
      {"pelmora's navigation window is not there", PELMORA_EXE, "Pelmora", "", "/RUN:'LnNavMain DIARIO'", 163},
      {"truvesca leaves LnNavMain to the engine", TRUVESCA_EXE, "Truvesca", "", "/RUN:'LnNavMain X'", 163},
      {"pelmora's LnManMain does nothing", PELMORA_EXE, "Pelmora", "", "/RUN:'LnManMain X'", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path root = dir_ / "case";
    fs::remove_all(root);
    fs::path work = CopySample(c.program, root);
    if (!c.remove.empty()) {
      ASSERT_TRUE(fs::remove(work / ".." / c.remove));
    }
    RunResult r = RunProgram(c.exe, work, {c.run});
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    if (c.exit_code > 121) {
      EXPECT_NE(r.err.find("[message box]"), std::string::npos) << "shown first";
    }
    // A start that failed opened no session; a run that failed closed it.
    std::string prefix = c.program == "Pelmora" ? "PL" : "TR";
    if (fs::exists(work / (prefix + "FSTAT.DAT"))) {
      EXPECT_EQ(ReadFile(work / (prefix + "FSTAT.DAT")), "0");
    }
  }
}

}  // namespace
}  // namespace eng::test
