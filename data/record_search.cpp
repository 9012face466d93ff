#include "data/record_search.h"

#include "core/date_text.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/key_index.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"

namespace eng {

namespace {

std::string Copy(StrPair p) { return p.ok() ? p.str() : std::string(); }

void RememberCondition(const std::string& condition) {
  DynStrSet(sl::kWork, sl::kFileRelKey, StrOf(condition));
}

// The move of every round after the first: first and last go on in their
// direction; anything without a direction has nowhere to go (0).
uint16_t RoundMove(uint16_t flags) {
  switch (flags & kNdxMoveMask) {
    case kNdxNext:
    case kNdxFirst:
      return kNdxNext;
    case kNdxPrevious:
    case kNdxLast:
      return kNdxPrevious;
    default:
      return 0;
  }
}

Status Progress(const DataFileProgressFn& progress, const std::string& text) {
  return progress ? progress(StrOf(text)) : Status{kOk};
}

// The callback told of the record in file f's buffer, its key field's text
// worked out only when there is a callback to see it.
Status ProgressAt(const DataFileProgressFn& progress, uint16_t f) {
  return progress ? progress(StrOf(DataFileKeyFieldText(f))) : Status{kOk};
}

// Reads forward from record `from`: deleted records and records that fail
// the condition are passed over (the callback sees each), the first match is
// left in the buffer (0); the end blanks the buffer (2).
Status ReadForward(uint16_t f, int64_t from, const std::string& condition,
                   const DataFileProgressFn& progress) {
  DataFileSlot& s = DataFileSlotOf(f);
  if (!s.store.IsOpen()) return kStFileNotInit;
  DataRecordFile& records = s.store.Records();
  const int64_t count = records.Count();
  if (count < 0) return kStRead;
  std::string rec(s.store.Layout().record_length, ' ');
  for (int64_t r = from < 0 ? 0 : from; r < count; ++r) {
    if (Status st = records.ReadRecNo(r, rec.data())) return st;
    if (rec.empty() || rec[0] == kRecordDeleted) {
      if (Status p = Progress(progress, std::string())) return p;
      continue;
    }
    if (Status st = BufStore(f, kBufBoth, StrOf(rec + rec))) return st;
    s.ctrl.recno = int32_t(r);
    s.ctrl.last_status = kNdxFound;
    Status holds = ExpEvalCond(StrOf(condition));
    if (holds >= kStFirstError) return holds;
    if (holds == 1) return kOk;
    if (Status p = ProgressAt(progress, f)) return p;
  }
  s.ctrl.recno = -1;
  s.ctrl.last_status = kNdxPastEnd;
  BufInit(f);
  return kStEndOfData;
}

bool Unindexed(uint16_t f) {
  DataFileSlot& s = DataFileSlotOf(f);
  return s.store.IsOpen() && (s.store.Flags() & kOpenNoIndex);
}

}  // namespace

Status DataFileSearchLoop(uint16_t file, uint16_t flags, StrPair condition, StrPair bound,
                          const DataFileProgressFn& progress, DataFileMoverFn mover) {
  if (!bound.ok()) return StrError(bound);
  if (!condition.ok()) return StrError(condition);
  const std::string cond = condition.str(), limit = bound.str();
  if (!mover) mover = DataFileMoveInRange;
  for (;;) {
    if (flags & kSearchMoveFirst) {
      Status st = mover(file, flags, StrOf(limit));
      if (st >= kStFirstError) return st;
      if (Status p = ProgressAt(progress, file)) return p;
    }
    if (Status st = DataFileKeyBeyond(file, flags, StrOf(limit))) return st;
    Status holds = ExpEvalCond(StrOf(cond));
    if (holds >= kStFirstError) return holds;
    if (holds == 1) return kOk;
    const uint16_t move = RoundMove(flags);
    if (move == 0) return kStEndOfData;
    flags = uint16_t((flags & ~kNdxMoveMask) | move | kSearchMoveFirst);
  }
}

Status DataFileSearch(uint16_t file, uint16_t flags, StrPair condition, StrPair bound,
                      const DataFileProgressFn& progress) {
  if (!condition.ok()) return StrError(condition);
  const std::string cond = condition.str();
  RememberCondition(cond);
  return DataFileSearchLoop(file, flags, StrOf(cond), bound, progress, DataFileMoveInRange);
}

Status DataFileSearchNext(uint16_t file, bool indexed, StrPair condition, StrPair bound,
                          int32_t position, const DataFileProgressFn& progress) {
  const uint16_t f = DictFileNumber(file);
  if (Status st = DictCheckField(f, kDictAnyField)) return st;
  if (!condition.ok()) return StrError(condition);
  if (indexed && !Unindexed(f))
    return DataFileSearch(f, kNdxNext | kSearchMoveFirst, condition, bound, progress);
  const std::string cond = condition.str();
  RememberCondition(cond);
  return ReadForward(f, int64_t(position) + 1, cond, progress);
}

Status DataFileSearchFirst(uint16_t file, uint16_t key, StrPair value, StrPair condition,
                           StrPair bound, const DataFileProgressFn& progress) {
  const uint16_t f = DictFileNumber(file);
  if (Status st = DictCheckField(f, kDictAnyField)) return st;
  if (!condition.ok()) return StrError(condition);
  if (!value.ok()) return StrError(value);
  const std::string cond = condition.str();
  if (key == 0 || Unindexed(f)) {
    Status st = ReadForward(f, 0, cond, progress);
    if (st == kOk) RememberCondition(cond);
    return st;
  }
  const std::string v = value.str(), limit = Copy(bound);
  Status st = DataFileLocate(f, key, StrOf(v), 2);
  if (st >= kStEndOfData) return st;
  return DataFileSearch(f, kNdxNext, StrOf(cond), StrOf(limit), progress);
}

std::optional<std::string> DataFileKeyAfterPrefix(StrPair value, uint16_t mode) {
  std::string v = Copy(value);
  if (mode != 2) return v;
  while (!v.empty() && static_cast<unsigned char>(v.back()) == 0xFF) v.pop_back();
  if (v.empty()) return std::nullopt;
  v.back() = char(static_cast<unsigned char>(v.back()) + 1);
  return v;
}

std::string DataFileKeyFieldText(uint16_t file) {
  const uint16_t f = DictFileNumber(file);
  if (DictCheckField(f, kDictAnyField)) return std::string();
  ScratchScope scope;
  DictKeyFieldList fields = DictKeyFields(f, DataFileKeyNumber(f));
  if (fields.status || fields.count == 0) return std::string();
  const uint16_t field = fields.field[0];
  StrPair text = BufFieldText(f, field, kBufCurrent);
  if (!text.ok()) return std::string();
  std::string out = text.str();
  if (DictFieldType(f, field) == 'D' && out.find_first_not_of(' ') != std::string::npos) {
    StrPair shown = FmtDate(StrOf(out), 2);
    if (shown.ok()) out = shown.str();
  }
  return out;
}

}  // namespace eng
