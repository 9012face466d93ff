// Virtual-key numbers and modifier bits.
//
// The key numbers are those the engine's key tables use (Tab 9, Enter 13,
// Esc 27, PgUp 33, End 35, arrows 37-40, F1-F12 112-123, 239). Letters and
// digits are their upper-case character codes. Characters that have no key of
// their own (punctuation, accented letters) arrive as kVkOemChar with the
// character attached.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

enum Vk : uint8_t {
  kVkBack = 8,
  kVkTab = 9,
  kVkReturn = 13,
  kVkShift = 16,
  kVkControl = 17,
  kVkAlt = 18,
  kVkEscape = 27,
  kVkSpace = 32,
  kVkPrior = 33,
  kVkNext = 34,
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkInsert = 45,
  kVkDelete = 46,
  kVkF1 = 112,
  kVkF10 = 121,
  kVkF12 = 123,
  kVkOemChar = 186,
  kVkGroupSep = 221,  // the "]" key: Ctrl+] makes character 29
  kVkOem239 = 239,
  // A character typed on the terminal that code page 1252 cannot hold: a key
  // without a character, which editing controls refuse.
  kVkUnmappedChar = 231,
};

enum Mod : uint8_t {
  kModShift = 1,
  kModCtrl = 2,
  kModAlt = 4,
};

// The key that types a character, with no modifiers.
uint8_t VkForChar(uint8_t ch);

// The character a key makes when a loop translates its KEYDOWN, or -1 for
// none. Printable characters (typed), Enter, Tab, Esc, Backspace, Space and
// Ctrl+] (29) make characters; other keys and other Ctrl combinations do not.
int CharForKey(uint8_t vk, uint8_t mods, int typed);

// Key names for scripts and logs: "Tab", "Enter", "F3", "A", "Shift+Tab".
// Returns false for an unknown name.
bool ParseKeyName(std::string_view name, uint8_t& vk, uint8_t& mods);
std::string KeyName(uint8_t vk, uint8_t mods = 0);

}  // namespace plat
