#include "data/relup_rules.h"

#include <string>
#include <utility>
#include <vector>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"

namespace eng {

namespace {

constexpr uint16_t kRuleLineFormat = 4;

RelUpdFileRules* Rules(uint16_t file) {
  if (file == 0 || file >= kRelUpdFiles) return nullptr;
  return &Core().relup.files[file];
}

// The rule file's name: the application prefix and "RELUP.DAT" or "RELUPSQL.DAT".
std::string RuleFileName() {
  StrPair identity = DynStrGet(sl::kSettings, sl::kIdentity);
  std::string prefix(StrItem(identity, ':', 1).view().substr(0, 2));
  return prefix + (SysVarHas(kVarAuxStat, kAuxStatRulesSql) ? "RELUPSQL.DAT" : "RELUP.DAT");
}

// Two slot digits, blanks read as zeros; -1 when they are not digits.
int SlotOf(std::string_view value) {
  if (value.size() < 2) return -1;
  int slot = 0;
  for (size_t i = 0; i < 2; ++i) {
    char c = value[i] == ' ' ? '0' : value[i];
    if (c < '0' || c > '9') return -1;
    slot = slot * 10 + (c - '0');
  }
  return slot;
}

bool IsBlank(StrPair t) { return StrTrim(t, 3).empty(); }

}  // namespace

uint16_t RelUpdBase(uint16_t file) {
  const RelUpdFileRules* r = Rules(DictFileNumber(file));
  return r ? r->base : kRelUpdNoBase;
}

uint16_t RelUpdSlots(uint16_t file) {
  const RelUpdFileRules* r = Rules(DictFileNumber(file));
  return r && r->base != kRelUpdNoBase ? r->slots : 0;
}

Status RelUpdLoad(uint16_t file, StrPair text) {
  if (!text.ok()) return StrError(text);
  uint16_t n = DictFileNumber(file);
  if (Status s = DictCheckField(n, 0xFFFF)) return s;
  RelUpdFileRules* rules = Rules(n);
  if (!rules) return kStFileOutBound;
  if (rules->base != kRelUpdNoBase || text == "NONE") return kOk;

  std::string name = RuleFileName();
  std::vector<std::pair<int, std::string>> lines;
  bool malformed = false;
  DefLinesEach(StrOf(name), kRuleLineFormat, n, [&](StrPair value) -> Status {
    int slot = SlotOf(value.view());
    if (slot < 0) {
      malformed = true;
      return kStDataError;
    }
    StrPair rest = value.len > 2 ? StrPair{value.ptr + 2, static_cast<uint16_t>(value.len - 2)} : StrPair{};
    lines.emplace_back(slot, std::string(StrTrim(rest, 1).view()));
    return kOk;
  });
  if (malformed) return ErrIncident(kStDataError, StrOf(name), true);
  if (lines.empty()) return kOk;

  uint16_t base = DynStrCount(sl::kRelUpdateRules);
  uint16_t slots = 0;
  for (const auto& [slot, rule] : lines) {
    uint16_t element = static_cast<uint16_t>(base + slot);
    std::string joined;
    if (element < DynStrCount(sl::kRelUpdateRules)) joined.assign(DynStrGet(sl::kRelUpdateRules, element).view());
    if (!joined.empty() && !rule.empty()) joined += ';';
    joined += rule;
    if (Status s = DynStrSet(sl::kRelUpdateRules, element, StrOf(joined))) {
      DynStrPopTo(sl::kRelUpdateRules, base);
      return s;
    }
    if (slot + 1 > slots) slots = static_cast<uint16_t>(slot + 1);
  }
  rules->base = base;
  rules->slots = slots;
  return kOk;
}

Status RelUpdLoadLocal(uint16_t file, StrPair text) {
  SysVarSet(kVarAuxStat, static_cast<int16_t>(SysVarBits(kVarAuxStat) & ~kAuxStatRulesSql));
  return RelUpdLoad(file, text);
}

Status RelUpdRelease(uint16_t /*file*/, uint16_t count) {
  // Every file whose rules lie in the dropped elements loses them, not only
  // the file named: another file's base would otherwise point at elements
  // that are gone or reused.
  for (RelUpdFileRules& r : Core().relup.files) {
    if (r.base != kRelUpdNoBase && r.base >= count) r = RelUpdFileRules{};
  }
  if (DynStrCount(sl::kRelUpdateRules) > count) return DynStrPopTo(sl::kRelUpdateRules, count);
  return kOk;
}

StrPair DataFileLineExpr(StrPair text, uint16_t base) {
  if (!text.ok()) return text;
  if (text == "NONE") return ScratchText("");
  if (!text.empty()) return ScratchPair(text);
  uint16_t count = DynStrCount(sl::kRelUpdateRules);
  if (count == base) return ScratchText("");
  if (count - base < 3) return ScratchText("1");
  uint16_t current = DictFileNumber(0);
  if (DictFileDefined(current) && DictLineField(current) != kNotFound) return ScratchText("1+(N_LINE{}>0)");
  return ScratchText("");
}

StrPair RelRuleText(uint16_t file, StrPair slot_list) {
  if (!slot_list.ok()) return slot_list;
  ScratchScope scope;
  StrPair value = StrPair{};
  if (!StrTrim(slot_list, 3).empty()) {
    value = ExpEvalStr(slot_list);
    if (!value.ok()) return value;
  }
  uint16_t n = DictFileNumber(file);
  const RelUpdFileRules* rules = Rules(n);
  if (!rules || rules->base == kRelUpdNoBase) return scope.Keep(ScratchText(""));
  std::string list = "0";
  if (!value.empty()) list += "," + value.str();

  std::string out;
  std::vector<bool> used(rules->slots, false);
  uint16_t items = StrItemCount(StrOf(list), ',');
  for (uint16_t i = 1; i <= items; ++i) {
    std::string_view item = StrTrim(StrItem(StrOf(list), ',', i), 3).view();
    if (item.empty() || item.size() > 4 || item.find_first_not_of("0123456789") != std::string_view::npos) continue;
    uint16_t slot = static_cast<uint16_t>(std::stoi(std::string(item)));
    if (slot >= rules->slots || used[slot]) continue;
    used[slot] = true;
    StrPair rule = DynStrGet(sl::kRelUpdateRules, static_cast<uint16_t>(rules->base + slot));
    if (!rule.ok() || rule.empty()) continue;
    if (!out.empty()) out += ';';
    out.append(rule.view());
  }
  return scope.Keep(ScratchText(out));
}

Status DataFileRunTrigger(uint16_t pass, uint16_t file, StrPair rule_text) {
  if (!rule_text.ok()) return StrError(rule_text);
  if (!SysVarHas(kVarUpStat, kUpStatRules)) return kOk;
  uint16_t n = DictFileNumber(file);
  std::string kept;
  bool swapped = false;
  if (pass == kPassOld) {
    StrPair current = BufRecord(n, kBufCurrent);
    if (current.ok()) {
      kept.assign(current.view());
      if (Status s = BufCopyPart(n, 2)) return s;
      swapped = true;
    }
  }
  // The text may be a view of the string store, which the rules can change.
  std::string text(rule_text.view());
  uint16_t up = SysVarBits(kVarUpStat) & ~kUpStatRulesRunning;
  if (SysVarHas(kVarAuxStat, kAuxStatRulesSql)) up |= kUpStatRulesRunning;
  SysVarSet(kVarUpStat, static_cast<int16_t>(up));
  SysVarSet(kVarSgn, pass == kPassOld ? -1 : 1);
  Status s = ExpExecute(StrOf(text));
  SysVarSet(kVarSgn, 0);
  SysVarSet(kVarUpStat, static_cast<int16_t>(SysVarBits(kVarUpStat) & ~kUpStatRulesRunning));
  if (swapped) {
    Status put = BufStore(n, kBufCurrent, StrOf(kept));
    if (!s) s = put;
  }
  return s;
}

Status DataFileIsBlankRecord(uint16_t file, StrPair test) {
  if (!test.ok()) return StrError(test);
  uint16_t n = DictFileNumber(file);
  ScratchScope scope;
  StrPair key = BufFileKeyValue(n, 1);
  if (!key.ok()) return StrError(key);
  if (IsBlank(key)) return 1;
  if (test.empty()) return 0;
  StrPair current = BufRecord(n, kBufCurrent);
  if (!current.ok()) return StrError(current);
  std::string kept(current.view());
  std::string expr(test.view());
  if (Status s = BufStore(n, kBufCurrent, StrOf(std::string(kept.size(), ' ')))) return s;
  StrPair blank_value = ExpEvalStr(StrOf(expr));
  std::string on_blank = blank_value.ok() ? blank_value.str() : std::string();
  Status put = BufStore(n, kBufCurrent, StrOf(kept));
  if (!blank_value.ok()) return StrError(blank_value);
  if (put) return put;
  StrPair value = ExpEvalStr(StrOf(expr));
  if (!value.ok()) return StrError(value);
  return value.view() == on_blank ? 1 : 0;
}

}  // namespace eng
