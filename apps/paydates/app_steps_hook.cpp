#include "apps/paydates/app_steps_hook.h"

#include <string>

#include "core/exp_eval.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "data/stat_steps.h"
#include "ui/action_codes.h"
#include "ui/screen_actions.h"
#include "ui/screen_parms.h"

namespace eng::paydates {

namespace {

constexpr uint16_t kExitRestore = 16;

}  // namespace

Status AppStepsHook(uint16_t action) {
  const uint16_t cls = ActionClassOf(action);
  Status s = kOk;
  if (cls == kAcCommand) {
    const std::string reset = ScreenParmText(kParmReset, 1);
    const std::string steps = ScreenParmText(kParmSteps, 0);
    ScratchScope scope;
    const int16_t file = ExpEvalInt(StrOf(reset));
    s = StatSteps(static_cast<uint16_t>(file), StrOf(steps));
  }
  return ScreenCloseOnExit(cls, s, kExitRestore);
}

}  // namespace eng::paydates
