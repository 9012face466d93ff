// The navigation-mode moves of a list level: the grid shows a window of
// lines that slides over the lines file when the cursor leaves its rows.
#include <string>

#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"

namespace eng {

namespace {

inline constexpr uint16_t kNavMaintenance = 2;  // lines are read from the file as the window moves
inline constexpr uint16_t kMoveBelow = 4;

uint16_t CurrentKey(uint16_t file) {
  const uint16_t k = DataFileKeyNumber(file);
  return k ? k : 1;
}

}  // namespace

Status ListNavLocate(uint16_t file, StrPair key, uint16_t move, uint16_t line, int level) {
  Status s = kOk;
  if (!key.empty()) {
    if (const Status k = BufSetKeyFields(file, CurrentKey(file), key); k != kOk) return k;
    s = DataFileMove(file, static_cast<uint16_t>(move | 0x10));
  }
  ListLevel* lv = level < 0 ? nullptr : ListLevelGet(level);
  if (!lv || s >= kStIncompatibleTypes) return s;
  LinsBuf& b = lv->lines;
  LinsSetCurrent(b, line);
  // The lines from the record now current on, within its document.
  ScratchScope scope;
  const std::string from = BufFileKeyValue(file, CurrentKey(file)).str();
  s = MovsReadLines(b, StrOf(from), StrPair{});
  if (b.used < line && line <= b.max_lines) {
    for (uint16_t l = static_cast<uint16_t>(b.used + 1); l <= line; ++l) LinsSetField(b, l, 1, "");
  }
  return s;
}

Status ListNavShift(int level, uint16_t flags, int rows) {
  ListLevel* lv = ListLevelGet(level);
  if (!lv) return kStDataError;
  LinsBuf& b = lv->lines;
  const uint16_t file = SysVarBits(kVarCurFil);
  const int c = b.current;
  LinsSetCurrent(b, static_cast<uint16_t>(c - rows));
  ScratchScope scope;
  const std::string key = BufFileKeyValue(file, CurrentKey(file)).str();
  const bool reading = (flags & kNavMaintenance) != 0;
  if (c == 0 && reading) {
    if (const Status s = ListNavLocate(file, StrOf(key), kMoveBelow, 0, -1); s != kOk) return s;
  }
  if (c == 0 && b.used == b.max_lines) {
    b.used = static_cast<uint16_t>(b.used - 1);
    SysVarSet(kVarLLst, static_cast<int16_t>(b.used));
  } else if (c != 0) {
    LinsSetCurrent(b, 1);
  }
  const Status shifted = LinsShift(&b, -rows);
  if (reading && c == 0) return ListNavLocate(file, StrPair{}, 0, 1, level);
  if (reading || c == 0) {
    const Status s = ListNavLocate(file, StrOf(key), 0, static_cast<uint16_t>(c > 0 ? c - 1 : 1), level);
    return s == 2 ? Status{kOk} : s;
  }
  LinsSetCurrent(b, static_cast<uint16_t>(b.used + 1));
  return shifted;
}

}  // namespace eng
