// The tables of loaded screens (object table 4) and open screen windows
// (object table 5), and the four ScreenCounters: current screen, number of
// screens, current window, number of windows.
//
// ScreenCurrent and ScreenWinCurrent are copies: all zero without a current
// screen; without a current window, zero with flags 0x80 (no handlers).
// ScreenFieldGet (n) is a copy of field n of the current screen; for n 0 or
// beyond the field count its status is 124 when the screen was opened with
// _SCRSTAT bit 2, else 168, and the rest is empty.
// ScreenCounterGet (i): counter i; -1 for i above 3, and for counters 0 and
// 2 when the current number is not below the count.
#pragma once

#include <cstdint>

#include "core/str_pair.h"
#include "ui/screen_records.h"

namespace eng {

enum ScreenCounter : uint16_t { kCurScreen = 0, kScreenCount, kCurWin, kWinCount };

ScreenDesc* ScreenGet(int n);
ScreenWin* ScreenWinGet(int n);  // -1: the current window
ScreenBlock* ScreenBlockOf(int n);
ScreenDesc ScreenCurrent();
ScreenWin ScreenWinCurrent();
ScreenFieldDesc ScreenFieldGet(int n);
int ScreenCounterGet(int i);
void ScreenCounterSet(ScreenCounter i, uint16_t value);
// The screen loaded under the key, or -1.
int ScreenFind(StrPair key);
// The span of the current screen's definition text that a position names.
StrPair ScreenDefSpan(TextPos pos);
StrPair ScreenDefSpanOf(int screen, TextPos pos);
// A part of a window's record buffers (current record, saved record, file
// record, file saved record); null for a window that does not exist.
char* ScreenWinBuffer(int window, ScreenWinPart part, uint16_t* length);
// The current screen's key and definition text (views into its block).
StrPair ScreenKeyText(int screen);
StrPair ScreenDefText(int screen);

}  // namespace eng
