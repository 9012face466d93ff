// The invoicing run over a sample month of delivery notes: the invoices,
// registry and payment records it writes (golden file), the order of its
// steps, number taking, confirmation, cancel, grouping, and a failure half
// way through an invoice.
#include "apps/truvesca/inv_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/block_file.h"
#include "core/dyn_strings.h"
#include "core/field_access.h"
#include "core/module_parms.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/data_file_store.h"
#include "data/dict_load.h"
#include "data/field_ref.h"
#include "tests/apps/truvesca_inv_run_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;
using namespace invrun;
using truvesca::InvRun;
using truvesca::InvRunResult;
using truvesca::InvRunWindow;
using truvesca::InvStep;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class InvRunTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("IRTEST01:Demo")), kOk);
    SysVarSet(kVarPrecis, 2);
    SysVarSet(kVarDx, 2);
    WriteDictionary();
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("IR"), StrOf("")), kOk);
    for (uint16_t f : {kNotas, kFacturas, kRegistro, kCobros}) {
      Status s = DataFileOpen(f, 0);
      ASSERT_TRUE(s == kOk || s == 2) << f << ": " << s;
    }
    ASSERT_EQ(SeedNotes(kMonth), kOk);
    window_ = SampleWindow(&totals_);
  }
  void TearDown() override {
    for (uint16_t f : {kCobros, kRegistro, kFacturas, kNotas}) DataFileClose(f);
    FieldAccessInstall(nullptr);
    TempFolderTest::TearDown();
  }
  Status Run(InvRunResult* result = nullptr) { return InvRun(kFiles, window_, result); }
  // The invoice each note went into ("" while open), in note order.
  static std::vector<std::string> NoteInvoices() {
    std::vector<std::string> out;
    for (const std::string& r : LiveRecords("notas.FD", kNotaLength)) {
      std::string fac = r.substr(37, 8);
      fac.erase(fac.find_last_not_of(' ') + 1);
      out.push_back(r.substr(0, 5) + "=" + fac);
    }
    return out;
  }
  // The invoices' headers: series + number + customer.
  static std::vector<std::string> Headers() {
    std::vector<std::string> out;
    for (const std::string& r : LiveRecords("facturas.FD", kFacturaLength))
      if (r.substr(8, 3) == "   ") out.push_back(r.substr(0, 8) + "/" + r.substr(11, 5));
    return out;
  }

  SampleTotals totals_;
  InvRunWindow window_;
};

TEST_F(InvRunTest, SampleMonthMatchesGoldenAndSecondRunAddsNothing) {
  InvRunResult result;
  ASSERT_EQ(Run(&result), kOk);
  EXPECT_EQ(result.invoices, 4u);  // customers 77, 120, 205, 415; 300 is refused
  EXPECT_EQ(result.notes, 9u);
  const std::string dump = DumpFiles();
  const fs::path golden = fs::path(__FILE__).parent_path() / "golden" / "truvesca_inv_run_month.txt";
  if (const char* u = std::getenv("UPDATE_GOLDEN"); u && *u == '1') std::ofstream(golden, std::ios::binary) << dump;
  EXPECT_EQ(dump, ReadText(golden));
  // The numbers follow the customers' order.
  EXPECT_EQ(Headers(), (std::vector<std::string>{"A 000001/   77", "A 000002/  120", "A 000003/  205",
                                                 "A 000004/  415"}));

  ASSERT_EQ(Run(&result), kOk);
  EXPECT_EQ(result.invoices, 0u);
  EXPECT_EQ(DumpFiles(), dump);
  EXPECT_FALSE(BlockFileExists(truvesca::InvRunJournalPath(kFacturas)));
}

TEST_F(InvRunTest, StepsRunInOrderWithAuxAndContext) {
  std::vector<std::string> seen;
  auto statements = window_.step;
  window_.step = [&](InvStep step) {
    ScratchScope scope;
    StrPair name = ParmContextName();
    seen.push_back(std::to_string(SysVarGet(kVarAux)) + ":" + std::string(name.ok() ? name.view() : ""));
    EXPECT_EQ(SysVarGet(kVarAux), int(step));
    return statements(step);
  };
  window_.to = "N0002";  // customers 205 and 120, one note each
  ASSERT_EQ(Run(), kOk);
  const std::vector<std::string> invoice = {"3:CUSTOMER", "2:DELNOTES", "4:INVOICE", "5:FOOT",
                                            "6:REG",      "7:PAY",      "8:PREPNEXT", "9:SCREENUP"};
  std::vector<std::string> expected = {"1:BEGIN"};
  for (int i = 0; i < 2; ++i) expected.insert(expected.end(), invoice.begin(), invoice.end());
  expected.push_back("10:END");
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(SysVarGet(kVarAux), 0);
}

TEST_F(InvRunTest, NumberSkipsTakenOnesAndStopsAtTheLargest) {
  // An existing invoice 000005 of series A (a header only) and one of series B.
  for (const char* series : {"A", "B"}) {
    ASSERT_EQ(DataFileMove(kFacturas, 1), 3);
    ASSERT_EQ(Set(kFacturas, 1, series), kOk);
    ASSERT_EQ(Set(kFacturas, 2, "000005"), kOk);
    ASSERT_EQ(DataFileWriteHooked(kWriteAdd, kFacturas, StrOf(""), StrOf("")), kOk);
  }
  std::vector<std::string> shown;
  window_.show_number = [&](const std::string& n) { shown.push_back(n); };
  window_.number = "5";
  window_.to = "N0001";
  ASSERT_EQ(Run(), kOk);
  EXPECT_EQ(shown, std::vector<std::string>{"000006"});
  EXPECT_EQ(Headers(), (std::vector<std::string>{"A 000005/     ", "A 000006/  205", "B 000005/     "}));

  // Each case invoices one open note of its own; 999999 is taken by the
  // first case when the second asks for it.
  struct Case {
    const char* number;
    const char* note;
    Status status;
  } cases[] = {{"999999", "N0002", kOk},
               {"999999", "N0003", kStDataError},
               {"12x", "N0003", kStDataError},
               {"1234567", "N0003", kStDataError}};
  for (const Case& c : cases) {
    window_.number = c.number;
    window_.from = window_.to = c.note;
    EXPECT_EQ(Run(), c.status) << c.number << " " << c.note;
  }
  EXPECT_EQ(Headers().back(), "B 000005/     ");
  EXPECT_EQ(Headers()[2], "A 999999/  120");
}

TEST_F(InvRunTest, ConfirmationSkipsNotesAndCancelEndsTheRun) {
  window_.confirm = true;
  // Customer 77's notes are skipped: no invoice, no registry or payment records.
  window_.confirm_note = [] { return FieldNumber(kNotas, 2) == 77 ? Status{0} : Status{1}; };
  InvRunResult result;
  ASSERT_EQ(Run(&result), kOk);
  EXPECT_EQ(result.invoices, 3u);
  EXPECT_EQ(Headers(), (std::vector<std::string>{"A 000001/  120", "A 000002/  205", "A 000003/  415"}));
  EXPECT_EQ(LiveRecords("registro.FD", kRegistroLength).size(), 3u);

  // Cancel in the viewer at the first note ends the run with 122; nothing
  // more is written, the notes stay open.
  window_.confirm_note = [] { return Status{kStCancelled}; };
  const std::string before = DumpFiles();
  EXPECT_EQ(Run(), kStCancelled);
  EXPECT_EQ(DumpFiles(), before);
  EXPECT_FALSE(BlockFileExists(truvesca::InvRunJournalPath(kFacturas)));
}

TEST_F(InvRunTest, CancelInProgressKeepsWhatWasWritten) {
  int asked = 0;
  window_.progress = [&] { return ++asked == 2 ? Status{kStCancelled} : Status{kOk}; };
  InvRunResult result;
  EXPECT_EQ(Run(&result), kStCancelled);
  EXPECT_EQ(result.invoices, 1u);
  EXPECT_EQ(Headers(), std::vector<std::string>{"A 000001/   77"});
  // The next run goes on with the next number.
  window_.progress = nullptr;
  ASSERT_EQ(Run(&result), kOk);
  EXPECT_EQ(result.invoices, 3u);
  EXPECT_EQ(Headers().back(), "A 000004/  415");
}

TEST_F(InvRunTest, GroupsMakeOneInvoiceEach) {
  window_.group = [] { return std::to_string(FieldNumber(kNotas, 6)); };  // by VAT rate
  window_.from = "N0002";
  window_.to = "N0007";  // customer 120's notes: rates 4, 10, 21; 205's: 21; 77's: 4
  InvRunResult result;
  ASSERT_EQ(Run(&result), kOk);
  EXPECT_EQ(Headers(), (std::vector<std::string>{"A 000001/   77", "A 000002/  120", "A 000003/  120",
                                                 "A 000004/  120", "A 000005/  205"}));
}

TEST_F(InvRunTest, FailureInsideAnInvoiceTakesItBack) {
  const std::string before = DumpFiles();
  auto fill = window_.fill_line;
  // Customer 120's second line fails after its first line was written.
  window_.fill_line = [&](uint16_t line) -> Status {
    if (line == 2 && FieldNumber(kNotas, 2) == 120) return kStWrite;
    return fill(line);
  };
  window_.to = "N0003";  // customer 120 only (77's first note is N0006)
  EXPECT_EQ(Run(), kStWrite);
  EXPECT_EQ(DumpFiles(), before);
  EXPECT_FALSE(BlockFileExists(truvesca::InvRunJournalPath(kFacturas)));

  // The number it had is the one the next run takes.
  window_.fill_line = fill;
  ASSERT_EQ(Run(), kOk);
  EXPECT_EQ(Headers(), (std::vector<std::string>{"A 000001/  120", "A 000002/  205"}));
  for (const std::string& n : NoteInvoices()) {
    if (n.rfind("N0001", 0) == 0 || n.rfind("N0002", 0) == 0) {
      EXPECT_NE(n.back(), '=') << n;
    }
  }
}

}  // namespace
}  // namespace eng::test
