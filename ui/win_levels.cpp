#include "ui/win_levels.h"

#include <string>

#include "core/dyn_strings.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "platform/win_keys.h"
#include "platform/win_messages.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/ctl_dialog.h"
#include "ui/screen_open.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_labels.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

constexpr int kKindDialog = 5;
constexpr uint16_t kCompatRelative = 1;
constexpr int kFirstFieldId = 2000;
constexpr int16_t kKeyCancelAsked = 15;
constexpr plat::Point kDefaultPoint{100, 60};

WinLevelState& L() { return Ui().levels; }

void Forget(plat::Hwnd h) {
  WinLevelState& l = L();
  for (uint16_t i = 0; i < l.count; ++i) {
    if (l.windows[i] != h) continue;
    for (uint16_t k = i; k + 1 < l.count; ++k) l.windows[k] = l.windows[k + 1];
    l.windows[--l.count] = plat::kNoWindow;
    return;
  }
}

}  // namespace

uint16_t WinCmdCount() { return L().count; }

int WinCmdOpen(int columns, int rows, StrPair lines) {
  WinLevelState& l = L();
  plat::WinSystem* ws = UiWs();
  if (!ws || l.count >= kWinCmdStackSize) return -1;
  const std::string items = lines.ok() ? lines.str() : std::string();
  const WinLevel level = l.levels[l.current];
  int row = level.cursor_row, column = level.cursor_column;
  const plat::Hwnd below = WinTop();
  const plat::Rect base = below ? ws->GetRect(below) : plat::Rect{};
  if (row == 0 || column == 0) {
    plat::Point p = kDefaultPoint;
    if (below && (base.x == 0 || base.y == 0)) p = WinPlaceNearFocus(0);
    const GeomSize cell = FontCellSize();
    column = cell.w ? p.x / cell.w : 1;
    row = cell.h ? p.y / cell.h : 1;
  }
  if (SysVarHas(kVarCompat, kCompatRelative)) {
    row = row - level.origin_row + 1;
    column = column - level.origin_column + 1;
  }
  const plat::Hwnd h = WinCreateKind(kKindDialog, 0, StrOf(""), 0, columns, rows, &WinCmdProc);
  if (!h) return -1;
  WinGridSetSize(columns, rows, false);
  ScratchScope scope;
  StrPair t = StrOf(items);
  const uint16_t count = items.empty() ? 0 : StrItemCount(t, ',');
  if (count >= 1) WinSetText(h, StrUnquote(StrTrim(StrItem(t, ',', 1), 3)));
  for (uint16_t i = 2; i <= count; ++i) ScreenLabelDraw(i, 1, StrUnquote(StrTrim(StrItem(t, ',', i), 3)));
  l.windows[l.count++] = h;
  WinTopSetPos(base.x + GeomColToX(column), base.y + GeomRowToY(row), GeomColsToWidth(columns),
               GeomRowsToHeight(rows + 1));
  WinShowTop(-1);
  return 0;
}

Status WinCmdClose() {
  WinLevelState& l = L();
  if (l.count == 0) return kStDataOutBound;
  const plat::Hwnd h = l.windows[l.count - 1];
  Forget(h);
  WinDestroy(h);
  return kOk;
}

Status WinCmdSelect(int n) {
  WinLevelState& l = L();
  if (n < 1 || n > l.count) return kStDataError;
  const plat::Hwnd h = l.windows[n - 1];
  WinStackPush(h, WinStackValue(h));
  WinActivate(h);
  const WinLevel level = l.levels[l.current];
  WinGridSetSize(level.columns, level.rows, false);
  return kOk;
}

Status WinCmdRead(StrPair definition) {
  const std::string def = definition.ok() ? definition.str() : std::string();
  plat::WinSystem* ws = UiWs();
  const plat::Hwnd top = WinTop();
  if (!ws || !top) return kStDataOutBound;
  const ScreenGrid saved = WinGridGet();
  for (int id = kFirstFieldId;; ++id) {
    plat::Hwnd c = ws->FindChild(top, id);
    if (!c) break;
    ws->Destroy(c);
  }
  Status s = AcceptWinCreate(StrOf(""), StrOf(def), 0, top, nullptr);
  if (s != kOk) return s >= kStFirstError ? s : kOk;
  AcceptMarkCollected();
  const int record = ScreenCounterGet(kCurWin);
  WinStackSetValue(top, record);
  ScreenActionDispatch(plat::kNoWindow, kAcFirstFocus);
  WinModalLoop(top);
  const uint16_t key = SysVarBits(kVarLastKey);
  ScreenWinSelect(record);
  ScratchScope scope;
  AcceptResult r = AcceptWinCollect(StrOf(def), key, record);
  if (WinStackValue(top) == record) WinStackSetValue(top, -1);
  WinGridSetSize(saved.columns, saved.rows, false);
  return r.status >= kStFirstError ? r.status : kOk;
}

Status WinCmdWait(StrPair text) {
  if (StrCase(text, 1).view() == "KEY") SysVarSet(kVarLastKey, static_cast<int16_t>(CtlWaitKey()));
  return kOk;
}

int64_t WinCmdProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  const int16_t key = SysVarGet(kVarLastKey);
  switch (msg) {
    case plat::kWmCommand:
      if (plat::CommandId(w) == kIdOk && plat::CommandCode(w) == plat::kCmdClicked) {
        SysVarSet(kVarLastKey, kKeyEnter);
        WinPostQuit(h);
        return 0;
      }
      break;
    case plat::kWmClose:
      if (key == kKeyEnter) {
        WinPostQuit(h);
        return 0;
      }
      if (key == kKeyOther) {
        const int64_t r = ScreenWinProcDefault(ws, h, msg, w, l);
        SysVarSet(kVarLastKey, kKeyEsc);
        return r;
      }
      break;
    case plat::kWmKeyDown:
      if (static_cast<uint8_t>(w) == plat::kVkEscape) {
        ScratchScope scope;
        if (MsgAskYesNo(MsgText("0020")) == 1) SysVarSet(kVarLastKey, kKeyCancelAsked);
        return 0;
      }
      break;
    case plat::kWmSetFocus:
      // A text window shows no form until READ gives it one: its focus has
      // no field to go to and no record to select.
      if (WinStackValue(h) == -1) return plat::WinSystem::DefProc(ws, h, msg, w, l);
      break;
    case plat::kWmDestroy:
      Forget(h);
      if (key == kKeyEsc) WinPostQuit(h);
      break;
    default:
      break;
  }
  return ScreenWinProcDefault(ws, h, msg, w, l);
}

WinLevel WinLevelCurrent() { return L().levels[L().current]; }

int WinLevelPush() {
  WinLevelState& l = L();
  if (l.current >= kWinLevels - 1) return -1;
  const WinLevel parent = l.levels[l.current];
  WinLevel next;
  next.level = static_cast<uint16_t>(l.current + 1);
  next.origin_row = parent.cursor_row;
  next.origin_column = parent.cursor_column;
  next.cursor_row = 1;
  next.cursor_column = 1;
  const ScreenGrid g = WinGridGet();
  next.columns = g.columns;
  next.rows = g.rows;
  next.color1 = parent.color1;
  next.color2 = parent.color2;
  next.first_entry = DynStrCount(sl::kPendingAccept);
  l.current = next.level;
  l.levels[l.current] = next;
  return 0;
}

WinLevel WinLevelPop() {
  WinLevelState& l = L();
  if (l.current > 0) --l.current;
  return l.levels[l.current];
}

Status WinLevelSelect(int n) {
  if (n < 0 || n >= kWinLevels) return kStDataError;
  L().current = static_cast<uint16_t>(n);
  return kOk;
}

void WinLevelSetCursor(int row, int column) {
  WinLevel& v = L().levels[L().current];
  v.cursor_row = static_cast<uint16_t>(row);
  v.cursor_column = static_cast<uint16_t>(column);
}

void WinLevelSetColor(int first, int second) {
  WinLevel& v = L().levels[L().current];
  v.color1 = static_cast<uint16_t>(first);
  v.color2 = static_cast<uint16_t>(second);
}

}  // namespace eng
