#include "data/trans_run.h"

#include <cstdlib>
#include <initializer_list>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/exp_eval.h"
#include "core/folders.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/maint_services.h"
#include "data/record_layer.h"
#include "data/record_search.h"
#include "data/trans_external.h"
#include "data/trans_parms.h"
#include "data/trans_services.h"

namespace eng {

namespace {

std::string FileName(uint16_t file) {
  ScratchScope scope;
  StrPair n = DictFileName(file);
  return n.ok() ? n.str() : std::string();
}

// Counts the records of the file between from and to (key `key`) that
// satisfy the condition. Opens the file read-only when it is closed, and
// closes it again.
Status CountRange(uint16_t file, uint16_t key, const std::string& from, const std::string& to,
                  const std::string& cond, uint32_t* count) {
  *count = 0;
  const bool was_open = DataFileCtrl(file).data_stream != 0xFFFF;
  if (!was_open) {
    Status o = DataFileOpen(file, kOpenReadOnly);
    if (o >= kStFirstWarning) return o;
  }
  DataFileSetKeyNumber(file, key);
  Status s;
  {
    ScratchScope scope;
    s = DataFileSearchFirst(file, key, StrOf(from), StrOf(cond), StrOf(to), nullptr);
  }
  while (s == kOk) {
    ++*count;
    ScratchScope scope;
    s = DataFileSearchNext(file, true, StrOf(cond), StrOf(to), -1, nullptr);
  }
  if (!was_open) DataFileClose(file);
  return s >= kStFirstWarning ? s : Status{kOk};
}

uint32_t ProcessedCount() { return uint32_t(SysVarBits(kVarCount)) | (uint32_t(SysVarBits(kVarHCount)) << 16); }

// The progress window of a run, titled message 0016 followed by the file
// name part of the transaction's name.
void OpenProgress(uint32_t steps, const std::string& name) {
  ScratchScope scope;
  StrPair base = PathSplit(StrOf(name), 4 | 8);
  const std::string title = MsgText("0016").str() + (base.ok() ? base.str() : std::string());
  MaintProgressOpen(steps, StrOf(title));
}

// The progress window's callbacks: the record's length in steps (a plain
// import from a file, whose window counts its bytes), or the record's key
// value as the window's line of text (every other run).
Status ProgressTick(uint32_t length, StrPair) { return TransProgressStep(length); }
Status ProgressText(uint32_t length, StrPair key) { return TransProgressStep(length, key); }

}  // namespace

Status TransOpenFile(uint16_t mode) {
  std::string given = TransParm(kTpFile);
  uint16_t file = 0;
  if (!given.empty()) {
    if (given.find_first_not_of(".-1234567890") == std::string::npos) {
      long n = std::strtol(given.c_str(), nullptr, 10);
      file = (n > 0 && n <= DictFileCount()) ? uint16_t(n) : 0;
    } else {
      ScratchScope scope;
      file = DictFileByName(StrOf(given));
    }
  } else {
    file = DictFileNumber(0);
  }
  while (!DictFileDefined(file)) {
    if (mode & kTransBatch) return ErrIncident(kStDataError, StrFromC("FILE"), false);
    std::string values, cond;
    std::string caption = TransMessage("0055"), items = TransMessage("0056");
    Status s = TransAccept(StrOf(caption), StrOf(items), &values, &cond);
    if (s != kOk) return s == kStNotAvailable ? ErrIncident(kStDataError, StrFromC("FILE"), false) : s;
    ScratchScope scope;
    std::string v = values;
    if (v.size() >= 2 && (v.front() == '\'' || v.front() == '"') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    file = DictFileByName(StrOf(v));
  }
  DictSelectFile(file);
  return kOk;
}

Status TransCopyStruct(std::string_view name, uint16_t mode) {
  if (!(mode & kTransIsSql) || !TransParm(kTpStruct).empty() || name.empty()) return kOk;
  const uint16_t target = DictFileNumber(0);
  uint16_t other;
  {
    ScratchScope scope;
    other = DictFileByName(StrOf(name));
  }
  if (!DictFileDefined(other) || other == target) return kOk;
  std::string list;
  const uint16_t count = DictFieldCount(other);
  for (uint16_t f = 1; f <= count; ++f) {
    ScratchScope scope;
    StrPair field_name = DictFieldName(other, f);
    uint16_t mine = DictFindField(target, field_name);
    if (f > 1) list += ',';
    list += (mine != 0xFFFF && mine != 0) ? DictFieldQualName(target, mine).str() : DictFieldQualName(other, f).str();
  }
  return TransParmSet(kTpStruct, list);
}

Status TransPrepare(std::string_view name, uint16_t mode) {
  SysVarSet(kVarCount, 0);
  SysVarSet(kVarHCount, 0);
  if (Status s = TransParmsLoad(name, mode)) return s;
  if (std::string set = TransParm(kTpSet); !set.empty()) {
    ScratchScope scope;
    Status s = ExpExecute(StrOf(set));
    if (s >= kStFirstError) return s;
  }
  if (Status s = TransOpenFile(mode)) return s;
  return TransCopyStruct(name, mode);
}

std::string TransBoundsDialog(uint16_t mode) {
  std::string acbound = TransParm(kTpAcBound);
  if (!acbound.empty() && !(mode & kTransBatch)) {
    std::string values, cond;
    std::string caption = TransMessage("0057");
    Status s = TransAccept(StrOf(caption), StrOf(acbound), &values, &cond);
    if (s == kOk) {
      if (!cond.empty()) {
        std::string old = TransParm(kTpCond);
        TransParmSet(kTpCond, old.empty() ? cond : cond + "&&" + old);
      }
      return values.empty() ? std::string("'',''") : values;
    }
    if (s != kStNotAvailable) return {};
  }
  std::string d = TransDefaultBounds();
  return d.empty() ? std::string("'',''") : d;
}

Status TransCountReport(std::string_view bounds, uint16_t mode) {
  const uint16_t file = DictFileNumber(0);
  uint32_t count = 0;
  if (Status s = CountRange(file, TransIndexNumber(file, mode), TransBound(bounds, 1), TransBound(bounds, 2),
                            TransParm(kTpCond), &count))
    return s;
  std::string text = TransFill(TransMessage("0101"), {std::to_string(count), FileName(file)});
  return ErrIncident(kStDetailText, StrOf(text), false);
}

Status TransBulkUpdate() {
  const uint16_t file = DictFileNumber(0);
  uint32_t count = 0;
  if (Status s = CountRange(file, 1, "", "", TransParm(kTpCond), &count)) return s;
  if (count == 0) return kStCancelled;
  std::string question = TransFill("%s records. Proceed?", {std::to_string(count)});
  if (MsgAskYesNo(StrOf(question)) != 1) return kStCancelled;
  std::string expr = TransParm(kTpWrExp);
  return DataFileExprUpdate(file, 1, StrOf(expr), 0);
}

Status TransExecute(std::string_view name, uint16_t mode, const TransProgressFn& progress, const TransReadFn& read) {
  bool switched_off = false;
  if (mode & (kTransUpdate | kTransExternFile)) {
    std::string trigger = TransParm(kTpTrigger);
    if ((trigger.empty() || trigger == "DISABLE") && SysVarHas(kVarUpStat, 1)) {
      DataFileSetTriggers(false);
      switched_off = true;
    }
  }
  Status result;
  std::string bounds = TransBoundsDialog(mode);
  if (bounds.empty()) {
    result = kStCancelled;
  } else if (mode == 0x1001) {
    result = TransBulkUpdate();
  } else if (mode & kTransIndexChk) {
    result = TransCountReport(bounds, mode);
  } else {
    result = FileTransLow(name, mode, bounds, progress, read);
  }
  if (switched_off) DataFileSetTriggers(true);
  TransParmsClear();
  return result;
}

Status TransRun(std::string_view name, uint16_t known, uint16_t mode, const TransProgressFn& progress,
                const TransReadFn& read) {
  mode = TransModeBits(name, known, mode);
  if (Status s = TransPrepare(name, mode)) {
    TransParmsClear();
    return s;
  }
  return TransExecute(name, mode, progress, read);
}

Status TransRunWithProgress(std::string_view name_in, uint16_t known, uint16_t mode, const TransReadFn& read) {
  std::string name(name_in);
  if ((mode & kTransExternFile) && name.empty()) {
    if (mode & kTransBatch) return ErrIncident(kStDataError, StrFromC("FILE"), false);
    if (Status s = TransExternalDialog(&mode, &name)) return s;
  }
  mode = TransModeBits(name, known, mode);
  if (Status s = TransPrepare(name, mode)) {
    TransParmsClear();
    if (!(mode & kTransBatch) && s != kStCancelled) MsgErrorBox(s);
    return s;
  }
  uint32_t steps = 0;
  if (TransIsImport(mode) && !(mode & (kTransStream | kTransExternIndexed | kTransIsSql))) {
    ScratchScope scope;
    StrPair path = PathJoin(StrOf(TransParm(kTpTarPath)), StrOf(name));
    if (path.ok()) steps = uint32_t(2 * StrmFileSize(path));
  }
  const uint16_t file = DictFileNumber(0);
  OpenProgress(steps, name);
  Status result = TransExecute(name, mode, steps ? &ProgressTick : &ProgressText, read);
  MaintProgressClose();
  if (!(mode & kTransBatch) && result != kStCancelled) {
    if (result == kOk) {
      std::string text = TransFill(TransMessage("0101"), {std::to_string(ProcessedCount()), FileName(file)});
      result = ErrIncident(kStDetailText, StrOf(text), false);
    }
    MsgErrorBox(result);
  }
  return result;
}

Status TransStatements(uint16_t code, const ExecArgs& args) {
  if (code != kExecExport && code != kExecImport) return kExecNotServed;
  const uint16_t base = code == kExecExport ? kTransModeExportStatement : kTransModeImportStatement;
  const uint16_t mode = uint16_t(base | uint16_t(args.Int(2)));
  std::string name = args.Text(1).ok() ? args.Text(1).str() : std::string();
  const bool progress = args.Int(3) != 0;
  if (progress) OpenProgress(0, name);
  Status s = TransRun(name, 0, mode, progress ? TransProgressFn(&ProgressTick) : TransProgressFn(), nullptr);
  if (progress) MaintProgressClose();
  if (s >= kStFirstError) return s;
  SysVarSet(kVarStat, int16_t(s));
  return kOk;
}

void DataInstallTransStatements() { ExecHandlerExtend(kExecSlotTrans, &TransStatements); }

}  // namespace eng
