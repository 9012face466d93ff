// The payment-schedule window on the headless window system, over the data
// fixture's movements file (key 1: CODE + N_LINE) as the payments file: the
// questions answered by an INPUT script line, the schedule computed into the
// pad, a line edited there, Ok writing one record per line through the
// file context's write loop, and Esc writing nothing.
#include <string>
#include <vector>

#include "apps/paydates/pay_date_fn.h"
#include "apps/paydates/pay_schedule_win.h"
#include "core/exp_eval.h"
#include "core/field_access.h"
#include "core/fn_builtins.h"
#include "core/hooks.h"
#include "core/scratch_arena.h"
#include "core/script_io.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/selection_set.h"
#include "tests/ui/screen_fixture.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/list_level.h"

namespace eng::test {
namespace {

using paydates::PayScheduleOpen;

// Window line: definition 1 of PAGOS, 5 rows, data file 2 (movs), the key
// expression in item 9.
constexpr const char* kOpenLine = "PAGOS,1,,5,2,,,,'CLI1'";

class PayScheduleWinTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    AcceptInstall();
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    root = WinCreateKind(0, 0, StrOf("Prueba"), 0, 80, 24, {});
    WinShowTop(-1);
    ASSERT_EQ(FnInstallValueBuiltins(), kOk);
    DataInstallFieldAccess();
    const Status open = DataFileOpen(fx::kMovs, 8);
    ASSERT_TRUE(open == kOk || open == 2) << open;
    ASSERT_EQ(paydates::PayDateRegister(), kOk);
    Def("PAGOS.PPN", 1,
        {"WINNAME$:=\"Plazos\"", "EDIT.RD_EXP$:=\"DATE{2},AMT{2}\"", "MOVS.SET$:=\"VNEX=1\"",
         "MOVS.WR_EXP$:=\"N_LINE{2}=VNEX,DATE{2}=_GRID1$(VNEX),AMT{2}=_GRID2$(VNEX),1\"",
         "MOVS.EOT_EXP$:=\"(VNEX=VNEX+1)>VNE\""});
    SysVarSet(kVarPrecis, 2);
    ASSERT_EQ(ExpExecute(StrOf("IMP#=100.01")), kOk);
  }
  void TearDown() override {
    DataFileClose(fx::kMovs);
    FieldAccessInstall(nullptr);
    ScreenTest::TearDown();
  }
  // The questions' answers as the INPUT script.
  void Answers(const std::string& lines) {
    Put("in.txt", lines);
    const uint16_t stream = StrmOpen(StrOf("in.txt"), kStrmNoUpdate | kStrmQuiet);
    ASSERT_LT(stream, kStreams);
    SysVarSet(kVarInHnd, static_cast<int16_t>(stream));
  }
  // Opens the schedule with the pad's key script queued; a far timer ends a
  // loop the script left open.
  Status OpenWith(const std::string& keys) {
    Status s = kOk;
    DriveHeadlessWith(d, stall, root, keys, [&s] { s = PayScheduleOpen(StrOf(kOpenLine)); });
    return s;
  }
  // The stored payments of CLI1: "line date amount" each.
  static std::vector<std::string> Stored() {
    std::vector<std::string> out;
    ScratchScope scope;
    if (SelBuild(fx::kMovs, 1, StrOf("CLI1"), StrOf("CLI1"), 40, 3, StrPair{}) == kOk) {
      for (uint32_t i = 0; i < SelCount(fx::kMovs); ++i) {
        std::string line;
        for (uint16_t f = 2; f <= 4; ++f) {
          std::string t = SelFieldText(fx::kMovs, i, f);
          t.erase(0, t.find_first_not_of(' '));
          t.erase(t.find_last_not_of(' ') + 1);
          line += (f > 2 ? " " : "") + t;
        }
        out.push_back(line);
      }
    }
    SelFree(fx::kMovs);
    return out;
  }

  plat::Hwnd root = plat::kNoWindow;
};

TEST_F(PayScheduleWinTest, OkWritesOnePaymentPerComputedLine) {
  Answers("20240131,4,0,1\r\n");
  EXPECT_EQ(OpenWith("click id=3100\n"), kOk);
  EXPECT_EQ(Stored(), (std::vector<std::string>{"1 20240131 25.00", "2 20240229 25.00", "3 20240331 25.00",
                                                "4 20240430 25.01"}));
  EXPECT_EQ(ListLevelCurrent(), kListNone) << "the pad is closed";
}

TEST_F(PayScheduleWinTest, AnEditedLineIsWrittenAsEdited) {
  Answers("20240131,2,0,1\r\n");
  // The amount of line 1 typed over before Ok.
  EXPECT_EQ(OpenWith("key Tab\ntype \"30\"\nclick id=3100\n"), kOk);
  const std::vector<std::string> stored = Stored();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0], "1 20240131 30.00");
  EXPECT_EQ(stored[1], "2 20240229 50.00");
}

TEST_F(PayScheduleWinTest, MoreThanThirtySixPaymentsAsksAgain) {
  Answers("20240131,37,0,1\r\n20240131,2,0,1\r\n");
  EXPECT_EQ(OpenWith("click id=3100\n"), kOk);
  EXPECT_EQ(Stored(), (std::vector<std::string>{"1 20240131 50.01", "2 20240229 50.00"}));
}

// Cancelling the questions or the pad: 122, no pad left, nothing stored.
TEST_F(PayScheduleWinTest, CancelWritesNothing) {
  struct Case {
    const char* answers;
    const char* keys;
  };
  for (const Case& c : {Case{"20240131,4,0,1\r\n", "key Esc\n"}, Case{"", ""}}) {
    Answers(c.answers);
    EXPECT_EQ(OpenWith(c.keys), 122) << c.keys;
    EXPECT_EQ(ListLevelCurrent(), kListNone) << c.keys;
    EXPECT_TRUE(Stored().empty()) << c.keys;
  }
}

TEST_F(PayScheduleWinTest, AnEmptyKeyOpensNothing) {
  EXPECT_EQ(PayScheduleOpen(StrOf("PAGOS,1,,5,2,,,,''")), kOk);
  EXPECT_EQ(ListLevelCurrent(), kListNone);
  EXPECT_TRUE(Stored().empty());
}

}  // namespace
}  // namespace eng::test
