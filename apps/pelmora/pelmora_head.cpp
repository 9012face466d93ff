#include "apps/pelmora/pelmora_head.h"

#include <array>

#include "apps/paydates/app_steps_hook.h"
#include "apps/paydates/pay_date_fn.h"
#include "apps/pelmora/ac_functions.h"
#include "apps/pelmora/ac_entry_screen.h"
#include "apps/pelmora/ac_hooks.h"
#include "apps/pelmora/ac_line_order.h"
#include "apps/pelmora/ac_oper_post.h"
#include "apps/pelmora/ac_recovery.h"
#include "core/arrays.h"
#include "core/app_verbs.h"
#include "core/cp1252.h"
#include "core/engine_messages.h"
#include "core/exec_handlers.h"
#include "core/hooks.h"
#include "core/msg_catalog.h"
#include "core/str_items.h"
#include "data/dict_query.h"
#include "data/st_get_list.h"
#include "output/device_dialog.h"
#include "output/device_statements.h"
#include "ui/maint_parm.h"
#include "ui/maint_win.h"
#include "ui/menu_field_options.h"
#include "ui/nav_win.h"

namespace eng::pelmora {

namespace {

// Each entry: a TAB, four digits, a blank and the text; the table ends with a TAB.
inline constexpr auto kMessages = Cp1252(
    "\t1001 Eliminar Asiento Completo?"
    "\t1002 Asiento Predefinido. Inserción no permitida"
    "\t1003 Asiento existente. ¿Continuar?"
    "\t1011 ;%-15s   %10s   %10s   %10s"
    "\t1012 '(%s)';_#(%s)=%s"
    "\t1020 CODIGO,DEBE_ACTUAL,HABER_ACTUAL,FECHA,ASIENTO,TIPO,CTA_DEBE,CTA_HABER,IMPORTE,CTA.,FECHA,"
    "D_VDOS,H_VDOS,DIARIO{%s},CHK#(CTA_DEBE{}>'0';-DSC1#;DSC1#),CUENTA.%s{3},"
    "'.,CODIGO{6}, ,SUBCTA{6},_,SUBCTA{6}'"
    "\t1021 Asiento descuadrado"
    "\t");

const MsgTable& Messages() {
  static const MsgTable table(kMessages.view());
  return table;
}

constexpr std::array<uint8_t, 6> kModuleFiles = {3, 6, 7, 8, 9, 10};

}  // namespace

Status AcPhaseCallback(uint16_t phase) {
  switch (phase & 0xF) {
    case 1:
      // Hook 5 belongs to windows that are not part of the program yet; its
      // slot stays empty. Hook 4 rewrites a window's parameter file, hook 6
      // runs an accept window's steps, hook 7 a window's statistics steps,
      // hooks 10, 11, 15 and 16 run the year-end processes from their accept
      // windows, hook 12 opens a list window, hooks 13 and 14 post a
      // predefined operation, hook 17 installs the journal entry window's
      // handler, hook 22 is the field option menu.
      HookSetFn(&MantParmCloseHook, kHookParmFile);
      HookSetFn(&AppAcceptStepsHook, kHookPrcName);
      HookSetFn(&paydates::AppStepsHook, kHookSteps);
      HookSetFn(&apphead::AppHeadTaskLowLevel, kHookLowLevel);
      HookSetFn(&ScreenFieldWinAction, kHookFieldHelp);
      AcInstallHooks();
      AcInstallOperHooks();
      AcInstallEntryScreens();
      NavsOrderReset();
      DimDeclareSystem(StrOf("_#("));
      ExecRegisterHandlers();
      OutputInstall();
      OutputSetDeviceAsker(&ReportAskDevice);
      return StGetListRegister();
    case 2:
      // A batch process over the books that was killed is undone before
      // anything opens its files or reads the year's opening date.
      if (Status s = AcBooksRecover()) return s;
      // A registration that fails does not stop the start.
      AcRegisterFunctions();
      paydates::PayDateRegister();
      return apphead::AppHeadPhaseLoad();
    default:
      return kOk;
  }
}

Status AcActionCallback(uint32_t verb_and_status, StrPair argument) {
  if (Status s = apphead::AppHeadCommandCheck()) return s;
  switch (AppVerbOf(verb_and_status)) {
    case 5:  // MantMain: the maintenance window
      return MantMainVerb(argument);
    case 9:  // LnNavMain: the navigation window
      return NavMainVerb(argument);
    case 8:  // LnManMain: nothing in this program
      return kOk;
    default:
      return AppVerbDispatch(verb_and_status, argument);
  }
}

uint16_t AppModuleFile(int position) { return apphead::AppHeadModuleFile(kModuleFiles, position); }

StrPair AcFieldName(uint16_t n) { return StrItem(MsgText("1020"), ',', n); }

uint16_t AcAccountCodeLength() {
  uint16_t file = AppModuleFile(3);
  uint16_t field = DictFindField(file, AcFieldName(1));
  if (field == 0xFFFF) return 0;
  return DictFieldLength(file, field);
}

StrPair AppMessageText(StrPair number) { return apphead::AppHeadMessageText(Messages(), number); }

const apphead::AppHeadDesc& Head() {
  static const apphead::AppHeadDesc head{
      kIdentity, kTitle, kStartMenu, &AcPhaseCallback, &AcActionCallback,
      apphead::AppHeadFunctions(&AppMessageText)};
  return head;
}

}  // namespace eng::pelmora
