#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace plat {

namespace {

uint64_t NowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return args;
}

int ExitCodeOf(int wstatus) {
  if (WIFEXITED(wstatus)) return WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) return 128 + WTERMSIG(wstatus);
  return -1;
}

}  // namespace

ChildResult ChildRunPiped(const std::vector<std::string>& argv, const ChildSink& sink, uint32_t limit_ms) {
  ChildResult result;
  if (argv.empty()) return result;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);

  std::vector<char*> args = ArgvOf(argv);
  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    return result;
  }
  result.started = true;

  const uint64_t deadline = limit_ms == kChildNoLimit ? UINT64_MAX : NowMs() + limit_ms;
  bool exited = false;
  int wstatus = 0;
  char buf[1024];
  for (;;) {
    if (!exited) {
      pid_t w = ::waitpid(pid, &wstatus, WNOHANG);
      if (w == pid) exited = true;
    }
    uint64_t now = NowMs();
    if (now >= deadline) {
      result.timed_out = true;
      break;
    }
    // While the child runs, sleep until output comes (at most 50 ms, to notice
    // its end); once it has ended, only take what is already there.
    int wait = exited ? 0 : static_cast<int>(deadline - now < 50 ? deadline - now : 50);
    pollfd p{fds[0], POLLIN, 0};
    int r = ::poll(&p, 1, wait);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) break;
    if (r == 0 || !(p.revents & (POLLIN | POLLHUP))) {
      if (exited) break;
      continue;
    }
    ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (exited) break;
      // End of file while the child still runs: it closed its output; wait for its end.
      while (!exited) {
        if (NowMs() >= deadline) {
          result.timed_out = true;
          break;
        }
        if (::waitpid(pid, &wstatus, WNOHANG) == pid) exited = true;
        else ::poll(nullptr, 0, 10);
      }
      break;
    }
    if (sink) {
      int answer = sink(buf, static_cast<size_t>(n));
      if (answer != 0) {
        result.stopped = answer;
        break;
      }
    }
  }
  ::close(fds[0]);
  if (result.timed_out) ::kill(-pid, SIGKILL);
  if (!exited) {
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
  }
  result.exit_code = ExitCodeOf(wstatus);
  return result;
}

bool ChildStartDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  // The report pipe tells the parent whether the program itself started.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  pid_t mid = ::fork();
  if (mid < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (mid == 0) {
    ::close(report[0]);
    ::setsid();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args = ArgvOf(argv);
    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    char ok = rc == 0 ? 1 : 0;
    (void)!::write(report[1], &ok, 1);
    ::_exit(0);
  }
  ::close(report[1]);
  char ok = 0;
  ssize_t n;
  do {
    n = ::read(report[0], &ok, 1);
  } while (n < 0 && errno == EINTR);
  ::close(report[0]);
  int ws = 0;
  while (::waitpid(mid, &ws, 0) < 0 && errno == EINTR) {
  }
  return n == 1 && ok == 1;
}

}  // namespace plat
