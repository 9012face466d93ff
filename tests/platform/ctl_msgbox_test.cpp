// The window system's message box: buttons per kind, answers from keys,
// clicks and the script, the owner disabled meanwhile, the focus given back.
#include "platform/compositor.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

class MsgBoxTest : public WinTest {
 protected:
  Hwnd top = kNoWindow, e1 = kNoWindow;
  void SetUp() override {
    top = Top("form", {0, 0, 480, 264});
    e1 = Edit(top, 2001, "e1", {12, 24, 120, 24});
    ws.Show(top, ShowCmd::kShow);
    ws.SetFocus(e1);
    log.clear();
  }
  MsgAnswer Ask(int kind, std::string_view text = "\xBF" "Continuar?", std::string_view caption = "Pregunta") {
    MsgBoxRequest r;
    r.caption = caption;
    r.text = text;
    r.kind = kind;
    r.style = MsgBoxKindStyle(kind);
    r.owner = top;
    return d.msgbox().Show(r);
  }
  // Runs f while the next box is open (from a timer that fires inside a wait).
  void WhileOpen(std::function<void()> f) {
    ws.SetTimer(kNoWindow, 99, 10, [f](WinSystem& s, Hwnd, int) {
      s.KillTimer(kNoWindow, 99);
      f();
    });
  }
};

TEST_F(MsgBoxTest, ButtonsPerKindAndTheAnswersOfKeys) {
  struct Case {
    int kind;
    const char* keys;  // script text
    const char* buttons;
    MsgAnswer answer;
  };
  const Case cases[] = {
      {0, "key Enter", "Aceptar", MsgAnswer::kOk},
      {1, "key Esc", "Aceptar", MsgAnswer::kOk},
      {2, "key Esc", "Aceptar Cancelar", MsgAnswer::kCancel},
      {2, "key Tab\nkey Enter", "Aceptar Cancelar", MsgAnswer::kCancel},
      {3, "key A", "Aceptar", MsgAnswer::kOk},
      {4, "key Enter", "Reintentar Cancelar", MsgAnswer::kRetry},
      {4, "key C", "Reintentar Cancelar", MsgAnswer::kCancel},
      {5, "key N", "S\xED No", MsgAnswer::kNo},
      {5, "key S", "S\xED No", MsgAnswer::kYes},
      {5, "key Esc\nkey Right\nkey Enter", "S\xED No", MsgAnswer::kNo},  // Esc: no Cancel to give
      {6, "key Esc", "S\xED No Cancelar", MsgAnswer::kCancel},
      {6, "key Shift+Tab\nkey Space", "S\xED No Cancelar", MsgAnswer::kCancel},
      {9, "answer OK", "Aceptar", MsgAnswer::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + ": " + c.keys);
    std::string buttons;
    WhileOpen([&] {
      Hwnd box = ws.Active();
      for (Hwnd b : ws.Children(box))
        if (ws.Rec(b)->kind == WinKind::kButton) buttons += (buttons.empty() ? "" : " ") + ws.GetText(b);
    });
    d.Run(Script().Wait(20));
    d.Run(c.keys);
    EXPECT_EQ(Ask(c.kind), c.answer);
    EXPECT_EQ(buttons, c.buttons);
    EXPECT_EQ(d.input().remaining(), 0u);
  }
  ASSERT_EQ(d.msgbox().log().size(), std::size(cases));
  EXPECT_EQ(d.msgbox().log()[7].text, "\xBF" "Continuar?");
  EXPECT_EQ(d.msgbox().log()[7].answer, MsgAnswer::kNo);
  EXPECT_EQ(d.msgbox().log()[7].kind, 5);
}

TEST_F(MsgBoxTest, TheBoxIsCentredOverTheDisabledOwnerAndDrawn) {
  std::string snap, dump;
  WhileOpen([&] {
    snap = Compose(ws).Snapshot();
    dump = DumpWindows(ws);
  });
  d.Run("wait 20ms\nclick id=4\n");  // the No button's id is its answer
  EXPECT_EQ(Ask(5), MsgAnswer::kNo);
  std::vector<std::string> rows;
  size_t start = 0;
  for (size_t i = 0; i < snap.size(); ++i)
    if (snap[i] == '\n') rows.push_back(snap.substr(start, i - start)), start = i + 1;
  ASSERT_EQ(rows.size(), 25u);
  EXPECT_EQ(rows[9], std::string(30, ' ') + " Pregunta");
  EXPECT_EQ(rows[11], std::string(32, ' ') + "\xBF" "Continuar?");
  EXPECT_EQ(rows[13], std::string(33, ' ') + "[ S\xED ]  [ No ]");
  EXPECT_EQ(rows[12], "");
  EXPECT_NE(dump.find("window \"form\" id=0 px=0,0 480x264 cells=0,0 40x11 \"form\" disabled"), std::string::npos)
      << dump;
  EXPECT_NE(dump.find("window \"MsgBox\" id=0 px=360,216 240x144 cells=30,9 20x6 \"Pregunta\" active owner=\"form\""),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("focus: button \"button\" id=3"), std::string::npos) << dump;  // Yes, the first
  EXPECT_TRUE(ws.IsEnabled(top));
}

TEST_F(MsgBoxTest, TheFocusGoesBackToTheControlThatHadIt) {
  d.Run("answer Yes");
  EXPECT_EQ(Ask(5), MsgAnswer::kYes);
  EXPECT_EQ(ws.Focus(), e1);
  EXPECT_EQ(ws.Active(), top);
  EXPECT_EQ(Log(), "e1:KILLFOCUS, e1:SETFOCUS");
  EXPECT_EQ(ws.TopLevels().size(), 1u);
}

TEST_F(MsgBoxTest, TheFocusGoesToTheOwnerWhenThatControlIsGone) {
  WhileOpen([&] { ws.Destroy(e1); });
  d.Run("wait 20ms\nanswer OK");
  EXPECT_EQ(Ask(0), MsgAnswer::kOk);
  EXPECT_EQ(ws.Focus(), top);
  EXPECT_EQ(Log(), "e1:KILLFOCUS, e1:DESTROY, form:SETFOCUS");
}

TEST_F(MsgBoxTest, AnAnswerTheBoxDoesNotOfferStopsTheRun) {
  std::string report;
  ws.SetStallHandler([&](WinSystem&, const std::string& r) { report = r; });
  d.Run("answer Yes");
  EXPECT_EQ(Ask(2), MsgAnswer::kFailed);
  EXPECT_NE(report.find("the script answers Yes, but the box offers OK and Cancel"), std::string::npos) << report;
  EXPECT_NE(report.find("window \"MsgBox\""), std::string::npos);
}

TEST_F(MsgBoxTest, AQuitWhileTheBoxIsOpenEndsTheBoxAndReachesTheOuterLoop) {
  WhileOpen([&] { ws.PostQuit(5); });
  d.Run("wait 20ms");
  EXPECT_EQ(Ask(0), MsgAnswer::kFailed);
  EXPECT_EQ(ws.RunLoop(), 5);
  EXPECT_TRUE(ws.IsEnabled(top));
}

TEST_F(MsgBoxTest, LongTextsAreWrappedAtBlanks) {
  std::string text(30, 'a');
  text += " ";
  text += std::string(60, 'b');
  text += "\r\nfin";
  std::string snap;
  WhileOpen([&] { snap = Compose(ws).Snapshot(); });
  d.Run("wait 20ms\nkey Enter");
  Ask(0, text, "Aviso");
  EXPECT_NE(snap.find("   " + std::string(30, 'a') + "\n"), std::string::npos) << snap;
  EXPECT_NE(snap.find(std::string(60, 'b')), std::string::npos);
  EXPECT_NE(snap.find("  fin\n"), std::string::npos);
}

TEST_F(MsgBoxTest, WithoutAnOwnerTheBoxIsOwnedByTheActiveWindow) {
  d.Run("answer OK");
  MsgBoxRequest r;
  r.text = "x";
  r.style = MsgBoxKindStyle(0);
  EXPECT_EQ(d.msgbox().Show(r), MsgAnswer::kOk);
  EXPECT_EQ(d.msgbox().log().back().owner, 0u);
  EXPECT_EQ(ws.Focus(), e1);
}

}  // namespace
}  // namespace plat::test
