#include "core/msg_catalog.h"

#include <string>

#include "core/cp1252.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "core/str_format.h"
#include "core/string_lists.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class MsgCatalogTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    Lang("ES");
  }
  static void Lang(const char* code) { DynStrSet(sl::kSettings, sl::kLanguage, StrFromC(code)); }
  static std::string L(const char* ref) { return S(MsgText(ref)); }
};

TEST_F(MsgCatalogTest, BuiltInTextsWithoutACatalogue) {
  EXPECT_EQ(L("0033"), "Recuerde sus Copias de Seguridad");
  EXPECT_EQ(L("0012"), "Mensaje Informativo");
  EXPECT_EQ(L("0069"), "");
  EXPECT_EQ(L("0000"), "");
  EXPECT_EQ(L("abcd"), "");
  EXPECT_EQ(L("1020"), "");  // no application table installed
  EXPECT_EQ(MsgCatalogCurrentState(), MsgCatalogState::kNone);
  EXPECT_EQ(MsgCatalogLoadStatus(), kOk);
  std::string menu = L("0110");
  EXPECT_EQ(menu, "'Informes','\tCrear Nuevo,[$]','\tInformes,[$]%APNAME%report.ppn'");
}

TEST_F(MsgCatalogTest, ReferenceCarriesItsOwnDefaultText) {
  EXPECT_EQ(L("0031 Proceso no definido"), "Proceso no definido");
  EXPECT_EQ(L("0004 Otro texto"), "Otro texto");  // not the built-in "Fichero no encontrado:%s"
  EXPECT_EQ(L("0004 "), "");
  EXPECT_EQ(L("0000 texto"), "");  // number 0 has no text of its own
}

StrPair AppTexts(StrPair number) {
  if (number == "1002") return StrFromC("Asiento Predefinido");
  return StrPair{};
}

TEST_F(MsgCatalogTest, ApplicationTextsFromOneThousand) {
  AppFunctions app;
  app.message_text = &AppTexts;
  AppFunctionsSet(app);
  EXPECT_EQ(L("1002"), "Asiento Predefinido");
  EXPECT_EQ(L("1004"), "");
  EXPECT_EQ(L("0033"), "Recuerde sus Copias de Seguridad");
}

TEST_F(MsgCatalogTest, LanguageFileReplacesTexts) {
  Put("KV_LANG_ES.MSJ",
      "0005 Cinco\r\n"
      "0007 Siete\\nLinea\r\n"
      "# a comment line\r\n"
      "0008 Ocho\r\n"
      "1020 X,Y\r\n");
  EXPECT_EQ(L("0006"), "");                   // a gap inside the range
  EXPECT_EQ(MsgCatalogCurrentState(), MsgCatalogState::kLoaded);
  EXPECT_EQ(L("0005"), "Cinco");
  EXPECT_EQ(L("0007"), "Siete\r\nLinea");
  EXPECT_EQ(L("0008"), "Ocho");
  EXPECT_EQ(L("1020"), "X,Y");                // a second range far from the first
  EXPECT_EQ(L("0004"), "Fichero no encontrado:%s");  // outside every range: built in
  EXPECT_EQ(L("0031 Proceso no definido"), "Proceso no definido");
  EXPECT_EQ(L("0006 Seis"), "");              // the loaded catalogue wins, even empty
  EXPECT_EQ(S(DynStrGet(sl::kWork, sl::kCatalogText)), "CincoSiete\r\nLineaOchoX,Y");
}

TEST_F(MsgCatalogTest, LookedForOnceAndResetLooksAgain) {
  EXPECT_EQ(L("0033"), "Recuerde sus Copias de Seguridad");
  Put("KV_LANG_ES.MSJ", "0033 No olvide las copias\r\n");
  EXPECT_EQ(L("0033"), "Recuerde sus Copias de Seguridad");  // not looked for again
  MsgCatalogReset();
  EXPECT_EQ(L("0033"), "No olvide las copias");
}

TEST_F(MsgCatalogTest, AnyLanguageFileServesWithoutALanguage) {
  Lang("");
  Put("KV_LANG_FR.MSJ", "0012 Message d'information\n");
  Put("KV_LANG_DE.MSJ", "0012 Hinweis\n");
  EXPECT_EQ(L("0012"), "Hinweis");  // the first in name order
}

TEST_F(MsgCatalogTest, ApplicationFolderFirstThenCurrentFolder) {
  std::filesystem::create_directory("app");
  DynStrSet(sl::kSettings, sl::kAppFolder, StrFromC("app"));
  Put("KV_LANG_ES.MSJ", "0012 Del directorio actual\n");
  Put("app/kv_lang_es.msj", "0012 De la aplicacion\n");
  EXPECT_EQ(L("0012"), "De la aplicacion");
  std::filesystem::remove("app/kv_lang_es.msj");
  MsgCatalogReset();
  EXPECT_EQ(L("0012"), "Del directorio actual");
}

TEST_F(MsgCatalogTest, OutOfOrderLinesAreSkipped) {
  Put("KV_LANG_ES.MSJ", "0010 Diez\n0005 Cinco\n0012 Doce\n");
  EXPECT_EQ(MsgCatalogLoad(), kStAtypical);
  EXPECT_EQ(L("0010"), "Diez");
  EXPECT_EQ(L("0011"), "");
  EXPECT_EQ(L("0012"), "Doce");
  EXPECT_EQ(L("0005"), "Proceso Completado Satisfactoriamente");
}

TEST_F(MsgCatalogTest, MalformedFilesLeaveTheBuiltInTexts) {
  struct Case { std::string language; std::string file; std::string bytes; Status want; };
  std::string many;
  for (int i = 1; i <= 256; ++i) many += "0" + std::to_string(100 + i) + " t\r\n";
  const Case cases[] = {
      {"ESPA", "", "", kStStringTooLong},        // "KV_LANG_ESPA.MSJ" is 16 characters
      {"../", "", "", kStBadData},               // a language code is no path
      {"ES", "KV_LANG_ES.MSJ", many, kStDataOutBound},
      {"ES", "KV_LANG_ES.MSJ", "0012 " + std::string(70000, 'x') + "\n", kStStringTooLong},
      {"ES", "KV_LANG_ES.MSJ", "0012 " + std::string(62000, 'x') + "\n", kStStrOutBound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language + " " + std::to_string(c.want));
    MsgCatalogReset();
    Lang(c.language.c_str());
    if (!c.file.empty()) Put(c.file, c.bytes);
    EXPECT_EQ(MsgCatalogLoad(), c.want);
    EXPECT_EQ(MsgCatalogCurrentState(), MsgCatalogState::kNone);
    EXPECT_EQ(MsgCatalogLoadStatus(), c.want);
    EXPECT_EQ(L("0012"), "Mensaje Informativo");
    EXPECT_EQ(L("0101"), "Contados %s registros en %s");
  }
}

TEST_F(MsgCatalogTest, AFileOf255LinesStillLoads) {
  std::string lines;
  for (int i = 1; i <= 255; ++i) lines += (i < 10 ? "000" : i < 100 ? "00" : "0") + std::to_string(i) + " m" + std::to_string(i) + "\n";
  Put("KV_LANG_ES.MSJ", lines);
  EXPECT_EQ(MsgCatalogLoad(), kOk);
  EXPECT_EQ(L("0001"), "m1");
  EXPECT_EQ(L("0255"), "m255");
  EXPECT_EQ(L("0256"), "");  // past the range: the built-in table has no 0256
}

TEST_F(MsgCatalogTest, AddOf256LinesOrNoneRemovesThemAndAddsNothing) {
  for (int i = 0; i < 256; ++i) DynStrPush(sl::kLineQueue, StrFromC("0012 x"));
  EXPECT_EQ(MsgCatalogAdd(256), kOk);
  EXPECT_EQ(DynStrCount(sl::kLineQueue), 0);
  EXPECT_EQ(StrError(MsgCatalogText(12)), kStNoData);
  EXPECT_EQ(MsgCatalogAdd(0), kOk);
}

TEST_F(MsgCatalogTest, CatalogueTextsAreNotRunAsFormats) {
  Put("KV_LANG_ES.MSJ", "0101 %n%s%s%s%x%p\n");
  StrPair text = MsgText("0101");
  EXPECT_EQ(S(text), "%n%s%s%s%x%p");
  EXPECT_EQ(S(StrFormat(200, text, {"a"})), "%na%x%p");
}

TEST_F(MsgCatalogTest, AddTakesLinesFromTheQueue) {
  DynStrPush(sl::kLineQueue, StrFromC("0020 Veinte"));
  DynStrPush(sl::kLineQueue, StrFromC("0022 Veintidos"));
  DynStrPush(sl::kLineQueue, StrFromC("left for another reader"));
  EXPECT_EQ(MsgCatalogAdd(2), kOk);
  EXPECT_EQ(DynStrCount(sl::kLineQueue), 1);
  EXPECT_EQ(S(MsgCatalogText(20)), "Veinte");
  EXPECT_EQ(S(MsgCatalogText(21)), "");
  EXPECT_EQ(S(MsgCatalogText(22)), "Veintidos");
  EXPECT_EQ(StrError(MsgCatalogText(23)), kStNoData);
  EXPECT_EQ(StrError(MsgCatalogText(19)), kStNoData);
}

TEST_F(MsgCatalogTest, LoadLeavesTheLineQueueAlone) {
  DynStrPush(sl::kLineQueue, StrFromC("0001 a line of a procedure being read"));
  Put("KV_LANG_ES.MSJ", "0012 Aviso\n");
  EXPECT_EQ(L("0012"), "Aviso");
  EXPECT_EQ(DynStrCount(sl::kLineQueue), 1);
}

TEST_F(MsgCatalogTest, LanguageIndexAndFileNames) {
  EXPECT_EQ(MsgLangIndex(), 2);
  EXPECT_EQ(S(MsgLangFileName(StrFromC("ayuda.HLP"), -1)), "ayuda_es.HLP");
  EXPECT_EQ(S(MsgLangFileName(StrFromC("c:\\a.b\\ayuda.HLP"), 1)), "c:\\a.b\\ayuda_en.HLP");
  EXPECT_EQ(S(MsgLangFileName(StrFromC("dir/ayuda.tar.gz"), 5)), "dir/ayuda_it.tar.gz");
  EXPECT_EQ(S(MsgLangFileName(StrFromC("ayuda"), 3)), "ayuda_fr");
  EXPECT_EQ(S(MsgLangFileName(StrFromC("ayuda.HLP"), 0)), "ayuda.HLP");
  EXPECT_EQ(S(MsgLangFileName(StrFromC("ayuda.HLP"), 6)), "ayuda.HLP");
  Lang("PT");
  EXPECT_EQ(MsgLangIndex(), 0);
  EXPECT_EQ(S(MsgLangFileName(StrFromC("ayuda.HLP"), -1)), "ayuda.HLP");
  Lang("DE");
  EXPECT_EQ(MsgLangIndex(), 4);
}

}  // namespace
}  // namespace eng::test
