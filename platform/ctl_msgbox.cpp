#include "platform/ctl_msgbox.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

#include "platform/ctl_button.h"
#include "platform/ctl_static.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"

namespace plat {

namespace {

struct BoxState {
  bool done = false;
  MsgAnswer answer = MsgAnswer::kFailed;
  MsgButtons buttons = MsgButtons::kOk;
  std::vector<Hwnd> button_windows;
};

std::vector<std::string> WrapText(std::string_view text, size_t width) {
  std::vector<std::string> out;
  size_t start = 0;
  auto add = [&](std::string_view line) {
    while (line.size() > width) {
      size_t cut = line.rfind(' ', width);
      if (cut == std::string_view::npos || cut == 0) cut = width;
      out.emplace_back(line.substr(0, cut));
      line.remove_prefix(cut);
      while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    }
    out.emplace_back(line);
  };
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      size_t end = (i > start && text[i - 1] == '\r') ? i - 1 : i;
      add(text.substr(start, end - start));
      start = i + 1;
    }
  }
  return out;
}

std::vector<MsgAnswer> Answers(MsgButtons b) {
  switch (b) {
    case MsgButtons::kOk: return {MsgAnswer::kOk};
    case MsgButtons::kOkCancel: return {MsgAnswer::kOk, MsgAnswer::kCancel};
    case MsgButtons::kRetryCancel: return {MsgAnswer::kRetry, MsgAnswer::kCancel};
    case MsgButtons::kYesNo: return {MsgAnswer::kYes, MsgAnswer::kNo};
    case MsgButtons::kYesNoCancel: return {MsgAnswer::kYes, MsgAnswer::kNo, MsgAnswer::kCancel};
  }
  return {MsgAnswer::kOk};
}

const std::string& Label(const MsgBoxLabels& l, MsgAnswer a) {
  switch (a) {
    case MsgAnswer::kCancel: return l.cancel;
    case MsgAnswer::kRetry: return l.retry;
    case MsgAnswer::kYes: return l.yes;
    case MsgAnswer::kNo: return l.no;
    default: return l.ok;
  }
}

// Esc: Cancel where offered; an OK-only box closes with OK.
MsgAnswer EscapeAnswer(MsgButtons b) {
  if (MsgButtonsOffer(b, MsgAnswer::kCancel)) return MsgAnswer::kCancel;
  if (b == MsgButtons::kOk) return MsgAnswer::kOk;
  return MsgAnswer::kFailed;
}

void Finish(const std::shared_ptr<BoxState>& st, MsgAnswer a) {
  if (a == MsgAnswer::kFailed || st->done) return;
  st->answer = a;
  st->done = true;
}

}  // namespace

MsgAnswer WinMsgBox::Show(const MsgBoxRequest& r) {
  WinSystem& ws = ws_;
  auto st = std::make_shared<BoxState>();
  st->buttons = r.style.buttons;
  const Metrics& mx = ws.metrics();

  Hwnd owner = ws.IsWindow(static_cast<Hwnd>(r.owner)) && r.owner <= 0xFFFFFFFFu ? static_cast<Hwnd>(r.owner)
                                                                                  : ws.Active();
  owner = ws.TopLevelOf(owner);
  const Hwnd saved_focus = ws.Focus();

  const std::vector<MsgAnswer> answers = Answers(r.style.buttons);
  int buttons_width = 0;
  for (MsgAnswer a : answers) buttons_width += static_cast<int>(Label(labels_, a).size()) + 4 + 2;
  buttons_width -= 2;
  const int max_inner = std::max(10, mx.cols - 6);
  std::vector<std::string> lines = WrapText(r.text, static_cast<size_t>(max_inner));
  int inner = std::max({buttons_width, static_cast<int>(r.caption.size()) + 2, 16});
  for (const auto& l : lines) inner = std::max(inner, static_cast<int>(l.size()));
  inner = std::min(inner, max_inner);
  const int cols = inner + 4;
  const int rows = static_cast<int>(lines.size()) + 5;
  const int col = std::max(0, (mx.cols - cols) / 2);
  const int row = std::max(0, (mx.rows - rows) / 2);

  CreateParams p;
  p.kind = WinKind::kTop;
  p.class_name = kMsgBoxClass;
  p.text = r.caption;
  p.style = kWsCaption | kWsPopup | kWsModalMark;
  p.owner = owner;
  p.x = col * mx.cell_w;
  p.y = row * mx.cell_h;
  p.w = cols * mx.cell_w;
  p.h = rows * mx.cell_h;
  p.proc = [st](WinSystem& w2, Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    switch (msg) {
      case kWmSetFocus:
        if (!st->button_windows.empty()) w2.SetFocus(st->button_windows.front());
        return 0;
      case kWmCommand:
        if (CommandCode(w) == kCmdClicked) Finish(st, static_cast<MsgAnswer>(CommandId(w)));
        return 0;
      case kMbAnswer: {
        MsgAnswer a = static_cast<MsgAnswer>(w);
        if (!MsgButtonsOffer(st->buttons, a)) {
          w2.Stall("the script answers " + std::string(MsgAnswerName(a)) + ", but the box offers " +
                   std::string(MsgButtonsName(st->buttons)));
          return 0;
        }
        Finish(st, a);
        return 0;
      }
      case kWmClose:
        Finish(st, EscapeAnswer(st->buttons));
        return 0;
      default:
        return WinSystem::DefProc(w2, h, msg, w, l);
    }
  };
  Hwnd box = ws.Create(p);
  if (!box) {
    log_.push_back(MsgBoxLogEntry{std::string(r.caption), std::string(r.text), r.kind, r.style, r.owner,
                                  MsgAnswer::kFailed});
    return MsgAnswer::kFailed;
  }
  for (size_t i = 0; i < lines.size(); ++i)
    CreateStatic(ws, box, 0, {2 * mx.cell_w, static_cast<int>(i + 1) * mx.cell_h, inner * mx.cell_w, mx.cell_h},
                 lines[i]);
  int bx = 2 + (inner - buttons_width) / 2;
  const int by = static_cast<int>(lines.size()) + 2;
  for (MsgAnswer a : answers) {
    const std::string& label = Label(labels_, a);
    int bw = static_cast<int>(label.size()) + 4;
    Hwnd b = CreateButton(ws, box, static_cast<int>(a), {bx * mx.cell_w, by * mx.cell_h, bw * mx.cell_w, mx.cell_h},
                          label);
    st->button_windows.push_back(b);
    bx += bw + 2;
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(b, [st, prev, a, labels = labels_](WinSystem& w2, Hwnd h, uint32_t msg, uint64_t w,
                                                           int64_t l) -> int64_t {
      if (msg == kWmKeyDown) {
        auto& bs = st->button_windows;
        auto it = std::find(bs.begin(), bs.end(), h);
        size_t i = it == bs.end() ? 0 : static_cast<size_t>(it - bs.begin());
        const bool back = w == kVkLeft || (w == kVkTab && (KeyMods(l) & kModShift));
        if (w == kVkTab || w == kVkLeft || w == kVkRight) {
          size_t n = bs.size();
          w2.SetFocus(bs[back ? (i + n - 1) % n : (i + 1) % n]);
          return 0;
        }
        if (w == kVkReturn) {
          Finish(st, a);
          return 0;
        }
        if (w == kVkEscape) {
          Finish(st, EscapeAnswer(st->buttons));
          return 0;
        }
        if (w >= 'A' && w <= 'Z' && !(KeyMods(l) & (kModCtrl | kModAlt))) {
          for (MsgAnswer other : Answers(st->buttons)) {
            const std::string& lab = Label(labels, other);
            if (!lab.empty() && std::toupper(static_cast<unsigned char>(lab[0])) == static_cast<int>(w)) {
              Finish(st, other);
              return 0;
            }
          }
        }
      }
      return (*prev)(w2, h, msg, w, l);
    });
  }

  bool disabled_owner = false;
  if (owner && ws.IsEnabled(owner)) {
    ws.Enable(owner, false);
    disabled_owner = true;
  }
  ws.Show(box, ShowCmd::kShow);

  Msg m;
  bool quit = false;
  while (!st->done && ws.IsWindow(box)) {
    if (!ws.GetMessage(m)) {
      quit = true;
      break;
    }
    ws.TranslateMessage(m);
    ws.DispatchMessage(m);
  }
  MsgAnswer answer = st->done ? st->answer : MsgAnswer::kFailed;
  if (disabled_owner && ws.IsWindow(owner)) ws.Enable(owner, true);
  ws.Destroy(box);
  if (quit && !ws.stalled()) ws.PostQuit(static_cast<int>(static_cast<int64_t>(m.w)));
  if (ws.IsWindow(owner) && ws.AcceptsInput(owner)) {
    ws.Activate(owner, saved_focus);
  } else if (ws.IsWindow(saved_focus) && ws.AcceptsInput(saved_focus)) {
    ws.Activate(ws.TopLevelOf(saved_focus), saved_focus);
  }
  log_.push_back(MsgBoxLogEntry{std::string(r.caption), std::string(r.text), r.kind, r.style, r.owner, answer});
  return answer;
}

}  // namespace plat
