#include "output/child_programs.h"

#include <unistd.h>

#include "core/err_register.h"
#include "core/str_pair.h"
#include "output/device.h"
#include "output/output_state.h"
#include "platform/child_process.h"

namespace eng {

namespace {

bool Runnable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

std::string FindOnPath(const std::string& program) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return Runnable(program) ? program : std::string();
  const char* path = ::getenv("PATH");
  std::string_view dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    size_t end = dirs.find(':', start);
    std::string dir(dirs.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (!dir.empty() && Runnable(dir + "/" + program)) return dir + "/" + program;
    if (end == std::string_view::npos) return {};
    start = end + 1;
  }
}

}  // namespace

std::string ChildViewerPath(uint16_t n) {
  if (n < 1 || n > 5) return {};
  const OutputConfig& c = Out().config;
  return FindOnPath(c.viewers[n].empty() ? c.viewer_default : c.viewers[n]);
}

Status ChildViewFile(uint16_t n, std::string_view file) {
  std::string program = ChildViewerPath(n);
  if (program.empty()) return kStLowFailure;
  if (file.size() >= 2 && file.front() == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
  return ChildStart({program, std::string(file)});
}

Status ChildStart(const std::vector<std::string>& argv) {
  DeviceFlushAll();  // the child may read what a report is writing
  return plat::ChildStartDetached(argv) ? kOk : kStLowFailure;
}

Status ChildRunPiped(std::string_view command, const ChildOutSink& sink) {
  std::vector<std::string> argv = {"/bin/sh", "-c", std::string(command)};
  DeviceFlushAll();  // the child may read what a report is writing
  plat::ChildResult r = plat::ChildRunPiped(
      argv,
      [&](const char* bytes, size_t n) -> int { return sink ? sink(std::string_view(bytes, n)) : 0; },
      Out().config.child_limit_ms);
  if (!r.started) return ErrIncident(kStFileNotFound, StrOf(command), true);
  if (r.stopped) return static_cast<Status>(r.stopped);
  if (r.timed_out) return ErrIncident(kStDeviceTimeout, StrOf(command), true);
  return kOk;
}

Status ChildRunCapture(std::string_view command, std::string& text) {
  text.clear();
  return ChildRunPiped(command, [&](std::string_view chunk) -> Status {
    if (text.size() + chunk.size() > kMaxText) return kStStringTooLong;
    text.append(chunk);
    return kOk;
  });
}

}  // namespace eng
