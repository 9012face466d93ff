// The grid-code callback of document windows: the lines grid's mouse and
// key events become line moves and document commands.
#include <algorithm>

#include "core/err_assert.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "platform/win_core.h"
#include "ui/action_codes.h"
#include "ui/ctl_dialog.h"
#include "ui/field_values.h"
#include "ui/grid_slots.h"
#include "ui/list_level.h"
#include "ui/maint_win_state.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/popups.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kPopupCodes[] = {kGridEnter, kGridF9, kGridF8, 109};

void ShowPosition(const LinsBuf& b) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return;
  if (const plat::Hwnd c = ws->FindChild(WinTop(), kIdStatus1)) ws->SetText(c, LinsPosText(b));
}

uint16_t CommandOf(uint16_t code) {
  switch (code) {
    case kGridF5: return 0x1119;
    case kGridF8: return 0x0A19;
    case kGridF9: return 0x0919;
    case kGridF11: return 0x1019;
    case 109: return 0x0719;
    default: return 0;
  }
}

}  // namespace

Status MovsGridGoLine(ScreenWin* window, int row) {
  if (!window) return kStScreenStruct;
  ListLevel* lv = ListLevelGet(window->list_level);
  if (!lv || row < 0) return kOk;
  const ScreenDesc screen = ScreenCurrent();
  window->flags |= kMovsRowChange;
  LinsBuf& b = lv->lines;
  Status s = MovsLineRowRefresh(window->list_level);
  if (b.current) GridSetItemState(lv->grid, b.current - 1, true);
  if (s == kOk && row + 1 != b.current && row < b.used) {
    s = MovsLineCommit(screen, window->list_level);
    if (s == kOk) {
      ScreenFieldCtrlsDestroy(MovsLineFirst(screen), MovsLineLast(screen));
      LinsSetCurrent(b, static_cast<uint16_t>(row + 1));
      s = MovsLineShowFields(screen, window->list_level, b.current);
      ShowPosition(b);
    }
  }
  if (ScreenWin* w = ScreenWinGet(-1)) w->flags &= static_cast<uint16_t>(~kMovsRowChange);
  return s;
}

Status MovsGridOpenLine(ScreenWin* window, int row) {
  if (!window) return kStScreenStruct;
  ListLevel* lv = ListLevelGet(window->list_level);
  if (!lv) return kOk;
  if (row < 0) {
    const uint16_t selected = GridSelectedRow(lv->grid);
    row = selected == kGridNone ? 0 : selected;
  }
  const ScreenDesc screen = ScreenCurrent();
  Status s = MovsLineCommit(screen, window->list_level);
  if (s) return s;
  LinsSetCurrent(lv->lines, static_cast<uint16_t>(row + 1));
  s = MovsLinsControlLine(screen, kMovsLineGoto);
  if (s < kStFirstWarning) {
    const int column = GridColumnAtCursor(lv->grid);
    const int field = MovsLineFirst(screen) + std::max(column, 0);
    if (ListFieldCtrlExists(static_cast<uint16_t>(field))) ScreenFieldGoto(field), ScreenFieldFocus(field);
  }
  return s;
}

uint8_t MovsGridAction(plat::Hwnd window, uint16_t level, uint16_t code) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "MovsGridAction");
  if (!w) return 0;
  ListLevel* lv = ListLevelGet(level);
  Status step2 = kOk;
  if (code == kGridRightClick) {
    ScratchScope scope;
    const uint16_t choice = PopupMenuChoose(window, MsgText("0026"), nullptr);
    if (choice == 0 || choice > 4) return 0;
    code = kPopupCodes[choice - 1];
  }
  switch (code) {
    case kGridEnter:
      step2 = MovsGridOpenLine(w, -1);
      break;
    case kGridF5:
    case kGridF8:
    case kGridF9:
    case kGridF11:
    case 109:
      ScreenRunAction(CommandOf(code));
      break;
    case kGridClick:
      if (lv) {
        const uint16_t selected = GridSelectedRow(lv->grid);
        const int row = selected == kGridNone ? std::max<int>(lv->lines.used, 1) - 1 : selected;
        MovsGridGoLine(w, row);
      }
      break;
    case kGridUpDown:
      if (lv) {
        const int step = SysVarGet(kVarLastKey) == kKeyUp ? -1 : 1;
        MovsGridGoLine(w, lv->lines.current - 1 + step);
      }
      break;
    case kGridFocus:
      if (w->state != kStateEdit && lv) {
        const uint16_t selected = GridSelectedRow(lv->grid);
        if (selected != kGridNone) LinsSetCurrent(lv->lines, static_cast<uint16_t>(selected + 1));
        const ScreenDesc screen = ScreenCurrent();
        if (w->current_field < screen.bounded_first || w->current_field > screen.bounded_last) {
          w->current_field = screen.bounded_first;
          SysVarSet(kVarCurEdFld, static_cast<int16_t>(screen.bounded_first));
        }
        MovsLinsControlLine(screen, kGridFocus);
        MantFieldSetState(kStateEdit);
      }
      break;
    case kGridEsc:
      MovsActionWin(kAcCancel);
      break;
    default:
      break;
  }
  if (step2 < kStFirstWarning) MovsLinsRedraw(ScreenWinGet(-1));
  return step2 < kStFirstWarning ? 0 : static_cast<uint8_t>(step2 & 0xFF);
}

}  // namespace eng
