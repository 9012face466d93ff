// Child programs run with their output read through a pipe: the program is
// started with its standard input from /dev/null and its standard output and
// error on one pipe, and the caller's thread reads that pipe (sleeping in
// poll while nothing arrives) until the child closes it, then collects the
// child's exit.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plat {

struct ChildResult {
  bool started = false;  // false: the program could not be started
  int exit_code = -1;    // the exit code; 128 + signal number for a child killed by a signal
  int stopped = 0;       // the sink's non-zero answer that stopped the reading
};

// argv[0] is the program's path (no search along PATH). The sink gets each
// chunk of output (at most 1024 bytes); its non-zero answer stops the reading
// (the pipe is closed, the child still collected).
using ChildSink = std::function<int(const char* bytes, size_t n)>;
ChildResult ChildRunPiped(const std::vector<std::string>& argv, const ChildSink& sink);

}  // namespace plat
