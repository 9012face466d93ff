// Focus and activation of the window system.
#include <algorithm>
#include <vector>

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
  if (std::find(z_order_.begin(), z_order_.end(), top) == z_order_.end()) return;
  // The window goes to the top together with every window it owns, directly
  // or through other owned windows, each keeping its place relative to the
  // others: an owned window always stays above its owner. Since every owned
  // window lies above its owner already, one pass from the bottom up finds
  // the whole family.
  std::vector<Hwnd> family{top};
  std::vector<Hwnd> rest;
  rest.reserve(z_order_.size());
  auto in_family = [&](Hwnd h) { return std::find(family.begin(), family.end(), h) != family.end(); };
  bool seen_top = false;
  for (Hwnd z : z_order_) {
    if (z == top) {
      seen_top = true;
      continue;
    }
    const Window* w = Rec(z);
    if (seen_top && w && in_family(w->owner)) {
      family.push_back(z);
    } else {
      rest.push_back(z);
    }
  }
  // family[0] is the window itself; the owned ones follow in stacking order.
  rest.insert(rest.end(), family.begin(), family.end());
  z_order_ = std::move(rest);
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
