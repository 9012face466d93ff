// Buttons: push, check box, bitmap and owner-drawn.
//
// A press (left button down) takes the focus; the release inside the button,
// or Space pressed and released, sends COMMAND (id, code 0) to the parent.
// A check box is not automatic: it reports the click the same way and shows
// the check state the engine sets (kBmSetCheck), "[X]" when the low four bits
// are not 0, else "[ ]". Every button has a "pushed" highlight the engine sets
// and reads (kBmSetState / kBmGetState), drawn in reverse video like a press.
// An owner-drawn button keeps a state value (kBmSetValue) and draws like a
// push button. A bitmap button exists only where the front end shows images;
// creating one elsewhere fails, and the caller falls back to a text button.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class WinSystem;
class CellGrid;
struct CellRect;

int64_t ButtonProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);
void PaintButton(const WinSystem& ws, Hwnd h, CellGrid& grid, const CellRect& cells, const CellRect& clip);

Hwnd CreateButton(WinSystem& ws, Hwnd parent, int id, Rect r, std::string_view text,
                  WinKind kind = WinKind::kButton, uint32_t style = 0);
// A bitmap button showing an image file; kNoWindow where images cannot be shown.
Hwnd CreateBitmapButton(WinSystem& ws, Hwnd parent, int id, Rect r, std::string_view image,
                        std::string_view text = {});

}  // namespace plat
