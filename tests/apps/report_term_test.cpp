// Pelmora's report from the Informes menu in a real terminal (a private tmux
// server): the limits form, the device form with the viewer ("CON") chosen,
// the report in the viewer, Esc closing the viewer and then the limits form
// that comes back; the same report again with the keyboard alone; and the
// way out; the profit and loss the same way, its dates typed in the form.
// Skipped when tmux cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

class ReportTermTest : public TempFolderTest {};

// Starts pelmora over `work` in the pane (its standard error and exit code
// written beside `work`) and opens the Informes menu; false when tmux cannot
// start, with the reason in `error`.
bool StartAtInformes(TmuxPane& pane, const std::filesystem::path& work, std::string& error) {
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    return false;
  EXPECT_TRUE(pane.WaitFor("Informes  Transacciones")) << pane.Pane();
  pane.Keys("F10");
  pane.Keys("Right");
  pane.Keys("Right");
  return true;
}

TEST_F(ReportTermTest, BalancesFromTheMenuIntoTheViewer) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);
  ASSERT_EQ(RunProgram(PELMORA_EXE, work, {"/RUN:'PrcExec cuentas.prx'"}).exit_code, 0);
  TmuxPane pane("report-term");
  std::string error;
  if (!StartAtInformes(pane, work, error)) GTEST_SKIP() << "tmux cannot start: " << error;

  // Informes, its first item: the limits form; Ok with no limits.
  ASSERT_TRUE(pane.WaitFor("Saldos del plan de cuentas")) << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitFor("Desde la cuenta")) << pane.Pane();
  pane.Click(16, 6);
  // The device form offers the viewer first; Ok takes it.
  ASSERT_TRUE(pane.WaitFor("Selecci\xC3\xB3n de Dispositivo")) << pane.Pane();
  pane.Click(49, 20);
  ASSERT_TRUE(pane.WaitFor("PLAN DE CUENTAS CON SALDOS")) << pane.Pane();
  EXPECT_NE(pane.Pane().find("57200001 Bancos"), std::string::npos) << pane.Pane();

  // Esc closes the viewer; the limits form comes back.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("PLAN DE CUENTAS CON SALDOS")) << pane.Pane();
  ASSERT_TRUE(pane.WaitFor("Desde la cuenta")) << pane.Pane();

  // The same report with the keyboard alone: Enter moves to the second limit
  // and Enter on the last field confirms the form; Enter takes the device.
  pane.Keys("Enter");
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitFor("Selecci\xC3\xB3n de Dispositivo")) << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitFor("PLAN DE CUENTAS CON SALDOS")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("PLAN DE CUENTAS CON SALDOS")) << pane.Pane();

  // The limits form comes back once more and Esc drops it.
  ASSERT_TRUE(pane.WaitFor("Desde la cuenta")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Desde la cuenta")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Recuerde sus Copias de Seguridad")) << pane.Pane();
  pane.Keys("s");
  std::string exit_code = WaitFirstLine(work.parent_path() / "exit.txt");
  EXPECT_EQ(exit_code, "0") << pane.Pane();
  EXPECT_EQ(ReadFile(work.parent_path() / "stderr.txt"), "") << "nothing went to standard error";
}

// The profit and loss from the Informes menu over the demo year: the dates
// typed in the limits form (the second field comes with today's date, which
// is cleared first), the viewer chosen in the device form, the statement in
// the viewer with its result line, and BALANCE.TXT rewritten beside it.
TEST_F(ReportTermTest, ProfitAndLossFromTheMenuIntoTheViewer) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);
  for (const char* prx : {"cuentas.prx", "acumulados.prx"})
    ASSERT_EQ(RunProgram(PELMORA_EXE, work, {std::string("/RUN:'PrcExec ") + prx + "'"}).exit_code, 0) << prx;
  TmuxPane pane("pyg-term");
  std::string error;
  if (!StartAtInformes(pane, work, error)) GTEST_SKIP() << "tmux cannot start: " << error;

  // Informes, its fifth item.
  ASSERT_TRUE(pane.WaitFor("P\xC3\xA9rdidas y ganancias")) << pane.Pane();
  for (int i = 0; i < 4; ++i) pane.Keys("Down");
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitFor("Desde la fecha")) << pane.Pane();
  pane.Literal("01-01-24");
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitFor("20240101")) << pane.Pane();
  for (int i = 0; i < 10; ++i) pane.Keys("BSpace");
  pane.Literal("31-12-24");
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitFor("Selecci\xC3\xB3n de Dispositivo")) << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitFor("PERDIDAS Y GANANCIAS")) << pane.Pane();
  const std::string shown = pane.Pane();
  EXPECT_NE(shown.find("Del 01-01-2024 al 31-12-2024"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Gastos                               -20,00"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Resultado                             87,00"), std::string::npos) << shown;
  EXPECT_NE(ReadFile(work / "BALANCE.TXT").find("Resultado  87\r\n"), std::string::npos);

  // Esc closes the viewer; the limits form comes back and Esc drops it.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("PERDIDAS Y GANANCIAS")) << pane.Pane();
  ASSERT_TRUE(pane.WaitFor("Desde la fecha")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Desde la fecha")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Recuerde sus Copias de Seguridad")) << pane.Pane();
  pane.Keys("s");
  EXPECT_EQ(WaitFirstLine(work.parent_path() / "exit.txt"), "0") << pane.Pane();
  EXPECT_EQ(ReadFile(work.parent_path() / "stderr.txt"), "") << "nothing went to standard error";
}

}  // namespace
}  // namespace eng::test
