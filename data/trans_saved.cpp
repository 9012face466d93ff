#include "data/trans_saved.h"

#include <cstdio>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/def_lines.h"
#include "core/folders.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "data/dict_query.h"
#include "data/open_state.h"
#include "data/relup_rules.h"
#include "data/trans_parms.h"
#include "data/trans_run.h"
#include "data/trans_services.h"

namespace eng {

namespace {

constexpr uint16_t kPpnFormat = 1;

// The text quoted as a saved value: apostrophes, double quotes when it holds
// an apostrophe; nullopt when it holds both.
bool Quote(std::string_view text, std::string* out) {
  ScratchScope scope;
  StrPair q = StrQuote(StrOf(text));
  if (!q.ok()) return false;
  *out = q.str();
  return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t e = text.find('\n', start);
    std::string line = text.substr(start, e == std::string::npos ? std::string::npos : e - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (e == std::string::npos) break;
    start = e + 1;
  }
  return lines;
}

// The lines of section n joined by ":"; empty when there are none.
std::string SectionText(std::string_view path, uint16_t n) {
  std::string out;
  bool any = false;
  ScratchScope scope;
  DefLinesEach(StrOf(path), kPpnFormat, n, [&](StrPair value) {
    if (any) out += ':';
    out.append(value.view());
    any = true;
    return Status{kOk};
  });
  return out;
}

}  // namespace

std::string TransPpnPath() {
  ScratchScope scope;
  std::string name = AppPrefix().str() + "trans.ppn";
  StrPair path = PathFolderFile(StrOf(name), 3);
  return path.ok() && path.len ? path.str() : name;
}

std::string TransPpnLinePrefix(uint16_t n, uint16_t format) {
  char buf[16];
  switch (format) {
    case 0:
      return {};
    case 1:
      std::snprintf(buf, sizeof buf, "%2u ", unsigned(n));
      return buf;
    case 2:
      std::snprintf(buf, sizeof buf, "\"%2u", unsigned(n));
      return buf;
    case 3:
      std::snprintf(buf, sizeof buf, "%4u ", unsigned(n));
      return buf;
    default:
      return std::to_string(n);
  }
}

Status TransPpnQueue(uint16_t format, std::string_view text, uint16_t n) {
  const std::string prefix = TransPpnLinePrefix(n, format);
  size_t start = 0;
  while (true) {
    size_t c = text.find(':', start);
    std::string part(text.substr(start, c == std::string_view::npos ? std::string_view::npos : c - start));
    if (part.size() >= 2 && (part.front() == '\'' || part.front() == '"') && part.back() == part.front())
      part = part.substr(1, part.size() - 2);
    if (Status s = DynStrPush(sl::kLineQueue, StrOf(prefix + part))) return s;
    if (c == std::string_view::npos) return kOk;
    start = c + 1;
  }
}

Status TransPpnRewrite(std::string_view path, uint16_t format, uint16_t n) {
  std::vector<std::string> queued;
  {
    ScratchScope scope;
    const uint16_t count = DynStrCount(sl::kLineQueue);
    for (uint16_t i = 0; i < count; ++i) queued.push_back(DynStrGet(sl::kLineQueue, i).str());
    DynStrClear(sl::kLineQueue);
  }
  std::string old;
  {
    ScratchScope scope;
    StrPair text = StrmReadFile(StrOf(path), 0, kStrmAll);
    if (text.ok()) old = text.str();
  }
  std::string out;
  bool placed = false;
  auto place = [&] {
    if (placed) return;
    for (const std::string& l : queued) out += l + "\r\n";
    placed = true;
  };
  for (const std::string& line : SplitLines(old)) {
    ScratchScope scope;
    const int32_t key = DefLineKey(format, StrOf(line));
    if (key == n) {
      place();
      continue;
    }
    if (key > n) place();
    out += line + "\r\n";
  }
  place();
  ScratchScope scope;
  StrmCount w = StrmWriteFileAt(StrOf(path), kStrmReplace, out.data(), out.size());
  return w == StrmCount(out.size()) ? Status{kOk} : Status{kStFileNotFound};
}

std::vector<std::string> TransSavedNames(std::string_view path) {
  std::vector<std::string> names;
  const std::string text = SectionText(path, 0);
  if (text.empty()) return names;
  ScratchScope scope;
  StrPair fd = StrKeyGetMode(StrOf(text), StrFromC("FD$"), kKeyUnquoted);
  if (!fd.ok() || fd.len == 0) return names;
  const std::string list = fd.str();
  const uint16_t count = StrItemCount(StrOf(list), ',');
  for (uint16_t i = 1; i <= count; ++i) names.push_back(StrItem(StrOf(list), ',', i).str());
  return names;
}

Status TransSaveDefinition(std::string_view path, std::string_view name, uint16_t mode) {
  if (name.empty() || name.find(',') != std::string_view::npos) return kStDataError;
  std::vector<std::string> names = TransSavedNames(path);
  for (const std::string& n : names)
    if (n == name) return kStFileExists;
  if (names.size() >= kTransPpnMaxSections) return kStDataOutBound;
  std::string list;
  for (const std::string& n : names) list += n + ",";
  list += name;
  std::string fd;
  if (!Quote(list, &fd)) return kStDataError;
  std::vector<std::string> items = {"TRANSPARMSMODE%=" + std::to_string(mode)};
  for (uint16_t i = 1; i <= kTransParmCount; ++i) {
    std::string v = TransParm(i);
    if (v.empty()) continue;
    std::string q;
    if (!Quote(v, &q)) return kStDataError;
    items.push_back(std::string(TransParmName(i)) + "=" + q);
  }
  const uint16_t section = uint16_t(names.size() + 1);
  DynStrClear(sl::kLineQueue);
  // The definition's section first, then the list naming it: a failure in
  // between leaves a section no name points to, never a name without one.
  for (const std::string& item : items)
    if (Status s = TransPpnQueue(kPpnFormat, item, section)) {
      DynStrClear(sl::kLineQueue);
      return s;
    }
  if (Status s = TransPpnRewrite(path, kPpnFormat, section)) return s;
  if (Status s = TransPpnQueue(kPpnFormat, "FD$=" + fd, 0)) return s;
  return TransPpnRewrite(path, kPpnFormat, 0);
}

Status TransSaveConfig(uint16_t mode) {
  std::string question = TransMessage("0097");
  if (MsgAskYesNo(StrOf(question)) != 1) return kOk;
  const std::string path = TransPpnPath();
  Status s;
  while (true) {
    std::string values, cond;
    std::string items = TransMessage("0056");
    s = TransAccept(StrFromC(""), StrOf(items), &values, &cond);
    if (s != kOk) break;
    std::string name = TransUnquote(values);
    s = TransSaveDefinition(path, name, mode);
    if (s == kStFileExists) {
      MsgErrorBox(s);
      continue;
    }
    if (s == kStDataError && name.find(',') != std::string::npos) continue;
    break;
  }
  MsgErrorBox(s);
  return s;
}

Status TransRunSaved(std::string_view path_in) {
  const std::string path = path_in.empty() ? TransPpnPath() : std::string(path_in);
  uint16_t choice_mode = 3;
  Status result = kOk;
  while (true) {
    std::vector<std::string> names = TransSavedNames(path);
    if (names.empty()) {
      ScratchScope scope;
      MsgBox(MsgText("0007"), StrPair{}, 0);
      return result;
    }
    std::string list;
    for (const std::string& n : names) list += (list.empty() ? "" : ",") + n;
    uint16_t chosen = 0;
    std::string title = TransMessage("0098");
    Status c = TransChoose(StrOf(title), StrOf(list), choice_mode, &chosen);
    choice_mode = 2;
    if (c == kStCancelled || (c == kOk && chosen == 0)) return result >= kStFirstWarning ? result : Status{kOk};
    if (c != kOk || chosen > names.size()) return kStDataError;
    if (Status p = ParmPushDef(StrOf(path), kPpnFormat, chosen); p != kOk)
      return p == kDefNone ? Status{kStDataError} : p;
    // The open state and the rules of the saved run.
    TransParmsClear();
    bool pushed_state = false, loaded_rules = false;
    uint16_t file = 0, rules_before = 0;
    {
      ScratchScope scope;
      std::string open = ParmGet(kParmOpen).str();
      if (!open.empty()) pushed_state = DataFileOpenState(StrOf(open)) < kStFirstError;
      int16_t relopt = ExpEvalInt(ParmGet(kParmRelOpt));
      file = DictFileNumber(0);
      if (relopt != 0 && file != 0) {
        rules_before = DynStrCount(sl::kRelUpdateRules);
        if (RelUpdLoad(file, ParmGet(kParmRelOpt)) == kOk) {
          loaded_rules = true;
          TransParmSet(kTpTrigger, "ENABLE");
        }
      }
    }
    std::string target, mode_text;
    {
      ScratchScope scope;
      target = ParmGet(kParmTarget).str();
      mode_text = ParmGetByName(StrFromC("TRANSPARMSMODE%")).str();
    }
    const uint16_t mode = uint16_t(std::strtoul(mode_text.c_str(), nullptr, 10));
    result = TransRunWithProgress(target, 0, mode, nullptr);
    if (pushed_state) DataFileOpenState(StrFromC("RESTORE"));
    if (loaded_rules) RelUpdRelease(file, rules_before);
    TransParmSet(kTpTrigger, "");
    ParmPop();
    if (result >= kStFirstError) return result;
  }
}

}  // namespace eng
