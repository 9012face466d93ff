// Scripted keys in a form on the headless window system: typing, Tab and
// Shift+Tab, Enter, a field check that refuses with one box, check boxes
// toggled by Space and by click, and the wedge scan.
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/ui/screen_fixture.h"
#include "ui/action_codes.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/window_procs.h"

namespace eng::test {
namespace {

int g_exit = 0;

// The handler an accept window installs: the window defaults, then the
// screen defaults; the field moved to is focused.
Status FormHandler(uint16_t code) {
  const int before = ScreenWinCurrent().current_field;
  Status s = ScreenActionWinDefault(code);
  if (s == kStDataError) s = ScreenActionDefault(code);
  const int current = ScreenWinCurrent().current_field;
  if (current && current != before) ScreenFieldFocus(current);
  return s;
}

class FormKeysTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    g_exit = 0;
    Ui().accept_exit = [this](uint16_t code) {
      g_exit = code;
      d.ws().Destroy(WinTop());
      return kOk;
    };
    Def("F.PAN", 1, {LabelLine(2, 2, "Codigo"), FieldLine(2, 12, 0, 0, 6, 'A'), LabelLine(3, 2, "Nombre"),
                     FieldLine(3, 12, 0, 0, 20, 'A'), LabelLine(4, 2, "Activo"), FieldLine(4, 12, 0, 0, 1, 'L'),
                     LabelLine(5, 2, "Importe"), FieldLine(5, 12, 0, 0, 8, 'N')});
    Def("F.PPN", 1, {"FD$:=\"CODIGO,NOMBRE,ACTIVO,IMPORTE\"", "ALARM$:=\",'Falta el nombre';OK>0\""});
    ASSERT_EQ(VarAssignInt(StrOf("OK"), 0), kOk);
    SysVarSet(kVarAuxStat, kAuxStatCheckBoxes);
    WinDefRecord r = WinDefParse(StrOf("F,1,40,8"));
    form = WinCreateKind(5, 0, StrOf(""), 0, r.columns, r.rows, &ScreenDialogProc);
    ASSERT_EQ(ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, 0, StrOf("")), kOk);
    ScreenActionSet(&FormHandler, nullptr, nullptr);
    ASSERT_EQ(ScreenSetWin(0), kOk);
  }
  int Boxes() { return static_cast<int>(d.msgbox().log().size()); }
  plat::Hwnd form = plat::kNoWindow;
};

TEST_F(FormKeysTest, TypingMovingAndARefusedCheck) {
  d.Run(
      "expect focus id=2000\n"
      "type \"A1\"\n"
      "key Tab\n"
      "expect focus id=2001\n"
      "type \"Pe\\xF1" "a\"\n"
      "key Shift+Tab\n"
      "expect focus id=2000\n"
      "key Ctrl+Shift+Tab\n"
      "expect focus id=2001\n"
      "key Enter\n"
      "answer OK\n"
      "expect focus id=2001\n"
      "close\n");
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  ASSERT_EQ(Boxes(), 1) << "the refused check shows one box";
  EXPECT_NE(d.msgbox().log()[0].text.find("Falta el nombre"), std::string::npos) << d.msgbox().log()[0].text;
  EXPECT_EQ(g_exit, ActionWord(kAcCloseRequest, 0));
}

TEST_F(FormKeysTest, EnterThroughTheFormEndsItWithOk) {
  ASSERT_EQ(VarAssignInt(StrOf("OK"), 1), kOk);
  d.Run(
      "type \"A1\"\n"
      "key Enter\n"
      "type \"ACME\"\n"
      "key Enter\n"
      "expect focus id=2002\n"
      "key Space\n"
      "key Tab\n"
      "expect focus id=2003\n"
      "type \"12\"\n"
      "key Enter\n");
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  EXPECT_EQ(Boxes(), 0);
  EXPECT_EQ(g_exit, kActionOk) << "past the last field with its check true";
  EXPECT_EQ(ScreenFieldRaw(1).str(), "A1    ");
  EXPECT_EQ(ScreenFieldRaw(2).str().substr(0, 4), "ACME");
  EXPECT_EQ(ScreenFieldRaw(4).str(), "      12");
}

TEST_F(FormKeysTest, ACharacterOutsideTheCodePageIsRefusedWithOneBox) {
  d.Run(
      "type \"A1\"\n"
      "key Unmapped\n"
      "answer OK\n"
      "expect text id=2000 \"A1\"\n"
      "expect focus id=2000\n"
      "key Tab\n"
      "close\n");
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  ASSERT_EQ(Boxes(), 1);
  EXPECT_NE(d.msgbox().log()[0].text.find("Car\xE1" "cter no admitido"), std::string::npos) << d.msgbox().log()[0].text;
  EXPECT_EQ(ScreenFieldRaw(1).str(), "A1    ") << "the field kept what was typed before";
}

TEST_F(FormKeysTest, CheckBoxesToggleBySpaceAndClick) {
  d.Run(
      "click id=2002\n"
      "expect focus id=2002\n"
      "close\n"
      "key Space\n"
      "close\n"
      "key Space\n"
      "close\n");
  // Each close request reports the box's state; the last one ends the form.
  std::vector<std::string> states;
  Ui().accept_exit = [&](uint16_t) {
    plat::Hwnd box = d.ws().FindChild(form, 2002);
    states.push_back(std::to_string(d.ws().Send(box, plat::kBmGetCheck)) + ":" + d.ws().GetText(box));
    if (states.size() == 3) d.ws().Destroy(form);
    return kOk;
  };
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  ASSERT_EQ(states.size(), 3u) << ::testing::PrintToString(states);
  SCOPED_TRACE(::testing::PrintToString(states) + ::testing::PrintToString(d.input().log()));
  EXPECT_EQ(states[0].substr(0, 2), "1:") << "the click checks it";
  EXPECT_NE(states[0], "1:") << "and shows the yes word";
  EXPECT_EQ(states[1], "0:") << "Space clears it";
  EXPECT_EQ(states[2], states[0]);
}

TEST_F(FormKeysTest, WedgeScanGoesToTheInputBuffer) {
  d.Run(
      "type \"\\x1D8412345678901\"\n"
      "key Enter\n"
      "type \"\\x1D1234567890123456789012345\"\n"
      "key Enter\n"
      "close\n");
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  ASSERT_EQ(DynStrCount(sl::kReturnBuffer), 1) << "the 25-character scan is dropped";
  EXPECT_EQ(DynStrGet(sl::kReturnBuffer, 0).str(), "8412345678901");
}

std::vector<uint16_t> g_codes;
std::string g_raw_at_find;
Status RecordingHandler(uint16_t code) {
  g_codes.push_back(code);
  if (code == 0x0719) g_raw_at_find = ScreenFieldRaw(1).str();
  return FormHandler(code);
}

TEST_F(FormKeysTest, FunctionKeysDispatchTheirCommands) {
  g_codes.clear();
  ScreenActionSet(&RecordingHandler, nullptr, nullptr);
  d.Run(
      "type \"A1\"\n"
      "key F6\n"
      "key F9\n"
      "key Esc\n");
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  const std::vector<uint16_t> want = {kAcFirstFocus, kAcEntered, 0x0719, 0x0919, kAcCancel};
  std::vector<uint16_t> got;
  for (uint16_t c : g_codes)
    if (c != kAcEntered || got.empty() || got.back() != kAcEntered) got.push_back(c);
  EXPECT_EQ(got, want) << ::testing::PrintToString(g_codes);
  EXPECT_EQ(g_exit, kAcCancel);
  EXPECT_EQ(SysVarGet(kVarLastKey), kKeyEsc);
  EXPECT_EQ(g_raw_at_find, "      ") << "F6 is no navigation key: FND runs on the uncommitted text";
  EXPECT_EQ(ScreenFieldRaw(1).str(), "A1    ") << "F9 (a navigation key) committed the text before INS";
}

}  // namespace
}  // namespace eng::test
