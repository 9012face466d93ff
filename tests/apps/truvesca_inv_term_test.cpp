// The invoicing run of truvesca in a real terminal (a private tmux server):
// the sample month of delivery notes is loaded, the run's window is opened
// from the menu, filled and confirmed; the invoices, their lines, totals,
// VAT, amounts in words, registry and payment records are on disk, every
// note is marked with its invoice and the note without a pay method stays
// open. Confirming the window again makes no new invoice. Skipped when tmux
// cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
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

class TruvescaInvTermTest : public TempFolderTest {
 protected:
  // Starts the program on the sample with its month of notes and opens the
  // invoicing window from the menu; false when tmux cannot start. `prepare`
  // may change the copied sample first.
  bool Open(TmuxPane& pane, fs::path* work, const std::function<void(const fs::path&)>& prepare = {}) {
    *work = CopySample("Truvesca", dir_);
    if (prepare) prepare(*work);
    EXPECT_EQ(RunProgram(TRUVESCA_EXE, *work, {"/RUN:'PrcExec mes.prx'"}).exit_code, 0);
    std::string error;
    if (!Start(pane, *work, error)) return false;
    EXPECT_TRUE(Shows(pane, kMenuBar));
    EXPECT_TRUE(OpenRun(pane));
    return true;
  }
  // February's notes, numbers from 1 on (0001-0005 exist), then confirmed.
  static void Fill(TmuxPane& pane, const char* confirm) { FillRun(pane, "20240201", "20240229", "1", confirm); }
};

TEST_F(TruvescaInvTermTest, TheInvoicingRunFromItsMenuInvoicesTheMonth) {
  TmuxPane pane("truvesca-inv");
  fs::path work;
  if (!Open(pane, &work)) GTEST_SKIP() << "tmux cannot start";
  const std::vector<std::string> old_invoices = Records(work / "facturas.FD", trsample::kInvoices);
  ASSERT_EQ(old_invoices.size(), 5u);
  Fill(pane, "0");
  ASSERT_TRUE(RunCompleted(pane));

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
  EXPECT_NE(pane.Pane().find("Primera factura        8"), std::string::npos) << pane.Pane();

  // The same run again: every note of the month is invoiced already.
  const std::string before = ReadFile(work / "facturas.FD") + ReadFile(work / "albara_ventas.FD") +
                             ReadFile(work / "registro.FD") + ReadFile(work / "vencimientos.FD");
  pane.Keys("C-End");
  ASSERT_TRUE(RunCompleted(pane));
  EXPECT_EQ(ReadFile(work / "facturas.FD") + ReadFile(work / "albara_ventas.FD") + ReadFile(work / "registro.FD") +
                ReadFile(work / "vencimientos.FD"),
            before);

  // Esc closes the window; Esc again asks to end the program.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Primera factura")) << pane.Pane();
  EXPECT_TRUE(Quit(pane, work));
}

// The run keeps the window's field names (FD$) on stack 36 from after BEGIN
// to its end, for the steps' statements to read (_$(36)). Here BEGIN keeps
// what it finds on the stack and each invoice's foot writes that and the
// stack's top as the invoice's words; the second run shows that the first
// took its names off the stack again.
TEST_F(TruvescaInvTermTest, TheStepsReadTheFieldNamesOnStack36) {
  TmuxPane pane("truvesca-stack");
  fs::path work;
  const auto prepare = [](const fs::path& work) {
    const fs::path file = work / ".." / "apps" / "TRFAC.PPN";
    std::string text = ReadFile(file);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"DocSer$('F';_FHASTA$)", "DocSer$('F';_FHASTA$),B$=_$(36)"},
                                   {"LETRAS{14}=FN$TXTN(B#+Q#)", "LETRAS{14}='['+B$+']'+_$(36)"}}) {
      const size_t at = text.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      text.replace(at, from.size(), to);
    }
    std::ofstream(file, std::ios::binary) << text;
  };
  if (!Open(pane, &work, prepare)) GTEST_SKIP() << "tmux cannot start";
  // The first half of the month, then the second.
  FillRun(pane, "20240201", "20240215", "1", "0");
  ASSERT_TRUE(RunCompleted(pane));
  pane.Keys("Escape");
  ASSERT_TRUE(Gone(pane, "Primera factura"));
  ASSERT_TRUE(OpenRun(pane));
  FillRun(pane, "20240216", "20240229", "1", "0");
  ASSERT_TRUE(RunCompleted(pane));

  const std::string words = "[]_FDESDE$,_FHASTA$,_NUMERO,_ADESDE$,_AHASTA$,_CONFIRMA,,FACTURA,SERIE,CLIENTE";
  std::vector<std::string> headers;
  const std::vector<std::string> invoices = Records(work / "facturas.FD", trsample::kInvoices);
  for (const std::string& r : invoices)
    if (r.size() > words.size() && r.compare(r.size() - words.size(), words.size(), words) == 0)
      headers.push_back(r.substr(0, 8));
  EXPECT_EQ(headers, (std::vector<std::string>{"F24|0006", "F24|0007", "F24|0008"}))
      << ::testing::PrintToString(invoices);
}

// With confirmation each note is shown in the viewer before it is taken:
// Skip leaves it out of its invoice, Confirm takes it, Cancel ends the run
// with what was made so far; the notes left out stay open.
TEST_F(TruvescaInvTermTest, EachNoteIsConfirmedSkippedOrTheRunCancelled) {
  TmuxPane pane("truvesca-confirm");
  fs::path work;
  if (!Open(pane, &work)) GTEST_SKIP() << "tmux cannot start";
  Fill(pane, "1");
  // The viewer's buttons on its first row: Cancel, Skip, Confirm.
  struct Answer {
    const char* note;
    int column;
  };
  const Answer answers[] = {{"201", 14}, {"202", 24}, {"203", 24}, {"204", 4}};
  for (const Answer& a : answers) {
    SCOPED_TRACE(a.note);
    ASSERT_TRUE(pane.WaitFor("[ Confirm ]")) << pane.Pane();
    pane.Keys("C-Home");
    ASSERT_TRUE(pane.WaitFor(std::string("Albaran    ") + a.note)) << pane.Pane();
    pane.Click(a.column, 1);
    ASSERT_TRUE(pane.WaitGone(std::string("Albaran    ") + a.note)) << pane.Pane();
  }
  ASSERT_TRUE(pane.WaitFor("Cancelado por el usuario")) << pane.Pane();

  EXPECT_EQ(Records(work / "albara_ventas.FD", trsample::kNotes),
            (std::vector<std::string>{"201|20240205|21|01|25.00|21", "202|20240212|21|01|37.50|21|F240006",
                                      "203|20240214|22|02|65.00|21|F240007", "204|20240220|22|03|15.00|21",
                                      "205|20240222|23||36.00|4"}));
  const std::vector<std::string> invoices = Records(work / "facturas.FD", trsample::kInvoices);
  ASSERT_EQ(invoices.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(invoices.begin() + 5, invoices.end()),
            (std::vector<std::string>{
                "F24|0006|1|21|202|20240212|37.50|7.88|45.38",
                "F24|0006||21||20240212|37.50|7.88|45.38||cuarenta y cinco con treinta y ocho",
                "F24|0007|1|22|203|20240214|65.00|13.65|78.65",
                "F24|0007||22||20240214|65.00|13.65|78.65||setenta y ocho con sesenta y cinco",
            }));
  EXPECT_EQ(Records(work / "vencimientos.FD", trsample::kPayments).size(), 2u);
}

}  // namespace
}  // namespace eng::test
