// A program run inside a private tmux server on an 80 x 25 pane: keys and
// mouse reports go in with send-keys, the pane is captured and polled for a
// text with a deadline (never a fixed long sleep). Start answers false when
// tmux cannot start, so that a test can skip.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace eng::test {

inline std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The first line of a file a pane's command writes when it ends (its exit
// code), once the line is complete; empty when it does not come in time.
inline std::string WaitFirstLine(const std::filesystem::path& path, int ms = 8000) {
  for (int waited = 0; waited <= ms; waited += 50) {
    std::ifstream f(path);
    std::string line;
    if (std::getline(f, line) && !f.eof()) return line;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return {};
}

class TmuxPane {
 public:
  explicit TmuxPane(std::string name) : socket_(std::move(name) + "-" + std::to_string(getpid())) {}
  ~TmuxPane() {
    if (started_) Tmux("kill-server");
  }

  // Starts the shell command in the pane (in the folder given); false with
  // tmux's answer when it cannot start.
  bool Start(const std::string& folder, const std::string& command, std::string& error) {
    int status = 0;
    const std::string shell = "cd " + ShellQuote(folder) + " && env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=xterm-256color " +
                              command;
    error = Tmux("-f /dev/null new-session -d -s run -x 80 -y 25 " + ShellQuote(shell), &status);
    started_ = status == 0;
    return started_;
  }

  // Starts the program in `work`, its standard error and exit code written
  // to stderr.txt and exit.txt in the folder above.
  bool StartLogged(const std::filesystem::path& work, const std::string& exe, std::string& error) {
    return Start(work.string(), ShellQuote(exe) + " 2>../stderr.txt; echo $? >../exit.txt", error);
  }

  std::string Pane() { return Tmux("capture-pane -p -t run"); }

  // Waits until the pane shows the text (true) or the deadline passes.
  bool WaitFor(const std::string& text, int ms = 8000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      if (Pane().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // Waits until the pane no longer shows the text.
  bool WaitGone(const std::string& text, int ms = 8000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      if (Pane().find(text) == std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  void Keys(const std::string& keys) { Tmux("send-keys -t run " + keys); }
  void Literal(const std::string& text) { Tmux("send-keys -t run -l " + ShellQuote(text)); }
  // A left click on a cell (0-based column and row), as an SGR mouse report.
  void Click(int col, int row) {
    const std::string at = std::to_string(col + 1) + ";" + std::to_string(row + 1);
    Literal("\x1b[<0;" + at + "M\x1b[<0;" + at + "m");
  }

  // Runs a tmux command on the private server (bounded by timeout); its
  // output. The pane is the target "run".
  std::string Tmux(const std::string& args, int* status = nullptr) {
    std::string cmd = "timeout 10 tmux -L " + socket_ + " " + args + " 2>&1";
    std::string out;
    if (std::FILE* p = popen(cmd.c_str(), "r")) {
      char buf[4096];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      int rc = pclose(p);
      if (status) *status = rc;
    } else if (status) {
      *status = -1;
    }
    return out;
  }

 private:
  std::string socket_;
  bool started_ = false;
};

// The pane shows the text before the deadline; the failure carries the pane.
inline ::testing::AssertionResult Shows(TmuxPane& pane, const std::string& text) {
  if (pane.WaitFor(text)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << text << "\" did not show:\n" << pane.Pane();
}
// The pane no longer shows the text before the deadline.
inline ::testing::AssertionResult Gone(TmuxPane& pane, const std::string& text) {
  if (pane.WaitGone(text)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << text << "\" stayed:\n" << pane.Pane();
}
// The pane's row that first shows the text (empty when none does).
inline std::string RowWith(TmuxPane& pane, const std::string& text) {
  std::istringstream rows(pane.Pane());
  std::string row;
  while (std::getline(rows, row))
    if (row.find(text) != std::string::npos) return row;
  return {};
}

}  // namespace eng::test
