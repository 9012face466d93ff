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

#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exit_code = -1;
  std::string err;  // standard error: the message boxes, as UTF-8
};

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the program in `folder` with the arguments; waits for it to end.
RunResult RunProgram(const std::string& exe, const fs::path& folder, const std::vector<std::string>& args) {
  RunResult r;
  fs::path err_file = folder / ".." / "stderr.txt";
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(250);
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open("/dev/null", O_WRONLY);
    int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) ::_exit(251);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(252);
  }
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
  r.err = ReadFile(err_file);
  return r;
}

class ProgramRunTest : public TempFolderTest {};

const std::string kRunDemo = "/RUN:'PrcExec demo.prx'";

TEST_F(ProgramRunTest, PelmoraRunsItsDemoProcedure) {
  fs::path work = CopySample("Pelmora", dir_);
  RunResult r = RunProgram(PELMORA_EXE, work, {kRunDemo});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("CUADRO DE AMORTIZACIÓN"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("31-12-2028   2,000.00  10,000.00   2,000.00"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(work / "PLFSTAT.DAT"), "0") << "the session is closed";
}

TEST_F(ProgramRunTest, TruvescaRunsItsDemoProcedure) {
  fs::path work = CopySample("Truvesca", dir_);
  RunResult r = RunProgram(TRUVESCA_EXE, work, {kRunDemo});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("Total factura        100.01"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("4  15-05-2024       25.01"), std::string::npos) << r.err;
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
  EXPECT_EQ(r.err.find("AMORTIZ"), std::string::npos) << "the procedure did not run";
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
