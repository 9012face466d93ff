#include "core/date_text.h"

#include <string>
#include <string_view>

#include "core/dates.h"
#include "core/dec_value.h"
#include "core/dyn_strings.h"
#include "core/log.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

// The date part of the locale: message 0117 as start-up stored it in (0, 0).
StrPair LocaleDatePart() {
  StrPair locale = DynStrGet(sl::kSettings, sl::kLocaleText);
  if (locale.ok()) {
    std::string_view v = locale.view();
    size_t nul = v.find('\0');
    if (nul != std::string_view::npos) {
      std::string_view part = v.substr(nul + 1);
      part = part.substr(0, part.find('\0'));
      if (!part.empty()) return StrOf(part);
    }
  }
  return MsgText("0117");
}

void Append2(std::string& out, int v) {
  out += char('0' + v / 10 % 10);
  out += char('0' + v % 10);
}

void Append4(std::string& out, int v) {
  Append2(out, v / 100);
  Append2(out, v % 100);
}

// The integer value of a text, held to a range that cannot overflow a date.
int64_t ItemValue(StrPair item) {
  int64_t v = NumParse(item);
  return v < -1 ? -1 : v > 99999 ? 99999 : v;
}

StrPair ComposeText(int64_t day, int64_t month, int64_t year) {
  if (day < 1 || day > 31 || month < 1 || month > 12 || year < 0 || year > 9999) return ScratchText("");
  return DateText(DateCompose(int(day), int(month), int(year)));
}

bool IsEightDigitDate(StrPair t) {
  if (t.len != 8) return false;
  for (uint16_t i = 0; i < 8; ++i)
    if (t.at(i) < '0' || t.at(i) > '9') return false;
  return DateIsValid(static_cast<DateYmd>(NumParse(t)));
}

StrPair TodayText() { return DateText(DateToday()); }

}  // namespace

bool FmtDayFirst() {
  StrPair lang = DynStrGet(sl::kSettings, sl::kLanguage);
  if (!lang.ok() || lang.empty()) return false;
  return StrItemIndex(StrFromC(kDayFirstLanguages), lang, ',') != 0;
}

int FmtYear4(int yy) {
  int base = SysVarGet(kVarBYear);
  return yy < SysVarGet(kVarBkYear) ? base + yy : base + yy - 100;
}

StrPair FmtDateOrToday(StrPair date) {
  if (date.ok() && !date.empty()) return date;
  if (SysVarHas(kVarAuxStat, kAuxNoToday)) return ScratchText("");
  return TodayText();
}

StrPair FmtMonthName(int month) {
  ScratchScope scope;
  StrPair names = StrUnquote(StrItem(LocaleDatePart(), ',', 1));
  if (month < 1 || month > 12) return scope.Keep(StrPair{});
  return scope.Keep(StrItem(names, ',', static_cast<uint16_t>(month)));
}

StrPair FmtLongPattern() {
  ScratchScope scope;
  return scope.Keep(StrUnquote(StrItem(LocaleDatePart(), ',', 2)));
}

StrPair FmtDateParts(StrPair year, StrPair month, StrPair day) {
  if (!year.ok() || !month.ok() || !day.ok()) return StrFail(kStDataError);
  bool day_first = FmtDayFirst();
  std::string out(day_first ? day.view() : month.view());
  out += '-';
  out.append(day_first ? month.view() : day.view());
  out += '-';
  out.append(year.view());
  if (out.size() > kDatePartsMax) return StrFail(kStStringTooLong);
  return ScratchText(out);
}

StrPair FmtDate(StrPair date, int mode) {
  ScratchScope scope;
  StrPair text = FmtDateOrToday(date);
  int64_t value = text.ok() && !text.empty() ? NumParse(text) : -1;
  if (value < 0 || value > INT32_MAX || !DateIsValid(static_cast<DateYmd>(value))) {
    if (mode == 1) return scope.Keep(StrOf("        "));
    if (mode == 2) return scope.Keep(StrOf("          "));
    return scope.Keep(StrPair{});
  }
  DateParts p = DateSplitInt(static_cast<DateYmd>(value));
  std::string y4, y2, m2, d2;
  Append4(y4, p.year);
  Append2(y2, p.year % 100);
  Append2(m2, p.month);
  Append2(d2, p.day);
  switch (mode) {
    case 0: return scope.Keep(DateText(static_cast<DateYmd>(value)));
    case 1: return scope.Keep(FmtDateParts(StrOf(y2), StrOf(m2), StrOf(d2)));
    case 2: return scope.Keep(FmtDateParts(StrOf(y4), StrOf(m2), StrOf(d2)));
    case 3: {
      std::string out(FmtMonthName(p.month).view().substr(0, 3));
      out += ' ';
      out += y4;
      return scope.Keep(StrOf(out));
    }
    case 4: {
      std::string_view pattern = FmtLongPattern().view();
      std::string month(FmtMonthName(p.month).view());
      std::string out;
      for (size_t i = 0; i < pattern.size(); ++i) {
        std::string_view rest = pattern.substr(i);
        if (rest.starts_with("[D]")) {
          out += d2;
        } else if (rest.starts_with("[M]")) {
          out += month;
        } else if (rest.starts_with("[Y]")) {
          out += y4;
        } else {
          out += pattern[i];
          continue;
        }
        i += 2;
      }
      if (out.size() > kMaxText) return scope.Keep(StrFail(kStStringTooLong));
      return scope.Keep(StrOf(out));
    }
    default: return scope.Keep(StrPair{});
  }
}

StrPair FmtParseDate(StrPair typed) {
  if (!typed.ok()) return typed;
  ScratchScope scope;
  StrPair t = StrTrim(typed, 3);
  uint16_t at = StrFindAny(t, StrOf("-./"), false);
  if (at == kNotFound) {
    if (t.len == 6) {
      int64_t day = ItemValue(StrPair{t.ptr, 2});
      int64_t month = ItemValue(StrPair{t.ptr + 2, 2});
      int64_t year = FmtYear4(int(ItemValue(StrPair{t.ptr + 4, 2})));
      return scope.Keep(ComposeText(day, month, year));
    }
    if (t.empty()) {
      if (SysVarHas(kVarAuxStat, kAuxNoToday)) return scope.Keep(StrOf("        "));
      return scope.Keep(TodayText());
    }
    return scope.Keep(IsEightDigitDate(t) ? t : StrPair{});
  }
  char sep = t.ptr[at];
  StrPair first = StrTrim(StrItem(t, sep, 1), 3);
  StrPair second = StrTrim(StrItem(t, sep, 2), 3);
  StrPair third = StrTrim(StrItem(t, sep, 3), 3);
  bool day_first = FmtDayFirst();
  int64_t day = ItemValue(day_first ? first : second);
  int64_t month = ItemValue(day_first ? second : first);
  if (day == 0 || month == 0 || third.empty()) return scope.Keep(StrPair{});
  int64_t year = ItemValue(third);
  if (third.len == 2) year = FmtYear4(int(year));
  return scope.Keep(ComposeText(day, month, year));
}

StrPair FmtDateLogText() { return FmtDate(TodayText(), 2); }

void FmtDateInstallLog() { LogSetDateFormatter(&FmtDateLogText); }

}  // namespace eng
