#include "core/field_compat.h"

#include <string>

#include "core/num_text.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

bool CompatBit(uint16_t bit) { return SysVarHas(kVarCompat, bit); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

CompatRange CompatRangeToLength(uint16_t start, uint16_t second) {
  if (!CompatBit(kCompatRange)) return {start, second};
  if (second < start) return {start, 0};  // an end before the start is an empty range
  return {start, static_cast<uint16_t>(second - start + 1)};
}

bool CompatDate6Enabled() { return CompatBit(kCompatDate6); }

StrPair CompatDate6Expand(StrPair text) {
  if (!text.ok() || text.len != 6) return text;
  std::string_view v = text.view();
  std::string out;
  char c = v[0];
  if (IsDigit(c)) {
    out = "19" + std::string(v);
  } else if (c >= 'A' && c <= 'J') {
    out = "20";
    out += static_cast<char>(c - 17);
    out.append(v.substr(1));
  } else if (c == ' ') {
    out = "  " + std::string(v);
  } else {
    // Not a letter-coded date: left as it is.
    return text;
  }
  if (out[0] != ' ')
    for (char& ch : out)
      if (ch == ' ') ch = '0';
  return ScratchText(out);
}

StrPair CompatDate6Read(StrPair text) {
  if (!CompatDate6Enabled()) return text;
  return CompatDate6Expand(text);
}

StrPair CompatDate6Store(StrPair date) {
  if (!date.ok()) return date;
  std::string_view v = date.view();
  if (!CompatDate6Enabled()) {
    if (v.size() == 8) return ScratchText(v.substr(2));
    return date;
  }
  std::string out;
  if (v.size() == 8) {
    bool digits = v.find_first_not_of("0123456789") == std::string_view::npos;
    if (!digits) return ScratchText(std::string(6, ' '));
    out.assign(v.substr(2));
    // The decade of a year 2000-2099 becomes its letter; other years keep
    // the digit, which reads back as 19xx.
    if (v.substr(0, 2) == "20") out[0] = static_cast<char>(out[0] + 17);
  } else if (v.size() == 6) {
    // Already cut to 6, the century is gone: a digit is raised to its letter
    // as the older versions did; a letter shows the text is coded already.
    out.assign(v);
    if (IsDigit(out[0])) out[0] = static_cast<char>(out[0] + 17);
  } else {
    return date;
  }
  if (out[2] == '0') out[2] = ' ';
  if (out[4] == '0') out[4] = ' ';
  return ScratchText(out);
}

StrPair CompatFieldText(char type, StrPair text) {
  if (!text.ok() || !CompatDate6Enabled()) return text;
  if (type == 'F' || type == 'f') return CompatDate6Expand(text);
  if (type != 'N' && type != 'n') return text;
  std::string_view v = text.view();
  size_t b = v.find_first_not_of(' ');
  if (b == std::string_view::npos || v[b] != 'D') return text;
  int64_t n = NumParse(StrOf(v.substr(b + 1)));
  return ScratchText(std::to_string(n ^ 10));
}

StrPair CompatShortName(StrPair name) {
  if (!name.ok() || !CompatBit(kCompatShortName)) return name;
  std::string_view v = name.view();
  size_t base = v.find_last_of("\\/");
  base = base == std::string_view::npos ? 0 : base + 1;
  size_t dot = v.rfind('.');
  if (dot == std::string_view::npos || dot < base) dot = v.size();
  if (dot - base <= 8) return name;
  std::string out(v.substr(0, base + 8));
  out.append(v.substr(dot));
  return ScratchText(out);
}

StrPair CompatMenuParms(int kind, StrPair value) {
  if (!value.ok() || !value.empty() || !CompatBit(kCompatMenuParms)) return value;
  CompatParmFn read = Core().fmt.parm_reader;
  if (!read) return value;
  if (kind == 2) {
    std::string options = read("OPTIONS$");
    if (!options.empty()) return ScratchText(options);
    std::string modulo = read("MODULO$");
    std::string submenu = read("SUBMENU$");
    if (modulo.empty() || submenu.empty()) return ScratchText(modulo + submenu);
    return ScratchText(modulo + "," + submenu);
  }
  if (kind == 3) return ScratchText(read("MODULOS$"));
  return value;
}

uint16_t CompatKeyMap(uint16_t file, uint16_t field, uint16_t width) {
  if (!CompatBit(kCompatKeyMap)) return width;
  CompatKeyMapFn map = Core().fmt.key_map;
  return map ? map(file, field, width) : width;
}

void CompatInstallKeyMap(CompatKeyMapFn fn) { Core().fmt.key_map = fn; }
void CompatInstallParmReader(CompatParmFn fn) { Core().fmt.parm_reader = fn; }

}  // namespace eng
