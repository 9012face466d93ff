#include "ui/progress_win.h"

#include "core/clock.h"
#include "core/dec_value.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "platform/ctl_button.h"
#include "platform/ctl_progress.h"
#include "platform/ctl_static.h"
#include "platform/win_keys.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr int kProgKind = 7;
constexpr int kControlX = 20, kControlY = 10, kControlH = 17;
constexpr int kButtonW = 70, kButtonH = 20, kButtonY = 35;
constexpr int kBodyHeight = 90;
constexpr int kWidthSpare = 40;

ProgState& P() { return Ui().progress; }

uint16_t WidthOf(uint16_t width) { return width == 0 || width == 0xFFFF ? kProgDefaultWidth : width; }

// Esc, the Cancel button and the close box set the cancel flag; the window
// stays until ProgClose, because the operation that opened it is still
// running and steps it.
int64_t ProgWinProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  switch (msg) {
    case plat::kWmCommand:
      if (plat::CommandId(w) == kIdProgCancel && plat::CommandCode(w) == plat::kCmdClicked) P().cancel = 1;
      break;
    case plat::kWmKeyDown:
      if (w == plat::kVkEscape) P().cancel = 1;
      break;
    case plat::kWmClose:
      P().cancel = 1;
      return 0;
    default:
      break;
  }
  return plat::WinSystem::DefProc(ws, h, msg, w, l);
}

// The text line in the control's place: a grey panel with the text centred.
plat::Hwnd MakeTextControl(plat::WinSystem& ws, plat::Hwnd window, uint16_t width) {
  return plat::CreateStatic(ws, window, kIdProgControl, {kControlX, kControlY, width, kControlH}, "",
                            plat::kSsBanner | plat::kSsCenter);
}

}  // namespace

const ProgState& ProgGetState() { return P(); }

Status ProgOpen(uint16_t width, uint32_t total) {
  if (P().window != plat::kNoWindow) return kOk;
  return ProgCreate(width, total, false);
}

Status ProgCreate(uint16_t width, uint32_t total, bool text_mode) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return kStNotAvailable;
  width = WidthOf(width);
  ScratchScope scope;
  const plat::Hwnd owner = WinTop();
  StrPair class_name = GeomWinKindClass(kProgKind, StrPair{});
  const GeomSize outer = WinOuterSize({width + kWidthSpare, kBodyHeight}, 5, false);
  const plat::Point at = WinCentre(outer.w, outer.h);
  plat::Hwnd h = WinCreateClassWindow(class_name, MsgText("0016"), GeomWinKindStyle(kProgKind), at.x, at.y, outer.w,
                                      outer.h, 0, &ProgWinProc);
  if (!h) return kStNotAvailable;
  ProgState& p = P();
  const std::string label = p.label;
  p = ProgState{};
  p.width = width;
  p.window = h;
  p.owner = owner;
  p.total = total;
  p.label = label;
  p.text_mode = text_mode ? 1 : 0;
  p.control = text_mode ? MakeTextControl(*ws, h, width)
                        : plat::CreateProgress(*ws, h, kIdProgControl, {kControlX, kControlY, width, kControlH});
  plat::CreateButton(*ws, h, kIdProgCancel, {width - 50, kButtonY, kButtonW, kButtonH}, MsgText("0020").view());
  ws->Show(h, plat::ShowCmd::kShow);
  ws->Activate(h);
  p.tick_mark = ClockMonotonicMs();
  return p.control ? kOk : kStCommonCtl;
}

void ProgBarStep(uint32_t total, uint32_t increment) {
  ProgState& p = P();
  if (p.window == plat::kNoWindow) ProgOpen(p.width, p.total);
  if (!p.range_set) {
    // The range is fixed once, at the first step; a later step with the bar
    // still at 0 (a scaled bar) must not scale it again.
    uint64_t range = p.total ? p.total : total;
    p.cyclic = range == 0 ? 1 : 0;
    if (range == 0) range = kProgCyclicRange;
    while (range > kProgMaxRange) {
      range /= 2;
      p.divisor = (p.divisor == 0 ? 1 : p.divisor) * 2;
    }
    p.range = static_cast<uint32_t>(range);
    p.range_set = true;
    if (plat::WinSystem* ws = UiWs()) plat::ProgressSetRange(*ws, p.control, 0, static_cast<int>(range));
  }
  int64_t shown = increment == 0 ? 1 : increment;
  if (p.divisor) {
    p.remainder += shown;
    shown = NumDivRound(p.remainder, p.divisor);
    p.remainder -= shown * p.divisor;
  }
  p.position = static_cast<uint32_t>(p.position + shown);
  if (p.cyclic && p.position > kProgCyclicRange) p.position = 1;
  if (plat::WinSystem* ws = UiWs()) plat::ProgressSetPos(*ws, p.control, static_cast<int>(p.position));
}

Status ProgShowText(StrPair text) {
  ProgState& p = P();
  if (p.window == plat::kNoWindow) {
    if (Status s = ProgCreate(kProgDefaultWidth, p.total, true); s && s != kStCommonCtl) return s;
  }
  plat::WinSystem* ws = UiWs();
  if (ws && !text.empty()) {
    if (!p.text_mode) {
      // The bar gives way to a text line of the same place and size.
      ws->Destroy(p.control);
      p.control = MakeTextControl(*ws, p.window, p.width);
      p.text_mode = 1;
    }
    ws->SetText(p.control, text.view());
  }
  return ProgPump();
}

Status ProgStep(uint32_t total, uint32_t increment, StrPair text) {
  if (P().text_mode) return ProgShowText(text);
  ProgBarStep(total, increment);
  return ProgPump();
}

Status ProgTextStep(uint32_t, uint16_t, StrPair text) { return ProgShowText(text); }

Status ProgTick(int phase) {
  Status s = ProgPump();
  const uint64_t now = ClockMonotonicMs();
  ProgState& p = P();
  if (phase == 0) {
    p.tick_mark = now;
  } else if (phase == 2 && now - p.tick_mark >= kProgTickMs) {
    ProgBarStep(0, 1);
    P().tick_mark = now;
  }
  return s;
}

Status ProgPump() {
  if (P().window != plat::kNoWindow) WinPumpMessages();
  return P().cancel ? kStCancelled : kOk;
}

void ProgClose() {
  ProgState& p = P();
  const plat::Hwnd h = p.window;
  p = ProgState{};
  plat::WinSystem* ws = UiWs();
  if (!ws || h == plat::kNoWindow) return;
  // Off the stack first: the window below is enabled and activated, and the
  // end of a step never counts as the user closing the program's last window.
  WinStackPop(h);
  ws->Destroy(h);
}

bool ProgActive() { return P().total != 0; }

void ProgSetTitle(StrPair text) {
  if (plat::WinSystem* ws = UiWs(); ws && P().window) ws->SetText(P().window, text.view());
}

void ProgSetStep(int64_t divisor) {
  P().divisor = divisor;
  P().remainder = 0;
}

void ProgReset(uint16_t width, uint32_t total, StrPair text) {
  ProgState& p = P();
  p.width = width;
  p.total = total;
  p.label = text.str();
}

}  // namespace eng
