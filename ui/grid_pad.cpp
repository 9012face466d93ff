#include "ui/grid_pad.h"

#include <cctype>
#include <iterator>
#include <string>
#include <vector>

#include "core/err_assert.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "platform/win_messages.h"
#include "ui/accept_def.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/grid_slots.h"
#include "ui/list_level.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/popups.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint8_t kStateLines = 4;
constexpr uint16_t kAnswerCloseWindow = 8;
constexpr Status kAnswerClosed = 4;
constexpr Status kFormComplete = 64;
constexpr uint16_t kSubPrv = 3, kSubNxt = 5, kSubIns = 9, kSubDel = 10, kSubOk = 100;
constexpr uint16_t kLinesEntered = 35;

// The grid codes the popup's items stand for ("Visualizar,Insertar,Eliminar,Buscar").
constexpr uint16_t kPopupCodes[] = {kGridEnter, kGridF9, kGridF8, 109};

ListLevel* PadLevel(const ScreenWin& w) { return ListLevelGet(w.list_level); }

// The pad's grid codes that act on the lines; a status of 128 or more from
// the grid's own step (the popup) skips the redraw.
Status GridCode(ScreenWin* w, uint16_t level, uint16_t code) {
  ListLevel* lv = ListLevelGet(level);
  const ScreenDesc screen = ScreenCurrent();
  switch (code) {
    case kGridEnter: return MovsGridOpenLine(w, -1);
    case kGridF8: return MovsLineDelete(screen, lv ? &lv->lines : nullptr, false);
    case kGridF9: return MovsLineInsert(screen, w, lv ? &lv->lines : nullptr);
    case kGridClick: {
      const uint16_t row = lv ? GridSelectedRow(lv->grid) : kGridNone;
      const int target = row != kGridNone ? row : (lv && lv->lines.used ? lv->lines.used - 1 : 0);
      return MovsGridGoLine(w, target);
    }
    case kGridFocus: {
      if (w->state == kStateLines || !lv) return kOk;
      const uint16_t row = GridSelectedRow(lv->grid);
      if (row != kGridNone) LinsSetCurrent(lv->lines, static_cast<uint16_t>(row + 1));
      const Status s = MovsLinsControlLine(screen, kGridFocus);
      if (ScreenWin* now = ScreenWinGet(-1)) now->state = kStateLines;
      return s;
    }
    default: return kOk;
  }
}

}  // namespace

uint16_t GridPadColumnWidth(StrPair type) {
  ScratchScope scope;
  std::string t = StrTrim(type, 3).ok() ? StrTrim(type, 3).str() : std::string();
  if (t.size() >= 2 && (t.front() == '\'' || t.front() == '"') && t.back() == t.front()) t = t.substr(1, t.size() - 2);
  if (t.empty()) return 0;
  unsigned width = 0;
  for (size_t i = 1; i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])) && width < 10000; ++i)
    width = width * 10 + static_cast<unsigned>(t[i] - '0');
  return static_cast<uint16_t>(width);
}

uint16_t LinsGridPadCreate(StrPair title, StrPair definition, uint16_t rows, uint16_t limit, ScreenKeyFilter hook,
                           ListKeyCallback callback) {
  const std::string def = definition.ok() ? definition.str() : std::string();
  if (Status s = AcceptWinSelect(StrOf(def), kAcceptGrid)) return s;
  const AcceptDef parsed = AcceptDefParse(StrOf(def));
  std::string headings, columns;
  for (size_t i = 1; i <= parsed.items.size(); ++i) {
    uint16_t width = GridPadColumnWidth(StrOf(parsed.items[i - 1].Part(2)));
    // An item typed by a field reference has no length of its own: its field's.
    if (width == 0) width = ScreenFieldGet(static_cast<int>(i)).storage_len;
    if (i > 1) {
      headings += ",";
      columns += ",";
    }
    std::string label = AcceptItemLabel(parsed, i).shown;
    for (char& c : label)
      if (c == ',') c = ' ';
    headings += label;
    columns += "'" + std::string(width ? width : 1, ' ') + "'";
  }
  if (!callback) callback = &_linsGridPadAction;
  const uint16_t level = ListLevelOpen(title, StrOf(headings), StrOf(columns), rows, limit, kGridPadFlags,
                                       std::move(callback));
  if (level >= kStFirstError) {
    ScreenClose(-1);
    return level == kListNone ? static_cast<uint16_t>(kStDataOutBound) : level;
  }
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "LinsGridPadCreate");
  if (!w) return kStScreenStruct;
  w->window = WinTop();
  w->list_level = level;
  ScreenActionSet(&_linsGridPadActionWin, nullptr, hook);
  HookSetFn<HookLineFieldFn>(&MovsGridFieldValue, kHookLineField);
  ListLevel* lv = ListLevelGet(level);
  lv->lines.max_lines = limit;
  const uint16_t shown = ListVisibleColumns(lv->lines);
  for (uint16_t r = 0; r < rows; ++r)
    for (uint16_t c = 0; c < shown; ++c) GridSetCell(lv->grid, r, c, "");
  LinsSetCurrent(lv->lines, 1);
  // The pad was shown before the form moved into it: its first focus (the
  // first line opened for editing) comes now.
  if (plat::WinSystem* ws = UiWs()) ws->Send(w->window, plat::kWmSetFocus);
  return level;
}

uint8_t _linsGridPadAction(plat::Hwnd window, uint16_t level, uint16_t code) {
  (void)window;
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "_linsGridPadAction");
  if (!w) return 0;
  if (code == kGridRightClick) {
    ScratchScope scope;
    const uint16_t choice = PopupMenuChoose(w->window, MsgText("0026"), nullptr);
    if (choice == 0 || choice > std::size(kPopupCodes)) return 0;
    code = kPopupCodes[choice - 1];
  }
  const Status s = GridCode(w, level, code);
  if (s < kStFirstError) MovsLinsRedraw(ScreenWinGet(-1));
  else MsgErrorBox(s);
  return 0;
}

Status _linsGridPadActionWin(uint16_t code) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "_linsGridPadActionWin");
  if (!w) return kStScreenStruct;
  const ScreenDesc screen = ScreenCurrent();
  ListLevel* lv = PadLevel(*w);
  LinsBuf* lines = lv ? &lv->lines : nullptr;
  const uint16_t cls = ActionClassOf(code);
  const uint16_t sub = ActionSubOf(code);
  Status r = kOk;
  if (code == kAcCancel) {
    r = kAnswerCloseWindow;
  } else if (cls == kAcCommand && (sub == kSubPrv || sub == kSubNxt)) {
    r = MovsPageMove(code, w);
  } else if (cls == kAcCommand && sub == kSubIns) {
    r = MovsLineInsert(screen, w, lines);
  } else if (cls == kAcCommand && sub == kSubDel) {
    r = MovsLineDelete(screen, lines, false);
  } else if (code == kActionOk) {
    r = MovsPadConfirm(kActionOk);
  } else if (code == kAcCloseRequest) {
    r = MovsPadClose(-1);
    // The window record is gone: nothing of it is shown again.
    return r == kOk ? kAnswerClosed : r;
  } else if (code == kAcLineDown || code == kAcLineUp) {
    r = MovsLinsControlLine(screen, code);
  } else if (code == kAcEntered) {
    w->state = kStateLines;
    SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatLinesLoaded));
  } else if (code == kAcFirstFocus) {
    r = ScreenActionWinDefault(code);
    if (r < kStFirstError) r = MovsLinsControlLine(screen, kLinesEntered);
  } else {
    r = ScreenActionWinDefault(code);
    if (r == kStDataError) {
      r = ScreenKeyDefault(code, ScreenWinCurrent());
      if (r == kFormComplete) {
        r = MovsPadConfirm(kActionOk);
      } else if (r == kStDataError) {
        r = kOk;
      } else if (r == kOk && SysVarHas(kVarScrStat, kScrStatWrapped)) {
        // The field cursor wrapped inside the line's fields: the line ends.
        SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) & ~kScrStatWrapped));
        const ScreenWin now = ScreenWinCurrent();
        if (now.current_field) ScreenFieldFocus(now.current_field);
        const uint16_t first = MovsLineFirst(ScreenCurrent());
        return _linsGridPadActionWin(now.current_field == first ? kAcLineDown : kAcLineUp);
      }
    }
  }
  if (r == kOk) {
    ScreenWin* now = ScreenWinGet(-1);
    r = MovsLinsRedraw(now);
    if (r == kOk && now && now->current_field) ScreenFieldFocus(now->current_field);
  }
  return r;
}

Status MovsPadConfirm(uint16_t code) {
  const ScreenWin w = ScreenWinCurrent();
  Status s = MovsLineCommit(ScreenCurrent(), w.list_level);
  if (s == kOk) s = AcceptWinExit(code);
  return s;
}

Status MovsPadClose(int level) {
  const Status s = ScreenClose(-1);
  ListLevelClose(level);
  return s;
}

}  // namespace eng
