#include "core/err_names.h"

#include <string>

#include "core/cp1252.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using ErrNamesTest = CoreTest;

TEST_F(ErrNamesTest, StatusNamesByNumber) {
  struct Case { Status code; std::string name; };
  const Case cases[] = {
      {122, "Cancelado por el usuario"}, {126, "Datos incorrectos"},   {127, "No hay datos"},
      {128, "Tipos Incompatibles"},      {132, std::string(Cp1252("Ejecución de Procedimiento").view())},
      {145, "OUTOFMEMORY"},              {146, "STRINGTOOLONG"},       {163, "de Datos"},
      {164, "Fichero no encontrado"},    {181, "Variable ScreenField"}, {183, "Datos Existentes"},
      {185, "Soporte Grafico Insuficiente"},
      // No name: 121, the gaps 182 and 184, anything past the list.
      {121, "Indefinido"}, {182, "Indefinido"}, {184, "Indefinido"}, {186, "Indefinido"},
      {0xFFFF, "Indefinido"}, {5, "Indefinido"},
  };
  for (const Case& c : cases) EXPECT_EQ(S(ErrCodeName(c.code)), c.name) << c.code;
  EXPECT_EQ(ErrCodeName(132).len, 26);  // "ó" is one byte
}

TEST_F(ErrNamesTest, ModuleNamesFromOne) {
  EXPECT_EQ(S(ErrModuleName(kModStringInit)), "STRINGINIT");
  EXPECT_EQ(S(ErrModuleName(kModMemAcums)), "Malloc-MemAcums");
  EXPECT_EQ(S(ErrModuleName(kModStreams)), "Streams");
  EXPECT_EQ(S(ErrModuleName(kModHtmlScan)), "HtmlScan");
  EXPECT_EQ(S(ErrModuleName(0)), "");
  EXPECT_EQ(S(ErrModuleName(23)), "");
}

TEST_F(ErrNamesTest, NameOfInformationalCodesAndOfTheRegister) {
  EXPECT_EQ(S(ErrName(0)), "Proceso Completado Satisfactoriamente");
  EXPECT_EQ(S(ErrName(5)), std::string(Cp1252("Precaución ").view()));
  EXPECT_EQ(S(ErrName(120)), std::string(Cp1252("Precaución ").view()));
  EXPECT_EQ(S(ErrName(-1)), "Indefinido");
  ErrRecord(kModStreams, kStFileNotFound);
  EXPECT_EQ(S(ErrName(-1)), "Fichero no encontrado");
}

TEST_F(ErrNamesTest, DetailCodesShowTheIncidentText) {
  EXPECT_EQ(S(ErrName(126)), "Datos incorrectos");
  EXPECT_EQ(S(ErrName(121)), "Indefinido");
  ErrIncident(0, StrOf("campo"), false);
  EXPECT_EQ(S(ErrName(126)), "campo");
  EXPECT_EQ(S(ErrName(121)), "campo");
  EXPECT_EQ(S(ErrName(127)), "No hay datos");
}

StrPair AppNames(Status code) { return code == kStFileNotFound ? StrFromC("File not found") : StrPair{}; }

TEST_F(ErrNamesTest, ApplicationMayNameTheStatuses) {
  AppFunctions app;
  app.error_name = &AppNames;
  AppFunctionsSet(app);
  EXPECT_EQ(S(ErrName(164)), "File not found");
  EXPECT_EQ(S(ErrName(145)), "Indefinido");
  EXPECT_EQ(S(ErrText(164)), "Error File not found");
  ErrIncident(0, StrOf("campo"), false);
  EXPECT_EQ(S(ErrName(126)), "campo");
}

TEST_F(ErrNamesTest, ErrorTextWithModuleAndIncident) {
  EXPECT_EQ(S(ErrText(145)), "Error OUTOFMEMORY");
  EXPECT_EQ(S(ErrText(122)), "Cancelado por el usuario");  // below 128: the name alone
  ErrRecord(kModStreams, kStFileNotFound);
  ErrIncident(0, StrOf("X.FD"), false);
  EXPECT_EQ(S(ErrText(164)), "Error Fichero no encontrado(Streams): X.FD");
  // The recorded module is shown whatever code the text is for.
  EXPECT_EQ(S(ErrText(130)), "Error Disco (I/O)(Streams): X.FD");
  EXPECT_EQ(S(ErrText(126)), "X.FD");
}

TEST_F(ErrNamesTest, IncidentTextIsNeverReadAsAFormat) {
  ErrRecord(kModDataFile, kStRead);
  ErrIncident(0, StrOf("%s%n%x%%"), false);
  EXPECT_EQ(S(ErrText(136)), "Error de Lectura(DataFile): %s%n%x%%");
}

TEST_F(ErrNamesTest, TextsLeaveOneEntryInTheArena) {
  uint16_t mark = ScratchMark(-1);
  ErrRecord(kModStreams, kStFileNotFound);
  ErrIncident(0, StrOf("a.txt"), false);
  StrPair t = ErrText(164);
  EXPECT_EQ(ScratchMark(-1), mark + 1);
  EXPECT_EQ(ScratchTop().ptr, t.ptr);
}

}  // namespace
}  // namespace eng::test
