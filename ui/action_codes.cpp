#include "ui/action_codes.h"

#include <array>

#include "core/sys_vars.h"
#include "data/file_command.h"

namespace eng {

namespace {

constexpr uint16_t Cmd(uint16_t verb) { return ActionWord(kAcCommand, verb); }

// Two sets of 33 action codes by engine key code; the set is _KEYMAP.
constexpr std::array<uint16_t, 2 * kKeyCodes> kKeyActions = [] {
  std::array<uint16_t, 2 * kKeyCodes> t{};
  for (int set = 0; set < 2; ++set) {
    uint16_t* s = t.data() + set * kKeyCodes;
    s[0] = kAcNextField;
    s[3] = kAcCancel;
    s[8] = kAcPrevField;
    s[9] = kAcNextField;
    s[11] = kAcHelp;
    s[12] = kAcRestoreField;
    s[13] = set == 0 ? Cmd(kCmdBls) : Cmd(kCmdMde);
    s[14] = set == 0 ? Cmd(kCmdNls) : 0;
    s[15] = Cmd(kCmdPrn);
    s[16] = Cmd(kCmdFnd);
    s[17] = Cmd(kCmdImp);
    s[18] = Cmd(kCmdDel);
    s[19] = Cmd(kCmdIns);
    s[20] = Cmd(kCmdDde);
    s[21] = set == 0 ? Cmd(kCmdDde) : Cmd(kCmdMde);
    s[22] = kAcLineUp;
    s[23] = Cmd(kCmdPrv);
    s[28] = kAcLineDown;
    s[29] = Cmd(kCmdNxt);
    s[32] = kAcToEnd;
  }
  return t;
}();

constexpr uint16_t kNavigation[] = {0, 8, 9, 19, 22, 23, 28, 29, 32};

}  // namespace

uint16_t CtlVirtualKeyToCode(uint8_t vk) {
  switch (vk) {
    case 13: return kKeyEnter;
    case 9: return kKeyTab;
    case 27: return kKeyEsc;
    case 38: return kKeyUp;
    case 33: return kKeyPgUp;
    case 40: return kKeyDown;
    case 34: return kKeyPgDn;
    case 239: return 6;
    default:
      if (vk >= 112 && vk <= 122) return static_cast<uint16_t>(vk - 112 + kKeyF1);
      return kKeyOther;
  }
}

uint16_t ScreenKeyToAction(uint16_t code) {
  const int index = code + kKeyCodes * SysVarGet(kVarKeyMap);
  if (index < 0 || index >= static_cast<int>(kKeyActions.size())) return 0;
  return kKeyActions[index];
}

uint16_t KeyMoveFlags(uint16_t code) {
  const uint16_t high = code & 0xFF00;
  switch (code & 0xFF) {
    case 0: case 9: return high | 0x02;
    case 8: return high | 0x04;
    case 22: return high | 0x0C;
    case 28: return high | 0x0A;
    case 23: return high | 0x14;
    case 29: return high | 0x12;
    case 32: return high | 0x40;
    case 3: return 0x20;
    default:
      if ((code & 0xFF) >= 11 && (code & 0xFF) <= 21) return high | 0x01;
      return high;
  }
}

int KeyIsNavigation(uint16_t code) {
  for (int i = 0; i < static_cast<int>(std::size(kNavigation)); ++i)
    if (kNavigation[i] == code) return i;
  return -1;
}

int KeyIsPage(uint16_t code) { return code == kKeyPgUp ? 0 : code == kKeyPgDn ? 1 : -1; }

uint16_t ScreenCommandToAction(int id) {
  uint16_t code = kActionNone;
  if (id >= 1500 && id <= 1699) code = ActionWord(kAcMenu, static_cast<uint16_t>(id - 1500));
  else if (id >= 1700 && id <= 1949) code = ActionWord(kAcPopupItem, static_cast<uint16_t>(id - 1700));
  else if (id >= 3000 && id <= 3020) code = ActionWord(kAcCommand, static_cast<uint16_t>(id - 3000));
  else if (id == 3100 || id == 3101) code = ActionWord(kAcCommand, static_cast<uint16_t>(id - 3000));
  else if (id >= 3600 && id <= 3649) code = ActionWord(kAcIds3600, static_cast<uint16_t>(id - 3600));
  else if (id >= 3650) code = ActionWord(kAcIds3650, static_cast<uint16_t>((id - 3650) & 0xFF));
  if (code != kActionNone) SysVarSet(kVarLastKey, kKeyOther);
  return code;
}

}  // namespace eng
