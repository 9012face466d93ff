#include "data/file_command.h"

#include <array>
#include <string>
#include <string_view>

#include "core/str_case.h"

namespace eng {

namespace {

constexpr std::array<uint16_t, 18> kFlags = {
    0x0F01, 0x0F24, 0x0F16, 0x0000, 0x0F12, 0x0F20, 0x0040, 0x0F00, 0x0D00,
    0x0642, 0x0042, 0x00FF, 0x0046, 0x00FF, 0x00FF, 0x00FF, 0x00FF, 0x00FF,
};

// Upper-cased, with a synonym replaced by its command word.
std::string Normal(std::string_view w) {
  std::string s(w);
  for (char& c : s) c = AsciiUpper(c);
  if (s == "NEXT") return "NXT";
  if (s == "PREVIOUS") return "PRV";
  if (s == "BOTTOM") return "BOT";
  return s;
}

}  // namespace

uint16_t DataFileCmdFlags(uint16_t number) {
  if (number < 1 || number > kFlags.size()) return 0x00FF;
  return kFlags[number - 1];
}

uint16_t DataFileCmdIndex(StrPair word, StrPair list) {
  if (!word.ok() || !list.ok()) return 0;
  const std::string w = Normal(word.view());
  std::string_view rest = list.view();
  uint16_t n = 1;
  for (;;) {
    size_t comma = rest.find(',');
    if (Normal(rest.substr(0, comma)) == w) return n;
    if (comma == std::string_view::npos) return 0;
    rest.remove_prefix(comma + 1);
    ++n;
  }
}

}  // namespace eng
