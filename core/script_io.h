// The INPUT script and the OUTPUT journal, as the windows that answer from
// the script and record what was answered use them (accept windows, hook
// windows, the device dialog).
//
// ScriptInputNext reads the next line of the INPUT stream (_INHND): kScriptNone
// when no script is being read, kScriptEnd when the script has no line left
// (from then on every call says so), else kScriptLine with the line (without
// its line end) as the newest scratch entry. A blank line is a line: the
// window it answers is left to the user; the end of the script is not, since
// nobody would answer the window of a scripted run.
//
// ScriptJournalLine appends the text and CR LF to the file the OUTPUT option
// names; nothing without the option. 1 when a line was written, else 0.
// Every confirmed accept window and every chosen device writes one line.
//
// ScriptQuoteValues joins values into a journal line: each value in
// apostrophes, in double quotes when it holds an apostrophe, separated by
// ","; (null, 163) when a value holds both quote characters, since no line
// could carry it back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/str_pair.h"

namespace eng {

enum ScriptInput : uint16_t { kScriptNone = 0, kScriptLine, kScriptEnd };

ScriptInput ScriptInputNext(StrPair* line);
int ScriptJournalLine(StrPair text);
StrPair ScriptQuoteValues(const std::vector<std::string>& values);

}  // namespace eng
