// The chart of accounts of pelmora kept through its maintenance window in a
// real terminal (a private tmux server): opened from the menu, an account is
// added, found again, changed and deleted, and the record file on disk
// agrees after each step (every command of the window flushes the file).
// Skipped when tmux cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"
#include "tests/apps/pelmora_term_steps.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

constexpr size_t kAccountLength = 8 + 40 + 14 + 14;

// Code and name of every live record of the record file, as stored.
std::vector<std::string> Accounts(const std::filesystem::path& file) {
  std::ifstream f(file, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  const std::string bytes = ss.str();
  std::vector<std::string> out;
  for (size_t at = 0; at + kAccountLength <= bytes.size(); at += kAccountLength) {
    if (bytes[at] == '\x1B') continue;
    std::string r = bytes.substr(at, 48);
    r.erase(r.find_last_not_of(' ') + 1);
    out.push_back(r);
  }
  return out;
}

// Polls the record file until it holds what is wanted (true) or the deadline passes.
bool WaitAccounts(const std::filesystem::path& file, const std::vector<std::string>& want, int ms = 8000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (Accounts(file) == want) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

class MaintTermTest : public TempFolderTest {};

TEST_F(MaintTermTest, ChartOfAccountsAddFindChangeDelete) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);
  const std::filesystem::path file = work / "cuentas.FD";
  TmuxPane pane("maint-term");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    GTEST_SKIP() << "tmux cannot start: " << error;

  // Ficheros, Plan de cuentas: the window opens on an empty file, adding.
  ASSERT_TRUE(plterm::OpenFicheros(pane, "Plan de cuentas", 1, "Nueva alta"));

  pane.Literal("5720001");
  pane.Keys("Tab");
  pane.Literal("Banco Norte");
  pane.Keys("Enter");
  ASSERT_TRUE(WaitAccounts(file, {"5720001 Banco Norte"})) << pane.Pane();

  // Back to the key, find it, change its name.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Busqueda")) << pane.Pane();
  pane.Literal("5720001");
  pane.Keys("Tab");
  ASSERT_TRUE(pane.WaitFor("Banco Norte")) << pane.Pane();
  pane.Literal("Banco Sur");
  pane.Keys("Enter");
  ASSERT_TRUE(WaitAccounts(file, {"5720001 Banco Sur"})) << pane.Pane();

  // Find it again and delete it.
  ASSERT_TRUE(pane.WaitFor("Busqueda")) << pane.Pane();
  pane.Literal("5720001");
  pane.Keys("Tab");
  ASSERT_TRUE(pane.WaitFor("Banco Sur")) << pane.Pane();
  pane.Keys("F8");
  ASSERT_TRUE(pane.WaitFor("Anular Registro")) << pane.Pane();
  pane.Keys("s");
  ASSERT_TRUE(WaitAccounts(file, {})) << pane.Pane();

  // Esc on the key closes the window; Esc again asks to end the program.
  ASSERT_TRUE(pane.WaitFor("Busqueda")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Busqueda")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Recuerde sus Copias de Seguridad")) << pane.Pane();
  pane.Keys("s");
  std::string exit_code = WaitFirstLine(work.parent_path() / "exit.txt");
  EXPECT_EQ(exit_code, "0") << pane.Pane();
  EXPECT_FALSE(std::filesystem::exists(work / "cuentas.lock")) << "the window let the file go";
}

}  // namespace
}  // namespace eng::test
