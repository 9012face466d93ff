// A maintenance window whose screen names a scanner: opening the window
// opens the port and starts its polling; a code the port delivers goes into
// the key field and finds the record, as typing it would; closing the window
// closes the port.
#include <deque>
#include <string>
#include <vector>

#include "core/exp_eval.h"
#include "core/var_store.h"
#include "platform/win_messages.h"
#include "tests/ui/maint_win_fixture.h"
#include "ui/scanner.h"

namespace eng::test {
namespace {

struct FakePort {
  std::vector<std::string> opened;
  std::deque<std::string> reads;
  std::vector<plat::Hwnd> polled;
  int closes = 0;
};
FakePort* g_port = nullptr;

uint16_t PortOpen(std::string_view spec) {
  g_port->opened.emplace_back(spec);
  return 0;
}
void PortClose(uint16_t) { ++g_port->closes; }
std::string PortRead(uint16_t) {
  if (g_port->reads.empty()) return "";
  std::string r = g_port->reads.front();
  g_port->reads.pop_front();
  return r;
}
Status PortPolling(plat::Hwnd window, uint16_t) {
  g_port->polled.push_back(window);
  return kOk;
}

class MaintScanTest : public MaintWinTest {
 protected:
  void SetUp() override {
    MaintWinTest::SetUp();
    g_port = &port;
    ScanSetPortOps({&PortOpen, &PortClose, &PortRead, &PortPolling});
    ASSERT_EQ(VarAssignInt(StrOf("CHKSCAN"), 1), kOk);
    // Definition 7: the customer screen with a scanner whose codes go into
    // the key field.
    ScreenTest::Def("CLI.PPN", 7,
                    {"FD$:=\"CODE,NAME,CITY,BAL\"", "FILEDEF$:=\"CODE{1},NAME{1},CITY{1},BAL{1}\"",
                     "SCANDEF$:=\"COM1:9600,8,N,1\"", "SCANSET$:=\"_SCAN$\"", "SCANWIN$:=\"0\""});
    ScreenTest::Def("CLI.PAN", 7,
                    {FieldLine(2, 12, 1, 1, 6, 'A'), FieldLine(3, 12, 1, 2, 30, 'A'), FieldLine(4, 12, 1, 3, 20, 'A'),
                     FieldLine(5, 12, 1, 4, 10, 'N')});
  }
  void TearDown() override {
    ScanPortClose();
    ScanSetPortOps({});
    g_port = nullptr;
    MaintWinTest::TearDown();
  }
  FakePort port;
};

TEST_F(MaintScanTest, AScannedKeyFindsTheRecord) {
  Seed({kC001, kC002});
  ASSERT_EQ(Open("CLI,7,60,12,1"), kOk);
  EXPECT_EQ(port.opened, (std::vector<std::string>{"COM1:9600,8,N,1"}));
  EXPECT_EQ(port.polled, (std::vector<plat::Hwnd>{mant}));
  EXPECT_EQ(SysVarGet(kVarSerial), 0x100);
  EXPECT_EQ(State(), kMantSearch);

  port.reads = {"C002\r"};
  d.ws().Post(mant, plat::kMsgSerialData, 0, 0);
  Drive("expect text id=2001 \"BETA\"\n");
  EXPECT_EQ(State(), kMantEdit);
  EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());

  Drive("close\n");
  EXPECT_FALSE(WindowOpen());
  EXPECT_EQ(port.closes, 1) << "the window's port closed with it";
  EXPECT_EQ(SysVarGet(kVarSerial), 0);
}

}  // namespace
}  // namespace eng::test
