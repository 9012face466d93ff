// Window levels and the text windows of procedures (WINOPEN, WINCLOSE,
// WINSELECT, READ, WAIT, and the cursor and colours of LOCATE, PRINT and
// COLOR).
//
// WinCmdOpen (columns, rows, lines): a Dialogx window with WinCmdProc, the
// grid override set to its size; item 1 of the comma list is its caption,
// items 2..n labels at row i, column 1; placed at the current level's cursor
// (relative to its origin with _COMPAT bit 1; a cursor of 0 is derived from
// the point (100, 60), or near the focus when the top window touches the
// screen's edge) from the corner of the window below, rows + 1 high for the
// caption. -1 when the window cannot be made, or 24 are open already.
// WinCmdClose: destroys the newest; 168 when none is open.
// WinCmdSelect (n): raises and activates window n (1-based) and sets the
// grid override to the current level's size; 163 for n 0 or above the count.
// WinCmdRead (definition): the top window's field controls (ids 2000 on) are
// replaced by the accept fields of the definition, the window runs until its
// Ok, a close or a field's Esc, and the values are collected; the grid's
// size is restored. Accept failures from 128 are the result, others 0;
// _LASTKEY says how it ended.
// WinCmdWait (text): "KEY" stores the next key's engine code in _LASTKEY.
// WinCmdProc: Ok (3100), or a close while _LASTKEY is 0, ends the loop and
// keeps the window; Esc asks message 0020 and a yes sets _LASTKEY 15; a close
// while _LASTKEY is 4 destroys the window and sets _LASTKEY 3; a window
// destroyed while _LASTKEY is 3 ends the loop. A destroyed window leaves the
// WINOPEN stack whoever destroys it.
// Levels: 8 records, the current one 0 at load. WinLevelPush opens the next
// level (origin = the parent's cursor, cursor 1, 1, the grid in force, the
// parent's colours, first entry = the elements of list 32); -1 when level 7
// is current. WinLevelPop goes back one level, never below 0.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_core.h"
#include "ui/win_levels_state.h"

namespace eng {

int WinCmdOpen(int columns, int rows, StrPair lines);
Status WinCmdClose();
Status WinCmdSelect(int n);
Status WinCmdRead(StrPair definition);
Status WinCmdWait(StrPair text);
uint16_t WinCmdCount();
int64_t WinCmdProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l);

WinLevel WinLevelCurrent();
int WinLevelPush();
WinLevel WinLevelPop();
// 163 for a level outside 0-7.
Status WinLevelSelect(int n);
void WinLevelSetCursor(int row, int column);
void WinLevelSetColor(int first, int second);

// The statements ACCEPT, BOUNDS, COLOR, LOCATE, PRINT, READ, WAIT KEY,
// WINOPEN, WINCLOSE and WINSELECT as the screen slot's extension of the
// statement handler chain; other codes (and WINOPEN/WINCLOSE "PROGRESS") go
// on to the extension installed before, else along the chain. Also installs
// the closing of WINOPEN windows that a procedure run left open.
Status WinStatements(uint16_t code, const ExecArgs& args);
void WinStatementsInstall();

}  // namespace eng
