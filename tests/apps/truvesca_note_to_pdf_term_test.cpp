// truvesca from a typed delivery note to its printed invoice, in one session
// of the program in a real terminal (a private tmux server): a new note is
// typed with its customer and lines and saved, the invoicing run is started
// from the menu, the invoice it made is opened in the invoice window and
// printed to FACTURA.PDF; the PDF's text holds the customer, the total, the
// total in words and the note as the invoice's one line. Skipped when tmux cannot start or pdftotext is not
// installed; every wait has a deadline.
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

class TruvescaNoteToPdfTermTest : public TempFolderTest {};

TEST_F(TruvescaNoteToPdfTermTest, ATypedNoteIsInvoicedAndPrinted) {
  if (!HavePdfToText()) GTEST_SKIP() << "pdftotext is not installed";
  const fs::path work = CopySample("Truvesca", dir_);
  TmuxPane pane("truvesca-notepdf");
  std::string error;
  if (!Start(pane, work, error)) GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(Shows(pane, kMenuBar));

  // The note: customer 21, three lines worth 60.00 at 21 % VAT.
  ASSERT_TRUE(OpenNotes(pane));
  const Note note{"401", "20240305", "21", "01", "21",
                  {{"TORNILLOS", "10", "1.50"}, {"BROCAS", "4", "2.25"}, {"PINTURA", "2", "18.00"}}};
  ASSERT_TRUE(TypeNote(pane, note));
  pane.Keys("C-End");
  ASSERT_TRUE(HasRecords(work / "albara_ventas.FD", trsample::kNotes, {"401|20240305|21|01|60.00|21"}))
      << pane.Pane();
  ASSERT_TRUE(Shows(pane, "Busqueda"));
  pane.Keys("Escape");
  ASSERT_TRUE(Gone(pane, "Albaranes de venta"));

  // The invoicing run over March, numbers from 1 on, no confirmation.
  ASSERT_TRUE(OpenRun(pane));
  FillRun(pane, "20240301", "20240331", "1", "0");
  ASSERT_TRUE(RunCompleted(pane));
  EXPECT_EQ(Records(work / "albara_ventas.FD", trsample::kNotes),
            (std::vector<std::string>{"401|20240305|21|01|60.00|21|F240001"}));
  pane.Keys("Escape");
  ASSERT_TRUE(Gone(pane, "Primera factura"));

  // The invoice in its window: the print mark (F5), then Ctrl+End saves and
  // prints it.
  ASSERT_TRUE(OpenInvoices(pane));
  pane.Literal("F24");
  pane.Keys("Tab");
  pane.Literal("0001");
  pane.Keys("Tab");
  ASSERT_TRUE(Shows(pane, "72,60"));
  EXPECT_TRUE(Shows(pane, "Cliente        21"));
  pane.Keys("F5");
  ASSERT_TRUE(Shows(pane, "n Activada"));
  pane.Keys("C-End");
  const fs::path pdf = work / "FACTURA.PDF";
  ASSERT_TRUE(WaitFile(pdf)) << pane.Pane() << ReadFile(work.parent_path() / "stderr.txt");
  ASSERT_TRUE(Shows(pane, "Busqueda"));
  pane.Keys("Escape");
  ASSERT_TRUE(Gone(pane, "Serie"));
  EXPECT_TRUE(Quit(pane, work));

  const std::string text = PdfText(pdf);
  for (const char* want : {"FACTURA F24 0001", "Cliente 21", "TOTAL FACTURA 72,60",
                           "Son setenta y dos con sesenta", "401 20240305 60,00 12,60 72,60"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  // The invoice's one note is its only line: the header is no line of its own.
  EXPECT_EQ(text.find("20240305"), text.rfind("20240305")) << text;
}

}  // namespace
}  // namespace eng::test
