// The file dialog of definition files: what each kind proposes, choosing a
// file with the current folder left where it was, cancelling, over-long
// paths, and the folder browser.
#include "ui/file_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

// A literal with its NUL bytes.
template <size_t N>
std::string Bytes(const char (&s)[N]) {
  return std::string(s, N - 1);
}

class FileDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
  }
  std::string Select(bool save, uint16_t flags) {
    ScratchScope scope;
    return FileDlgSelect(save, flags).str();
  }
  std::string At(const std::string& rel) const { return (dir_ / rel).lexically_normal().string(); }
};

TEST_F(FileDialogTest, EachKindProposesItsFilterNameAndExtension) {
  struct Case {
    uint16_t flags;
    std::string filter_bytes;
    std::string initial;
    std::string ext;
  };
  const std::string pdf = Bytes("Ficheros PDF (*.PDF)\0*.PDF\0Todos (*.*)\0*.*\0\0");
  const std::string dat = Bytes("Ficheros de Estructura (*.DAT)\0*.DAT\0Todos (*.*)\0*.*\0\0");
  const Case cases[] = {
      {0x87, pdf, "*.PDF", "PDF"},
      {0xC7, pdf, "PL*.PDF", "PDF"},
      {1, dat, "??DICC.DAT", "DAT"},
      {0x41, dat, "PLDICC.DAT", "DAT"},
      {0x46, Bytes("Ficheros de Men\xFA (*.PPN)\0*.PPN\0Todos (*.*)\0*.*\0\0"), "PLMENU.PPN", "PPN"},
      {6, Bytes("Ficheros de Men\xFA (*.PPN)\0*.PPN\0Todos (*.*)\0*.*\0\0"), "??MENU.PPN", "PPN"},
      {10, dat, "*.DAT", "DAT"},
      {0x44, Bytes("Ficheros de Procedimientos (*.PRX)\0*.PRX\0Todos (*.*)\0*.*\0\0"), "PL*.PRX", "PRX"},
      {9, Bytes("Todos (*.*)\0*.*\0\0"), "", ""},
      {0, Bytes("Todos (*.*)\0*.*\0\0"), "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    const FileDlgKindSpec spec = FileDlgSpecOf(c.flags);
    EXPECT_EQ(FileDlgFilterBytes(StrOf(spec.filter)), c.filter_bytes);
    EXPECT_EQ(spec.initial, c.initial);
    EXPECT_EQ(spec.ext, c.ext);
  }
}

TEST_F(FileDialogTest, ChoosingAFileNeverMovesTheCurrentFolder) {
  Put("A.PDF", "x");
  Put("notes.txt", "x");
  fs::create_directories("sub");
  Put("sub/inner.pdf", "x");
  const fs::path here = fs::current_path();
  struct Case {
    const char* what;
    bool save;
    uint16_t flags;
    const char* script;
    std::string answer;
  };
  const Case cases[] = {
      {"a typed name, open", false, 0x87, "type \"A.PDF\"\nkey Enter", At("A.PDF")},
      {"into a folder and a file there", false, 0x07, "type \"sub\"\nkey Enter\ntype \"inner.pdf\"\nkey Enter",
       At("sub/inner.pdf")},
      {"into a folder and a file there, flag 0x80", false, 0x87,
       "type \"sub\"\nkey Enter\ntype \"inner.pdf\"\nkey Enter", At("sub/inner.pdf")},
      {"save gets the kind's extension", true, 0x87, "type \"nuevo\"\nkey Enter", At("nuevo.PDF")},
      {"every file with kind 8's second filter", false, 0x08, "type \"notes.txt\"\nkey Enter", At("notes.txt")},
      {"Esc", false, 0x87, "key Esc", ""},
      {"Esc after changing folder", false, 0x07, "type \"sub\"\nkey Enter\nkey Esc", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    d.Run(c.script);
    EXPECT_EQ(Select(c.save, c.flags), c.answer);
    EXPECT_EQ(fs::current_path(), here);
    EXPECT_EQ(d.input().remaining(), 0u);
    EXPECT_TRUE(d.ws().TopLevels().empty());
  }
  EXPECT_EQ(stall, "");
}

TEST_F(FileDialogTest, APathBeyondTheNameBufferIsNoAnswer) {
  const std::string folder(200, 'a');
  fs::create_directories(folder);
  // The shortest name that makes the path 384 characters, and one less.
  const size_t base = At(folder + "/").size();
  const std::string too_long = std::string(384 - base - 4, 'b') + ".PDF";
  const std::string fits = std::string(383 - base - 4, 'c') + ".PDF";
  Put(folder + "/" + too_long, "x");
  Put(folder + "/" + fits, "x");
  d.Run("type \"" + folder + "/" + too_long + "\"\nkey Enter");
  EXPECT_EQ(Select(false, 7), "");
  d.Run("type \"" + folder + "/" + fits + "\"\nkey Enter");
  EXPECT_EQ(Select(false, 7), At(folder + "/" + fits));
  EXPECT_EQ(At(folder + "/" + fits).size(), 383u);
}

TEST_F(FileDialogTest, TheFolderBrowserAnswersTheFolderShownOrNothing) {
  fs::create_directories("copias/dia1");
  {
    ScratchScope scope;
    d.Run(plat::Script().Click(1));
    EXPECT_EQ(FileDlgChooseFolder(StrOf(At("copias")), StrOf("Escoja")).str(), At("copias"));
  }
  d.Run(plat::Script().Key("Esc"));
  ScratchScope scope;
  EXPECT_EQ(FileDlgChooseFolder(StrOf(At("copias")), StrOf("Escoja")).str(), "");
  EXPECT_EQ(stall, "");
}

}  // namespace
}  // namespace eng::test
