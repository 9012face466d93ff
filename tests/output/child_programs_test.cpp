// Child programs through the shell and viewers started detached.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <thread>

#include "core/err_register.h"
#include "output/child_programs.h"
#include "output/device.h"
#include "output/output_state.h"
#include "platform/child_process.h"
#include "tests/output/output_fixture.h"
#include "tests/output/pdf_check.h"

namespace eng::test {
namespace {

class ChildTest : public OutputTest {
 protected:
  void SetUp() override {
    OutputTest::SetUp();
    Out().config.child_limit_ms = 5000;
  }
  static void ExpectNoZombie() {
    int ws = 0;
    pid_t r = ::waitpid(-1, &ws, WNOHANG);
    EXPECT_TRUE(r == 0 || (r < 0 && errno == ECHILD)) << "a child was left unreaped";
  }
  // Waits (bounded) for a file that a detached program writes.
  std::string AwaitFile(const std::string& name) {
    for (int i = 0; i < 200 && !Has(name + ".done"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return Get(name);
  }
};

TEST_F(ChildTest, OutputArrivesInOrderInBoundedChunks) {
  std::vector<size_t> sizes;
  std::string all;
  Status s = ChildRunPiped("head -c 3000 /dev/zero | tr '\\0' x; echo end", [&](std::string_view c) -> Status {
    sizes.push_back(c.size());
    all.append(c);
    return kOk;
  });
  EXPECT_EQ(s, kOk);
  EXPECT_EQ(all, std::string(3000, 'x') + "end\n");
  for (size_t n : sizes) EXPECT_LE(n, 1024u);
  ExpectNoZombie();
}

TEST_F(ChildTest, ChildrenThatReadHangOrFloodEndWithTheirStatus) {
  std::string out;
  EXPECT_EQ(ChildRunCapture("cat; echo done", out), kOk) << "standard input is empty";
  EXPECT_EQ(out, "done\n");
  // A program left running in the background does not hold the run.
  EXPECT_EQ(ChildRunCapture("sleep 30 & echo hi", out), kOk);
  EXPECT_EQ(out, "hi\n");
  // A child past the time limit is killed: 171 naming the command.
  Out().config.child_limit_ms = 200;
  EXPECT_EQ(ChildRunCapture("sleep 30", out), kStDeviceTimeout);
  EXPECT_TRUE(ErrIncidentText().view().ends_with("sleep 30"));
  // More output than a text holds: the sink's 146 ends the run.
  Out().config.child_limit_ms = 5000;
  EXPECT_EQ(ChildRunCapture("head -c 5000000 /dev/zero", out), kStStringTooLong);
  ExpectNoZombie();
  // A program that cannot start.
  plat::ChildResult r = plat::ChildRunPiped({"/no/such/program"}, nullptr);
  EXPECT_FALSE(r.started);
}

TEST_F(ChildTest, ViewersGetTheFileAsOneArgument) {
  Put("viewer.sh", "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > args.txt\ntouch args.txt.done\n");
  std::filesystem::permissions("viewer.sh", std::filesystem::perms::owner_all);
  Out().config.viewers[3] = (dir_ / "viewer.sh").string();
  for (const char* file : {"my file.pdf", "\"my file.pdf\"", "x.pdf; touch pwned"}) {
    std::filesystem::remove("args.txt.done");
    ASSERT_EQ(ChildViewFile(3, file), kOk) << file;
    std::string expect = std::string(file) == "x.pdf; touch pwned" ? "1|x.pdf; touch pwned|" : "1|my file.pdf|";
    EXPECT_EQ(AwaitFile("args.txt"), expect) << file;
  }
  EXPECT_FALSE(Has("pwned"));
  ExpectNoZombie();
  // No program for the viewer: 0xFFFF and nothing starts.
  Out().config.viewer_default = "no-such-viewer-program";
  EXPECT_EQ(ChildViewerPath(2), "");
  EXPECT_EQ(ChildViewFile(2, "a.pdf"), kStLowFailure);
  EXPECT_EQ(ChildViewFile(9, "a.pdf"), kStLowFailure);
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

// /VW shows a finished output: a text file in viewer 1 once it is flushed,
// a PDF in viewer 3 once it is saved.
TEST_F(ChildTest, ViewOptionShowsTheCompleteOutput) {
  Put("viewer.sh", "#!/bin/sh\ncat \"$1\" > \"$1.seen\"\ntouch \"$1.seen.done\"\n");
  std::filesystem::permissions("viewer.sh", std::filesystem::perms::owner_all);
  Out().config.viewers[1] = Out().config.viewers[3] = (dir_ / "viewer.sh").string();
  DeviceRecord d = DeviceOpen("v.txt /VW:S");
  ASSERT_EQ(d.status, kOk);
  std::string body;
  for (int i = 0; i < 500; ++i) body += "line " + std::to_string(i) + "\r\n";
  ASSERT_EQ(DeviceWrite(d, body), kOk);
  EXPECT_EQ(DeviceEnd(d), kOk);
  EXPECT_EQ(AwaitFile("v.txt.seen"), body) << "the viewer read the whole file";
  EXPECT_EQ(DeviceClose(d), kOk);
  ASSERT_TRUE(WritePng("pdf_header.png", 20, 10));
  d = DeviceOpen("v.pdf /VW:S");
  ASSERT_EQ(d.status, kOk);
  ASSERT_EQ(DeviceWrite(d, "pdf line\r\n"), kOk);
  EXPECT_EQ(DeviceEnd(d), kOk);
  EXPECT_EQ(DeviceClose(d), kOk);
  EXPECT_EQ(AwaitFile("v.pdf.seen"), Get("v.pdf"));
  ExpectNoZombie();
}

}  // namespace
}  // namespace eng::test
