// The session state file "%APNAME%FSTAT.DAT" in the current folder (never
// searched for along the application folders): its first character is "1"
// while a session of the application is open, "0" when closed; a missing or
// empty file reads as 0 (so does any other first character).
//
// SessionStateCheck (mode):
//   mode 1 (start, from the application's phase 2): state 0 -> "1" is
//     written; state 1 (a session ended without shut-down) -> message 0115 is
//     asked as a yes/no question: no gives 122; yes rebuilds every data file of
//     the dictionary (SessionRecover) and then writes "1";
//   mode 2 (before every command): 0 when the file's last-write time is the
//     one remembered after this program's own last write, else 139 (another
//     program has written it); the state is not looked at;
//   mode 0 (end of the run): state 1 -> "0" is written; state 0 -> 139 and
//     nothing is written (the caller ignores the result).
//   A write that fails gives 131; any other mode 163.
// SessionStateWrite (path, digit) replaces the file whole (a new file renamed
// over the old one, so an interrupted write never leaves it empty) and then
// remembers its last-write time (ms since local midnight).
// SessionRecover rebuilds files 1 to DictFileCount in order: a lock marker
// left behind by the interrupted session is removed once the file's exclusive
// lock is held (a file another program has open gives 175 and is left alone),
// a missing record file is created empty, and the key index is rebuilt from
// the record file. The progress window is stepped per file and closed at the
// end. The first failure stops and is the result; when all succeed, message
// 0005 is shown (MsgErrorBox(0)) and the result is 0.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kSessionStateFile = "%APNAME%FSTAT.DAT";

Status SessionStateCheck(int mode);
Status SessionStateWrite(StrPair path, int digit);
Status SessionRecover();

// The expanded file name (a new scratch entry).
StrPair SessionStatePath();
// The state digit of the file: 0 or 1 as written, 0 for anything else.
int SessionStateRead(StrPair path);

}  // namespace eng
