#include "apps/truvesca/inv_run_hook.h"

#include <string>

#include "apps/truvesca/inv_parms.h"
#include "apps/truvesca/inv_run.h"
#include "apps/truvesca/truvesca_head.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/relup_rules.h"
#include "output/report_runner.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/progress_win.h"
#include "ui/screen_actions.h"
#include "ui/screen_table.h"

namespace eng::truvesca {

namespace {

constexpr uint16_t kClassConfirm = 25;
constexpr uint16_t kRefreshClear = 17;
constexpr uint16_t kStoreInput = 118;
constexpr uint16_t kRefreshValue = 116;
constexpr const char* kConfirmTemplate = "kvInvSel.pdc";
constexpr const char* kConfirmButtons = "Cancel,Skip,Confirm";
constexpr uint16_t kProgressWidth = 40;
// The stack the run keeps its field names on (FD$, macro-expanded) from
// BEGIN to END, so that the steps' statements can read them with _$(36).
constexpr uint16_t kRunFieldsStack = 36;

// Selects the step's parameter context (0: the plain names).
void Step(uint16_t step) {
  ScratchScope scope;
  ParmCtxSet(step, StrOf(kInvStepNames));
}

std::string Parm(uint16_t step, uint16_t n) {
  Step(step);
  return InvParmText(n);
}

std::string Expanded(uint16_t step, uint16_t n, int flags = 0) {
  Step(step);
  return InvParmExpanded(n, flags);
}

std::string Item(const std::string& list, uint16_t n) {
  ScratchScope scope;
  return StrTrim(StrItem(StrOf(list), ',', n), 3).str();
}

// The window field of that name; 0 when the window has none.
uint16_t WindowField(const std::string& name) {
  if (InvBlank(name)) return 0;
  ScratchScope scope;
  FieldList nums = ScreenFieldNums(StrOf(name));
  return nums.empty() ? 0 : nums.front();
}

std::string WindowValue(uint16_t field) {
  if (!field) return {};
  ScratchScope scope;
  StrPair v = ScreenFieldRaw(field);
  return v.ok() ? StrTrim(v, 3).str() : std::string();
}

std::string EvalText(const std::string& expression) {
  if (InvBlank(expression)) return {};
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf(expression));
  return v.ok() ? v.str() : std::string();
}

// A file named by a step's TARGET$; 0 for none, 163 when it names no file.
Status TargetFile(uint16_t step, uint16_t* file) {
  const std::string name = Expanded(step, kParmTarget);
  *file = 0;
  if (InvBlank(name)) return kOk;
  ScratchScope scope;
  *file = DictFileByName(StrOf(name));
  return *file ? Status{kOk} : Status{kStDataError};
}

// What the window gives the run, read once before it starts.
struct RunDefinition {
  InvRunFiles files;
  uint16_t number_field = 0;   // window field showing the number
  uint16_t confirm_field = 0;  // window field switching the confirmation on
  uint16_t refresh_from = 0;
  std::string note_condition;  // filled terms of RD_COND$ and USR_COND$
  std::string device, document;
  std::string slots, test;  // the texts the run's slot list and test point at
};

Status ReadDefinition(RunDefinition* d, InvRunWindow* w) {
  InvRunFiles& f = d->files;
  if (Status s = TargetFile(kInvBegin, &f.notes)) return s;
  if (!f.notes) return kStDataError;
  if (Status s = TargetFile(kInvReg, &f.registry)) return s;
  if (Status s = TargetFile(kInvPay, &f.payments)) return s;
  f.invoices = AppModuleFile(1);

  const std::string fd = Expanded(0, kParmFd);
  d->number_field = WindowField(Item(fd, 3));
  d->confirm_field = WindowField(Item(fd, 6));
  d->refresh_from = WindowField(Item(fd, 7));
  {
    ScratchScope scope;
    f.inv_number = DictFindField(f.invoices, StrOf(Item(fd, 8)));
    f.inv_series = DictFindField(f.invoices, StrOf(Item(fd, 9)));
    f.note_invoice = DictFindField(f.notes, StrOf(Item(fd, 8)));
    f.note_customer = DictFindField(f.notes, StrOf(Item(fd, 10)));
  }
  for (uint16_t field : {f.inv_number, f.inv_series, f.note_invoice, f.note_customer})
    if (field == 0 || field == 0xFFFF) return kStDataError;

  w->from = EvalText(Item(fd, 4));
  w->to = EvalText(Item(fd, 5));
  w->number = WindowValue(d->number_field);
  w->confirm = d->confirm_field && StrToInt(StrOf(WindowValue(d->confirm_field))) != 0;

  std::string terms;
  for (uint16_t parm : {kParmRdCond, kParmUsrCond}) {
    const std::string raw = Expanded(0, parm);
    ScratchScope scope;
    StrPair joined = ScreenJoinFilledTerms(StrOf(raw), kInvOpAnd);
    if (!joined.ok()) return StrError(joined);
    if (joined.empty()) continue;
    if (!terms.empty()) terms += "&&";
    terms += "(" + joined.str() + ")";
  }
  d->note_condition = terms;

  {
    ScratchScope scope;
    const std::string relopt = Parm(0, kParmRelOpt);
    StrPair slots = DataFileLineExpr(StrOf(relopt), ScreenCurrent().rule_mark);
    d->slots = slots.ok() ? slots.str() : std::string();
  }
  d->test = Parm(0, kParmIk1);
  d->device = Expanded(0, kParmDevice);
  d->document = Expanded(0, kParmDoc);
  if (InvBlank(d->document)) d->document = kConfirmTemplate;
  return kOk;
}

// Prints the note in the notes buffer for the user to take or skip it.
Status ConfirmNote(const RunDefinition& d) {
  const uint16_t notes = d.files.notes;
  ScratchScope scope;
  StrPair kept = DynStrGet(sl::kSettings, sl::kButtonCaptions);
  const std::string captions = kept.ok() ? kept.str() : std::string();
  DataFileSaved saved;
  if (Status s = DataFileCtrlSave(notes, saved)) return s;
  StrPair kv = BufFileKeyValue(notes, 1);
  const std::string key = kv.ok() ? kv.str() : std::string();
  SysVarSet(kVarCurFil, int16_t(notes));
  SysVarSet(kVarCurEdFld, 0);
  DynStrSet(sl::kSettings, sl::kButtonCaptions, StrOf(kConfirmButtons));
  Status s = ReportRun(d.device, d.document, "", "", key, 0, "", "", nullptr);
  const int16_t button = SysVarGet(kVarCurEdFld);
  DynStrSet(sl::kSettings, sl::kButtonCaptions, StrOf(captions));
  DataFileCtrlSave(notes, saved);
  SysVarSet(kVarCurFil, int16_t(d.files.invoices));
  if (s >= kStFirstWarning) return s;
  switch (button) {
    case 1:
      return kOk;  // skip
    case 2:
      return 1;  // take
    default:
      return kStCancelled;
  }
}

}  // namespace

Status InvRunFromWindow() {
  std::string context;
  {
    ScratchScope scope;
    StrPair saved = ParmCtxSave();
    if (saved.ok()) context = saved.str();
  }
  const int16_t current = SysVarGet(kVarCurFil);
  RunDefinition d;
  InvRunWindow w;
  Status s = ReadDefinition(&d, &w);
  if (!s && d.refresh_from) {
    Status r = ScreenFieldsRefreshRange(kRefreshClear, d.refresh_from, -1);
    if (r >= kStFirstError) s = r;
  }
  // BEGIN runs before the run itself so that its statements can set the
  // invoice series the numbers are taken in.
  if (!s) {
    SysVarSet(kVarCurFil, int16_t(d.files.invoices));
    s = InvExecute(Expanded(kInvBegin, kParmSet));
  }
  if (!s) {
    ScratchScope scope;
    StrPair series = BufFieldText(d.files.invoices, d.files.inv_series, kBufCurrent);
    w.series = series.ok() ? StrTrim(series, 3).str() : std::string();
  }
  if (s) {
    ScratchScope scope;
    ParmCtxRestore(StrOf(context));
    SysVarSet(kVarCurFil, current);
    return s;
  }

  const InvRunFiles& f = d.files;
  w.slot_list = StrOf(d.slots);
  w.test = StrOf(d.test);
  bool begun = false;
  w.step = [&](InvStep step) -> Status {
    if (step == kInvBegin && !begun) {
      begun = true;
      return kOk;
    }
    SysVarSet(kVarCurFil, int16_t(f.invoices));
    if (Status r = InvExecute(Expanded(step, kParmSet))) return r;
    switch (step) {
      case kInvFoot:
      case kInvReg:
        return InvExecute(Expanded(step, kParmWrExp));
      case kInvScreenUp: {
        const std::string names = Expanded(step, kParmUpdFields);
        if (InvBlank(names)) return kOk;
        ScratchScope scope;
        Status r = ScreenFieldsRefresh(kRefreshValue, ScreenFieldNums(StrOf(names)));
        return r >= kStFirstError ? r : Status{kOk};
      }
      default:
        return kOk;
    }
  };
  w.customer_ok = [&]() -> bool {
    if (InvBlank(d.note_condition)) return true;
    SysVarSet(kVarCurFil, int16_t(f.notes));
    ScratchScope scope;
    return ExpEvalCond(StrOf(d.note_condition)) == 1;
  };
  w.group = [&]() -> std::string {
    SysVarSet(kVarCurFil, int16_t(f.notes));
    // The group condition compares the note's values as texts, so its
    // bracketed expressions are expanded inside quotes too.
    return Expanded(kInvCustomer, kParmRdCond, kMacroInQuotes);
  };
  w.confirm_note = [&]() -> Status { return ConfirmNote(d); };
  w.fill_line = [&](uint16_t) -> Status {
    SysVarSet(kVarCurFil, int16_t(f.invoices));
    if (Status r = InvExecute(Expanded(kInvInvoice, kParmRdExp))) return r;
    return InvExecute(Expanded(kInvInvoice, kParmWrExp));
  };
  w.next_payment = [&](bool* more) -> Status {
    SysVarSet(kVarCurFil, int16_t(f.payments));
    const std::string condition = Expanded(kInvPay, kParmEotExp);
    *more = false;
    if (InvBlank(condition)) return kOk;
    Status c;
    {
      ScratchScope scope;
      c = ExpEvalCond(StrOf(condition));
    }
    if (c >= kStFirstError) return c;
    *more = c == 1;
    return *more ? InvExecute(Expanded(kInvPay, kParmWrExp)) : Status{kOk};
  };
  w.show_number = [&](const std::string& number) {
    if (!d.number_field) return;
    ScratchScope scope;
    ScreenFieldStore(kStoreInput, d.number_field, StrOf(number));
  };
  // With confirmation the viewer shows each note and is where the user
  // cancels: the progress window stays away, since the viewer takes its
  // size from the window it opens over.
  const bool progress_window = !w.confirm;
  w.progress = [progress_window]() -> Status {
    if (progress_window) ProgBarStep(0, 1);
    return ProgPump();
  };

  const uint16_t stacked = DynStrCount(kRunFieldsStack);
  {
    ScratchScope scope;
    s = DynStrPush(kRunFieldsStack, StrOf(Expanded(0, kParmFd)));
  }
  if (!s) {
    if (progress_window) ProgOpen(kProgressWidth, 0);
    InvRunResult result;
    s = InvRun(f, w, &result);
    ProgClose();
  }
  DynStrPopTo(kRunFieldsStack, stacked);
  {
    ScratchScope scope;
    ParmCtxRestore(StrOf(context));
  }
  SysVarSet(kVarCurFil, current);
  return s;
}

Status InvRunHook(uint16_t action) {
  const uint16_t cls = action & 0xFF;
  Status s = kOk;
  if (cls == kClassConfirm) {
    s = InvRunFromWindow();
    MsgErrorBox(s);
  }
  return ScreenCloseOnExit(cls, s, 0x10);
}

}  // namespace eng::truvesca
