// Maintenance windows: one data file kept through a screen. The user types a
// key and sees the record, changes and saves it, adds a new one, deletes it
// or browses the file in key order. The command verb MantMain opens one from
// a window-definition line ("file;key,number,columns,rows,data file,,flags,
// entry,,max row").
//
// MantWindow (line, default flags): flags are item 7 of the line, else the
// default (86 for the verb). Makes a modal window of kind 3 with the
// screens' dialog procedure, opens the screen in it (MantWinCreate), installs
// MantActionWin and MantKeyNext, makes the maintenance toolbar and footer,
// shows the window and applies the opening state. It returns at once: the
// window runs in the message loop that is running. With flag 0x08 the
// screen's field file ("PAN") is deleted once the window is open.
// MantWinRun (line, flags): opens the screen in the top window and makes its
// field controls; with flag 0x10 applies the window's own open state (OPEN$
// plus the line's data file opened exclusively) and loads the file's rules;
// runs SET$ item 1; with flag 0x04 (and not 0x20) reads the first record, or
// a blank new one in an empty file. A failure closes the window record; one
// from 128 up is returned (MantWinCreate then destroys the window).
// MantWinClose (n): releases the rules the window loaded, restores the
// previous open state (flag 0x10) and closes the window record.
// MantActionWin is the window-level handler: first focus goes to the first
// key field; the window defaults; then MantAction; then the toolbar and
// status line follow the state. With a begin field and DOCTYPETXT$, the type
// selector (ui/combo_selector.h) is made at the first focus, answers a choice
// in its list and Up or Down on the begin field, and goes at the close
// request. MantAction is the record-level handler that document and
// navigation windows fall back on; it runs a field's window (ui/field_win.h)
// for Enter on a field whose window is due and for the scanner's action 18.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_core.h"

namespace eng {

inline constexpr uint16_t kMantMainFlags = 86;
inline constexpr uint16_t kMantWinKind = 3;

Status MantWindow(StrPair line, uint16_t default_flags);
Status MantWinCreate(StrPair line, uint16_t flags, plat::Hwnd window, plat::WndProc proc);
Status MantWinRun(StrPair line, uint16_t flags);
Status MantWinClose(int n);
Status MantDestroyOnError(plat::Hwnd window, Status status);
// OPEN$ of the screen, with ",d;2" for the line's data file d unless d is
// OPEN$'s last file ("d;2" when OPEN$ is empty).
std::string MantOpenStateText(StrPair open, uint16_t data_file);

Status MantActionWin(uint16_t code);
Status MantAction(uint16_t code);
Status MantKeyAction(uint16_t code);
// The key handler installed on maintenance windows (see MantKeyNext).
uint16_t MantKeyHandler(uint16_t began, uint16_t now, uint16_t code);

// The verb MantMain as the programs' action callbacks run it.
Status MantMainVerb(StrPair argument);

}  // namespace eng
