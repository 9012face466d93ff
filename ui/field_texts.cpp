#include "ui/field_texts.h"

#include <algorithm>
#include <string>

#include "core/cp1252.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"
#include "ui/action_codes.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr const char* kOperators = "*,/,!,%,\xF7,+,-,=,>,<,==,>=,<=,<>,&,|,@,&&,||,@@";
constexpr const char* kMarker = "\x01";
constexpr uint16_t kScrStatPaging = 64;
constexpr uint16_t kAcceptLastKey = 6;     // (9, 6) the key of the remembered form
constexpr uint16_t kAcceptLastValues = 7;  // (9, 7) its values

// The selected buffer of the current window, with its length.
char* Buffer(uint16_t selector, uint16_t* len) {
  switch (selector) {
    case 8: return ScreenWinBuffer(-1, kWinCurrent, len);
    case 16: return ScreenWinBuffer(-1, kWinSaved, len);
    case 24: return ScreenWinBuffer(-1, kWinFile, len);
    case 32: return ScreenWinBuffer(-1, kWinFileSaved, len);
    case 64: {
      uint16_t a = 0, b = 0;
      char* p = ScreenWinBuffer(-1, kWinFile, &a);
      ScreenWinBuffer(-1, kWinFileSaved, &b);
      *len = static_cast<uint16_t>(a + b);
      return p;
    }
    default: return nullptr;
  }
}

}  // namespace

StrPair ScreenFieldNames(const FieldList& list) {
  std::string out;
  for (size_t i = 0; i < list.size(); ++i) {
    if (i) out += ',';
    out += ScreenDefSpan(ScreenFieldGet(list[i]).name).view();
  }
  return ScratchText(out);
}

StrPair ScreenFieldsPack(const FieldList& list) {
  std::string out;
  for (uint16_t k : list) {
    StrPair raw = ScreenFieldRaw(k);
    if (!raw.ok()) return raw;
    out += raw.view();
  }
  if (out.size() > kMaxText) return StrFail(kStStringTooLong);
  return ScratchText(out);
}

StrPair ScreenIndexKeyText(int k) {
  if (k < 1 || k > 3) return StrFail(kStDataError);
  ScratchScope scope;
  StrPair items = ScreenParmItem(static_cast<uint16_t>(kParmIk1 + k - 1), 0);
  std::string out;
  const uint16_t n = StrItemCount(items, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    StrPair v = ExpEvalStr(StrItem(items, ',', i));
    if (!v.ok()) return v;
    out += v.view();
  }
  return scope.Keep(StrOf(out));
}

StrPair ScreenJoinFilledTerms(StrPair terms, int op) {
  ScratchScope scope;
  StrPair joiner = StrItem(StrOf(kOperators), ',', static_cast<uint16_t>(op));
  std::string out;
  bool first = true;
  const uint16_t n = StrItemCount(terms, ',');
  const int fields = ScreenCurrent().field_count;
  for (uint16_t i = 1; i <= n; ++i) {
    if (i <= fields) {
      StrPair raw = ScreenFieldRaw(i);
      if (raw.ok() && StrTrim(raw, 2).empty()) continue;
    }
    StrPair term = MacroExpand(StrItem(terms, ',', i), 0);
    if (!term.ok()) return term;
    if (!first) out += joiner.view();
    out += term.view();
    first = false;
  }
  return scope.Keep(StrOf(out));
}

Status ScreenPageRecalc(int n) {
  ScreenFieldDesc f = ScreenFieldGet(n);
  if (KeyIsPage(static_cast<uint16_t>(SysVarGet(kVarLastKey))) < 0 || f.status || !f.dependants)
    return kStUndefinedWarning;
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatPaging));
  Status s = ScreenFieldRecalc(116, n);
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) & ~kScrStatPaging));
  return s;
}

int ScreenBufStack(uint16_t operation) {
  const uint16_t op = operation & 7;
  const uint16_t selector = operation & 0x78;
  uint16_t len = 0;
  char* buf = op >= 2 && op <= 6 ? Buffer(selector, &len) : nullptr;
  if (op >= 2 && op <= 6 && !buf) return kStDataOutBound;
  const uint16_t file = ScreenWinCurrent().data_file;
  switch (op) {
    case 0:
      return DynStrPush(sl::kPendingAccept, StrOf(kMarker));
    case 1: {
      while (DynStrCount(sl::kPendingAccept)) {
        const bool marker = DynStrTop(sl::kPendingAccept) == std::string_view(kMarker);
        DynStrPop(sl::kPendingAccept);
        if (marker) break;
      }
      return kOk;
    }
    case 2:
      return DynStrPush(sl::kPendingAccept, StrMake(buf, len));
    case 3: {
      if (DynStrCount(sl::kPendingAccept) == 0) return kStDataOutBound;
      StrPair top = DynStrTop(sl::kPendingAccept);
      if (top.len > len) return kStDataOutBound;
      std::copy(top.begin(), top.end(), buf);
      DynStrPop(sl::kPendingAccept);
      return DynStrCount(sl::kPendingAccept);
    }
    case 4:
    case 5: {
      const uint16_t part = selector == 64 ? kBufBoth : selector == 32 ? kBufSaved : kBufCurrent;
      StrPair rec = BufRecord(file, part);
      if (!rec.ok()) return StrError(rec);
      if (rec.len != len) return kStDataOutBound;
      if (op == 4) {
        std::copy(rec.begin(), rec.end(), buf);
        return kOk;
      }
      return BufStore(file, part, StrMake(buf, len));
    }
    case 6: {
      uint16_t rlen = 0;
      char* rec = ScreenWinBuffer(-1, kWinCurrent, &rlen);
      if (!rec) return kStDataOutBound;
      if (rlen > len) return kStDataOutBound;
      std::copy(rec, rec + rlen, buf);
      return kOk;
    }
    default:
      return kOk;
  }
}

Status ScreenCopyFields(uint16_t flags, int first, int last, int window, ScreenWinPart a, ScreenWinPart b) {
  ScreenWin* w = ScreenWinGet(window);
  if (!w) return kStDataOutBound;
  const int count = ScreenGet(w->screen) ? ScreenGet(w->screen)->field_count : 0;
  if (last == -1 || last > count) last = count;
  uint16_t la = 0, lb = 0;
  char* pa = ScreenWinBuffer(window, a, &la);
  char* pb = ScreenWinBuffer(window, b, &lb);
  if (!pa || !pb) return kStDataOutBound;
  if (flags & 0x10) {
    std::swap(pa, pb);
    std::swap(la, lb);
  }
  ScreenBlock* block = ScreenBlockOf(w->screen);
  for (int k = std::max(first, 1); block && k <= last; ++k) {
    const ScreenFieldDesc& f = block->fields[k - 1];
    const size_t end = size_t(f.record_offset) + f.storage_len;
    if (end > la || end > lb) return kStDataOutBound;
    std::copy(pa + f.record_offset, pa + end, pb + f.record_offset);
  }
  return kOk;
}

Status ScreenSaveRecord(StrPair text, bool save) {
  ScratchScope scope;
  if (StrTrim(StrItem(text, '=', 1), 3).view() != "SCRBACK") return kOk;
  StrPair var = StrTrim(StrItem(text, '=', 2), 3);
  if (var.empty() || !ScreenWinGet(-1)) return kOk;
  uint16_t len = 0;
  if (save) {
    char* rec = ScreenWinBuffer(-1, kWinCurrent, &len);
    return rec ? VarAssign(var, StrMake(rec, len)) : Status{kStDataOutBound};
  }
  StrPair value = ExpEvalStr(var);
  if (!value.ok()) return StrError(value);
  char* saved = ScreenWinBuffer(-1, kWinSaved, &len);
  if (!saved || value.len > len) return kOk;
  std::copy(value.begin(), value.end(), saved);
  return kOk;
}

void AcceptLastKeySet(StrPair key) {
  if (DynStrGet(sl::kWork, kAcceptLastKey).view() == key.view()) return;
  DynStrSet(sl::kWork, kAcceptLastValues, StrOf(""));
  DynStrSet(sl::kWork, kAcceptLastKey, key);
}

StrPair AcceptLastValue(int i) {
  StrPair values = DynStrGet(sl::kWork, kAcceptLastValues);
  return StrNormValue(StrItem(values.ok() ? values : StrOf(""), ',', static_cast<uint16_t>(i)));
}

}  // namespace eng
