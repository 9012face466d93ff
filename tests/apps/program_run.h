// Runs a built program as a child process in a folder, without a terminal
// (standard input /dev/null), and waits for it to end; or starts it and
// waits later, so that a test can act while it runs.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/child_process.h"

namespace eng::test {

struct RunResult {
  int exit_code = -1;
  std::string out;  // standard output
  std::string err;  // standard error: the message boxes, as UTF-8
};

// A shell command line's standard output and error (one minute at most);
// its exit code in *code.
inline std::string Shell(const std::string& line, int* code = nullptr) {
  std::string out;
  plat::ChildResult r = plat::ChildRunPiped({"/bin/sh", "-c", line}, [&](const char* b, size_t n) {
    out.append(b, n);
    return 0;
  }, 60000);
  if (code) *code = r.exit_code;
  return out;
}

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A program started in a folder; its standard output and error go to files
// beside the folder, named after `tag`, so that two runs can share a folder.
struct Child {
  pid_t pid = -1;
  std::filesystem::path out_file;
  std::filesystem::path err_file;
};

inline Child StartProgram(const std::string& exe, const std::filesystem::path& folder,
                          const std::vector<std::string>& args, const std::string& tag = "run") {
  Child c;
  c.out_file = folder / ".." / (tag + "-stdout.txt");
  c.err_file = folder / ".." / (tag + "-stderr.txt");
  c.pid = ::fork();
  if (c.pid == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(250);
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open(c.out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(c.err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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
  return c;
}

inline RunResult WaitProgram(const Child& c) {
  RunResult r;
  int status = 0;
  if (c.pid > 0 && ::waitpid(c.pid, &status, 0) == c.pid && WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
  r.out = ReadFile(c.out_file);
  r.err = ReadFile(c.err_file);
  return r;
}

// Runs the program in `folder` with the arguments; waits for it to end.
inline RunResult RunProgram(const std::string& exe, const std::filesystem::path& folder,
                            const std::vector<std::string>& args, const std::string& tag = "run") {
  return WaitProgram(StartProgram(exe, folder, args, tag));
}

}  // namespace eng::test
