// Control built-ins: the lazy conditionals CHK# and CHK$, MACRO$, EXP$,
// ENVRON$ and SQLCHILD.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/exp_code.h"
#include "core/exp_eval.h"
#include "core/fn_check.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/macros.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_keys.h"
#include "core/string_lists.h"

namespace eng::fn {

namespace {

constexpr int kMacroEvaluate = 8;

// The branches of CHK# and CHK$ are texts of the expression that holds them,
// evaluated again at every call (a relation or a rule run for every record):
// each is found in the rest of the text and compiled once, and kept by that
// rest and the branch taken. A compiled text gives what the text gives
// (core/exp_code.h); a text that does not compile is evaluated as text. The
// few texts of a program fit; past kBranchRoom the kept ones are dropped and
// found again as they come.
constexpr size_t kBranchRoom = 512;

struct Branch : FnChkBranch {
  std::string names;  // the function names the text was compiled with
};

// The function names as they stand: built-in, then registered ones (empty
// while only the built-in ones are known). A runtime started afresh may name
// other functions with the same numbers.
std::string_view FunctionNames() { return DynStrGet(sl::kSettings, sl::kBuiltinNames).view(); }

std::shared_ptr<const Branch> BranchOf(StrPair rest, bool holds) {
  auto find = [&] {
    auto b = std::make_shared<Branch>();
    static_cast<FnChkBranch&>(*b) = FnChkBranchOf(rest, holds);
    if (!b->blank) b->names.assign(FunctionNames());
    return std::shared_ptr<const Branch>(std::move(b));
  };
  if (!rest.ok()) return find();
  static std::unordered_map<std::string, std::shared_ptr<const Branch>> kept;
  std::string key(1, holds ? '1' : '2');
  key.append(rest.view());
  auto found = kept.find(key);
  if (found != kept.end()) {
    if (found->second->blank || found->second->names == FunctionNames()) return found->second;
    kept.erase(found);
  }
  if (kept.size() >= kBranchRoom) kept.clear();
  return kept.emplace(std::move(key), find()).first->second;
}

// Argument 1 is evaluated; only the chosen one of the raw arguments 2 and 3
// is evaluated. A result of the other kind gives 125.
Status Check(FnArgs& a, bool want_text) {
  FnArg cond = FnArgValue(a, 1, StrPair{}, kFnArgNum);
  if (cond.status) return cond.status;
  if (cond.type == kFnArgText) return kStIncompatibleTypes;
  bool holds = !cond.omitted && NumOf(cond.value) != 0;
  // Held here: the branch may hold a CHK$ whose text clears the kept ones.
  const std::shared_ptr<const Branch> branch = BranchOf(RawRest(a), holds);
  if (a.cursor) a.cursor->pos = a.cursor->text.len;  // the rest is taken
  a.result_text = want_text;
  return FnChkRun(*branch, want_text);
}

Status ChkNum(FnArgs& a) { return Check(a, false); }
Status ChkStr(FnArgs& a) { return Check(a, true); }

// The empty result of the function's kind.
Status EmptyResult(bool want_text) {
  StrPair r = want_text ? ScratchText("") : DecStoreValue(0);
  return r.ok() ? kOk : StrError(r);
}

Status Macro(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 3)) return s;
  StrPair list = FnArgStr(a, 3, StrPair{});
  if (!list.ok()) return StrError(list);
  std::string held_list(list.view());
  FnIntArg flags = FnArgInt(a, 2, 0);
  if (flags.status) return flags.status;
  StrPair text = FnArgStr(a, 1, StrPair{});
  if (!text.ok()) return StrError(text);
  StrPair expanded = (flags.value & kMacroLookup) ? MacroExpandList(text, StrOf(held_list))
                                                  : MacroExpand(text, flags.value & 0xFF);
  if (!expanded.ok()) return StrError(expanded);
  if (!(flags.value & kMacroEvaluate)) return ResultText(a, expanded);
  std::string expr(StrTrim(expanded, 3).view());
  Status s = ExpEvalText(StrOf(expr));
  if (s >= kStFirstWarning) return s;
  a.result_text = s == 1;
  return s > 1 ? s : kOk;
}

// The template with "$k_" replaced by the source text of the k-th raw argument.
Status Exp(FnArgs& a) {
  StrPair rest = RawRest(a);
  if (a.cursor) a.cursor->pos = a.cursor->text.len;
  std::string held_rest(rest.ok() ? rest.view() : std::string_view());
  StrPair tmpl = FnArgStr(a, 1, StrPair{});
  if (!tmpl.ok()) return StrError(tmpl);
  std::string out(tmpl.view());
  uint16_t count = ExpListCount(StrOf(held_rest));
  for (uint16_t k = 1; k <= count; ++k) {
    std::string key = "$" + std::to_string(k) + "_";
    std::string source(StrTrim(ExpListItem(StrOf(held_rest), k), 3).view());
    std::string next;
    size_t at = 0;
    for (size_t found; (found = out.find(key, at)) != std::string::npos; at = found + key.size()) {
      next.append(out, at, found - at);
      next += source;
    }
    next.append(out, at, std::string::npos);
    if (next.size() > kMaxText) return kStStringTooLong;
    out.swap(next);
  }
  return ResultText(a, out);
}

// Element 2 or more: the shared text (0, element); otherwise the raw value of
// the command-line option of that name.
Status Environ(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  FnIntArg element = FnArgInt(a, 2, 1);
  if (element.status) return element.status;
  StrPair name = FnArgStr(a, 1, StrPair{});
  if (!name.ok()) return StrError(name);
  if (element.value >= 2) return ResultText(a, DynStrGet(sl::kSettings, static_cast<uint16_t>(element.value)));
  // The option's value as given: unquoted, not trimmed or upper-cased.
  std::string held(name.view());
  StrPair v = StrKeyGetMode(CmdLineGet(), StrOf(held), kKeyUnquoted);
  return ResultText(a, v.ok() ? v : StrPair{});
}

Status SqlChild(FnArgs& a) { return ResultInt(a, 0); }

}  // namespace

void InstallControl() {
  FnInstallBuiltin(kFnChkNum, ChkNum);
  FnInstallBuiltin(kFnChkStr, ChkStr);
  FnInstallBuiltin(kFnMacro, Macro);
  FnInstallBuiltin(kFnExp, Exp);
  FnInstallBuiltin(kFnEnviron, Environ);
  FnInstallBuiltin(kFnSqlChild, SqlChild);
}

}  // namespace eng::fn

namespace eng {

FnChkBranch FnChkBranchOf(StrPair rest, bool holds) {
  FnChkBranch b;
  StrPair branch = ExpListItem(rest, holds ? 1 : 2);
  b.blank = !branch.ok() || StrTrim(branch, 3).len == 0;
  if (!b.blank) {
    b.text.assign(branch.view());
    b.code = ExpCompile(StrOf(b.text));
  }
  return b;
}

Status FnChkRun(const FnChkBranch& branch, bool want_text) {
  if (branch.blank) return fn::EmptyResult(want_text);
  Status s = branch.code ? ExpCodeEvalText(*branch.code) : ExpEvalText(StrOf(branch.text));
  if (s == kStNullExpression) return fn::EmptyResult(want_text);
  if (s >= kStFirstWarning) return s;
  bool is_text = s == 1;
  if (is_text != want_text) {
    // The result keeps the function's kind: the empty text or 0.
    if (Status r = fn::EmptyResult(want_text)) return r;
    return kStAtypical;
  }
  return s > 1 ? s : kOk;
}

bool FnChkStock(uint16_t n) {
  const FnState& f = Core().fn;
  return (n == kFnChkNum && f.builtins[n] == &fn::ChkNum) || (n == kFnChkStr && f.builtins[n] == &fn::ChkStr);
}

}  // namespace eng
