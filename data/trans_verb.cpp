#include "data/trans_verb.h"

#include <cstdlib>
#include <vector>

#include "core/app_verbs.h"
#include "core/exp_eval.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/maint_services.h"
#include "data/trans_parms.h"
#include "data/trans_run.h"
#include "data/trans_saved.h"
#include "data/trans_services.h"

namespace eng {

namespace {

constexpr uint16_t kBoundFieldsMax = 8;

std::string ArgItem(StrPair argument, uint16_t n) {
  ScratchScope scope;
  StrPair v = StrItem(argument, ',', n);
  std::string s = v.ok() ? v.str() : std::string();
  size_t a = s.find_first_not_of(' ');
  s.erase(0, a == std::string::npos ? s.size() : a);
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

std::string EvalText(const std::string& text) {
  if (text.empty()) return {};
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf(text));
  return v.ok() ? v.str() : std::string();
}

// The values of an accept window's value text, unquoted.
std::vector<std::string> Values(const std::string& text) {
  std::vector<std::string> out;
  ScratchScope scope;
  const uint16_t n = StrItemCount(StrOf(text), ',');
  for (uint16_t i = 1; i <= n; ++i) out.push_back(TransUnquote(StrItem(StrOf(text), ',', i).str()));
  return out;
}

std::string FieldName(uint16_t file, uint16_t field) {
  ScratchScope scope;
  return DictFieldName(file, field).str();
}

Status ChooseFile(StrPair argument) {
  std::string item = ArgItem(argument, 2);
  uint16_t file = 0;
  if (!item.empty()) {
    ScratchScope scope;
    file = DictFileByName(StrOf(item));
  } else {
    const MaintServices& ui = MaintGetServices();
    if (!ui.choose_table) return kStNotAvailable;
    ScratchScope scope;
    file = ui.choose_table(MsgText("0085"));
    if (file == 0) return kStCancelled;
  }
  if (!DictFileDefined(file)) return kStDataOutBound;
  TransParmSet(kTpFile, std::to_string(file));
  DictSelectFile(file);
  return kOk;
}

Status LimitsDialog(StrPair argument, uint16_t file) {
  std::string choices = EvalText(ArgItem(argument, 3));
  if (choices.empty()) {
    std::string items;
    const uint16_t count = std::min<uint16_t>(DictFieldCount(file), kBoundFieldsMax);
    for (uint16_t f = 1; f <= count; ++f) {
      if (f > 1) items += ',';
      items += TransFill("'%s(L/S):':'A1'", {FieldName(file, f)});
    }
    std::string values, cond;
    std::string caption = TransMessage("0086");
    if (Status s = TransAccept(StrOf(caption), StrOf(items), &values, &cond)) return s;
    for (const std::string& v : Values(values)) choices += v.empty() ? ' ' : v[0];
  }
  std::string form = TransBoundsForm(file, choices);
  if (form.empty()) return kStCancelled;
  TransParmSet(kTpAcBound, form);
  TransParmSet(kTpIndex, std::to_string(TransKeyOfBounds(file, choices)));
  return kOk;
}

Status FieldsDialog(uint16_t file) {
  std::string items;
  const uint16_t count = DictFieldCount(file);
  for (uint16_t f = 1; f <= count; ++f) {
    if (f > 1) items += ',';
    items += TransFill("'%s:':'L1'::1", {FieldName(file, f)});
  }
  std::string values, cond;
  std::string caption = TransMessage("0096");
  Status s = TransAccept(StrOf(caption), StrOf(items), &values, &cond);
  if (s != kOk) return s;
  const std::vector<std::string> checked = Values(values);
  if (checked.empty() && SysVarGet(kVarLastKey) == 3) return kStCancelled;
  std::string list;
  bool all = true;
  for (uint16_t f = 1; f <= count; ++f) {
    const bool on = f <= checked.size() && checked[f - 1] == "1";
    if (!on) {
      all = false;
      continue;
    }
    ScratchScope scope;
    if (!list.empty()) list += ',';
    list += DictFieldQualName(file, f).str();
  }
  TransParmSet(kTpStruct, all ? std::string() : list);
  return kOk;
}

Status UpdateExprDialog(StrPair argument) {
  std::string expr = EvalText(ArgItem(argument, 6));
  if (expr.empty()) {
    std::string values, cond;
    std::string caption = TransMessage("0099"), items = TransMessage("0100");
    if (Status s = TransAccept(StrOf(caption), StrOf(items), &values, &cond)) return s;
    std::vector<std::string> v = Values(values);
    expr = v.empty() ? std::string() : v[0];
  }
  TransParmSet(kTpWrExp, expr);
  return kOk;
}

Status RelTypeDialog() {
  std::string values, cond;
  std::string caption = TransMessage("0087"), items = TransMessage("0094");
  if (Status s = TransAccept(StrOf(caption), StrOf(items), &values, &cond)) return s;
  std::vector<std::string> v = Values(values);
  if (!v.empty() && !v[0].empty() && v[0] != "0") TransParmSet(kTpTrigger, v[0]);
  return kOk;
}

}  // namespace

std::string TransBoundsForm(uint16_t file, std::string_view choices) {
  std::string out;
  const std::string words = TransMessage("0080");
  std::string w_from, w_to;
  {
    ScratchScope scope;
    w_from = StrItem(StrOf(words), ',', 4).str();
    w_to = StrItem(StrOf(words), ',', 5).str();
  }
  for (uint16_t f = 1; f <= choices.size() && f <= DictFieldCount(file); ++f) {
    const char c = choices[f - 1];
    if (c != 'L' && c != 'S' && c != 'l' && c != 's') continue;
    const std::string name = FieldName(file, f);
    const std::string type(1, DictFieldType(file, f));
    const std::string width = std::to_string(DictFieldLength(file, f));
    auto item = [&](const std::string& label, const char* op) {
      if (!out.empty()) out += ',';
      out += TransFill("'%s %s:':'%s%s':%s{}%s", {name, label, type, width, name, op});
    };
    if (c == 'L' || c == 'l') {
      item(w_from, ">=");
      item(w_to, "<=");
    } else {
      item("", "==");
    }
  }
  return out;
}

uint16_t TransKeyOfBounds(uint16_t file, std::string_view choices) {
  for (uint16_t f = 1; f <= choices.size() && f <= DictFieldCount(file); ++f) {
    const char c = choices[f - 1];
    if (c == 'L' || c == 'S' || c == 'l' || c == 's') return DictKeyByField(file, f);
  }
  return 0;
}

Status TransMenuVerb(StrPair argument) {
  TransParmsClear();
  const uint16_t mode = uint16_t(std::strtol(EvalText(ArgItem(argument, 1)).c_str(), nullptr, 10));
  if (mode == 0) return TransRunSaved(ArgItem(argument, 2));
  Status s = ChooseFile(argument);
  const uint16_t file = DictFileNumber(0);
  if (s == kOk) s = LimitsDialog(argument, file);
  if (s == kOk && (mode & kTransExternFile)) s = FieldsDialog(file);
  if (s == kOk && !(mode & (kTransUpdate | kTransExternFile | kTransDeleting | kTransIndexChk)))
    s = UpdateExprDialog(argument);
  if (s == kOk && (mode & (kTransUpdate | kTransExternFile))) s = RelTypeDialog();
  if (s == kOk && !(mode & kTransBatch)) s = TransSaveConfig(mode);
  if (s != kOk) {
    TransParmsClear();
    return s;
  }
  return TransRunWithProgress("", 0, mode, nullptr);
}

void DataInstallTransactions() {
  AppVerbServiceSet(kVerbFileTrans, &TransMenuVerb);
  DataInstallTransStatements();
}

}  // namespace eng
