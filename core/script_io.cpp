#include "core/script_io.h"

#include "core/cmd_line.h"
#include "core/log.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/streams.h"
#include "core/sys_vars.h"

namespace eng {

ScriptInput ScriptInputNext(StrPair* line) {
  const uint16_t stream = SysVarBits(kVarInHnd);
  if (line) *line = ScratchText("");
  if (stream == 0) return kScriptNone;
  StrPair read = StrmReadLine(stream, kStrmHere, kStrmLine);
  if (!read.ok()) return kScriptEnd;
  size_t n = read.len;
  while (n > 0 && (read.ptr[n - 1] == '\r' || read.ptr[n - 1] == '\n')) --n;
  if (line) *line = StrMake(read.ptr, n);
  return kScriptLine;
}

int ScriptJournalLine(StrPair text) {
  ScratchScope scope;
  StrPair name = CmdOption(kOptOutput);
  if (!name.ok() || name.empty()) return 0;
  return LogAppendLine(name, text.ok() ? text : StrOf(""));
}

StrPair ScriptQuoteValues(const std::vector<std::string>& values) {
  std::string line;
  for (size_t i = 0; i < values.size(); ++i) {
    ScratchScope scope;
    StrPair q = StrQuote(StrOf(values[i]));
    if (!q.ok()) return q;
    if (i) line += ',';
    line.append(q.view());
  }
  return ScratchText(line);
}

}  // namespace eng
