#include "ui/movs_line.h"

#include <algorithm>
#include <string>

#include "core/err_assert.h"
#include "core/exp_eval.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "ui/field_controls.h"
#include "ui/field_store_words.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/grid_slots.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/maint_trace.h"
#include "ui/maint_win_cmd.h"
#include "ui/movs_win.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr uint16_t kWriteRewriteLine = 0x0F00;
constexpr uint16_t kTraceSave = 8;
constexpr uint16_t kTraceInsert = 9;

bool Navigation(const LinsBuf& b) { return b.mode == kLinsNavigation; }

LinsBuf* LevelLines(int level) {
  ListLevel* lv = ListLevelGet(level);
  return lv ? &lv->lines : nullptr;
}

uint16_t RangeSize(const ScreenDesc& s) {
  return static_cast<uint16_t>(MovsLineLast(s) - MovsLineFirst(s) + 1);
}

// The LNASSIGN$ item of column c (beyond the line fields); empty for none.
std::string AssignItem(const LinsBuf& b, const ScreenDesc& s, uint16_t c) {
  const uint16_t range = RangeSize(s);
  if (c <= range) return "";
  ScratchScope scope;
  const StrPair item = ExpListItem(StrOf(b.names), static_cast<uint16_t>(c - range));
  return item.ok() ? item.str() : "";
}

// Whether field n is a dependant (UPDFIELDS$) of another screen field.
bool IsDependant(const ScreenDesc& s, uint16_t n) {
  for (uint16_t f = 1; f <= s.field_count; ++f) {
    const ScreenFieldDesc d = ScreenFieldGet(f);
    if (!d.dependants) continue;
    ScratchScope scope;
    const FieldList deps = ScreenFieldNums(ScreenDefSpan(d.dependants));
    if (std::find(deps.begin(), deps.end(), n) != deps.end()) return true;
  }
  return false;
}

bool SavedBlank(uint16_t file) {
  ScratchScope scope;
  const StrPair r = BufRecord(file, kBufSaved);
  if (!r.ok()) return true;
  const std::string_view v = r.view();
  return v.empty() || v[0] == '\x1b' || v.find_first_not_of(' ') == std::string_view::npos;
}

// The text of the line's screen fields, to tell whether the user changed any.
std::string LineFieldsText(const ScreenDesc& s) {
  std::string text;
  for (uint16_t n = MovsLineFirst(s), last = MovsLineLast(s); n <= last; ++n) {
    ScratchScope scope;
    text.append(ScreenFieldRaw(n).view());
    text.push_back('\x1f');
  }
  return text;
}

}  // namespace

uint16_t MovsLineFirst(const ScreenDesc& screen) { return screen.bounded_first ? screen.bounded_first : 1; }
uint16_t MovsLineLast(const ScreenDesc& screen) {
  return screen.bounded_first ? screen.bounded_last : screen.field_count;
}

Status MovsRunFldUpdate(StrPair list) {
  if (!list.ok() || list.empty()) return kOk;
  const uint16_t count = ExpListCount(list);
  for (uint16_t i = 1; i <= count; ++i) {
    ScratchScope scope;
    const StrPair item = ExpListItem(list, i);
    const uint16_t n = ScreenFieldFind(item);
    Status s;
    if (n) {
      const StrPair v = ScreenFieldValue(kStoreRefresh, n);
      s = v.ok() ? ScreenFieldStore(kStoreRefresh, n, v) : StrError(v);
    } else {
      s = ExpExecute(item);
    }
    if (s) return s;
  }
  return kOk;
}

Status MovsLineFields(int direction, LinsBuf* buffer) {
  if (!buffer || buffer->current == 0) return kOk;
  LinsBuf& b = *buffer;
  const ScreenDesc s = ScreenCurrent();
  const uint16_t first = MovsLineFirst(s), range = RangeSize(s);
  for (uint16_t c = 1; c <= b.column_count; ++c) {
    ScratchScope scope;
    const uint16_t field = static_cast<uint16_t>(first + c - 1);
    if (direction == 1) {
      StrPair v = c <= range ? ScreenFieldRaw(field) : ExpEvalStr(StrOf(AssignItem(b, s, c)));
      if (!v.ok()) return StrError(v);
      if (const Status st = LinsSetField(b, -1, c, v.view())) return st;
      continue;
    }
    std::string text;
    if (b.current <= b.used) {
      text = LinsGetField(b, -1, c);
    } else if (c <= range) {
      if (!IsDependant(s, field)) {
        const StrPair v = ScreenFieldValue(kStoreDefaults, field);
        if (!v.ok()) return StrError(v);
        text = v.str();
      }
    } else {
      const StrPair v = ExpEvalStr(StrOf(AssignItem(b, s, c)));
      if (!v.ok()) return StrError(v);
      text = v.str();
    }
    Status st = kOk;
    if (c <= range) st = ScreenFieldStore(kStoreUser, field, StrOf(text));
    else if (b.fields[c - 1] && b.info[c - 1].file == s.data_file)
      st = BufSetField(s.data_file, b.fields[c - 1], StrOf(text));
    if (st) return st;
  }
  return kOk;
}

Status MovsLineFromFields(LinsBuf* buffer) {
  if (!buffer || buffer->current == 0) return kOk;
  const ScreenDesc s = ScreenCurrent();
  const uint16_t first = MovsLineFirst(s), last = MovsLineLast(s);
  // Text still in an overlay is the line's latest value.
  for (uint16_t n = first; n <= last; ++n) {
    if (!ListFieldCtrlExists(n)) continue;
    const Status c = ScreenFieldCommit(kIdFieldBase + n);
    if (c >= kStFirstWarning) return c;
  }
  const std::string before = buffer->current <= buffer->used ? LinsCurrentText(*buffer) : std::string();
  const bool existed = buffer->current <= buffer->used;
  if (const Status c = ScreenCopyFields(0, first, last, -1, kWinCurrent, kWinSaved)) return c;
  if (const Status f = MovsLineFields(1, buffer)) return f;
  if (!existed || LinsCurrentText(*buffer) != before) {
    buffer->flags |= kLinsChanged | kLinsRedraw;
    return 1;
  }
  return kOk;
}

Status MovsLineRowRefresh(int level) {
  LinsBuf* b = LevelLines(level);
  const Status r = MovsLineFromFields(b);
  if (r == 1) {
    ListLineShow(level);
    return kOk;
  }
  return r;
}

Status MovsLineShow(int level) {
  LinsBuf* b = LevelLines(level);
  if (!b || b->current == 0) return kOk;
  const Status s = MovsLineFields(0, b);
  if (s == kOk) ListLineShow(level);
  return s;
}

Status MovsLineEditAt(const ScreenDesc& screen, int level, uint16_t line) {
  if (line == 0) return kStUndefinedWarning;
  const uint16_t grid = ListLevelGrid(level);
  if (grid != kListNone) GridSetItemState(grid, line - 1, true);
  return ListLineEdit(level, line, MovsLineFirst(screen), MovsLineLast(screen));
}

Status MovsLineShowFields(const ScreenDesc& screen, int level, uint16_t line) {
  Status s = MovsLineEditAt(screen, level, line);
  if (s == kOk) s = MovsLineShow(level);
  return s >= kStFirstError ? s : Status{kOk};
}

Status MovsLineNew(const ScreenDesc& screen, int level, uint16_t line) {
  Status s = MovsLineEditAt(screen, level, line);
  if (s == kOk) s = ScreenFieldsRefreshRange(kStoreEmpty, MovsLineFirst(screen), MovsLineLast(screen));
  LinsBuf* b = LevelLines(level);
  if (s == kOk && b) s = MovsLineFields(1, b);
  if (b) {
    b->flags |= kLinsRedraw | kLinsChanged;
    if (Navigation(*b)) {
      SysVarSet(kVarIer, kStEndOfData);
      // Only the saved copy: the line's record is new, the current record
      // holds what the line will be written with.
      const std::string blank(DictRecordLength(screen.data_file), ' ');
      BufStore(screen.data_file, kBufSaved, StrOf(blank));
    }
  }
  return s >= kStFirstError ? s : Status{kOk};
}

Status MovsLineCommit(const ScreenDesc& screen, int level) {
  const uint16_t first = MovsLineFirst(screen), last = MovsLineLast(screen);
  if (!ListFieldCtrlExists(first)) return kOk;
  Status s = MovsLineRowRefresh(level);
  LinsBuf* b = LevelLines(level);
  // The new line keeps its mark while it holds what it was shown with.
  if (b && b->current == b->fresh_line && LineFieldsText(screen) != b->fresh_text) b->fresh_line = 0;
  const bool untouched = b && b->fresh_line != 0 && b->current == b->fresh_line;
  if (s == kOk && b && Navigation(*b) && !untouched) {
    const uint16_t file = screen.data_file;
    ScratchScope scope;
    const StrPair writelins = ScreenParmItem(kParmWriteLins, 0);
    const std::string assign = ExpListItem(writelins, 1).str(), cond = ExpListItem(writelins, 2).str();
    s = MovsLineToBuffer(file, *b, StrOf(assign));
    if (s == kOk) {
      const Status c = ExpEvalCond(StrOf(cond));
      if (c == 0) {
        for (uint16_t col = 1; col <= b->column_count; ++col) LinsSetField(*b, -1, col, "");
        b->flags |= kLinsRedraw;
        return kStBadData;
      }
      if (c >= kStFirstWarning) return c;
      if (BufChanged(file) == 1) {
        const bool add = SavedBlank(file);
        MantTrace(file, add ? kTraceInsert : kTraceSave);
        s = MantSaveRecord(file, add ? kWriteAdd : kWriteRewriteLine, add ? kStEndOfData : kOk);
        SysVarSet(kVarIer, static_cast<int16_t>(s));
      }
    }
    if (s >= kStFirstWarning) return s;
    s = kOk;
  }
  if (s == kOk) ScreenFieldCtrlsDestroy(first, last);
  return s;
}

Status MovsLineStep(uint16_t code, ScreenWin* window) {
  if (!window) return kStScreenStruct;
  ListLevel* lv = ListLevelGet(window->list_level);
  if (!lv) return kStScreenStruct;
  LinsBuf& b = lv->lines;
  const bool nav = Navigation(b);
  uint16_t line = b.current;
  if (code == 32 && (nav || line >= 2)) line = static_cast<uint16_t>(line ? line - 1 : 0);
  if (code == 31 && (nav || line < b.max_lines)) ++line;
  b.current = line;
  SysVarSet(kVarLNum, static_cast<int16_t>(line));
  if (nav) {
    const int rows = ListScrollNeeded(window->list_level, line);
    if (rows) {
      b.fresh_line = 0;  // the rows are read again from the file
      const Status r = ListNavShift(window->list_level, static_cast<uint16_t>(window->flags & 0xFF), rows);
      if (r == 1 && code == 32) return kStNoData;
      return r;
    }
  }
  return kOk;
}

Status MovsLineChange(const ScreenDesc& screen, uint16_t code, ScreenWin* window) {
  switch (code) {
    case 31: case 32: case 35: case 37: case 39: case 113: break;
    default: return kOk;
  }
  if (!window) return kStScreenStruct;
  const int level = window->list_level;
  LinsBuf* b = LevelLines(level);
  if (!b) return kStScreenStruct;
  Status s = kOk;
  // The untouched new line is shown as new again, with its defaults.
  const bool untouched = b->fresh_line && b->current == b->fresh_line && b->current == b->used;
  bool fresh = untouched || !(b->current >= 1 && b->current <= b->used && code != 39);
  if (!fresh) {
    if (Navigation(*b)) {
      s = MovsLineToRecord(screen.data_file, level, b->current);
      if (s == kStEndOfData) fresh = true;
    }
    if (!fresh && s < kStFirstError) {
      SysVarSet(kVarLNum, static_cast<int16_t>(b->current));
      s = MovsLineShowFields(screen, level, b->current);
    }
  }
  uint16_t line = 0;
  if (fresh) {
    line = b->current ? b->current : 1;
    SysVarSet(kVarLNum, static_cast<int16_t>(line));
    s = MovsLineNew(screen, level, line);
  }
  if (s == kOk) {
    ScratchScope scope;
    s = MovsRunFldUpdate(ScreenParmItem(kParmFldUpdate, 0));
  }
  if (s == kOk && fresh) {
    b->fresh_line = line;
    b->fresh_text = LineFieldsText(screen);
  }
  return s;
}

Status MovsLinsControlLine(const ScreenDesc& screen, uint16_t code) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "MovsLinsControlLine");
  if (!w) return kStScreenStruct;
  Status s = kOk;
  if (code == 31 || code == 32 || code == 36) {
    s = MovsLineCommit(screen, w->list_level);
    if (s == kOk && (w = ScreenWinGet(-1)) != nullptr) {
      w->field_window_field = 0;
      w->flags &= static_cast<uint16_t>(~kMovsInserting);
    }
  }
  if (s == kOk && (code == 31 || code == 32)) s = MovsLineStep(code, ScreenWinGet(-1));
  if (s < kStFirstError) s = std::max(s, MovsLineChange(screen, code, ScreenWinGet(-1)));
  return s;
}

Status MovsLineInsert(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer) {
  if (!window || !buffer || window->state != kStateEdit) return kStNoData;
  Status s = MovsLineCommit(screen, window->list_level);
  if (s) return s;
  buffer->fresh_line = 0;  // the lines move: an inserted line is kept as any other
  if (buffer->current == 0) LinsSetCurrent(*buffer, 1);
  {
    ScratchScope scope;
    s = LinsInsertAtCurrent(buffer, ScreenParmItem(kParmLnIns, 0));
  }
  if (s == kOk) s = MovsLinsControlLine(screen, kMovsLineInserted);
  return s;
}

Status MovsLineDelete(const ScreenDesc& screen, LinsBuf* buffer, bool keep) {
  const ScreenWin* w = ScreenWinGet(-1);
  if (!w || !buffer || w->state != kStateEdit) return kStNoData;
  const int level = w->list_level;
  buffer->fresh_line = 0;
  Status s = kOk;
  if (buffer->used || keep) {
    {
      ScratchScope scope;
      s = LinsDeleteCurrent(buffer, ScreenParmItem(kParmLnDel, 0));
    }
    if (s == kOk && buffer->current > buffer->used && buffer->used && (!keep || buffer->used < buffer->max_lines)) {
      ScreenFieldCtrlsDestroy(MovsLineFirst(screen), MovsLineLast(screen));
      LinsSetCurrent(*buffer, buffer->used ? buffer->used : 1);
    }
  }
  if (s == kOk) s = MovsLineShowFields(screen, level, buffer->current ? buffer->current : 1);
  return s;
}

}  // namespace eng
