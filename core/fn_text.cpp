// Text built-ins: FN#SLEN, FN$CHRS, FN$MIDS, FN$TRIM, ENVELOP$, FN$CHNG, FN$MASK.
#include <string>

#include "core/field_format.h"
#include "core/fn_builtins_detail.h"
#include "core/str_build.h"
#include "core/str_case.h"

namespace eng::fn {

namespace {

Status SLen(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 1)) return s;
  StrPair t = FnArgStr(a, 1, StrPair{});
  if (!t.ok()) return StrError(t);
  return ResultInt(a, t.len);
}

// Argument 1 repeated argument 2 times; a number is a character code.
Status Chrs(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  FnIntArg times = FnArgInt(a, 2, 1);
  if (times.status) return times.status;
  FnArg what = FnArgValue(a, 1, StrPair{}, kFnArgText);
  if (what.status) return what.status;
  std::string unit;
  if (what.type == kFnArgNum && !what.omitted) {
    unit.assign(1, static_cast<char>(WholeOf(what.value) & 0xFF));
  } else {
    unit.assign(what.value.view());
  }
  if (times.value <= 0 || unit.empty()) return ResultText(a, std::string());
  if (unit.size() * static_cast<size_t>(times.value) > kMaxText) return kStStringTooLong;
  std::string out;
  out.reserve(unit.size() * static_cast<size_t>(times.value));
  for (int i = 0; i < times.value; ++i) out += unit;
  return ResultText(a, out);
}

// Start from 1 (negative: from the end, -1 the last character), length -1
// to the end; clipped to the text.
Status Mids(FnArgs& a) {
  if (Status s = FnArgCount(a, 2, 3)) return s;
  FnIntArg len = FnArgInt(a, 3, -1);
  if (len.status) return len.status;
  FnIntArg start = FnArgInt(a, 2, 1);
  if (start.status) return start.status;
  StrPair t = FnArgStr(a, 1, StrPair{});
  if (!t.ok()) return StrError(t);
  std::string text(t.view());
  int64_t from = start.value > 0 ? start.value - 1 : start.value < 0 ? int64_t(text.size()) + start.value : 0;
  if (from < 0) from = 0;
  if (from >= int64_t(text.size()) || len.value == 0) return ResultText(a, std::string());
  size_t count = len.value < 0 ? std::string::npos : size_t(len.value);
  return ResultText(a, text.substr(size_t(from), count));
}

Status Trim(FnArgs& a) {
  StrPair mode = FnArgStr(a, 2, StrOf("BOTHTRIM"));
  if (!mode.ok()) return StrError(mode);
  std::string m(mode.view());
  FnArg v = FnArgValue(a, 1, StrPair{}, kFnArgText);
  StrPair t = TextOf(v);
  if (!t.ok()) return StrError(t);
  for (char& c : m) c = AsciiUpper(c);
  if (m == "LEFTTRIM") return ResultText(a, StrTrim(t, 1));
  if (m == "RIGHTRIM") return ResultText(a, StrTrim(t, 2));
  if (m == "BOTHTRIM") return ResultText(a, StrTrim(t, 3));
  if (m == "FIT") return ResultText(a, StrNormValue(t));
  return kStSyntax;
}

Status Envelop(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  FnIntArg ch = FnArgInt(a, 2, '\'');
  if (ch.status) return ch.status;
  StrPair t = FnArgStr(a, 1, StrPair{});
  if (!t.ok()) return StrError(t);
  return ResultText(a, StrEnclose(t, static_cast<char>(ch.value & 0xFF)));
}

Status Chng(FnArgs& a) {
  if (Status s = FnArgCount(a, 2, 4)) return s;
  FnArg fourth = FnArgValue(a, 4, StrPair{}, kFnArgText);
  if (fourth.status) return fourth.status;
  std::string to(fourth.value.view());
  bool fourth_number = fourth.type == kFnArgNum && !fourth.omitted;
  bool has_fourth = a.Count() >= 4 && !fourth.omitted;
  DecValue flag = fourth_number ? NumOf(fourth.value) : 0;
  StrPair with = FnArgStr(a, 3, StrPair{});
  if (!with.ok()) return StrError(with);
  std::string repl(with.view());
  StrPair what = FnArgStr(a, 2, StrPair{});
  if (!what.ok()) return StrError(what);
  std::string w(what.view());
  StrPair t = FnArgStr(a, 1, StrPair{});
  if (!t.ok()) return StrError(t);
  if (w == "UCASE") return ResultText(a, StrCase(t, 1));
  if (w == "LCASE") return ResultText(a, StrCase(t, 0));
  if (w == "CLEAN") return ResultText(a, StrCollapse(t, ' ', false));
  if (w == "FILTER") {
    if (!has_fourth) return ResultText(a, StrKeepSet(t, StrOf(repl)));
    if (fourth_number || to.empty()) return kStSyntax;  // groups need target characters
    uint16_t width = static_cast<uint16_t>(repl.size() / to.size());
    if (width == 0) return kStSyntax;
    return ResultText(a, StrReplaceClasses(t, StrOf(repl), width, StrOf(to)));
  }
  if (w.empty()) return ResultText(a, t);
  return ResultText(a, StrReplaceAll(t, StrOf(w), StrOf(repl), flag != 0));
}

Status Mask(FnArgs& a) {
  if (Status s = FnArgCount(a, 2, 3)) return s;
  FnIntArg mode = FnArgInt(a, 3, 255);
  if (mode.status) return mode.status;
  FnArg v = FnArgValue(a, 2, StrPair{}, kFnArgText);
  StrPair value = TextOf(v);
  if (!value.ok()) return StrError(value);
  std::string held(value.view());
  StrPair mask = FnArgStr(a, 1, StrPair{});
  if (!mask.ok()) return StrError(mask);
  return ResultText(a, FmtApplyMaskMode(mask, StrOf(held), mode.value & 0xFF));
}

}  // namespace

void InstallText() {
  // These read nothing but their arguments: they may take them in place.
  FnInstallDirectBuiltin(kFnSlen, SLen);
  FnInstallDirectBuiltin(kFnChrs, Chrs);
  FnInstallDirectBuiltin(kFnMids, Mids);
  FnInstallDirectBuiltin(kFnTrim, Trim);
  FnInstallDirectBuiltin(kFnEnvelop, Envelop);
  FnInstallDirectBuiltin(kFnChng, Chng);
  FnInstallDirectBuiltin(kFnMask, Mask);
}

}  // namespace eng::fn
