// List boxes: a column of texts with one selected row.
//
// Up, Down, Home, End, PgUp and PgDn move the selection (the caret row and
// the selection move together); a click selects the row under it and takes
// the focus; with kLbsNotify a selection the user made sends COMMAND (id,
// kCmdSelChange) to the parent and a double click COMMAND (id, kCmdDblClick).
// With kLbsWantKeys every key is first offered to the parent as
// kWmVKeyToItem; an answer of -2 means the parent handled it. The view
// scrolls so the caret row stays visible. Rows are one cell high (an item
// height in pixels is kept for the engine's geometry). Setting the selection
// from the program sends no command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"
#include "platform/win_window.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

int64_t ListBoxProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);
void PaintListBox(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

Hwnd CreateListBox(WinSystem& ws, Hwnd parent, int id, Rect r, uint32_t style = kLbsNotify);
// Appends a row; its index, or -1 for a window that is no list.
int ListBoxAdd(WinSystem& ws, Hwnd h, std::string_view text);
void ListBoxClear(WinSystem& ws, Hwnd h);
int ListBoxCount(const WinSystem& ws, Hwnd h);
std::string ListBoxText(const WinSystem& ws, Hwnd h, int index);
// The selected row, -1 when none.
int ListBoxGetSel(const WinSystem& ws, Hwnd h);
// Selects a row (-1: none) and scrolls to it; false for a row that does not exist.
bool ListBoxSetSel(WinSystem& ws, Hwnd h, int index);
int ListBoxCaret(const WinSystem& ws, Hwnd h);
void ListBoxSetItemHeight(WinSystem& ws, Hwnd h, int px);
int ListBoxItemHeight(const WinSystem& ws, Hwnd h);

// Shared by the list controls: moves the selection by a key; true when the
// key is one of the moving keys. rows_shown is the page size.
bool ListMoveByKey(ListState& list, uint8_t vk, int rows_shown);
// Keeps the caret row inside the rows shown.
void ListScrollToCaret(ListState& list, int rows_shown);
// Selects a row (-1: none) from code, moving the caret to it and scrolling it
// into view; false, and nothing changes, for a row that does not exist.
bool ListSelectRow(ListState& list, int row, int rows_shown);

}  // namespace plat
