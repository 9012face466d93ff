#include "ui/maint_parm.h"

#include <string>

#include "core/app_verbs.h"
#include "core/exp_parm_file.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "ui/screen_actions.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr uint16_t kClassConfirm = 25;
constexpr Status kAnswerCloseWindow = 8;

}  // namespace

std::string MantParmText(uint16_t parameter) {
  ScratchScope scope;
  StrPair p = ScreenParmItem(parameter, 0);
  return p.ok() ? StrTrim(p, 3).str() : std::string();
}

Status MantParmFileWrite() {
  ScratchScope scope;
  const std::string file = MantParmText(kParmParmFile);
  const std::string items = MantParmText(kParmParmFileWrite);
  if (file.empty() || items.empty()) return kOk;
  return ExpSaveParmFile(StrOf(file), StrOf(items));
}

Status MantParmCloseHook(uint16_t action) {
  const uint16_t cls = action & 0xFF;
  Status s = kAnswerCloseWindow;
  if (cls == kClassConfirm) {
    s = MantParmFileWrite();
    if (s == kOk) s = kAnswerCloseWindow;
  }
  return ScreenCloseOnExit(cls, s, 0);
}

Status MantAuxRun(StrPair argument) {
  ScratchScope scope;
  if (StrItemInt(argument, ',', 1) == 0 && ScreenCounterGet(kCurWin) >= 0) return MantParmFileWrite();
  return AppMantAuxParms(argument);
}

}  // namespace eng
