#include "data/hooked_write.h"

#include <string>

#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"

namespace eng {

Status DataFileWriteHooked(uint16_t flags, uint16_t file, StrPair slot_list, StrPair test) {
  if (!slot_list.ok()) return StrError(slot_list);
  uint16_t f = DictFileNumber(file);
  ScratchScope scope;
  uint16_t op = flags & kWriteOpMask;
  bool is_add = (flags & kPassNew) && !(flags & kPassOld);
  if (flags & kWriteCheckEmpty) {
    Status empty = DataFileIsBlankRecord(f, test);
    if (empty >= kStFirstError) return empty;
    // An empty record is skipped whole: no write and no pass, so that no
    // rule takes back the effect of a record that stays on disk.
    if (empty) return kOk;
    if (is_add && !SysVarHas(kVarUpStat, kUpStatDuplicates)) {
      std::string key(BufFileKeyValue(f, 1).view());
      // The search is on key 1; the file keeps its own current key.
      const uint16_t current_key = DataFileKeyNumber(f);
      Status found = DataFileSeekRead(f, 1, StrOf(key), 0);
      DataFileSetKeyNumber(f, current_key);
      if (found == kOk) return kStDuplicate;
      if (found >= kStFirstError) return found;
    }
  }
  // The record as read before the change: the record layer refreshes the
  // saved copy when it writes, but the -1 pass must see the old record.
  StrPair saved = BufRecord(f, kBufSaved);
  if (!saved.ok()) return StrError(saved);
  std::string before(saved.view());
  Status written = kOk;
  if (op == kWriteAdd) written = DataFileAddRecord(f);
  else if (op == kWriteRewrite) written = DataFileUpdateRecord(f);
  if (written) return written;

  std::string rules;
  if (!(flags & kWriteNoRules)) {
    StrPair text = RelRuleText(f, slot_list);
    if (!text.ok()) return StrError(text);
    rules.assign(text.view());
  }
  Status first = kOk;
  if (flags & kPassOld) {
    if (op == kWriteDelete) {
      // A delete that failed changed nothing: its effect is not taken back.
      if (Status s = DataFileDelete(f, 0)) return s;
    }
    if (!(flags & kWriteNoRules)) {
      std::string after(BufRecord(f, kBufSaved).view());
      if (Status s = BufStore(f, kBufSaved, StrOf(before))) return s;
      first = DataFileRunTrigger(kPassOld, f, StrOf(rules));
      Status put = BufStore(f, kBufSaved, StrOf(after));
      if (!first) first = put;
    }
  }
  if ((flags & kPassNew) && !(flags & kWriteNoRules)) {
    Status s = DataFileRunTrigger(kPassNew, f, StrOf(rules));
    if (!first) first = s;
  }
  return first;
}

Status DataFileWriteStep(uint16_t file, StrPair condition, StrPair slot_list) {
  if (!condition.ok()) return StrError(condition);
  if (!slot_list.ok()) return StrError(slot_list);
  const std::string slots(slot_list.view());
  Status holds = ExpEvalCond(condition);
  if (holds >= kStFirstError) return holds;
  if (file == 0) return kOk;
  if (holds == 1) return DataFileWriteHooked(kWriteAdd, file, StrOf(slots), StrPair{});
  if (holds == 0) return kStNoData;
  return kOk;
}

Status DataFileWriteLoop(uint16_t file, StrPair start, StrPair record, StrPair write, StrPair end,
                         StrPair slot_list, uint32_t* count, const DataFileRecordFn& per_record,
                         const DataFileLoopProgressFn& progress) {
  uint32_t written = 0;
  if (count) *count = 0;
  for (StrPair p : {start, record, write, end, slot_list})
    if (!p.ok()) return StrError(p);
  // The texts may be views of stores that the rules or callbacks change.
  const std::string start_c(start.view()), record_c(record.view()), write_c(write.view()),
      end_c(end.view()), slots(slot_list.view());
  Status st = ExpEvalCond(StrOf(start_c));
  if (st == 1) {
    for (;;) {
      st = ExpEvalCond(StrOf(record_c));
      if (st == 1) {
        st = DataFileWriteStep(file, StrOf(write_c), StrOf(slots));
        if (st == kOk) {
          ++written;
          if (per_record) st = per_record(file);
        }
      }
      if (st < kStFirstWarning && progress) st = progress(written);
      if (st > kStDetailText) break;
      st = ExpEvalCond(StrOf(end_c));
      if (st != 0) break;
    }
  }
  if (count) *count = written;
  return st >= kStFirstError ? st : Status{kOk};
}

}  // namespace eng
