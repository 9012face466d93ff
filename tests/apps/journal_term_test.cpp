// pelmora's journal window in a real terminal (a private tmux server): the
// day typed, a balanced two-line entry typed line by line; each line is
// written with the journal's rules when the cursor leaves it, so the journal
// and the accounts' month totals change on disk while the window is still
// open. An operation posted from the menu reaches the journal too. Skipped
// when tmux cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"
#include "tests/apps/pelmora_term_steps.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

// Period records: CTA. 8, FECHA 8, D_VDOS 14, H_VDOS 14, DIARIO 2.
constexpr size_t kPeriodLength = 8 + 8 + 14 + 14 + 2;

// Debit and credit of an account's month record as stored ("" when none).
std::string MonthOnDisk(const std::filesystem::path& file, const std::string& key) {
  std::ifstream f(file, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  const std::string bytes = ss.str();
  for (size_t at = 0; at + kPeriodLength <= bytes.size(); at += kPeriodLength) {
    if (bytes.compare(at, key.size(), key) != 0) continue;
    auto trim = [](std::string t) {
      t.erase(0, t.find_first_not_of(' '));
      t.erase(t.find_last_not_of(' ') + 1);
      return t;
    };
    return trim(bytes.substr(at + 16, 14)) + "/" + trim(bytes.substr(at + 30, 14));
  }
  return {};
}

bool WaitMonth(const std::filesystem::path& file, const std::string& key, const std::string& want, int ms = 8000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (MonthOnDisk(file, key) == want) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Journal records: FECHA 8, ASIENTO 6, N_LINE 3, TIPO 1, CTA_DEBE 8,
// CTA_HABER 8, IMPORTE 14, CONCEPTO 40.
constexpr size_t kJournalLength = 8 + 6 + 3 + 1 + 8 + 8 + 14 + 40;

// The live journal lines as "date|entry|line|debit|credit|amount|text".
std::vector<std::string> JournalOnDisk(const std::filesystem::path& file) {
  std::ifstream f(file, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  const std::string bytes = ss.str();
  std::vector<std::string> out;
  for (size_t at = 0; at + kJournalLength <= bytes.size(); at += kJournalLength) {
    if (bytes[at] == '\x1B') continue;
    std::string line;
    const size_t cuts[][2] = {{0, 8}, {8, 6}, {14, 3}, {18, 8}, {26, 8}, {34, 14}, {48, 40}};
    for (const auto& c : cuts) {
      std::string t = bytes.substr(at + c[0], c[1]);
      t.erase(0, t.find_first_not_of(' '));
      t.erase(t.find_last_not_of(' ') + 1);
      line += (line.empty() && c[0] == 0 ? "" : "|") + t;
    }
    out.push_back(line);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// A line typed field by field from its date, as a user types it, without
// waiting between fields; Down leaves the line, which is confirmed and
// written.
struct JournalLine {
  const char* entry;
  const char* line;
  const char* debit;
  const char* credit;
  const char* text;
  const char* amount;
};

void TypeLine(TmuxPane& pane, const JournalLine& l) {
  for (const char* value : {"01-06-24", l.entry, l.line, l.debit, l.credit, l.text}) {
    if (*value) pane.Literal(value);
    pane.Keys("Tab");
  }
  pane.Literal(l.amount);
  pane.Keys("Down");
}

// Ficheros, the fifth item: the journal window, maintenance mode, on
// 01-06-24. The day has no lines yet: the window suggests the insertion
// mode; once the box is answered the cursor stands on the new line's date.
::testing::AssertionResult OpenEmptyDay(TmuxPane& pane) {
  if (auto r = plterm::OpenFicheros(pane, "Diario de asientos", 5, "Modo Mantenimiento"); !r) return r;
  pane.Literal("01-06-24");
  pane.Keys("Tab");
  if (auto r = Shows(pane, "Mensaje Informativo"); !r) return r;
  pane.Keys("Enter");
  if (!pane.WaitGone("Mensaje Informativo")) return ::testing::AssertionFailure() << pane.Pane();
  if (auto r = Shows(pane, "Edicion de lineas"); !r) return r << "the lines keep the cursor";
  return ::testing::AssertionSuccess();
}

// Answers the question that confirms a line left.
::testing::AssertionResult ConfirmLine(TmuxPane& pane) {
  if (auto r = Shows(pane, "Datos Cambiados. Confirmar"); !r) return r;
  pane.Keys("s");
  if (!pane.WaitGone("Datos Cambiados. Confirmar")) return ::testing::AssertionFailure() << pane.Pane();
  return ::testing::AssertionSuccess();
}

class PelmoraJournalTermTest : public TempFolderTest {};

TEST_F(PelmoraJournalTermTest, ABalancedEntryTypedOnScreenReachesTheJournalAndTheMonthTotals) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);
  const std::filesystem::path months = work / "acumulados.FD";

  TmuxPane pane("journal-term");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(OpenEmptyDay(pane));

  TypeLine(pane, {"1", "1", "57200001", "", "Venta", "50"});
  ASSERT_TRUE(pane.WaitFor("Datos Cambiados. Confirmar")) << pane.Pane();
  pane.Keys("s");
  EXPECT_TRUE(WaitMonth(months, "5720000120240601", "50.00/")) << pane.Pane();
  EXPECT_TRUE(WaitMonth(months, "572     20240601", "50.00/")) << "the group's month too\n" << pane.Pane();
  ASSERT_TRUE(pane.WaitGone("Datos Cambiados. Confirmar")) << pane.Pane();

  // The cursor went down to the new line's last field: back to its date.
  for (int i = 0; i < 6; ++i) pane.Keys("BTab");
  TypeLine(pane, {"1", "2", "", "70000000", "Venta", "50"});
  ASSERT_TRUE(pane.WaitFor("Datos Cambiados. Confirmar")) << pane.Pane();
  pane.Keys("s");
  EXPECT_TRUE(WaitMonth(months, "7000000020240601", "/50.00")) << pane.Pane();
  EXPECT_TRUE(WaitMonth(months, "700     20240601", "/50.00")) << pane.Pane();
  EXPECT_EQ(MonthOnDisk(months, "5720000120240601"), "50.00/") << "the first line's month is untouched";

  EXPECT_EQ(JournalOnDisk(work / "diario.FD"),
            (std::vector<std::string>{"20240601|1|1|57200001||50.00|Venta", "20240601|1|2||70000000|50.00|Venta"}))
      << pane.Pane();
}

// Ctrl+End ends the day. Pressed on the new line under an entry that does
// not balance, the entry is refused with its difference, and the cursor
// stays on the line so that the missing line can be typed; then the day
// ends.
TEST_F(PelmoraJournalTermTest, AnEntryThatDoesNotBalanceIsRefusedAtTheEndAndCanBeMended) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);

  TmuxPane pane("journal-end-term");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(OpenEmptyDay(pane));

  TypeLine(pane, {"1", "1", "57200001", "", "Venta", "50"});
  ASSERT_TRUE(ConfirmLine(pane));
  pane.Keys("C-End");
  ASSERT_TRUE(Shows(pane, "Asiento descuadrado: 50"));
  pane.Keys("Enter");
  ASSERT_TRUE(pane.WaitGone("Asiento descuadrado")) << pane.Pane();
  EXPECT_TRUE(Shows(pane, "Edicion de lineas")) << "the window stays on the day";

  // The cursor stands on the new line's last field, as after Down.
  for (int i = 0; i < 6; ++i) pane.Keys("BTab");
  TypeLine(pane, {"1", "2", "", "70000000", "Venta", "50"});
  ASSERT_TRUE(ConfirmLine(pane));
  pane.Keys("C-End");
  ASSERT_TRUE(Shows(pane, "Busqueda")) << "the balanced day ends";
  EXPECT_EQ(pane.Pane().find("descuadrado"), std::string::npos) << pane.Pane();
  std::vector<std::string> day = JournalOnDisk(work / "diario.FD");
  std::erase_if(day, [](const std::string& l) { return l.rfind("20240601|", 0) != 0; });
  EXPECT_EQ(day, (std::vector<std::string>{"20240601|1|1|57200001||50.00|Venta", "20240601|1|2||70000000|50.00|Venta"}))
      << pane.Pane();
}

// Ficheros > Asiento predefinido opens the operation window straight above
// the main window: the form confirmed past its last field posts the entry's
// two lines, no box comes up and the program goes on.
TEST_F(PelmoraJournalTermTest, AnOperationPostedFromTheMenuReachesTheJournal) {
  const std::filesystem::path work = CopySample("Pelmora", dir_);

  TmuxPane pane("oper-term");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error))
    GTEST_SKIP() << "tmux cannot start: " << error;

  // Ficheros, the item below the journal window.
  ASSERT_TRUE(plterm::OpenFicheros(pane, "Asiento predefinido", 6, "Vencimientos (1/0)"));

  // Amount, date, entry number, debit and credit accounts, text, no
  // schedule; the Tab past the last field confirms the form.
  for (const char* value : {"50", "01-06-24", "8", "43000001", "70000000", "Cuota", "0"}) {
    pane.Literal(value);
    pane.Keys("Tab");
  }
  ASSERT_TRUE(pane.WaitGone("Vencimientos (1/0)")) << pane.Pane();
  const std::vector<std::string> want{"20240601|8|1|43000001||50.00|Cuota", "20240601|8|2||70000000|50.00|Cuota"};
  bool posted = false;
  for (int waited = 0; waited <= 8000 && !posted; waited += 50) {
    posted = JournalOnDisk(work / "diario.FD") == want;
    if (!posted) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(posted) << ::testing::PrintToString(JournalOnDisk(work / "diario.FD")) << pane.Pane();
  const std::string shown = pane.Pane();
  EXPECT_EQ(shown.find("AcRegistryOperDev"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("Error"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Procesos  Ficheros  Informes  Transacciones  Ayuda"), std::string::npos)
      << "the program goes on\n" << shown;
}

}  // namespace
}  // namespace eng::test
