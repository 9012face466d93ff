// Serial ports on pseudo-terminals: settings, reads, writes, the serial
// device and the polling timer.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "core/err_register.h"
#include "output/com_ports.h"
#include "output/device.h"
#include "output/report_viewer.h"
#include "platform/headless_driver.h"
#include "platform/serial_port.h"
#include "tests/output/output_fixture.h"

namespace eng::test {
namespace {

struct Pty {
  int master = -1;
  std::string slave;
  Pty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) slave = ::ptsname(master);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
  }
  ~Pty() {
    if (master >= 0) ::close(master);
  }
  std::string Drain() {
    std::string out;
    char buf[4096];
    for (int tries = 0; tries < 50; ++tries) {
      ssize_t n = ::read(master, buf, sizeof buf);
      if (n > 0) {
        out.append(buf, static_cast<size_t>(n));
        tries = 0;
      } else {
        ::usleep(1000);
      }
    }
    return out;
  }
};

class ComTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    ASSERT_FALSE(pty.slave.empty());
    Out().config.com_paths[1] = pty.slave;
  }
  Pty pty;
};

TEST_F(ComTest, PortTextsSetTheLine) {
  struct Case {
    const char* text;
    bool opens;
    plat::SerialSettings expect;
  };
  const Case cases[] = {
      {"COM1:9600,8,O,2", true, {9600, 8, 'O', 2}},
      {"COM1:19200,7,e,1", true, {19200, 7, 'E', 1}},
      {"COM1:9600,N,8,1", true, {9600, 8, 'N', 1}},
      {"COM1:", false, {}},
      {"COM1", false, {}},
      {"COM1:9600,8,X,1", false, {}},
      {"COM1:12345,8,N,1", false, {}},
  };
  for (const Case& c : cases) {
    uint16_t slot = ComOpenSpec(c.text, false);
    if (!c.opens) {
      EXPECT_EQ(slot, kStLowFailure) << c.text;
      continue;
    }
    ASSERT_LT(slot, kComSlots) << c.text;
    // A pseudo-terminal keeps the speed and the stop bits of the line.
    plat::SerialSettings got;
    ASSERT_TRUE(plat::SerialReadSettings(Out().com[slot].fd, got));
    EXPECT_EQ(got.speed, c.expect.speed) << c.text;
    EXPECT_EQ(got.stop_bits, c.expect.stop_bits) << c.text;
    ComClose(slot);
  }
  // A port whose device does not exist: 171 naming it.
  Out().config.com_paths[2] = "/dev/no-such-tty";
  EXPECT_EQ(ComOpenSpec("COM2:9600,8,N,1", false), kStDeviceTimeout);
  EXPECT_TRUE(ErrIncidentText().view().ends_with("COM2:"));
}

TEST(SerialSettingsTest, LineRecordsHoldTheSettings) {
  for (char parity : {'E', 'M', 'N', 'O', 'S'})
    for (int bits : {5, 6, 7, 8})
      for (int stop : {1, 2}) {
        termios t{};
        plat::SerialSettings s{4800, bits, parity, stop};
        ASSERT_TRUE(plat::SerialApplySettings(t, s));
        plat::SerialSettings back = plat::SerialSettingsOf(t);
        EXPECT_EQ(back.speed, 4800);
        EXPECT_EQ(back.data_bits, bits);
        EXPECT_EQ(back.parity, parity);
        EXPECT_EQ(back.stop_bits, stop);
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u) << "no hardware flow control";
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u) << "no software flow control";
      }
  termios t{};
  EXPECT_FALSE(plat::SerialApplySettings(t, {9600, 9, 'N', 1}));
  EXPECT_FALSE(plat::SerialApplySettings(t, {9600, 8, 'X', 1}));
  EXPECT_FALSE(plat::SerialApplySettings(t, {9600, 8, 'N', 3}));
  EXPECT_FALSE(plat::SerialApplySettings(t, {12345, 8, 'N', 1}));
}

TEST(ComSpecTest, PortTextsInEitherItemOrder) {
  struct Case {
    const char* text;
    int speed, data;
    uint16_t parity;
    int stop;
  };
  const Case cases[] = {
      {"COM1:9600,8,O,2", 9600, 8, 3, 2},
      {"COM1:9600,8,o,1", 9600, 8, 3, 1},
      {"COM2:4800,N,8,2", 4800, 8, 2, 2},
      {"COM1:9600, 7 , s ,1", 9600, 7, 4, 1},
      {"COM1:9600,8,X,1", 9600, 8, 0xFFFF, 1},
  };
  for (const Case& c : cases) {
    ComSpec s;
    ASSERT_TRUE(ComParseSpec(c.text, s)) << c.text;
    EXPECT_EQ(s.speed, c.speed) << c.text;
    EXPECT_EQ(s.data_bits, c.data) << c.text;
    EXPECT_EQ(s.parity_index, c.parity) << c.text;
    EXPECT_EQ(s.stop_bits, c.stop) << c.text;
  }
  ComSpec s;
  EXPECT_FALSE(ComParseSpec("COM1:", s));
  EXPECT_FALSE(ComParseSpec("COM1", s));
}

TEST_F(ComTest, FourSlotsAtMost) {
  Pty more[4];
  for (int i = 0; i < 4; ++i) Out().config.com_paths[i + 2] = more[i].slave;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ComOpenSpec("COM" + std::to_string(i + 2) + ":9600,8,N,1", false), i);
  EXPECT_EQ(ComOpenSpec("COM1:9600,8,N,1", false), kStLowFailure);
  for (uint16_t i = 0; i < 4; ++i) ComClose(i);
  ComClose(9);  // ignored
}

TEST_F(ComTest, ReadsAndWritesRoundTrip) {
  uint16_t slot = ComOpenSpec("COM1:9600,8,N,1", false);
  ASSERT_LT(slot, kComSlots);
  ASSERT_EQ(ComWrite(slot, "ping\x01\xFF"), kOk);
  EXPECT_EQ(pty.Drain(), "ping\x01\xFF");
  ASSERT_EQ(::write(pty.master, "abc", 3), 3);
  ::usleep(20000);
  std::string got;
  EXPECT_EQ(ComRead(slot, 4, &got), kStLowFailure) << "not exactly 4 bytes";
  ASSERT_EQ(::write(pty.master, "defg", 4), 4);
  ::usleep(20000);
  EXPECT_EQ(ComRead(slot, kComReadWaiting, &got), kOk);
  EXPECT_EQ(got, "defg");
  EXPECT_EQ(ComReadQuiet(slot), "") << "nothing waiting";
  ASSERT_EQ(::write(pty.master, "scan", 4), 4);
  ::usleep(20000);
  EXPECT_EQ(ComReadQuiet(slot), "scan");
  ComClose(slot);
}

TEST_F(ComTest, AStalledWriteEndsWith172) {
  // Nobody reads the master side: the line fills and stops taking bytes.
  uint16_t slot = ComOpenSpec("COM1:9600,8,N,1", false);
  ASSERT_LT(slot, kComSlots);
  Out().config.serial_chunk_ms = 50;
  EXPECT_EQ(ComWrite(slot, std::string(1 << 20, 'x')), kStDeviceIo);
  ComClose(slot);
}

TEST_F(ComTest, TheSerialDeviceWritesLinesToThePort) {
  DeviceRecord d = DeviceOpen("COM1:9600,8,N,1 /WD:10");
  ASSERT_EQ(d.status, kOk);
  EXPECT_EQ(d.kind, 0xC8);
  ASSERT_EQ(DeviceWrite(d, "0123456789AB\r\n"), kOk);
  ASSERT_EQ(DeviceWrite(d, "A\xF1o\r\n"), kOk);
  EXPECT_EQ(DeviceClose(d), kOk);
  EXPECT_EQ(pty.Drain(), "0123456789\r\nAB\r\nA\xA4o\r\n");
  EXPECT_EQ(Out().com[0].fd, -1) << "the slot is free again";
}

TEST_F(ComTest, PollingPostsTheBytesWaiting) {
  plat::HeadlessDriver drv;
  ReportWinSetWindows(&drv.ws(), nullptr);
  drv.ws().SetStallHandler([](plat::WinSystem&, const std::string&) {});
  std::vector<std::pair<uint64_t, int64_t>> posted;
  plat::CreateParams p;
  p.text = "scanner";
  p.proc = [&](plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) -> int64_t {
    if (msg == kComDataMessage) posted.emplace_back(w, l);
    return plat::WinSystem::DefProc(ws, h, msg, w, l);
  };
  plat::Hwnd win = drv.ws().Create(p);
  uint16_t slot = ComOpenSpec("COM1:9600,8,N,1", false);
  ASSERT_LT(slot, kComSlots);
  ASSERT_EQ(ComStartPolling(win, slot), kOk);
  EXPECT_EQ(ComStartPolling(win, 3), kStLowFailure);
  // Nothing waiting: the timer posts nothing.
  ComPollTimer(slot);
  plat::Msg m;
  EXPECT_FALSE(drv.ws().PeekMessage(m));
  ASSERT_EQ(::write(pty.master, "123456789012", 12), 12);
  ::usleep(20000);
  drv.Run(plat::Script().Wait(400));
  while (posted.empty() && drv.ws().GetMessage(m)) drv.ws().DispatchMessage(m);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0], (std::pair<uint64_t, int64_t>{slot, 12}));
  ComClose(slot);
}

}  // namespace
}  // namespace eng::test
