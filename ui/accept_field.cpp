#include "ui/accept_field.h"

#include <string>

#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "ui/accept_win.h"
#include "ui/field_values.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr uint16_t kStoreInput = 118;

}  // namespace

StrPair AcceptBuiltinCommand(StrPair entry) {
  std::string_view e = entry.ok() ? StrTrim(entry, 3).view() : std::string_view();
  if (e == "Calculator") return ScratchText(kAcceptCalculator);
  if (e == "Add_Applet") return ScratchText(kAcceptAddApplet);
  return ScratchText("");
}

Status AcceptLastValue(StrPair definition, std::string* last) {
  const int record = ScreenCounterGet(kCurWin);
  last->clear();
  Status status;
  {
    ScratchScope scope;
    AcceptResult r = AcceptWinRun(StrOf(""), definition);
    status = r.status;
    if (status == kOk && r.values.ok() && !r.values.empty()) {
      const uint16_t n = StrItemCount(r.values, ',');
      *last = StrItem(r.values, ',', n).str();
    }
  }
  if (status != kOk) return status;
  if (record >= 0) ScreenWinSelect(record);
  return kOk;
}

Status AcceptIntoField(StrPair definition, int field) {
  std::string last;
  if (Status s = AcceptLastValue(definition, &last)) return s == kStCancelled ? Status{kOk} : s;
  ScratchScope scope;
  return ScreenFieldStore(kStoreInput, field, StrUnquote(StrOf(last)));
}

}  // namespace eng
