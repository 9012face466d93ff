// Field windows on the customer screen: Enter on NAME runs its WINDOWS$
// entry when the entry's condition holds (a lookup window whose entry text
// comes back into NAME, once per visit), and empties the field with "Datos
// incorrectos" when it does not; the scanner's action 18 takes the same way.
#include <string>
#include <vector>

#include "core/exp_eval.h"
#include "tests/ui/maint_win_fixture.h"
#include "platform/win_messages.h"
#include "ui/action_codes.h"
#include "ui/field_win.h"
#include "ui/screen_dispatch.h"
#include "ui/ui_install.h"

namespace eng::test {
namespace {

class FieldWinTest : public MaintWinTest {
 protected:
  void SetUp() override {
    MaintWinTest::SetUp();
    UiInstallServices(&d.ws());
    // Definition 15: NAME opens a lookup on the customers whose entry text
    // (item 8 of its line) is _USER03; the condition is _USER01.
    ScreenTest::Def("CLI.PPN", 15,
                    {"FD$:=\"CODE,NAME,CITY,BAL\"", "FILEDEF$:=\"CODE{1},NAME{1},CITY{1},BAL{1}\"",
                     "WINDOWS$:=\",'MantMain CLI,1,60,12,1,,,_USER03';_USER01\""});
    ScreenTest::Def("CLI.PAN", 15, {FieldLine(2, 12, 1, 1, 6, 'A'), FieldLine(3, 12, 1, 2, 30, 'A'),
                                    FieldLine(4, 12, 1, 3, 20, 'A'), FieldLine(5, 12, 1, 4, 10, 'N')});
    Seed({kC001, kC002});
    SysVarSet(kVarUser03, 77);
  }
  void Condition(bool open) { SysVarSet(kVarUser01, open ? 1 : 0); }
};

TEST_F(FieldWinTest, EnterOpensTheWindowWhoseEntryComesBackOnce) {
  Condition(true);
  ASSERT_EQ(Open("CLI,15,60,12,1"), kOk);
  const plat::Hwnd first = mant;
  // The lookup opens over the window: close it, NAME takes the entry text.
  Drive("type \"C001\"\nkey Tab\nexpect focus id=2001\nkey Enter\nclose\nexpect text id=2001 \"77\"\n");
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
  EXPECT_TRUE(d.ws().IsWindow(first));
  // Enter again on the same field moves on: the window ran for this visit.
  Drive("key Enter\nexpect focus id=2002\n");
  EXPECT_EQ(WinTop(), first);
}

TEST_F(FieldWinTest, FalseConditionEmptiesTheFieldAndAsksAgain) {
  Condition(false);
  ASSERT_EQ(Open("CLI,15,60,12,1"), kOk);
  Drive("type \"C001\"\nkey Tab\nkey Enter\nanswer OK\nexpect text id=2001 \"\"\nexpect focus id=2001\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Datos incorrectos"}));
  EXPECT_EQ(WinTop(), mant) << "no window opened";
  // The corrected text is checked again on the next Enter.
  Drive("type \"OTRO\"\nkey Enter\nanswer OK\nexpect text id=2001 \"\"\n");
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(FieldWinTest, ScannerActionRunsTheFieldWindow) {
  Condition(false);
  ASSERT_EQ(Open("CLI,15,60,12,1"), kOk);
  Drive("type \"C001\"\nkey Tab\nexpect focus id=2001\n");
  // The scanner found its condition true: the field's control gets action 18.
  d.ws().Post(d.ws().FindChild(mant, kIdName), plat::kMsgScanReady);
  Drive("answer OK\nexpect text id=2001 \"\"\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Datos incorrectos"}));
  Condition(true);
  ASSERT_EQ(ScreenFieldStore(118, 2, StrOf("ACME")), kOk);
  const plat::Hwnd first = mant;
  EXPECT_EQ(MantFieldWindowRun(-1), kFieldWindowRan);
  EXPECT_NE(WinTop(), first) << "the lookup window is open";
  EXPECT_EQ(MantFieldWindowRun(7), kStScreenStruct) << "no such window record";
}

}  // namespace
}  // namespace eng::test
