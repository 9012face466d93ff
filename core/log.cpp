#include "core/log.h"

#include <string>

#include "core/dyn_strings.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

std::string Two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

StrPair RecordDate() {
  if (LogDateFn fn = Core().log.date_text) return fn();
  // Until the date formatter is installed: day, month and four-digit year.
  LocalTime t = ClockLocalNow();
  return ScratchText(Two(t.day) + "-" + Two(t.month) + "-" + std::to_string(t.year));
}

std::string FailureText(StrPair p) { return "Error #" + std::to_string(StrError(p)); }

}  // namespace

void LogSetDateFormatter(LogDateFn fn) { Core().log.date_text = fn; }

StrPair LogPath() {
  StrPair set = DynStrGet(sl::kWork, sl::kLogPath);
  if (set.ok() && !set.empty()) return ScratchPair(set);
  std::string_view id = DynStrGet(sl::kSettings, sl::kIdentity).view();
  std::string_view first = id.substr(0, id.find(':'));
  std::string name = std::string(first.substr(0, 2)) + kLogNameSuffix;
  if (name.size() > kLogNameMax) name.resize(kLogNameMax);
  return ScratchText(name);
}

Status LogSetPath(StrPair path) {
  if (!path.ok() || path.empty()) return kOk;
  Status s = DynStrSet(sl::kWork, sl::kLogPath, path);
  if (s) return s;
  StrmRemoveFile(path);
  return kOk;
}

int LogAppendLine(StrPair file, StrPair text) {
  if (!file.ok() || file.empty()) return 0;
  std::string line(text.ok() ? text.view() : std::string_view());
  line += "\r\n";
  StrmWriteFileAt(file, kStrmHere, line.data(), line.size());
  return 1;
}

void LogTrace(StrPair text, uint16_t bits) {
  if (!(bits & 0xFF & SysVarBits(kVarTrace))) return;
  ScratchScope scope;
  std::string failure;
  if (!text.ok()) {
    failure = FailureText(text);
    text = StrOf(failure);
  }
  LogAppendLine(LogPath(), text);
}

Status LogRecord(StrPair text, StrPair file) {
  ScratchScope scope;
  StrPair name = (file.ok() && !file.empty()) ? file : LogPath();
  uint16_t s = StrmOpen(name, 0);
  if (s == kStrmNone) return kStFileNotFound;
  std::string head(29, '*');
  head += "\r\n";
  std::string line = " Date:" + RecordDate().str() + " - Time:" + SysTimeFormat(SysTimeOfDayMs(), 1).str() +
                     " - User:0\r\n";
  head += line;
  if (head.size() > kLogHeadMax) head.resize(kLogHeadMax);
  std::string rec = head;
  if (text.ok()) rec.append(text.view());
  rec += "\r\n" + std::string(22, '*') + "\r\n\r\n";
  StrmWrite(s, kStrmHere, rec.data(), rec.size());
  StrmClose(s);
  return kOk;
}

void LogProcTrace(StrPair bytes) {
  if (!SysVarHas(kVarTrace, kTraceProcedure) || !bytes.ok() || bytes.empty()) return;
  StrmWriteFileAt(StrFromC(kProcTraceName), kStrmHere, bytes.ptr, bytes.len);
}

StrPair CmdInputNextLine() {
  uint16_t h = SysVarBits(kVarInHnd);
  if (h == 0) return ScratchText("");
  StrPair line = StrmReadLine(h, kStrmHere, kStrmLine);
  if (!line.ok()) return ScratchText("");
  return line;
}

}  // namespace eng
