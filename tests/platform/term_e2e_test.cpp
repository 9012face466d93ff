// The terminal front end end to end: the demo program runs inside a private
// tmux server; keys go in with send-keys and the captured pane is checked.
// The test is skipped only when tmux cannot start. Every wait has a deadline.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/tmux_pane.h"

namespace plat {
namespace {

class TermEndToEnd : public ::testing::Test {
 protected:
  eng::test::TmuxPane pane_{"term-e2e"};
  std::string dir_;

  std::string Tmux(const std::string& args) { return pane_.Tmux(args); }
  std::string Pane() { return pane_.Pane(); }
  bool WaitFor(const std::string& text, int ms = 5000) { return pane_.WaitFor(text, ms); }
  void Keys(const std::string& keys) { pane_.Keys(keys); }

  void SetUp() override {
    char tmpl[] = "/tmp/term-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::string error;
    if (!pane_.Start(dir_, eng::test::ShellQuote(TERM_DEMO_PATH) + " --out " + eng::test::ShellQuote(dir_ + "/out.txt"),
                     error))
      GTEST_SKIP() << "tmux cannot start: " << error;
  }

  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string OutFile() {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
      std::ifstream f(dir_ + "/out.txt");
      std::stringstream ss;
      ss << f.rdbuf();
      if (ss.str().find('\n') != std::string::npos) return ss.str();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
  }
};

TEST_F(TermEndToEnd, FormTypingFocusListAndMessageBox) {
  // The form is drawn, the name field has the focus.
  ASSERT_TRUE(WaitFor("Demostraci\xC3\xB3n de controles")) << Pane();
  ASSERT_TRUE(WaitFor("foco=2000")) << Pane();
  EXPECT_NE(Pane().find("[ Aviso  ]"), std::string::npos);

  // Typing, with a letter outside ASCII: it arrives as byte F1 and shows as typed.
  pane_.Literal("Pe\xC3\xB1" "a");
  ASSERT_TRUE(WaitFor("nombre=50 65 F1 61")) << Pane();
  EXPECT_NE(Pane().find("Nombre:    Pe\xC3\xB1" "a"), std::string::npos) << Pane();

  // Tab moves the focus: amount, check box, list.
  Keys("Tab");
  ASSERT_TRUE(WaitFor("foco=2001")) << Pane();
  Keys("Tab Tab");
  ASSERT_TRUE(WaitFor("foco=3350")) << Pane();
  // Shift+Tab goes back and Tab forth again.
  Keys("BTab");
  ASSERT_TRUE(WaitFor("foco=2002")) << Pane();
  Keys("Tab");
  ASSERT_TRUE(WaitFor("foco=3350")) << Pane();

  // A list choice: Down twice from no selection is the second row.
  Keys("Down Down Enter");
  ASSERT_TRUE(WaitFor("lista=Dos")) << Pane();

  // On through the combo box and the list view to "Aviso".
  Keys("Tab");
  ASSERT_TRUE(WaitFor("foco=3500")) << Pane();
  Keys("Tab");
  ASSERT_TRUE(WaitFor("foco=3200")) << Pane();
  // The message box: "Aviso" asks, the answer No (Right moves to it) is reported.
  Keys("Tab Enter");
  ASSERT_TRUE(WaitFor("Todo en orden?")) << Pane();
  Keys("Right Enter");
  ASSERT_TRUE(WaitFor("respuesta=No")) << Pane();
  EXPECT_EQ(Pane().find("Todo en orden?"), std::string::npos) << Pane();

  // Esc asks whether to leave; the letter S answers Yes and the program ends.
  Keys("Escape");
  ASSERT_TRUE(WaitFor("Salir de la demostraci\xC3\xB3n?")) << Pane();
  Keys("s");
  EXPECT_EQ(OutFile(), "foco=3101 nombre=50 65 F1 61 lista=Dos respuesta=Si\n");
}

TEST_F(TermEndToEnd, MouseClickChoosesAndCaptionIsTheTitle) {
  ASSERT_TRUE(WaitFor("foco=2000")) << Pane();
  // The pane title is the main window's caption.
  EXPECT_EQ(Tmux("display-message -p -t run '#{pane_title}'"), "Demostraci\xC3\xB3n de controles\n");
  // A double click on the list's third row (column 12, row 8 of the pane)
  // focuses the list and takes the row. tmux sends the SGR mouse report.
  Keys("-l " + eng::test::ShellQuote("\x1b[<0;13;9M\x1b[<0;13;9m\x1b[<0;13;9M\x1b[<0;13;9m"));
  ASSERT_TRUE(WaitFor("lista=Tres")) << Pane();
  EXPECT_NE(Pane().find("foco=3350"), std::string::npos);
}

TEST_F(TermEndToEnd, ListAndBannerColoursReachTheTerminal) {
  ASSERT_TRUE(WaitFor("foco=2000")) << Pane();
  // The pane with its colours as SGR sequences; the line holding a text.
  const std::string pane = Tmux("capture-pane -e -p -t run");
  auto line_of = [&](const std::string& text) {
    size_t at = pane.find(text);
    if (at == std::string::npos) return std::string();
    size_t begin = pane.rfind('\n', at);
    begin = begin == std::string::npos ? 0 : begin + 1;
    return pane.substr(begin, pane.find('\n', at) - begin);
  };
  // The list view's rows: black on bright white (colours 0 and 15); the
  // banner: bright white on dark grey (15 on 8).
  const std::string row = line_of("4300");
  ASSERT_FALSE(row.empty()) << pane;
  EXPECT_NE(row.find("30m"), std::string::npos) << row;
  EXPECT_NE(row.find("107m"), std::string::npos) << row;
  const std::string banner = line_of("Aviso fijo");
  ASSERT_FALSE(banner.empty()) << pane;
  EXPECT_NE(banner.find("97m"), std::string::npos) << banner;
  EXPECT_NE(banner.find("100m"), std::string::npos) << banner;
}

}  // namespace
}  // namespace plat
