#include "platform/msgbox_headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace plat {
namespace {

MsgBoxRequest Box(int kind, std::string_view text = "t") {
  MsgBoxRequest r;
  r.caption = "c";
  r.text = text;
  r.kind = kind;
  r.style = MsgBoxKindStyle(kind);
  return r;
}

TEST(MsgBoxKinds, ButtonsAndIconsByKind) {
  struct Case { int kind; MsgButtons buttons; MsgIcon icon; };
  const Case cases[] = {
      {0, MsgButtons::kOk, MsgIcon::kInformation},          {1, MsgButtons::kOk, MsgIcon::kExclamation},
      {2, MsgButtons::kOkCancel, MsgIcon::kInformation},    {3, MsgButtons::kOk, MsgIcon::kStop},
      {4, MsgButtons::kRetryCancel, MsgIcon::kStop},        {5, MsgButtons::kYesNo, MsgIcon::kInformation},
      {6, MsgButtons::kYesNoCancel, MsgIcon::kInformation}, {9, MsgButtons::kOk, MsgIcon::kNone},
      {-1, MsgButtons::kOk, MsgIcon::kNone},
  };
  for (const Case& c : cases) {
    MsgBoxStyle s = MsgBoxKindStyle(c.kind);
    EXPECT_EQ(s.buttons, c.buttons) << c.kind;
    EXPECT_EQ(s.icon, c.icon) << c.kind;
  }
}

TEST(HeadlessMsgBox, ScriptedAnswersInOrderAndLogged) {
  HeadlessMsgBox box(HeadlessMsgBox::Mode::kScripted, nullptr);
  box.Queue(MsgAnswer::kYes);
  box.Queue(MsgAnswer::kFailed);
  MsgBoxRequest r = Box(5, "\xBF" "Continuar?");
  r.owner = 42;
  EXPECT_EQ(box.Show(r), MsgAnswer::kYes);
  EXPECT_EQ(box.Show(Box(0)), MsgAnswer::kFailed);
  ASSERT_EQ(box.log().size(), 2u);
  EXPECT_EQ(box.log()[0].text, "\xBF" "Continuar?");
  EXPECT_EQ(box.log()[0].caption, "c");
  EXPECT_EQ(box.log()[0].kind, 5);
  EXPECT_EQ(box.log()[0].style.buttons, MsgButtons::kYesNo);
  EXPECT_EQ(box.log()[0].owner, 42u);
  EXPECT_EQ(box.log()[1].answer, MsgAnswer::kFailed);
  EXPECT_EQ(box.pending(), 0u);
}

TEST(HeadlessMsgBoxDeathTest, ABoxWithoutAnAnswerStopsTheRun) {
  EXPECT_DEATH(
      {
        HeadlessMsgBox box;
        box.Show(Box(3, "Fallo"));
      },
      "Fallo.*no scripted answer left");
}

std::string ReadAll(std::FILE* f) {
  std::rewind(f);
  std::string written;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) written.append(buf, n);
  return written;
}

TEST(HeadlessMsgBox, BatchModeAnswersTheSafeDefaultOnStandardError) {
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  HeadlessMsgBox box(HeadlessMsgBox::Mode::kBatch, err);
  const std::pair<int, MsgAnswer> cases[] = {
      {0, MsgAnswer::kOk},     {1, MsgAnswer::kOk}, {2, MsgAnswer::kCancel}, {3, MsgAnswer::kOk},
      {4, MsgAnswer::kCancel}, {5, MsgAnswer::kNo}, {6, MsgAnswer::kCancel}, {9, MsgAnswer::kOk},
  };
  for (auto [kind, want] : cases) EXPECT_EQ(box.Show(Box(kind)), want) << kind;
  EXPECT_EQ(box.log().size(), 8u);
  // The request's unattended answer counts only where the box offers it.
  MsgBoxRequest yes = Box(5, "Recuperaci\xF3n");
  yes.unattended = MsgAnswer::kYes;
  EXPECT_EQ(box.Show(yes), MsgAnswer::kYes);
  MsgBoxRequest retry = Box(2);
  retry.unattended = MsgAnswer::kRetry;
  EXPECT_EQ(box.Show(retry), MsgAnswer::kCancel);
  std::string written = ReadAll(err);
  std::fclose(err);
  EXPECT_NE(written.find("t\nt\nt -> Cancel\nt\nt -> Cancel\nt -> No\nt -> Cancel\nt\n"), std::string::npos)
      << written;
  EXPECT_NE(written.find("\nRecuperaci\xC3\xB3n -> Yes\n"), std::string::npos) << written;
}

// What a person reads: the program, the caption only when the caller chose
// it (or nothing else is there), the text's lines, the answer of a choice.
TEST(HeadlessMsgBox, BatchBoxesAreWrittenAsAPersonReadsThem) {
  struct Case {
    const char* what;
    int kind;
    std::string_view caption;
    bool own_caption;
    std::string_view text;
    std::string line;
  };
  const Case cases[] = {
      {"error", 3, "Alerta de Mensaje Fatal", false, "Error Fichero no encontrado(DataFile): PLDICC.DAT",
       "pelmora: Error Fichero no encontrado(DataFile): PLDICC.DAT\n"},
      {"lines of an incident, trailing blanks dropped", 1, "Mensaje Informativo", false,
       "Precauci\xF3n  (5): Line: 12 (+ remmarks):\r\nRC_INSERT 'cuentas'\r\n\r\nLine: 19\nCALL X ",
       "pelmora: Precauci\xC3\xB3n  (5): Line: 12 (+ remmarks):\n  RC_INSERT 'cuentas'\n  Line: 19\n  CALL X\n"},
      {"caller's caption", 3, "Assertion Fail", true, "WinRec", "pelmora: Assertion Fail: WinRec\n"},
      {"empty text shows the caption", 1, "Mensaje Informativo ", false, "", "pelmora: Mensaje Informativo\n"},
      {"question", 5, "Solicitud", false, "\xBFSeguir?", "pelmora: \xC2\xBFSeguir? -> No\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::FILE* err = std::tmpfile();
    ASSERT_NE(err, nullptr);
    HeadlessMsgBox box(HeadlessMsgBox::Mode::kBatch, err, "pelmora");
    MsgBoxRequest r = Box(c.kind, c.text);
    r.caption = c.caption;
    r.own_caption = c.own_caption;
    box.Show(r);
    EXPECT_EQ(ReadAll(err), c.line);
    std::fclose(err);
  }
}

TEST(HeadlessMsgBox, Cp1252ToUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("a\xF1\x80\x81"), "a\xC3\xB1\xE2\x82\xAC\xEF\xBF\xBD");
}

}  // namespace
}  // namespace plat
