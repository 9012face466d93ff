#include "ui/lins_build.h"

#include <algorithm>
#include <charconv>

#include "core/exp_eval.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

LinsColumnSource FromScreenField(uint16_t n) {
  LinsColumnSource c;
  const ScreenFieldDesc f = ScreenFieldGet(n);
  if (f.status != kOk) {
    c.status = f.status;
    return c;
  }
  c.info.type = f.type ? f.type : 'A';
  c.info.display_len = f.display_len;
  c.info.screen_column = f.column;
  c.info.screen_field = n;
  if (f.file && f.file_field) {
    c.info.file = f.file;
    c.info.file_field = f.file_field;
  }
  c.storage_len = f.storage_len;
  return c;
}

bool IsFieldRef(std::string_view name) {
  const size_t open = name.find('{');
  return open != std::string_view::npos && open > 0 && !name.empty() && name.back() == '}';
}

LinsColumnSource FromName(StrPair name) {
  if (const uint16_t n = ScreenFieldFind(name)) return FromScreenField(n);
  LinsColumnSource c;
  c.info.type = 'A';
  if (IsFieldRef(name.view())) {
    const DictFieldRefResult r = DictFieldRef(name);
    if (r.status != kOk || r.field == 0) {
      c.status = r.status != kOk ? r.status : Status{kStSyntax};
      return c;
    }
    c.info.file = static_cast<uint8_t>(r.file);
    c.info.file_field = r.field;
    c.storage_len = c.info.display_len = DictFieldLength(r.file, r.field);
    return c;
  }
  ScratchScope scope;
  const StrPair v = ExpEvalStr(name);
  if (!v.ok()) {
    c.status = StrError(v);
    return c;
  }
  c.storage_len = c.info.display_len = v.len;
  return c;
}

}  // namespace

uint8_t LinsModeGet() {
  ScratchScope scope;
  const StrPair mode = ScreenParmItem(kParmMode, 0);
  if (!mode.ok() || mode.empty()) return kLinsDocument;
  switch (StrItemIndex(StrOf("ALONE,DOCUMENT,NAVIGATION"), mode, ',')) {
    case 1: return kLinsAlone;
    case 3: return kLinsNavigation;
    default: return kLinsDocument;
  }
}

LinsColumnSource LinsColumnDesc(uint16_t i, uint16_t first, uint16_t last, StrPair names) {
  if (first != 0) {
    const uint16_t range = static_cast<uint16_t>(last - first + 1);
    if (i <= range) return FromScreenField(static_cast<uint16_t>(first + i - 1));
    return FromName(StrItem(names, ',', static_cast<uint16_t>(i - range)));
  }
  if (i <= ScreenCurrent().field_count) return FromScreenField(i);
  return FromName(StrItem(names, ',', i));
}

LinsBuf LinsBuild(uint16_t first, uint16_t last, StrPair headings, StrPair names, uint16_t max_lines, uint16_t flags,
                  uint8_t mode, uint32_t* total) {
  ScratchScope scope;
  const uint16_t lines_file = SysVarBits(kVarCurFil);
  const uint16_t n = names.empty() ? 0 : StrItemCount(names, ',');
  const uint16_t range = first ? static_cast<uint16_t>(last - first + 1) : 0;
  const uint16_t count = first ? static_cast<uint16_t>(range + n) : n;
  LinsBuf b = LinsInit(count, max_lines, mode);
  b.names = names.str();
  b.range_first = first;
  b.range_last = first ? last : 0;
  for (uint16_t i = 1; i <= count && b.status == kOk; ++i) {
    LinsColumnSource c = LinsColumnDesc(i, first, last, names);
    if (c.status != kOk) {
      b.status = c.status;
      break;
    }
    if (!headings.empty()) {
      c.info.heading = StrItem(headings, ',', i).str();
    } else if (c.info.file && c.info.file_field) {
      c.info.heading = DictFieldName(c.info.file, c.info.file_field).str();
    }
    if (total && (first == 0 || i <= range)) {
      uint32_t w = c.info.display_len;
      if ((flags & kListHeadingWidth) && c.info.heading.size() >= w) w = static_cast<uint32_t>(c.info.heading.size());
      *total += w + 1;
    }
    const uint16_t field = c.info.file == lines_file && lines_file != 0 ? c.info.file_field : 0;
    b.info[b.added] = c.info;
    LinsAddColumn(b, c.storage_len, field);
  }
  return b;
}

std::string LinsGridValue(const LinsBuf& b, StrPair name, int line, uint16_t first) {
  uint16_t column = 0;
  uint16_t matches = 0, match = 0;
  const int screen = ScreenCounterGet(kCurScreen);
  if (screen >= 0) {
    const uint16_t fields = ScreenCurrent().field_count;
    for (uint16_t f = 1; f <= fields; ++f) {
      if (ScreenDefSpanOf(screen, ScreenFieldGet(f).name).view() == name.view()) {
        ++matches;
        match = f;
      }
    }
  }
  const std::string_view v = name.view();
  if (matches == 1) {
    column = first ? static_cast<uint16_t>(match - first + 1) : match;
  } else if (v.starts_with("_GRID")) {
    unsigned number = 0;
    const char* at = v.data() + 5;
    std::from_chars(at, v.data() + v.size(), number);
    column = static_cast<uint16_t>(std::min(number, 0xFFFFu));
  }
  return LinsGetField(b, line, column);
}

}  // namespace eng
