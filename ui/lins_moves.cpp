#include "ui/lins_moves.h"

#include <string>

#include "core/exp_eval.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/selection_set.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/lins_build.h"
#include "ui/list_level.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

inline constexpr uint16_t kValueFromFile = 6;  // read from the file's record, with ASSIGN$

uint16_t LinesFile() { return SysVarBits(kVarCurFil); }

}  // namespace

Status MovsLineToBuffer(uint16_t file, LinsBuf& b, StrPair assignment) {
  SysVarSet(kVarLNum, static_cast<int16_t>(b.current));
  for (uint16_t c = 1; c <= b.column_count; ++c) {
    if (b.fields[c - 1] == 0) continue;
    const std::string text = LinsGetField(b, -1, c);
    if (const Status s = BufSetField(file, b.fields[c - 1], StrOf(text)); s != kOk) return s;
  }
  return ExpExecute(assignment);
}

Status MovsLineToRecord(uint16_t file, int level, uint16_t line) {
  ListLevel* lv = ListLevelGet(level);
  if (!lv) return kStDataError;
  LinsSetCurrent(lv->lines, line);
  if (const Status s = MovsLineToBuffer(file, lv->lines, StrPair{}); s != kOk) return s;
  ScratchScope scope;
  const StrPair key = BufFileKeyValue(file, 1);
  if (!key.ok()) return StrError(key);
  const std::string value = key.str();
  Status s = DataFileLocate(file, 1, StrOf(value), 0);
  if (s == kOk) {
    // The locate stands on the first of equal keys: a next entry with the
    // same key means the line cannot be told apart from another record.
    if (DataFileMove(file, 0x10) == kOk && BufFileKeyValue(file, 1).view() == value) s = kStIndexCmd;
    DataFileLocate(file, 1, StrOf(value), 0);
  }
  SysVarSet(kVarIer, static_cast<int16_t>(s));
  return s;
}

Status MovsWriteLines(uint16_t file, LinsBuf& b, bool number, StrPair assignment, StrPair slots) {
  // The dictionary answers 0xFFFF for a file without "N_LINE".
  const uint16_t found = file ? DictLineField(file) : 0;
  const uint16_t line_field = found == 0xFFFF ? 0 : found;
  for (uint16_t line = 1; line <= b.used; ++line) {
    LinsSetCurrent(b, line);
    if (number && line_field) {
      const std::string n = std::to_string(line);
      if (const Status s = BufSetField(file, line_field, StrOf(n)); s >= kStIncompatibleTypes) return s;
    }
    if (const Status s = MovsLineToBuffer(file, b, assignment); s >= kStIncompatibleTypes) return s;
    if (number && file) {
      if (const Status s = DataFileWriteHooked(kWriteAdd, file, slots, StrPair{}); s >= kStIncompatibleTypes)
        return s;
    }
  }
  b.flags &= static_cast<uint16_t>(~kLinsChanged);
  return kOk;
}

Status MovsLineFromRecord(LinsBuf& b, StrPair text) {
  SysVarSet(kVarLNum, static_cast<int16_t>(b.current));
  {
    ScratchScope scope;
    if (const Status s = ExpExecute(ExpListItem(text, 1)); s != kOk) return s;
  }
  const uint16_t range = b.range_first ? static_cast<uint16_t>(b.range_last - b.range_first + 1) : 0;
  const StrPair names = StrOf(b.names);
  for (uint16_t c = 1; c <= b.column_count; ++c) {
    ScratchScope scope;
    StrPair v;
    if (c <= range) {
      v = ScreenFieldValue(kValueFromFile, b.range_first + c - 1);
    } else if (range == 0 && b.info[c - 1].screen_field == c) {
      v = ScreenFieldValue(kValueFromFile, c);
    } else {
      v = ExpEvalStr(StrItem(names, ',', static_cast<uint16_t>(c - range)));
    }
    if (!v.ok()) return StrError(v);
    if (const Status s = LinsSetField(b, -1, c, v.view()); s != kOk) return s;
  }
  ScratchScope scope;
  return ExpExecute(ExpListItem(text, 2));
}

Status MovsAppendLine(uint16_t file, LinsBuf& b, StrPair text) {
  (void)file;
  if (b.current > b.max_lines) return kOk;
  if (const Status s = LinsShift(&b, +1); s != kOk) return s;
  if (const Status s = MovsLineFromRecord(b, text); s != kOk) return s;
  LinsSetCurrent(b, static_cast<uint16_t>(b.current + 1));
  return kOk;
}

Status MovsSelForEach(uint16_t file, LinsBuf& b, StrPair text, const MovsLineFn& fn) {
  const uint16_t count = SelCount(file);
  for (uint16_t i = 0; i < count; ++i) {
    if (const Status s = SelGoto(file, 3, i); s != kOk) return s;
    if (const Status s = fn(file, b, text); s != kOk) return s;
  }
  return kOk;
}

std::string MovsDocKey(int n) {
  ScratchScope scope;
  const uint16_t file = LinesFile();
  uint16_t k = ScreenWinCurrent().key_index;
  if (k == 0) k = 1;
  StrPair given = k <= 3 ? ScreenIndexKeyText(k) : StrPair{};
  std::string key = given.ok() && !given.empty() ? given.str() : BufFileKeyValue(file, k).str();
  const uint16_t line_field = DictLineField(file);
  if (line_field == 0 || line_field == 0xFFFF) {
    key.erase(key.find_last_not_of(' ') + 1);
    return key;
  }
  const DictKeyFieldList parts = DictKeyFields(file, k);
  if (parts.status != kOk || parts.count == 0 || parts.field[parts.count - 1] != line_field) return key;
  const uint16_t width = DictFieldLength(file, line_field);
  if (key.size() >= width) key.resize(key.size() - width);
  if (n == 0) {
    key.append(width, ' ');
  } else if (n > 0) {
    std::string num = std::to_string(n);
    if (num.size() < width) num.insert(0, width - num.size(), ' ');
    key += num.substr(num.size() - width);
  }
  return key;
}

Status MovsReadLines(LinsBuf& b, StrPair from, StrPair to) {
  const uint16_t file = LinesFile();
  if (b.current == 0) LinsSetCurrent(b, 1);
  const uint16_t remembered = b.current;
  const std::string from_key = from.empty() ? MovsDocKey(1) : from.str();
  const std::string to_key = to.empty() ? MovsDocKey(-1) : to.str();
  uint16_t key = ScreenWinCurrent().key_index;
  if (key == 0) key = 1;
  const uint16_t room = b.max_lines >= b.current ? static_cast<uint16_t>(b.max_lines - b.current + 1) : 0;
  Status s = room ? SelBuild(file, key, StrOf(from_key), StrOf(to_key), room, 3, StrPair{}) : Status{2};
  if (s == kOk || s == 1) {
    ScratchScope scope;
    StrPair each = ScreenParmItemExpanded(kParmReadLins, 0);
    if (!each.ok()) each = StrPair{};
    const std::string text = each.str();
    s = MovsSelForEach(file, b, StrOf(text),
                       [](uint16_t f, LinsBuf& lines, StrPair t) { return MovsAppendLine(f, lines, t); });
    if (s == kOk) LinsSetCurrent(b, remembered);
  }
  // A build pushes the file's selections even when it fails; the free pops them.
  if (room) SelFree(file);
  b.flags &= static_cast<uint16_t>(~kLinsChanged);
  b.flags |= kLinsRedraw;
  if (s < kStIncompatibleTypes) SysVarSet(kVarIer, static_cast<int16_t>(s));
  return s;
}

StrPair MovsGridFieldValue(StrPair name, int32_t line) {
  const ScreenWin w = ScreenWinCurrent();
  if (w.flags == 0xFFFF) return ScratchText("");
  const ListLevel* lv = ListLevelGet(w.list_level);
  if (!lv) return ScratchText("");
  return ScratchText(LinsGridValue(lv->lines, name, line, ScreenCurrent().bounded_first));
}

}  // namespace eng
