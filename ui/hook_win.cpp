#include "ui/hook_win.h"

#include <array>
#include <string>
#include <utility>

#include "core/app_verbs.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/exp_parm_file.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "ui/accept_win.h"
#include "ui/ctl_dialog.h"
#include "ui/field_values.h"
#include "ui/geom.h"
#include "ui/maint_parm.h"
#include "ui/maint_win.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/win_create.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

constexpr uint16_t kStoreShown = 6;

// The hook of a slot as a window's third handler (a plain function per
// slot, since the handler carries no data): the hook's answer, or 24 (the
// window goes on) when the slot was emptied meanwhile.
template <int32_t Slot>
uint16_t HookHandler(uint16_t action_class) {
  return HookCallAction(Slot, action_class).value_or(24);
}

template <size_t... N>
constexpr std::array<ScreenKeyFilter, sizeof...(N)> HookHandlers(std::index_sequence<N...>) {
  return {&HookHandler<static_cast<int32_t>(N)>...};
}

constexpr auto kHookHandlers = HookHandlers(std::make_index_sequence<kHookSlots>{});

}  // namespace

uint16_t MantHookSelect(uint16_t selector) {
  if (selector != kHookNone) return selector < kHookSlots ? selector : kHookNone;
  ScratchScope scope;
  const std::string prc = MantParmText(kParmAcceptPrc);
  const std::string steps = MantParmText(kParmSteps), prcname = MantParmText(kParmPrcName),
                    docname = MantParmText(kParmDocName), parm_file = MantParmText(kParmParmFile);
  return HookSlotForWindow(StrToInt(StrOf(prc)), StrOf(steps), StrOf(prcname), StrOf(docname), StrOf(parm_file));
}

Status MantHookWinRun(StrPair line, uint16_t flags, uint16_t selector) {
  const std::string text = line.ok() ? line.str() : std::string();
  WinGridSetMargins(0, 1, 2, 0);
  if (Status s = MantWinCreate(StrOf(text), flags, plat::kNoWindow, &ScreenDialogProc)) return s;
  const plat::Hwnd window = WinTop();
  // Nothing of a window that cannot run stays behind: its record, its files.
  auto abandon = [window](Status s) {
    MantWinClose(-1);
    WinDestroy(window);
    return s;
  };
  const uint16_t slot = MantHookSelect(selector);
  if (slot == kHookNone || !HookFilled(slot)) return abandon(ErrIncident(kStDataError, StrOf("ACCEPT_PRC%"), false));
  if (slot == kHookParmFile) {
    ScratchScope scope;
    const std::string file = MantParmText(kParmParmFile);
    if (Status s = ExpLoadParmFile(StrOf(file), 0); s != kOk) return abandon(s);
  }
  ScreenActionSet(&AcceptWinAction, nullptr, kHookHandlers[slot]);
  CtlAddOkButton(window);
  if (Status s = ScreenFieldsRefreshRange(kStoreShown, 1, -1); s >= kStFirstWarning) return abandon(s);
  WinShowTop(-1);
  return kOk;
}

Status MantAcceptRun(StrPair line, uint16_t flags, uint16_t selector) {
  return AcceptRunLine(line, flags, selector);
}

Status MantRunVerb(int field, StrPair command, uint16_t default_verb) {
  ScratchScope scope;
  const AppCommand parsed = AppParseVerb(AppAddDefaultVerb(command, default_verb));
  const std::string argument = parsed.rest.ok() ? parsed.rest.str() : std::string();
  switch (AppVerbOf(parsed.verb_and_status)) {
    case kVerbAccept:
    case kVerbAcceptRun: {
      const int checked = field ? field : SysVarGet(kVarCurEdFld);
      if (Status s = ScreenCheckParm(kParmAlarm, checked)) return s;
      return MantAcceptRun(StrOf(argument), kMantHookFlags, kAcceptHookSelector);
    }
    case kVerbMantMain:
      return MantWindow(StrOf(argument), kMantFieldFlags);
    case kVerbExpEval:
      return ExpExecute(StrItem(StrOf(argument), ',', 1));
    default:
      return kStSyntax;
  }
}

void MantHookWinInstall() {
  AcceptSetHookWinRunner(&MantHookWinRun);
  AppVerbServiceSet(kVerbMantAux, &MantAuxRun);
}

}  // namespace eng
