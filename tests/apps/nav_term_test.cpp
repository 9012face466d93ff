// pelmora's chart of accounts line by line, in a real terminal (a private
// tmux server): the navigation window opened from the menu, the group typed,
// its accounts shown one a line; a name changed and the line left, which
// writes the account at once, while the window is still open. Skipped when
// tmux cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"
#include "tests/apps/pelmora_term_steps.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

constexpr size_t kAccountLength = 8 + 40 + 14 + 14;

// The code and name of the live account with the code, as stored; empty
// when there is none.
std::string AccountOnDisk(const std::filesystem::path& file, const std::string& code) {
  std::ifstream f(file, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  const std::string bytes = ss.str();
  for (size_t at = 0; at + kAccountLength <= bytes.size(); at += kAccountLength) {
    if (bytes.compare(at, code.size(), code) != 0) continue;
    std::string r = bytes.substr(at, 48);
    r.erase(r.find_last_not_of(' ') + 1);
    return r;
  }
  return {};
}

bool WaitAccount(const std::filesystem::path& file, const std::string& code, const std::string& want, int ms = 8000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (AccountOnDisk(file, code) == want) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

class NavTermTest : public TempFolderTest {};

TEST_F(NavTermTest, ALineEditedAndLeftIsWrittenAtOnce) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);
  const std::filesystem::path file = work / "cuentas.FD";
  // The chart of accounts of the sample procedure.
  ASSERT_EQ(RunProgram(PELMORA_EXE, work, {"/RUN:'PrcExec cuentas.prx'"}).exit_code, 0);
  ASSERT_EQ(AccountOnDisk(file, "57200001"), "57200001Bancos");

  TmuxPane pane("nav-term");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    GTEST_SKIP() << "tmux cannot start: " << error;

  // Ficheros, the fourth item: the window opens on the group, maintenance mode.
  ASSERT_TRUE(plterm::OpenFicheros(pane, "Plan de cuentas", 4, "Modo Mantenimiento"));

  // The group's accounts fill the grid; the cursor stands on the first line.
  pane.Literal("57");
  pane.Keys("Tab");
  ASSERT_TRUE(pane.WaitFor("Edicion de lineas")) << pane.Pane();
  ASSERT_TRUE(pane.WaitFor("Bancos")) << pane.Pane();

  // The name changed; Down leaves the line, which is confirmed and written.
  pane.Keys("Tab");
  pane.Literal("Banco Norte");
  pane.Keys("Down");
  ASSERT_TRUE(pane.WaitFor("Datos Cambiados. Confirmar")) << pane.Pane();
  pane.Keys("s");
  EXPECT_TRUE(WaitAccount(file, "57200001", "57200001Banco Norte")) << pane.Pane();
  EXPECT_EQ(AccountOnDisk(file, "43000001"), "43000001Clientes nacionales") << "no other account touched";

  // Esc drops the empty new line below (asked) and goes back to the group;
  // Esc again closes the window, a third asks to end the program.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Posible perdida de datos")) << pane.Pane();
  pane.Keys("s");
  ASSERT_TRUE(pane.WaitFor("Busqueda")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Busqueda")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Recuerde sus Copias de Seguridad")) << pane.Pane();
  pane.Keys("s");
  EXPECT_EQ(WaitFirstLine(work.parent_path() / "exit.txt"), "0") << pane.Pane();
  EXPECT_FALSE(std::filesystem::exists(work / "cuentas.lock")) << "the window let the file go";
  EXPECT_EQ(AccountOnDisk(file, "57200001"), "57200001Banco Norte");
}

}  // namespace
}  // namespace eng::test
