#include "ui/list_level.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/exp_eval.h"
#include "core/field_format.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "platform/ctl_listview.h"
#include "platform/win_keys.h"
#include "platform/win_messages.h"
#include "ui/action_codes.h"
#include "ui/ctl_dialog.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/grid_slots.h"
#include "ui/lins_build.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

ListLevels& L() { return Ui().lists; }

// The index of an open level (-1: the current one); -1 when it is not open.
int LevelIndex(int level) {
  const uint16_t current = L().current;
  if (current == kListNone) return -1;
  const int n = level < 0 ? current : level;
  return n <= current && n < kListLevelCount ? n : -1;
}

uint16_t LnAssignCount() {
  ScratchScope scope;
  const StrPair items = ScreenParmItem(kParmLnAssign, 0);
  return items.ok() && !items.empty() ? ExpListCount(items) : 0;
}

// The rows of the current screen's lines area: from the first bounded
// field's row to the row of the field after the range, or to the grid's
// last row when the range ends with the last field.
uint16_t LinesAreaRows(const ScreenDesc& s) {
  if (s.bounded_first == 0) return 0;
  const GeomSize cell = FontCellSize();
  const int first_row = ScreenFieldGet(s.bounded_first).row;
  const int end_row = s.bounded_last < s.field_count ? ScreenFieldGet(s.bounded_last + 1).row
                                                     : WinGridGet().rows;
  const int px = GeomRowToY(end_row) - GeomRowToY(first_row);
  if (px <= 0 || cell.h <= 0) return 0;
  return static_cast<uint16_t>(std::lround(static_cast<double>(px) / cell.h));
}

// Whether a window holds a screen window record (its messages then end in
// the screens' dialog procedure).
bool HoldsScreen(plat::Hwnd h) {
  const int count = ScreenCounterGet(kWinCount);
  for (int i = 0; i < count; ++i)
    if (const ScreenWin* w = ScreenWinGet(i); w && w->window == h) return true;
  return false;
}

uint16_t GridCodeOfKey(uint16_t key, uint16_t slot, const ListLevel* level, bool* answered) {
  switch (key) {
    case 3: return kGridEsc;
    case 15: return kGridF5;
    case 18: return kGridF8;
    case 19: return kGridF9;
    case 21: return kGridF11;
    case 22:
    case 28: return kGridUpDown;
    case 23:
      if (GridSelectedRow(slot) == 0) {
        *answered = true;
        return kGridPageUp;
      }
      return 0;
    case 29: {
      const uint16_t row = GridSelectedRow(slot);
      if (level && row != kGridNone && row + 1 == level->limit) {
        *answered = true;
        return kGridPageDown;
      }
      return 0;
    }
    default: return 0;
  }
}

}  // namespace

uint16_t ListVisibleColumns(const LinsBuf& lines) {
  const uint16_t extra = LnAssignCount();
  return lines.column_count > extra ? static_cast<uint16_t>(lines.column_count - extra) : 0;
}

ListLevel* ListLevelGet(int level) {
  const int i = LevelIndex(level);
  return i < 0 ? nullptr : &L().levels[static_cast<size_t>(i)];
}

uint16_t ListLevelCurrent() { return L().current; }

uint16_t ListLevelGrid(int level) {
  const ListLevel* l = ListLevelGet(level);
  return l ? l->grid : kListNone;
}

int ListColumnsSetup(uint16_t columns, const LinsBuf& lines, uint16_t flags, int slot) {
  int total = 0;
  const uint16_t n = std::min<uint16_t>(columns, lines.column_count);
  for (uint16_t i = 0; i < n; ++i) {
    const LinsColumnInfo& c = lines.info[i];
    int chars = c.display_len + 1;
    if (i + 1 < n) {
      const int span = static_cast<int>(lines.info[i + 1].screen_column) - static_cast<int>(c.screen_column);
      // Columns that do not come from a screen have no place to measure.
      if (c.screen_column != 0 && span > 0) chars = span;
    }
    std::string heading = c.heading;
    heading.erase(heading.find_last_not_of(' ') + 1);
    if ((flags & kListHeadingWidth) && static_cast<int>(heading.size()) > chars) chars = static_cast<int>(heading.size());
    const int px = CtlFieldWidth(chars);
    total += px + 1;
    if (slot >= 0) GridColumnInsert(static_cast<uint16_t>(slot), i, heading, c.type, px);
  }
  return total;
}

uint16_t ListLevelOpen(StrPair title, StrPair headings, StrPair names, uint16_t visible, uint16_t limit,
                       uint16_t flags, ListKeyCallback key) {
  ScratchScope scope;
  const GeomSize cell = FontCellSize();
  const uint16_t number = L().current == kListNone ? 0 : static_cast<uint16_t>(L().current + 1);
  if (number >= kListLevelCount) return kListNone;
  const uint8_t mode = (flags & 7) ? static_cast<uint8_t>(flags & 7) : LinsModeGet();
  const bool alone = (mode & kLinsAlone) != 0;
  const ScreenDesc screen = ScreenCurrent();
  if (visible == 0xFFFF && (mode & (kLinsDocument | kLinsNavigation))) visible = LinesAreaRows(screen);
  if (visible == 0xFFFF) visible = limit;
  if (mode & kLinsNavigation) limit = visible;
  uint16_t first = 0, last = 0;
  if (mode & (kLinsDocument | kLinsNavigation)) {
    first = screen.bounded_first;
    last = first ? screen.bounded_last : 0;
  }
  StrPair columns = names;
  if (columns.empty()) columns = ScreenParmItem(kParmLnAssign, 0);
  if (!columns.ok()) columns = StrPair{};
  LinsBuf lines = LinsBuild(first, last, headings, columns, limit, flags, mode, nullptr);
  if (lines.status != kOk) return lines.status;
  if (!lines.has_data) return kStDataOutBound;
  const uint16_t shown = ListVisibleColumns(lines);
  int width = ListColumnsSetup(shown, lines, flags, -1);
  if (visible < lines.max_lines) width += 24;
  const int height = visible * (cell.h - 1) + cell.h + 6;

  plat::Hwnd parent = plat::kNoWindow;
  int x = 0, y = 0;
  if (!alone) {
    parent = WinTop();
    const ScreenFieldDesc f = ScreenFieldGet(first ? first : 1);
    x = GeomColToX(std::max(1, static_cast<int>(f.column) - 1));
    y = GeomRowToY(std::max(0, static_cast<int>(f.row) - 2));
  } else {
    const ScreenGrid saved = WinGridOverride();
    const int columns_wide = std::max<int>(lines.line_width, (width + cell.w - 1) / std::max(1, cell.w)) + 2;
    WinGridSetSize(columns_wide, visible + 1 + ((flags & kListOkButton) ? 2 : 0), false);
    WinGridSetMargins(2, 1, 2, -1);
    parent = WinCreateKind(4, 0, title, 0, -1, -1, ListNotifyProc);
    if (parent) {
      x = GeomColToX(0);
      y = GeomRowToY(1);
      WinShowTop(-1);
      if (flags & kListOkButton) CtlAddOkButton(parent);
    }
    Ui().override_grid = saved;
    if (!parent) return kStWindowsControl;
  }
  const uint16_t slot = GridCreate(parent, x, y, width, height);
  if (slot == kGridNone) {
    if (alone && UiWs()) UiWs()->Destroy(parent);
    return kStWindowsControl;
  }
  ListColumnsSetup(shown, lines, flags, slot);
  GridShow(slot);
  ListLevel& level = L().levels[number];
  level = ListLevel{std::move(lines), std::move(key), slot, visible, limit, first, last};
  L().current = number;
  return number;
}

uint16_t ListLevelClose(int level) {
  const int i = LevelIndex(level);
  if (i < 0) return L().current;
  ListLevel& l = L().levels[static_cast<size_t>(i)];
  if (l.grid != kListNone) GridDestroy(l.grid);
  LinsFree(l.lines);
  l = ListLevel{};
  L().current = L().current == 0 ? kListNone : static_cast<uint16_t>(L().current - 1);
  return L().current;
}

uint8_t ListCallKey(plat::Hwnd window, uint16_t code) {
  const ListLevel* l = ListLevelGet(-1);
  if (!l || !l->key) return kListNoCallbackAnswer;
  return l->key(window, L().current, code);
}

int64_t ListNotifyProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  const int id = plat::CommandId(w);
  if (msg == plat::kWmNotify && id >= kIdGridBase && id < kIdGridBase + kGridSlotCount &&
      SysVarHas(kVarScrStat, kScrStatLinesLoaded)) {
    const uint16_t slot = GridSlotOf(ws.FindChild(h, id));
    const ListLevel* level = slot == kGridNone ? nullptr : ListLevelGet(slot);
    uint16_t code = 0;
    bool answered = false;
    switch (plat::CommandCode(w)) {
      case plat::kLvKeyDown: {
        const uint16_t key = CtlVirtualKeyToCode(static_cast<uint8_t>(l));
        SysVarSet(kVarLastKey, static_cast<int16_t>(key));
        code = GridCodeOfKey(key, slot, level, &answered);
        break;
      }
      case plat::kLvSetFocus: code = kGridFocus; break;
      case plat::kLvRightClick:
        ListCallKey(h, kGridClick);
        code = kGridRightClick;
        break;
      case plat::kLvDblClick:
      case plat::kLvReturn: code = kGridEnter; break;
      case plat::kLvClick: code = kGridClick; break;
      default: break;
    }
    if (code) {
      const uint8_t answer = ListCallKey(h, code);
      if (answered) return 1;
      if (answer && (code == kGridEsc || code == kGridRightClick || code == kGridEnter) && ws.IsWindow(h))
        ws.Post(ws.TopLevelOf(h), plat::kWmClose);
    }
  }
  if (!ws.IsWindow(h)) return 0;
  if (HoldsScreen(h)) return ScreenDialogProc(ws, h, msg, w, l);
  // A list window of its own without a screen: closes on request and on
  // Esc outside the grid, like any window.
  if (msg == plat::kWmKeyDown && static_cast<uint8_t>(w) == plat::kVkEscape) {
    ws.Send(h, plat::kWmClose);
    return 0;
  }
  return plat::WinSystem::DefProc(ws, h, msg, w, l);
}

void ListLineShow(int level) {
  ListLevel* lv = ListLevelGet(level);
  if (!lv || lv->grid == kListNone || lv->lines.current == 0) return;
  const LinsBuf& b = lv->lines;
  const uint16_t shown = ListVisibleColumns(b);
  for (uint16_t c = 1; c <= shown; ++c) {
    std::string text;
    if (b.current <= b.used) {
      ScratchScope scope;
      const LinsColumnInfo& info = b.info[c - 1];
      const std::string raw = LinsGetField(b, -1, c);
      const StrPair shown_text = FmtFieldToText(info.type, StrOf(raw), info.display_len);
      text = shown_text.ok() ? shown_text.str() : raw;
      // The grid aligns the cell itself (numbers to the right).
      text.erase(text.find_last_not_of(' ') + 1);
      if (GridTypeNumeric(info.type)) text.erase(0, text.find_first_not_of(' '));
    }
    GridSetCell(lv->grid, b.current - 1, c - 1, text);
  }
}

void ListLinesShow(int level, uint16_t from, uint16_t to) {
  ListLevel* lv = ListLevelGet(level);
  if (!lv) return;
  const uint16_t kept = lv->lines.current;
  for (uint32_t line = std::max<uint16_t>(from, 1); line <= to && line <= lv->lines.max_lines; ++line) {
    lv->lines.current = static_cast<uint16_t>(line);
    ListLineShow(level);
  }
  lv->lines.current = kept;
}

bool ListFieldCtrlExists(uint16_t n) {
  plat::WinSystem* ws = UiWs();
  return n != 0 && ws && ws->FindChild(WinTop(), kIdFieldBase + n) != plat::kNoWindow;
}

void ScreenFieldCtrlsDestroy(uint16_t first, uint16_t last) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return;
  for (uint32_t n = first; n <= last; ++n) {
    const plat::Hwnd c = ws->FindChild(WinTop(), kIdFieldBase + static_cast<int>(n));
    if (!c) break;
    ws->Destroy(c);
  }
}

int ListScrollNeeded(int level, uint16_t line) {
  const ListLevel* lv = ListLevelGet(level);
  if (!lv) return 0;
  if (lv->lines.mode == kLinsNavigation) {
    if (line == 0) return -1;
    return line > lv->visible ? 1 : 0;
  }
  const int top = GridScroll(lv->grid, 0);
  int r = line - top - lv->visible;
  if (r >= 0) return r;
  r = line - top - 1;
  return r < 0 ? r : 0;
}

Status ListLineEdit(int level, uint16_t line, uint16_t first, uint16_t last) {
  if (level < 0) level = ScreenWinCurrent().list_level;
  ListLevel* lv = ListLevelGet(level);
  if (!lv || lv->grid == kListNone) return kOk;
  if (ListFieldCtrlExists(first)) return kOk;
  LinsBuf& b = lv->lines;
  if (line > b.used && line <= b.max_lines) GridSetCell(lv->grid, line - 1, 0, "");
  GridScroll(lv->grid, ListScrollNeeded(level, line));
  LinsSetCurrent(b, line);
  const GeomSize cell = FontCellSize();
  for (uint16_t n = first; n <= last && n != 0; ++n) {
    const int column = n - first;
    const plat::Rect r = GridCellPos(lv->grid, line - 1, column);
    if (r.w == 0) continue;
    ScreenFieldDesc f = ScreenFieldGet(n);
    if (f.status != kOk) return f.status;
    int x = r.x + 3;
    if (b.mode == kLinsAlone) {
      // The field takes the cell's width.
      const int chars = std::max(1, GridColumnWidth(lv->grid, column) / std::max(1, cell.w));
      if (ScreenBlock* sb = ScreenBlockOf(ScreenCounterGet(kCurScreen)); sb && n <= sb->fields.size())
        sb->fields[n - 1].width = static_cast<uint16_t>(chars);
      f.width = static_cast<uint16_t>(chars);
    }
    // A number's box ends where its column's text does.
    if (GridTypeNumeric(f.type)) x = r.x + r.w - 3 - CtlEditWidth(f.width);
    const plat::Hwnd c = ScreenFieldCtrlCreate(n, x, r.y, b.mode);
    if (c) {
      ScratchScope scope;
      ScreenFieldSetCtrl(n, StrOf(LinsGetField(b, -1, static_cast<uint16_t>(column + 1))), 0);
      if (UiWs()) UiWs()->BringChildToTop(c);
    }
  }
  return kOk;
}

Status ListLineStore(int level, uint16_t first, uint16_t last) {
  ListLevel* lv = ListLevelGet(level);
  if (!lv) return kStDataError;
  LinsBuf& b = lv->lines;
  if (b.current == 0) return kStDataError;
  Status s = kOk;
  for (uint16_t n = first; n <= last && n != 0 && s == kOk; ++n) {
    if (ListFieldCtrlExists(n)) {
      const Status c = ScreenFieldCommit(kIdFieldBase + n);
      if (c >= kStCancelled) s = c;
    }
    if (s != kOk) break;
    ScratchScope scope;
    const StrPair raw = ScreenFieldRaw(n);
    if (!raw.ok()) {
      s = StrError(raw);
      break;
    }
    s = LinsSetField(b, -1, static_cast<uint16_t>(n - first + 1), raw.view());
  }
  if (s != kOk) return s;
  b.flags |= kLinsRedraw | kLinsChanged;
  ListLineShow(level);
  ScreenFieldCtrlsDestroy(first, last);
  return kOk;
}

}  // namespace eng
