#include "ui/field_controls.h"

#include <algorithm>

#include "core/dyn_strings.h"
#include "core/err_assert.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "platform/ctl_button.h"
#include "platform/ctl_edit.h"
#include "ui/ctl_dialog.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

constexpr int kLayoutFlat = 2 | 4;
constexpr int kMinEditWidth = 15;
constexpr int kCheckBoxCells = 4;

bool RightAligned(char type) { return type == 'N' || type == 'L' || (type >= '1' && type <= '9'); }

}  // namespace

plat::Hwnd ScreenFieldCtrlCreate(int n, int x, int y, int layout) {
  plat::WinSystem* ws = UiWs();
  ScreenBlock* b = ScreenBlockOf(ScreenCounterGet(kCurScreen));
  if (!ws || !b || n < 1 || static_cast<size_t>(n) > b->fields.size()) return plat::kNoWindow;
  ScreenFieldDesc& f = b->fields[n - 1];
  if (f.order == kOrderHidden) return plat::kNoWindow;
  const GeomSize cell = FontCellSize();
  const bool flat = (layout & kLayoutFlat) != 0;
  int h = cell.h;
  if (flat) {
    h -= cell.h / 8;
  } else {
    x = std::max(1, x - cell.w / 4);
  }
  const plat::Hwnd top = WinTop();
  const int id = kIdFieldBase + n;
  plat::Hwnd c = plat::kNoWindow;
  if (f.type == 'L' && SysVarHas(kVarAuxStat, kAuxStatCheckBoxes)) {
    c = plat::CreateButton(*ws, top, id, {x, y, kCheckBoxCells * cell.w, h}, "", plat::WinKind::kCheckBox);
    ScreenCtrlSubclass(c, kSubCheckBox);
  } else {
    uint32_t style = plat::kEsAutoHScroll | (flat ? 0u : uint32_t{plat::kWsBorder});
    const ScreenDesc d = ScreenCurrent();
    if (f.order == kOrderReadOnly || (d.begin_field != 0 && n == d.begin_field)) {
      style |= plat::kEsReadOnly;
    } else if (f.type == 'P') {
      style |= plat::kEsPassword;
      f.type = 'A';
    }
    if (RightAligned(f.type)) style |= plat::kEsRight;
    const int w = std::max(CtlEditWidth(f.width), kMinEditWidth);
    c = plat::CreateEdit(*ws, top, id, {x, y, w, h}, style);
    if (c) ws->Send(c, plat::kEmLimitText, f.display_len);
    ScreenCtrlSubclass(c, kSubEdit);
  }
  if (!c) return plat::kNoWindow;
  FontApply(c, kFontModeScreen);
  if (flat) ws->BringChildToTop(c);
  f.control = c;
  return c;
}

Status ScreenSetWin(uint16_t flags) {
  ScreenDesc* d = ScreenGet(ScreenCounterGet(kCurScreen));
  ErrAssert(d != nullptr, "ScreenSetWin");
  if (!d) return kStScreenStruct;
  d->control_flags = static_cast<uint8_t>(flags);
  if (flags & 1) return DynStrClear(sl::kMenuLevels);
  const ScreenDesc desc = *d;
  for (int n = 1; n <= desc.field_count; ++n) {
    if (desc.bounded_first && n >= desc.bounded_first && n <= desc.bounded_last) continue;
    const ScreenFieldDesc f = ScreenFieldGet(n);
    if (f.order == kOrderHidden) continue;
    if (!ScreenFieldCtrlCreate(n, GeomColToX(f.column), GeomRowToY(f.row), flags)) return kStWindowsControl;
  }
  return kOk;
}

}  // namespace eng
