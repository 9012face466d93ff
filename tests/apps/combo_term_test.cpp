// A code picked from the list under the code field of pelmora's "Cuentas por
// grupo" screen in a real terminal (a private tmux server): opened from the
// menu, Down moves the list to the next code, which the field shows and the
// new account is written with. Skipped when tmux cannot start; every wait
// has a deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"
#include "tests/apps/pelmora_term_steps.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

constexpr size_t kAccountLength = 8 + 40 + 14 + 14;

// Polls the chart of accounts until its first live record begins with the
// text (true) or the deadline passes.
bool WaitFirstAccount(const std::filesystem::path& file, const std::string& want, int ms = 8000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    std::ifstream f(file, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string bytes = ss.str();
    if (bytes.size() >= kAccountLength && bytes.compare(0, want.size(), want) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Polls the pane until a line holding the label also holds the text.
bool WaitLine(TmuxPane& pane, const std::string& label, const std::string& text, int ms = 8000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    std::istringstream in(pane.Pane());
    std::string line;
    while (std::getline(in, line))
      if (line.find(label) != std::string::npos && line.find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream f(p);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class ComboTermTest : public TempFolderTest {};

TEST_F(ComboTermTest, CodePickedFromTheListReachesTheRecord) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);
  TmuxPane pane("combo-term");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    GTEST_SKIP() << "tmux cannot start: " << error;

  // Ficheros, Cuentas por grupo: the list under the code starts on the first code.
  ASSERT_TRUE(plterm::OpenFicheros(pane, "Cuentas por grupo", 2, "Nueva alta"));
  ASSERT_TRUE(pane.WaitFor("4300001")) << pane.Pane();

  // Down on the code field picks the next code, which the field shows.
  pane.Keys("Down");
  ASSERT_TRUE(WaitLine(pane, "Cuenta", "5700001")) << pane.Pane();
  pane.Keys("Tab");
  pane.Literal("Caja central");
  pane.Keys("Enter");
  EXPECT_TRUE(WaitFirstAccount(work / "cuentas.FD", "5700001 Caja central")) << pane.Pane();

  // After the add the window waits for the next account: Esc goes back to
  // the key, Esc again closes the window, a third asks to end the program.
  ASSERT_TRUE(pane.WaitFor("Nueva alta")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Busqueda")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Busqueda")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Recuerde sus Copias de Seguridad"))
      << pane.Pane() << WaitFirstLine(work.parent_path() / "exit.txt") << ReadAll(work.parent_path() / "stderr.txt");
  pane.Keys("s");
  EXPECT_EQ(WaitFirstLine(work.parent_path() / "exit.txt"), "0") << pane.Pane();
}

}  // namespace
}  // namespace eng::test
