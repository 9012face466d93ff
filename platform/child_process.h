// Child programs.
//
// Piped: the program is started with its standard input from /dev/null and
// its standard output and error on one pipe, in a process group of its own;
// the caller's thread reads that pipe (sleeping in poll while nothing
// arrives). The reading ends when the child has ended and nothing is left to
// read, even if a program it started in the background still holds the pipe
// open; or when the sink answers non-zero; or when the time limit passes, in
// which case the child's whole process group is killed. The child is always
// collected.
//
// Detached: the program is started in a session of its own with its standard
// streams on /dev/null and is not waited for; an intermediate process is
// collected at once, so no zombie remains.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

struct ChildResult {
  bool started = false;   // false: the program could not be started
  int exit_code = -1;     // the exit code; 128 + signal number for a child killed by a signal
  int stopped = 0;        // the sink's non-zero answer that stopped the reading
  bool timed_out = false; // the time limit passed and the child was killed
};

inline constexpr uint32_t kChildNoLimit = 0;

// argv[0] is the program's path (no search along PATH). The sink gets each
// chunk of output (at most 1024 bytes); its non-zero answer stops the reading
// (the pipe is closed, the child still collected). limit_ms: the time limit
// of the whole run (kChildNoLimit: none).
using ChildSink = std::function<int(const char* bytes, size_t n)>;
ChildResult ChildRunPiped(const std::vector<std::string>& argv, const ChildSink& sink,
                          uint32_t limit_ms = kChildNoLimit);

// Starts argv detached (argv[0] searched along PATH when it holds no "/").
// False when the program cannot be started.
bool ChildStartDetached(const std::vector<std::string>& argv);

}  // namespace plat
