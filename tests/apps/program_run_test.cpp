// The built programs run as child processes on copies of their sample
// applications, without a terminal (standard input /dev/null), as `make run`
// starts them: the RUN option's procedure runs, the session state file is
// left closed and the exit code is the run's status.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
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

// Writes a file of the test into the work folder.
void PutIn(const fs::path& work, const std::string& name, const std::string& text) {
  std::ofstream(work / name, std::ios::binary) << text;
}

// Waits until a running program has written the file; false when it ended
// first, or after a bound that only a hung program reaches.
bool WaitForFile(pid_t pid, const fs::path& file) {
  for (int round = 0; round < 3000; ++round) {
    if (fs::exists(file)) return true;
    if (::waitpid(pid, nullptr, WNOHANG) != 0) return false;
    ::usleep(10000);
  }
  return false;
}

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

// The statistics step of the demo: the journal accumulated by account and
// month (hand-computed from the journal of cuentas.prx); then a backup, a
// change, and a restore of the journal through the Copy commands, and a
// reorganisation through Reorg.
TEST_F(ProgramRunTest, PelmoraListsPeriodBalancesAndMaintainsItsFiles) {
  fs::path work = CopySample("Pelmora", dir_);
  ASSERT_EQ(RunProgram(PELMORA_EXE, work, {kRunDemo}).exit_code, 0);
  std::string saldos = ReadFile(work / "SALDOS.TXT");
  for (const char* line : {"43000001 20240301     67.00               67.00\r\n",
                           "43000001 20240501     40.00      3.00     37.00\r\n",
                           "57200001 20240101  1,000.00     20.00    980.00\r\n",
                           "70000000 20240301               67.00    -67.00\r\n"})
    EXPECT_NE(saldos.find(line), std::string::npos) << line << saldos;
  EXPECT_FALSE(fs::exists(work / "acumulados.FD") && fs::file_size(work / "acumulados.FD") > 0)
      << "the accumulation was temporary";

  const std::string journal = ReadFile(work / "diario.FD"), index = ReadFile(work / "diario.DIR");
  RunResult r = RunProgram(PELMORA_EXE, work, {"/RUN:'Copy 0'"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadFile(work / "Backups" / "diario.FD"), journal);
  ASSERT_EQ(RunProgram(PELMORA_EXE, work, {"/RUN:'Reorg cuentas'"}).exit_code, 0);
  EXPECT_EQ(fs::file_size(work / "cuentas.FD"), 6u * 76) << "six accounts live, the deleted one dropped";
  std::ofstream(work / "diario.FD", std::ios::binary | std::ios::app) << std::string(94, 'x');
  r = RunProgram(PELMORA_EXE, work, {"/RUN:'Copy 1,Backups/diario.FD'"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadFile(work / "diario.FD"), journal);
  EXPECT_EQ(ReadFile(work / "diario.DIR"), index);
  r = RunProgram(PELMORA_EXE, work, {"/RUN:'Copy 1,Backups/nada.FD'"});
  EXPECT_EQ(r.exit_code, kStDataError) << "not a dictionary file";
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
  PutIn(work, "uno.prx", "MESSAGE 'primero'\r\n");
  PutIn(work, "dos.prx", "MESSAGE 'segundo'\r\n");
  PutIn(work, "tres.prx", "MESSAGE 'tercero'\r\n");
  PutIn(work, "ordenes.txt", "PrcExec uno.prx\r\n\r\nPrcExec dos.prx\r\n");
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
  // The first command writes the state file as another program would (a
  // second later: the file's time stamp counts whole seconds); the second
  // must not run.
  PutIn(work, "toca.prx", "WAIT 1100\r\nWRITE('PLFSTAT.DAT';-3;'1')\r\n");
  PutIn(work, "ordenes.txt", "PrcExec toca.prx\r\nPrcExec demo.prx\r\n");
  RunResult r = RunProgram(PELMORA_EXE, work, {"/INPUT:ordenes.txt"});
  EXPECT_EQ(r.exit_code, 139) << r.err;
  EXPECT_EQ(r.err.find("pelmora: Error de Red"), 0u) << r.err;
  EXPECT_FALSE(fs::exists(work / "DEMO.TXT")) << "the second command did not run";
}

// A run killed while its data file is open leaves the session marked open,
// the file's lock marker behind and (as a kill in the middle of a key write
// may) an index that does not match the records. The next run, without a
// terminal, answers the recovery question yes, rebuilds the indexes from the
// records, and finds every record by its key.
TEST_F(ProgramRunTest, AKilledRunIsRecoveredByTheNextBatchRun) {
  fs::path work = CopySample("Pelmora", dir_);
  PutIn(work, "altas.prx",
      "FILESEL('cuentas;2')\r\n"
      "L$='10000000;Capital social|43000001;Clientes|57200001;Bancos'\r\n"
      "N=0\r\n"
      "DO_WHILE N<3\r\n"
      "N=N+1\r\n"
      "A$=FN$PARM(L$;N;124)\r\n"
      "FILELOCATE('NEW';cuentas)\r\n"
      "CODIGO{8}=FN$PARM(A$;1;59)\r\n"
      "NOMBRE{8}=FN$PARM(A$;2;59)\r\n"
      "RC_INSERT 'cuentas'\r\n"
      "LOOP\r\n"
      "WRITE('listo.txt';-3;'1')\r\n"
      "N=0\r\n"
      "DO_WHILE N<3000\r\n"
      "WAIT 10\r\n"
      "N=N+1\r\n"
      "LOOP\r\n");
  PutIn(work, "lista.prx",
      "FILESEL('cuentas;2')\r\n"
      "R$=FN$CHRS(FN#FLEN('cuentas')+48)\r\n"
      "S=FILELOCATE('TOP';cuentas)\r\n"
      "DO_WHILE S==0\r\n"
      "C$=CODIGO{8}\r\n"
      "R$=R$+'|'+C$+'='+FN$CHRS(FILEFIND(C$;cuentas;1)+48)\r\n"
      "S=FILELOCATE('NXT';cuentas)\r\n"
      "LOOP\r\n"
      "WRITE('LISTA.TXT';-3;R$)\r\n"
      "FILESEL('RESTORE')\r\n");
  Child killed = StartProgram(PELMORA_EXE, work, {"/RUN:'PrcExec altas.prx'"}, "killed");
  ASSERT_TRUE(WaitForFile(killed.pid, work / "listo.txt")) << ReadFile(killed.err_file);
  ASSERT_EQ(::kill(killed.pid, SIGKILL), 0);
  ASSERT_EQ(::waitpid(killed.pid, nullptr, 0), killed.pid);
  ASSERT_EQ(ReadFile(work / "PLFSTAT.DAT"), "1");
  // The index loses its last entries, as an unfinished key write leaves it.
  fs::path index;
  for (const auto& e : fs::directory_iterator(work))
    if (LowerName(e.path().filename().string()) == "cuentas.dir") index = e.path();
  ASSERT_FALSE(index.empty());
  fs::resize_file(index, fs::file_size(index) / 2);

  RunResult r = RunProgram(PELMORA_EXE, work, {"/RUN:'PrcExec lista.prx'"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("pelmora: Ultima sesion interrumpida. Recuperacion de datos -> Yes\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Proceso Completado Satisfactoriamente"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(work / "LISTA.TXT"), "3|10000000=0|43000001=0|57200001=0") << r.err;
  EXPECT_EQ(ReadFile(work / "PLFSTAT.DAT"), "0");
  // The folder is healthy again: the next run asks nothing.
  RunResult again = RunProgram(PELMORA_EXE, work, {"/RUN:'PrcExec lista.prx'"});
  EXPECT_EQ(again.exit_code, 0) << again.err;
  EXPECT_EQ(again.err, "");
}

// While a program runs in a folder, a second one started there is refused at
// once with its own message, asks nothing, writes nothing; the first goes on
// and ends normally.
TEST_F(ProgramRunTest, ASecondProgramInTheSameFolderIsRefused) {
  fs::path work = CopySample("Pelmora", dir_);
  PutIn(work, "espera.prx",
      "WRITE('listo.txt';-3;'1')\r\n"
      "N=0\r\n"
      "DO_WHILE N<3000\r\n"
      "N=N+1\r\n"
      "IF READ$('sigue.txt';0;1)=='1'\r\n"
      "N=3000\r\n"
      "ENDIF\r\n"
      "WAIT 10\r\n"
      "LOOP\r\n"
      "CALL CUENTAS,cuentas.prx\r\n");
  Child first = StartProgram(PELMORA_EXE, work, {"/RUN:'PrcExec espera.prx'"}, "first");
  ASSERT_TRUE(WaitForFile(first.pid, work / "listo.txt")) << ReadFile(first.err_file);

  RunResult second = RunProgram(PELMORA_EXE, work, {kRunDemo}, "second");
  EXPECT_EQ(second.exit_code, 139) << second.err;
  EXPECT_EQ(second.err, "pelmora: Error de Red: another session of this application is running in this folder\n");
  EXPECT_FALSE(fs::exists(work / "DEMO.TXT")) << "the second program ran nothing";
  EXPECT_EQ(ReadFile(work / "PLFSTAT.DAT"), "1") << "the first session is still open";

  std::ofstream(work / "sigue.txt", std::ios::binary) << "1";
  RunResult r = WaitProgram(first);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "") << "the second program's start did not disturb the first";
  EXPECT_NE(ReadFile(work / "CUENTAS.TXT").find("43000001 Clientes nacionales"), std::string::npos);
  EXPECT_EQ(ReadFile(work / "PLFSTAT.DAT"), "0");
}

// The sample's procedure adds its accounts again on a second run: the first
// RC_INSERT of an existing key adds the record beside the old one (the file
// allows it) and answers 6, which stops the procedure. The stop names the
// status and the statements (the one that stopped and the CALL above it),
// and the exit code is not that of a success.
TEST_F(ProgramRunTest, ADuplicateInsertStopsTheRunWithAMessageThatSaysWhere) {
  fs::path work = CopySample("Pelmora", dir_);
  ASSERT_EQ(RunProgram(PELMORA_EXE, work, {kRunDemo}).exit_code, 0);
  RunResult r = RunProgram(PELMORA_EXE, work, {kRunDemo});
  EXPECT_EQ(r.exit_code, 6) << r.err;
  // Standard error is UTF-8, as this source is.
  EXPECT_EQ(r.err,
            "pelmora: Precaución: Clave Repetida (6): Line: 12 (+ remmarks):\n"
            "  RC_INSERT 'cuentas'\n"
            "  Line: 19 (+ remmarks):\n"
            "  CALL CUENTAS,cuentas.prx\n");
  EXPECT_EQ(ReadFile(work / "PLFSTAT.DAT"), "0") << "the session is closed";
}

TEST_F(ProgramRunTest, AnInputFileThatCannotBeOpenedStopsTheRun) {
  fs::path work = CopySample("Truvesca", dir_);
  RunResult r = RunProgram(TRUVESCA_EXE, work, {"/INPUT:nothere.txt", kRunDemo});
  EXPECT_EQ(r.exit_code, 164) << r.err;
  EXPECT_EQ(r.err, "truvesca: Error Fichero no encontrado(Streams): NOTHERE.TXT\n");
  EXPECT_FALSE(fs::exists(work / "DEMO.TXT")) << "no command ran";
  EXPECT_EQ(ReadFile(work / "TRFSTAT.DAT"), "0");
}

// The usage comes before anything starts: no session, no definition files
// needed.
TEST_F(ProgramRunTest, HelpOptionPrintsTheUsage) {
  fs::path empty = dir_ / "vacio";
  fs::create_directories(empty);
  for (const char* option : {"/?", "/HELP", "-?", "--help"}) {
    for (auto [exe, name] : {std::pair{PELMORA_EXE, "pelmora"}, std::pair{TRUVESCA_EXE, "truvesca"}}) {
      SCOPED_TRACE(std::string(name) + " " + option);
      RunResult r = RunProgram(exe, empty, {option});
      EXPECT_EQ(r.exit_code, 0) << r.err;
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(r.out.find(std::string("Usage: ") + name + " [options]\n"), 0u) << r.out;
      for (const char* part : {"/RUN:command", "/INPUT:file", "/OUTPUT:file", "/DPATH:folder", "/APNAME:code",
                               "/TRACE:n", "--help", "Exit codes:", "128-254", "255"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
      EXPECT_TRUE(fs::is_empty(empty)) << "nothing started";
    }
  }
  RunResult p = RunProgram(PELMORA_EXE, empty, {"/?"});
  EXPECT_NE(p.out.find("PLFSTAT.DAT"), std::string::npos);
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
      {"pelmora's navigation window needs a window system", PELMORA_EXE, "Pelmora", "", "/RUN:'LnNavMain DIARIO'",
       179},
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
      EXPECT_EQ(r.err.find(LowerName(c.program) + ": Error "), 0u) << "shown first: " << r.err;
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
