// A delivery note typed in truvesca's document window in a real terminal (a
// private tmux server): opened from the menu, the note's header and three
// lines are typed and saved; on disk the header (no line number) and the
// three numbered lines are there, and the note's record the invoicing run
// reads carries the header and the lines' sum. The note found again by its
// number shows its header and its three lines under their grid's headings.
// Skipped when tmux cannot start; every wait has a deadline.
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

class TruvescaDocTermTest : public TempFolderTest {};

TEST_F(TruvescaDocTermTest, ADeliveryNoteWithThreeLinesIsSavedAndFoundAgain) {
  const fs::path work = CopySample("Truvesca", dir_);
  TmuxPane pane("truvesca-doc");
  std::string error;
  if (!Start(pane, work, error)) GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(Shows(pane, kMenuBar));
  ASSERT_TRUE(OpenNotes(pane));
  // The lines grid shows its column headings.
  ASSERT_TRUE(Shows(pane, "Articulo"));
  EXPECT_TRUE(Shows(pane, "Cantidad"));

  const Note note{"301", "20240226", "21", "01", "21",
                  {{"TORNILLOS", "10", "1.50"}, {"BROCAS", "4", "2.25"}, {"PINTURA", "2", "18.75"}}};
  ASSERT_TRUE(TypeNote(pane, note));
  // Ctrl+End saves the note and starts a new one.
  pane.Keys("C-End");
  const fs::path lines_file = work / "lineas_albaran.FD";
  const std::vector<std::string> saved_lines = {
      "301||PINTURA|2.00|18.75|20240226|21|01|21",
      "301|1|TORNILLOS|10.00|1.50|20240226|21|01|21",
      "301|2|BROCAS|4.00|2.25|20240226|21|01|21",
      "301|3|PINTURA|2.00|18.75|20240226|21|01|21",
  };
  ASSERT_TRUE(HasRecords(lines_file, trsample::kNoteLines, saved_lines)) << pane.Pane();
  ASSERT_TRUE(Shows(pane, "Busqueda"));
  EXPECT_EQ(pane.Pane().find("TORNILLOS"), std::string::npos) << "a new note is shown\n" << pane.Pane();
  // The note's record for the invoicing run: header data and the lines' sum.
  EXPECT_EQ(Records(work / "albara_ventas.FD", trsample::kNotes),
            (std::vector<std::string>{"301|20240226|21|01|61.50|21"}));

  // Found again by its number: its header and its three lines.
  pane.Literal("301");
  pane.Keys("Tab");
  ASSERT_TRUE(pane.WaitFor("Modificaci")) << pane.Pane();
  EXPECT_TRUE(Shows(pane, "Cliente        21     Forma pago  01    IVA  21"));
  for (const NoteLine& line : note.lines) EXPECT_TRUE(Shows(pane, line.item));
  EXPECT_EQ(RowWith(pane, "TORNILLOS").find("TORNILLOS"), RowWith(pane, "Articulo").find("Articulo"))
      << "the item under its heading\n" << pane.Pane();
  EXPECT_NE(pane.Pane().find("18,75"), std::string::npos) << pane.Pane();

  // Esc asks before leaving the shown note; Esc on the key closes the
  // window; Esc again asks to end the program. Nothing was written meanwhile.
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitFor("Posible perdida de datos")) << pane.Pane();
  pane.Keys("s");
  ASSERT_TRUE(pane.WaitGone("TORNILLOS")) << pane.Pane();
  pane.Keys("Escape");
  ASSERT_TRUE(pane.WaitGone("Albaranes de venta")) << pane.Pane();
  EXPECT_TRUE(Quit(pane, work));
  EXPECT_EQ(Records(lines_file, trsample::kNoteLines), saved_lines);
  EXPECT_EQ(fs::file_size(work / "albara_ventas.FD"), 42u) << "the notes file holds the one note";
}

}  // namespace
}  // namespace eng::test
