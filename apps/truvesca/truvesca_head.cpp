#include "apps/truvesca/truvesca_head.h"

#include <array>

#include "apps/truvesca/amount_words.h"
#include "apps/truvesca/iban_digits.h"
#include "apps/truvesca/inv_doc.h"
#include "apps/truvesca/inv_run_hook.h"
#include "apps/truvesca/ln_man_win.h"
#include "apps/truvesca/inv_functions.h"
#include "apps/paydates/app_steps_hook.h"
#include "apps/paydates/pay_date_fn.h"
#include "apps/paydates/pay_schedule_win.h"
#include "core/app_verbs.h"
#include "core/cp1252.h"
#include "core/engine_messages.h"
#include "core/exec_handlers.h"
#include "core/hooks.h"
#include "output/device_dialog.h"
#include "output/device_statements.h"
#include "ui/maint_parm.h"
#include "ui/maint_win.h"
#include "ui/menu_field_options.h"

namespace eng::truvesca {

namespace {

// Each entry: a TAB, four digits, a blank and the text; the table ends with a TAB.
inline constexpr auto kMessages = Cp1252(
    "\t1001 Nº de Factura existente. Cambie el Número"
    "\t1002 Datos en Registro no encontrados"
    "\t1003 Datos redundantes. %s registros identicos. ¿Confirmar Anulación?"
    "\t1010 Facturación general,Facturación semanal,Facturación quincenal,Facturación mensual,"
    "Facturación trimestral"
    "\t1011 NºFACTURA,SERIE,CLIENTE"
    "\t1012 ALBARA_VENTAS,REGISTRO,VENCIMIENTOS"
    "\t");

const MsgTable& Messages() {
  static const MsgTable table(kMessages.view());
  return table;
}

constexpr std::array<uint8_t, 2> kModuleFiles = {6, 14};

}  // namespace

Status InvPhaseCallback(uint16_t phase) {
  switch (phase & 0xF) {
    case 1:
      // Hook 4 rewrites a window's parameter file, hook 6 runs an accept
      // window's steps, hook 7 a window's statistics steps, hook 8 the fast-find windows of documents, hook 10
      // the invoicing run's window, 11 the payment schedule, 12 the invoice document commands, 22
      // the field option menu.
      HookSetFn(&MantParmCloseHook, kHookParmFile);
      HookSetFn(&AppAcceptStepsHook, kHookPrcName);
      HookSetFn(&paydates::AppStepsHook, kHookSteps);
      HookSetFn(&apphead::AppHeadTaskLowLevel, kHookLowLevel);
      HookSetFn(&ScreenFieldWinAction, kHookFieldHelp);
      HookSetFn(&MovsUpdateHook, kHookApp8);
      HookSetFn(&InvRunHook, kHookApp10);
      HookSetFn(&paydates::PayScheduleOpen, 11);
      HookSetFn(&InvDocHook, 12);
      ExecRegisterHandlers();
      OutputInstall();
      OutputSetDeviceAsker(&ReportAskDevice);
      return kOk;
    case 2:
      // The procedure functions; a registration that fails (the slots are
      // full) leaves the rest of its step out and the loading goes on.
      InvRegisterFunctions();
      TxtnRegister();
      paydates::PayDateRegister();
      IbanRegister();
      return apphead::AppHeadPhaseLoad();
    case 3:
      // Shut-down: the main window is gone, its logo image goes too.
      return LogoImageDelete();
    default:
      return kOk;
  }
}

Status InvActionCallback(uint32_t verb_and_status, StrPair argument) {
  if (Status s = apphead::AppHeadCommandCheck()) return s;
  switch (AppVerbOf(verb_and_status)) {
    case 5:  // MantMain: the maintenance window
      return MantMainVerb(argument);
    case 8:  // LnManMain: the line-maintenance window
      return LnManMainWindow(argument);
    default:
      return AppVerbDispatch(verb_and_status, argument);
  }
}

uint16_t AppModuleFile(int position) { return apphead::AppHeadModuleFile(kModuleFiles, position); }

StrPair AppMessageText(StrPair number) { return apphead::AppHeadMessageText(Messages(), number); }

const apphead::AppHeadDesc& Head() {
  static const apphead::AppHeadDesc head{
      kIdentity, kTitle, kStartMenu, &InvPhaseCallback, &InvActionCallback,
      apphead::AppHeadFunctions(&AppMessageText)};
  return head;
}

}  // namespace eng::truvesca
