// Focus and activation of the window system.
#include <algorithm>

#include "platform/win_core.h"

namespace plat {

Hwnd WinSystem::SetFocus(Hwnd h) {
  Hwnd old = focus_;
  if (h == kNoWindow) {
    focus_ = kNoWindow;
    Window* f = Rec(old);
    if (f && f->focus_told) {
      f->focus_told = false;
      Send(old, kWmKillFocus, 0);
    }
    return old;
  }
  Window* w = Rec(h);
  if (!w || w->dying || !AcceptsInput(h)) return kNoWindow;
  Hwnd top = TopLevelOf(h);
  if (top != active_) {
    // Focusing into another window activates it first (without taking the
    // focus to the window itself).
    Raise(top);
    Hwnd prev = active_;
    active_ = top;
    if (Rec(prev)) Send(prev, kWmActivate, 0, top);
    if (Rec(top)) Send(top, kWmActivate, 1, prev);
    if (!Rec(h) || !AcceptsInput(h)) return kNoWindow;
    old = focus_;
  }
  if (old == h) return old;
  focus_ = h;
  Window* f = Rec(old);
  if (f && f->focus_told) {
    f->focus_told = false;
    Send(old, kWmKillFocus, h);
  }
  // A handler may have moved the focus on: the last change wins, and this
  // window is not told about a focus it no longer has.
  if (focus_ != h) return old;
  w = Rec(h);
  if (!w) return old;
  w->focus_told = true;
  Send(h, kWmSetFocus, Rec(old) ? old : kNoWindow);
  return old;
}

void WinSystem::Raise(Hwnd top) {
  auto it = std::find(z_order_.begin(), z_order_.end(), top);
  if (it == z_order_.end()) return;
  z_order_.erase(it);
  z_order_.push_back(top);
}

bool WinSystem::Activate(Hwnd top, Hwnd focus_to) {
  top = TopLevelOf(top);
  const Window* w = Rec(top);
  if (!w || w->dying || !w->visible || !w->enabled) return false;
  Raise(top);
  Hwnd prev = active_;
  if (prev != top) {
    active_ = top;
    if (Rec(prev)) Send(prev, kWmActivate, 0, top);
    if (Rec(top)) Send(top, kWmActivate, 1, prev);
  }
  if (!Rec(top) || active_ != top) return false;
  if (focus_to != kNoWindow && IsDescendant(top, focus_to) && AcceptsInput(focus_to)) {
    SetFocus(focus_to);
  } else if (prev != top || !IsDescendant(top, focus_)) {
    SetFocus(top);
  }
  return true;
}

}  // namespace plat
