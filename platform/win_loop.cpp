// Sending, posting, fetching and dispatching messages; input routing.
#include <algorithm>

#include "platform/ctl_menu.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"
#include "platform/win_layout.h"

namespace plat {

int64_t WinSystem::Send(Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  Window* rec = Rec(h);
  if (!rec) return 0;
  // A copy: the procedure may replace itself or destroy its window meanwhile.
  WndProc proc = rec->proc;
  if (!proc) return DefProc(*this, h, msg, w, l);
  return proc(*this, h, msg, w, l);
}

bool WinSystem::Post(Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  if (h != kNoWindow && !Rec(h)) return false;
  posted_.push_back(Msg{h, msg, w, l});
  return true;
}

void WinSystem::PostQuit(int code) { posted_.push_back(Msg{kNoWindow, kWmQuit, static_cast<uint64_t>(code), 0}); }

bool WinSystem::GetMessage(Msg& m) {
  if (!Fetch(m, true)) return false;
  return m.msg != kWmQuit;
}

bool WinSystem::PeekMessage(Msg& m) { return Fetch(m, false); }

bool WinSystem::Fetch(Msg& m, bool block) {
  for (;;) {
    if (stalled_) {
      m = Msg{kNoWindow, kWmQuit, static_cast<uint64_t>(-1), 0};
      return true;
    }
    if (!posted_.empty()) {
      m = posted_.front();
      posted_.pop_front();
      return true;
    }
    Take t = TakeInput(m);
    if (t == Take::kMessage) return true;
    if (t == Take::kDropped) continue;
    if (DueTimer(m)) return true;
    if (!block) return false;
    ++waits_;
    if (!front_end_->Wait(NextDeadline())) Stall("a window waits for input and none can come");
  }
}

WinSystem::Take WinSystem::TakeInput(Msg& m) {
  if (input_.empty()) {
    InputEvent ev;
    if (!front_end_->Poll(ev)) return Take::kNone;
    ExpandInput(ev);
    if (input_.empty()) return Take::kDropped;
  }
  RawInput raw = input_.front();
  input_.pop_front();
  return RouteRaw(raw, m) ? Take::kMessage : Take::kDropped;
}

void WinSystem::ExpandInput(const InputEvent& ev) {
  if (ev.type != InputEvent::Type::kKey) {
    RawInput raw;
    raw.unresolved = true;
    raw.ev = ev;
    input_.push_back(raw);
    return;
  }
  auto key = [&](uint32_t msg, uint8_t vk, uint8_t mods, int typed) {
    RawInput raw;
    raw.msg = msg;
    raw.w = vk;
    raw.l = MakeKeyL(mods, typed);
    raw.mods = mods;
    raw.key = true;
    input_.push_back(raw);
  };
  // Modifiers are pressed around the key, as a keyboard does.
  uint8_t held = 0;
  if (ev.mods & kModCtrl) key(kWmKeyDown, kVkControl, held |= kModCtrl, -1);
  if (ev.mods & kModShift) key(kWmKeyDown, kVkShift, held |= kModShift, -1);
  if (ev.mods & kModAlt) held |= kModAlt;
  key(kWmKeyDown, ev.vk, ev.mods, ev.typed);
  key(kWmKeyUp, ev.vk, ev.mods, ev.typed);
  held &= static_cast<uint8_t>(~kModAlt);
  if (ev.mods & kModShift) key(kWmKeyUp, kVkShift, held &= static_cast<uint8_t>(~kModShift), -1);
  if (ev.mods & kModCtrl) key(kWmKeyUp, kVkControl, held &= static_cast<uint8_t>(~kModCtrl), -1);
}

bool WinSystem::RouteRaw(const RawInput& raw, Msg& m) {
  if (raw.unresolved) return RouteClick(raw, m);
  if (raw.key) {
    // F10 opens the active window's menu bar at its first item before any
    // control sees the key.
    if (raw.msg == kWmKeyDown && raw.w == kVkF10 && GetMenu(active_) && AcceptsInput(active_)) {
      const Menu* bar = MenuRec(GetMenu(active_));
      if (bar && !bar->items.empty()) {
        m = Msg{active_, kWmMenuBarClick, static_cast<uint64_t>(MenuBarItemCol(*this, GetMenu(active_), 0)), 0};
        return true;
      }
    }
    Hwnd t = focus_ != kNoWindow ? focus_ : active_;
    if (!Rec(t) || !AcceptsInput(t)) return false;
    mods_ = raw.mods;
    m = Msg{t, raw.msg, raw.w, raw.l};
    return true;
  }
  // The rest of a click: to the window pressed, if it still takes input.
  if (!Rec(raw.target) || !AcceptsInput(raw.target)) return false;
  m = Msg{raw.target, raw.msg, raw.w, raw.l};
  return true;
}

bool WinSystem::RouteClick(const RawInput& raw, Msg& m) {
  const InputEvent& ev = raw.ev;
  using T = InputEvent::Type;
  if (ev.type == T::kUnknown) {
    Stall("the script names a key that does not exist");
    return false;
  }
  if (ev.type == T::kClose) {
    if (!AcceptsInput(active_)) {
      Stall("the script closes the active window, but none is active");
      return false;
    }
    m = Msg{active_, kWmClose, 0, 0};
    return true;
  }
  if (ev.type == T::kAnswer) {
    const Window* box = Rec(active_);
    if (!box || box->class_name != kMsgBoxClass) {
      Stall("the script answers a message box, but none is open");
      return false;
    }
    m = Msg{active_, kMbAnswer, static_cast<uint64_t>(ev.answer), 0};
    return true;
  }
  if (ev.type == T::kMenuPick) {
    // An open popup menu takes the pick itself.
    const Window* act = Rec(active_);
    if (act && act->class_name == "Menu" && AcceptsInput(active_)) {
      m = Msg{active_, kWmCommand, MakeCommandW(ev.id, kCmdClicked), 0};
      return true;
    }
    const MenuItem* item = AcceptsInput(active_) ? FindMenuItem(GetMenu(active_), ev.id) : nullptr;
    if (!item || !item->enabled) {
      Stall("the script picks menu item " + std::to_string(ev.id) + ", which the active window does not offer");
      return false;
    }
    m = Msg{active_, kWmCommand, MakeCommandW(ev.id, kCmdClicked), 0};
    return true;
  }

  if (ev.type == T::kMove || ev.type == T::kRelease) return RoutePointer(raw, m);

  Hwnd target = kNoWindow;
  HitArea area = HitArea::kClient;
  Point screen = ev.point;
  if (ev.by_id) {
    auto shown_with_id = [&](Hwnd top) -> Hwnd {
      Hwnd c = FindChild(top, ev.id);
      return (c && IsShown(c)) ? c : kNoWindow;
    };
    target = shown_with_id(active_);
    for (auto it = z_order_.rbegin(); !target && it != z_order_.rend(); ++it) target = shown_with_id(*it);
    if (!target) {
      Stall("the script clicks id " + std::to_string(ev.id) + ", but no shown window has it");
      return false;
    }
    CellRect c = WindowCells(*this, target);
    screen = {c.col * metrics_.cell_w + metrics_.cell_w / 2, c.row * metrics_.cell_h + metrics_.cell_h / 2};
  } else {
    Hit hit = HitTest(screen);
    target = hit.h;
    area = hit.area;
  }
  mouse_ = screen;
  mods_ = ev.mods;
  if (ev.type == T::kPress) pressed_ = kNoWindow;
  if (!Rec(target) || !AcceptsInput(target)) return false;
  Hwnd top = TopLevelOf(target);
  if (top != active_ || !IsDescendant(top, focus_)) Activate(top);
  if (!Rec(target) || !AcceptsInput(target)) return false;

  switch (area) {
    case HitArea::kNone:
    case HitArea::kCaption:
      return false;
    case HitArea::kCloseBox:
      if (ev.type != T::kClick) return false;
      m = Msg{top, kWmClose, 0, 0};
      return true;
    case HitArea::kMenuRow: {
      if (ev.type != T::kClick) return false;
      CellRect wc = WindowCells(*this, top);
      int col = screen.x / metrics_.cell_w - wc.col;
      m = Msg{top, kWmMenuBarClick, static_cast<uint64_t>(std::max(0, col)), 0};
      return true;
    }
    case HitArea::kVScroll:
    case HitArea::kHScroll: {
      if (ev.type != T::kClick && ev.type != T::kPress) return false;
      bool vert = area == HitArea::kVScroll;
      CellRect cc = ClientCells(*this, top);
      const ScrollInfo s = GetScrollInfo(top, vert ? kSbVert : kSbHorz);
      int cell = vert ? screen.y / metrics_.cell_h - cc.row : screen.x / metrics_.cell_w - cc.col;
      int len = vert ? cc.rows : cc.cols;
      int thumb = ScrollThumbCell(s, len);
      uint16_t code;
      if (cell <= 0) code = kSbLineUp;
      else if (cell >= len - 1) code = kSbLineDown;
      else if (cell < thumb) code = kSbPageUp;
      else if (cell > thumb) code = kSbPageDown;
      else if (ev.type == T::kPress) {
        // Pressed on the thumb: the drag follows the pointer until the release.
        drag_ = ThumbDrag{top, vert, cell, thumb, s.pos};
        Window* tw = Rec(top);
        (vert ? tw->vbar : tw->hbar).track = s.pos;
        return false;
      } else {
        return false;
      }
      m = Msg{top, vert ? kWmVScroll : kWmHScroll, code, 0};
      return true;
    }
    case HitArea::kClient:
      break;
  }
  Point origin = ClientToScreen(target, {0, 0});
  int64_t at = MakePointL(screen.x - origin.x, screen.y - origin.y);
  auto follow = [&](uint32_t msg) {
    RawInput r;
    r.msg = msg;
    r.w = ev.mods;
    r.l = at;
    r.target = target;
    return r;
  };
  if (ev.type == T::kRightClick) {
    m = Msg{target, kWmRButtonDown, ev.mods, at};
    input_.push_front(follow(kWmRButtonUp));
    return true;
  }
  m = Msg{target, kWmLButtonDown, ev.mods, at};
  if (ev.type == T::kPress) {
    pressed_ = target;  // the release goes here, wherever it happens
    return true;
  }
  if (ev.type == T::kDblClick) {
    input_.push_front(follow(kWmLButtonUp));
    input_.push_front(follow(kWmLButtonDblClk));
    input_.push_front(follow(kWmLButtonUp));
  } else {
    input_.push_front(follow(kWmLButtonUp));
  }
  return true;
}

namespace {

int FloorDiv(int v, int d) { return v >= 0 ? v / d : -((-v + d - 1) / d); }

}  // namespace

bool WinSystem::RoutePointer(const RawInput& raw, Msg& m) {
  const InputEvent& ev = raw.ev;
  const bool release = ev.type == InputEvent::Type::kRelease;
  mouse_ = ev.point;
  mods_ = ev.mods;
  if (drag_.top != kNoWindow) return TrackThumb(ev.point, release, m);
  if (!release) return false;  // moves matter only while a thumb is dragged
  Hwnd target = pressed_;
  pressed_ = kNoWindow;
  if (!Rec(target) || !AcceptsInput(target)) return false;
  Point origin = ClientToScreen(target, {0, 0});
  m = Msg{target, kWmLButtonUp, ev.mods, MakePointL(ev.point.x - origin.x, ev.point.y - origin.y)};
  return true;
}

bool WinSystem::TrackThumb(Point screen, bool release, Msg& m) {
  const ThumbDrag d = drag_;
  if (release) drag_ = ThumbDrag{};
  Window* w = Rec(d.top);
  if (!w || !AcceptsInput(d.top) || !(d.vert ? w->vbar : w->hbar).shown) {
    // The window or its bar went away under the drag.
    drag_ = ThumbDrag{};
    return false;
  }
  ScrollInfo& bar = d.vert ? w->vbar : w->hbar;
  CellRect cc = ClientCells(*this, d.top);
  int len = d.vert ? cc.rows : cc.cols;
  int cell = d.vert ? FloorDiv(screen.y, metrics_.cell_h) - cc.row : FloorDiv(screen.x, metrics_.cell_w) - cc.col;
  int pos = ScrollPosForThumbCell(bar, len, d.grab_thumb + cell - d.grab_cell);
  bar.track = pos;
  const uint32_t msg = d.vert ? kWmVScroll : kWmHScroll;
  auto follow = [&](uint16_t code) {
    RawInput r;
    r.msg = msg;
    r.w = code;
    r.l = pos;
    r.target = d.top;
    return r;
  };
  if (!release) {
    if (pos == d.track) return false;
    drag_.track = pos;
    m = Msg{d.top, msg, kSbThumbTrack, pos};
    return true;
  }
  // The release: a last THUMBTRACK when the thumb moved since the previous
  // one, then THUMBPOSITION and ENDSCROLL.
  input_.push_front(follow(kSbEndScroll));
  if (pos != d.track) {
    input_.push_front(follow(kSbThumbPosition));
    m = Msg{d.top, msg, kSbThumbTrack, pos};
  } else {
    m = Msg{d.top, msg, kSbThumbPosition, pos};
  }
  return true;
}

void WinSystem::TranslateMessage(const Msg& m) {
  if (m.msg != kWmKeyDown) return;
  int ch = CharForKey(static_cast<uint8_t>(m.w), KeyMods(m.l), KeyTyped(m.l));
  if (ch >= 0) Post(m.hwnd, kWmChar, static_cast<uint64_t>(ch));
}

int64_t WinSystem::DispatchMessage(const Msg& m) {
  ++dispatched_;
  if (m.msg == kWmTimer) {
    for (const Timer& t : timers_) {
      if (t.h == m.hwnd && t.id == static_cast<int>(m.w) && t.cb) {
        TimerCallback cb = t.cb;
        cb(*this, m.hwnd, t.id);
        return 0;
      }
    }
  }
  if (m.hwnd == kNoWindow) return 0;
  return Send(m.hwnd, m.msg, m.w, m.l);
}

int WinSystem::RunLoop() {
  Msg m;
  while (GetMessage(m)) {
    TranslateMessage(m);
    DispatchMessage(m);
  }
  return stalled_ ? -1 : static_cast<int>(static_cast<int64_t>(m.w));
}

bool WinSystem::Pump() {
  Msg m;
  while (PeekMessage(m)) {
    if (m.msg == kWmQuit) return true;
    TranslateMessage(m);
    DispatchMessage(m);
  }
  return z_order_.empty();
}

void WinSystem::DiscardPending() {
  posted_.clear();
  input_.clear();
}

bool WinSystem::KeyIsDown(uint8_t vk) const {
  switch (vk) {
    case kVkShift: return (mods_ & kModShift) != 0;
    case kVkControl: return (mods_ & kModCtrl) != 0;
    case kVkAlt: return (mods_ & kModAlt) != 0;
    default: return false;
  }
}

}  // namespace plat
