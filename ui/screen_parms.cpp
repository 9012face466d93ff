#include "ui/screen_parms.h"

#include "core/dyn_strings.h"
#include "core/macros.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/string_lists.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_def.h"

namespace eng {

namespace {

bool PlainName(StrPair t) {
  if (t.empty()) return false;
  for (char c : t.view()) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                    c == '$' || c == '%' || c == '#';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

StrSpan ScreenParmSpan(StrPair text, StrPair name) {
  StrSpan s = StrKeyLocate(text, name, kKeyRaw);
  if (!s.found()) return s;
  if (s.len >= 2) {
    const char a = text.ptr[s.pos];
    if (StrIsQuote(a) && text.ptr[s.pos + s.len - 1] == a) {
      ++s.pos;
      s.len = static_cast<uint16_t>(s.len - 2);
    }
  }
  return s;
}

TextPos ScreenParmItemPos(StrPair text, StrPair name, uint16_t n) {
  StrSpan v = ScreenParmSpan(text, name);
  if (!v.found()) return 0;
  StrSpan item = StrItemSpan(StrMake(text.ptr + v.pos, v.len), ',', n);
  if (!item.found()) return 0;
  // Blanks around an item are not part of it.
  uint16_t pos = static_cast<uint16_t>(v.pos + item.pos), len = item.len;
  while (len && (text.ptr[pos] == ' ' || text.ptr[pos] == '\t')) ++pos, --len;
  while (len && (text.ptr[pos + len - 1] == ' ' || text.ptr[pos + len - 1] == '\t')) --len;
  return len ? (uint32_t(len) << 16) | pos : 0;
}

std::string ScreenParmText(uint16_t parameter, int item) {
  ScratchScope scope;
  StrPair v = ScreenParmItem(parameter, item);
  return v.ok() ? v.str() : std::string();
}

StrPair ScreenParmItem(uint16_t parameter, int item) {
  return ParmItemIn(parameter, item, ScreenDefText(ScreenCounterGet(0)));
}

StrPair ScreenParmItemExpanded(uint16_t parameter, int item) {
  ScratchScope scope;
  StrPair v = ScreenParmItem(parameter, item);
  return scope.Keep(MacroExpand(v, 0));
}

StrPair ScreenDefValue(StrPair name) { return StrKeyGetMode(ScreenDefText(ScreenCounterGet(0)), name, kKeyRaw); }

StrPair ScreenDefEntryItem(StrPair entry, int n) {
  const uint16_t count = StrItemCount(entry, ';');
  if (n == -1) return StrUnquote(StrTrim(StrItem(entry, ';', count), 3));
  if (n == 0) {
    StrPair last = StrTrim(StrItem(entry, ';', count), 3);
    if (count < 2 || !PlainName(last)) return entry;
    StrSpan s = StrItemSpan(entry, ';', count);
    return StrMake(entry.ptr, s.pos ? s.pos - 1 : 0);
  }
  return StrUnquote(StrTrim(StrItem(entry, ';', static_cast<uint16_t>(n)), 3));
}

Status ScreenEntryPush(StrPair text) {
  if (text.empty()) return kOk;
  return DynStrPush(sl::kScreens, text);
}

uint16_t ScreenFieldFind(StrPair name) {
  ScreenBlock* b = ScreenBlockOf(ScreenCounterGet(0));
  if (!b || name.empty()) return 0;
  const int screen = ScreenCounterGet(0);
  for (size_t i = 0; i < b->fields.size(); ++i)
    if (ScreenDefSpanOf(screen, b->fields[i].name).view() == name.view()) return static_cast<uint16_t>(i + 1);
  return 0;
}

}  // namespace eng
