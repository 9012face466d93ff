// The window system: window table, procedures, messages, loops, focus,
// activation, timers and geometry. No input or output of its own: input
// comes from a FrontEnd, drawing is the compositor's job.
//
// Message rules:
// - Send calls the window's current procedure (the head of its subclass
//   chain) at once. Post appends to the queue. Calls on a destroyed window do
//   nothing and answer 0.
// - Fetching takes posted messages first, then one input event, then one due
//   timer. An input event becomes messages when fetched and goes to the window
//   that has the focus then (mouse input: the window under the point). A key
//   becomes KEYDOWN, then (translated by the loop) CHAR, then KEYUP.
//   Modified keys come with a KEYDOWN and KEYUP of Shift or Ctrl around them.
// - Pointer: a click is LBUTTONDOWN then LBUTTONUP to the window under the
//   point. A separate press and release do the same, the release going to the
//   window pressed. On a scroll bar of a top-level window the arrows and the
//   track send line and page codes; dragging the thumb sends THUMBTRACK with
//   the track position (l, and the bar's track) whenever it changes, and the
//   release sends THUMBPOSITION, then ENDSCROLL.
// - Disabled or hidden windows, and children of disabled windows, get no
//   input. A message to a window destroyed meanwhile is dropped.
// - Quit ends the loop that fetches it. A loop with nothing to do waits in the
//   front end; when the front end says no input can come, the stall handler
//   runs (by default: the window dump on standard error, then abort) and every
//   loop ends.
// - SetFocus sets the focus, then sends KILLFOCUS to the old window and
//   SETFOCUS to the new; a focus change made from those handlers wins.
// - Stacking: a new top-level window goes on top; raising or activating a
//   window brings the windows it owns along above it, so an owned window is
//   never buried under its owner.
// - Destroy: owned windows first, then DESTROY to the window and to its
//   children depth-first; nothing is activated in its place.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win_frontend.h"
#include "platform/win_messages.h"
#include "platform/win_window.h"

namespace plat {

struct CreateParams {
  WinKind kind = WinKind::kTop;
  std::string_view class_name;  // a label for dumps; empty: the kind's name
  std::string_view text;
  uint32_t style = 0;
  int x = kUseDefault, y = kUseDefault, w = kUseDefault, h = kUseDefault;
  Hwnd parent = kNoWindow;  // set for controls
  Hwnd owner = kNoWindow;   // top-level windows: the owner
  int id = 0;
  WndProc proc;  // top-level windows: their procedure (default: DefProc)
  std::string_view image;  // bitmap buttons
};

// The parameters of a control of the given kind at r in its parent's client
// area; the caller adds visibility, tab stop, text and the rest.
inline CreateParams ChildParams(WinKind kind, Hwnd parent, int id, Rect r, uint32_t style) {
  CreateParams p;
  p.kind = kind;
  p.parent = parent;
  p.id = id;
  p.x = r.x;
  p.y = r.y;
  p.w = r.w;
  p.h = r.h;
  p.style = style;
  return p;
}

// The class name of message-box windows; scripted answers go to them.
inline constexpr std::string_view kMsgBoxClass = "MsgBox";

enum class ShowCmd : uint8_t { kHide, kShow, kShowNoActivate, kMaximize };

using TimerCallback = std::function<void(WinSystem&, Hwnd, int id)>;

// Fonts: the layer keeps logical fonts as handles and answers their text
// metrics; the grid of cells does not change with them (the cell is set once
// through SetCellSize). A created font reports its own height and width; the
// stock fonts report height 21 and average width 11, so that a cell taken
// from them (width + 1, height + 3) is 12 x 24.
struct FontSpec {
  int height = 0;
  int width = 0;
  int weight = 400;
  std::string face;
};
struct TextMetrics {
  int height = 0;
  int avg_width = 0;
  bool operator==(const TextMetrics&) const = default;
};
enum StockFont : int { kSystemFont = 1, kOemFixedFont = 2 };

class WinSystem {
 public:
  using StallHandler = std::function<void(WinSystem&, const std::string& report)>;

  explicit WinSystem(FrontEnd* front_end = nullptr, Metrics metrics = {});
  ~WinSystem();
  WinSystem(const WinSystem&) = delete;
  WinSystem& operator=(const WinSystem&) = delete;

  // ---- set-up
  void SetFrontEnd(FrontEnd* front_end);
  FrontEnd* front_end() const { return front_end_; }
  const Metrics& metrics() const { return metrics_; }
  void SetCellSize(int cell_w, int cell_h);
  void SetWorkArea(int cols, int rows);
  Rect WorkArea() const { return {0, 0, metrics_.work_w(), metrics_.work_h()}; }
  // Runs when a loop waits and no input can come; see the header comment.
  void SetStallHandler(StallHandler handler) { stall_ = std::move(handler); }
  bool stalled() const { return stalled_; }

  // ---- windows
  Hwnd Create(const CreateParams& params);
  void Destroy(Hwnd h);
  bool IsWindow(Hwnd h) const { return Rec(h) != nullptr; }
  // Replaces the window's procedure and returns the previous one, which the
  // new procedure calls to chain.
  WndProc SetProc(Hwnd h, WndProc proc);
  // The system's default processing: CLOSE destroys the window.
  static int64_t DefProc(WinSystem& ws, Hwnd h, uint32_t msg, uint64_t w, int64_t l);

  const Window* Rec(Hwnd h) const;
  Window* Rec(Hwnd h);
  // The record of a live window of that kind; null for any other window.
  const Window* RecOf(Hwnd h, WinKind kind) const {
    const Window* w = Rec(h);
    return w && w->kind == kind ? w : nullptr;
  }
  Window* RecOf(Hwnd h, WinKind kind) { return const_cast<Window*>(std::as_const(*this).RecOf(h, kind)); }

  Hwnd Parent(Hwnd h) const;
  Hwnd Owner(Hwnd h) const;
  Hwnd TopLevelOf(Hwnd h) const;
  bool IsDescendant(Hwnd ancestor, Hwnd h) const;  // h is ancestor or below it
  std::vector<Hwnd> Children(Hwnd h) const;
  // The first descendant with the id (depth-first in drawing order).
  Hwnd FindChild(Hwnd parent, int id) const;
  // Visible or not, bottom to top.
  const std::vector<Hwnd>& TopLevels() const { return z_order_; }
  int Id(Hwnd h) const;
  void BringChildToTop(Hwnd child);

  void SetText(Hwnd h, std::string_view text);
  std::string GetText(Hwnd h) const;

  void Enable(Hwnd h, bool enable);
  bool IsEnabled(Hwnd h) const;     // its own flag
  bool AcceptsInput(Hwnd h) const;  // alive, shown and enabled with all its ancestors
  void Show(Hwnd h, ShowCmd cmd);
  bool IsVisible(Hwnd h) const;     // its own flag
  bool IsShown(Hwnd h) const;       // it and all its ancestors visible

  void Move(Hwnd h, Rect r);
  Rect GetRect(Hwnd h) const;
  // Frame row height above the client area (one cell for a caption or menu).
  int FrameTop(Hwnd h) const;
  Rect ClientRect(Hwnd h) const;  // at (0, 0), less the frame and scroll bars
  Point ClientToScreen(Hwnd h, Point p) const;
  // The frame a top-level window of that style adds: left 0, top one cell
  // when it has a caption or a menu.
  Rect FrameAdjust(uint32_t style, bool has_menu) const;

  // ---- messages
  int64_t Send(Hwnd h, uint32_t msg, uint64_t w = 0, int64_t l = 0);
  bool Post(Hwnd h, uint32_t msg, uint64_t w = 0, int64_t l = 0);
  void PostQuit(int code);
  // Blocks until a message; false for quit (msg.w = its code) or a stall.
  bool GetMessage(Msg& m);
  // Never blocks; true when it took a message, quit included.
  bool PeekMessage(Msg& m);
  // Posts the CHAR of a KEYDOWN that makes one.
  void TranslateMessage(const Msg& m);
  int64_t DispatchMessage(const Msg& m);
  // Get, translate, dispatch until quit; the quit code, or -1 after a stall.
  int RunLoop();
  // Translates and dispatches what is queued without waiting. True when a
  // quit was taken or no window is left.
  bool Pump();
  // Drops posted messages and queued input.
  void DiscardPending();
  // The modifier bits of the key event being processed.
  uint8_t CurrentMods() const { return mods_; }
  bool KeyIsDown(uint8_t vk) const;
  // Last pointer position in screen pixels.
  Point MousePos() const { return mouse_; }

  // ---- focus and activation
  // Refused (answer 0) for destroyed, hidden or disabled windows; else the
  // previous focus.
  Hwnd SetFocus(Hwnd h);
  Hwnd Focus() const { return focus_; }
  // Raises, activates and focuses a shown, enabled top-level window; focus_to
  // (a window inside it) takes the focus instead of the window itself. When
  // the window is active already and the focus is inside it, the focus stays.
  bool Activate(Hwnd top, Hwnd focus_to = kNoWindow);
  Hwnd Active() const { return active_; }
  // Puts a top-level window on top of the stacking order, with the windows it
  // owns above it in their order: owned windows always stay above their owner.
  void Raise(Hwnd top);

  // ---- timers (front end's clock)
  bool SetTimer(Hwnd h, int id, uint32_t ms, TimerCallback cb = {});
  void KillTimer(Hwnd h, int id);
  uint64_t Now() const;

  // ---- scroll bars of top-level windows
  void ShowScrollBar(Hwnd h, int bar, bool show);
  void SetScrollInfo(Hwnd h, int bar, int min, int max, int page, int pos);
  void SetScrollPos(Hwnd h, int bar, int pos);
  ScrollInfo GetScrollInfo(Hwnd h, int bar) const;
  // Moves every child by (dx, dy) pixels.
  void ScrollChildren(Hwnd h, int dx, int dy);

  // ---- fonts
  int FontCreate(const FontSpec& spec);
  // A stock font's handle (its StockFont number).
  static int StockFontHandle(StockFont which) { return which; }
  // Metrics of a font; an unknown handle answers the stock metrics.
  TextMetrics FontMetrics(int font) const;
  const FontSpec* FontRec(int font) const;
  // Sets a window's font and tells it (SETFONT, w = the font handle).
  void SetFont(Hwnd h, int font);
  int GetFont(Hwnd h) const;

  // ---- menus (handles from kMenuBase; a popup's handle is its item id)
  static constexpr int kMenuBase = 0x7000;
  int MenuCreate();
  bool MenuAppend(int menu, std::string_view text, int id);
  bool MenuAppendPopup(int menu, std::string_view text, int popup);
  bool MenuEnableItem(int menu, int id, bool enable);
  void SetMenu(Hwnd h, int menu);
  int GetMenu(Hwnd h) const;
  const Menu* MenuRec(int menu) const;
  // The window's menu item with the id, searched through its popups.
  const MenuItem* FindMenuItem(int menu, int id) const;

  // ---- hit testing (cells, as drawn)
  enum class HitArea : uint8_t { kNone, kClient, kCaption, kMenuRow, kCloseBox, kHScroll, kVScroll };
  struct Hit {
    Hwnd h = kNoWindow;
    HitArea area = HitArea::kNone;
  };
  Hit HitTest(Point screen_px) const;

  // A report of why a run stopped, with the window dump.
  std::string StallReport(std::string_view why) const;
  // Stops the run: the stall handler gets the report and every loop ends.
  // For input that cannot be handled (a script out of step with the windows).
  void Stall(std::string_view why);

  // Messages dispatched so far (a counter for tests).
  uint64_t dispatched() const { return dispatched_; }
  // Number of times a loop waited in the front end.
  uint64_t waits() const { return waits_; }

 private:
  // One message an input event becomes, or (unresolved) a click, answer or
  // menu pick that is resolved when it is fetched.
  struct RawInput {
    uint32_t msg = 0;
    uint64_t w = 0;
    int64_t l = 0;
    Hwnd target = kNoWindow;  // mouse button-up and double click: the press's window
    uint8_t mods = 0;
    bool key = false;         // goes to the focus
    bool unresolved = false;  // ev still to be resolved
    InputEvent ev;
  };
  struct Timer {
    Hwnd h = kNoWindow;
    int id = 0;
    uint32_t ms = 0;
    uint64_t due = 0;
    TimerCallback cb;
  };

  // A scroll-bar thumb being dragged: the window, the bar, the cell the drag
  // started in, the thumb's cell then, and the last track position sent.
  struct ThumbDrag {
    Hwnd top = kNoWindow;
    bool vert = false;
    int grab_cell = 0;
    int grab_thumb = 0;
    int track = 0;
  };

  enum class Take : uint8_t { kNone, kMessage, kDropped };
  bool Fetch(Msg& m, bool block);
  Take TakeInput(Msg& m);
  void ExpandInput(const InputEvent& ev);
  bool RouteRaw(const RawInput& raw, Msg& m);
  bool RouteClick(const RawInput& raw, Msg& m);
  bool RoutePointer(const RawInput& raw, Msg& m);
  bool TrackThumb(Point screen, bool release, Msg& m);
  bool DueTimer(Msg& m);
  uint64_t NextDeadline() const;
  void DestroyTree(Hwnd h);
  void CollectSubtree(Hwnd h, std::vector<Hwnd>& out) const;
  void FreeSlot(Hwnd h);
  bool EnabledChain(Hwnd h) const;

  FrontEnd* front_end_ = nullptr;
  std::unique_ptr<FrontEnd> own_front_end_;
  Metrics metrics_;
  std::vector<Window> slots_;  // slot i is handle slot i + 1
  std::vector<Hwnd> z_order_;  // top-level windows, bottom to top
  std::deque<Msg> posted_;
  std::deque<RawInput> input_;
  std::vector<Timer> timers_;
  std::vector<Menu> menus_;
  std::vector<FontSpec> fonts_;  // handle = index + 3
  Hwnd focus_ = kNoWindow;
  Hwnd active_ = kNoWindow;
  uint8_t mods_ = 0;
  Point mouse_;
  ThumbDrag drag_;                 // drag_.top set while a thumb is dragged
  Hwnd pressed_ = kNoWindow;       // the window a press went to, until the release
  int next_timer_id_ = 0x1000;
  StallHandler stall_;
  bool stalled_ = false;
  uint64_t dispatched_ = 0;
  uint64_t waits_ = 0;
};

// The stall handler of runs without a terminal (batch runs): the report goes
// to standard error and the process ends with the status.
WinSystem::StallHandler ExitOnStall(int status = 122);

// The window system's built-in class procedure of a control kind (DefProc for
// top-level windows).
WndProc ClassProc(WinKind kind);
std::string_view KindName(WinKind kind);

}  // namespace plat
