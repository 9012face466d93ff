// The file dialog: listing order and filters, choosing, typing a name,
// changing folder, the default extension on save, cancel.
#include "platform/ctl_list.h"
#include "platform/dlg_file.h"
#include "tests/platform/dlg_fixture.h"

namespace plat::test {

std::vector<std::string> DlgTest::Rows(int id) {
  std::vector<std::string> out;
  Hwnd h = ws.FindChild(ws.Active(), id);
  for (int i = 0; i < ListBoxCount(ws, h); ++i) out.push_back(ListBoxText(ws, h, i));
  return out;
}

namespace {

class FileDlgTest : public DlgTest {
 protected:
  void SetUp() override {
    DlgTest::SetUp();
    Put("b.pdf");
    Put("A.PDF");
    Put("notes.txt");
    Put("zeta/inner.pdf");
    Folder("alpha");
  }
  FileDlgRequest Pdf(bool save) {
    FileDlgRequest r;
    r.save = save;
    r.title = "Guardar PDF";
    r.filters = {{"Ficheros PDF (*.PDF)", "*.PDF"}, {"Todos (*.*)", "*.*"}};
    r.folder = dir.string();
    r.default_ext = "PDF";
    r.owner = top;
    return r;
  }
};

TEST(FileDlgWildcard, MatchesLikeTheFileSystemListings) {
  struct Case {
    const char* pattern;
    const char* name;
    bool hit;
  } cases[] = {
      {"*.PDF", "a.pdf", true},   {"*.PDF", "a.pdfx", false}, {"PL*.PDF", "PLx.pdf", true},
      {"PL*.PDF", "XPL.pdf", false}, {"??DICC.DAT", "PLDICC.DAT", true}, {"??DICC.DAT", "PDICC.DAT", false},
      {"*.*", "README", true},    {"*.*", "a.b", true},       {"*", "", true},
      {"a*b*c", "aXbYbZc", true}, {"a*b*c", "aXbYbZ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.hit) << c.pattern << " " << c.name;
}

TEST_F(FileDlgTest, ListsFoldersFirstThenMatchingFilesSortedAndTheFilterCanChange) {
  std::vector<std::string> first, after;
  std::string caption;
  WhileOpen([&] {
    caption = ws.GetText(ws.Active());
    first = Rows(kFileDlgList);
  });
  // The filter combo: open it, move to "Todos", confirm; then cancel the dialog.
  d.Run(Script().Wait(20));
  d.Run("key Tab\nkey Tab\nkey F4\nkey Down\nkey Enter");
  ws.SetTimer(kNoWindow, 98, 30, [&](WinSystem& s, Hwnd, int) {
    s.KillTimer(kNoWindow, 98);
    after = Rows(kFileDlgList);
  });
  d.Run(Script().Wait(40).Key("Esc"));
  EXPECT_EQ(RunFileDialog(ws, Pdf(false)), "");
  EXPECT_EQ(caption, "Guardar PDF");
  EXPECT_EQ(first, (std::vector<std::string>{"..", "[alpha]", "[zeta]", "A.PDF", "b.pdf"}));
  EXPECT_EQ(after, (std::vector<std::string>{"..", "[alpha]", "[zeta]", "A.PDF", "b.pdf", "notes.txt"}));
  EXPECT_EQ(d.input().remaining(), 0u);
  EXPECT_TRUE(ws.IsEnabled(top));
  EXPECT_EQ(ws.Focus(), e1);
}

TEST_F(FileDlgTest, AnswersFromTheScript) {
  struct Case {
    const char* what;
    bool save;
    const char* script;
    std::string answer;
  };
  const Case cases[] = {
      {"choose a file in the list", false, "key Tab\nkey End\nkey Enter", At("b.pdf")},
      {"type a name and Enter", false, "type \"A.PDF\"\nkey Enter", At("A.PDF")},
      {"the OK button", false, "type \"b.pdf\"\nclick id=1", At("b.pdf")},
      {"open a folder, then a file in it", false, "key Tab\nkey Down\nkey Down\nkey Enter\nkey Down\nkey Enter",
       At("zeta/inner.pdf")},
      {"a folder typed, then the parent row", false,
       "type \"zeta\"\nkey Enter\nkey Tab\nkey Home\nkey Enter\nkey Shift+Tab\ntype \"notes.txt\"\nkey Enter",
       At("notes.txt")},
      {"open wants an existing file", false, "type \"none.pdf\"\nkey Enter\nkey Esc", ""},
      {"save appends the default extension", true, "type \"nuevo\"\nkey Enter", At("nuevo.PDF")},
      {"save keeps a typed extension", true, "type \"nuevo.txt\"\nkey Enter", At("nuevo.txt")},
      {"a typed pattern filters, a name then answers", true, "type \"*.txt\"\nkey Enter\ntype \"x\"\nkey Enter",
       At("x.PDF")},
      {"save into a missing folder stays open", true, "type \"nada/nuevo\"\nkey Enter\nkey Esc", ""},
      {"save into a subfolder typed with the name", true, "type \"zeta/nuevo\"\nkey Enter", At("zeta/nuevo.PDF")},
      {"Esc cancels", true, "type \"nuevo\"\nkey Esc", ""},
      {"the Cancel button", true, "type \"nuevo\"\nclick id=2", ""},
      {"the close box", false, "close", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.Run(c.script);
    EXPECT_EQ(RunFileDialog(ws, Pdf(c.save)), c.answer);
    ASSERT_EQ(stall_report, "");
    EXPECT_EQ(d.input().remaining(), 0u);
    EXPECT_TRUE(ws.IsEnabled(top));
  }
}

TEST_F(FileDlgTest, AnInitialPatternFiltersAndAnInitialNameFillsTheField) {
  FileDlgRequest r = Pdf(false);
  r.initial_name = "*.txt";
  std::vector<std::string> rows;
  WhileOpen([&] { rows = Rows(kFileDlgList); });
  d.Run(Script().Wait(20).Key("Esc"));
  EXPECT_EQ(RunFileDialog(ws, r), "");
  EXPECT_EQ(rows, (std::vector<std::string>{"..", "[alpha]", "[zeta]", "notes.txt"}));

  r.initial_name = "b.pdf";
  d.Run("key Enter");
  EXPECT_EQ(RunFileDialog(ws, r), At("b.pdf"));
}

TEST_F(FileDlgTest, AMissingFolderListsNothingAndAnExhaustedScriptCancels) {
  FileDlgRequest r = Pdf(false);
  r.folder = At("missing");
  std::vector<std::string> rows;
  WhileOpen([&] { rows = Rows(kFileDlgList); });
  d.Run(Script().Wait(20));
  EXPECT_EQ(RunFileDialog(ws, r), "");
  EXPECT_EQ(rows, (std::vector<std::string>{".."}));
  EXPECT_TRUE(ws.stalled());
  EXPECT_NE(stall_report.find("FileDialog"), std::string::npos);
}

}  // namespace
}  // namespace plat::test
