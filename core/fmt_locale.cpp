#include "core/fmt_locale.h"

#include "core/dyn_strings.h"
#include "core/runtime.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/string_lists.h"

namespace eng {

namespace {

std::string ItemText(StrPair list, uint16_t n) {
  StrPair item = StrItem(list, ',', n);
  if (!item.ok()) return std::string();
  return StrUnquote(item).str();
}

}  // namespace

FmtLocale FmtLocaleParse(StrPair text) {
  FmtLocale loc;
  if (!text.ok()) return loc;
  uint16_t nul = StrFindNul(text);
  std::string_view part = text.view();
  if (nul != kNotFound) part = part.substr(0, nul);
  if (part.size() < 2) return loc;
  loc.point = part[0];
  loc.separator = part[1];
  StrPair items = StrOf(part.substr(2));
  if (StrItemCount(items, ',') >= 1) {
    std::string chars = ItemText(items, 1);
    if (!chars.empty()) loc.number_chars = chars;
  }
  if (StrItemCount(items, ',') >= 2) {
    std::string letters = ItemText(items, 2);
    if (letters.size() >= 3) loc.logical_letters = letters;
  }
  if (StrItemCount(items, ',') >= 3) {
    std::string words = ItemText(items, 3);
    StrPair w = StrOf(words);
    if (StrItemCount(w, ',') >= 3)
      for (uint16_t i = 0; i < 3; ++i) loc.logical_words[i] = StrItem(w, ',', i + 1).str();
  }
  return loc;
}

const FmtLocale& FmtPlainLocale() {
  static const FmtLocale plain = FmtLocaleParse(StrOf(kFmtDefaultLocale));
  return plain;
}

void FmtSetLocale() { Core().fmt.locale_set = true; }

const FmtLocale& FmtCurrentLocale() {
  FmtState& st = Core().fmt;
  if (!st.locale_set) return FmtPlainLocale();
  StrPair text = DynStrGet(sl::kSettings, sl::kLocaleText);
  std::string_view v = text.ok() ? text.view() : std::string_view();
  if (!st.cache_valid || st.cached_text != v) {
    st.cached_text.assign(v);
    st.cached = v.empty() ? FmtPlainLocale() : FmtLocaleParse(StrOf(st.cached_text));
    st.cache_valid = true;
  }
  return st.cached;
}

}  // namespace eng
