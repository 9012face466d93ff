#include "apps/pelmora/ac_entry_num.h"

#include <string>

#include "apps/pelmora/ac_balance.h"
#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_line_order.h"
#include "apps/pelmora/ac_text.h"
#include "apps/pelmora/pelmora_head.h"
#include "core/dates.h"
#include "core/fn_builtins_detail.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "ui/field_values.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/screen_table.h"

namespace eng::pelmora {

namespace {

constexpr uint16_t kWinLineToRecord = 16;
constexpr const char* kEntryExistsMsg = "1003";

std::string IntText(int64_t n) { return std::to_string(n); }

int32_t LentValue() { return static_cast<int32_t>(DecDivPow10(AcVarNumber("_LENT#"), DecPrecis())); }

// The journal fields of the current file that make an entry's prefix.
struct EntryFields {
  uint16_t file = 0, date = 0, entry = 0;
  uint16_t date_len = 0, entry_len = 0;
};

Status FieldsOf(EntryFields* e) {
  e->file = DictFileNumber(0);
  ScratchScope scope;
  e->date = DictFindField(e->file, AcFieldName(4));
  e->entry = DictFindField(e->file, AcFieldName(5));
  if (e->date == 0xFFFF || e->entry == 0xFFFF) return kStDataError;
  e->date_len = DictFieldLength(e->file, e->date);
  e->entry_len = DictFieldLength(e->file, e->entry);
  return kOk;
}

// _LDAT$ and _LENT# from the first characters of a key.
Status EntryFromKey(const EntryFields& e, const std::string& key) {
  std::string date = key.substr(0, std::min<size_t>(key.size(), e.date_len));
  std::string number = key.size() > e.date_len ? AcTrim(key.substr(e.date_len, e.entry_len)) : std::string();
  if (Status s = AcVarAssign("_LDAT$", date)) return s;
  return AcVarAssign("_LENT#", number.empty() ? "0" : number);
}

// The base for a date: _LENT# the last entry number on or before it.
Status BaseForDate(const EntryFields& e, const std::string& date) {
  DateYmd d = AcDateOf(StrOf(date));
  std::string next = d ? AcDateText(DateShift(d, 1, kDateDay)) : date;
  next.resize(DictKeyLength(e.file, 1, 0), ' ');
  std::string before;
  {
    ScratchScope scope;
    StrPair k = NavsOrderFindKey(StrOf(next), 4);
    if (!k.ok()) return StrError(k);
    before = k.str();
  }
  if (Status s = EntryFromKey(e, before)) return s;
  return AcVarAssign("_LDAT$", date);
}

// The line joins the entry before it: its key, line 0, and the first
// bounded field shows the entry's date.
Status ContinuePrevious(const EntryFields& e, int level) {
  if (Status s = AcSetFieldText(e.file, e.entry, IntText(LentValue()))) return s;
  std::string before;
  {
    ScratchScope scope;
    StrPair k = NavsOrderFindKey(BufFileKeyValue(e.file, 1), 4);
    if (!k.ok()) return StrError(k);
    before = k.str();
  }
  if (Status s = EntryFromKey(e, before)) return s;
  if (!before.empty()) {
    ScratchScope scope;
    if (Status s = BufSetKeyFields(e.file, 1, StrOf(before))) return s;
  }
  if (Status s = NavsOrderSetLine(level, 0)) return s;
  const uint16_t first = ScreenCurrent().bounded_first;
  if (first == 0) return kOk;
  ScratchScope scope;
  return ScreenFieldStore(0, first, StrOf(AcVarText("_LDAT$")));
}

// The line moves to another entry of the same date.
Status MoveToEntry(const EntryFields& e, int level, int32_t entry) {
  std::string old_key;
  {
    ScratchScope scope;
    StrPair saved = BufRecord(e.file, kBufSaved);
    if (!saved.ok()) return StrError(saved);
    std::string held(saved.view());
    StrPair k = BufKeyValue(e.file, 1, StrOf(held));
    if (!k.ok()) return StrError(k);
    old_key = k.str();
  }
  if (Status s = AcSetFieldText(e.file, e.entry, IntText(entry))) return s;
  const std::string p = AcKeyText(e.file, 1).substr(0, NavsOrderPrefixLen());
  bool exists;
  {
    ScratchScope scope;
    StrPair after = NavsOrderFindKey(StrOf(p), 0);
    if (!after.ok()) return StrError(after);
    exists = after.view().substr(0, p.size()) == p;
    if (!exists) {
      // The prefix itself may be a key (a record whose line part is empty).
      Status at = DataFileSeekRead(e.file, 1, StrOf(p), 0);
      exists = at == kOk;
    }
  }
  Status s;
  if (!exists) {
    s = NavsOrderSetLine(level, 1);
  } else {
    ScratchScope scope;
    if (MsgAskYesNo(MsgText(kEntryExistsMsg)) == 1) {
      s = NavsOrderNextLine(level);
    } else {
      const uint16_t field = ScreenWinCurrent().current_field;
      return field ? ScreenFieldStore(0, field, StrOf(IntText(LentValue()))) : Status{kOk};
    }
  }
  if (s) return s;
  if (Status a = AcVarAssign("_LENT#", IntText(entry))) return a;
  if (Status m = NavsOrderMove(old_key, level)) return m;
  return AcVarAssign("_LKEY$", p);
}

}  // namespace

Status AcGetEntryNumFn(FnArgs& args) {
  const uint16_t count = args.Count();
  if (count < 1 || count > 3) return kStSyntax;
  FnIntArg final_arg = FnArgInt(args, 3, 0);
  if (final_arg.status) return AcArgStatus(final_arg.status);
  // The entry: a number or a text holding one.
  std::string entry;
  if (count >= 2) {
    FnArg a = FnArgValue(args, 2, StrPair{}, kFnArgText);
    if (a.status) return AcArgStatus(a.status);
    if (a.type == kFnArgText) {
      entry = AcTrim(a.value.ok() ? a.value.view() : std::string_view());
    } else if (!a.omitted) {
      entry = IntText(fn::WholeOf(a.value));
    }
  }
  StrPair date_arg = FnArgStr(args, 1, StrPair{});
  if (!date_arg.ok()) return AcArgStatus(StrError(date_arg));
  std::string date = AcTrim(date_arg.view());
  if (count > 1 && entry.empty() && final_arg.value == 0) entry = IntText(LentValue());
  const bool given = !entry.empty();
  const int32_t entry_value = given ? std::atoi(entry.c_str()) : 0;

  EntryFields e;
  if (Status s = FieldsOf(&e)) return s;
  const ScreenWin win = ScreenWinCurrent();
  const int level = ListLevelCurrent() == kListNone ? -1 : static_cast<int>(ListLevelCurrent());
  int32_t number = LentValue();
  bool new_base = false;
  Status s = kOk;

  if (date.empty()) {
    date = AcVarText("_LDAT$");
    if (date.empty()) date = AcDateText(DateToday());
    s = BaseForDate(e, date);
    new_base = true;
  }
  if (s < kStFirstError && (win.flags & kWinLineToRecord) && level >= 0) {
    ListLevel* l = ListLevelGet(level);
    s = MovsLineToRecord(e.file, level, l ? l->lines.current : 0);
  }
  if (s < kStFirstError) {
    std::string saved_key;
    {
      ScratchScope scope;
      StrPair saved = BufRecord(e.file, kBufSaved);
      if (saved.ok()) {
        std::string held(saved.view());
        StrPair k = BufKeyValue(e.file, 1, StrOf(held));
        if (k.ok()) saved_key = k.str();
      }
    }
    if (saved_key != AcVarText("_LKEY$")) {
      s = AcVarAssign("_LKEY$", saved_key);
      if (s < kStFirstError && SysVarGet(kVarIer) == 0) {
        s = EntryFromKey(e, saved_key);
        number = LentValue();
      }
    }
  }
  if (s < kStFirstError && (date != AcVarText("_LDAT$") || (given && entry_value == 0))) {
    s = BaseForDate(e, date);
    new_base = true;
  }
  if (s < kStFirstError) {
    if (!given && (win.flags & kNavsWinLinesEdited) && NavsOrderListLine(level) == 1) {
      s = ContinuePrevious(e, level);
      number = LentValue();
    } else if (given && entry_value != 0 && entry_value != LentValue() &&
               !(win.flags & (kNavsWinLinesEdited | kWinLineToRecord))) {
      s = MoveToEntry(e, level, entry_value);
      number = LentValue();
    }
  }
  if (s < kStFirstError && (final_arg.value != 0 || new_base || (!given && SysVarGet(kVarIer) != 0))) {
    number = LentValue();
    if (!(win.flags & kNavsWinLinesEdited) && AcVarNumber("DSC1#") == 0) ++number;
    s = AcVarAssign("_LENT#", IntText(number));
  }
  if (s >= kStFirstError) return s;
  return AcNumberResult(args, DecFromInt64(number));
}

}  // namespace eng::pelmora
