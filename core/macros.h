// Text macros: "[expression]" segments inside commands, procedure lines,
// definition values and report texts are replaced by their values.
//
// The innermost segment is found first (the text between the first "]" and
// the last "[" before it), so nested segments expand from the inside out.
// Its content is evaluated as an expression: a number becomes its text with
// _PRECIS decimals (trailing zeros dropped; zero reads "0" unless flag 16), a
// text is taken as it is. A content ending with "%" is kept as it stands, so
// a percent-sign folder macro survives for the later folder step. With the
// lookup flag the content is first looked up as a NAME=value item of the
// list, then as a command-line option, then in the environment.
//
// Expansion always ends: without flag 128 the scan goes on after each
// inserted value; with it, a value that re-creates its own segment, or more
// than kMacroMaxRescans re-expansions of values holding brackets, end the
// expansion with status 129 (kStLoopFailure). The first expression that
// answers a status of 2 or more ends the expansion with that status.
// Results are new scratch entries; failures are failure pairs.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

enum MacroFlags : int {
  kMacroInQuotes = 1,     // brackets inside quotes count too
  kMacroNoTrim = 2,       // the value keeps its blanks
  kMacroLookup = 4,       // list, command-line option, environment first
  kMacroEmptyZero = 16,   // a zero number stays the empty text
  kMacroQuote = 32,       // the value is enclosed in quotes ("'", or '"' with 64)
  kMacroDoubleQuote = 64,
  kMacroRescan = 128,     // an inserted value is expanded again
  kMacroEscapes = 256,    // "\{" and "\}" become "[" and "]" at the end
};

inline constexpr int kMacroListFlags = kMacroInQuotes | kMacroLookup | kMacroEmptyZero;  // 21
inline constexpr uint16_t kMacroMaxRescans = 1024;

StrPair MacroExpandText(StrPair text, int flags, StrPair list);
// MacroExpandText with an empty lookup list.
StrPair MacroExpand(StrPair text, int flags);
// MacroExpandText with the flags 21 and the list (the built-in MACRO$).
StrPair MacroExpandList(StrPair text, StrPair list);
// Every "[$]" replaced by the filler; the text unchanged when that fails.
StrPair MacroFillPlaceholder(StrPair text, StrPair filler);

}  // namespace eng
