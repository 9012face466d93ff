// Barcode scanners: a serial scanner over a pseudo-terminal, polled while
// its form is open, and the keyboard wedge; codes reach the focused field,
// noise and over-long codes change nothing.
#include "ui/scanner.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "platform/serial_port.h"
#include "platform/win_messages.h"
#include "tests/ui/screen_fixture.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/field_values.h"
#include "ui/screen_actions.h"
#include "ui/screen_open.h"

namespace eng::test {
namespace {

// A scanner on a pseudo-terminal: the test's side writes what the scanner
// sends, the form's side is the port the engine opens. Each poll of the
// port lets the scanner send its next code.
struct FakeScanner {
  int master = -1;
  std::string slave;
  int fd = -1;
  std::deque<std::string> codes;
  std::vector<std::string> opened;
  int closes = 0;
  plat::WinSystem* ws = nullptr;
};
FakeScanner* g_scanner = nullptr;

uint16_t PortOpen(std::string_view spec) {
  g_scanner->opened.emplace_back(spec);
  if (spec.substr(0, 5) != "COM1:") return 171;
  g_scanner->fd = plat::SerialOpen(g_scanner->slave);
  return g_scanner->fd >= 0 ? 0 : 0xFFFF;
}
void PortClose(uint16_t) {
  ++g_scanner->closes;
  plat::SerialClose(g_scanner->fd);
  g_scanner->fd = -1;
}
std::string PortReadQuiet(uint16_t) {
  std::string text;
  char buf[256];
  pollfd p{g_scanner->fd, POLLIN, 0};
  while (::poll(&p, 1, 5) > 0) {
    long n = plat::SerialReadNow(g_scanner->fd, buf, sizeof buf);
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  return text;
}
Status PortPolling(plat::Hwnd window, uint16_t slot) {
  g_scanner->ws->SetTimer(window, slot, 350, [slot](plat::WinSystem& ws, plat::Hwnd h, int) {
    if (g_scanner->fd < 0) return;
    if (!g_scanner->codes.empty()) {
      const std::string c = g_scanner->codes.front();
      g_scanner->codes.pop_front();
      ASSERT_EQ(::write(g_scanner->master, c.data(), c.size()), static_cast<ssize_t>(c.size()));
      pollfd p{g_scanner->fd, POLLIN, 0};
      ::poll(&p, 1, 1000);
    }
    if (plat::SerialWaiting(g_scanner->fd) > 0) ws.Post(h, plat::kMsgSerialData, slot, 0);
  });
  return kOk;
}

std::vector<uint16_t> g_actions;
// A form's handler that takes scans, as maintenance windows do.
Status ScanningHandler(uint16_t code) {
  g_actions.push_back(code);
  Status s = ScanAction(code);
  return s == kStDataError ? AcceptWinAction(code) : s;
}

class ScannerTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    AcceptInstall();
    g_actions.clear();
    scanner.master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(scanner.master, 0);
    ASSERT_EQ(::grantpt(scanner.master), 0);
    ASSERT_EQ(::unlockpt(scanner.master), 0);
    scanner.slave = ::ptsname(scanner.master);
    scanner.ws = &d.ws();
    g_scanner = &scanner;
    ScanSetPortOps({&PortOpen, &PortClose, &PortReadQuiet, &PortPolling});
    ASSERT_EQ(VarAssignInt(StrOf("CHKSCAN"), 1), kOk);
  }
  void TearDown() override {
    ScanPortClose();
    if (scanner.master >= 0) ::close(scanner.master);
    g_scanner = nullptr;
    ScreenTest::TearDown();
  }
  plat::Hwnd Form(const std::string& options) {
    EXPECT_EQ(AcceptWinCreate(StrOf("Scan"), StrOf("'Cod:':'A20','Ref:':'A20','Obs:':'A5' /" + options), kAcceptFit,
                              plat::kNoWindow, &ScanningHandler),
              kOk);
    return WinTop();
  }
  static std::string Scanned() {
    ScratchScope scope;
    return ExpEvalStr(StrOf("_SCAN$")).str();
  }
  std::string Raw(int n) {
    std::string v = ScreenFieldRaw(n).str();
    while (!v.empty() && v.back() == ' ') v.pop_back();
    return v;
  }
  FakeScanner scanner;
};

constexpr const char* kScanOptions =
    "SCANDEF$:=\"COM1:9600,8,N,1\":SCANSET$:=\"_SCAN$,_SCAN$\":SCANWIN$:=\"0,1\"";

TEST_F(ScannerTest, SerialCodesReachTheFocusedFieldAndNoiseIsDropped) {
  const plat::Hwnd form = Form(kScanOptions);
  ASSERT_EQ(ScanPortOpen(), kOk);
  EXPECT_EQ(SysVarGet(kVarSerial), 0x100);
  EXPECT_EQ(scanner.opened, (std::vector<std::string>{"COM1:9600,8,N,1"}));
  scanner.codes = {std::string("\x01\x02" "AB\r"), std::string(21, '7') + "\r", "8412345678901\r"};
  d.Run(
      "expect focus id=2000\n"
      "wait 400ms\n"
      "wait 400ms\n"
      "expect focus id=2000\n"
      "wait 400ms\n"
      "expect focus id=2001\n"
      "close\n");
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  EXPECT_TRUE(scanner.codes.empty());
  EXPECT_EQ(Raw(1), "8412345678901");
  EXPECT_EQ(Scanned(), "8412345678901") << "only the good code was taken";
  EXPECT_TRUE(d.msgbox().log().empty()) << "noise shows no message";
  // The window is gone: so is its scanner port.
  EXPECT_EQ(SysVarGet(kVarSerial), 0);
  EXPECT_EQ(scanner.closes, 1);
  ScreenClose(-1);
}

TEST_F(ScannerTest, PortIsOpenedOnlyWhenAskedAndFailuresAreNamed) {
  ASSERT_EQ(VarAssignInt(StrOf("CHKSCAN"), 0), kOk);
  Form(kScanOptions);
  EXPECT_EQ(ScanPortOpen(), kOk);
  EXPECT_TRUE(scanner.opened.empty());
  EXPECT_EQ(SysVarGet(kVarSerial), 0);
  ScreenClose(-1);
  WinDestroy(WinTop());

  ASSERT_EQ(VarAssignInt(StrOf("CHKSCAN"), 1), kOk);
  Form("SCANDEF$:=\"COM7:9600,8,N,1\"");
  EXPECT_EQ(ScanPortOpen(), 172);
  EXPECT_NE(DynStrGet(sl::kWork, sl::kIncident).str().find("COM7:9600"), std::string::npos);
  EXPECT_EQ(SysVarGet(kVarSerial), 0);
  ScreenClose(-1);
  WinDestroy(WinTop());
}

TEST_F(ScannerTest, WedgeScanOnAWindowFieldGoesToTheHandler) {
  // Field 1 stores its scans; field 2 hands them to the window's handler.
  const plat::Hwnd form = Form(kScanOptions);
  d.Run(
      "type \"\\x1D" "4006381333931\"\n"
      "key Enter\n"
      "expect focus id=2001\n"
      "type \"\\x1D" "ABC123\"\n"
      "key Enter\n"
      "type \"\\x1D" "123456789012345678901\"\n"
      "key Enter\n"
      "close\n");
  WinModalLoop(form);
  EXPECT_EQ(stall, "");
  EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  EXPECT_EQ(Raw(1), "4006381333931");
  EXPECT_EQ(Raw(2), "") << "the handler's field is emptied";
  EXPECT_EQ(Scanned(), "ABC123") << "the 21-character scan was dropped";
  EXPECT_NE(std::find(g_actions.begin(), g_actions.end(), kAcScanReady), g_actions.end());
  EXPECT_EQ(DynStrCount(sl::kReturnBuffer), 0);
  ScreenClose(-1);
}

TEST_F(ScannerTest, FieldWithoutASetItemOnlyNotesTheCode) {
  Form(kScanOptions);
  ScreenWinGet(-1)->current_field = 3;
  {
    ScratchScope scope;
    EXPECT_EQ(ScanDispatch(StrOf("999")), kOk);
  }
  EXPECT_EQ(Scanned(), "999");
  EXPECT_EQ(Raw(3), "");
  EXPECT_EQ(ScreenWinCurrent().current_field, 3);
  // An empty wedge buffer reads nothing.
  EXPECT_EQ(ScanInput(kScanWedge), kOk);
  EXPECT_EQ(Scanned(), "999");
  ScreenClose(-1);
  WinDestroy(WinTop());
}

}  // namespace
}  // namespace eng::test
