// Both programs on their samples in a real terminal (a private tmux server):
// the main window with its menu bar, a menu opened with the keyboard and one
// with the mouse, sample procedures run from the menu with their result on
// the screen, and the way out through the close check. Skipped when tmux
// cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

struct ProgramCase {
  const char* title;
  const char* exe;
  const char* bar;
  const char* first_item;   // the first item of the first pop-up: the demo procedure
  int summary_row;          // the pop-up line of the summary procedure
  const char* summary;      // what the summary shows after the demo
};

class TermTest : public TempFolderTest {
 protected:
  // Waits for a file to hold a line; its text, or empty after the deadline.
  static std::string WaitFile(const std::filesystem::path& path, int ms = 8000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      std::ifstream f(path);
      std::stringstream ss;
      ss << f.rdbuf();
      if (ss.str().find('\n') != std::string::npos) return ss.str();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
  }
};

class TermRunTest : public TermTest, public ::testing::WithParamInterface<ProgramCase> {};

TEST_P(TermRunTest, MenuByKeyboardAndMouseThenQuitThroughTheCloseCheck) {
  const ProgramCase& c = GetParam();
  const std::filesystem::path work = CopySample(c.title, dir_);
  TmuxPane pane("term-run");
  std::string error;
  if (!pane.StartLogged(work, c.exe, error))
    GTEST_SKIP() << "tmux cannot start: " << error;

  // The main window: the menu bar and the logo.
  ASSERT_TRUE(pane.WaitFor(c.bar)) << pane.Pane();
  ASSERT_TRUE(pane.WaitFor(std::string("  ") + c.title)) << "the logo\n" << pane.Pane();

  // The keyboard: F10 opens the first pop-up, Enter runs its first item.
  pane.Keys("F10");
  ASSERT_TRUE(pane.WaitFor(c.first_item)) << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitGone(c.first_item)) << pane.Pane();
  EXPECT_FALSE(WaitFile(work / "DEMO.TXT").empty()) << "the demo procedure ran";

  // The mouse: a click on the bar's first entry, then on the summary's line.
  pane.Click(2, 0);
  ASSERT_TRUE(pane.WaitFor(c.first_item)) << pane.Pane();
  pane.Click(3, c.summary_row);
  ASSERT_TRUE(pane.WaitFor(c.summary)) << "the summary's box\n" << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitGone(c.summary)) << pane.Pane();

  // Esc asks to close; the reminder is answered Yes and the program ends.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Recuerde sus Copias de Seguridad")) << pane.Pane();
  pane.Keys("s");
  EXPECT_EQ(WaitFile(work.parent_path() / "exit.txt"), "0\n") << pane.Pane();
  std::ifstream err(work.parent_path() / "stderr.txt");
  std::stringstream ss;
  ss << err.rdbuf();
  EXPECT_EQ(ss.str(), "") << "nothing went to standard error";
}

// Typing into a sample screen's field through the terminal: "Peña" arrives
// as code page 1252 and is shown as typed; a character the code page lacks is
// refused with one error box and the field keeps its text.
TEST_F(TermTest, TypingIntoASampleScreenField) {
  const std::filesystem::path work = CopySample("Truvesca", dir_);
  const std::filesystem::path out = work.parent_path() / "out.txt";
  TmuxPane pane("term-screen");
  std::string error;
  if (!pane.Start(work.string(), ShellQuote(SCREEN_TERM_DEMO) + " . " + ShellQuote(out.string()), error))
    GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(pane.WaitFor("Nombre")) << pane.Pane();
  pane.Literal("7");
  pane.Keys("Tab");
  pane.Literal("Pe\xC3\xB1" "a");
  ASSERT_TRUE(pane.WaitFor("Pe\xC3\xB1" "a")) << pane.Pane();
  // A letter outside the code page: one box, and nothing typed.
  pane.Literal("\xC5\x82");
  ASSERT_TRUE(pane.WaitFor("Car\xC3\xA1" "cter no admitido")) << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitGone("Car\xC3\xA1" "cter no admitido")) << pane.Pane();
  EXPECT_NE(pane.Pane().find("Nombre   Pe\xC3\xB1" "a\n"), std::string::npos) << "nothing typed\n" << pane.Pane();
  // Tab stores the field; Esc closes the window and the program ends.
  pane.Keys("Tab");
  pane.Keys("Escape");
  EXPECT_EQ(WaitFile(out), "nombre=50 65 F1 61 cajas=1\n") << pane.Pane();
}

// A session that ended without shut-down: in a terminal the recovery question
// is asked of the user (never answered for them); No ends the start with 122,
// which is shown before the program ends.
TEST_F(TermTest, TheRecoveryQuestionIsAskedOnTheScreen) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);
  std::ofstream(work / "PLFSTAT.DAT") << "1";
  TmuxPane pane("term-recover");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(pane.WaitFor("Ultima sesion interrumpida")) << pane.Pane();
  pane.Keys("n");
  ASSERT_TRUE(pane.WaitFor("Cancelado por el usuario")) << pane.Pane();
  pane.Keys("Enter");
  EXPECT_EQ(WaitFile(work.parent_path() / "exit.txt"), "122\n") << pane.Pane();
}

INSTANTIATE_TEST_SUITE_P(
    Programs, TermRunTest,
    ::testing::Values(ProgramCase{"Pelmora", PELMORA_EXE, "Procesos  Ficheros  Informes  Transacciones  Ayuda",
                                  "Cuadro de amortizaci\xC3\xB3n y plan de cuentas", 3, "Cuentas en el plan: 6"},
                      ProgramCase{"Truvesca", TRUVESCA_EXE, "Procesos  Ficheros  Informes  Transacciones  Ayuda",
                                  "Factura y albaranes de muestra", 2, "Clientes: 2"}),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.title); });

}  // namespace
}  // namespace eng::test
