#include "ui/ctl_dialog.h"

#include <string>

#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "data/file_command.h"
#include "platform/ctl_button.h"
#include "platform/ctl_edit.h"
#include "platform/win_core.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/ui_state.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr int kFooterButtonWidth = 60;
constexpr int kToolbarFixedWidth = 60;
constexpr int kToolbarTop = 2;

plat::Hwnd WithFont(plat::Hwnd h) {
  if (h) FontApply(h, kFontModeScreen);
  return h;
}

}  // namespace

plat::Hwnd CtlEditCreate(plat::Hwnd parent, int x, int y, int width, int height, int id, int flags) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return plat::kNoWindow;
  uint32_t style = plat::kWsBorder;
  if (flags & kEditDisabled) style |= plat::kWsDisabled;
  plat::Hwnd h = plat::kNoWindow;
  const plat::Rect r{x, y, width, height};
  if (flags & kEditCheckBox) {
    h = plat::CreateButton(*ws, parent, id, r, "", plat::WinKind::kCheckBox, style);
  } else {
    if (flags & kEditMultiline) style |= plat::kEsMultiline | plat::kEsAutoHScroll;
    if (flags & kEditNumeric) style |= plat::kEsNumber | plat::kEsRight;
    h = plat::CreateEdit(*ws, parent, id, r, style);
  }
  if (h && !(flags & kEditNoFont)) FontApply(h, kFontModeScreen);
  return h;
}

StrPair CtlGetText(plat::Hwnd parent, int id, int maximum) {
  plat::WinSystem* ws = UiWs();
  return WinGetText(ws ? ws->FindChild(parent, id) : plat::kNoWindow, maximum);
}

Status CtlSetText(plat::Hwnd parent, int id, StrPair text) {
  plat::WinSystem* ws = UiWs();
  plat::Hwnd c = ws ? ws->FindChild(parent, id) : plat::kNoWindow;
  if (!c) return kStWindowsControl;
  ws->SetText(c, text.view());
  return kOk;
}

plat::Hwnd CtlButtonCreate(plat::Hwnd parent, int x, int y, int width, int height, StrPair text, int id) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return plat::kNoWindow;
  return plat::CreateButton(*ws, parent, id, {x, y, width, height}, text.view());
}

plat::Hwnd CtlButtonFromText(plat::Hwnd parent, int x, int y, int width, int height, StrPair text, int id,
                             int state, int flags, CtlAttributeFn attribute) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return plat::kNoWindow;
  const plat::Rect r{x, y, width, height};
  if (flags & kButtonImage) {
    plat::Hwnd h = plat::CreateBitmapButton(*ws, parent, id, r, text.view());
    if (h) return h;
  }
  if (state == -1 || (attribute && attribute(id, state) == -1)) {
    ScratchScope scope;
    return CtlButtonCreate(parent, x, y, width, height, StrUnquote(text), id);
  }
  plat::Hwnd h = plat::CreateButton(*ws, parent, id, r, text.view(), plat::WinKind::kOwnerDrawButton);
  if (h) ws->Send(h, plat::kBmSetValue, static_cast<uint64_t>(state));
  return h;
}

void CtlAddOkButton(plat::Hwnd parent) {
  plat::WinSystem* ws = UiWs();
  if (!ws || ws->FindChild(parent, kIdOk)) return;
  const int ch = FontCellSize().h;
  WithFont(CtlButtonCreate(parent, GeomColFromRight(14), GeomRowToYFromBottom(0) - ch / 2, GeomColsToWidth(12), ch,
                           StrOf("Ok"), kIdOk));
}

void CtlDialogFooter(plat::Hwnd parent, int flags) {
  const int y = GeomRowToYFromBottom(0);
  const int ch = FontCellSize().h;
  int end = 0;  // the width of the element placed last
  if (flags & kFooterButton) {
    WithFont(CtlButtonCreate(parent, 0, y, kFooterButtonWidth, ch, StrOf(""), kIdFooterButton));
    end = kFooterButtonWidth;
  }
  if (flags & kFooterStatus1) {
    const int w = GeomColsToWidth(7);
    WithFont(CtlEditCreate(parent, 1, y, w, ch, kIdStatus1, kEditDisabled | kEditNoFont));
    end = w;
  }
  if (flags & kFooterStatus2) {
    CtlEditCreate(parent, end, y, GeomColsToWidth(-1) - end, ch, kIdStatus2, kEditDisabled);
  }
}

void CtlToolbarCreate(plat::Hwnd parent, int layout, StrPair verbs, StrPair labels, int height, StrPair shown) {
  ScratchScope scope;
  const int n = StrItemCount(verbs, ',');
  const int listed = StrItemCount(shown, ',');
  const int s = listed ? listed : n;
  const int full = GeomColsToWidth(-1);
  int width = 0;
  if (layout & 8) {
    width = kToolbarFixedWidth;
  } else if (layout & 4) {
    width = n ? full / n : 0;
  } else {
    width = s ? full / s : 0;
  }
  int x = layout != 0 ? (full - s * width) / 2 : 2;
  for (int i = 1; i <= n; ++i) {
    if (listed && StrRangeIndex(shown, i) == 0) continue;
    const uint16_t verb = DataFileCmdIndex(StrTrim(StrItem(verbs, ',', static_cast<uint16_t>(i)), 3),
                                           StrOf(kToolbarVerbs));
    WithFont(CtlButtonCreate(parent, x, kToolbarTop, width, height,
                             StrItem(labels, ',', static_cast<uint16_t>(i)), kIdToolbarBase + verb));
    x += width;
  }
}

void CtlToolbarEnable(int n, bool enable) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return;
  if (plat::Hwnd b = ws->FindChild(WinTop(), kIdToolbarBase + n)) ws->Enable(b, enable);
}

}  // namespace eng
