// Checks inside scripts: expect steps on a control's text and the focus, and
// snapshot steps on the cell grid.
#include "platform/compositor.h"
#include "tests/platform/win_fixture.h"

namespace plat::test {
namespace {

TEST(ScriptChecks, TheTextFormReadsChecksAndPointerSteps) {
  Script s;
  std::string error;
  ASSERT_TRUE(Script::Parse("expect text id=2001 \"Espa\xC3\xB1" "a\\x09\"\n"
                            "expect focus id=3100\n"
                            "snapshot\n"
                            "| Cliente  x\n"
                            "  |  \xE2\x82\xAC  #\n"
                            "|\n"
                            "end\n"
                            "snapshot row=4\n"
                            "end\n"
                            "press cell=3,10\n"
                            "move px=40,250\n"
                            "release cell=3,14\n"
                            "drag cell=79,3 to=79,12\n",
                            s, error))
      << error;
  ASSERT_EQ(s.steps.size(), 10u);
  EXPECT_EQ(s.steps[0].check, ScriptStep::Check::kText);
  EXPECT_EQ(s.steps[0].id, 2001);
  EXPECT_EQ(s.steps[0].expected, "Espa\xF1" "a\t");
  EXPECT_EQ(s.steps[1].check, ScriptStep::Check::kFocus);
  EXPECT_EQ(s.steps[1].id, 3100);
  EXPECT_EQ(s.steps[1].text, "expect focus id=3100");
  EXPECT_EQ(s.steps[2].check, ScriptStep::Check::kSnapshot);
  EXPECT_EQ(s.steps[2].row, -1);
  EXPECT_EQ(s.steps[2].expected, " Cliente  x\n  \x80  #\n\n");  // after the bar, byte for byte
  EXPECT_EQ(s.steps[3].row, 4);
  EXPECT_EQ(s.steps[3].text, "snapshot row=4");
  EXPECT_EQ(s.steps[4].ev.type, InputEvent::Type::kPress);
  EXPECT_EQ(s.steps[4].ev.point, (Point{42, 252}));
  EXPECT_EQ(s.steps[5].ev.type, InputEvent::Type::kMove);
  EXPECT_EQ(s.steps[5].ev.point, (Point{40, 250}));
  EXPECT_EQ(s.steps[6].ev.type, InputEvent::Type::kRelease);
  EXPECT_EQ(s.steps[7].text, "press cell=79,3");
  EXPECT_EQ(s.steps[8].text, "move cell=79,12");
  EXPECT_EQ(s.steps[9].text, "release cell=79,12");
}

TEST(ScriptChecks, BadChecksNameTheirLine) {
  struct Case { const char* text; const char* error; };
  const Case cases[] = {
      {"expect text id=1 abc", "script line 1: cannot read \"expect text id=1 abc\""},
      {"expect text id=1", "script line 1: cannot read \"expect text id=1\""},
      {"expect focus 3100", "script line 1: cannot read \"expect focus 3100\""},
      {"expect colour id=1", "script line 1: cannot read \"expect colour id=1\""},
      {"snapshot row=x\nend", "script line 1: cannot read \"snapshot row=x\""},
      {"key Tab\nsnapshot\n| a\n", "script line 2: the snapshot has no \"end\""},
      {"snapshot\n| a\nb\nend", "script line 3: cannot read \"b\""},
      {"snapshot\n| \xE4\xB8\xAD\nend", "script line 2: cannot read \"| \xE4\xB8\xAD\""},
      {"press id=3", "script line 1: cannot read \"press id=3\""},
      {"drag cell=1,2", "script line 1: cannot read \"drag cell=1,2\""},
  };
  for (const Case& c : cases) {
    Script s;
    std::string error;
    EXPECT_FALSE(Script::Parse(c.text, s, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

class ScriptCheckRun : public WinTest {
 protected:
  Hwnd top = kNoWindow, name = kNoWindow, ok = kNoWindow;
  std::string report;
  void SetUp() override {
    ws.SetStallHandler([this](WinSystem&, const std::string& r) { report = r; });
    top = Top("form", {0, 0, 240, 96});
    CreateStatic(ws, top, 0, {0, 0, 60, 24}, "Name");
    name = Edit(top, 2001, "name", {72, 0, 96, 24});
    ok = Button(top, 3100, "ok", {72, 24, 48, 24}, "Ok");
    ws.Show(top, ShowCmd::kShow);
    ws.SetFocus(name);
    // The button's command posts a message whose handler fills the field:
    // a check after the click sees what it caused.
    auto prev = std::make_shared<WndProc>();
    *prev = ws.SetProc(top, [this, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
      if (msg == kWmCommand && CommandId(w) == 3100) s.Post(h, kWmUser);
      if (msg == kWmUser) s.SetText(name, "done");
      return (*prev)(s, h, msg, w, l);
    });
  }
};

TEST_F(ScriptCheckRun, PassingChecksLetTheScriptRunOn) {
  d.Run("type \"ACME\"\n"
        "expect text id=2001 \"ACME\"\n"
        "expect focus id=2001\n"
        "snapshot\n"
        "| form              x\n"
        "|Name  ACME\n"
        "|      [Ok]\n"
        "end\n"
        "click id=3100\n"
        "expect focus id=3100\n"
        "expect text id=2001 \"done\"\n"
        "snapshot row=1\n"
        "|Name  done\n"
        "end\n");
  ws.Pump();
  EXPECT_TRUE(d.input().failures().empty()) << report;
  EXPECT_FALSE(ws.stalled());
  EXPECT_EQ(d.input().remaining(), 0u);
  const auto& log = d.input().log();
  EXPECT_EQ(log.back(), "snapshot row=1");
  EXPECT_NE(std::find(log.begin(), log.end(), "expect focus id=3100"), log.end());
}

TEST_F(ScriptCheckRun, AFailedCheckStopsTheRunWithItsReasonAndTheDump) {
  struct Case {
    Script script;
    std::string failure;
  };
  const Case cases[] = {
      {Script().Type("AB").ExpectText(2001, "ABC").Key("Tab"), "expect text id=2001 \"ABC\": the text is \"AB\""},
      {Script().ExpectText(4444, "x").Key("Tab"), "expect text id=4444 \"x\": no window has id 4444"},
      {Script().ExpectFocus(3100).Key("Tab"), "expect focus id=3100: the focus is on id=2001 (edit)"},
      {Script().Type("X").Snapshot("|form\nName  Y\n", 0).Key("Tab"),
       "snapshot row=0: the grid differs:\n"
       "  row 0 expected ||form\n"
       "  row 0 found    | form              x\n"
       "  row 1 expected |Name  Y\n"
       "  row 1 found    |Name  X"},
      // The whole grid: rows below the block must be blank.
      {Script().Snapshot(" form              x\nName\n").Key("Tab"),
       "snapshot: the grid differs:\n"
       "  row 2 expected |\n"
       "  row 2 found    |      [Ok]"},
  };
  for (const Case& c : cases) {
    HeadlessDriver run;
    WinSystem& w = run.ws();
    std::string why;
    w.SetStallHandler([&](WinSystem&, const std::string& r) { why = r; });
    CreateParams p;
    p.text = "form";
    p.style = kWsCaption | kWsSysMenu;
    p.w = 240;
    p.h = 96;
    Hwnd f = w.Create(p);
    CreateStatic(w, f, 0, {0, 0, 60, 24}, "Name");
    Hwnd e = CreateEdit(w, f, 2001, {72, 0, 96, 24});
    CreateButton(w, f, 3100, {72, 24, 48, 24}, "Ok");
    w.Show(f, ShowCmd::kShow);
    w.SetFocus(e);
    run.Run(c.script);
    w.Pump();
    ASSERT_EQ(run.input().failures().size(), 1u) << c.failure;
    EXPECT_EQ(run.input().failures()[0], c.failure);
    EXPECT_TRUE(w.stalled());
    EXPECT_EQ(run.input().remaining(), 1u) << c.failure;  // the Tab was not taken
    EXPECT_NE(why.find("the script's check failed: " + c.failure), std::string::npos) << why;
    EXPECT_NE(why.find("edit \"edit\" id=2001"), std::string::npos) << why;  // the dump follows
  }
}

TEST_F(ScriptCheckRun, ChecksRunInsideABoxOpenedByTheScript) {
  auto prev = std::make_shared<WndProc>();
  MsgAnswer answer = MsgAnswer::kFailed;
  *prev = ws.SetProc(top, [&, prev](WinSystem& s, Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
    if (msg == kWmCommand && CommandId(w) == 3100) {
      MsgBoxRequest r;
      r.caption = "Aviso";
      r.text = "Seguro?";
      r.style = {MsgButtons::kYesNo, MsgIcon::kExclamation};
      r.owner = top;
      answer = d.msgbox().Show(r);
      return int64_t{0};
    }
    return (*prev)(s, h, msg, w, l);
  });
  d.Run("click id=3100\n"
        "expect text id=2001 \"\"\n"
        "answer No\n"
        "expect focus id=3100\n");
  ws.Pump();
  EXPECT_TRUE(d.input().failures().empty()) << report;
  EXPECT_EQ(answer, MsgAnswer::kNo);
  // The box was checked while it was open: its focus is not the form's.
  Script late;
  late.Click(3100).ExpectFocus(3100).Answer(MsgAnswer::kYes);
  d.Run(late);
  ws.Pump();
  ASSERT_EQ(d.input().failures().size(), 1u);
  EXPECT_EQ(d.input().failures()[0].rfind("expect focus id=3100: the focus is on id=", 0), 0u)
      << d.input().failures()[0];
}

TEST(ScriptChecksAlone, AFrontEndWithoutAWindowSystemFailsItsChecks) {
  HeadlessFrontEnd fe;
  fe.Append(Script().ExpectFocus(1).Key("Tab"));
  InputEvent ev;
  EXPECT_FALSE(fe.Poll(ev));
  ASSERT_EQ(fe.failures().size(), 1u);
  EXPECT_EQ(fe.failures()[0], "expect focus id=1: no window system to check");
}

}  // namespace
}  // namespace plat::test
