// The progress window: one small window for the whole program that long
// operations step (a bar, or a line of text), with a Cancel button. Every
// step dispatches the waiting window messages, so the screen stays alive and
// the user can cancel; a cancel (the button, Esc, or the close box) sticks
// until the window closes and makes every later step answer 122.
//
// ProgOpen (width, total): creates the window with a bar when none exists
//   (width 0 or 0xFFFF: 400); with a window open, nothing changes (0).
// ProgCreate (width, total, text mode): the window ("Progress" kind, title
//   message 0016), width + 40 pixels wide and 90 pixels plus the dialog frame
//   high, centred; the bar or a text line at (20, 10), width x 17; the
//   button "Cancelar" (message 0020, id 1110) at (width - 50, 35), 70 x 20.
//   It goes on the window stack over the window on top, which it disables.
//   170 when the bar or text control cannot be made (the window stays).
// ProgStep (total, increment, text): shows the text in text mode, else
//   advances the bar; then ProgPump.
// ProgBarStep (total, increment): opens the window when none is open; the
//   bar's range is set once, at the first step: the state's total, else the
//   given one; 0 makes it a cyclic bar of 200 (past 200 it starts at 1
//   again); a range above 65535 is halved while the step divisor doubles.
//   An increment of 0 counts as 1; with a divisor the increments gather in a
//   signed remainder and the bar moves by remainder / divisor rounded half
//   away from zero.
// ProgShowText (text): opens the window in text mode (width 400) when none
//   is open; a non-empty text switches the window to text mode for good (the
//   bar gives way to a text line in its place) and is shown centred.
// ProgTextStep (position, flags, text): a step that only shows the text.
// ProgTick (phase): pumps; phase 0 marks the clock, phase 2 moves the bar one
//   step when 32 ms or more passed since the mark and marks it again.
// ProgPump (): dispatches what is waiting; 122 after a cancel, else 0.
// ProgClose (): the window goes (off the stack, the window below enabled and
//   active again) and the state is cleared. Taking it away never ends the
//   run, even when it was the only window.
// ProgActive (): a total is set. ProgSetTitle: the window's caption.
// ProgSetStep (divisor): the divisor, with the remainder cleared.
// ProgReset (width, total, text): sets the state without a window.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr int kIdProgCancel = 1110;
inline constexpr int kIdProgControl = 1111;
inline constexpr uint16_t kProgDefaultWidth = 400;
inline constexpr uint32_t kProgCyclicRange = 200;
inline constexpr uint32_t kProgMaxRange = 65535;
inline constexpr uint64_t kProgTickMs = 32;

struct ProgState {
  uint16_t width = 0;
  plat::Hwnd window = plat::kNoWindow;
  plat::Hwnd control = plat::kNoWindow;
  plat::Hwnd owner = plat::kNoWindow;
  uint8_t cancel = 0;
  uint8_t text_mode = 0;
  bool range_set = false;
  uint32_t position = 0;
  int64_t divisor = 0;
  int64_t remainder = 0;
  uint32_t total = 0;
  uint32_t range = 0;
  int32_t cyclic = 0;
  std::string label;
  uint64_t tick_mark = 0;
};

Status ProgOpen(uint16_t width, uint32_t total);
Status ProgCreate(uint16_t width, uint32_t total, bool text_mode);
Status ProgStep(uint32_t total, uint32_t increment, StrPair text);
void ProgBarStep(uint32_t total, uint32_t increment);
Status ProgShowText(StrPair text);
Status ProgTextStep(uint32_t position, uint16_t flags, StrPair text);
Status ProgTick(int phase);
Status ProgPump();
void ProgClose();
bool ProgActive();
void ProgSetTitle(StrPair text);
void ProgSetStep(int64_t divisor);
void ProgReset(uint16_t width, uint32_t total, StrPair text);
const ProgState& ProgGetState();

}  // namespace eng
