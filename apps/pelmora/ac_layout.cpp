#include "apps/pelmora/ac_layout.h"

#include <vector>

#include "apps/pelmora/ac_balance.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_text.h"
#include "core/arrays.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/folders.h"
#include "core/log.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_format.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

#include <cctype>

namespace eng::pelmora {

namespace {

constexpr const char* kArray = "_#(";
constexpr uint16_t kTraceLog = 1;
constexpr uint16_t kLayoutLines = 128;

std::string Names() {
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf("_ACUMX$"));
  return v.ok() ? v.str() : std::string();
}

Status SetNames(const std::string& names) {
  ScratchScope scope;
  return ExpAssignValue(StrOf("_ACUMX$"), StrOf(names), true);
}

// 1-based position of the name in the list; 0 when absent.
int Position(const std::string& names, std::string_view name) {
  if (names.empty()) return 0;
  std::vector<std::string> items = AcSplit(names, ',');
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == name) return int(i + 1);
  return 0;
}

// The account list of a layout value: item 2, unquoted.
std::string AccountList(std::string_view value) {
  std::vector<std::string> items = AcSplit(value, ',');
  return items.size() >= 2 ? AcUnquote(items[1]) : std::string();
}

std::string ValueOf(std::string_view name) {
  ScratchScope scope;
  StrPair v = ParmGetByName(StrOf(name));
  return v.ok() ? v.str() : std::string();
}

std::string Money(DecValue v) {
  ScratchScope scope;
  StrPair t = DecToText(v);
  return t.ok() && t.len ? t.str() : "0";
}

}  // namespace

Status AcBalanceStore(std::string_view name, uint16_t offset, DecValue amount) {
  if (amount == 0) return kOk;
  std::string names = Names();
  std::string n(name);
  for (;;) {
    int pos = Position(names, n);
    if (pos == 0) {
      // A 129th line would fall on the first line's previous-year value.
      if (!names.empty() && AcSplit(names, ',').size() >= kLayoutLines) return kStInternal;
      names += names.empty() ? n : "," + n;
      pos = Position(names, n);
    }
    if (pos == 0) return kStInternal;
    uint16_t element = uint16_t(offset + pos - 1);
    ScratchScope scope;
    if (Status s = DimAddNum(StrFromC(kArray), element, amount)) return s;
    if (SysVarHas(kVarTrace, kTraceLog)) {
      StrPair value = ExpEvalStr(StrOf(std::string(kArray) + std::to_string(element) + ")"));
      LogTrace(StrFormat(512, MsgText("1012"), {StrOf(n), int(element), value.ok() ? value : StrOf("")}),
               kTraceLog);
    }
    size_t cut = n.rfind('_');
    if (cut == std::string::npos) break;
    n.resize(cut);
  }
  return SetNames(names);
}

DecValue AcBalanceGet(std::string_view name, uint16_t offset) {
  int pos = Position(Names(), name);
  if (pos == 0) return 0;
  ScratchScope scope;
  return ExpEvalNum(StrOf(std::string(kArray) + std::to_string(offset + pos - 1) + ")"));
}

Status AcLayoutLine(const AcBooks& b, std::string_view list, DateYmd from, DateYmd to, std::string_view suffix,
                    uint16_t diary, DecValue* total) {
  if (total == nullptr) return kStDataError;
  for (const std::string& raw : AcSplit(list, ',')) {
    std::string item = AcTrim(raw);
    if (item.empty()) continue;
    std::vector<std::string> parts = AcSplit(item, ';');
    AcBalance r = AcRangeBalance(b, AcTrim(parts[0]), from, to, suffix, diary);
    if (r.status >= kStFirstError) return r.status;
    int mode = parts.size() > 1 ? std::atoi(AcTrim(parts[1]).c_str()) : 0;
    if (Status s = AcAccumulate(r.debit, r.credit, kOk, mode, total)) {
      ScratchScope scope;
      return ErrIncident(s, StrOf(item), false);
    }
    if ((r.debit || r.credit) && SysVarHas(kVarTrace, kTraceLog)) {
      ScratchScope scope;
      LogTrace(StrFormat(512, MsgText("1011"),
                         {StrOf(item), StrOf(Money(r.debit)), StrOf(Money(r.credit)), StrOf(Money(*total))}),
               kTraceLog);
    }
  }
  return kOk;
}

Status AcLayoutRun(const AcBooks& b, DateYmd from, DateYmd to, std::string_view suffix, uint16_t diary,
                   uint16_t offset) {
  if (offset == 0) {
    ScratchScope scope;
    if (Status s = ExpEvalText(StrOf("_#('CLS')")); s >= kStFirstError) return s;
    if (Status s = SetNames("")) return s;
  }
  std::string top;
  {
    ScratchScope scope;
    StrPair t = DynStrTop(sl::kModuleParms);
    if (t.ok()) top = t.str();
  }
  for (const std::string& item : AcSplit(top, ':', true)) {
    size_t eq = item.find(":=");
    if (eq == std::string::npos) eq = item.find('=');
    std::string name = AcTrim(item.substr(0, eq == std::string::npos ? 0 : eq));
    if (name.empty()) continue;
    DecValue total = 0;
    if (Status s = AcLayoutLine(b, AccountList(ValueOf(name)), from, to, suffix, diary, &total)) return s;
    if (Status s = AcBalanceStore(name, offset, total)) return s;
  }
  return kOk;
}

Status AcLayoutLoad(int layout) {
  std::string joined;
  for (int part = 1; part <= 2; ++part) {
    ScratchScope scope;
    std::string name = "PLBAL" + std::to_string(layout) + std::to_string(part) + ".DAT";
    StrPair path = PathFindFile(DynStrGet(sl::kSettings, sl::kAppFolder), StrOf(name));
    if (!path.ok() || path.empty()) return ErrIncident(kStFileNotFound, StrOf(name), false);
    std::string p = path.str();
    if (Status s = ParmPushDef(StrOf(p), 0, 0)) return s;
    StrPair text = DynStrTop(sl::kModuleParms);
    if (!joined.empty()) joined += ":";
    if (text.ok()) joined += text.str();
    ParmPop();
  }
  ScratchScope scope;
  return DynStrPush(sl::kModuleParms, StrOf(joined));
}

std::string AcLayoutNames(int layout, Status* status) {
  *status = AcLayoutLoad(layout);
  if (*status) return {};
  std::string top;
  {
    ScratchScope scope;
    StrPair t = DynStrTop(sl::kModuleParms);
    if (t.ok()) top = t.str();
  }
  std::string names;
  for (const std::string& item : AcSplit(top, ':', true)) {
    size_t eq = item.find(":=");
    if (eq == std::string::npos) eq = item.find('=');
    std::string name = AcTrim(item.substr(0, eq == std::string::npos ? 0 : eq));
    if (name.empty()) continue;
    names += names.empty() ? name : "," + name;
  }
  return names;
}

std::string AcLayoutAccounts(std::string_view names) {
  std::string out;
  for (const std::string& name : AcSplit(names, ',')) {
    std::string list = AccountList(ValueOf(AcTrim(name)));
    if (list.empty()) continue;
    out += out.empty() ? list : "," + list;
  }
  return out;
}

Status AcPostCalc(int n) {
  if (n == 0) return kOk;
  std::string text;
  {
    ScratchScope scope;
    StrPair v = ExpEvalStr(StrOf("POSTCLC" + std::to_string(n) + "$"));
    if (v.ok()) text = v.str();
  }
  if (AcTrim(text).empty()) return kOk;
  std::string names = Names();
  const std::string open = "_#('";
  for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
    size_t close = text.find('\'', at + open.size());
    if (close == std::string::npos) break;
    std::string name = text.substr(at + open.size(), close - at - open.size());
    if (Position(names, name) == 0) names += names.empty() ? name : "," + name;
  }
  if (Status s = SetNames(names)) return s;
  std::vector<std::string> list = AcSplit(names, ',');
  for (size_t i = list.size(); i-- > 0;) {
    std::string quoted = "'" + list[i] + "'";
    for (size_t at = text.find(quoted); at != std::string::npos; at = text.find(quoted, at))
      text.replace(at, quoted.size(), std::to_string(i));
  }
  ScratchScope scope;
  return ExpExecute(StrOf(text));
}

Status AcBalanceDocument(std::string_view output, std::string_view marker) {
  std::vector<std::string> templ, old;
  auto lines = [](const std::string& all) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < all.size()) {
      size_t end = all.find('\n', pos);
      std::string l = all.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      if (!l.empty() && l.back() == '\r') l.pop_back();
      out.push_back(l);
      if (end == std::string::npos) break;
      pos = end + 1;
    }
    return out;
  };
  std::string out_name(output);
  {
    ScratchScope scope;
    // The template lies in the application folders under the output's own name.
    std::string base = out_name.substr(out_name.find_last_of("/\\") == std::string::npos
                                           ? 0
                                           : out_name.find_last_of("/\\") + 1);
    // Only the application folders: the output itself may lie in the
    // current folder under the same name.
    std::string p;
    StrPair folders = DynStrGet(sl::kSettings, sl::kAppFolder);
    std::string list = folders.ok() ? folders.str() : std::string();
    for (const std::string& folder : AcSplit(list, ',')) {
      if (AcTrim(folder).empty()) continue;
      StrPair found = PathFindFile(StrOf(""), PathJoin(StrOf(AcTrim(folder)), StrOf(base)));
      if (found.ok() && !found.empty()) {
        p = found.str();
        break;
      }
    }
    if (p.empty()) return kStFileIo;
    StrPair t = StrmReadFile(StrOf(p), 0, -1);
    if (!t.ok()) return kStFileIo;
    templ = lines(t.str());
    if (StrmFileSize(StrOf(out_name)) > 0) {
      StrPair o = StrmReadFile(StrOf(out_name), 0, -1);
      if (o.ok()) old = lines(o.str());
    }
  }
  std::string result;
  size_t next_old = 0;
  for (const std::string& line : templ) {
    std::string l = line;
    if (!marker.empty() && line.find(marker) != std::string::npos) {
      ScratchScope scope;
      StrPair e = MacroExpand(StrOf(line), 0);
      if (!e.ok()) return StrError(e);
      l = e.str();
      ++next_old;
    } else if (next_old < old.size()) {
      l = old[next_old++];
    }
    result += l + "\r\n";
  }
  ScratchScope scope;
  if (StrmWriteFileAt(StrOf(out_name), kStrmReplace, result.data(), result.size()) < 0) return kStFileIo;
  return kOk;
}

Status AcFullBalanceFn(FnArgs& args) {
  if (Status s = FnArgCount(args, 2, 6)) return s;
  FnIntArg post = FnArgInt(args, 6, 0);
  if (post.status) return AcArgStatus(post.status);
  StrPair marker_arg = FnArgStr(args, 5, StrPair{});
  if (!marker_arg.ok()) return AcArgStatus(StrError(marker_arg));
  std::string marker = marker_arg.str();
  StrPair out_arg = FnArgStr(args, 4, StrPair{});
  if (!out_arg.ok()) return AcArgStatus(StrError(out_arg));
  std::string output = AcTrim(out_arg.str());
  FnIntArg diary = FnArgInt(args, 3, 0);
  if (diary.status) return AcArgStatus(diary.status);
  std::string to_text, from_text;
  for (auto [i, dst] : {std::pair<uint16_t, std::string*>{2, &to_text}, {1, &from_text}}) {
    StrPair t = FnArgStr(args, i, StrPair{});
    if (!t.ok()) return AcArgStatus(StrError(t));
    *dst = AcTrim(t.str());
  }
  DateYmd from = AcDateOf(StrOf(from_text)), to = AcDateOf(StrOf(to_text));
  if (from == 0 || to == 0) return kStDataError;
  AcBooks b;
  if (Status s = AcBooksOpen(&b)) return s;
  {
    ScratchScope scope;
    LogSetPath(StrOf("BALANCE_LOG.TXT"));
  }
  uint16_t sel = static_cast<uint16_t>(diary.value);
  if (Status s = AcLayoutRun(b, from, to, "", sel, 0)) return s;
  AcDayRange back = AcYearBack(from, to);
  if (Status s = AcLayoutRun(b, back.from, back.to, "", sel, kAcPrevYear)) return s;
  if (Status s = AcPostCalc(post.value)) return s;
  if (!output.empty())
    if (Status s = AcBalanceDocument(output, marker)) return s;
  return AcNumberResult(args, DecFromInt(1));
}

Status AcBLabelFn(FnArgs& args) {
  uint16_t n = args.Count();
  if (n != 1 && n != 3) return kStSyntax;
  std::string t[3];
  for (uint16_t i = n; i >= 1; --i) {
    StrPair v = FnArgStr(args, i, StrPair{});
    if (!v.ok()) return AcArgStatus(StrError(v));
    t[i - 1] = AcTrim(v.str());
  }
  uint16_t prev = static_cast<uint16_t>(SysVarGet(kVarLb));
  if (prev == 0) prev = kAcPrevYear;
  if (n == 1) {
    bool has = AcBalanceGet(t[0], 0) != 0 || AcBalanceGet(t[0], prev) != 0;
    std::vector<std::string> items = AcSplit(ValueOf(t[0]), ',');
    std::string label = items.empty() ? std::string() : AcUnquote(items[0]);
    {
      ScratchScope scope;
      if (Status s = ExpAssignValue(StrOf("_LTEXT$"), StrOf(label), true)) return s;
    }
    return AcNumberResult(args, DecFromInt(has ? 1 : 0));
  }
  std::string word = t[1];
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const char* known[] = {"=", ">", ">=", "<", "<=", "<>", "IS", "IS NOT"};
  bool listed = false;
  for (const char* k : known) listed = listed || word == k;
  if (!listed) return AcNumberResult(args, 0);
  DecValue a = AcBalanceGet(t[0], 0), c = AcBalanceGet(t[2], 0);
  DecValue pa = AcBalanceGet(t[0], prev), pc = AcBalanceGet(t[2], prev);
  if (word == ">=") return AcNumberResult(args, DecFromInt((a >= c || pa >= pc) ? 1 : 0));
  if (word == "<") return AcNumberResult(args, DecFromInt((a < c || pa < pc) ? 1 : 0));
  return kStSyntax;
}

}  // namespace eng::pelmora
