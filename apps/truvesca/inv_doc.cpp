#include "apps/truvesca/inv_doc.h"

#include <cstring>

#include "apps/truvesca/inv_parms.h"

#include "apps/truvesca/truvesca_head.h"
#include "core/dec_value.h"
#include "core/exp_eval.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_format.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/doc_journal.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/related_records.h"
#include "data/relup_rules.h"
#include "data/selection_set.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/list_level_state.h"
#include "ui/screen_table.h"

namespace eng::truvesca {

namespace {

// The application's message text (1001 up).
std::string AppText(const char* number) {
  ScratchScope scope;
  StrPair t = AppMessageText(StrFromC(number));
  return t.ok() ? t.str() : std::string();
}

void WarnBox(const char* number) {
  ScratchScope scope;
  const std::string text = AppText(number);
  MsgBox(StrOf(text), StrPair{}, 1);
}

// The relational-update slot list of the screen's writes (RELOPT%).
std::string SlotList() {
  ScratchScope scope;
  const std::string relopt = InvParmText(kParmRelOpt);
  StrPair v = DataFileLineExpr(StrOf(relopt), ScreenCurrent().rule_mark);
  return v.ok() ? v.str() : std::string();
}

// The integer value of an expression: its status (128 and above a failure).
Status EvalInteger(const std::string& text, int64_t* value) {
  ScratchScope scope;
  *value = 0;
  Status s = ExpEvalText(StrOf(text));
  if (s >= kStFirstError) return s;
  if (s == kOk) {
    StrPair top = ScratchTop();
    if (top.ok() && top.len == sizeof(DecValue)) {
      DecValue v;
      std::memcpy(&v, top.ptr, sizeof v);
      const int64_t scale = ExpScale() ? ExpScale() : 1;
      *value = v / scale;
    }
  } else if (s == 1) {
    StrPair top = ScratchTop();
    *value = top.ok() ? StrToInt(top) : 0;
  }
  return kOk;
}

// The rule pass of the invoice file's current record (no write).
Status RulePass(uint16_t file) {
  ScratchScope scope;
  const std::string slots = SlotList();
  return DataFileWriteHooked(0x100, file, StrOf(slots), StrOf(""));
}

}  // namespace

Status InvNumberFree() {
  ScratchScope scope;
  const std::string set = InvParmText(kParmSet);
  Status s = ExpEvalCond(StrOf(set));
  if (s >= kStFirstWarning) return s;
  if (s == 1) {
    WarnBox("1001");
    return kStDataError;
  }
  return kOk;
}

Status InvDocSave() {
  ScratchScope scope;
  const uint16_t invoices = AppModuleFile(1);
  const std::string set = InvParmText(kParmSet);
  Status c = ExpEvalCond(StrOf(set));
  if (c >= kStFirstError) return c;
  if (c != 1) {
    WarnBox("1001");
    return kOk;
  }
  for (uint16_t parm : {kParmWriteCab0, kParmWriteLins}) {
    if (Status s = InvExecute(InvParmExpanded(parm))) return s;
    if (!InvBlank(set))
      if (Status s = RulePass(invoices)) return s;
  }
  return kOk;
}

Status InvRegistrySave() {
  ScratchScope scope;
  const uint16_t registry = AppModuleFile(0);
  const std::string set = InvParmText(kParmSet);
  int64_t n = 0;
  if (Status s = EvalInteger(set, &n)) return s;
  if (Status s = InvExecute(InvParmExpanded(kParmWrExp))) return s;
  if (InvBlank(set)) return kOk;
  const std::string slots = SlotList();
  const std::string test = InvParmText(kParmIk1);
  return DataFileWriteHooked(n ? kWriteAdd : kWriteRewrite, registry, StrOf(slots), StrOf(test));
}

std::string DataFileFieldText(uint16_t file, uint16_t relation) {
  const uint16_t current = uint16_t(SysVarGet(kVarCurFil));
  if (!current || !DictFileDefined(current)) return {};
  ScratchScope scope;
  StrPair expr = DictRelationExpr(current, file, relation);
  if (!expr.ok() || expr.empty()) return {};
  StrPair v = ExpEvalStr(expr);
  return v.ok() ? v.str() : std::string();
}

Status InvRelatedDelete(uint16_t file, uint32_t* deleted) {
  uint32_t none = 0;
  if (!deleted) deleted = &none;
  *deleted = 0;
  const uint16_t current = uint16_t(SysVarGet(kVarCurFil));
  const std::string value = DataFileFieldText(file, 1);
  const uint16_t key = current ? DictRelationKey(current, file, 1) : 0;
  if (InvBlank(value) || key == 0) return kStIndexCmd;
  int32_t last = -1;
  for (;;) {
    ScratchScope scope;
    Status found = DataFileLocate(file, key, StrOf(value), 0);
    if (found >= kStFirstError) return found;
    if (found != kOk) return kOk;
    // A delete that succeeded removed the record; finding it again means
    // the file did not change, and going on would never end.
    const int32_t recno = DataFileCtrl(file).recno;
    if (recno == last) return kStInternal;
    last = recno;
    Status s = DataFileWriteHooked(kWriteDelete, file, StrOf(""), StrOf(""));
    if (s >= kStFirstWarning) return s;
    ++*deleted;
    if (s >= 2) return kOk;
  }
}

Status InvDocDelete() {
  ScratchScope scope;
  const uint16_t invoices = AppModuleFile(1);
  const std::string key = MovsDocKey(-1);
  const std::string test = InvParmText(kParmIk1);
  if (InvBlank(key)) return kStEndOfData;
  // The relation is evaluated on the invoice's own record, so it is kept
  // while the invoice's records go.
  StrPair record = BufRecord(invoices, kBufCurrent);
  const std::string kept = record.ok() ? record.str() : std::string();
  Status s = DocDeleteKeyRecords(invoices, key, 0, StrOf(""), StrOf(test));
  if (s >= kStFirstWarning) return s;
  if (!kept.empty()) BufStore(invoices, kBufCurrent, StrOf(kept));
  if (Status r = DataFileReopen(invoices, kOk)) return r;
  SysVarSet(kVarCurFil, int16_t(invoices));
  return InvRelatedDelete(AppModuleFile(0));
}

Status DataFileOpRemoved(uint16_t, uint16_t, StrPair) { return kStNotAvailable; }

Status InvDeleteRedundant(uint16_t file, StrPair condition) {
  ScratchScope scope;
  const std::string cond(condition.ok() ? condition.view() : std::string_view());
  StrPair kv = BufFileKeyValue(file, 1);
  if (!kv.ok()) return StrError(kv);
  const std::string key = kv.str();
  uint32_t count = 0;
  Status s = SelBuild(file, 1, StrOf(key), StrOf(key), 0xFFFF, 3, StrOf(cond));
  if (s >= kStFirstError) {
    SelFree(file);
    return s;
  }
  if (s == kOk) count = SelCount(file);
  SelFree(file);
  if (count == 0) {
    MsgErrorBox(kStNoData);
    return kOk;
  }
  if (count > 1) {
    const std::string text = AppText("1003");
    StrPair question = StrFormat(512, StrOf(text), {FmtArg(count)});
    if (!question.ok() || MsgAskYesNo(question) != 1) return kOk;
  }
  s = DataFileDeleteWhere(file, 1, StrOf(key), StrOf(cond));
  return s == kStEndOfData ? Status{kOk} : s;
}

Status InvDocLinesUpdate() {
  ScratchScope scope;
  const uint16_t file = uint16_t(SysVarGet(kVarCurFil));
  ScreenWin* win = ScreenWinGet(-1);
  ListLevel* level = win ? ListLevelGet(win->list_level) : nullptr;
  if (!file || !level) return kStInternal;
  LinsBuf& lines = level->lines;

  // The highest line number already stored under the key.
  int64_t base = 0;
  StrPair key_value = ExpEvalStr(StrOf(InvParmText(kParmSet)));
  if (!key_value.ok()) return StrError(key_value);
  const std::string key = key_value.str();
  if (!InvBlank(key)) {
    int64_t index = 0;
    if (Status s = EvalInteger(InvParmExpanded(kParmIndex), &index)) return s;
    const uint16_t nline = DictLineField(file);
    // The walk only finds the base: the file's position and record (the
    // document's, which the lines are written with) are put back after it.
    DataFileSaved kept;
    if (Status k = DataFileCtrlSave(file, kept)) return k;
    // The key text is usually the document's key without its line number:
    // the first record at or after it is read, and the walk keeps to the
    // records it begins.
    Status s = DataFileLocate(file, uint16_t(index ? index : 1), StrOf(key), 2);
    if (s == 1) s = kOk;
    while (s == kOk && nline && nline != 0xFFFF) {
      ScratchScope inner;
      StrPair kv = BufFileKeyValue(file, uint16_t(index ? index : 1));
      if (!kv.ok() || kv.view().substr(0, key.size()) != key) break;
      const int64_t n = StrToInt(BufFieldText(file, nline, kBufCurrent));
      // A header (no line number) sorts before its lines and is passed
      // over; a line number of 0 after the lines ends the walk. Stopping at
      // the header would number the lines from 1 again, over the stored
      // ones.
      if (n == 0 && base) break;
      if (n) base = n;
      s = DataFileMove(file, 0x10);
    }
    DataFileCtrlSave(file, kept);
    if (s >= kStFirstError) return s;
  }

  const std::string wr = InvParmText(kParmWrExp);
  const std::string follow = ExpListItem(StrOf(wr), 1).str();
  const std::string redundant = ExpListItem(StrOf(wr), 4).str();
  // The mode is read for each line, on the line's record, so that it can
  // depend on the line.
  const std::string mode_text = InvParmText(kParmRdCond);
  Status s = kOk;
  for (uint16_t line = 1; line <= lines.used && s == kOk; ++line) {
    ScratchScope inner;
    LinsSetCurrent(lines, line);
    if ((s = MovsLineToBuffer(file, lines, StrOf("")))) break;
    SysVarSet(kVarLNum, int16_t(base + line));
    int64_t mode = 0;
    if ((s = EvalInteger(mode_text, &mode))) break;
    switch (mode) {
      case 1:
        s = DataFileRelFollow(file, StrOf(follow), kRelCreate);
        break;
      case 2:
        s = InvDeleteRedundant(file, StrOf(redundant));
        break;
      case 3:
      case 4:
      case 5:
        s = DataFileOpRemoved(file, 1, StrOf(""));
        break;
      default:
        break;
    }
  }
  return s ? s : Status{1};
}

Status InvDocHook(StrPair commands) {
  const std::string list(commands.ok() ? commands.view() : std::string_view());
  const int16_t file = SysVarGet(kVarCurFil);
  const int event = SysVarGet(kVarAux);
  ScratchScope scope;
  const uint16_t count = StrItemCount(StrOf(list), ',');
  Status s = kOk;
  for (uint16_t i = 1; i <= count && s == kOk; ++i) {
    ScratchScope inner;
    const std::string command = StrTrim(StrItem(StrOf(list), ',', i), 3).str();
    const std::string name = StrItem(StrOf(command), ' ', 1).str();
    const std::string arg = StrTrim(StrItemRest(StrOf(command), ' '), 3).str();
    int number = 0;
    if (name == "Registry") number = 1;
    else if (name == "Invoice") number = 2;
    else if (name == "Payments") number = 3;
    const int action = number ? number + (event - 1) * 3 : 0;
    SysVarSet(kVarCurFil, file);
    switch (action) {
      case 5:
        s = InvNumberFree();
        break;
      case 9:
        s = InvDocLinesUpdate();
        break;
      case 10:
        s = InvRegistrySave();
        break;
      case 11:
        s = InvDocSave();
        break;
      case 13: {
        // Registry data that cannot be found (or deleted) is shown and
        // does not stop the delete.
        uint32_t deleted = 0;
        if (InvRelatedDelete(AppModuleFile(0), &deleted) || deleted == 0) WarnBox("1002");
        s = kOk;
        break;
      }
      case 14:
        s = InvDocDelete();
        break;
      case 15: {
        // Nothing to delete, or no relation, is no failure here; a failing
        // delete is.
        const uint16_t target = DictFileByName(StrOf(arg));
        Status r = target ? InvRelatedDelete(target) : Status{kStDataError};
        s = r >= kStFirstError ? r : Status{kOk};
        break;
      }
      default:
        s = kStDataError;
        break;
    }
  }
  SysVarSet(kVarCurFil, file);
  return s;
}

}  // namespace eng::truvesca
