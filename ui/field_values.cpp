#include "ui/field_values.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "core/dec_value.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/field_format.h"
#include "core/macros.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_format.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"
#include "platform/win_core.h"
#include "ui/field_controls.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"

namespace eng {

namespace {

constexpr uint16_t kFlagNoOther = 0x0001;
constexpr uint16_t kFlagFromFile = 0x0002;
constexpr uint16_t kFlagAssign = 0x0004;
constexpr uint16_t kFlagToFile = 0x0010;
constexpr uint16_t kFlagPerform = 0x0020;
constexpr uint16_t kFlagDependants = 0x0040;
constexpr uint16_t kFlagForce = 0x0080;
constexpr uint16_t kFlagSaved = 0x0200;

const ScreenFieldDesc* Field(int n) {
  ScreenBlock* b = ScreenBlockOf(ScreenCounterGet(kCurScreen));
  if (!b || n < 1 || static_cast<size_t>(n) > b->fields.size()) return nullptr;
  return &b->fields[n - 1];
}

StrPair Span(TextPos pos) { return ScreenDefSpan(pos); }

// Depth-first closure of the dependants of field n.
void Closure(const ScreenFieldDesc& f, std::set<uint16_t>& visited, FieldList& out) {
  for (uint16_t k : ScreenFieldNums(Span(f.dependants))) {
    if (!visited.insert(k).second) continue;
    out.push_back(k);
    const ScreenFieldDesc* g = Field(k);
    if (g && (g->flags & kFldDependants)) Closure(*g, visited, out);
  }
}

}  // namespace

StrPair ScreenFieldFromBuf(int n, ScreenWinPart buffer) {
  ScreenFieldDesc f = ScreenFieldGet(n);
  if (f.status) return StrFail(f.status);
  uint16_t len = 0;
  char* base = ScreenWinBuffer(-1, buffer, &len);
  if (!base || f.record_offset + f.storage_len > len) return StrFail(kStDataOutBound);
  return StrMake(base + f.record_offset, f.storage_len);
}

StrPair ScreenFieldRaw(int n) { return ScreenFieldFromBuf(n, kWinCurrent); }

Status ScreenFieldPut(int n, StrPair text) {
  const ScreenFieldDesc* f = Field(n);
  if (!f) return kStDataError;
  ScratchScope scope;
  StrPair padded = FmtPadField(f->type, text, f->storage_len);
  if (!padded.ok()) return StrError(padded);
  uint16_t len = 0;
  char* base = ScreenWinBuffer(-1, kWinCurrent, &len);
  if (!base || f->record_offset + f->storage_len > len) return kStDataOutBound;
  std::fill(base + f->record_offset, base + f->record_offset + f->storage_len, ' ');
  std::copy(padded.begin(), padded.begin() + std::min<uint16_t>(padded.len, f->storage_len), base + f->record_offset);
  return kOk;
}

StrPair ScreenFieldValue(uint16_t flags, int n) {
  ScreenFieldDesc f = ScreenFieldGet(n);
  if (f.status) return StrFail(f.status);
  ScratchScope scope;
  if (flags == 0) return scope.Keep(ScreenFieldRaw(n));
  if (flags & kFlagSaved) return scope.Keep(ScreenFieldFromBuf(n, kWinSaved));
  const uint16_t current = DictFileNumber(0);
  StrPair value = StrOf("");
  if ((flags & f.flags & kFlagFromFile) && f.file && f.file == current) {
    value = FmtPadField(f.type, BufFieldText(f.file, f.file_field, kBufCurrent), f.storage_len);
  } else if ((flags & kFlagAssign) && f.assign) {
    StrPair expr = MacroExpand(Span(f.assign), 0);
    value = expr.ok() ? ExpEvalStr(expr) : expr;
    if (!value.ok()) {
      Status s = StrError(value);
      const std::string number = std::to_string(n);
      StrPair note = StrFormat(0xFFFF, MsgText("0017"), {StrOf(number), Span(f.assign)});
      ErrIncident(s, note.ok() ? note : StrOf(""), true);
      return StrFail(s);
    }
  } else if (!(flags & kFlagNoOther) && f.file && f.file != current) {
    value = BufFieldText(f.file, f.file_field, kBufCurrent);
  }
  return scope.Keep(value);
}

Status ScreenFieldStore(uint16_t flags, int n, StrPair text) {
  ScreenFieldDesc f = ScreenFieldGet(n);
  if (f.status) return f.status;
  if (!text.ok()) return StrError(text);
  ScratchScope scope;
  StrPair norm = text;
  if (!(flags & f.flags & kFldClearable)) {
    StrPair shown = FmtFieldToText(f.type, text, f.display_len);
    norm = shown.ok() ? FmtFieldFromText(f.type, shown, f.storage_len) : shown;
    if (!norm.ok()) return StrError(norm);
  }
  std::string stored = norm.str();
  plat::WinSystem* ws = UiWs();
  if (ws && f.control && f.order != kOrderHidden) {
    if (f.type == 'L' && SysVarHas(kVarAuxStat, kAuxStatCheckBoxes)) {
      ws->Send(f.control, plat::kBmSetCheck, static_cast<uint64_t>(StrToInt(norm) + 0x10));
    } else {
      std::string shown = stored;
      if (f.type != 'F') shown.erase(shown.find_last_not_of(' ') + 1);
      ws->SetText(f.control, shown);
    }
  }
  StrPair raw = ScreenFieldRaw(n);
  if (!(flags & kFlagForce) && raw.ok() && raw.view() == stored) return kOk;
  Status s = ScreenFieldPut(n, StrOf(stored));
  if (s) return s;
  if ((flags & f.flags & kFldOwnFile) && f.file) {
    s = BufSetField(f.file, f.file_field, StrOf(stored));
    if (s) return s;
  }
  if (flags & f.flags & (kFlagPerform | kFlagDependants)) return ScreenFieldRecalc(flags, n);
  return kOk;
}

Status ScreenFieldRecalc(uint16_t flags, int n) {
  const ScreenFieldDesc* fp = Field(n);
  if (!fp) return kStDataError;
  const ScreenFieldDesc f = *fp;
  ScratchScope scope;
  if (f.perform) {
    StrPair expr = MacroExpand(Span(f.perform), 0);
    Status s = expr.ok() ? ExpEvalText(expr) : StrError(expr);
    if (s >= kStFirstError) return s;
  }
  if (!(flags & kFlagDependants)) return kOk;
  const uint16_t inner = flags & ~kFlagDependants;
  Status s = ScreenFieldsRefresh(inner, ScreenFieldNums(Span(f.dependants)));
  if (s) return s;
  std::set<uint16_t> visited{static_cast<uint16_t>(n)};
  if (flags & kFlagForce) {
    for (uint16_t k : ScreenFieldList(kFldBound, 1, -1)) visited.insert(k);
  }
  FieldList all;
  Closure(f, visited, all);
  return ScreenFieldsRefresh(inner & ~(kFlagPerform | kFlagFromFile), all);
}

Status ScreenFieldsRefresh(uint16_t flags, const FieldList& list) {
  for (uint16_t k : list) {
    ScratchScope scope;
    StrPair v = ScreenFieldValue(flags, k);
    if (!v.ok()) return StrError(v);
    Status s = ScreenFieldStore(flags, k, v);
    if (s) return s;
  }
  return kOk;
}

Status ScreenFieldsRefreshRange(uint16_t flags, int first, int last) {
  const int count = ScreenCurrent().field_count;
  if (last == -1 || last > count) last = count;
  FieldList list;
  for (int k = std::max(first, 1); k <= last; ++k) list.push_back(static_cast<uint16_t>(k));
  return ScreenFieldsRefresh(flags, list);
}

FieldList ScreenFieldList(uint16_t mask, int first, int last) {
  FieldList out;
  const int count = ScreenCurrent().field_count;
  if (last == -1 || last > count) last = count;
  for (int k = 1; k <= count; ++k) {
    const ScreenFieldDesc* f = Field(k);
    if (!f || (mask && !(mask & f->flags))) continue;
    if (mask == kFldEditable && (f->order == 0 || f->order < first || f->order > last)) continue;
    out.push_back(static_cast<uint16_t>(k));
  }
  if (mask == kFldEditable) {
    std::stable_sort(out.begin(), out.end(), [](uint16_t a, uint16_t b) { return Field(a)->order < Field(b)->order; });
  }
  return out;
}

FieldList ScreenFieldNums(StrPair names) {
  FieldList out;
  const uint16_t n = StrItemCount(names, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    ScratchScope scope;
    const uint16_t k = ScreenFieldFind(StrTrim(StrItem(names, ',', i), 3));
    if (k) out.push_back(k);
  }
  return out;
}

Status ScreenApplyEntryValue(int n) {
  if (DynStrCount(sl::kScreens) == 0) return kOk;
  ScratchScope scope;
  std::string entry = DynStrTop(sl::kScreens).str();
  DynStrPop(sl::kScreens);
  StrPair e = StrOf(entry);
  StrPair value = ExpEvalStr(StrItem(e, ':', 1));
  Status s = value.ok() ? ScreenFieldStore(118, n, value) : StrError(value);
  if (s) return s;
  StrPair refresh = StrItem(e, ':', 2);
  if (refresh.empty()) return kOk;
  std::string names = refresh.str();
  std::replace(names.begin(), names.end(), ';', ',');
  return ScreenFieldsRefresh(116, ScreenFieldNums(StrOf(names)));
}

StrPair ScreenFieldProvider(StrPair names, uint16_t mode, StrPair value) {
  ScratchScope scope;
  const uint16_t n = ScreenFieldFind(StrTrim(StrItem(names, ',', 1), 3));
  if (n == 0) return StrFail(kStDataError);
  const ScreenFieldDesc f = ScreenFieldGet(n);
  const bool number = f.type == 'N' || f.type == 'L' || (f.type >= '1' && f.type <= '9');
  if (mode == 5) {
    StrPair text = value;
    if (number && value.len == sizeof(DecValue)) {
      DecValue v;
      std::memcpy(&v, value.ptr, sizeof v);
      text = DecToText(v);
    }
    if (!text.ok()) return text;
    std::string kept = text.str();
    Status s = ScreenFieldPut(n, StrOf(kept));
    return s ? StrFail(s) : scope.Keep(StrOf(kept));
  }
  StrPair raw = ScreenFieldFromBuf(n, mode == 2 ? kWinSaved : kWinCurrent);
  if (!raw.ok()) return raw;
  if (f.type == 'L' && (raw.len == 0 || raw.at(0) == ' ')) return scope.Keep(StrOf("0"));
  return scope.Keep(raw);
}

}  // namespace eng
