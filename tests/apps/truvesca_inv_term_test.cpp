// The invoicing run of truvesca in a real terminal (a private tmux server):
// the sample month of delivery notes is loaded, the run's window is opened
// from the menu, filled and confirmed; the invoices, their lines, totals,
// VAT, amounts in words, registry and payment records are on disk, every
// note is marked with its invoice and the note without a pay method stays
// open. Confirming the window again makes no new invoice. Skipped when tmux
// cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/apps/truvesca_sample_records.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;
using trsample::Records;

class TruvescaInvTermTest : public TempFolderTest {};

TEST_F(TruvescaInvTermTest, TheInvoicingRunFromItsMenuInvoicesTheMonth) {
  const fs::path work = CopySample("Truvesca", dir_);
  ASSERT_EQ(RunProgram(TRUVESCA_EXE, work, {"/RUN:'PrcExec mes.prx'"}).exit_code, 0);
  const std::vector<std::string> old_invoices = Records(work / "facturas.FD", trsample::kInvoices);
  ASSERT_EQ(old_invoices.size(), 5u);

  TmuxPane pane("truvesca-inv");
  std::string error;
  if (!pane.Start(work.string(), ShellQuote(TRUVESCA_EXE) + " 2>../stderr.txt; echo $? >../exit.txt", error))
    GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(pane.WaitFor("Procesos  Ficheros  Informes  Transacciones  Ayuda")) << pane.Pane();

  // Procesos, Facturación de albaranes (the fifth item).
  pane.Keys("F10");
  ASSERT_TRUE(pane.WaitFor("Albaranes del mes de muestra")) << pane.Pane();
  pane.Keys("Down Down Down Down Enter");
  ASSERT_TRUE(pane.WaitFor("Primera factura")) << pane.Pane();

  // February's notes, numbers from 1 on (0001-0005 exist), no confirmation.
  pane.Literal("20240201");
  pane.Keys("Tab");
  pane.Literal("20240229");
  pane.Keys("Tab");
  pane.Literal("1");
  pane.Keys("Tab Tab Tab");
  pane.Literal("0");
  pane.Keys("Tab C-End");
  ASSERT_TRUE(pane.WaitFor("Proceso Completado Satisfactoriamente")) << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitGone("Proceso Completado")) << pane.Pane();

  // Customer 21: one invoice for its two notes; customer 22: one per pay
  // method; customer 23 has none and its note stays open.
  const std::vector<std::string> notes = {
      "201|20240205|21|01|25.00|21|F240006", "202|20240212|21|01|37.50|21|F240006",
      "203|20240214|22|02|65.00|21|F240007", "204|20240220|22|03|15.00|21|F240008",
      "205|20240222|23||36.00|4",
  };
  EXPECT_EQ(Records(work / "albara_ventas.FD", trsample::kNotes), notes);
  std::vector<std::string> invoices = old_invoices;
  for (const char* r : {
           "F24|0006|1|21|201|20240205|25.00|5.25|30.25",
           "F24|0006|2|21|202|20240212|37.50|7.88|45.38",
           "F24|0006||21||20240212|62.50|13.13|75.63||setenta y cinco con sesenta y tres",
           "F24|0007|1|22|203|20240214|65.00|13.65|78.65",
           "F24|0007||22||20240214|65.00|13.65|78.65||setenta y ocho con sesenta y cinco",
           "F24|0008|1|22|204|20240220|15.00|3.15|18.15",
           "F24|0008||22||20240220|15.00|3.15|18.15||dieciocho con quince",
       })
    invoices.push_back(r);
  EXPECT_EQ(Records(work / "facturas.FD", trsample::kInvoices), invoices);
  const std::vector<std::string> registry = Records(work / "registro.FD", trsample::kRegistry);
  ASSERT_EQ(registry.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(registry.begin() + 5, registry.end()),
            (std::vector<std::string>{"F24|0006|20240212|21|75.63", "F24|0007|20240214|22|78.65",
                                      "F24|0008|20240220|22|18.15"}));
  const std::vector<std::string> payments = {"F24|0006|1|20240312|75.63", "F24|0007|1|20240314|78.65",
                                             "F24|0008|1|20240320|18.15"};
  EXPECT_EQ(Records(work / "vencimientos.FD", trsample::kPayments), payments);
  // The window shows the last number taken.
  EXPECT_NE(pane.Pane().find("Primera factura         8"), std::string::npos) << pane.Pane();

  // The same run again: every note of the month is invoiced already.
  const std::string before = ReadFile(work / "facturas.FD") + ReadFile(work / "albara_ventas.FD") +
                             ReadFile(work / "registro.FD") + ReadFile(work / "vencimientos.FD");
  pane.Keys("C-End");
  ASSERT_TRUE(pane.WaitFor("Proceso Completado Satisfactoriamente")) << pane.Pane();
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitGone("Proceso Completado")) << pane.Pane();
  EXPECT_EQ(ReadFile(work / "facturas.FD") + ReadFile(work / "albara_ventas.FD") + ReadFile(work / "registro.FD") +
                ReadFile(work / "vencimientos.FD"),
            before);

  // Esc closes the window; Esc again asks to end the program.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Primera factura")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Recuerde sus Copias de Seguridad")) << pane.Pane();
  pane.Keys("s");
  EXPECT_EQ(WaitFirstLine(work.parent_path() / "exit.txt"), "0") << pane.Pane() << ReadFile(work / "../stderr.txt");
}

}  // namespace
}  // namespace eng::test
