#include "ui/screen_open.h"

#include <string>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/module_parms.h"
#include "core/obj_table.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"
#include "data/relup_rules.h"
#include "ui/fonts.h"
#include "ui/screen_build.h"
#include "ui/screen_labels.h"
#include "ui/screen_lines.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_def.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kOpenFlags = 0x07;
constexpr uint16_t kPpnFormat = 1;

Status LoadScreen(StrPair file, StrPair key, uint16_t number, int columns, int rows, uint16_t data_file) {
  ScratchScope scope;
  StrPair ppn = WinDefFilePath(file, kDefKindPpn);
  Status pushed = ParmPushDefOrEmpty(ppn.empty() ? DefFileName(file, kDefKindPpn) : ppn, kPpnFormat, number);
  // A missing definition pushed an empty one; any other failure pushed none.
  if (pushed != kOk && pushed != kStLowFailure) return pushed;
  WinDefApplyScreenSize(columns, rows);
  const uint16_t open_flags = SysVarBits(kVarScrStat);
  std::vector<ScreenFieldDesc> fields;
  Status s = ScreenLoadFieldLines(file, number, open_flags & kOpenFlags, &fields, ScreenLabelLine);
  if (s < kStFirstError) {
    ScreenDesc tmpl;
    tmpl.data_file = static_cast<uint8_t>(data_file);
    tmpl.open_flags = static_cast<uint8_t>(open_flags);
    s = ScreenBuild(tmpl, std::move(fields), key);
  }
  ParmPop();
  return s;
}

}  // namespace

Status ScreenOpen(StrPair file, StrPair key, uint16_t number, int columns, int rows, uint16_t data_file,
                  StrPair entry) {
  const uint16_t flags = SysVarBits(kVarScrStat);
  SysVarSet(kVarScrStat, static_cast<int16_t>(flags & ~0xF8));
  Status s = kOk;
  const int found = ScreenFind(key);
  if (found < 0) {
    s = LoadScreen(file, key, number, columns, rows, data_file);
  } else {
    ScreenCounterSet(kCurScreen, static_cast<uint16_t>(found));
    Status labels = ScreenLoadFieldLines(file, number, kOpenMissingOk, nullptr, ScreenLabelLine);
    if (labels >= kStFirstError) s = labels;
  }
  if (s == kOk) {
    ScreenDesc* d = ScreenGet(ScreenCounterGet(kCurScreen));
    if (!d) {
      s = kStScreenStruct;
    } else {
      ++d->use_count;
      ScreenWin w;
      w.screen = static_cast<uint16_t>(ScreenCounterGet(kCurScreen));
      w.window = WinTop();
      const GeomSize cell = FontCellSize();
      w.cell_w = static_cast<uint16_t>(cell.w);
      w.cell_h = static_cast<uint16_t>(cell.h);
      s = ScreenWinNew(w);
      if (s == kOk) s = ScreenEntryPush(entry);
    }
  }
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) & ~kOpenFlags));
  return s;
}

Status ScreenWinNew(const ScreenWin& record) {
  UiState& u = Ui();
  ScreenWin w = record;
  ScreenDesc* d = ScreenGet(w.screen);
  if (!d) return kStScreenStruct;
  w.data_file = d->data_file;
  {
    ScratchScope scope;
    StrPair index = ParmItemIn(kParmIndex, 0, ScreenDefText(w.screen));
    const int k = StrToInt(index);
    w.key_index = static_cast<uint16_t>(k ? k : 1);
  }
  const size_t file_len = w.data_file && DictFileDefined(w.data_file) ? DictRecordLength(w.data_file) : 0;
  w.block = u.next_block++;
  u.win_blocks[w.block] = std::string(2 * size_t(d->record_length) + 2 * file_len, ' ');
  const uint16_t n = u.counters[kWinCount];
  if (!ObjTableSet(kObjScreenWins, n, w)) {
    u.win_blocks.erase(w.block);
    return kStStructMem;
  }
  u.counters[kCurWin] = n;
  u.counters[kWinCount] = static_cast<uint16_t>(n + 1);
  return kOk;
}

int ScreenWinSelect(int n) {
  UiState& u = Ui();
  if (n == -1 || n < 0 || n >= u.counters[kWinCount]) return u.counters[kCurWin];
  if (ScreenWin* left = ScreenWinGet(-1)) {
    if (!(left->flags & kWinNoHandlers) && left->data_file) {
      StrPair both = BufRecord(left->data_file, kBufBoth);
      uint16_t len = 0;
      char* area = ScreenWinBuffer(u.counters[kCurWin], kWinFile, &len);
      if (both.ok() && area && both.len == 2 * len) std::copy(both.begin(), both.end(), area);
    }
  }
  u.counters[kCurWin] = static_cast<uint16_t>(n);
  ScreenWin* w = ScreenWinGet(n);
  u.counters[kCurScreen] = w->screen;
  if (ScreenDesc* d = ScreenGet(w->screen)) SysVarSet(kVarKeyMap, d->keymap_set);
  return n;
}

Status ScreenClose(int n) {
  UiState& u = Ui();
  if (n == -1) n = u.counters[kCurWin];
  Status s = kStScreenStruct;
  if (ScreenWin* w = ScreenWinGet(n)) {
    const ScreenWin gone = *w;
    u.win_blocks.erase(gone.block);
    ObjTableDelete(kObjScreenWins, static_cast<uint16_t>(n));
    --u.counters[kWinCount];
    // Later records moved down one place: the stack values and the current
    // number follow them.
    WinStackValuesShift(static_cast<uint16_t>(n));
    if (u.counters[kCurWin] > n) --u.counters[kCurWin];
    if (u.counters[kCurWin] >= u.counters[kWinCount] && u.counters[kCurWin] > 0) --u.counters[kCurWin];
    if (ScreenDesc* d = ScreenGet(gone.screen)) {
      if (d->use_count) --d->use_count;
      if (d->use_count == 0) {
        u.screen_blocks.erase(d->block);
        ObjTableDelete(kObjScreens, gone.screen);
        --u.counters[kScreenCount];
        for (uint16_t i = 0; i < u.counters[kWinCount]; ++i)
          if (ScreenWin* x = ScreenWinGet(i); x && x->screen > gone.screen) --x->screen;
        if (u.counters[kCurScreen] > gone.screen) --u.counters[kCurScreen];
      }
    }
    if (ScreenWin* cur = ScreenWinGet(-1)) u.counters[kCurScreen] = cur->screen;
    else if (u.counters[kCurScreen] >= u.counters[kScreenCount] && u.counters[kCurScreen] > 0) --u.counters[kCurScreen];
    s = kOk;
  }
  WinGridSetSize(0, 0, false);
  WinGridSetMargins(0, 0, 0, -1);
  return s;
}

Status ScreenWinClose(int value) {
  const plat::Hwnd top = WinTop();
  ScreenWin* w = ScreenWinGet(-1);
  if (!w || !top || w->window != top) return kStInternal;
  const plat::Hwnd window = w->window;
  if (ScreenDesc* d = ScreenGet(w->screen)) RelUpdRelease(d->data_file, d->rule_mark);
  Status s = ScreenClose(value == -1 ? WinStackValue(top) : value);
  WinDestroy(window);
  return s;
}

}  // namespace eng
