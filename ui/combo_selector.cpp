#include "ui/combo_selector.h"

#include <string>

#include "core/err_register.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "ui/action_codes.h"
#include "ui/combo_slots.h"
#include "ui/field_values.h"
#include "ui/geom.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"

namespace eng {

namespace {

constexpr uint16_t kStoreInput = 118;

std::string SelectorItems() {
  ScratchScope scope;
  StrPair items = ScreenParmItemExpanded(kParmDocTypeTxt, 0);
  return items.ok() ? StrTrim(items, 3).str() : std::string();
}

// The next selection for the last key: previous for Up and PgUp, next for
// Down and PgDn, kept inside the list.
int Stepped(int sel, int count) {
  const uint16_t key = static_cast<uint16_t>(SysVarGet(kVarLastKey));
  int next = sel;
  if (key == kKeyUp || key == kKeyPgUp) next = sel - 1;
  if (key == kKeyDown || key == kKeyPgDn) next = sel + 1;
  if (next < 0) next = sel < 0 ? 0 : sel;
  if (next >= count) next = count - 1;
  return next;
}

// The place of the begin field's text among the items; -1 for none.
int ItemOfField(const std::string& items, int count, int field) {
  ScratchScope scope;
  StrPair raw = ScreenFieldRaw(field);
  const std::string text = raw.ok() ? StrTrim(raw, 3).str() : std::string();
  if (text.empty()) return -1;
  for (int i = 1; i <= count; ++i) {
    if (StrUnquote(StrTrim(StrItem(StrOf(items), ',', static_cast<uint16_t>(i)), 3)).view() == text) return i - 1;
  }
  return -1;
}

}  // namespace

bool ScreenHasSelector() {
  if (ScreenCounterGet(kCurWin) < 0 || ScreenCurrent().begin_field == 0) return false;
  return !SelectorItems().empty();
}

Status MovsSelectorCombo(int show) {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w) return kStScreenStruct;
  const ScreenDesc d = ScreenCurrent();
  if (d.begin_field == 0) return kOk;
  if (show == kSelectorDestroy) {
    ComboDestroy(w->doctype_selector);
    w->doctype_selector = kComboNone;
    return kOk;
  }
  const int b = d.begin_field;
  const ScreenFieldDesc f = ScreenFieldGet(b);
  if (f.status != kOk || b > d.field_count) return ErrIncident(kStDataError, StrOf("BEGINFLD%"), false);
  if (f.file != 0 && !DictFileDefined(f.file)) return ErrIncident(kStDataError, StrOf("DOCTYPETXT$"), false);
  const std::string items = SelectorItems();
  const int count = items.empty() ? 0 : StrItemCount(StrOf(items), ',');
  const int shown = ItemOfField(items, count, b);
  if (!ComboHandle(w->doctype_selector)) {
    if (count < 2) return kOk;
    const uint16_t slot = ComboCreate(w->window, GeomRowToY(f.row + 1), GeomColToX(f.column), StrOf(items), false);
    if (slot == kComboNone) return kStWindowsControl;
    w->doctype_selector = slot;
    ComboSetSel(slot, shown >= 0 ? shown : (Ui().selector_choice < count ? Ui().selector_choice : 0));
    return kOk;
  }
  const uint16_t slot = w->doctype_selector;
  if (w->current_field != b) {
    // Only the begin field's own keys and clicks choose: anywhere else the
    // list goes back to what the field holds.
    ComboSetSel(slot, shown);
    return kOk;
  }
  const int sel = Stepped(ComboGetSel(slot), count);
  ComboSetSel(slot, sel);
  Status s = kOk;
  if (sel != shown && sel >= 0) {
    Ui().selector_choice = sel;
    ScratchScope scope;
    StrPair item = StrUnquote(StrTrim(StrItem(StrOf(items), ',', static_cast<uint16_t>(sel + 1)), 3));
    s = ScreenFieldStore(kStoreInput, b, item);
  }
  // The keys go on reaching the begin field, also after a click in the list.
  ScreenFieldFocus(b);
  return s;
}

}  // namespace eng
