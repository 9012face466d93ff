#include "apps/truvesca/ln_man_win.h"

#include <string>

#include "apps/truvesca/inv_parms.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/record_buffer.h"
#include "ui/accept_win.h"
#include "ui/field_controls.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/geom.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/maint_win.h"
#include "ui/movs_win.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_open.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"

namespace eng::truvesca {

namespace {

constexpr uint16_t kClassConfirm = 25;
constexpr uint16_t kRefreshAll = 244;
constexpr uint16_t kFindMode = 3;

}  // namespace

Status LnManMainWindow(StrPair line) {
  const std::string text = line.ok() ? line.str() : std::string();
  WinGridSetMargins(0, 1, 1, -1);
  const WinDefRecord r = WinDefParse(StrOf(text));
  std::string title;
  {
    ScratchScope scope;
    title = StrItem(MsgText("0022"), ',', 1).str();
  }
  const plat::Hwnd window = WinCreateKind(kLnManWinKind, 0, StrOf(title), 0, r.columns ? r.columns : -1,
                                          r.rows ? r.rows : -1, &ListNotifyProc);
  if (window == plat::kNoWindow) return kStWindowsControl;
  Status s = MovsWindowOpen(StrOf(text));
  if (s < kStFirstWarning) s = ScreenSetWin(kLnManScreenFlags);
  if (s < kStFirstWarning) {
    ScreenActionSet(&MovsActionWin, &MovsKeyFilter, nullptr);
    HookSetFn<HookLineFieldFn>(&MovsGridFieldValue, kHookLineField);
    s = MovsLinsSetControls(StrOf(text), kLnManToolbarFlags, &MovsGridAction);
    if (s < kStFirstError) MovsLinsFitWindow();
  }
  if (s < kStFirstError) {
    s = MovsEvent(1);
    if (s < kStFirstError) {
      Status r2 = ScreenFieldsRefreshRange(kRefreshAll, 1, -1);
      if (r2 >= kStFirstError) s = r2;
      if (const ScreenWin* w = ScreenWinGet(-1); w && w->current_field)
        ScreenFieldSelectAll(kIdFieldBase + w->current_field);
    }
  }
  return MantDestroyOnError(window, s);
}

Status MovsUpdateFields(uint16_t key, StrPair from, StrPair to, StrPair condition) {
  if (key == 0) key = 2;
  const uint16_t file = uint16_t(SysVarGet(kVarCurFil));
  const std::string to_text(to.ok() ? to.view() : std::string_view());
  const std::string cond(condition.ok() ? condition.view() : std::string_view());
  Status s = MovsFastFindBuild(file, key, from, to, kFindMode, condition);
  if (s != kOk) return s;
  ScratchScope scope;
  StrPair found = BufFileKeyValue(file, key);
  const ScreenBlock* block = ScreenBlockOf(ScreenCounterGet(kCurScreen));
  const std::string screen_key = block ? block->key : std::string();
  const std::string values = "'" + std::to_string(key) + "','" + (found.ok() ? found.str() : std::string()) +
                             "','" + to_text + "','" + cond + "'";
  DynStrSet(sl::kWork, kAcceptFormKey, StrOf(screen_key));
  DynStrSet(sl::kWork, kAcceptValues, StrOf(values));
  return kOk;
}

Status MovsUpdateHook(uint16_t action) {
  const uint16_t cls = action & 0xFF;
  if (cls != kClassConfirm) return ScreenCloseOnExit(cls, kOk, 0);
  Status s = kOk;
  {
    ScratchScope scope;
    const uint16_t key = uint16_t(ExpEvalInt(ScreenParmItemExpanded(kParmIndex, 0)));
    const std::string from = ScreenFieldRaw(1).ok() ? ScreenFieldRaw(1).str() : std::string();
    const std::string to = ScreenFieldRaw(2).ok() ? ScreenFieldRaw(2).str() : std::string();
    StrPair terms = ScreenParmItem(kParmRdCond, 0);
    StrPair joined = ScreenJoinFilledTerms(terms, kInvOpAnd);
    if (!joined.ok()) return ScreenCloseOnExit(cls, StrError(joined), 0);
    const std::string cond = joined.str();
    s = MovsUpdateFields(key, StrOf(from), StrOf(to), StrOf(cond));
  }
  if (s >= kStFirstError) return ScreenCloseOnExit(cls, s, 0);
  if (s == kOk) {
    ScreenClose(-1);
    const ScreenDesc screen = ScreenCurrent();
    s = MovsFastFindShow(screen, ScreenWinGet(-1));
  }
  return ScreenCloseOnExit(cls, s, 0);
}

Status LogoImageDelete() {
  Ui().logo.clear();
  return kOk;
}

}  // namespace eng::truvesca
