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
  box.Show(Box(5, "Recuperaci\xF3n"));
  std::rewind(err);
  std::string written;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, err)) > 0) written.append(buf, n);
  std::fclose(err);
  EXPECT_NE(written.find("Recuperaci\xC3\xB3n | kind 5, Yes and No, icon information | answered No\n"),
            std::string::npos)
      << written;
}

TEST(HeadlessMsgBox, Cp1252ToUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("a\xF1\x80\x81"), "a\xC3\xB1\xE2\x82\xAC\xEF\xBF\xBD");
}

}  // namespace
}  // namespace plat
