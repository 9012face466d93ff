#include "platform/dlg_modal.h"

#include <algorithm>

#include "platform/ctl_combo.h"
#include "platform/win_keys.h"

namespace plat {

DlgFrame::DlgFrame(WinSystem& ws, Hwnd owner, std::string_view class_name, std::string_view caption, int cols,
                   int rows)
    : ws_(ws) {
  const Metrics& mx = ws.metrics();
  owner_ = ws.TopLevelOf(ws.IsWindow(owner) ? owner : ws.Active());
  saved_focus_ = ws.Focus();
  cols = std::min(cols, std::max(10, mx.cols));
  rows = std::min(rows, std::max(5, mx.rows));
  CreateParams p;
  p.kind = WinKind::kTop;
  p.class_name = class_name;
  p.text = caption;
  p.style = kWsCaption | kWsPopup | kWsModalMark;
  p.owner = owner_;
  p.x = std::max(0, (mx.cols - cols) / 2) * mx.cell_w;
  p.y = std::max(0, (mx.rows - rows) / 2) * mx.cell_h;
  p.w = cols * mx.cell_w;
  p.h = rows * mx.cell_h;
  auto st = st_;
  DlgFrame* self = this;
  p.proc = [st, self](WinSystem& w2, Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    switch (msg) {
      case kWmSetFocus:
        if (!st->controls.empty()) w2.SetFocus(st->controls.front());
        return 0;
      case kWmCommand:
        if (!st->done && self->on_command) self->on_command(CommandId(w), CommandCode(w));
        return 0;
      case kWmClose:
        if (!st->done) {
          st->done = true;
          st->ok = false;
        }
        return 0;
      default:
        return WinSystem::DefProc(w2, h, msg, w, l);
    }
  };
  box_ = ws.Create(p);
}

DlgFrame::~DlgFrame() {
  if (ws_.IsWindow(box_)) ws_.Destroy(box_);
}

Rect DlgFrame::Cells(int col, int row, int cols, int rows) const {
  const Metrics& mx = ws_.metrics();
  return {col * mx.cell_w, row * mx.cell_h, cols * mx.cell_w, rows * mx.cell_h};
}

void DlgFrame::Finish(bool ok) {
  if (st_->done) return;
  st_->done = true;
  st_->ok = ok;
}

void DlgFrame::Track(Hwnd control) {
  if (!ws_.IsWindow(control)) return;
  st_->controls.push_back(control);
  auto st = st_;
  DlgFrame* self = this;
  auto prev = std::make_shared<WndProc>();
  *prev = ws_.SetProc(control, [st, self, prev](WinSystem& w2, Hwnd h, uint32_t msg, uint64_t w,
                                                int64_t l) -> int64_t {
    // An open drop-down list keeps its own Enter and Esc.
    if (msg == kWmKeyDown && !st->done && !ComboDropped(w2, h)) {
      auto& cs = st->controls;
      if (w == kVkTab && !(KeyMods(l) & (kModCtrl | kModAlt))) {
        auto it = std::find(cs.begin(), cs.end(), h);
        size_t i = it == cs.end() ? 0 : static_cast<size_t>(it - cs.begin());
        size_t n = cs.size();
        w2.SetFocus(cs[(KeyMods(l) & kModShift) ? (i + n - 1) % n : (i + 1) % n]);
        return 0;
      }
      if (w == kVkEscape) {
        self->Finish(false);
        return 0;
      }
      if (w == kVkReturn && self->on_enter && self->on_enter(h)) return 0;
    }
    // The dialog keys make no characters of their own.
    if (msg == kWmChar && (w == 9 || w == 13 || w == 27)) return 0;
    return (*prev)(w2, h, msg, w, l);
  });
}

bool DlgFrame::Run(Hwnd first_focus) {
  if (!ws_.IsWindow(box_)) return false;
  bool disabled_owner = false;
  if (owner_ && ws_.IsEnabled(owner_)) {
    ws_.Enable(owner_, false);
    disabled_owner = true;
  }
  ws_.Show(box_, ShowCmd::kShow);
  if (ws_.IsWindow(first_focus)) ws_.SetFocus(first_focus);
  Msg m;
  bool quit = false;
  while (!st_->done && ws_.IsWindow(box_)) {
    if (!ws_.GetMessage(m)) {
      quit = true;
      break;
    }
    ws_.TranslateMessage(m);
    ws_.DispatchMessage(m);
  }
  const bool ok = st_->done && st_->ok;
  if (disabled_owner && ws_.IsWindow(owner_)) ws_.Enable(owner_, true);
  ws_.Destroy(box_);
  if (quit && !ws_.stalled()) ws_.PostQuit(static_cast<int>(static_cast<int64_t>(m.w)));
  if (ws_.IsWindow(owner_) && ws_.AcceptsInput(owner_)) {
    ws_.Activate(owner_, saved_focus_);
  } else if (ws_.IsWindow(saved_focus_) && ws_.AcceptsInput(saved_focus_)) {
    ws_.Activate(ws_.TopLevelOf(saved_focus_), saved_focus_);
  }
  return ok;
}

}  // namespace plat
