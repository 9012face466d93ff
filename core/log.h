// Logs: plain lines in the application log, framed records, the procedure
// trace file, and the reader of the INPUT script.
//   - The log path is string element (9, 10) when set; otherwise the two-letter
//     application prefix (the first two characters of the first ":" item of
//     the identity (0, 2)) followed by "log.txt", in the current folder.
//   - A plain line is written only when the caller's bit is set in _TRACE.
//   - A framed record: 29 stars; " Date:<date> - Time:<hh:mm> - User:0"; the
//     text; then 22 stars and an empty line, every line ending in CR LF.
//   - The INPUT script is stream _INHND (0: no script).
// A log line that cannot be written is lost without a status.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kLogNameSuffix = "log.txt";
inline constexpr size_t kLogNameMax = 64;
inline constexpr size_t kLogHeadMax = 384;
inline constexpr const char* kProcTraceName = "PrcLog.txt";
inline constexpr uint16_t kTraceLog = 1;        // _TRACE bit of plain log lines
inline constexpr uint16_t kTraceProcedure = 8;  // _TRACE bit of the procedure trace

// The date of a framed record's head line: the short four-digit-year form of
// the current language. Installed by the date formatter; until then the
// day, month and year joined by "-".
using LogDateFn = StrPair (*)();

struct LogState {
  LogDateFn date_text = nullptr;
};

StrPair LogPath();
// Sets (9, 10) and deletes that file; an empty path does nothing.
Status LogSetPath(StrPair path);
// Appends the text and CR LF to the named file (created when missing);
// 1 when a name was given, else 0.
int LogAppendLine(StrPair file, StrPair text);
// When any of the low 8 bits given is set in _TRACE, appends the text as a
// line to the log; a failure pair is written as "Error #" and its status.
void LogTrace(StrPair text, uint16_t bits);
// Appends a framed record to the file (empty: the log); 0, or 164 with the
// file name as incident text when it cannot be opened.
Status LogRecord(StrPair text, StrPair file);
// Appends the bytes as they are to "PrcLog.txt" when _TRACE has bit 8.
void LogProcTrace(StrPair bytes);
// The next line of the INPUT script; the empty text without a script or at
// its end (and from then on).
StrPair CmdInputNextLine();

void LogSetDateFormatter(LogDateFn fn);

}  // namespace eng
