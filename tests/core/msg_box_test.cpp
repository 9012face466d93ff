#include "core/msg_box.h"

#include <string>

#include "core/cp1252.h"
#include "core/dyn_strings.h"
#include "core/err_assert.h"
#include "core/err_register.h"
#include "core/log.h"
#include "core/msg_catalog.h"
#include "core/string_lists.h"
#include "platform/msgbox_headless.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using plat::MsgAnswer;
using plat::MsgButtons;
using plat::MsgIcon;

class MsgBoxTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    DynStrSet(sl::kSettings, sl::kLanguage, StrFromC("ES"));
    MsgBoxSetService(&box_);
  }
  const plat::MsgBoxLogEntry& Last() { return box_.log().back(); }
  plat::HeadlessMsgBox box_{plat::HeadlessMsgBox::Mode::kScripted, nullptr};
};

const std::string kInfoCaption(Cp1252("Solicitud de Información").view());

TEST_F(MsgBoxTest, KindsGiveButtonsIconsAndDefaultCaptions) {
  struct Case { int kind; MsgButtons buttons; MsgIcon icon; std::string caption; };
  const Case cases[] = {
      {0, MsgButtons::kOk, MsgIcon::kInformation, kInfoCaption},
      {1, MsgButtons::kOk, MsgIcon::kExclamation, "Mensaje Informativo"},
      {2, MsgButtons::kOkCancel, MsgIcon::kInformation, kInfoCaption},
      {3, MsgButtons::kOk, MsgIcon::kStop, "Alerta de Mensaje Fatal"},
      {4, MsgButtons::kRetryCancel, MsgIcon::kStop, "Mensaje Informativo"},
      {5, MsgButtons::kYesNo, MsgIcon::kInformation, kInfoCaption},
      {6, MsgButtons::kYesNoCancel, MsgIcon::kInformation, kInfoCaption},
      {9, MsgButtons::kOk, MsgIcon::kNone, kInfoCaption},
  };
  for (const Case& c : cases) {
    box_.Queue(MsgAnswer::kOk);
    MsgBox(StrFromC("texto"), StrPair{}, c.kind);
    EXPECT_EQ(Last().kind, c.kind);
    EXPECT_EQ(Last().style.buttons, c.buttons) << c.kind;
    EXPECT_EQ(Last().style.icon, c.icon) << c.kind;
    EXPECT_EQ(Last().caption, c.caption) << c.kind;
    EXPECT_EQ(Last().text, "texto");
  }
  box_.Queue(MsgAnswer::kOk);
  MsgBox(StrFromC("t"), StrFromC("Propio"), 3);
  EXPECT_EQ(Last().caption, "Propio");
}

TEST_F(MsgBoxTest, AnswersAreLettersOfMessage0011) {
  struct Case { MsgAnswer answer; uint16_t want; };
  const Case cases[] = {
      {MsgAnswer::kOk, 'S'},     {MsgAnswer::kYes, 'S'},    {MsgAnswer::kRetry, 'S'},
      {MsgAnswer::kNo, 'N'},     {MsgAnswer::kCancel, 3},   {MsgAnswer::kAbort, 3},
      {MsgAnswer::kIgnore, 3},   {MsgAnswer::kFailed, 0},
  };
  for (const Case& c : cases) {
    box_.Queue(c.answer);
    EXPECT_EQ(MsgBox(StrFromC("?"), StrPair{}, 6), c.want) << plat::MsgAnswerName(c.answer);
  }
}

TEST_F(MsgBoxTest, AnswerLettersFollowTheLanguageFile) {
  DynStrSet(sl::kSettings, sl::kLanguage, StrFromC("EN"));
  Put("KV_LANG_EN.MSJ", "0011 Yy,Nn\n0014 Question\n");
  box_.Queue(MsgAnswer::kYes);
  EXPECT_EQ(MsgBox(StrFromC("?"), StrPair{}, 5), 'Y');
  EXPECT_EQ(Last().caption, "Question");
  box_.Queue(MsgAnswer::kYes);
  EXPECT_EQ(MsgAskYesNo(StrFromC("Continue?")), 1);
  box_.Queue(MsgAnswer::kNo);
  EXPECT_EQ(MsgAskYesNo(StrFromC("Continue?")), 0);
}

TEST_F(MsgBoxTest, AskYesNo) {
  box_.Queue(MsgAnswer::kYes);
  EXPECT_EQ(MsgAskYesNo(StrFromC("Sobreescribir?")), 1);
  EXPECT_EQ(Last().kind, 5);
  EXPECT_EQ(Last().caption, kInfoCaption);
  box_.Queue(MsgAnswer::kNo);
  EXPECT_EQ(MsgAskYesNo(StrFromC("Sobreescribir?")), 0);
  box_.Queue(MsgAnswer::kFailed);
  EXPECT_EQ(MsgAskYesNo(StrFromC("Sobreescribir?")), 0);
}

TEST_F(MsgBoxTest, ErrorBoxShowsTheErrorTextAndEmptiesTheIncident) {
  LogSetPath(StrFromC("app.log"));  // element (9, 10), after the incident text
  box_.Queue(MsgAnswer::kOk);
  MsgErrorBox(kStCancelled);
  EXPECT_EQ(Last().kind, 1);
  EXPECT_EQ(Last().caption, "Mensaje Informativo");
  EXPECT_EQ(Last().text, "Cancelado por el usuario");

  ErrRecord(kModStreams, kStFileNotFound);
  ErrIncident(0, StrFromC("X.FD"), false);
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(MsgErrorBox(kStFileNotFound), 'S');
  EXPECT_EQ(Last().kind, 3);
  EXPECT_EQ(Last().style.icon, MsgIcon::kStop);
  EXPECT_EQ(Last().caption, "Alerta de Mensaje Fatal");
  EXPECT_EQ(Last().text, "Error Fichero no encontrado(Streams): X.FD");
  EXPECT_EQ(S(ErrIncidentText()), "");
  EXPECT_EQ(S(LogPath()), "app.log");  // the texts after the incident stay in place
  EXPECT_EQ(ErrLastCode(), kStFileNotFound);  // the register is kept
}

uint64_t Owner() { return 77; }
bool NoWindow() { return false; }
bool SomeWindow() { return true; }
int drops = 0;
void Drop() { ++drops; }

TEST_F(MsgBoxTest, OwnerAndPendingMessagesThroughTheWindowHooks) {
  drops = 0;
  MsgBoxSetHooks(MsgBoxHooks{&Owner, &NoWindow, &Drop});
  box_.Queue(MsgAnswer::kOk);
  MsgBox(StrFromC("a"), StrPair{}, 0);
  EXPECT_EQ(Last().owner, 77u);
  EXPECT_EQ(drops, 1);
  MsgBoxSetHooks(MsgBoxHooks{&Owner, &SomeWindow, &Drop});
  box_.Queue(MsgAnswer::kOk);
  MsgBox(StrFromC("a"), StrPair{}, 0);
  EXPECT_EQ(drops, 1);
}

TEST_F(MsgBoxTest, WithoutAServiceABoxTakesItsSafeAnswer) {
  MsgBoxSetService(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MsgBox(StrFromC("Recuperar?"), StrPair{}, 5), 'N');
  EXPECT_EQ(MsgBox(StrFromC("Aviso"), StrPair{}, 0), 'S');
  EXPECT_EQ(MsgBox(StrFromC("Seguir"), StrPair{}, 6), 3);
  // A question whose yes loses nothing is answered yes without a person.
  EXPECT_EQ(MsgAskYesNo(StrFromC("Reconstruir?"), true), 1);
  EXPECT_EQ(MsgAskYesNo(StrFromC("Borrar?")), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err,
            "Recuperar? -> No\nAviso\nSeguir -> Cancel\nReconstruir? -> Yes\nBorrar? -> No\n");
}

// A command that stopped on a status below 128 names the status and where
// it stopped; an error keeps its error text.
TEST_F(MsgBoxTest, StopBoxNamesTheStatusAndTheStatement) {
  struct Case {
    const char* what;
    Status code;
    const char* incident;
    int kind;
    std::string text;
  };
  const Case cases[] = {
      {"record status with the statement", 6, "Line: 12 (+ remmarks):\r\nRC_INSERT 'cuentas'", 1,
       std::string(Cp1252("Precaución: Clave Repetida (6): Line: 12 (+ remmarks):\r\nRC_INSERT 'cuentas'").view())},
      {"record status alone", 1, "", 1, std::string(Cp1252("Precaución: Clave no encontrada (1)").view())},
      {"informational status without a record meaning", 3, "Line: 4 (+ remmarks):\r\nWAIT KEY", 1,
       std::string(Cp1252("Precaución (3): Line: 4 (+ remmarks):\r\nWAIT KEY").view())},
      {"named warning", kStCancelled, "Line: 3 (+ remmarks):\r\nCHOICE x", 1,
       "Cancelado por el usuario (122): Line: 3 (+ remmarks):\r\nCHOICE x"},
      {"warning named by its incident", kStBadData, "Importe negativo", 1, "Importe negativo (126)"},
      {"error", kStSyntax, "Line: 2 (+ remmarks):\r\nFILESCAN( x", 3,
       "Error SINTAXERROR: Line: 2 (+ remmarks):\r\nFILESCAN( x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ErrSetLast(2, 0, 0, 0);
    ErrIncident(0, StrFromC(c.incident), false);
    box_.Queue(MsgAnswer::kOk);
    MsgStopBox(c.code);
    EXPECT_EQ(Last().kind, c.kind);
    EXPECT_EQ(Last().text, c.text);
    EXPECT_EQ(S(ErrIncidentText()), "");
  }
}

using MsgBoxDeathTest = MsgBoxTest;

TEST_F(MsgBoxDeathTest, FailedAssertionShowsTheStopBoxAndDies) {
  // The box of the dying child is written to standard error.
  MsgBoxSetService(nullptr);
  EXPECT_DEATH(ErrAssert(false, "WinRec"), "Assertion Fail: WinRec\n");
  std::string log = Get("assertions.log");
  EXPECT_NE(log.find("\r\nWinRec\r\n"), std::string::npos);
  EXPECT_EQ(log.substr(0, 29), std::string(29, '*'));
}

}  // namespace
}  // namespace eng::test
