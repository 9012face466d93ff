// Where the field edits show in a real terminal (a private tmux server):
// a field typed to its full length shows every character while the cursor
// is still in it, and the edits of a line in a grid stand on their cells'
// text (a text where the line above starts its own, a number ending against
// its column's "|", no edit covering a "|"). Truvesca's delivery note window
// and pelmora's journal.
// Skipped when tmux cannot start; every wait has a deadline.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/apps/truvesca_term_steps.h"
#include "tests/support/temp_folder.h"
#include "tests/apps/pelmora_term_steps.h"
#include "tests/support/tmux_pane.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;
using trterm::Shows;

class EditPlaceTermTest : public TempFolderTest {};

TEST_F(EditPlaceTermTest, TruvescaNoteDateShowsWholeAndLineEditsStandOnTheirCells) {
  const fs::path work = CopySample("Truvesca", dir_);
  TmuxPane pane("edit-place-tr");
  std::string error;
  if (!trterm::Start(pane, work, error)) GTEST_SKIP() << "tmux cannot start: " << error;
  ASSERT_TRUE(Shows(pane, trterm::kMenuBar));
  ASSERT_TRUE(trterm::OpenNotes(pane));
  pane.Literal("301");
  pane.Keys("Tab");
  ASSERT_TRUE(Shows(pane, "Nueva alta"));

  // The date's eight digits typed, the cursor still in the field.
  pane.Keys("End BSpace BSpace BSpace BSpace BSpace BSpace BSpace BSpace");
  pane.Literal("20240226");
  EXPECT_TRUE(Shows(pane, "Fecha  20240226"));
  pane.Keys("Tab");
  for (const char* value : {"21", "01", "21"}) {
    pane.Literal(value);
    pane.Keys("Tab");
  }
  ASSERT_TRUE(Shows(pane, "Edicion de lineas"));
  for (const char* value : {"TORNILLOS", "10", "1.50"}) {
    pane.Literal(value);
    pane.Keys("Tab");
  }
  ASSERT_TRUE(Shows(pane, "       10,00|"));

  // The second line typed: its item starts where the first line's does,
  // its quantity ends where the first line's does, before the "|".
  pane.Literal("BROCAS");
  ASSERT_TRUE(Shows(pane, "BROCAS"));
  const std::string first = RowWith(pane, "TORNILLOS");
  EXPECT_EQ(RowWith(pane, "BROCAS").find("BROCAS"), first.find("TORNILLOS")) << pane.Pane();
  pane.Keys("Tab");
  pane.Literal("4");
  EXPECT_TRUE(pane.WaitFor("4|")) << pane.Pane();
  EXPECT_EQ(RowWith(pane, "BROCAS").find("4|"), first.find("10,00|") + 4) << pane.Pane();
}

TEST_F(EditPlaceTermTest, PelmoraJournalDateShowsWholeOnItsCell) {
  const fs::path work = CopySample("Pelmora", dir_);
  TmuxPane pane("edit-place-pl");
  std::string error;
  if (!pane.StartLogged(work, PELMORA_EXE, error)) GTEST_SKIP() << "tmux cannot start: " << error;
  // Ficheros, the fifth item: the journal window; a day with no lines yet.
  ASSERT_TRUE(plterm::OpenFicheros(pane, "Diario de asientos", 5, "Modo Mantenimiento"));
  pane.Literal("01-06-24");
  pane.Keys("Tab");
  ASSERT_TRUE(Shows(pane, "Mensaje Informativo"));
  pane.Keys("Enter");
  ASSERT_TRUE(Shows(pane, "Edicion de lineas"));

  // The line's date typed in full, the cursor still in it: all eight
  // characters, from the grid's first column up to its "|".
  pane.Literal("01-06-24");
  ASSERT_TRUE(Shows(pane, "01-06-24|"));
  EXPECT_EQ(RowWith(pane, "01-06-24|").find("01-06-24|"), 0u) << pane.Pane();
  // The line's edits cover their columns only: each column's "|" shows on
  // the edited line where it shows on the headings above it.
  const std::string headings = RowWith(pane, "Fecha   |");
  ASSERT_FALSE(headings.empty()) << pane.Pane();
  const std::string edited = RowWith(pane, "01-06-24|");
  for (size_t at = headings.find('|'); at != std::string::npos; at = headings.find('|', at + 1))
    EXPECT_EQ(edited.substr(at, 1), "|") << "column end at " << at << "\n" << pane.Pane();
}

}  // namespace
}  // namespace eng::test
