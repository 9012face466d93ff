#include "core/help.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/cmd_line.h"
#include "core/cp1252.h"
#include "core/dyn_strings.h"
#include "core/menu_pmt.h"
#include "core/msg_box.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "platform/msgbox_headless.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

struct Viewed {
  std::string file;
  uint16_t viewer;
};
std::vector<Viewed> g_viewed;

Status FakeViewer(StrPair file, uint16_t viewer) {
  g_viewed.push_back({file.str(), viewer});
  return 0;
}

class HelpTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    g_viewed.clear();
    MsgBoxSetService(&box_);
    fs::create_directories("app");
    fs::create_directories("help");
    Set(sl::kIdentity, "PLMRQV13");
    Set(sl::kLanguage, "ES");
    Set(sl::kAppFolder, Dir() + "/app");
    Set(sl::kHelpFolder, Dir() + "/help");
    HelpSetViewer(&FakeViewer);
  }
  static void Set(uint16_t element, const std::string& text) {
    ASSERT_EQ(DynStrSet(sl::kSettings, element, StrOf(text)), kOk);
  }
  std::string Dir() const { return dir_.string(); }
  static std::string Find(const std::string& name) { return S(HelpFindFile(StrOf(name))); }
  plat::HeadlessMsgBox box_{plat::HeadlessMsgBox::Mode::kScripted, nullptr};
};

TEST_F(HelpTest, FindsHelpFilesAlongTheFoldersAndByLanguage) {
  Put("help/PLHELP.HLP", "x");
  Put("app/guide_es.hlp", "x");
  Put("local.hlp", "x");
  EXPECT_EQ(Find(""), Dir() + "/help/PLHELP.HLP");
  EXPECT_EQ(Find("plhelp.hlp"), Dir() + "/help/plhelp.hlp");
  EXPECT_EQ(Find("guide.hlp"), Dir() + "/app/guide_es.hlp");
  EXPECT_EQ(Find("local.hlp"), Dir() + "/local.hlp");
  EXPECT_EQ(Find("none.hlp"), "");
}

TEST_F(HelpTest, IndexOpensInTheBrowserOrSaysItIsMissing) {
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(HelpOpenIndex(StrOf("PL")), kOk);
  EXPECT_TRUE(g_viewed.empty());
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].text, "Pagina de Ayuda no definida\r\nindex.html");
  EXPECT_EQ(box_.log()[0].caption, Cp1252("Páginas de Ayuda").view());

  Put("app/index.html", "x");
  EXPECT_EQ(HelpOpenIndex(StrOf("PL")), kOk);
  Put("help/PLindex.html", "x");
  EXPECT_EQ(HelpOpenIndex(StrOf("PL")), kOk);
  ASSERT_EQ(g_viewed.size(), 2u);
  EXPECT_EQ(g_viewed[0].file, "\"" + Dir() + "/app/index.html\"");
  EXPECT_EQ(g_viewed[0].viewer, 2);
  EXPECT_EQ(g_viewed[1].file, "\"" + Dir() + "/help/PLindex.html\"");

  HelpSetViewer(nullptr);
  EXPECT_EQ(HelpOpenIndex(StrOf("PL")), kStNotAvailable);
}

TEST_F(HelpTest, HelpCommandChoosesOnlineHelpIndexOrAbout) {
  Put("help/PLindex.html", "x");
  EXPECT_EQ(HelpCommand(StrPair{}), kOk);
  Set(sl::kIdentity, "PLMRQV13:Norvique");
  EXPECT_EQ(HelpCommand(StrPair{}), kOk);
  ASSERT_EQ(g_viewed.size(), 2u);
  EXPECT_EQ(g_viewed[0].file, "\"" + Dir() + "/help/PLindex.html\"");
  EXPECT_EQ(g_viewed[1].file, "\"https://help.example.com/manuals/Norvique\"");

  // Without an About template the box is empty under its caption.
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(HelpCommand(StrOf("x")), kOk);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].caption, "Acerca de");
  EXPECT_EQ(box_.log()[0].text, "");
}

TEST_F(HelpTest, AboutBoxFillsTheCataloguesTemplate) {
  Put("KV_LANG_ES.MSJ", "0075 Sobre\n0076 %s|%s|%s|%s|%s|%s|%s|%s|%s\n");
  ASSERT_EQ(CmdLineStore(StrOf("\"/opt/pl/pelmora\" /TRACE:1")), kOk);
  Set(sl::kTitle, "Pelmora");
  Set(sl::kDocsFolder, "/home/u/docs");
  SysVarSet(kVarPrecis, 2);
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(HelpCommand(StrOf("x")), kOk);
  ASSERT_EQ(box_.log().size(), 1u);
  EXPECT_EQ(box_.log()[0].caption, "Sobre");
  EXPECT_EQ(box_.log()[0].text, "2017|Pelmora|2.20||ES|2|1700|/opt/pl/pelmora|" + Dir() + "/app");
}

TEST_F(HelpTest, HelpEntriesFromDefinitionLines) {
  Put("help/PLHELP.HLP",
      "01 Caption one\n01 Line A\n02 Other\n01 Line B\n");
  // Keys above 100 are read with four digits.
  Put("app/BIG.HLP", "0150 Big caption\n0151 Other\n0150 Big text\n");
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(HelpShowEntry(StrOf("PLHELP.HLP,1")), kOk);
  box_.Queue(plat::MsgAnswer::kOk);
  EXPECT_EQ(HelpShowEntry(StrOf("BIG.HLP,150")), kOk);
  ASSERT_EQ(box_.log().size(), 2u);
  EXPECT_EQ(box_.log()[0].caption, "Caption one");
  EXPECT_EQ(box_.log()[0].text, "Line A\r\nLine B");
  EXPECT_EQ(box_.log()[1].caption, "Big caption");
  EXPECT_EQ(box_.log()[1].text, "Big text");

  EXPECT_EQ(HelpShowEntry(StrOf("PLHELP.HLP,3")), kStFileNotFound);
  EXPECT_EQ(HelpShowEntry(StrOf("NONE.HLP,1")), kStFileNotFound);
  EXPECT_EQ(box_.log().size(), 2u);
  EXPECT_EQ(DynStrCount(37), 0);
}

TEST_F(HelpTest, MenuBarFileItemsWithLevels) {
  Put("app/plmenu.pmt", "Archivo\n\tAbrir,MantMain x\n\tSalir,Exit\n\t\tMore\nAyuda\n");
  ASSERT_EQ(MenuPmtOpen(StrOf("PLMENU,2")), 5);
  struct Expect {
    uint16_t level;
    int32_t change;
    const char* text;
    bool command;
  } expected[] = {
      {0, 0, "Archivo", false},
      {1, 1, "Abrir,MantMain x", true},
      {1, 0, "Salir,Exit", true},
      {2, 1, "More", false},
      {0, -2, "Ayuda", false},
  };
  MenuPmtItem item = MenuPmtSplitLine();
  for (const Expect& e : expected) {
    ASSERT_TRUE(item.present) << e.text;
    EXPECT_EQ(item.level, e.level) << e.text;
    EXPECT_EQ(item.level_change, e.change) << e.text;
    EXPECT_EQ(S(item.text), e.text);
    EXPECT_EQ(item.has_command, e.command) << e.text;
    item = MenuPmtNext();
  }
  EXPECT_FALSE(item.present);
  EXPECT_FALSE(MenuPmtNext().present);
  EXPECT_EQ(MenuPmtOpen(StrOf("NOMENU")), 65535);
}

}  // namespace
}  // namespace eng::test
