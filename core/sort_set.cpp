#include "core/sort_set.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_compare.h"
#include "core/str_items.h"

namespace eng {

namespace {

const char* ItemAt(const SortSet& set, uint32_t i) {
  return set.buf.bytes.data() + static_cast<size_t>(i) * set.item_width;
}

// Compares the first compare-width bytes of two padded items in the set's order.
int OrderCompare(const SortSet& set, const char* a, const char* b) {
  int c = set.compare_width ? MemCompare(a, b, set.compare_width) : 0;
  return (set.flags & kSortDescending) ? -c : c;
}

// Room for one more item: doubles the buffer, never past 65,535 bytes.
Status Grow(SortSet& set) {
  if (set.count == 0xFFFF) return kStDataOutBound;
  const uint32_t need = (static_cast<uint32_t>(set.count) + 1) * set.item_width;
  if (need > kMaxText) return kStDataOutBound;
  if (need <= set.buf.capacity) return kOk;
  uint32_t cap = std::max<uint32_t>(set.buf.capacity, set.item_width);
  while (cap < need) cap *= 2;
  cap = std::min<uint32_t>(cap, kMaxText);
  return MemBufResize(set.buf, static_cast<uint16_t>(cap));
}

}  // namespace

SortSet SortSetCreate(uint16_t a, uint16_t b, uint8_t flags) {
  SortSet set;
  set.item_width = std::max(a, b);
  set.compare_width = std::min(a, b);
  set.flags = flags;
  uint32_t cap = std::min<uint32_t>(static_cast<uint32_t>(kSortInitialItems) * set.item_width, kMaxText);
  set.buf = MemBufNew(kSortOwner, static_cast<uint16_t>(cap));
  return set;
}

Status SortSetInsert(StrPair value, SortSet& set) {
  if (!value.ok()) return StrError(value);
  if (value.len > set.item_width) return kStDataError;
  if (set.buf.status) return set.buf.status;
  std::string padded(value.view());
  padded.resize(set.item_width, ' ');

  // The first item that does not stand before the value (the items are in
  // order, so a binary search finds the same item as a walk from the first).
  uint32_t lo = 0, hi = set.count;
  while (lo < hi) {
    uint32_t mid = (lo + hi) / 2;
    if (OrderCompare(set, ItemAt(set, mid), padded.data()) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  uint32_t at = lo;
  if (at < set.count && OrderCompare(set, ItemAt(set, at), padded.data()) == 0) {
    if (set.flags & kSortUnique) return kStDuplicate;
    ++at;  // right after the first equal item
  }
  Status s = Grow(set);
  if (s) return s;
  char* base = set.buf.bytes.data();
  const size_t w = set.item_width;
  if (w) {
    std::memmove(base + (at + 1) * w, base + at * w, (set.count - at) * w);
    std::memcpy(base + at * w, padded.data(), w);
  }
  ++set.count;
  set.buf.used = static_cast<uint16_t>(set.count * w);
  return kOk;
}

Status SortSetMove(uint16_t move, SortSet& set) {
  if (set.count == 0) {
    set.cursor = 0;
    return kStEndOfData;
  }
  const uint16_t last = static_cast<uint16_t>(set.count - 1);
  switch (move & kSortMoveBits) {
    case kSortNext:
      if (set.cursor >= last) {
        set.cursor = last;
        return kStEndOfData;
      }
      ++set.cursor;
      return kOk;
    case kSortPrevious:
      if (set.cursor == 0 || set.cursor > last) {
        set.cursor = last;
        return kStEndOfData;
      }
      --set.cursor;
      return kOk;
    case kSortLast:
      set.cursor = last;
      return kOk;
    case kSortFirst:
      set.cursor = 0;
      return kOk;
    default:
      if (set.cursor > last) {
        set.cursor = last;
        return kStEndOfData;
      }
      return kOk;
  }
}

StrPair SortSetItem(uint16_t move, SortSet& set) {
  if (SortSetMove(move, set) == kStEndOfData) return ScratchText("");
  return ScratchText(std::string_view(ItemAt(set, set.cursor), set.item_width));
}

void SortSetFree(SortSet& set) { set = SortSet{}; }

StrPair SortList(StrPair list, uint8_t flags) {
  if (!list.ok()) return list;
  ScratchScope scope;
  const char sep = (flags & kSortNulSeparator) ? '\0' : ',';
  PairArray items = StrSplit(list, sep);
  if (!items.items) return scope.Keep(StrFail(kStOutOfMemory));
  // The width of the longest item as it is inserted (quotes included).
  uint16_t width = 0;
  for (uint16_t i = 0; i < items.count; ++i) width = std::max(width, items.items[i].len);
  SortSet set = SortSetCreate(width, width, flags);
  for (uint16_t i = 0; i < items.count; ++i) {
    Status s = SortSetInsert(items.items[i], set);
    if (s >= kStFirstError) return scope.Keep(StrPair{});
  }
  std::string out;
  bool first = true;
  for (Status s = SortSetMove(kSortFirst, set); s == kOk; s = SortSetMove(kSortNext, set)) {
    std::string_view item(ItemAt(set, set.cursor), set.item_width);
    if (flags & kSortRightTrim)
      while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (!first) out += sep;
    out.append(item);
    first = false;
  }
  if (out.size() > kMaxText) return scope.Keep(StrFail(kStStringTooLong));
  return scope.Keep(StrOf(out));
}

// --- Handles -------------------------------------------------------------

namespace {

SortSetTable& Table() { return Core().sort_sets; }

std::string HandleText(uint16_t slot, uint32_t generation) {
  return "SORTSET:" + std::to_string(slot) + ":" + std::to_string(generation);
}

// Slot of a well-formed handle whose set is alive; -1 otherwise.
int HandleSlot(StrPair handle) {
  if (!handle.ok()) return -1;
  std::string_view h = handle.view();
  constexpr std::string_view kPrefix = "SORTSET:";
  if (h.substr(0, kPrefix.size()) != kPrefix) return -1;
  h.remove_prefix(kPrefix.size());
  size_t colon = h.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 5 || h.size() - colon - 1 == 0 ||
      h.size() - colon - 1 > 10)
    return -1;
  uint64_t slot = 0, gen = 0;
  for (char c : h.substr(0, colon)) {
    if (c < '0' || c > '9') return -1;
    slot = slot * 10 + static_cast<uint64_t>(c - '0');
  }
  for (char c : h.substr(colon + 1)) {
    if (c < '0' || c > '9') return -1;
    gen = gen * 10 + static_cast<uint64_t>(c - '0');
  }
  SortSetTable& t = Table();
  if (slot >= t.slots.size()) return -1;
  const SortSetSlot& s = t.slots[slot];
  if (!s.used || s.generation != gen) return -1;
  // The text must be exactly the one given out (no leading zeros).
  if (handle.view() != HandleText(static_cast<uint16_t>(slot), s.generation)) return -1;
  return static_cast<int>(slot);
}

}  // namespace

StrPair SortHandleNew(uint16_t a, uint16_t b, uint8_t flags) {
  SortSetTable& t = Table();
  size_t slot = 0;
  while (slot < t.slots.size() && t.slots[slot].used) ++slot;
  if (slot == t.slots.size()) {
    if (slot >= kSortHandleSlots) return StrFail(kStDataOutBound);
    t.slots.emplace_back();
  }
  SortSetSlot& s = t.slots[slot];
  s.used = true;
  s.generation = t.next_generation++;
  s.set = SortSetCreate(a, b, flags);
  return ScratchText(HandleText(static_cast<uint16_t>(slot), s.generation));
}

SortSet* SortHandleGet(StrPair handle) {
  int slot = HandleSlot(handle);
  return slot < 0 ? nullptr : &Table().slots[static_cast<size_t>(slot)].set;
}

Status SortHandleFree(StrPair handle) {
  int slot = HandleSlot(handle);
  if (slot < 0) return kStDataError;
  SortSetSlot& s = Table().slots[static_cast<size_t>(slot)];
  SortSetFree(s.set);
  s.used = false;
  return kOk;
}

Status SortHandleInsert(StrPair handle, StrPair value) {
  SortSet* set = SortHandleGet(handle);
  return set ? SortSetInsert(value, *set) : Status{kStDataError};
}

Status SortHandleMove(StrPair handle, uint16_t move) {
  SortSet* set = SortHandleGet(handle);
  return set ? SortSetMove(move, *set) : Status{kStDataError};
}

StrPair SortHandleItem(StrPair handle, uint16_t move) {
  SortSet* set = SortHandleGet(handle);
  return set ? SortSetItem(move, *set) : StrFail(kStDataError);
}

}  // namespace eng
