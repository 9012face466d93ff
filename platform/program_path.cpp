#include "platform/program_path.h"

#include <unistd.h>

#include <climits>

namespace plat {

std::string ProgramExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return std::string();
  return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace plat
