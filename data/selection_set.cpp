#include "data/selection_set.h"

#include <array>
#include <memory>
#include <new>
#include <vector>

#include "core/runtime.h"
#include "core/str_case.h"
#include "core/scratch_arena.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/key_index.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_search.h"

namespace eng {

namespace {

struct SelSlot {
  bool in_use = false;
  uint16_t owner = 0;  // the file the selection belongs to
  uint16_t count = 0;
  std::vector<uint32_t> list;
};

struct SelState {
  std::array<SelSlot, kSelSlots> slots;
};

SelState& State() {
  std::shared_ptr<void>& p = Core().selections;
  if (!p) p = std::make_shared<SelState>();
  return *static_cast<SelState*>(p.get());
}

void Clear(SelSlot& s) {
  s.in_use = false;
  s.owner = 0;
  s.count = 0;
  std::vector<uint32_t>().swap(s.list);
}

// Whether a file's selection stack holds the slot.
bool FileHolds(uint16_t f, uint16_t slot) {
  if (f == 0 || f > DictFileCount()) return false;
  for (uint16_t v : DataFileCtrl(f).selection)
    if (v == slot + 1) return true;
  return false;
}

// The first slot not in use, or whose file no longer refers to it.
int FreeSlot() {
  SelState& st = State();
  for (uint16_t i = 0; i < kSelSlots; ++i) {
    SelSlot& s = st.slots[i];
    if (!s.in_use || !FileHolds(s.owner, i)) return i;
  }
  return -1;
}

// The slot of the file's current selection, checked to be the file's.
SelSlot* Current(uint16_t f) {
  const uint16_t v = DataFileCtrl(f).selection[0];
  if (v == 0 || v > kSelSlots) return nullptr;
  SelSlot& s = State().slots[v - 1];
  return (s.in_use && s.owner == f) ? &s : nullptr;
}

Status Resolve(uint16_t file, uint16_t* f) {
  *f = DictFileNumber(file);
  return DictCheckField(*f, kDictAnyField);
}

Status Append(SelSlot& s, uint32_t recno) {
  try {
    if (s.count % kSelGrowth == 0) s.list.reserve(size_t(s.count) + kSelGrowth);
    s.list.push_back(recno);
  } catch (const std::bad_alloc&) {
    return kStOutOfMemory;
  }
  ++s.count;
  return kOk;
}

}  // namespace

Status SelCollect(uint16_t slot, uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t maximum,
                  uint16_t mode, StrPair condition) {
  if (slot >= kSelSlots) return kStDataOutBound;
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  if (!from.ok()) return StrError(from);
  if (!to.ok()) return StrError(to);
  if (!condition.ok()) return StrError(condition);
  SelSlot& s = State().slots[slot];
  // Another file's live selection is never overwritten.
  if (s.in_use && s.owner != f && FileHolds(s.owner, slot)) return kStDataOutBound;
  Clear(s);
  s.in_use = true;
  s.owner = f;
  const std::string limit = to.str(), cond = condition.str();
  DataFileCtrlBlock& cb = DataFileCtrl(f);
  DataFileSaved kept;
  if (Status st = DataFileCtrlSave(f, kept)) return st;

  Status st = kStEndOfData;
  if (std::optional<std::string> start = DataFileKeyAfterPrefix(from, mode))
    st = DataFileLocate(f, key, StrOf(*start), 2);
  uint16_t flags = kNdxNext;
  while (s.count < maximum && st < kStEndOfData) {
    st = DataFileSearch(f, flags, StrOf(cond), StrOf(limit), nullptr);
    flags = kNdxNext | kSearchMoveFirst;
    if (st != kOk) break;
    if (cb.recno < 0) continue;
    if (Status as = Append(s, uint32_t(cb.recno))) {
      st = as;
      break;
    }
  }
  if (s.count > 0 && (st < kStFirstError || st == kStOutOfMemory)) {
    cb.last_status = kNdxFound;
    return st == kStOutOfMemory ? st : Status{kOk};
  }
  DataFileCtrlSave(f, kept);
  return st >= kStFirstError ? st : Status{kStEndOfData};
}

Status SelBuild(uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t maximum, uint16_t mode,
                StrPair condition) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  const uint16_t k = key == 0xFFFF ? DataFileKeyNumber(f) : key;
  if (DictKeyParts(f, k).count == 0) return kStDataError;
  DataFileSetKeyNumber(f, k);
  std::array<uint16_t, 3>& stack = DataFileCtrl(f).selection;
  if (stack[0] != 0) {
    if (stack[kSelNesting - 1] != 0) return kStDataOutBound;
    stack[2] = stack[1];
    stack[1] = stack[0];
    stack[0] = 0;
  }
  const int slot = FreeSlot();
  if (slot < 0) return kStDataOutBound;
  stack[0] = uint16_t(slot + 1);
  Status st = SelCollect(uint16_t(slot), f, k, from, to, maximum, mode, condition);
  SelSlot& s = State().slots[slot];
  if (st == kOk || (st == kStOutOfMemory && s.count > 0)) return st;
  Clear(s);
  DataFileCtrl(f).selection[0] = 0;
  return st;
}

uint16_t SelCount(uint16_t file) {
  uint16_t f = 0;
  if (Resolve(file, &f)) return 0;
  const SelSlot* s = Current(f);
  return s ? s->count : 0;
}

int SelCurrentSlot(uint16_t file) {
  uint16_t f = 0;
  if (Resolve(file, &f)) return -1;
  const uint16_t v = DataFileCtrl(f).selection[0];
  return Current(f) ? int(v) - 1 : -1;
}

size_t SelCapacity(uint16_t slot) {
  return slot < kSelSlots ? State().slots[slot].list.capacity() : 0;
}

Status SelGoto(uint16_t file, uint16_t part, uint32_t i) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  const SelSlot* s = Current(f);
  if (!s || i >= s->count) return kStDataOutBound;
  part &= kBufBoth;
  if (part == 0) return kStDataOutBound;
  DataFileSlot& d = DataFileSlotOf(f);
  if (!d.store.IsOpen()) return kStFileNotInit;
  std::string rec;
  const uint32_t r = s->list[i];
  if (Status st = d.store.Read(r, &rec)) return st;
  if (!rec.empty() && rec[0] == kRecordDeleted) return kStEndOfData;  // deleted since
  if (part == kBufBoth) rec += rec;
  if (Status st = BufStore(f, part, StrOf(rec))) return st;
  if (part & kBufCurrent) {
    d.ctrl.recno = int32_t(r);
    d.ctrl.last_status = kNdxFound;
  }
  return kOk;
}

std::string SelFieldText(uint16_t file, uint32_t i, uint16_t field) {
  uint16_t f = 0;
  if (Resolve(file, &f)) return std::string();
  if (SelGoto(f, kBufCurrent, i) != kOk) return std::string();
  ScratchScope scope;
  StrPair t = BufFieldText(f, field, kBufCurrent);
  return t.ok() ? t.str() : std::string();
}

Status SelFree(uint16_t file) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  if (SelSlot* s = Current(f)) Clear(*s);
  std::array<uint16_t, 3>& stack = DataFileCtrl(f).selection;
  stack[0] = stack[1];
  stack[1] = stack[2];
  stack[2] = 0;
  return kOk;
}

Status DataFileDeleteWhere(uint16_t file, uint16_t key, StrPair value, StrPair condition) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  if (!value.ok()) return StrError(value);
  const std::string v = value.str();
  // A build refused before it took a place (a key without parts, the stack
  // full) leaves the stack as it was: freeing then would drop the caller's
  // own selection.
  const std::array<uint16_t, 3> before = DataFileCtrl(f).selection;
  Status st = SelBuild(f, key, StrOf(v), StrOf(v), 0xFFFF, 3, condition);
  const bool took_place = st == kOk || DataFileCtrl(f).selection != before;
  if (st == kOk) {
    const uint16_t n = SelCount(f);
    for (uint16_t i = 0; i < n && st == kOk; ++i) {
      st = SelGoto(f, kBufBoth, i);
      if (st == kOk) st = DataFileDelete(f, 0);
    }
  }
  if (took_place) SelFree(f);
  return st;
}

Status DataFileReadByKeyText(uint16_t file, uint16_t key, StrPair text) {
  uint16_t f = 0;
  if (Status st = Resolve(file, &f)) return st;
  if (!text.ok()) return StrError(text);
  // A text of blanks names no key: it would make a record with a blank key.
  if (StrTrim(text, 3).empty()) return kStDataError;
  const std::string t = text.str();
  Status st = DataFileLocate(f, key, StrOf(t), 1);
  if (st == kNdxFound || st >= kStFirstError) return st;
  const uint16_t k = DataFileKeyNumber(f);
  DataFileCtrl(f).recno = -1;
  if (Status bs = BufBlankAndSetKey(f, k, StrOf(t), 1)) return bs;
  if (Status ks = BufSetKeyFields(f, k, StrOf(t))) return ks;
  return DataFileAddRecord(f);
}

}  // namespace eng
