// Message numbers and the message record.
//
// Numbers are our own, except the two private messages of the serial port and
// the scanner (0x88E0, 0x88E1) and the command and scroll codes, which keep
// the numbers the engine uses. Parameters:
//   KEYDOWN/KEYUP  w = virtual key, l = modifier bits | (character << 8)
//   CHAR           w = character byte (code page 1252)
//   COMMAND        w = MakeCommandW(id, code), l = the sending control
//   H/VSCROLL      w = scroll code, l = track position
//   mouse          w = modifier bits, l = MakePointL(client x, client y)
//   SETFOCUS       w = the window losing the focus; KILLFOCUS w = the window gaining it
//   ACTIVATE       w = 1 when activated, 0 when deactivated
//   TIMER          w = timer id
//   QUIT           w = exit code
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

namespace plat {

enum WinMsg : uint32_t {
  kWmNull = 0,
  kWmCreate,
  kWmDestroy,
  kWmMove,
  kWmSize,
  kWmActivate,
  kWmSetFocus,
  kWmKillFocus,
  kWmEnable,
  kWmShow,
  kWmSetText,  // notification after the text changed; w = 0
  kWmClose,
  kWmQuit,
  kWmKeyDown,
  kWmKeyUp,
  kWmChar,
  kWmCommand,
  kWmHScroll,
  kWmVScroll,
  kWmLButtonDown,
  kWmLButtonUp,
  kWmRButtonDown,
  kWmRButtonUp,
  kWmLButtonDblClk,
  kWmTimer,
  kWmSetFont,  // w = the font handle; redraw
  kWmMenuBarClick,  // to a top-level window: its menu row clicked at column w
  // Edit controls.
  kEmSetSel = 0x100,  // w = start, l = end; (0, -1) selects all, (-1, x) clears
  kEmGetSel,          // returns start | (end << 16)
  kEmLimitText,       // w = limit (0 = the default)
  kEmSetReadOnly,     // w = 1 or 0
  kEmGetLineCount,
  kEmLineScroll,      // multi-line: w = columns, l = lines (signed)
  // Buttons and check boxes.
  kBmSetCheck = 0x140,  // w = check state (the engine may add flag bits)
  kBmGetCheck,
  kBmSetState,  // w = 1 pushed highlight, 0 normal
  kBmGetState,
  kBmSetValue,  // owner-drawn: w = the stored state value
  // List boxes, combo boxes and list views: to the parent, w = MakeCommandW(vk,
  // caret row), l = the control; answer -2 when the parent handled the key,
  // -1 to let the control handle it.
  kWmVKeyToItem = 0x160,
  // Message box internals.
  kMbAnswer = 0x180,  // w = the answer (scripted)
  // First number free for the engine's own messages.
  kWmUser = 0x400,
  // Private messages the engine defines.
  kMsgSerialData = 0x88E0,
  kMsgScanReady = 0x88E1,
};

// Command notification codes.
enum CmdCode : uint16_t {
  kCmdClicked = 0,     // button click or menu pick
  kCmdDblClick = 2,    // list double click
  kCmdSelEndOk = 9,    // combo selection confirmed
  kCmdSelChange = 1,   // list or combo selection changed
  kCmdDropDown = 7,    // combo list opened
  kCmdSelEndCancel = 10,  // combo list closed without a choice
};

// Scroll codes.
enum ScrollCode : uint16_t {
  kSbLineUp = 0,
  kSbLineDown = 1,
  kSbPageUp = 2,
  kSbPageDown = 3,
  kSbThumbPosition = 4,
  kSbThumbTrack = 5,
  kSbTop = 6,
  kSbBottom = 7,
  kSbEndScroll = 8,
};

struct Msg {
  Hwnd hwnd = kNoWindow;
  uint32_t msg = kWmNull;
  uint64_t w = 0;
  int64_t l = 0;
};

inline uint64_t MakeCommandW(int id, int code) {
  return (static_cast<uint64_t>(static_cast<uint16_t>(code)) << 16) | static_cast<uint16_t>(id);
}
inline int CommandId(uint64_t w) { return static_cast<int>(w & 0xFFFF); }
inline int CommandCode(uint64_t w) { return static_cast<int>((w >> 16) & 0xFFFF); }
inline int64_t MakePointL(int x, int y) {
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32) |
                              static_cast<uint32_t>(x));
}
inline Point PointFromL(int64_t l) {
  uint64_t u = static_cast<uint64_t>(l);
  return {static_cast<int32_t>(static_cast<uint32_t>(u)), static_cast<int32_t>(static_cast<uint32_t>(u >> 32))};
}
inline int64_t MakeKeyL(uint8_t mods, int ch) {
  return static_cast<int64_t>(mods) | (static_cast<int64_t>(ch < 0 ? 0 : ch + 1) << 8);
}
inline uint8_t KeyMods(int64_t l) { return static_cast<uint8_t>(l & 0xFF); }
// The character a KEYDOWN carries (from typed text), or -1.
inline int KeyTyped(int64_t l) { return static_cast<int>((l >> 8) & 0x1FF) - 1; }

// "KEYDOWN", "SETFOCUS", ...; the number in hexadecimal for others.
std::string MsgName(uint32_t msg);

}  // namespace plat
