// The heads of both programs in-process: their message tables and how a
// number is routed to a table, status names, the default language, the
// module file tables, the accounting field names, the phases and the routing
// of the verbs the programs take themselves.
#include <gtest/gtest.h>

#include <string>

#include "apps/pelmora/pelmora_head.h"
#include "apps/truvesca/truvesca_head.h"
#include "core/cp1252.h"
#include "core/dyn_strings.h"
#include "core/engine_messages.h"
#include "core/err_names.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "core/msg_catalog.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/dict_load.h"
#include "data/session_state.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

std::string Txt(StrPair p) { return p.ok() ? p.str() : "<fail>"; }

class HeadsTest : public TempFolderTest {};

TEST_F(HeadsTest, MessageTextRoutesEachNumberToItsTable) {
  struct Case {
    const char* number;
    std::string pelmora;
    std::string truvesca;
  };
  const Case cases[] = {
      {"1001", "Eliminar Asiento Completo?", std::string(Cp1252("Nº de Factura existente. Cambie el Número").view())},
      {"1002", std::string(Cp1252("Asiento Predefinido. Inserción no permitida").view()),
       "Datos en Registro no encontrados"},
      {"1003", std::string(Cp1252("Asiento existente. ¿Continuar?").view()),
       std::string(Cp1252("Datos redundantes. %s registros identicos. ¿Confirmar Anulación?").view())},
      {"1011", ";%-15s   %10s   %10s   %10s", std::string(Cp1252("NºFACTURA,SERIE,CLIENTE").view())},
      {"1012", "'(%s)';_#(%s)=%s", "ALBARA_VENTAS,REGISTRO,VENCIMIENTOS"},
      // Numbers without an entry, and texts that are no four-digit number.
      {"1004", "", ""},
      {"1000", "", ""},
      {"0000", "", ""},
      {"100", "", ""},
      {"10a1", "", ""},
      // The engine's tables, by where the number falls.
      {"0039", Txt(EngineMessageText(39)), Txt(EngineMessageText(39))},
      {"0040", Txt(EngineMessageText(40)), Txt(EngineMessageText(40))},
      {"0088", Txt(EngineMessageText(88)), Txt(EngineMessageText(88))},
      {"0089", Txt(EngineMessageText(89)), Txt(EngineMessageText(89))},
      {"0999", Txt(EngineMessageText(999)), Txt(EngineMessageText(999))},
      {"0031", "Proceso no definido", "Proceso no definido"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(Txt(pelmora::AppMessageText(StrFromC(c.number))), c.pelmora);
    EXPECT_EQ(Txt(truvesca::AppMessageText(StrFromC(c.number))), c.truvesca);
  }
  // Digits inside another entry's text never stand for an entry: 1012's
  // text of pelmora holds no number, but 1010 of truvesca is a real entry.
  EXPECT_EQ(Txt(truvesca::AppMessageText(StrOf("1010"))),
            std::string(Cp1252("Facturación general,Facturación semanal,Facturación quincenal,"
                               "Facturación mensual,Facturación trimestral")
                            .view()));
  EXPECT_EQ(Txt(pelmora::AppMessageText(StrOf("1020"))).substr(0, 20), "CODIGO,DEBE_ACTUAL,H");
}

TEST_F(HeadsTest, ErrorNamesComeFromTheStatusNameList) {
  for (Status s : {Status{0}, Status{121}, Status{182}, Status{184}, Status{186}})
    EXPECT_EQ(Txt(pelmora::Head().functions.error_name(s)), "Indefinido") << s;
  EXPECT_EQ(Txt(pelmora::Head().functions.error_name(122)), "Cancelado por el usuario");
  EXPECT_EQ(Txt(truvesca::Head().functions.error_name(163)), "de Datos");
  EXPECT_EQ(Txt(pelmora::Head().functions.error_name(185)), "Soporte Grafico Insuficiente");
}

TEST_F(HeadsTest, TheFixedApplicationFunctions) {
  EXPECT_EQ(pelmora::Head().functions.menu_command(StrOf("PrcExec x.prx")), kStNotAvailable);
  EXPECT_EQ(truvesca::Head().functions.menu_command(StrOf("")), kStNotAvailable);
  EXPECT_EQ(pelmora::Head().functions.task_close(), kStNotAvailable);
  EXPECT_EQ(Txt(ErrIncidentText()), "TaskClose");
  EXPECT_EQ(truvesca::Head().functions.task_low_level(), kStNotAvailable);
  EXPECT_EQ(Txt(ErrIncidentText()), "TaskLowLevel");
  EXPECT_EQ(pelmora::Head().functions.default_language(), kOk);
  EXPECT_EQ(Txt(DynStrGet(sl::kSettings, sl::kLanguage)), "ES");
}

TEST_F(HeadsTest, ModuleFileTables) {
  const uint16_t pl[] = {3, 6, 7, 8, 9, 10};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(pelmora::AppModuleFile(i), pl[i]) << i;
  EXPECT_EQ(truvesca::AppModuleFile(0), 6);
  EXPECT_EQ(truvesca::AppModuleFile(1), 14);
  // Positions outside the table name no file instead of reading past it.
  EXPECT_EQ(pelmora::AppModuleFile(6), 0);
  EXPECT_EQ(pelmora::AppModuleFile(-1), 0);
  EXPECT_EQ(truvesca::AppModuleFile(2), 0);
}

TEST_F(HeadsTest, AccountingFieldNamesGoThroughTheMessageCatalogue) {
  AppFunctionsSet(pelmora::Head().functions);
  EXPECT_EQ(Txt(pelmora::AcFieldName(1)), "CODIGO");
  EXPECT_EQ(Txt(pelmora::AcFieldName(10)), "CTA.");
  EXPECT_EQ(Txt(pelmora::AcFieldName(14)), "DIARIO{%s}");
  EXPECT_EQ(Txt(pelmora::AcFieldName(15)), "CHK#(CTA_DEBE{}>'0';-DSC1#;DSC1#)");
  EXPECT_EQ(Txt(pelmora::AcFieldName(17)), "'.,CODIGO{6}, ,SUBCTA{6},_,SUBCTA{6}'");
  EXPECT_EQ(Txt(pelmora::AcFieldName(18)), "");
  EXPECT_EQ(Txt(pelmora::AcFieldName(0)), "");
}

TEST_F(HeadsTest, AccountCodeLengthIsReadFromTheSampleDictionary) {
  AppFunctionsSet(pelmora::Head().functions);
  EXPECT_EQ(pelmora::AcAccountCodeLength(), 0) << "no dictionary, no field";
  std::string folder = std::string(SAMPLES_DIR) + "/pelmora/sample/apps";
  ASSERT_EQ(DictLoad(StrOf(folder), StrOf("PL"), StrOf("")), kOk);
  EXPECT_EQ(pelmora::AcAccountCodeLength(), 8);
}

TEST_F(HeadsTest, PhaseOneFillsTheLowLevelHookAndOnlyPelmoraDeclaresTheSystemArray) {
  ASSERT_EQ(VarInitSystem(), kOk);
  EXPECT_EQ(truvesca::InvPhaseCallback(0x21), kOk);
  EXPECT_TRUE(HookFilled(kHookLowLevel));
  EXPECT_TRUE(HookFilled(kHookPrcName));
  EXPECT_TRUE(HookFilled(kHookParmFile)) << "parameter windows rewrite their file";
  EXPECT_TRUE(HookFilled(kHookSteps)) << "windows with statistics steps";
  EXPECT_FALSE(VarLookup(StrOf("_#(")).declared());
  EXPECT_EQ(HookCallAction(kHookLowLevel, 0), std::optional<Status>(kStNotAvailable));

  CoreRuntimeReset();
  ASSERT_EQ(VarInitSystem(), kOk);
  // Phases whose low four bits are not 1 or 2 do nothing.
  EXPECT_EQ(pelmora::AcPhaseCallback(3), kOk);
  EXPECT_EQ(pelmora::AcPhaseCallback(0x24), kOk);
  EXPECT_FALSE(HookFilled(kHookLowLevel));
  EXPECT_EQ(pelmora::AcPhaseCallback(0x21), kOk);
  EXPECT_TRUE(HookFilled(kHookLowLevel));
  EXPECT_TRUE(HookFilled(kHookParmFile));
  EXPECT_TRUE(HookFilled(kHookSteps));
  for (int32_t slot : {12, 13, 14}) EXPECT_TRUE(HookFilled(slot)) << "operation windows, slot " << slot;
  EXPECT_TRUE(VarLookup(StrOf("_#(")).declared());
  EXPECT_EQ(truvesca::InvPhaseCallback(3), kOk);
}

TEST_F(HeadsTest, VerbsTheProgramsTakeThemselves) {
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
  auto verb = [](uint16_t n) { return static_cast<uint32_t>(n) << 16; };
  // LnManMain does nothing in pelmora.
  EXPECT_EQ(pelmora::AcActionCallback(verb(8), StrOf("X")), kOk);
  // truvesca has no navigation window: message 0031, 163.
  struct Case {
    AppActionCallback action;
    uint16_t verb;
  };
  for (Case c : {Case{&truvesca::InvActionCallback, 9}}) {
    ErrIncident(kOk, StrPair{}, false);
    EXPECT_EQ(c.action(verb(c.verb), StrOf("X")), kStDataError) << c.verb;
    EXPECT_EQ(Txt(ErrIncidentText()), "Proceso no definido");
  }
  // MantMain opens a maintenance window, pelmora's LnNavMain a navigation
  // window: without a window system there is none.
  EXPECT_EQ(pelmora::AcActionCallback(verb(5), StrOf("X,1")), kStWindowsControl);
  EXPECT_EQ(pelmora::AcActionCallback(verb(9), StrOf("X,1")), kStWindowsControl);
  EXPECT_EQ(truvesca::InvActionCallback(verb(5), StrOf("X,1")), kStWindowsControl);
  // So does LnManMain, truvesca's line-maintenance window.
  EXPECT_EQ(truvesca::InvActionCallback(verb(8), StrOf("X,1")), kStWindowsControl);
}

TEST_F(HeadsTest, ACommandAfterAnotherProgramWroteTheStateFileRunsNothing) {
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
  ASSERT_EQ(SessionStateWrite(SessionStatePath(), 1), kOk);
  // Another program's write: the file's time stamp moves on.
  std::filesystem::last_write_time("PLFSTAT.DAT", std::filesystem::last_write_time("PLFSTAT.DAT") +
                                                       std::chrono::seconds(5));
  uint32_t lnman = 8u << 16;
  EXPECT_EQ(pelmora::AcActionCallback(lnman, StrOf("")), kStNetwork);
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("TRVKQZ13:Norvique")), kOk);
  ASSERT_EQ(SessionStateWrite(SessionStatePath(), 1), kOk);
  std::filesystem::last_write_time("TRFSTAT.DAT", std::filesystem::last_write_time("TRFSTAT.DAT") +
                                                       std::chrono::seconds(5));
  EXPECT_EQ(truvesca::InvActionCallback(9u << 16, StrOf("")), kStNetwork);
}

}  // namespace
}  // namespace eng::test
