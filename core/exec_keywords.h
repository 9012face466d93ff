// The statement keywords of the procedure language (ExecKeywords): 53 words
// numbered from 1; code 0 is the expression statement. Codes 1-18 are flow
// statements run by the interpreter itself (core/exec_run.h); codes 19-53 are
// handler statements served along the statement handler chain
// (core/exec_handlers.h). A word matches a keyword exactly, or else after
// upper-casing (ASCII letters only), so any letter case works.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

enum ExecCode : uint16_t {
  kExecExpression = 0,
  kExecGoto = 1, kExecGosub, kExecCall, kExecReturn, kExecEndif, kExecLoop, kExecLoopWhile,
  kExecLoopUntil, kExecElse, kExecIf, kExecIfTrue, kExecDoWhile, kExecIfFalse, kExecDoUntil,
  kExecDo, kExecDefFn, kExecLocalVars, kExecEnd,
  kExecAccept = 19, kExecBounds, kExecColor, kExecConnect, kExecDevice, kExecDLocate,
  kExecDPrint, kExecEndDevice, kExecExport, kExecFileSelect, kExecImport, kExecKill,
  kExecLoadStruct, kExecLocate, kExecMessage, kExecPrint, kExecShell, kExecRead, kExecRemote,
  kExecReport, kExecDocPrint, kExecWait, kExecWinMenu, kExecWinOpen, kExecWinClose,
  kExecWinSelect, kExecWinProg, kExecRcDelete, kExecRcInsert, kExecRcUpdate, kExecRcWrite,
  kExecFileStruct, kExecFileScan, kExecStatSteps, kExecSystem = 53,
};

inline constexpr uint16_t kExecKeywordCount = 53;
inline constexpr uint16_t kExecFirstHandlerCode = 19;
inline constexpr uint16_t kExecNoKeyword = 0xFFFF;

// Index 1-53 as above; entry 0 is the empty name of the expression statement.
inline constexpr std::array<std::string_view, kExecKeywordCount + 1> ExecKeywords = {
    "",          "GOTO",      "GOSUB",      "CALL",      "RETURN",     "ENDIF",     "LOOP",
    "LOOP_WHILE", "LOOP_UNTIL", "ELSE",     "IF",        "IF_TRUE",    "DO_WHILE",  "IF_FALSE",
    "DO_UNTIL",  "DO",        "DEF_FN",     "LOCALVARS", "END",        "ACCEPT",    "BOUNDS",
    "COLOR",     "CONNECT",   "DEVICE",     "DLOCATE",   "DPRINT",     "ENDDEVICE", "EXPORT",
    "FILESELECT", "IMPORT",   "KILL",       "LOADSTRUCT", "LOCATE",    "MESSAGE",   "PRINT",
    "SHELL",     "READ",      "REMOTE",     "REPORT",    "DOCPRINT",   "WAIT",      "WINMENU",
    "WINOPEN",   "WINCLOSE",  "WINSELECT",  "WINPROG",   "RC_DELETE",  "RC_INSERT", "RC_UPDATE",
    "RC_WRITE",  "FILESTRUCT", "FILESCAN",  "STATSTEPS", "SYSTEM",
};

// The code of a word (1-53), or kExecNoKeyword.
uint16_t ExecKeywordCode(std::string_view word);
// The keyword of a code; empty for 0 and for codes outside 1-53.
std::string_view ExecKeywordName(uint16_t code);
// The 53 keywords in code order, NUL-separated (a new scratch entry).
StrPair ExecKeywordList();

}  // namespace eng
