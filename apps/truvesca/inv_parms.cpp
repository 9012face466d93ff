#include "apps/truvesca/inv_parms.h"

#include "core/exp_eval.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng::truvesca {

std::string InvParmText(uint16_t n) {
  ScratchScope scope;
  StrPair v = ScreenGet(ScreenCounterGet(kCurScreen)) ? ScreenParmItem(n, 0) : ParmGet(n);
  return v.ok() ? v.str() : std::string();
}

std::string InvParmExpanded(uint16_t n, int flags) {
  const std::string raw = InvParmText(n);
  ScratchScope scope;
  StrPair v = MacroExpand(StrOf(raw), flags);
  return v.ok() ? v.str() : raw;
}

bool InvBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

Status InvExecute(const std::string& text) {
  if (InvBlank(text)) return kOk;
  ScratchScope scope;
  Status s = ExpExecute(StrOf(text));
  return s >= kStFirstError ? s : Status{kOk};
}

}  // namespace eng::truvesca
