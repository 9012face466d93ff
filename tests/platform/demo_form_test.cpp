// A form as the engine builds one: labels, edits, a check box and buttons, a
// procedure that moves through the fields with Tab and Shift+Tab, toggles the
// check box, checks the form on Enter or Ok and asks before Esc abandons it.
// A script drives it; the dump and a snapshot pin the result.
#include "platform/compositor.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class DemoForm : public WinTest {
 protected:
  Hwnd form = kNoWindow;
  std::vector<Hwnd> tab_order;
  int result = 0;

  static int ColX(int c) { return (c - 1) * 12 + 1; }
  static int RowY(int r) { return (r - 1) * 24 + 1; }

  void Move(Hwnd from, int step) {
    auto it = std::find(tab_order.begin(), tab_order.end(), from);
    size_t n = tab_order.size();
    size_t i = it == tab_order.end() ? 0 : static_cast<size_t>(it - tab_order.begin());
    ws.SetFocus(tab_order[(i + n + step) % n]);
  }

  MsgAnswer Box(int kind, std::string_view text) {
    MsgBoxRequest r;
    r.caption = "Clientes";
    r.text = text;
    r.kind = kind;
    r.style = MsgBoxKindStyle(kind);
    r.owner = form;
    return d.msgbox().Show(r);
  }

  // Ok: the amount is required; a missing one is reported and focused.
  void Accept() {
    Hwnd amount = ws.FindChild(form, 2002);
    if (ws.GetText(amount).empty()) {
      Box(1, "Falta el importe");
      ws.SetFocus(amount);
      return;
    }
    ws.PostQuit(1);
  }

  void Abandon() {
    if (Box(5, "\xBF" "Abandonar los cambios?") == MsgAnswer::kYes) ws.PostQuit(2);
  }

  // The keys every field of the form handles before the control does.
  void FieldKeys(Hwnd h) {
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(h, [this, prev](WinSystem& s, Hwnd hw, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
      if (msg == kWmKeyDown) {
        const uint8_t mods = KeyMods(l);
        if (w == kVkTab) {
          Move(hw, mods == kModShift ? -1 : 1);
          return 0;
        }
        if (w == kVkReturn && s.Rec(hw)->kind == WinKind::kEdit) {
          Accept();
          return 0;
        }
        if (w == kVkEscape) {
          Abandon();
          return 0;
        }
      }
      return (*prev)(s, hw, msg, w, l);
    });
  }

  void SetUp() override {
    CreateParams p;
    p.class_name = "Clientes";
    p.text = "Alta de clientes";
    p.style = kWsCaption | kWsSysMenu | kWsModalMark;
    p.x = 240;
    p.y = 144;
    p.w = 480;
    p.h = 24 * 8;
    p.proc = [this](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
      if (msg == kWmCommand && CommandCode(w) == kCmdClicked) {
        switch (CommandId(w)) {
          case 2003: {  // the check box reports; the form toggles it
            Hwnd cb = s.FindChild(h, 2003);
            s.Send(cb, kBmSetCheck, s.Send(cb, kBmGetCheck) ? 0 : 1);
            return 0;
          }
          case 3100: Accept(); return 0;
          case 3101: Abandon(); return 0;
          default: break;
        }
      }
      if (msg == kWmSetFocus && !tab_order.empty()) s.SetFocus(tab_order.front());
      return WinSystem::DefProc(s, h, msg, w, l);
    };
    form = ws.Create(p);
    CreateStatic(ws, form, 4001, {ColX(1), RowY(1), 12 * 8, 24}, "Nombre:", kSsRight);
    CreateStatic(ws, form, 4041, {ColX(1), RowY(2), 12 * 8, 24}, "Importe:", kSsRight);
    CreateStatic(ws, form, 4081, {ColX(1), RowY(3), 12 * 8, 24}, "Activo:", kSsRight);
    Hwnd name = CreateEdit(ws, form, 2001, {12 * 10 - 14, RowY(1), 294, 24});
    ws.Send(name, kEmLimitText, 30);
    Hwnd amount = CreateEdit(ws, form, 2002, {12 * 10 - 14, RowY(2), 120, 24}, kEsRight | kEsNumber);
    ws.Send(amount, kEmLimitText, 8);
    Hwnd active = CreateButton(ws, form, 2003, {ColX(10), RowY(3), 48, 24}, "", WinKind::kCheckBox);
    Hwnd ok = CreateButton(ws, form, 3100, {ColX(10), RowY(5), 120, 24}, "Aceptar");
    Hwnd cancel = CreateButton(ws, form, 3101, {ColX(22), RowY(5), 120, 24}, "Cancelar");
    tab_order = {name, amount, active, ok, cancel};
    for (Hwnd h : tab_order) FieldKeys(h);
  }
};

TEST_F(DemoForm, AScriptFillsTheFormAnswersItsQuestionsAndAcceptsIt) {
  d.Run(R"(# name, then back to it from the amount
type "ACME S.L."
key Tab
key Shift+Tab
key End
type " y Cía"
# Enter checks the form: the amount is missing
key Enter
answer OK
type "1500x"
key Tab
key Space
# Esc asks first; the answer No keeps the form
key Esc
answer No
click id=2002
key End
key Backspace
click id=3100
)");
  ws.Show(form, ShowCmd::kShow);
  EXPECT_EQ(ws.RunLoop(), 1);
  EXPECT_EQ(d.input().remaining(), 0u);

  EXPECT_EQ(d.Dump(),
            "window \"Clientes\" id=0 px=240,144 480x192 cells=20,6 40x8 \"Alta de clientes\" active\n"
            "  static \"static\" id=4001 px=1,1 96x24 cells=20,7 8x1 \"Nombre:\"\n"
            "  static \"static\" id=4041 px=1,25 96x24 cells=20,8 8x1 \"Importe:\"\n"
            "  static \"static\" id=4081 px=1,49 96x24 cells=20,9 8x1 \"Activo:\"\n"
            "  edit \"edit\" id=2001 px=106,1 294x24 cells=29,7 24x1 \"ACME S.L. y C\xED" "a\" limit=30\n"
            "  edit \"edit\" id=2002 px=106,25 120x24 cells=29,8 10x1 \"150\" right number limit=8\n"
            "  checkbox \"checkbox\" id=2003 px=109,49 48x24 cells=29,9 4x1 \"\" check=1\n"
            "  button \"button\" id=3100 px=109,97 120x24 cells=29,11 10x1 \"Aceptar\" focus\n"
            "  button \"button\" id=3101 px=253,97 120x24 cells=41,11 10x1 \"Cancelar\"\n"
            "active: window \"Clientes\" \"Alta de clientes\"; focus: button \"button\" id=3100\n");

  CellGrid g = Compose(ws);
  std::string rows;
  for (int r = 6; r <= 13; ++r) rows += g.Row(r).substr(std::min<size_t>(20, g.Row(r).size())) + "|\n";
  EXPECT_EQ(rows,
            " Alta de clientes                      x|\n"
            " Nombre: ACME S.L. y C\xED" "a|\n"
            "Importe:        150|\n"
            " Activo: [X]|\n"
            "|\n"
            "         [Aceptar ]  [Cancelar]|\n"
            "|\n"
            "|\n");
  EXPECT_EQ(g.at(29, 11).attr, kAttrBold);  // the focused button

  ASSERT_EQ(d.msgbox().log().size(), 2u);
  EXPECT_EQ(d.msgbox().log()[0].text, "Falta el importe");
  EXPECT_EQ(d.msgbox().log()[0].answer, MsgAnswer::kOk);
  EXPECT_EQ(d.msgbox().log()[1].text, "\xBF" "Abandonar los cambios?");
  EXPECT_EQ(d.msgbox().log()[1].answer, MsgAnswer::kNo);
  EXPECT_EQ(d.msgbox().log()[1].owner, form);
}

TEST_F(DemoForm, EscAnsweredYesAbandonsTheForm) {
  d.Run("type \"X\"\nkey Esc\nanswer Yes\n");
  ws.Show(form, ShowCmd::kShow);
  EXPECT_EQ(ws.RunLoop(), 2);
  ws.Destroy(form);
  EXPECT_TRUE(ws.TopLevels().empty());
}

TEST_F(DemoForm, AScriptThatEndsWhileTheFormWaitsStopsWithTheDump) {
  std::string report;
  ws.SetStallHandler([&](WinSystem&, const std::string& r) { report = r; });
  d.Run("type \"ACME\"\nkey Tab\n");
  ws.Show(form, ShowCmd::kShow);
  EXPECT_EQ(ws.RunLoop(), -1);
  EXPECT_NE(report.find("edit \"edit\" id=2001 px=106,1 294x24 cells=29,7 24x1 \"ACME\" limit=30"), std::string::npos)
      << report;
  EXPECT_NE(report.find("focus: edit \"edit\" id=2002"), std::string::npos) << report;
}

}  // namespace
}  // namespace plat::test
