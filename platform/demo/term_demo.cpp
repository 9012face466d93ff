// A form with every control on the terminal front end, for trying it by hand
// and for the end-to-end test that drives it inside a terminal multiplexer.
//
//   term_demo [--out FILE]
//
// Tab and Shift+Tab move through the controls; Enter or a double click in the
// list takes its row; "Aviso" asks a question in a message box; Esc asks
// whether to leave. The status line shows the focused control, the bytes of
// the name field in hexadecimal, the list's choice and the last answer. With
// --out, the same facts are written to FILE when the program ends.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/ctl_button.h"
#include "platform/ctl_combo.h"
#include "platform/ctl_edit.h"
#include "platform/ctl_list.h"
#include "platform/ctl_listview.h"
#include "platform/ctl_progress.h"
#include "platform/ctl_msgbox.h"
#include "platform/ctl_static.h"
#include "platform/term_frontend.h"
#include "platform/win_core.h"
#include "platform/win_keys.h"

using namespace plat;

namespace {

constexpr int kName = 2000, kAmount = 2001, kActive = 2002, kList = 3350, kWarn = 3101, kQuit = 3100, kStatus = 1480;

struct Demo {
  WinSystem& ws;
  WinMsgBox& box;
  Hwnd form = kNoWindow;
  std::vector<Hwnd> order;
  std::string choice = "-";
  std::string answer = "-";
  bool leave = false;

  static int X(int col) { return col * 12; }
  static int Y(int row) { return row * 24; }

  std::string Hex(const std::string& s) const {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
      std::snprintf(buf, sizeof buf, "%02X", c);
      out += (out.empty() ? "" : " ") + std::string(buf);
    }
    return out.empty() ? "-" : out;
  }

  std::string Facts() const {
    return "foco=" + std::to_string(ws.Id(ws.Focus())) + " nombre=" + Hex(ws.GetText(ws.FindChild(form, kName))) +
           " lista=" + choice + " respuesta=" + answer;
  }

  void Move(Hwnd from, int step) {
    size_t n = order.size();
    size_t i = 0;
    while (i < n && order[i] != from) ++i;
    if (i == n) i = 0;
    ws.SetFocus(order[(i + n + step) % n]);
  }

  MsgAnswer Ask(std::string_view text) {
    MsgBoxRequest r;
    r.caption = "Demo";
    r.text = text;
    r.kind = 5;
    r.style = MsgBoxKindStyle(5);
    r.owner = form;
    MsgAnswer a = box.Show(r);
    answer = a == MsgAnswer::kYes ? "Si" : a == MsgAnswer::kNo ? "No" : "-";
    return a;
  }

  void Choose() {
    Hwnd list = ws.FindChild(form, kList);
    int sel = ListBoxGetSel(ws, list);
    if (sel >= 0) choice = ListBoxText(ws, list, sel);
  }

  // Keys every control handles before its own procedure.
  void Keys(Hwnd h) {
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(h, [this, prev](WinSystem& s, Hwnd hw, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
      if (msg == kWmKeyDown) {
        if (w == kVkTab) {
          Move(hw, KeyMods(l) & kModShift ? -1 : 1);
          return 0;
        }
        if (w == kVkEscape) {
          if (Ask("\xBFSalir de la demostraci\xF3n?") == MsgAnswer::kYes) leave = true;
          return 0;
        }
        if (w == kVkReturn && s.Id(hw) == kList) {
          Choose();
          return 0;
        }
        if (w == kVkReturn && s.Rec(hw)->kind == WinKind::kButton) {
          s.Send(form, kWmCommand, MakeCommandW(s.Id(hw), kCmdClicked), static_cast<int64_t>(hw));
          return 0;
        }
      }
      if (msg == kWmChar && (w == 9 || w == 27 || w == 13)) return 0;
      return (*prev)(s, hw, msg, w, l);
    });
    order.push_back(h);
  }

  void Build() {
    CreateParams p;
    p.class_name = "Demo";
    p.text = "Demostraci\xF3n de controles";
    p.style = kWsCaption | kWsSysMenu;
    p.x = 0;
    p.y = 0;
    p.w = ws.metrics().work_w();
    p.h = ws.metrics().work_h();
    p.proc = [this](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
      if (msg == kWmCommand) {
        int id = CommandId(w), code = CommandCode(w);
        if (id == kWarn && code == kCmdClicked) Ask("\xBFTodo en orden?");
        if (id == kQuit && code == kCmdClicked) leave = true;
        if (id == kList && code == kCmdDblClick) Choose();
        return 0;
      }
      if (msg == kWmClose) {
        leave = true;
        return 0;
      }
      return WinSystem::DefProc(s, h, msg, w, l);
    };
    form = ws.Create(p);
    CreateStatic(ws, form, 0, {X(1), Y(1), X(10), Y(1)}, "Nombre:");
    Keys(CreateEdit(ws, form, kName, {X(12), Y(1), X(30), Y(1)}));
    CreateStatic(ws, form, 0, {X(1), Y(2), X(10), Y(1)}, "Importe:");
    Keys(CreateEdit(ws, form, kAmount, {X(12), Y(2), X(12), Y(1)}, kEsNumber | kEsRight));
    Hwnd check = CreateButton(ws, form, kActive, {X(12), Y(3), X(12), Y(1)}, "Activo", WinKind::kCheckBox);
    Keys(check);
    CreateStatic(ws, form, 0, {X(1), Y(5), X(10), Y(1)}, "Lista:");
    Hwnd list = CreateListBox(ws, form, kList, {X(12), Y(5), X(16), Y(4)});
    for (const char* item : {"Uno", "Dos", "Tres", "Cuatro", "Cinco", "Seis"}) ListBoxAdd(ws, list, item);
    Keys(list);
    CreateStatic(ws, form, 0, {X(30), Y(5), X(10), Y(1)}, "Salida:");
    Hwnd combo = CreateCombo(ws, form, 3500, {X(38), Y(5), X(10), Y(4)}, kCbsSimple);
    for (const char* item : {"CON", "LPT1", "PDF", "TXT"}) ComboAdd(ws, combo, item);
    Keys(combo);
    Hwnd grid = CreateListView(ws, form, 3200, {X(50), Y(1), X(28), Y(5)});
    LvInsertColumn(ws, grid, 0, "Cuenta", X(14), false);
    LvInsertColumn(ws, grid, 1, "Importe", X(12), true);
    const char* rows[][2] = {{"4300", "1.250,00"}, {"5720", "980,50"}, {"7000", "12,00"}, {"6290", "75,10"}};
    for (auto& r : rows) {
      int i = LvAddRow(ws, grid);
      LvSetCell(ws, grid, i, 0, r[0]);
      LvSetCell(ws, grid, i, 1, r[1]);
    }
    LvSetColors(ws, grid, 0x000000, 0xFFE0E0);  // black on pale blue, like the engine's data grids
    Keys(grid);
    CreateStatic(ws, form, 0, {X(30), Y(10), X(10), Y(1)}, "Progreso:");
    Hwnd bar = CreateProgress(ws, form, 3600, {X(40), Y(10), X(20), Y(1)});
    ProgressSetRange(ws, bar, 0, 4);
    ProgressSetPos(ws, bar, 3);
    Hwnd banner = CreateStatic(ws, form, 0, {X(50), Y(7), X(28), Y(2)}, "Aviso fijo\r\nsobre el resto", kSsBanner);
    ws.BringChildToTop(banner);
    Keys(CreateButton(ws, form, kWarn, {X(12), Y(11), X(10), Y(1)}, "Aviso"));
    Keys(CreateButton(ws, form, kQuit, {X(24), Y(11), X(10), Y(1)}, "Salir"));
    CreateStatic(ws, form, kStatus, {X(1), Y(13), X(78), Y(1)}, "");
    ws.Show(form, ShowCmd::kShow);
    ws.Activate(form, order.front());
  }

  // The check box is not automatic: the form toggles it.
  void Toggle(const Msg& m) {
    if (m.msg == kWmCommand && CommandId(m.w) == kActive) {
      Hwnd c = ws.FindChild(form, kActive);
      ws.Send(c, kBmSetCheck, ws.Send(c, kBmGetCheck) ? 0 : 1);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::string out_path;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--out" && i + 1 < argc) out_path = argv[++i];
  }
  TermFrontEnd term;
  std::string error;
  if (!term.Open(error)) {
    std::fprintf(stderr, "term_demo: %s\n", error.c_str());
    return 2;
  }
  WinSystem ws(&term);
  term.Attach(&ws);
  bool stalled = false;
  ws.SetStallHandler([&](WinSystem&, const std::string&) { stalled = true; });
  WinMsgBox box(ws);
  Demo demo{ws, box, kNoWindow, {}, "-", "-", false};
  demo.Build();
  // Check box clicks reach the form as commands; toggle them there.
  auto prev = std::make_shared<WndProc>();
  *prev = ws.SetProc(demo.form, [&demo, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    demo.Toggle(Msg{h, msg, w, l});
    return (*prev)(s, h, msg, w, l);
  });
  Hwnd status = ws.FindChild(demo.form, kStatus);
  ws.SetText(status, demo.Facts());
  Msg m;
  while (!demo.leave && !stalled && ws.GetMessage(m)) {
    ws.TranslateMessage(m);
    ws.DispatchMessage(m);
    ws.SetText(status, demo.Facts());
  }
  const std::string facts = demo.Facts();
  term.Close();
  if (!out_path.empty()) {
    if (std::FILE* f = std::fopen(out_path.c_str(), "w")) {
      std::fprintf(f, "%s\n", facts.c_str());
      std::fclose(f);
    }
  }
  return stalled ? 1 : 0;
}
