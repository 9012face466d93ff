#include "platform/win_core.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/ctl_menu.h"
#include "platform/win_dump.h"

namespace plat {

namespace {

uint32_t SlotOf(Hwnd h) { return h & 0xFFFFu; }
uint16_t GenOf(Hwnd h) { return static_cast<uint16_t>(h >> 16); }
Hwnd MakeHwnd(size_t index, uint16_t gen) {
  return (static_cast<uint32_t>(gen) << 16) | static_cast<uint32_t>(index + 1);
}

// The input device of a window system that was given none: the monotonic
// clock and no input at all.
class NoInputFrontEnd : public FrontEnd {
 public:
  uint64_t NowMs() override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }
  bool Poll(InputEvent&) override { return false; }
  bool Wait(uint64_t) override { return false; }
};

}  // namespace

WinSystem::WinSystem(FrontEnd* front_end, Metrics metrics) : metrics_(metrics) { SetFrontEnd(front_end); }

WinSystem::~WinSystem() = default;

void WinSystem::SetFrontEnd(FrontEnd* front_end) {
  if (front_end) {
    front_end_ = front_end;
    return;
  }
  if (!own_front_end_) own_front_end_ = std::make_unique<NoInputFrontEnd>();
  front_end_ = own_front_end_.get();
}

void WinSystem::SetCellSize(int cell_w, int cell_h) {
  if (cell_w > 0) metrics_.cell_w = cell_w;
  if (cell_h > 0) metrics_.cell_h = cell_h;
}

void WinSystem::SetWorkArea(int cols, int rows) {
  if (cols > 0) metrics_.cols = cols;
  if (rows > 0) metrics_.rows = rows;
}

// ---------------------------------------------------------------- the table

const Window* WinSystem::Rec(Hwnd h) const {
  uint32_t slot = SlotOf(h);
  if (slot == 0 || slot > slots_.size()) return nullptr;
  const Window& w = slots_[slot - 1];
  if (!w.used || w.gen != GenOf(h)) return nullptr;
  return &w;
}

Window* WinSystem::Rec(Hwnd h) { return const_cast<Window*>(static_cast<const WinSystem*>(this)->Rec(h)); }

std::string_view KindName(WinKind kind) {
  switch (kind) {
    case WinKind::kTop: return "window";
    case WinKind::kEdit: return "edit";
    case WinKind::kButton: return "button";
    case WinKind::kCheckBox: return "checkbox";
    case WinKind::kStatic: return "static";
    case WinKind::kBitmapButton: return "bitmapbutton";
    case WinKind::kOwnerDrawButton: return "ownerdraw";
    case WinKind::kListBox: return "listbox";
    case WinKind::kComboBox: return "combobox";
    case WinKind::kListView: return "listview";
    case WinKind::kProgress: return "progress";
  }
  return "?";
}

Hwnd WinSystem::Create(const CreateParams& p) {
  const bool child = p.kind != WinKind::kTop;
  if (child && !Rec(p.parent)) return kNoWindow;
  if (child && Rec(p.parent)->dying) return kNoWindow;
  if (p.kind == WinKind::kBitmapButton && !front_end_->SupportsImages()) return kNoWindow;
  Hwnd owner = child ? kNoWindow : TopLevelOf(p.owner);

  size_t index = slots_.size();
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].used && slots_[i].gen != 0xFFFF) {
      index = i;
      break;
    }
  }
  if (index == slots_.size()) {
    if (slots_.size() >= 0xFFFF) return kNoWindow;
    slots_.emplace_back();
  }
  Window& w = slots_[index];
  uint16_t gen = w.gen;
  w = Window{};
  w.gen = gen;
  w.used = true;
  w.kind = p.kind;
  w.class_name = p.class_name.empty() ? std::string(KindName(p.kind)) : std::string(p.class_name);
  w.text = std::string(p.text);
  w.style = p.style;
  w.parent = child ? p.parent : kNoWindow;
  w.owner = owner;
  w.id = p.id;
  w.visible = (p.style & kWsVisible) != 0;
  w.enabled = (p.style & kWsDisabled) == 0;
  w.image = std::string(p.image);
  if (child) {
    w.rect = {p.x == kUseDefault ? 0 : p.x, p.y == kUseDefault ? 0 : p.y, p.w == kUseDefault ? 0 : p.w,
              p.h == kUseDefault ? 0 : p.h};
    w.proc = ClassProc(p.kind);
  } else {
    w.rect = {p.x == kUseDefault ? 0 : p.x, p.y == kUseDefault ? 0 : p.y,
              p.w == kUseDefault ? metrics_.work_w() : p.w, p.h == kUseDefault ? metrics_.work_h() : p.h};
    w.proc = p.proc ? p.proc : WndProc(&WinSystem::DefProc);
    w.hbar.shown = (p.style & kWsHScroll) != 0;
    w.vbar.shown = (p.style & kWsVScroll) != 0;
  }
  Hwnd h = MakeHwnd(index, gen);
  if (child) {
    Rec(p.parent)->children.push_back(h);
  } else {
    z_order_.push_back(h);
  }
  Send(h, kWmCreate);
  return Rec(h) ? h : kNoWindow;
}

void WinSystem::CollectSubtree(Hwnd h, std::vector<Hwnd>& out) const {
  const Window* w = Rec(h);
  if (!w) return;
  out.push_back(h);
  for (Hwnd c : w->children) CollectSubtree(c, out);
}

void WinSystem::Destroy(Hwnd h) {
  Window* w = Rec(h);
  if (!w || w->dying) return;
  if (w->kind == WinKind::kTop) {
    std::vector<Hwnd> owned;
    for (Hwnd z : z_order_) {
      const Window* o = Rec(z);
      if (o && o->owner == h) owned.push_back(z);
    }
    for (Hwnd o : owned) Destroy(o);
  }
  w = Rec(h);
  if (!w || w->dying) return;

  std::vector<Hwnd> tree;
  CollectSubtree(h, tree);
  auto in_tree = [&](Hwnd x) { return x != kNoWindow && std::find(tree.begin(), tree.end(), x) != tree.end(); };
  if (in_tree(focus_)) {
    // The focused control learns that it loses the focus while it still works.
    Hwnd old = focus_;
    focus_ = kNoWindow;
    Window* f = Rec(old);
    if (f && f->focus_told) {
      f->focus_told = false;
      Send(old, kWmKillFocus, 0);
    }
    w = Rec(h);
    if (!w || w->dying) return;
  }
  if (in_tree(active_)) active_ = kNoWindow;
  for (Hwnd t : tree) {
    if (Window* x = Rec(t)) {
      x->dying = true;
      x->visible = false;
    }
  }
  for (Hwnd t : tree) {
    // A DESTROY handler may destroy an ancestor, which reaches this window again.
    Window* x = Rec(t);
    if (!x || x->destroy_sent) continue;
    x->destroy_sent = true;
    Send(t, kWmDestroy);
  }

  // Detach and free.
  if (Window* x = Rec(h)) {
    if (Window* parent = Rec(x->parent)) {
      auto& ch = parent->children;
      ch.erase(std::remove(ch.begin(), ch.end(), h), ch.end());
    }
  }
  z_order_.erase(std::remove_if(z_order_.begin(), z_order_.end(), in_tree), z_order_.end());
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return in_tree(t.h); }),
                timers_.end());
  if (in_tree(focus_)) focus_ = kNoWindow;
  if (in_tree(active_)) active_ = kNoWindow;
  for (Hwnd t : tree) FreeSlot(t);
}

void WinSystem::FreeSlot(Hwnd h) {
  Window* w = Rec(h);
  if (!w) return;
  uint16_t gen = w->gen;
  *w = Window{};
  w->gen = static_cast<uint16_t>(gen + 1);  // 0xFFFF retires the slot for good
}

WndProc WinSystem::SetProc(Hwnd h, WndProc proc) {
  Window* w = Rec(h);
  if (!w) return {};
  WndProc prev = std::move(w->proc);
  w->proc = std::move(proc);
  return prev;
}

int64_t WinSystem::DefProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t) {
  if (msg == kWmClose) {
    ws.Destroy(h);
  } else if (msg == kWmMenuBarClick) {
    int item = MenuBarItemAt(ws, ws.GetMenu(h), static_cast<int>(w));
    if (item >= 0) MenuTrack(ws, h, item);
  }
  return 0;
}

Hwnd WinSystem::Parent(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->parent : kNoWindow;
}

Hwnd WinSystem::Owner(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->owner : kNoWindow;
}

Hwnd WinSystem::TopLevelOf(Hwnd h) const {
  const Window* w = Rec(h);
  while (w && w->parent != kNoWindow) {
    h = w->parent;
    w = Rec(h);
  }
  return w ? h : kNoWindow;
}

bool WinSystem::IsDescendant(Hwnd ancestor, Hwnd h) const {
  if (ancestor == kNoWindow) return false;
  for (const Window* w = Rec(h); w; w = Rec(h)) {
    if (h == ancestor) return true;
    h = w->parent;
  }
  return false;
}

std::vector<Hwnd> WinSystem::Children(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->children : std::vector<Hwnd>{};
}

Hwnd WinSystem::FindChild(Hwnd parent, int id) const {
  const Window* w = Rec(parent);
  if (!w) return kNoWindow;
  for (Hwnd c : w->children) {
    const Window* x = Rec(c);
    if (x && !x->dying && x->id == id) return c;
  }
  for (Hwnd c : w->children) {
    if (Hwnd found = FindChild(c, id)) return found;
  }
  return kNoWindow;
}

int WinSystem::Id(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->id : 0;
}

void WinSystem::BringChildToTop(Hwnd child) {
  Window* w = Rec(child);
  if (!w) return;
  Window* parent = Rec(w->parent);
  if (!parent) return;
  auto& ch = parent->children;
  ch.erase(std::remove(ch.begin(), ch.end(), child), ch.end());
  ch.push_back(child);
}

void WinSystem::SetText(Hwnd h, std::string_view text) {
  Window* w = Rec(h);
  if (!w) return;
  w->text.assign(text.data(), text.size());
  Send(h, kWmSetText);
}

std::string WinSystem::GetText(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->text : std::string();
}

// ---------------------------------------------------------------- state

void WinSystem::Enable(Hwnd h, bool enable) {
  Window* w = Rec(h);
  if (!w || w->enabled == enable) return;
  w->enabled = enable;
  if (!enable && IsDescendant(h, focus_)) SetFocus(kNoWindow);
  Send(h, kWmEnable, enable ? 1 : 0);
}

bool WinSystem::IsEnabled(Hwnd h) const {
  const Window* w = Rec(h);
  return w && w->enabled;
}

bool WinSystem::EnabledChain(Hwnd h) const {
  for (const Window* w = Rec(h); w; w = Rec(w->parent)) {
    if (!w->enabled || w->dying) return false;
    if (w->parent == kNoWindow) return true;
  }
  return false;
}

bool WinSystem::IsShown(Hwnd h) const {
  for (const Window* w = Rec(h); w; w = Rec(w->parent)) {
    if (!w->visible) return false;
    if (w->parent == kNoWindow) return true;
  }
  return false;
}

bool WinSystem::AcceptsInput(Hwnd h) const { return IsShown(h) && EnabledChain(h); }

bool WinSystem::IsVisible(Hwnd h) const {
  const Window* w = Rec(h);
  return w && w->visible;
}

void WinSystem::Show(Hwnd h, ShowCmd cmd) {
  Window* w = Rec(h);
  if (!w || w->dying) return;
  if (cmd == ShowCmd::kHide) {
    if (!w->visible) return;
    w->visible = false;
    if (IsDescendant(h, focus_)) SetFocus(kNoWindow);
    if (active_ == h) active_ = kNoWindow;
    Send(h, kWmShow, 0);
    return;
  }
  if (cmd == ShowCmd::kMaximize && w->kind == WinKind::kTop) {
    w->maximized = true;
    w->rect = WorkArea();
    Send(h, kWmSize);
    w = Rec(h);
    if (!w) return;
  }
  bool was = w->visible;
  w->visible = true;
  if (!was) Send(h, kWmShow, 1);
  if (cmd != ShowCmd::kShowNoActivate && Rec(h) && Rec(h)->kind == WinKind::kTop) Activate(h);
}

void WinSystem::Move(Hwnd h, Rect r) {
  Window* w = Rec(h);
  if (!w) return;
  bool moved = r.x != w->rect.x || r.y != w->rect.y;
  bool sized = r.w != w->rect.w || r.h != w->rect.h;
  w->rect = r;
  if (moved) Send(h, kWmMove);
  if (sized) Send(h, kWmSize);
}

Rect WinSystem::GetRect(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->rect : Rect{};
}

int WinSystem::FrameTop(Hwnd h) const {
  const Window* w = Rec(h);
  if (!w || w->kind != WinKind::kTop) return 0;
  return FrameAdjust(w->style, w->menu != 0).y;
}

Rect WinSystem::FrameAdjust(uint32_t style, bool has_menu) const {
  bool frame = has_menu || (style & kWsCaption) != 0;
  return {0, frame ? metrics_.cell_h : 0, 0, frame ? metrics_.cell_h : 0};
}

Rect WinSystem::ClientRect(Hwnd h) const {
  const Window* w = Rec(h);
  if (!w) return {};
  int cw = w->rect.w;
  int ch = w->rect.h - FrameTop(h);
  if (w->kind == WinKind::kTop) {
    if (w->vbar.shown) cw -= metrics_.scroll_bar;
    if (w->hbar.shown) ch -= metrics_.scroll_bar;
  }
  return {0, 0, std::max(0, cw), std::max(0, ch)};
}

Point WinSystem::ClientToScreen(Hwnd h, Point p) const {
  for (const Window* w = Rec(h); w; w = Rec(h)) {
    p.x += w->rect.x;
    p.y += w->rect.y + FrameTop(h);
    h = w->parent;
  }
  return p;
}

// ---------------------------------------------------------------- scroll bars

void WinSystem::ShowScrollBar(Hwnd h, int bar, bool show) {
  Window* w = Rec(h);
  if (!w) return;
  (bar == kSbVert ? w->vbar : w->hbar).shown = show;
}

void WinSystem::SetScrollInfo(Hwnd h, int bar, int min, int max, int page, int pos) {
  Window* w = Rec(h);
  if (!w) return;
  ScrollInfo& s = bar == kSbVert ? w->vbar : w->hbar;
  s.min = min;
  s.max = std::max(min, max);
  s.page = std::max(0, page);
  s.pos = std::clamp(pos, s.min, s.max);
  s.track = s.pos;
}

void WinSystem::SetScrollPos(Hwnd h, int bar, int pos) {
  Window* w = Rec(h);
  if (!w) return;
  ScrollInfo& s = bar == kSbVert ? w->vbar : w->hbar;
  s.pos = std::clamp(pos, s.min, s.max);
  s.track = s.pos;
}

ScrollInfo WinSystem::GetScrollInfo(Hwnd h, int bar) const {
  const Window* w = Rec(h);
  if (!w) return {};
  return bar == kSbVert ? w->vbar : w->hbar;
}

void WinSystem::ScrollChildren(Hwnd h, int dx, int dy) {
  for (Hwnd c : Children(h)) {
    if (Window* x = Rec(c)) {
      x->rect.x += dx;
      x->rect.y += dy;
    }
  }
}

// ---------------------------------------------------------------- menus

int WinSystem::MenuCreate() {
  menus_.push_back(Menu{true, {}});
  return kMenuBase + static_cast<int>(menus_.size()) - 1;
}

const Menu* WinSystem::MenuRec(int menu) const {
  int i = menu - kMenuBase;
  if (i < 0 || i >= static_cast<int>(menus_.size()) || !menus_[i].used) return nullptr;
  return &menus_[i];
}

bool WinSystem::MenuAppend(int menu, std::string_view text, int id) {
  if (!MenuRec(menu)) return false;
  menus_[menu - kMenuBase].items.push_back(MenuItem{std::string(text), id, 0, true});
  return true;
}

bool WinSystem::MenuAppendPopup(int menu, std::string_view text, int popup) {
  if (!MenuRec(menu) || !MenuRec(popup) || popup == menu) return false;
  menus_[menu - kMenuBase].items.push_back(MenuItem{std::string(text), popup, popup, true});
  return true;
}

bool WinSystem::MenuEnableItem(int menu, int id, bool enable) {
  if (!MenuRec(menu)) return false;
  if (MenuItem* item = const_cast<MenuItem*>(FindMenuItem(menu, id))) {
    item->enabled = enable;
    return true;
  }
  return false;
}

const MenuItem* WinSystem::FindMenuItem(int menu, int id) const {
  // Popups may not contain themselves, but a cycle through others is cut by depth.
  struct Finder {
    const WinSystem& ws;
    const MenuItem* Find(int m, int id, int depth) const {
      const Menu* rec = ws.MenuRec(m);
      if (!rec || depth > 8) return nullptr;
      for (const MenuItem& it : rec->items) {
        if (it.popup == 0 && it.id == id) return &it;
        if (it.popup != 0) {
          if (const MenuItem* f = Find(it.popup, id, depth + 1)) return f;
        }
      }
      return nullptr;
    }
  };
  return Finder{*this}.Find(menu, id, 0);
}

void WinSystem::SetMenu(Hwnd h, int menu) {
  Window* w = Rec(h);
  if (!w || w->kind != WinKind::kTop) return;
  w->menu = MenuRec(menu) ? menu : 0;
}

int WinSystem::GetMenu(Hwnd h) const {
  const Window* w = Rec(h);
  return w ? w->menu : 0;
}

// ---------------------------------------------------------------- timers

uint64_t WinSystem::Now() const { return front_end_->NowMs(); }

bool WinSystem::SetTimer(Hwnd h, int id, uint32_t ms, TimerCallback cb) {
  if (h != kNoWindow && !Rec(h)) return false;
  if (ms < 10) ms = 10;
  KillTimer(h, id);
  timers_.push_back(Timer{h, id, ms, Now() + ms, std::move(cb)});
  return true;
}

void WinSystem::KillTimer(Hwnd h, int id) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.h == h && t.id == id; }),
                timers_.end());
}

bool WinSystem::DueTimer(Msg& m) {
  if (timers_.empty()) return false;
  uint64_t now = Now();
  Timer* best = nullptr;
  for (Timer& t : timers_) {
    if (t.due <= now && (!best || t.due < best->due)) best = &t;
  }
  if (!best) return false;
  best->due = now + best->ms;
  m = Msg{best->h, kWmTimer, static_cast<uint64_t>(best->id), 0};
  return true;
}

uint64_t WinSystem::NextDeadline() const {
  uint64_t d = kNoDeadline;
  for (const Timer& t : timers_) d = std::min(d, t.due);
  return d;
}

// ---------------------------------------------------------------- stalls

std::string WinSystem::StallReport(std::string_view why) const {
  std::string out = "window system stopped: ";
  out.append(why);
  out += "\n";
  out += DumpWindows(*this);
  return out;
}

WinSystem::StallHandler ExitOnStall(int status) {
  return [status](WinSystem&, const std::string& report) {
    std::fwrite(report.data(), 1, report.size(), stderr);
    std::fflush(stderr);
    std::exit(status);
  };
}

void WinSystem::Stall(std::string_view why) {
  stalled_ = true;
  std::string report = StallReport(why);
  if (stall_) {
    stall_(*this, report);
    return;
  }
  std::fwrite(report.data(), 1, report.size(), stderr);
  std::fflush(stderr);
  std::abort();
}

}  // namespace plat
