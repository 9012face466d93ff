#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace plat {

ChildResult ChildRunPiped(const std::vector<std::string>& argv, const ChildSink& sink) {
  ChildResult result;
  if (argv.empty()) return result;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    return result;
  }
  result.started = true;

  char buf[1024];
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    int r = ::poll(&p, 1, 1000);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) break;
    if (r == 0) continue;
    ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (sink) {
      int answer = sink(buf, static_cast<size_t>(n));
      if (answer != 0) {
        result.stopped = answer;
        break;
      }
    }
  }
  ::close(fds[0]);

  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(wstatus)) result.exit_code = WEXITSTATUS(wstatus);
  else if (WIFSIGNALED(wstatus)) result.exit_code = 128 + WTERMSIG(wstatus);
  return result;
}

}  // namespace plat
