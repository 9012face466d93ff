#include "data/related_records.h"

#include <string>

#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/key_index.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"

namespace eng {

namespace {

std::string Copy(StrPair p) { return p.ok() ? p.str() : std::string(); }

bool Blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// The relation's value on file a's current record: a is current while the
// expression runs, the current file is put back afterwards.
Status RelationValue(uint16_t a, const std::string& expr, std::string* value) {
  const int16_t previous = SysVarGet(kVarCurFil);
  DictSelectFile(a);
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf(expr));
  SysVarSet(kVarCurFil, previous);
  if (!v.ok()) return StrError(v);
  *value = v.str();
  return kOk;
}

Status RunStatements(uint16_t, StrPair text) { return ExpExecute(text); }

// Steps file b once, and with flag 8 on until the statements hold; the
// status of the last move or the condition's failure.
Status StepRelated(uint16_t b, uint16_t flags, const std::string& statements) {
  const uint16_t move = SysVarGet(kVarLastKey) == kLastKeyPrevious ? kNdxPrevious : kNdxNext;
  Status st = kOk;
  for (;;) {
    st = DataFileMove(b, move);
    if (st != kOk || !(flags & kRelSeekOrDelete)) break;
    Status holds = ExpEvalCond(StrOf(statements));
    if (holds >= kStFirstError) {
      st = holds;
      break;
    }
    if (holds == 1) break;
  }
  SysVarSet(kVarRelRes, kRelResStepped);
  SysVarSet(kVarScrStat, int16_t(SysVarBits(kVarScrStat) & ~kScrStepRelated));
  return st;
}

}  // namespace

Status DataFileRelFollow(uint16_t file, StrPair statements, uint16_t flags) {
  const std::string text = Copy(statements);
  if (!text.empty()) {
    Status st = ExpExecute(StrOf(text));
    if (st >= kStFirstError) return st;
  }
  return (flags & kRelCreate) ? DataFileAddRecord(file) : DataFileUpdateRecord(file);
}

Status DataFileRelUpdate(uint16_t file_b, uint16_t key, StrPair value, uint16_t flags,
                         StrPair statements) {
  if (!value.ok()) return StrError(value);
  const uint16_t b = DictFileNumber(file_b);
  if (Status st = DictCheckField(b, kDictAnyField)) return st;
  const std::string v = value.str(), text = Copy(statements);
  if (!(flags & kRelCreate))
    return DataFileScan(b, key, StrOf(v), 0, StrOf(text), RunStatements);
  // A created record starts blank with the value in its key, never as a
  // copy of whatever record the buffer held.
  DataFileSaved saved;
  if (Status st = DataFileCtrlSave(b, saved)) return st;
  BufInit(b);
  DataFileCtrl(b).recno = -1;
  Status st = DataFileScan(b, key, StrOf(v), kRelCreate, StrOf(text), RunStatements);
  DataFileCtrlSave(b, saved);
  return st;
}

Status DataFileRelFetch(uint16_t file_a, uint16_t file_b, uint16_t relation, uint16_t flags,
                        StrPair statements) {
  SysVarSet(kVarRelRes, 0);
  const uint16_t a = DictFileNumber(file_a), b = DictFileNumber(file_b);
  if (Status st = DictCheckField(a, kDictAnyField)) return st;
  if (Status st = DictCheckField(b, kDictAnyField)) return st;
  const std::string text = Copy(statements);
  std::string expr;
  {
    ScratchScope scope;
    StrPair e = DictRelationExpr(a, b, relation);
    if (!e.ok()) return StrError(e);
    expr = e.str();
  }
  if (expr.empty()) return kStDataError;
  std::string value;
  if (Status st = RelationValue(a, expr, &value)) return st;
  if (value.empty()) return kOk;
  const uint16_t key = DictRelationKey(a, b, relation);

  if (SysVarHas(kVarUpStat, kUpRulesRunning) && (flags & kRelDeleteMode) != kRelDeleteMode) {
    if (text.empty()) return kOk;
    return DataFileRelUpdate(b, key, StrOf(value), flags, StrOf(text));
  }

  if (Blank(value) && !SysVarHas(kVarScrStat, kScrStepRelated)) flags &= ~kRelNearest;
  Status st = DataFileLocate(b, key, StrOf(value), flags & (kRelReadBlank | kRelNearest));
  if (st >= kStFirstError) return st;
  const bool found = st == kNdxFound;
  if (found && (flags & kRelDeleteMode) == kRelDeleteMode) {
    SysVarSet(kVarRelRes, kRelResDeleted);
    st = DataFileDelete(b, 0);
    if (st >= kStFirstError) return st;
  } else if (!(flags & kRelSeekOrDelete) &&
             ((found && !text.empty()) || (!found && st <= kNdxPastEnd && (flags & kRelCreate)))) {
    if (!found) {
      DataFileCtrl(b).recno = -1;
      if (Status bs = BufBlankAndSetKey(b, key, StrOf(value), 1)) return bs;
    }
    st = DataFileRelFollow(b, StrOf(text), found ? 0 : kRelCreate);
    if (st >= kStFirstError) return st;
    if (!found) SysVarSet(kVarRelRes, kRelResCreated);
  }
  if (st <= kNdxPastEnd && (flags & kRelNearest) && SysVarHas(kVarScrStat, kScrStepRelated))
    st = StepRelated(b, flags, text);
  return st;
}

}  // namespace eng
