// Combo boxes: a field showing the chosen text over a list of items.
//
// Styles: kCbsDropDown, an editable field whose list opens below it (the
// control's height holds the list's rows); kCbsSimple, the list always shown
// below the field. Commands to the parent, (id, code):
//   kCmdSelChange (1)    the user moved the selection (keys, a click in the list)
//   kCmdDblClick (2)     a double click on a row of the list
//   kCmdDropDown (7)     the drop-down list opened (F4, Alt+Down, a click on the field)
//   kCmdSelEndOk (9)     the user confirmed a choice: Enter, a click on a row
//   kCmdSelEndCancel (10) the drop-down list closed without a choice (Esc)
// Up and Down move the selection and put the item's text in the field; an
// editable field also takes typed characters and Backspace (a typed text
// selects nothing). The program's ComboSetSel sends nothing. Keys are handled
// by the window's procedure, so the engine can subclass the control.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

int64_t ComboProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);
void PaintCombo(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

Hwnd CreateCombo(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style = kCbsSimple);
int ComboAdd(WinSystem& ws, Hwnd h, std::string_view text);
int ComboCount(const WinSystem& ws, Hwnd h);
// The selected index, -1 when none.
int ComboGetSel(const WinSystem& ws, Hwnd h);
// Selects an index (-1: none, the field emptied); false for a missing one.
bool ComboSetSel(WinSystem& ws, Hwnd h, int index);
std::string ComboItem(const WinSystem& ws, Hwnd h, int index);
bool ComboDropped(const WinSystem& ws, Hwnd h);

}  // namespace plat
