// Runs a built program as a child process in a folder, without a terminal
// (standard input and output /dev/null), and waits for it to end.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace eng::test {

struct RunResult {
  int exit_code = -1;
  std::string err;  // standard error: the message boxes, as UTF-8
};

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the program in `folder` with the arguments; standard error goes to
// "stderr.txt" beside the folder.
inline RunResult RunProgram(const std::string& exe, const std::filesystem::path& folder,
                            const std::vector<std::string>& args) {
  RunResult r;
  std::filesystem::path err_file = folder / ".." / "stderr.txt";
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

}  // namespace eng::test
