#include "apps/pelmora/ac_line_order.h"

#include <string>
#include <vector>

#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_text.h"
#include "core/err_register.h"
#include "core/log.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_command.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/selection_set.h"
#include "ui/field_texts.h"
#include "ui/list_level.h"
#include "ui/maint_win_cmd.h"
#include "ui/screen_table.h"

namespace eng::pelmora {

namespace {

NavsOrderState g_state;

constexpr uint16_t kPushFileArea = 2 | 64;  // the window's file record area pushed
constexpr uint16_t kPopFileArea = 3 | 64;   // and popped back
constexpr uint16_t kMoveNext = 0x10;
constexpr uint16_t kMovePrevious = 0x14;
constexpr uint16_t kMoveLast = 0x20;
constexpr uint16_t kSaveWriteMode = 0x0F00;

uint16_t CurrentFile() { return DictFileNumber(0); }

bool StateSet() { return g_state.prefix_parts != 0; }

std::string KeyOf(uint16_t file) { return AcKeyText(file, 1); }

std::string PrefixOf(std::string_view key) {
  return std::string(key.substr(0, std::min<size_t>(key.size(), g_state.prefix_len)));
}

LinsBuf* LinesOf(int level) {
  ListLevel* l = ListLevelGet(level);
  return l && l->lines.has_data ? &l->lines : nullptr;
}

Status SetLineField(uint16_t file, int32_t n) {
  ScratchScope scope;
  return BufSetField(file, g_state.line_field, StrOf(std::to_string(n)));
}

int32_t LineOfRecord(uint16_t file) {
  std::string t = AcFieldText(file, g_state.line_field);
  return t.empty() ? 0 : std::atoi(t.c_str());
}

// The records whose key 1 equals the key; the file's block and buffer are
// put back.
uint32_t KeyCount(uint16_t file, const std::string& key) {
  DataFileSaved saved;
  if (DataFileCtrlSave(file, saved)) return 0;
  DataFileSetKeyNumber(file, 1);
  uint32_t n = 0;
  Status s;
  {
    ScratchScope scope;
    s = DataFileLocate(file, 1, StrOf(key), 0);
  }
  while (s == kOk && KeyOf(file) == key) {
    ++n;
    s = DataFileMove(file, kMoveNext);
  }
  DataFileCtrlSave(file, saved);
  return n;
}

// The window's record buffers, kept while records are read and rewritten
// under it; nothing to keep without a window.
struct WindowBuffersKept {
  bool pushed = false;
  Status Push() {
    if (ScreenCounterGet(kCurWin) < 0) return kOk;
    int s = ScreenBufStack(kPushFileArea);
    if (s >= kStFirstWarning) return static_cast<Status>(s);
    pushed = true;
    return kOk;
  }
  ~WindowBuffersKept() {
    if (pushed) ScreenBufStack(kPopFileArea);
  }
};

// A grid row's key: the prefix columns joined, then the order column
// right-aligned in its width. Row 0 has none.
std::string RowKey(const LinsBuf& lines, int row) {
  if (row < 1) return {};
  std::string key;
  for (uint16_t c = 1; c <= g_state.prefix_parts; ++c) key += LinsGetField(lines, row, c);
  std::string line = AcTrim(LinsGetField(lines, row, g_state.order_column));
  uint16_t width = g_state.order_column >= 1 && g_state.order_column <= lines.widths.size()
                       ? lines.widths[g_state.order_column - 1]
                       : 0;
  if (line.size() < width) line.insert(0, width - line.size(), ' ');
  return key + line;
}

// The line at which a shift of the run behind duplicates stopped (124) or
// the first failure.
Status ShiftRun(uint16_t file, const std::string& from, int32_t base, std::string* stopped_at) {
  const std::string prefix = PrefixOf(from);
  std::string bound = prefix + std::string(from.size() - prefix.size(), '9');
  Status s;
  {
    ScratchScope scope;
    s = SelBuild(file, 1, StrOf(from), StrOf(bound), 65535, 3, StrPair{});
  }
  if (s == kStEndOfData) {
    SelFree(file);
    return kOk;
  }
  if (s) {
    SelFree(file);
    return s;
  }
  const uint32_t count = SelCount(file);
  for (uint32_t i = count; i-- > 0 && s == kOk;) {
    if ((s = SelGoto(file, kBufBoth, i))) break;
    std::string key = KeyOf(file);
    if (KeyCount(file, key) >= 2) {
      *stopped_at = key;
      s = kStUndefinedWarning;
      break;
    }
    const int32_t wanted = base + static_cast<int32_t>(i);
    if (LineOfRecord(file) >= wanted) continue;
    if ((s = SetLineField(file, wanted))) break;
    s = DataFileUpdateRecord(file);
  }
  SelFree(file);
  return s;
}

Status UniqueRun(uint16_t file, const std::string& key, int depth);

// Moves the lines behind the duplicates of the key up to make room for
// them, repairing duplicates met on the way first.
Status MakeRoom(uint16_t file, const std::string& key, int32_t m, uint32_t n, int depth) {
  for (;;) {
    {
      ScratchScope scope;
      DataFileSetKeyNumber(file, 1);
      Status s = DataFileLocate(file, 1, StrOf(key), 0);
      if (s != kOk) return s >= kStFirstError ? s : Status{kStInternal};
    }
    if (Status s = SetLineField(file, m + 1)) return s;
    std::string stopped;
    Status s = ShiftRun(file, KeyOf(file), m + static_cast<int32_t>(n), &stopped);
    if (s != kStUndefinedWarning) return s;
    if (Status r = UniqueRun(file, stopped, depth + 1)) return r;
  }
}

Status UniqueRun(uint16_t file, const std::string& key, int depth) {
  // Every nested repair is of a later key of the same run: the depth stays
  // below the run's length.
  if (depth > 65535) return kStInternal;
  int32_t m = NavsOrderLineNo(key);
  if (m == 0) m = 1;
  const uint32_t n = KeyCount(file, key);
  if (n < 2) {
    ScratchScope scope;
    return ErrIncident(kStDataError, StrOf("_navsOrderUnique: No duplicate"), false);
  }
  if (Status s = MakeRoom(file, key, m, n, depth)) return s;
  // The duplicates rewritten in place, the first found getting the highest
  // number.
  Status s;
  {
    ScratchScope scope;
    s = SelBuild(file, 1, StrOf(key), StrOf(key), 65535, 3, StrPair{});
  }
  if (s) {
    SelFree(file);
    return s == kStEndOfData ? Status{kStInternal} : s;
  }
  const uint32_t found = SelCount(file);
  for (uint32_t j = 0; j < found && s == kOk; ++j) {
    if ((s = SelGoto(file, kBufBoth, j))) break;
    if ((s = SetLineField(file, m + static_cast<int32_t>(found - 1 - j)))) break;
    s = DataFileUpdateRecord(file);
  }
  SelFree(file);
  return s;
}

}  // namespace

const NavsOrderState& NavsOrderGet() { return g_state; }
void NavsOrderReset() { g_state = NavsOrderState{}; }

Status NavsOrderSetField(uint16_t column) {
  if (column == 0) return kStDataError;
  const uint16_t file = CurrentFile();
  DictKeyFieldList fields = DictKeyFields(file, 1);
  if (fields.status || fields.count < 2) return kStDataError;
  const uint16_t p = fields.count;
  g_state.line_field = fields.field[p - 1];
  g_state.prefix_len = DictKeyLength(file, 1, static_cast<uint16_t>(p - 1));
  g_state.prefix_parts = static_cast<uint16_t>(p - 1);
  g_state.order_column = column;
  return kOk;
}

uint16_t NavsOrderPrefixLen() { return g_state.prefix_len; }

int32_t NavsOrderLineNo(std::string_view key) {
  if (key.size() <= g_state.prefix_len) return 0;
  std::string rest = AcTrim(key.substr(g_state.prefix_len));
  return std::atoi(rest.c_str());
}

Status NavsOrderFit(int direction, int level, const std::string& key, uint32_t* count) {
  if (count) *count = 0;
  if (!StateSet() || (direction != 1 && direction != -1)) return kStDataError;
  const uint16_t file = CurrentFile();
  int32_t t = NavsOrderLineNo(key);
  const std::string prefix = PrefixOf(key);
  Status s;
  {
    ScratchScope scope;
    DataFileSetKeyNumber(file, 1);
    s = SelBuild(file, 1, StrOf(key), StrOf(prefix), 65535, 3, StrPair{});
  }
  if (s || SelCount(file) == 0) {
    SelFree(file);
    return kOk;
  }
  uint32_t offset = 0;
  if (direction == -1) t += 1;
  else offset = 1;
  WindowBuffersKept kept;
  if ((s = kept.Push())) {
    SelFree(file);
    return s;
  }
  LinsBuf* lines = LinesOf(level);
  const uint32_t n = SelCount(file);
  for (uint32_t k = 0; k < n && s == kOk; ++k) {
    const uint32_t i = direction == 1 ? n - 1 - k : k;
    if ((s = SelGoto(file, kBufBoth, i))) break;
    std::string own = KeyOf(file);
    if (KeyCount(file, own) > 1) {
      ScratchScope scope;
      LogTrace(StrOf("NavsOrderFit: Duplicate key: " + own), kTraceLog);
    }
    const int32_t number = static_cast<int32_t>(i) + t + direction;
    if ((s = SetLineField(file, number))) break;
    if ((s = DataFileUpdateRecord(file))) break;
    if (lines) {
      const uint32_t row = lines->current + i + offset;
      if (row >= 1 && row <= lines->used)
        s = LinsSetField(*lines, static_cast<int>(row), g_state.order_column, std::to_string(number));
    }
  }
  SelFree(file);
  if (s == kOk && count) *count = n;
  return s;
}

Status NavsOrderNumSve(int level, int32_t* line) {
  const uint16_t file = CurrentFile();
  const int32_t number = StateSet() ? LineOfRecord(file) : 0;
  if (line) *line = number;
  Status s = kOk;
  if (!StateSet()) {
    s = kStDataError;
  } else if (number == 0) {
    StrPair saved = BufRecord(file, kBufSaved);
    if (!saved.ok()) {
      s = StrError(saved);
    } else if (AcTrim(saved.view()).empty()) {
      int32_t n = 1;
      if (LinsBuf* lines = LinesOf(level)) {
        std::string above = RowKey(*lines, lines->current - 1);
        std::string here = RowKey(*lines, lines->current);
        if (!above.empty() && PrefixOf(above) == PrefixOf(here)) n = NavsOrderLineNo(above) + 1;
      }
      s = NavsOrderSetLine(level, n);
    } else {
      s = kStInternal;
    }
  }
  if (s) {
    ScratchScope scope;
    return ErrIncident(s, StrOf("_navsOrderNumSve"), false);
  }
  return kOk;
}

Status NavsOrderUnique(uint16_t file) {
  if (!StateSet()) return kStDataError;
  const uint16_t f = DictFileNumber(file);
  const std::string key = KeyOf(CurrentFile());
  if (KeyCount(f, key) < 2) return kOk;
  if (Status s = UniqueRun(f, key, 0)) return s;
  {
    ScratchScope scope;
    LogTrace(StrOf("NavsOrderUnique: " + key), kTraceLog);
    DataFileSetKeyNumber(f, 1);
    Status s = DataFileLocate(f, 1, StrOf(key), 0);
    return s;
  }
}

StrPair NavsOrderFindKey(StrPair key, uint16_t direction) {
  if (!key.ok()) return key;
  const uint16_t file = CurrentFile();
  const std::string value(key.view());
  DataFileSaved saved;
  if (Status s = DataFileCtrlSave(file, saved)) return StrFail(s);
  DataFileSetKeyNumber(file, 1);
  Status s;
  {
    ScratchScope scope;
    s = DataFileLocate(file, 1, StrOf(value), 2);
  }
  if (s < kStFirstWarning) {
    if (direction == 4) s = DataFileMove(file, s == kNdxPastEnd ? kMoveLast : kMovePrevious);
    else if (s == kOk) s = DataFileMove(file, kMoveNext);
  }
  std::string found = s == kOk ? KeyOf(file) : std::string();
  DataFileCtrlSave(file, saved);
  if (s >= kStFirstWarning) return StrFail(s);
  return ScratchText(found);
}

Status NavsOrderSetLine(int level, int32_t n) {
  if (!StateSet()) return kStDataError;
  if (LinsBuf* lines = LinesOf(level))
    if (Status s = LinsSetField(*lines, -1, g_state.order_column, std::to_string(n))) return s;
  return SetLineField(CurrentFile(), n);
}

int32_t NavsOrderListLine(int level) {
  LinsBuf* lines = LinesOf(level);
  if (!lines || !StateSet()) return 0;
  return std::atoi(AcTrim(LinsGetField(*lines, -1, g_state.order_column)).c_str());
}

Status NavsOrderNextLine(int level) {
  if (!StateSet()) return kStDataError;
  const uint16_t file = CurrentFile();
  const std::string prefix = PrefixOf(KeyOf(file));
  const std::string bound = prefix + std::string(DictFieldLength(file, g_state.line_field), '9');
  std::string k;
  {
    ScratchScope scope;
    StrPair before = NavsOrderFindKey(StrOf(bound), 4);
    if (!before.ok()) return StrError(before);
    k = before.str();
  }
  const int32_t n = k.empty() || PrefixOf(k) != prefix ? 1 : NavsOrderLineNo(k) + 1;
  return NavsOrderSetLine(level, n);
}

Status NavsOrderMove(const std::string& old_key, int level) {
  if (!StateSet()) return kStDataError;
  const uint16_t file = CurrentFile();
  std::string k;
  {
    ScratchScope scope;
    StrPair after = NavsOrderFindKey(StrOf(old_key), 0);
    if (!after.ok()) return StrError(after);
    k = after.str();
  }
  if (k.empty() || PrefixOf(k) != PrefixOf(old_key)) return kOk;
  if (ScreenCounterGet(kCurWin) >= 0) {
    Status saved = MantSaveRecord(file, kSaveWriteMode, kOk);
    if (saved >= kStFirstWarning) return saved;
  }
  if (Status s = BufCopyPart(file, 1)) return s;
  LinsBuf* lines = LinesOf(level);
  if (lines) ++lines->current;
  Status s = NavsOrderFit(-1, level, k, nullptr);
  if (lines) --lines->current;
  return s;
}

Status AcFitEntryFn(FnArgs& args) {
  ScreenWin win = ScreenWinCurrent();
  const int level = ListLevelCurrent() == kListNone ? -1 : static_cast<int>(ListLevelCurrent());
  const uint16_t file = CurrentFile();
  const std::string key = KeyOf(file);
  if (Status s = FnArgCount(args, 1, 1)) return s;
  StrPair word = FnArgStr(args, 1, StrPair{});
  if (!word.ok()) return AcArgStatus(StrError(word));
  const std::string text(word.view());
  uint32_t count = 0;
  Status s = kOk;
  switch (DataFileCmdIndex(StrOf(text), StrOf(kDataFileCmdWords))) {
    case kCmdSve: {
      int32_t line = 0;
      s = NavsOrderNumSve(level, &line);
      if (s == kOk && (win.flags & kNavsWinLinesEdited)) s = NavsOrderFit(1, level, KeyOf(file), &count);
      else count = static_cast<uint32_t>(line);
      break;
    }
    case kCmdIns:
      s = NavsOrderFit(1, level, key, &count);
      break;
    case kCmdDel:
      if (win.flags & kNavsWinLinesEdited) {
        if (ScreenWin* w = ScreenWinGet(-1)) w->flags = static_cast<uint16_t>(w->flags & ~kNavsWinLinesEdited);
      } else {
        s = NavsOrderFit(-1, level, key, &count);
      }
      break;
    default: {
      std::string t = AcTrim(text);
      const bool digits = !t.empty() && t.size() <= 5 && t.find_first_not_of("0123456789") == std::string::npos;
      const int column = digits ? std::atoi(t.c_str()) : 0;
      LinsBuf* lines = LinesOf(level);
      const int columns = lines ? lines->column_count : 0;
      if (column < 1 || column > columns) return kStSyntax;
      s = NavsOrderSetField(static_cast<uint16_t>(column));
      break;
    }
  }
  if (s >= kStFirstError) return s;
  return AcNumberResult(args, DecFromInt64(count));
}

}  // namespace eng::pelmora
