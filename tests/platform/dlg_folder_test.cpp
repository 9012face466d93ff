// The folder browser: the start folder shown, folders opened and left, the
// answer of OK, cancel.
#include "platform/dlg_folder.h"
#include "tests/platform/dlg_fixture.h"

namespace plat::test {
namespace {

class FolderDlgTest : public DlgTest {
 protected:
  void SetUp() override {
    DlgTest::SetUp();
    Folder("copias/2024");
    Folder("copias/2023");
    Folder("datos");
    Put("copias/leeme.txt");
  }
  FolderDlgRequest Start(const std::string& rel) {
    FolderDlgRequest r;
    r.title = "Carpeta de copia";
    r.prompt = "Elija la carpeta";
    r.start = At(rel);
    r.owner = top;
    return r;
  }
};

TEST_F(FolderDlgTest, ShowsTheStartFolderWithItsSubfoldersOnly) {
  std::vector<std::string> rows;
  std::string shown, caption;
  WhileOpen([&] {
    rows = Rows(kFolderDlgList);
    shown = ws.GetText(ws.FindChild(ws.Active(), kFolderDlgPath));
    caption = ws.GetText(ws.Active());
  });
  d.Run(Script().Wait(20).Key("Esc"));
  EXPECT_EQ(RunFolderDialog(ws, Start("copias")), "");
  EXPECT_EQ(rows, (std::vector<std::string>{"..", "[2023]", "[2024]"}));
  EXPECT_EQ(shown, At("copias"));
  EXPECT_EQ(caption, "Carpeta de copia");
  EXPECT_TRUE(ws.IsEnabled(top));
  EXPECT_EQ(ws.Focus(), e1);
}

TEST_F(FolderDlgTest, AnswersFromTheScript) {
  struct Case {
    const char* what;
    const char* start;
    const char* script;
    std::string answer;
  };
  const Case cases[] = {
      {"OK keeps the start folder", "copias", "click id=1", At("copias")},
      {"a trailing slash is dropped", "copias/", "click id=1", At("copias")},
      {"open a subfolder, then OK", "copias", "key End\nkey Enter\nkey Tab\nkey Enter", At("copias/2024")},
      {"up to the parent, then into another", "copias", "key Enter\nkey End\nkey Enter\nclick id=1", At("datos")},
      {"Esc", "copias", "key Down\nkey Enter\nkey Esc", ""},
      {"the Cancel button by keys", "datos", "key Tab\nkey Tab\nkey Enter", ""},
      {"the close box", "datos", "close", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.Run(c.script);
    EXPECT_EQ(RunFolderDialog(ws, Start(c.start)), c.answer);
    ASSERT_EQ(stall_report, "");
    EXPECT_EQ(d.input().remaining(), 0u);
  }
}

TEST_F(FolderDlgTest, AnEmptyStartIsTheCurrentFolder) {
  FolderDlgRequest r = Start("");
  r.start.clear();
  d.Run("click id=1");
  EXPECT_EQ(RunFolderDialog(ws, r), std::filesystem::current_path().lexically_normal().string());
}

}  // namespace
}  // namespace plat::test
