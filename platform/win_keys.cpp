#include "platform/win_keys.h"

#include <cctype>

namespace plat {

namespace {

struct Named {
  const char* name;
  uint8_t vk;
};

constexpr Named kNames[] = {
    {"Backspace", kVkBack}, {"Tab", kVkTab},     {"Enter", kVkReturn},    {"Shift", kVkShift},
    {"Ctrl", kVkControl},   {"Alt", kVkAlt},     {"Esc", kVkEscape},      {"Space", kVkSpace},
    {"PgUp", kVkPrior},     {"PgDn", kVkNext},   {"End", kVkEnd},         {"Home", kVkHome},
    {"Left", kVkLeft},      {"Up", kVkUp},       {"Right", kVkRight},     {"Down", kVkDown},
    {"Insert", kVkInsert},  {"Delete", kVkDelete}, {"Vk239", kVkOem239},  {"]", kVkGroupSep},
    {"Unmapped", kVkUnmappedChar},
};

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

}  // namespace

uint8_t VkForChar(uint8_t ch) {
  if (ch >= 'a' && ch <= 'z') return static_cast<uint8_t>(ch - 'a' + 'A');
  if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) return ch;
  switch (ch) {
    case ' ': return kVkSpace;
    case 8: return kVkBack;
    case 9: return kVkTab;
    case 13: return kVkReturn;
    case 27: return kVkEscape;
    case 29: return kVkGroupSep;
    default: return kVkOemChar;
  }
}

int CharForKey(uint8_t vk, uint8_t mods, int typed) {
  if (typed >= 0) return typed;
  if (mods & kModCtrl) return vk == kVkGroupSep ? 29 : -1;
  if (mods & kModAlt) return -1;
  switch (vk) {
    case kVkBack: return 8;
    case kVkTab: return 9;
    case kVkReturn: return 13;
    case kVkEscape: return 27;
    case kVkSpace: return ' ';
    default: break;
  }
  if (vk >= 'A' && vk <= 'Z') return (mods & kModShift) ? vk : vk - 'A' + 'a';
  if (vk >= '0' && vk <= '9') return vk;
  return -1;
}

bool ParseKeyName(std::string_view name, uint8_t& vk, uint8_t& mods) {
  mods = 0;
  for (;;) {
    size_t plus = name.find('+');
    if (plus == std::string_view::npos || plus + 1 >= name.size()) break;
    std::string_view mod = name.substr(0, plus);
    if (EqualNoCase(mod, "Shift")) mods |= kModShift;
    else if (EqualNoCase(mod, "Ctrl")) mods |= kModCtrl;
    else if (EqualNoCase(mod, "Alt")) mods |= kModAlt;
    else return false;
    name.remove_prefix(plus + 1);
  }
  for (const Named& n : kNames) {
    if (EqualNoCase(name, n.name)) {
      vk = n.vk;
      return true;
    }
  }
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    int n = 0;
    for (size_t i = 1; i < name.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
      n = n * 10 + (name[i] - '0');
      if (n > 12) return false;
    }
    if (n < 1) return false;
    vk = static_cast<uint8_t>(kVkF1 + n - 1);
    return true;
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    vk = VkForChar(static_cast<uint8_t>(name[0]));
    return true;
  }
  return false;
}

std::string KeyName(uint8_t vk, uint8_t mods) {
  std::string out;
  if (mods & kModCtrl) out += "Ctrl+";
  if (mods & kModAlt) out += "Alt+";
  if (mods & kModShift) out += "Shift+";
  for (const Named& n : kNames) {
    if (n.vk == vk) return out + n.name;
  }
  if (vk >= kVkF1 && vk <= kVkF12) return out + "F" + std::to_string(vk - kVkF1 + 1);
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return out + static_cast<char>(vk);
  return out + "Vk" + std::to_string(vk);
}

}  // namespace plat
