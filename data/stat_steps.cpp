#include "data/stat_steps.h"

#include <string>

#include "core/app_verbs.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_define.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "data/stat_scan.h"
#include "data/struct_scope.h"

namespace eng {

namespace {

StatScreenServices g_screen;
constexpr uint16_t kRulesList = 7;
constexpr uint16_t kScrStatSteps = 2;

void SetBits(SysVar v, uint16_t bits, bool on) {
  uint16_t now = SysVarBits(v);
  SysVarSet(v, int16_t(on ? (now | bits) : (now & ~bits)));
}

std::string Parm(uint16_t n) {
  ScratchScope scope;
  return ParmGet(n).str();
}

// The RD_COND$ terms joined with "&&", empty terms skipped.
std::string SearchTerms() {
  ScratchScope scope;
  StrPair terms = ParmGet(kParmRdCond);
  std::string out;
  const uint16_t n = StrItemCount(terms, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    StrPair t = StrItem(terms, ',', i);
    if (t.view().find_first_not_of(' ') == std::string_view::npos) continue;
    if (!out.empty()) out += "&&";
    out += t.str();
  }
  return out;
}

}  // namespace

void StatSetScreenServices(const StatScreenServices& services) { g_screen = services; }

std::string StatBoundValue(int n) {
  ScratchScope scope;
  StrPair limits = ParmGet(kParmLimits);
  if (limits.empty()) return g_screen.field_text ? g_screen.field_text(n == 1 ? 1 : 2) : std::string();
  StrPair v = ExpEvalStr(StrItem(limits, ',', n == 1 ? 1 : 2));
  return v.ok() ? v.str() : std::string();
}

Status StatLoadStruct() {
  ScratchScope scope;
  // Items in quotes may hold commas of their own (the field list).
  StrPair s = ParmGet(kParmStruct);
  return StructScopeDefine(StrUnquote(StrItem(s, ',', 1)), StrUnquote(StrItem(s, ',', 2)),
                           StrUnquote(StrItem(s, ',', 3)));
}

Status StatStep(uint16_t file, StrPair step) {
  std::string ctx, options;
  uint16_t source = 0;
  {
    ScratchScope scope;
    source = DictFileNumber(uint16_t(ExpEvalInt(StrItem(step, ',', 1))));
    options = StrItemRest(step, ',').str();
    ctx = ParmCtxSave().str();
    ParmCtxSet(1, DictFileName(source));
  }
  for (char& c : options)
    if (c == ';') c = ',';
  const bool opened = DataFileCtrl(source).open_flags == 0;
  Status s = kOk;
  if (opened) {
    s = DataFileOpen(source, kOpenReadOnly);
    if (s <= kStEndOfData) s = kOk;
  }
  const uint16_t count = DynStrCount(kRulesList);
  if (!s) s = RelUpdLoadLocal(source, StrPair{});
  if (!s) {
    ScratchScope scope;
    std::string rule = RelRuleText(source, StrOf("'" + options + "'")).str();
    if (rule.empty()) {
      s = ErrIncident(kStDataError, StrOf("No RELOPT defined"), false);
    } else {
      const std::string from = StatBoundValue(1), to = StatBoundValue(0), search = SearchTerms(),
                        cond = Parm(kParmCond);
      const uint16_t key = uint16_t(ExpEvalInt(StrOf(Parm(kParmIndex))));
      s = StatAccumulate(source, file, key, StrOf(from), StrOf(to), StrOf(search), StrOf(cond), StrOf(rule),
                         StrPair{}, 1);
    }
  }
  RelUpdRelease(source, count);
  if (opened) DataFileClose(source);
  ParmCtxRestore(StrOf(ctx));
  return s;
}

Status StatSteps(uint16_t file, StrPair steps) {
  const std::string list = steps.str();
  const uint16_t previous = DictFileNumber(0);
  const bool temporary = file > DictFileCount();
  Status s = kOk;
  if (temporary) {
    const uint16_t depth = DictScopeDepth();
    s = StatLoadStruct();
    if (s) {
      if (DictScopeDepth() > depth) StructScopeRestore();  // a definition that failed half way
      return s;
    }
    file = DictFileCount();
  }
  SetBits(kVarUpStat, kUpStatScan, true);
  Status opened = StatVirtualFile(file, kOpenExclusive);
  if (opened == kStEndOfData) {
    if (list.empty()) s = kStDataError;
    const uint16_t n = StrItemCount(StrOf(list), ',');
    for (uint16_t i = 1; i <= n && s == kOk; ++i) {
      ScratchScope scope;
      StrPair command = ExpEvalStr(StrItem(StrOf(list), ',', i));
      if (!command.ok()) {
        s = StrError(command);
        break;
      }
      AppCommand c = AppParseVerb(command);
      const std::string rest = c.rest.str();
      if (AppVerbOf(c.verb_and_status) == kVerbPerform) s = StatStep(file, StrOf(rest));
      else s = AppVerbDispatch(c.verb_and_status, StrOf(rest));
    }
  } else if (opened > kStEndOfData) {
    s = opened;
  }
  if (opened <= kStEndOfData) StatVirtualFile(file, 0);
  SetBits(kVarUpStat, kUpStatScan, false);
  if (temporary) StructScopeRestore();
  DictSelectFile(previous);
  if (s) MsgErrorBox(s);
  return s;
}

Status StatStepsStatement(StrPair definition) {
  if (!g_screen.open) return kStNotAvailable;
  SetBits(kVarScrStat, kScrStatSteps, true);
  if (Status s = g_screen.open(definition)) return s;
  uint16_t file = 0;
  std::string steps;
  {
    ScratchScope scope;
    file = uint16_t(ExpEvalInt(StrItem(ParmGet(kParmReset), ',', 1)));
    steps = ParmGet(kParmSteps).str();
  }
  Status s = StatSteps(file, StrOf(steps));
  if (g_screen.close) g_screen.close();
  return s;
}

}  // namespace eng
