#include "ui/lins_buf.h"

#include <algorithm>
#include <cstdio>

#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

char* LineAt(LinsBuf& b, uint16_t line) {
  return b.data.data() + static_cast<size_t>(line - 1) * b.line_width;
}
const char* LineAt(const LinsBuf& b, uint16_t line) {
  return b.data.data() + static_cast<size_t>(line - 1) * b.line_width;
}

void BlankLine(LinsBuf& b, uint16_t line) { std::fill_n(LineAt(b, line), b.line_width, ' '); }

void SetUsed(LinsBuf& b, uint16_t used) {
  b.used = used;
  SysVarSet(kVarLLst, static_cast<int16_t>(used));
}

uint16_t LineOf(const LinsBuf& b, int line) { return line < 0 ? b.current : static_cast<uint16_t>(line); }

bool IsBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace

void LinsSetCurrent(LinsBuf& b, uint16_t line) {
  b.current = line;
  SysVarSet(kVarLNum, static_cast<int16_t>(line));
}

LinsBuf LinsInit(uint16_t columns, uint16_t max_lines, uint8_t mode) {
  LinsBuf b;
  b.column_count = columns;
  b.offsets.assign(columns, 0);
  b.widths.assign(columns, 0);
  b.fields.assign(columns, 0);
  b.info.assign(columns, LinsColumnInfo{});
  b.max_lines = max_lines ? max_lines : kLinsDefaultMax;
  b.mode = mode;
  return b;
}

Status LinsAddColumn(LinsBuf& b, uint16_t width, uint16_t field) {
  if (b.added >= b.column_count) {
    if (b.status == kOk) b.status = kStDataOutBound;
    return kStDataOutBound;
  }
  if (static_cast<uint32_t>(b.line_width) + width > 0xFFFF) {
    if (b.status == kOk) b.status = kStMemoryAlloc;
    return kStMemoryAlloc;
  }
  b.offsets[b.added] = b.line_width;
  b.widths[b.added] = width;
  b.fields[b.added] = field;
  b.line_width = static_cast<uint16_t>(b.line_width + width);
  ++b.added;
  if (b.added == b.column_count) {
    const size_t size = static_cast<size_t>(b.max_lines) * b.line_width;
    try {
      b.data.assign(size, ' ');
      b.has_data = true;
    } catch (const std::bad_alloc&) {
      if (b.status == kOk) b.status = kStMemoryAlloc;
      return kStMemoryAlloc;
    }
  }
  return kOk;
}

void LinsFree(LinsBuf& b) { b = LinsBuf{}; }

Status LinsReset(LinsBuf& b) {
  if (!b.has_data) return kOk;
  std::fill(b.data.begin(), b.data.end(), ' ');
  LinsSetCurrent(b, 0);
  SetUsed(b, 0);
  b.fresh_line = 0;
  b.flags |= kLinsRedraw | kLinsChanged;
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) & ~kScrStatLinesLoaded));
  return kOk;
}

std::string LinsGetField(const LinsBuf& b, int line, uint16_t column) {
  const uint16_t l = LineOf(b, line);
  if (!b.has_data || l == 0 || column == 0 || l > b.used || column > b.column_count) return {};
  return std::string(LineAt(b, l) + b.offsets[column - 1], b.widths[column - 1]);
}

Status LinsSetField(LinsBuf& b, int line, uint16_t column, std::string_view text) {
  const uint16_t l = LineOf(b, line);
  if (!b.has_data || l < 1 || l > b.max_lines || column < 1 || column > b.column_count) return kStDataOutBound;
  if (b.used < l) {
    for (uint16_t i = static_cast<uint16_t>(b.used + 1); i <= l; ++i) BlankLine(b, i);
    SetUsed(b, l);
  }
  char* at = LineAt(b, l) + b.offsets[column - 1];
  const uint16_t w = b.widths[column - 1];
  const size_t n = std::min<size_t>(text.size(), w);
  std::copy_n(text.data(), n, at);
  std::fill(at + n, at + w, ' ');
  return kOk;
}

std::string LinsKeyText(const LinsBuf& b, int line, std::span<const uint16_t> columns) {
  std::string key;
  for (uint16_t c : columns) key += LinsGetField(b, line, c);
  return key;
}

std::string LinsCurrentText(const LinsBuf& b) {
  if (!b.has_data || b.current == 0 || b.current > b.used) return {};
  return std::string(LineAt(b, b.current), b.line_width);
}

Status LinsShift(LinsBuf* b, int k) {
  if (!b || !b->has_data || k == 0) return kStDataError;
  const int used = b->used, max = b->max_lines, cur = b->current;
  // A current line of 0 or past the table would move lines outside it, and
  // a delete with no line under the cursor would take the last line instead.
  if (cur < 1 || cur > max || (k < 0 && cur > used)) return kStDataError;
  if (used + k < 0 || used + k > max + 1) return kStDataError;
  const int w = b->line_width;
  char* base = b->data.data();
  if (k > 0) {
    const int last = std::min(used + k, max);  // lines kept after the shift
    for (int i = last - 1; i >= cur - 1 + k; --i)
      std::copy_n(base + static_cast<size_t>(i - k) * w, w, base + static_cast<size_t>(i) * w);
    for (int i = cur; i < cur + k && i <= used && i <= max; ++i) BlankLine(*b, static_cast<uint16_t>(i));
  } else {
    const int n = -k;
    for (int i = cur - 1 + n; i < used; ++i)
      std::copy_n(base + static_cast<size_t>(i) * w, w, base + static_cast<size_t>(i - n) * w);
    for (int i = used - n + 1; i <= used; ++i)
      if (i >= 1) BlankLine(*b, static_cast<uint16_t>(i));
  }
  if (used + k <= max) SetUsed(*b, static_cast<uint16_t>(used + k));
  b->flags |= kLinsRedraw | kLinsChanged;
  return kOk;
}

Status LinsShiftIf(int k, LinsBuf* b, StrPair text) {
  ScratchScope scope;
  const Status cond = ExpEvalCond(ExpListItem(text, 1));
  if (cond != 1) return cond;
  const Status s = LinsShift(b, k);
  if (s != kOk) return s;
  return ExpExecute(ExpListItem(text, 2));
}

Status LinsInsertAtCurrent(LinsBuf* b, StrPair text) { return LinsShiftIf(+1, b, text); }

Status LinsDeleteCurrent(LinsBuf* b, StrPair text) {
  if (b && b->current > b->used) return kOk;
  return LinsShiftIf(-1, b, text);
}

void LinsTrimBlank(LinsBuf& b) {
  if (!b.has_data) return;
  while (b.used >= 2 && IsBlank(std::string_view(LineAt(b, b.used), b.line_width)))
    SetUsed(b, static_cast<uint16_t>(b.used - 1));
  LinsSetCurrent(b, b.used);
}

void LinsDropUntouched(LinsBuf& b) {
  if (b.fresh_line == 0 || b.fresh_line != b.used) return;
  b.fresh_line = 0;
  BlankLine(b, b.used);
  SetUsed(b, static_cast<uint16_t>(b.used - 1));
  if (b.current > b.used) LinsSetCurrent(b, b.used);
  b.flags |= kLinsRedraw;
}

Status LinsTrimToMax(LinsBuf& b, uint16_t count, StrPair text) {
  if (count <= b.max_lines) return kOk;
  if (b.mode != kLinsNavigation) return kStUndefinedWarning;
  const uint16_t before = b.current;
  Status s = kOk;
  uint16_t deleted = 0;
  while (count > b.max_lines) {
    LinsSetCurrent(b, 1);
    s = LinsDeleteCurrent(&b, text);
    if (s != kOk) break;
    ++deleted;
    --count;
  }
  LinsSetCurrent(b, before > deleted ? static_cast<uint16_t>(before - deleted) : 0);
  return s;
}

Status LinsDeleteByKey(LinsBuf& b, std::string_view key, std::span<const uint16_t> columns, StrPair text) {
  const uint16_t before = b.current;
  uint16_t first = 0;
  Status s = kOk;
  for (uint16_t line = 1; line <= b.used;) {
    if (LinsKeyText(b, line, columns) != key) {
      ++line;
      continue;
    }
    LinsSetCurrent(b, line);
    s = LinsDeleteCurrent(&b, text);
    if (s != kOk) break;
    if (first == 0) first = line;
  }
  uint16_t cur = first ? std::min(before, first) : before;
  cur = std::min<uint16_t>(std::max<uint16_t>(cur, 1), std::max<uint16_t>(b.used, 1));
  LinsSetCurrent(b, cur);
  return s;
}

std::string LinsPosText(const LinsBuf& b) {
  char t[32];
  std::snprintf(t, sizeof t, " %u / %u", unsigned{b.current}, unsigned{b.used});
  std::string s(t);
  if (s.size() > 7) std::erase(s, ' ');
  return s;
}

Status LinsFillLine(LinsBuf& b, StrPair list) {
  const uint16_t count = ExpListCount(list);
  Status s = kOk;
  for (uint16_t i = 1; i <= count && s == kOk; ++i) {
    ScratchScope scope;
    const StrPair item = ExpListItem(list, i);
    if (!item.ok()) {
      s = StrError(item);
    } else if (!item.empty() && i <= b.column_count) {
      const StrPair v = ExpEvalStr(item);
      s = v.ok() ? LinsSetField(b, -1, i, v.view()) : StrError(v);
    } else {
      s = ExpExecute(item);
    }
  }
  b.flags |= kLinsRedraw | kLinsChanged;
  return s;
}

Status LinsFillWhile(LinsBuf& b, uint16_t start, StrPair condition, StrPair assignments, StrPair end) {
  LinsSetCurrent(b, start);
  Status failure = kOk;
  while (failure == kOk && b.current <= b.max_lines) {
    {
      ScratchScope scope;
      const Status c = ExpEvalCond(condition);
      if (c >= kStIncompatibleTypes) {
        failure = c;
      } else if (c == 1) {
        const Status s = LinsFillLine(b, assignments);
        if (s >= kStIncompatibleTypes) failure = s;
        else if (s == kOk) LinsSetCurrent(b, static_cast<uint16_t>(b.current + 1));
      }
    }
    if (failure != kOk) break;
    ScratchScope scope;
    const Status e = ExpEvalCond(end);
    if (e >= kStIncompatibleTypes) failure = e;
    else if (e == 1) break;
  }
  LinsSetCurrent(b, start);
  return failure;
}

}  // namespace eng
