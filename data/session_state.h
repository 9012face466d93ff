// The session state file "%APNAME%FSTAT.DAT" in the current folder (never
// searched for along the application folders): its first character is "1"
// while a session of the application is open, "0" when closed; a missing or
// empty file reads as 0 (so does any other first character).
//
// One session per folder: from the start to the end of its session a program
// holds the file open under an exclusive advisory lock. A second program that
// finds the lock held is refused at its start; only a file that says "1"
// while nobody holds it tells of a session that ended without shut-down.
//
// SessionStateCheck (mode):
//   mode 1 (start, from the application's phase 2): the lock is taken first
//     (the file is created empty when missing); when another program holds
//     it the result is 139 with the incident text kSessionBusyText, and
//     nothing is read, asked or written. Then state 0 -> a save journal left
//     behind is settled (doc_journal.h) and "1" is written;
//     state 1 (a session ended without shut-down) -> message 0115 is asked as
//     a yes/no question, which a run without a person answers yes (rebuilding
//     the indexes from the records loses nothing): no gives 122; yes rebuilds
//     every data file of the dictionary (SessionRecover) and then writes "1".
//     A failed start lets the lock go;
//   mode 2 (before every command): 0 when the file's last-write time is the
//     one remembered after this program's own last write, else 139 (another
//     program has written it); the state is not looked at;
//   mode 0 (end of the run): state 1 -> "0" is written; state 0 -> 139 and
//     nothing is written (the caller ignores the result); the lock goes.
//   A write that fails gives 131; any other mode 163.
// SessionStateWrite (path, digit) writes the digit as the file's first byte
// through the locked handle (taking the lock first when this program does
// not hold the file the path names: 139 when another program holds it), so
// that the lock stays on the file others open; a one-byte write is whole or
// absent, and it is synced. Then it remembers the file's last-write time (ms
// since local midnight).
// SessionRecover rebuilds files 1 to DictFileCount in order: a lock marker
// left behind by the interrupted session is removed once the file's exclusive
// lock is held (a file another program has open gives 175 and is left alone),
// a missing record file is created empty, and the key index is rebuilt from
// the record file; then every document whose save was cut off is put back
// as it was before the save (doc_journal.h). The progress window is stepped
// per file and closed at the end. The first failure stops and is the result; when all succeed, message
// 0005 is shown (MsgErrorBox(0)) and the result is 0.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kSessionStateFile = "%APNAME%FSTAT.DAT";
inline constexpr const char* kSessionBusyText = "another session of this application is running in this folder";

Status SessionStateCheck(int mode);
Status SessionStateWrite(StrPair path, int digit);
Status SessionRecover();

// The expanded file name (a new scratch entry).
StrPair SessionStatePath();
// The state digit of the file: 0 or 1 as written, 0 for anything else.
int SessionStateRead(StrPair path);
// Whether this program holds the session lock on the file that the session
// state file's name gives now.
bool SessionLockHeld();
void SessionLockRelease();

}  // namespace eng
