#include "output/report_runner.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/app_verbs.h"
#include "core/arrays.h"
#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_compile.h"
#include "core/exp_eval.h"
#include "core/field_format.h"
#include "core/folders.h"
#include "core/log.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_keys.h"
#include "core/str_search.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/open_state.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_search.h"
#include "output/device_dialog.h"
#include "output/device_statements.h"
#include "output/output_state.h"

namespace eng {

namespace {

ReportLimitsAsker g_limits = nullptr;
ReportWindowFieldFn g_window_field = nullptr;
std::string g_last_limits;

constexpr std::string_view kNoBound = "\xFF";

std::string Trim(std::string_view t) {
  size_t a = t.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  size_t b = t.find_last_not_of(' ');
  return std::string(t.substr(a, b - a + 1));
}

std::string JoinCond(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + "&&" + b;
}

// The ","-items of a text, split outside quotes and parentheses.
std::vector<std::string> Items(std::string_view text) {
  std::vector<std::string> out;
  if (text.empty()) return out;
  size_t from = 0;
  for (;;) {
    size_t at = StrFindTopLevel(text, from, ",");
    out.emplace_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    from = at + 1;
  }
  return out;
}

std::string Item(std::string_view text, size_t n) {
  std::vector<std::string> items = Items(text);
  return n >= 1 && n <= items.size() ? items[n - 1] : std::string();
}

std::string Unquote(std::string t) {
  t = Trim(t);
  if (t.size() >= 2 && (t.front() == '\'' || t.front() == '"') && t.back() == t.front()) return t.substr(1, t.size() - 2);
  return t;
}

std::string EvalText(std::string_view text) {
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf(text));
  return v.ok() ? std::string(v.view()) : std::string();
}

std::string IfString(std::string_view text) {
  ScratchScope scope;
  StrPair v = ExpEvalIfString(StrOf(text));
  return v.ok() ? std::string(v.view()) : std::string(text);
}

bool IsRaw(uint16_t n) {
  return n == kParmDocSets || n == kParmAcBound || n == kParmLimits || n == kParmProgMode;
}

// The number of a run of digits, or -1.
int Number(std::string_view t) {
  std::string s = Trim(t);
  if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoi(s);
}

Status AskDevice(std::string& text) {
  DeviceAsker ask = Out().config.device_asker;
  if (!ask) {
    text = "CON " + text;
    return kOk;
  }
  Status s = ask(text);
  if (s == kOk && text.empty()) s = kStCancelled;
  return s;
}

// Reads AUXLOAD$'s definitions ("file;n,...") and pushes them, joined with
// ":", as one more parameter string.
Status OpenFiles(const std::string& auxload) {
  if (Trim(auxload).empty()) return kOk;
  std::string joined;
  for (const std::string& item : Items(auxload)) {
    std::string file = Trim(item.substr(0, item.find(';')));
    int n = item.find(';') == std::string::npos ? 0 : std::atoi(item.c_str() + item.find(';') + 1);
    uint16_t count = DefLinesEach(StrOf(file), static_cast<uint16_t>(n), n, [&](StrPair line) {
      if (!joined.empty()) joined += ':';
      joined.append(line.view());
      return Status{kOk};
    });
    if (count == kDefNone) return ErrIncident(kStLowFailure, StrOf(file), true);
  }
  if (joined.empty()) return kOk;
  return DynStrPush(sl::kModuleParms, StrOf(joined));
}

// The header image of a report: pdf_<db>_<base>.png, pdf_<base>.png, or the
// first (in byte order) pdf_*.png whose "@" places match the base name, in
// the application folder; stored as list 9 element 3 when found.
void PdfHeaderImage(const std::string& tmpl) {
  namespace fs = std::filesystem;
  std::string base = fs::path(tmpl).stem().string();
  std::string db;
  {
    StrPair login = DynStrGet(sl::kSettings, sl::kDatabaseLogin);
    if (login.ok()) db = Unquote(Item(login.view(), 2));
  }
  std::string folders;
  {
    StrPair f = DynStrGet(sl::kSettings, sl::kAppFolder);
    if (f.ok()) folders.assign(f.view());
  }
  for (const std::string& name : {"pdf_" + (db.empty() ? base : db + "_" + base) + ".png", "pdf_" + base + ".png"}) {
    ScratchScope scope;
    StrPair found = PathFindFile(StrOf(folders), StrOf(name));
    if (found.ok() && !found.empty()) {
      DynStrSet(sl::kWork, sl::kPdfHeaderImage, found);
      return;
    }
  }
  std::string first = Trim(Item(folders, 1));
  fs::path dir = first.empty() ? fs::path(".") : fs::path(first);
  auto store = [&](const std::string& name) {
    ScratchScope scope;
    DynStrSet(sl::kWork, sl::kPdfHeaderImage, StrOf((dir / name).string()));
  };
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(dir, ec), e; !ec && it != e; it.increment(ec)) {
    std::string n = it->path().filename().string();
    if (n.size() > 8 && n.compare(0, 4, "pdf_") == 0 && n.compare(n.size() - 4, 4, ".png") == 0) names.push_back(n);
  }
  std::sort(names.begin(), names.end());
  std::string want = "pdf_" + base + ".png";
  for (const std::string& n : names) {
    if (n.size() != want.size()) continue;
    bool match = true;
    for (size_t i = 0; i < n.size() && match; ++i) match = n[i] == '@' || n[i] == want[i];
    if (match) return store(n);
  }
}

struct RunTexts {
  std::string tmpl, range, condition, bound, progress;
};

Status Prepare(ReportState& st, const RunTexts& t) {
  uint16_t file = ReportCurrentFile();
  st.bound = t.bound;
  if (st.bound.empty() && file) {
    ScratchScope scope;
    StrPair f = BufGetField(file, 1);
    if (f.ok()) st.bound.assign(f.view());
  }
  st.tmpl = t.tmpl;
  st.run_cond = Item(t.range, 1);
  st.print_cond = Item(t.range, 2);
  st.repeat_cond = Item(t.range, 3);
  if (st.repeat_cond.empty() && file) {
    ScratchScope scope;
    StrPair q = StrQuote(StrOf(st.bound));
    if (!q.ok()) return StrError(q);
    st.repeat_cond = "(IER()<2&&KEY$()<=" + std::string(q.view()) + "+'z')";
  }
  st.body_cond = JoinCond(t.condition, Item(t.range, 4));
  st.progress = t.progress;
  if (Trim(st.tmpl).empty()) {
    ScratchScope scope;
    return ErrIncident(kStFileNotFound, MsgText("0010"), true);
  }
  PdfHeaderImage(st.tmpl);
  return kOk;
}

std::string DefaultRepeat(const ReportState& st) {
  ScratchScope scope;
  StrPair q = StrQuote(StrOf(st.bound));
  return q.ok() ? "(IER()<2&&KEY$()<=" + std::string(q.view()) + "+'z')" : std::string();
}

std::string CurrentKey(uint16_t file) {
  ScratchScope scope;
  StrPair k = BufKeyValue(file, DataFileKeyNumber(file), BufRecord(file, 1));
  return k.ok() ? std::string(k.view()) : std::string();
}

Status Evaluate(const std::string& cond) { return ReportEvalCond(cond); }

Status RecordLoop(ReportState& st, const std::string& counter) {
  uint16_t page = st.device.page;
  uint16_t file = ReportCurrentFile();
  uint16_t key = file ? DataFileKeyNumber(file) : 0;
  uint16_t flags = 0x10;
  // No callback when nobody is told of the records: the search then skips
  // working out each record's key text.
  const DataFileProgressFn progress =
      ReportShowsProgress(st) ? DataFileProgressFn([&](StrPair) { return ReportProgress(st); }) : nullptr;
  const std::string default_repeat = DefaultRepeat(st);
  Status status = kOk;
  for (;;) {
    int copies = 0;
    if (!counter.empty()) {
      ScratchScope scope;
      copies = std::max<int>(0, ExpEvalInt(StrOf(counter)));
    }
    Status s = kOk;
    std::string key_value;
    if (file && st.print_cond.empty()) {
      s = DataFileSearch(file, flags, StrOf(st.body_cond), StrOf(st.bound), progress);
      if (s <= 1) key_value = CurrentKey(file);
    }
    if (s <= 1) {
      Status c = Evaluate(st.print_cond);
      if (c >= kStFirstError) return c;
      if (c == 1) {
        for (int k = 0; k <= copies; ++k) {
          if (ScratchCheck(36) != kOk) return kStOutOfMemory;
          st.device.page = page;
          if (!SysVarHas(kVarAuxStat, 1)) {
            ScratchScope scope;
            ExpExecute(StrOf("_#('CLS')"));
          }
          st.status = kOk;
          ReportPrintTemplate(st);
          if (st.status) return st.status;
          if (k < copies && file) {
            if (DataFileLocate(file, key, StrOf(key_value), 0) != kOk) return kStInternal;
            s = DataFileSearch(file, 0x10, StrOf(st.body_cond), StrOf(st.bound), progress);
          }
        }
      }
    } else if (s >= kStFirstWarning) {
      status = s;
    }
    if (s == kOk && (st.flags & kRptPastLast) && (st.repeat_cond.empty() || st.repeat_cond == default_repeat)) {
      bool moved = file && CurrentKey(file) != key_value && Evaluate(st.body_cond) == 1 &&
                   DataFileCtrl(file).last_status == 0;
      if (!moved) {
        if (ReportProgress(st) == kStCancelled) st.flags |= kRptCancelled;
        flags = 0x90;
      }
    }
    if ((st.flags & 0x7800) || status >= kStFirstWarning || st.repeat_cond.empty()) break;
    if (s >= 2 && file && st.print_cond.empty()) break;
    Status r = Evaluate(st.repeat_cond);
    if (r >= kStFirstError) return r;
    if (r != 1) break;
  }
  if (st.flags & kRptCancelled) return kStCancelled;
  return status;
}

// Limits from LIMITS$; else, with flag 1, the raw text of field 1 or 2 of
// the current window; else the last accepted values.
std::string LimitsFromParm(int which, uint16_t flags) {
  std::string limits = ReportParm(kParmLimits);
  std::string v;
  if (!Trim(limits).empty()) {
    v = EvalText(Item(limits, static_cast<size_t>(which)));
  } else if (flags & 1) {
    if (g_window_field) v = g_window_field(which);
  } else {
    v = Unquote(Item(g_last_limits, static_cast<size_t>(which)));
  }
  while (!v.empty() && v.back() == ' ') v.pop_back();
  return v;
}

Status OpenAndRun(std::string device_text, const std::string& tmpl, const std::string& range, const std::string& cond,
                  const std::string& bound, DeviceRecord* device, bool ask) {
  if (!device && DeviceStripOptions(device_text).empty()) {
    if (ask) {
      if (Status s = AskDevice(device_text)) return s;
    } else {
      device_text = "CON " + device_text;
    }
  }
  uint16_t depth = DynStrCount(sl::kModuleParms);
  Status s = OpenFiles(ReportParm(kParmAuxLoad));
  if (s == kOk)
    s = ReportRun(device_text, tmpl, range, cond, bound.empty() ? kNoBound : std::string_view(bound), 0,
                  ReportParm(kParmProgMode), ReportParm(kParmCounter), device);
  DynStrPopTo(sl::kModuleParms, depth);
  return s;
}

Status PrintRange(const std::string& device_text, const std::string& tmpl, const std::string& range,
                  const std::string& filter, const std::string& cond, uint16_t flags, DeviceRecord* device,
                  bool ask) {
  bool as_is = SysVarHas(kVarUpStat, 4);
  std::string full = as_is ? cond : JoinCond(filter, JoinCond(ReportParm(kParmCond), cond));
  uint16_t file = ReportCurrentFile();
  Status s = kOk;
  std::string to;
  if (file && !as_is) {
    std::string from = LimitsFromParm(1, flags);
    to = LimitsFromParm(2, flags);
    int key = Number(ReportParm(kParmIndex));
    s = DataFileLocate(file, static_cast<uint16_t>(key > 0 ? key : 1), StrOf(from), 2);
    if (s <= 1) {
      s = DataFileSearch(file, 0x10, StrOf(full), StrOf(to.empty() ? kNoBound : std::string_view(to)),
                         [](StrPair) { return Status{kOk}; });
      if (s == kStCancelled) s = kStUndefinedWarning;
    }
  }
  if (s <= 1) return OpenAndRun(device_text, tmpl, range, full, to, device, ask);
  if (s == kStUndefinedWarning) return kOk;
  if (s >= kStFirstError) return s;
  MsgErrorBox(kStNoData);
  return kOk;
}

// Scripted limits take the form their fields would give them: each value
// stored by the type and width of its field in the form ("'Desde':'N5'"),
// then quoted again.
std::string FitToForm(const std::string& values, const std::string& form) {
  std::vector<std::string> fields = Items(form), given = Items(values);
  std::string out;
  for (size_t i = 0; i < given.size(); ++i) {
    std::string v = Unquote(given[i]);
    if (i < fields.size()) {
      size_t colon = StrFindTopLevel(fields[i], 0, ":");
      std::string spec = colon == std::string::npos ? std::string() : Unquote(fields[i].substr(colon + 1));
      int width = spec.size() > 1 ? Number(spec.substr(1)) : -1;
      if (width > 0) {
        ScratchScope scope;
        StrPair f = FmtFieldFromText(spec[0], StrOf(v), width);
        if (f.ok()) v.assign(f.view());
      }
    }
    if (i) out += ',';
    out += "'" + v + "'";
  }
  return out;
}

// Asks the limits in the form (the installed asker, else the next INPUT
// line, journalled as a confirmed form would be); the accepted values are
// remembered as the last limits. 122 when cancelled.
Status AskLimitValues(const std::string& acbound, std::string& filter) {
  std::string values;
  Status s;
  if (g_limits) {
    ScratchScope scope;
    // The form's title: the catalogue's text of message 0081, else the
    // engine's own.
    s = g_limits(MsgText("0081").view(), acbound, values, filter);
  } else {
    ScratchScope scope;
    StrPair line = CmdInputNextLine();
    values.assign(line.ok() ? line.view() : std::string_view());
    s = values.empty() ? Status{kStCancelled} : Status{kOk};
    if (s == kOk) values = FitToForm(values, acbound);
  }
  if (s) return s;
  if (!g_limits) {
    // Scripted limits stand for a confirmed form: journalled, and the last
    // accepted values that _ACCEPT$(n) reads in the report's template.
    OutputJournal(values);
    ScratchScope scope;
    DynStrSet(sl::kWork, sl::kDialogValues, StrOf(values));
  }
  g_last_limits = values;
  return kOk;
}

// Asks the limits unless flag 2 is set or there is no form; then prints the
// range.
Status AskLimits(const std::string& device_text, const std::string& tmpl, const std::string& range,
                 const std::string& cond, uint16_t flags, DeviceRecord* device, bool ask, const std::string& acbound) {
  std::string filter;
  if (!acbound.empty() && !(flags & 2)) {
    if (Status s = AskLimitValues(acbound, filter)) return s;
  }
  return PrintRange(device_text, tmpl, range, filter, cond, flags, device, ask);
}

std::string ExpandedAcBound() {
  std::string acbound = ReportParm(kParmAcBound);
  if (!acbound.empty()) {
    ScratchScope scope;
    StrPair m = MacroExpand(StrOf(acbound), 0);
    if (m.ok()) acbound.assign(m.view());
  }
  return acbound;
}

// The report of the definition on top of the parameter stack.
Status PrintDef(uint16_t flags) {
  Status s = ReportPrint(ReportParm(kParmDevice), ReportParm(kParmDocName), ReportParm(kParmDocSets),
                         ReportParm(kParmOpen), "", flags, nullptr, true);
  return s == kStCancelled ? Status{kOk} : s;
}

// Makes current the file that the definition's open list makes current (its
// last item's file, by name or number).
void SelectOpenFile() {
  std::vector<std::string> items = Items(ReportParm(kParmOpen));
  if (items.empty()) return;
  std::string name = Trim(items.back().substr(0, items.back().find(';')));
  int n = Number(name);
  ScratchScope scope;
  uint16_t f = n > 0 ? static_cast<uint16_t>(n) : DictFileByName(StrOf(name));
  if (f) DictSelectFile(f);
}

// The definition's limits asked first, its report printed once they are
// accepted (the form is not asked again); 122 when the form is cancelled.
Status PrintDefAfterLimits() {
  SelectOpenFile();
  std::string acbound = ExpandedAcBound();
  if (!acbound.empty()) {
    std::string filter;
    if (Status s = AskLimitValues(acbound, filter)) return s;
  }
  return PrintDef(2);
}

}  // namespace

void OutputSetLimitsAsker(ReportLimitsAsker asker) { g_limits = asker; }
void OutputSetWindowFieldReader(ReportWindowFieldFn fn) { g_window_field = fn; }

std::string ReportLastLimits() { return g_last_limits; }

std::string ReportParm(uint16_t n) {
  std::string v;
  {
    ScratchScope scope;
    StrPair p = ParmGet(n);
    if (!p.ok()) return {};
    v.assign(p.view());
  }
  if (IsRaw(n)) return v;
  if (n == kParmCond) {
    ScratchScope scope;
    StrPair m = MacroExpand(StrOf(v), 0);
    if (m.ok()) v.assign(m.view());
  }
  v = IfString(v);
  if (n == kParmDevice) {
    for (size_t at = v.find(','); at != std::string::npos; at = v.find(',', at + 2)) v.replace(at, 1, " /");
  }
  return v;
}

std::string ReportRangeKey(std::string_view text, int which, Status* status) {
  if (which == 3) {
    ScratchScope scope;
    StrPair v = StrKeyGetMode(StrOf(text), StrOf("FILE"), kKeyUnquoted);
    std::string name = v.ok() ? std::string(v.view()) : std::string();
    if (!name.empty()) {
      uint16_t f = DictFileByName(StrOf(name));
      if (f) DictSelectFile(f);
    }
    return name;
  }
  if (which != 1 && which != 2) {
    if (status) *status = kStDataError;
    return {};
  }
  std::vector<std::string> items = Items(text);
  // A "/FILE=" key is no part of the items.
  for (auto& item : items) {
    size_t k = item.find(" /FILE");
    if (k != std::string::npos) item.resize(k);
  }
  std::string from, to;
  if (items.size() == 1) to = items[0];
  else if (items.size() >= 2) from = items[0], to = items[1];
  std::string& pick = which == 1 ? from : to;
  std::string trimmed = Trim(pick);
  if (trimmed.empty()) return {};
  std::string v = IfString(trimmed);
  return v == trimmed ? trimmed : v;
}

Status ReportRun(std::string_view device_text, std::string_view tmpl, std::string_view range,
                 std::string_view condition, std::string_view key_bound, uint16_t input, std::string_view progress,
                 std::string_view counter, DeviceRecord* device) {
  {
    ScratchScope scope;
    DimDeclareSystem(StrOf("_#("));
  }
  static int depth = 0;
  struct Depth {
    Depth() {
      if (depth++ == 0) ReportForgetCompiled();
    }
    ~Depth() { --depth; }
  } nesting;
  int16_t aux = SysVarGet(kVarAux);
  SysVarSet(kVarAux, 0);
  DeviceBufferScope gather;
  ReportState st;
  st.input = input;
  Status status = Prepare(st, RunTexts{std::string(tmpl), std::string(range), std::string(condition),
                                       std::string(key_bound), std::string(progress)});
  if (status == kOk) {
    Status c = Evaluate(st.run_cond);
    if (c >= kStFirstError) status = c;
    else if (c != 1) status = kStNoData;
  }
  bool own = device == nullptr;
  if (status == kOk) {
    st.device = own ? DeviceOpen(device_text) : *device;
    status = st.device.status;
    if (status == kOk) {
      uint16_t first = DynStrCount(sl::kReportLines);
      status = ReportLoadTemplate(st);
      if (status == kOk) {
        ReportProgress(st);
        status = RecordLoop(st, std::string(counter));
        if (status <= kStCancelled) status = kOk;
      }
      DynStrPopTo(sl::kReportLines, first);
    }
    if (!own) {
      // The caller's device goes on writing after the run: what the run
      // gathered goes out now, and a failure is the report's.
      if (Status f = DeviceFlush(st.device); f && status == kOk) status = f;
      *device = st.device;
    } else if (status) {
      DeviceClose(st.device);
    } else {
      Status e = DeviceEnd(st.device);
      Status c = DeviceClose(st.device);
      status = e ? e : c;
    }
  }
  // A report's own header image ends with its own device.
  if (own) DynStrSet(sl::kWork, sl::kPdfHeaderImage, StrPair{});
  SysVarSet(kVarAuxStat, static_cast<int16_t>(SysVarBits(kVarAuxStat) & ~(1 | 2 | 4)));
  SysVarSet(kVarAux, aux);
  return status;
}

Status ReportPrintFile(std::string_view device_text, std::string_view file, std::string_view tmpl) {
  DeviceBufferScope gather;
  DeviceRecord d = DeviceOpen(device_text);
  if (d.status) {
    Status s = d.status;
    DeviceClose(d);
    return s;
  }
  uint16_t stream;
  {
    ScratchScope scope;
    stream = StrmOpen(StrOf(file), kStrmNoUpdate);
  }
  Status status = kOk;
  if (stream != kStrmNone) {
    if (!Trim(tmpl).empty()) {
      ScratchScope scope;
      StrPair first = StrmReadLine(stream, kStrmHere, kStrmLine);
      if (first.ok()) {
        uint16_t depth = DynStrCount(sl::kReturnBuffer);
        status = DynStrPush(sl::kReturnBuffer, first);
        if (status == kOk) status = ReportRun("", tmpl, ",,0", "", "", stream, "", "", &d);
        DynStrPopTo(sl::kReturnBuffer, depth);
      }
    } else {
      for (;;) {
        ScratchScope scope;
        StrPair line = StrmReadLine(stream, kStrmHere, kStrmLine);
        if (!line.ok()) break;
        status = DeviceWrite(d, std::string(line.view()) + "\r\n");
        if (status) break;
      }
    }
    StrmClose(stream);
  }
  Status e = DeviceEnd(d);
  Status c = DeviceClose(d);
  if (status == kOk) status = e ? e : c;
  return status;
}

Status ReportOpenAndRun(std::string_view device_text, std::string_view tmpl, std::string_view range,
                        std::string_view condition, std::string_view key_bound, DeviceRecord* device, bool ask) {
  return OpenAndRun(std::string(device_text), std::string(tmpl), std::string(range), std::string(condition),
                    std::string(key_bound), device, ask);
}

Status ReportPrint(std::string_view device_text, std::string_view tmpl_text, std::string_view range,
                   std::string_view open, std::string_view condition, uint16_t flags, DeviceRecord* device,
                   bool ask_device) {
  std::string tmpl(tmpl_text);
  uint16_t proc = 0;
  bool loaded = false;
  size_t semi = tmpl.find(';');
  if (semi != std::string::npos) {
    std::string name = Trim(tmpl.substr(semi + 1));
    tmpl = Trim(tmpl.substr(0, semi));
    if (!name.empty()) {
      ScratchScope scope;
      uint16_t p = ExecLoadProc(StrOf(name));
      if (p >= kStFirstWarning) return p;
      proc = p;
      loaded = true;
    }
  }
  Status s = kOk;
  std::string open_state = Trim(open);
  if (!open_state.empty()) {
    ScratchScope scope;
    s = DataFileOpenState(StrOf(open_state));
    if (s == 2) s = kStNoData;
  }
  if (s < 2) {
    for (;;) {
      std::string acbound = ExpandedAcBound();
      s = AskLimits(std::string(device_text), tmpl, std::string(range), std::string(condition), flags, device,
                    ask_device, acbound);
      if (s > 2 || acbound.empty() || (flags & 2)) break;
    }
  }
  if (!open_state.empty()) {
    ScratchScope scope;
    DataFileOpenState(StrOf("RESTORE"));
  }
  if (loaded) ExecUnloadProc(proc);
  return s;
}

Status ReportMenuText(std::string_view text, uint16_t flags) {
  std::vector<std::string> items = Items(text);
  if (items.size() == 2) {
    std::string name = Trim(items[0]);
    int n = Number(items[1]);
    std::string ext = std::filesystem::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (n > 0 && (ext.empty() || ext == ".PPN")) {
      if (ext.empty()) name += ".PPN";
      Status pushed;
      {
        ScratchScope scope;
        pushed = ParmPushDef(StrOf(name), 1, n);
      }
      if (pushed != kOk) return ErrIncident(kStSyntax, StrOf(text), true);
      std::string set = ReportParm(kParmSet);
      Status s = kOk;
      if (!Trim(set).empty()) {
        ScratchScope scope;
        StrPair m = MacroExpand(StrOf(set), 0);
        s = m.ok() ? ExpExecute(m) : StrError(m);
      }
      if (s == kOk) s = (flags & 4) ? PrintDefAfterLimits() : PrintDef(flags);
      ParmPop();
      return s == kStCancelled ? Status{kOk} : s;
    }
  }
  if (items.size() >= 5) {
    // A window-definition line: run as the AcceptRun verb runs it.
    ScratchScope scope;
    return AppVerbDispatch(AppVerbWord(kVerbAcceptRun, kOk), StrOf(text));
  }
  if (items.size() >= 2 && Number(items[1]) > 0) return ErrIncident(kStSyntax, StrOf(text), true);
  std::string t(text);
  std::replace(t.begin(), t.end(), ':', ',');
  Status s = ReportPrint(ReportRangeKey(t, 1), ReportRangeKey(t, 2), "", ReportRangeKey(t, 3), "",
                         static_cast<uint16_t>(flags + 1), nullptr, true);
  return s == kStCancelled ? Status{kOk} : s;
}

Status ReportMenuItem(std::string_view text) { return ReportMenuText(text, 0); }

}  // namespace eng
