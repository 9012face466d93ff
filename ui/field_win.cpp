#include "ui/field_win.h"

#include <string>

#include "core/app_verbs.h"
#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "ui/field_values.h"
#include "ui/hook_win.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr uint16_t kStoreEmptied = 17;

std::string Text(StrPair p) { return p.ok() ? p.str() : std::string(); }

}  // namespace

Status MantFieldWindowRun(int window_record) {
  ScreenWin* w = ScreenWinGet(window_record);
  if (!w) return kStScreenStruct;
  const int field = w->current_field;
  const ScreenFieldDesc f = ScreenFieldGet(field);
  if (f.status != kOk || !f.windows) return kOk;
  std::string command, condition;
  {
    ScratchScope scope;
    const std::string entry = Text(StrUnquote(StrTrim(ScreenDefSpan(f.windows), 3)));
    command = Text(ScreenDefEntryItem(StrOf(entry), 1));
    if (StrItemCount(StrOf(entry), ';') > 1) condition = Text(ScreenDefEntryItem(StrOf(entry), -1));
  }
  Status cond;
  {
    ScratchScope scope;
    cond = ExpEvalCond(StrOf(condition));
  }
  if (cond == 1) {
    w->field_window_field = static_cast<uint16_t>(field);
    const Status s = MantRunVerb(field, StrOf(command), kVerbAcceptRun);
    return s < kStFirstWarning ? kFieldWindowRan : s;
  }
  if (cond != 0) return cond;
  // The user corrects the text; the next Enter checks it again.
  if ((w = ScreenWinGet(window_record)) != nullptr) w->field_window_field = 0;
  ScratchScope scope;
  const Status s = ScreenFieldStore(kStoreEmptied, field, StrOf(""));
  return s == kOk ? Status{kStBadData} : s;
}

}  // namespace eng
