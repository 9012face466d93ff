#include "core/fn_builtins.h"

#include "core/exp_eval.h"
#include "core/fn_builtins_detail.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"

namespace eng {

namespace fn {

DecValue NumOf(StrPair v) {
  if (!v.ok() || v.len != kDecEntryBytes) return 0;
  uint64_t u = 0;
  for (int i = kDecEntryBytes - 1; i >= 0; --i) u = (u << 8) | v.at(static_cast<size_t>(i));
  return static_cast<DecValue>(u);
}

int64_t WholeOf(StrPair v) { return DecDivPow10(NumOf(v), DecPrecis()); }

Status EvalWhole(StrPair text, int64_t* out) {
  ScratchScope scope;
  Status s = ExpEvalText(text);
  if (s >= kStFirstError) return s;
  if (s != 0) return kStIncompatibleTypes;
  *out = WholeOf(ScratchTop());
  return kOk;
}

StrPair TextOf(const FnArg& a) {
  if (a.status) return StrFail(a.status);
  if (a.type == kFnArgText || a.omitted) return a.value;
  return DecToText(NumOf(a.value));
}

Status ResultText(FnArgs& a, StrPair text) {
  if (!text.ok()) return StrError(text);
  a.result_text = true;
  StrPair r = ScratchPair(text);
  return r.ok() ? kOk : StrError(r);
}

Status ResultText(FnArgs& a, const std::string& text) {
  if (text.size() > kMaxText) return kStStringTooLong;
  a.result_text = true;
  StrPair r = ScratchText(text);
  return r.ok() ? kOk : StrError(r);
}

Status ResultNum(FnArgs& a, DecValue value) {
  a.result_text = false;
  StrPair r = DecStoreValue(value);
  return r.ok() ? kOk : StrError(r);
}

Status ResultInt(FnArgs& a, int64_t value) {
  a.result_text = false;
  StrPair r = DecIntToValue(value);
  return r.ok() ? kOk : StrError(r);
}

StrPair RawRest(const FnArgs& a) {
  if (!a.cursor || a.cursor->pos >= a.cursor->text.len) return StrPair{};
  return StrPair{a.cursor->text.ptr + a.cursor->pos, static_cast<uint16_t>(a.cursor->text.len - a.cursor->pos)};
}

namespace {

// True when the opening parenthesis at 0 is closed by the last character.
bool WhollyEnclosed(const std::string& t) {
  if (t.size() < 2 || t.front() != '(' || t.back() != ')') return false;
  int depth = 0;
  char quote = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i + 1 == t.size();
    }
  }
  return false;
}

}  // namespace

std::string RawItem(StrPair rest, uint16_t n) {
  std::string item(StrTrim(ExpListItem(rest, n), 3).view());
  if (WhollyEnclosed(item)) item = std::string(StrTrim(StrOf(item.substr(1, item.size() - 2)), 3).view());
  return item;
}

}  // namespace fn

Status FnInstallValueBuiltins() {
  fn::InstallText();
  fn::InstallNumbers();
  fn::InstallDates();
  fn::InstallLists();
  fn::InstallControl();
  return kOk;
}

}  // namespace eng
