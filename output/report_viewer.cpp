#include "output/report_viewer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/msg_catalog.h"
#include "core/path_resolve.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/folders.h"
#include "output/channels.h"
#include "platform/ctl_button.h"
#include "platform/ctl_edit.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"

namespace eng {

namespace {

std::vector<std::string> Captions() {
  ScratchScope scope;
  StrPair list = DynStrGet(sl::kSettings, sl::kButtonCaptions);
  std::string text = list.ok() && !list.empty() ? list.str() : MsgText("0020").str();
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t c = text.find(',', start);
    out.push_back(text.substr(start, c == std::string::npos ? std::string::npos : c - start));
    if (c == std::string::npos) break;
    start = c + 1;
  }
  return out;
}

// The button pressed in the viewer now open; -1 for none.
int g_pressed = -1;

int64_t ViewerProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  switch (msg) {
    case plat::kWmCommand:
      if (plat::CommandCode(w) == plat::kCmdClicked && plat::CommandId(w) >= kViewerButtonBase) {
        g_pressed = plat::CommandId(w) - kViewerButtonBase;
        SysVarSet(kVarCurEdFld, static_cast<int16_t>(g_pressed));
        ws.Post(h, plat::kWmClose);
        return 0;
      }
      break;
    case plat::kWmSetFocus:
      ws.SetFocus(ws.FindChild(h, kViewerEditId));
      return 0;
    case plat::kWmDestroy:
      if (ViewerWindowHost* host = Out().config.host) host->Remove(h);
      break;
    default:
      break;
  }
  return plat::WinSystem::DefProc(ws, h, msg, w, l);
}

// Reads the whole temporary file of the device: 146 at 64 MB or more.
Status LoadText(DeviceRecord& d, std::string& text) {
  if (std::FILE* f = StrmHandle(d.channel)) std::fflush(f);
  int64_t size = StrmSize(d.channel);
  if (size < 0) return kStDiskIo;
  if (static_cast<uint64_t>(size) >= kViewerMaxBytes) return kStStringTooLong;
  text.assign(static_cast<size_t>(size), '\0');
  size_t done = 0;
  while (done < text.size()) {
    size_t piece = std::min<size_t>(1024, text.size() - done);
    StrmCount n = StrmRead(d.channel, static_cast<StrmPos>(done), piece, text.data() + done, piece);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
    if (static_cast<size_t>(n) < piece) break;
  }
  text.resize(done);
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return kOk;
}

void OwnLoop(plat::WinSystem& ws, plat::Hwnd h) {
  while (ws.IsWindow(h)) {
    plat::Msg m;
    if (!ws.GetMessage(m)) {
      if (!ws.stalled()) ws.PostQuit(static_cast<int>(m.w));  // the quit belongs to the loop below
      break;
    }
    ws.TranslateMessage(m);
    ws.DispatchMessage(m);
  }
  if (ws.IsWindow(h)) ws.Destroy(h);
}

}  // namespace

void ReportWinSetWindows(plat::WinSystem* ws, ViewerWindowHost* host) {
  Out().config.win = ws;
  Out().config.host = host;
}

Status DeviceOpenConsoleFile(DeviceRecord& d) {
  ScratchScope scope;
  StrPair name = PathTempFile(StrPair{});
  if (!name.ok()) return kStDiskIo;
  StrmRemoveFile(name);
  uint16_t stream = StrmOpen(name, kStrmQuiet);
  if (stream >= kStreams) return kStDiskIo;
  d.channel = stream;
  d.has_channel = true;
  return kOk;
}

Status ReportWinWrite(DeviceRecord& d, std::string_view text) {
  if (!d.has_channel) return kStLowFailure;
  StrmCount n = StrmWrite(d.channel, kStrmHere, text.data(), text.size());
  return n == static_cast<StrmCount>(text.size()) ? kOk : kStLowFailure;
}

Status ReportWinCreate(uint16_t dev_width, uint16_t dev_lines, std::string_view text, plat::Hwnd* out) {
  OutputConfig& c = Out().config;
  if (!c.win) return kStLowFailure;
  plat::WinSystem& ws = *c.win;
  plat::Hwnd owner = c.host ? c.host->TopWindow() : ws.Active();
  plat::Rect area = owner ? ws.ClientRect(owner) : ws.WorkArea();
  const plat::Metrics& m = ws.metrics();
  int width = std::min(area.w, (dev_width + 5) * m.cell_w + 24);
  int height = std::min(area.h, dev_lines * m.cell_h + 48);
  plat::CreateParams p;
  p.class_name = "Report";
  p.text = "ReportWin";
  p.style = plat::kWsPopup | plat::kWsCaption | plat::kWsSysMenu;
  p.y = 0;
  p.w = width;
  p.h = height;
  p.owner = owner;
  p.proc = &ViewerProc;
  plat::Hwnd h = ws.Create(p);
  if (!h) return kStLowFailure;
  plat::Rect client = ws.ClientRect(h);
  // The button row: one and a half cells high, the text below it.
  int row_h = m.cell_h * 3 / 2;
  int x = 0;
  std::vector<std::string> captions = Captions();
  for (size_t i = 0; i < captions.size(); ++i) {
    int w = (static_cast<int>(captions[i].size()) + 4) * m.cell_w;
    plat::CreateButton(ws, h, kViewerButtonBase + static_cast<int>(i), {x, 0, w, row_h}, captions[i]);
    x += w + m.cell_w;
  }
  int top = 2 * m.cell_h;
  plat::Hwnd edit = plat::CreateEdit(ws, h, kViewerEditId,
                                     {0, top, client.w, std::max(m.cell_h, client.h - top)},
                                     plat::kEsMultiline | plat::kEsReadOnly | plat::kEsAutoHScroll |
                                         plat::kWsVScroll | plat::kWsHScroll | plat::kWsVisible);
  ws.SetText(edit, text);
  plat::WndProc edit_proc = ws.SetProc(edit, nullptr);
  ws.SetProc(edit, [edit_proc, h](plat::WinSystem& s, plat::Hwnd e, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    if (msg == plat::kWmKeyDown && w == plat::kVkEscape) {
      s.Send(h, plat::kWmClose);
      return 0;
    }
    return edit_proc(s, e, msg, w, l);
  });
  if (owner) ws.Enable(owner, false);
  if (c.host) c.host->Push(h);
  ws.Show(h, plat::ShowCmd::kShow);
  ws.Activate(h, edit);
  *out = h;
  return kOk;
}

long ReportWinFind(plat::Hwnd viewer, std::string_view needle, bool from_top) {
  plat::WinSystem* ws = Out().config.win;
  if (!ws || needle.empty()) return -1;
  plat::Hwnd edit = ws->FindChild(viewer, kViewerEditId);
  const plat::Window* rec = ws->Rec(edit);
  if (!rec) return -1;
  std::string text = ws->GetText(edit);
  // Line starts (lines end with LF, a CR before it belongs to the line).
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') starts.push_back(i + 1);
  size_t top = rec->edit.top_line;
  size_t first = from_top ? 0 : std::min(top + 1, starts.size());
  for (size_t k = 0; k < starts.size(); ++k) {
    size_t line = (first + k) % starts.size();
    size_t end = line + 1 < starts.size() ? starts[line + 1] : text.size();
    if (std::string_view(text).substr(starts[line], end - starts[line]).find(needle) == std::string_view::npos) continue;
    ws->Send(edit, plat::kEmLineScroll, 0, static_cast<int64_t>(line) - static_cast<int64_t>(top));
    return static_cast<long>(line);
  }
  return -1;
}

Status ReportWinShow(DeviceRecord& d) {
  if (d.status) return d.status;
  if (!d.has_channel) return kStLowFailure;
  std::string text;
  Status s = LoadText(d, text);
  StrmClose(d.channel);  // the temporary file's use ends here; it is kept
  d.has_channel = false;
  if (s) return s;
  OutputConfig& c = Out().config;
  plat::Hwnd h = plat::kNoWindow;
  s = ReportWinCreate(d.width, d.lines, text, &h);
  if (s) return s;
  plat::WinSystem& ws = *c.win;
  plat::Hwnd owner = ws.Owner(h);
  // The owner taking the focus back (while the viewer goes, or after it)
  // may make one of its fields current, which sets _CUREDFLD: afterwards it
  // holds the pressed button again, or what it held before when the viewer
  // was closed without one.
  const int16_t before = SysVarGet(kVarCurEdFld);
  g_pressed = -1;
  if (c.host) c.host->ModalLoop(h);
  else OwnLoop(ws, h);
  if (owner && ws.IsWindow(owner)) {
    ws.Enable(owner, true);
    ws.Activate(owner);
  }
  SysVarSet(kVarCurEdFld, g_pressed >= 0 ? static_cast<int16_t>(g_pressed) : before);
  return kOk;
}

}  // namespace eng
