// An invoice printed from truvesca's invoice document window in a real
// terminal (a private tmux server): the sample month is invoiced from the
// menu, the invoice F24 0007 is opened in its document window, the print
// mark is set (F5) and the invoice saved; FACTURA.PDF is written and its text
// (pdftotext, when installed) holds the invoice number, the customer, the
// total and the total in words, and the invoice on disk is as it was.
// Deleted from the window, the invoice takes its registry record and its
// payment with it. Skipped when tmux cannot start; every wait
// has a deadline.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/apps/truvesca_sample_records.h"
#include "tests/apps/truvesca_term_steps.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;
using trsample::Records;
using namespace trterm;

class TruvescaInvPrintTermTest : public TempFolderTest {};

TEST_F(TruvescaInvPrintTermTest, AnInvoiceFromTheRunIsPrintedToPdf) {
  const fs::path work = CopySample("Truvesca", dir_);
  ASSERT_EQ(RunProgram(TRUVESCA_EXE, work, {"/RUN:'PrcExec mes.prx'"}).exit_code, 0);
  TmuxPane pane("truvesca-invprint");
  std::string error;
  if (!Start(pane, work, error)) GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(Shows(pane, kMenuBar));

  // Procesos, Facturación de albaranes: February's notes from number 1 on.
  ASSERT_TRUE(OpenRun(pane));
  FillRun(pane, "20240201", "20240229", "1", "0");
  ASSERT_TRUE(RunCompleted(pane));
  pane.Keys("Escape");
  ASSERT_TRUE(Gone(pane, "Primera factura"));

  // Ficheros, Facturas: the invoice by its series and number.
  ASSERT_TRUE(OpenInvoices(pane));
  const std::vector<std::string> invoices = Records(work / "facturas.FD", trsample::kInvoices);
  const std::vector<std::string> registry = Records(work / "registro.FD", trsample::kRegistry);
  const std::vector<std::string> payments = Records(work / "vencimientos.FD", trsample::kPayments);
  // An invoice of two notes saved as it stands: its header keeps the
  // invoice's totals (not its last line's) and its lines stay as they were.
  pane.Literal("F24");
  pane.Keys("Tab");
  pane.Literal("0006");
  pane.Keys("Tab");
  ASSERT_TRUE(pane.WaitFor("45,38")) << pane.Pane();
  pane.Keys("C-End");
  ASSERT_TRUE(pane.WaitGone("45,38")) << pane.Pane();
  EXPECT_EQ(Records(work / "facturas.FD", trsample::kInvoices), invoices);
  EXPECT_FALSE(fs::exists(work / "FACTURA.PDF")) << "printed without the print mark";

  pane.Literal("F24");
  pane.Keys("Tab");
  pane.Literal("0007");
  pane.Keys("Tab");
  ASSERT_TRUE(pane.WaitFor("Modificaci")) << pane.Pane();
  ASSERT_TRUE(pane.WaitFor("78,65")) << pane.Pane();

  // F5 marks the invoice for printing; Ctrl+End saves and prints it.
  pane.Keys("F5");
  ASSERT_TRUE(pane.WaitFor("n Activada")) << pane.Pane();
  pane.Keys("C-End");
  const fs::path pdf = work / "FACTURA.PDF";
  ASSERT_TRUE(WaitFile(pdf)) << pane.Pane() << ReadFile(work / "../stderr.txt");
  ASSERT_TRUE(pane.WaitFor("Busqueda")) << pane.Pane();
  EXPECT_EQ(ReadFile(pdf).rfind("%PDF", 0), 0u);
  // Saving the invoice to print it leaves its header and lines as they were.
  EXPECT_EQ(Records(work / "facturas.FD", trsample::kInvoices), invoices);

  // Deleted from the window (F11, confirmed), the invoice goes with its
  // registry record and its payment; the other invoices stay whole.
  pane.Literal("F24");
  pane.Keys("Tab");
  pane.Literal("0007");
  pane.Keys("Tab");
  ASSERT_TRUE(pane.WaitFor("78,65")) << pane.Pane();
  pane.Keys("F11");
  ASSERT_TRUE(pane.WaitFor("Anular Registro")) << pane.Pane();
  pane.Keys("s");
  ASSERT_TRUE(pane.WaitGone("78,65")) << pane.Pane();
  auto without_0007 = [](std::vector<std::string> records) {
    std::erase_if(records, [](const std::string& r) { return r.rfind("F24|0007|", 0) == 0; });
    return records;
  };
  EXPECT_EQ(Records(work / "facturas.FD", trsample::kInvoices), without_0007(invoices));
  EXPECT_EQ(Records(work / "registro.FD", trsample::kRegistry), without_0007(registry));
  EXPECT_EQ(Records(work / "vencimientos.FD", trsample::kPayments), without_0007(payments));
  EXPECT_EQ(without_0007(payments).size(), payments.size() - 1);

  // Esc closes the window; Esc again asks to end the program.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Serie")) << pane.Pane();
  EXPECT_TRUE(Quit(pane, work));

  if (!HavePdfToText()) GTEST_SKIP() << "pdftotext is not installed: the PDF's text is not checked";
  const std::string got = PdfText(pdf);
  for (const char* want : {"FACTURA F24 0007", "Cliente 22", "TOTAL FACTURA 78,65",
                           "Son setenta y ocho con sesenta y cinco"})
    EXPECT_NE(got.find(want), std::string::npos) << want << "\n" << got;
}

}  // namespace
}  // namespace eng::test
