// Action codes and the key tables.
//
// An action code has its class in the low byte and a sub-code in the high
// byte. Keys pass two tables: CtlVirtualKeyToCode turns a virtual key into an
// engine key code (any key not listed is 4), ScreenKeyToAction turns an
// engine key code into an action code through the key-map set in _KEYMAP
// (two sets of 33). Controls become action codes by their id
// (ScreenCommandToAction), which also sets _LASTKEY to 4 for every mapped id.
// KeyMoveFlags says how a key moves (0x02 forward, 0x04 backward, 0x0C line
// backward, 0x0A line forward, 0x14 page backward, 0x12 page forward, 0x40 to
// the end, 0x20 escape, 0x01 a function key); the code's high byte stays in
// the result except for Esc.
#pragma once

#include <cstdint>

namespace eng {

enum ActionClass : uint16_t {
  kAcNextField = 1,
  kAcPrevField = 2,
  kAcPopupItem = 15,
  kAcMenu = 16,
  kAcMainClose = 17,
  kAcScanReady = 18,
  kAcHelp = 19,
  kAcRestoreField = 20,
  kAcCancel = 21,
  kAcToEnd = 22,
  kAcSerialData = 23,
  kAcWedgeScan = 24,
  kAcCommand = 25,
  kAcCloseRequest = 28,
  kAcCloseWindow = 29,
  kAcFieldError = 30,
  kAcLineDown = 31,
  kAcLineUp = 32,
  kAcEntered = 38,
  kAcIds3600 = 43,
  kAcIds3650 = 44,
  kAcFocusGained = 91,
  kAcControlLeft = 92,
  kAcComboConfirmed = 94,
  kAcFirstFocus = 95,
};

constexpr uint16_t ActionWord(uint16_t action_class, uint16_t sub) {
  return static_cast<uint16_t>((sub << 8) | (action_class & 0xFF));
}
constexpr uint16_t ActionClassOf(uint16_t code) { return code & 0xFF; }
constexpr uint16_t ActionSubOf(uint16_t code) { return code >> 8; }

inline constexpr uint16_t kActionOk = ActionWord(kAcCommand, 100);      // 0x6419
inline constexpr uint16_t kActionFooter = ActionWord(kAcCommand, 101);  // 0x6519
inline constexpr uint16_t kActionNone = 0xFFFF;

// Engine key codes of the keys the tables name.
enum KeyCode : uint16_t {
  kKeyEnter = 0,
  kKeyEsc = 3,
  kKeyOther = 4,
  kKeyShiftTab = 8,
  kKeyTab = 9,
  kKeyF1 = 11,
  kKeyF11 = 21,
  kKeyUp = 22,
  kKeyPgUp = 23,
  kKeyDown = 28,
  kKeyPgDn = 29,
  kKeyCtrlEnd = 32,
};
inline constexpr int kKeyCodes = 33;

uint16_t CtlVirtualKeyToCode(uint8_t vk);
uint16_t ScreenKeyToAction(uint16_t code);
uint16_t KeyMoveFlags(uint16_t code);
// The place of the code among the navigation keys 0, 8, 9, 19, 22, 23, 28,
// 29 and 32, or -1.
int KeyIsNavigation(uint16_t code);
// The place of the code among 23 and 29, or -1.
int KeyIsPage(uint16_t code);
uint16_t ScreenCommandToAction(int id);

}  // namespace eng
