// Sorted string sets: a small ordered collection of fixed-width texts kept
// sorted on insertion, with a cursor for walking it, and the list sorter
// built on it (module 12, "Sort").
//
// Items are stored blank-padded to the item width and ordered by bytewise
// comparison of their first compare-width bytes, ascending or (flag 2)
// descending. An item equal to existing ones goes right after the first of
// them; a unique set (flag 1) refuses it with 5. The buffer starts with room
// for 256 items, doubles when full and never passes 65,535 bytes: an item
// that would not fit is refused with 168.
//
// Procedures never hold a set itself: SortHandleNew puts a set into the
// runtime's table and gives back a handle text (slot and generation);
// SortHandleGet finds the set again, or null for a handle that was freed or
// was never given out.
#pragma once

#include <cstdint>
#include <vector>

#include "core/mem_buf.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint8_t kSortUnique = 1;
inline constexpr uint8_t kSortDescending = 2;
inline constexpr uint8_t kSortNulSeparator = 0x40;
inline constexpr uint8_t kSortRightTrim = 0x80;

// Cursor moves (the bits 0x34 of a move word).
inline constexpr uint16_t kSortMoveBits = 0x34;
inline constexpr uint16_t kSortNext = 0x10;
inline constexpr uint16_t kSortPrevious = 0x14;
inline constexpr uint16_t kSortLast = 0x20;
inline constexpr uint16_t kSortFirst = 0x24;

inline constexpr uint16_t kSortInitialItems = 256;
inline constexpr uint16_t kSortOwner = 12;

struct SortSet {
  MemBuf buf;
  uint16_t compare_width = 0;
  uint16_t item_width = 0;
  uint16_t count = 0;
  uint16_t cursor = 0;
  uint8_t flags = 0;
};

// An empty set: item width max(a, b), compare width min(a, b), cursor 0.
SortSet SortSetCreate(uint16_t a, uint16_t b, uint8_t flags);
// 0; 5 for an equal item in a unique set; 163 for a value longer than the
// item width; 168 when the buffer would pass 65,535 bytes or 65,535 items.
Status SortSetInsert(StrPair value, SortSet& set);
// 0 when the cursor is on an item; 2 when the move left the items (the cursor
// is then on the last item, or 0 in an empty set).
Status SortSetMove(uint16_t move, SortSet& set);
// The move (0: stay), then the item at the cursor, item width with its
// blanks, as a new scratch entry; the empty text when the move returned 2.
StrPair SortSetItem(uint16_t move, SortSet& set);
void SortSetFree(SortSet& set);
// The items of a list (separator "," or, with flag 0x40, NUL) sorted by a set
// of the flags whose width is that of the longest item; each item keeps its
// padding unless flag 0x80 is set. The empty text when an insertion failed.
StrPair SortList(StrPair list, uint8_t flags);

// --- Sets held by procedures --------------------------------------------

inline constexpr uint16_t kSortHandleSlots = 256;

struct SortSetSlot {
  uint32_t generation = 0;
  bool used = false;
  SortSet set;
};

struct SortSetTable {
  std::vector<SortSetSlot> slots;
  uint32_t next_generation = 1;
};

// A new set in the table and its handle text (a new scratch entry); (null,
// 168) when all kSortHandleSlots slots are in use.
StrPair SortHandleNew(uint16_t a, uint16_t b, uint8_t flags);
// The set of a handle; null for a freed, stale or malformed handle.
SortSet* SortHandleGet(StrPair handle);
// Frees the set of a handle; 163 when the handle names no set.
Status SortHandleFree(StrPair handle);
// SortSetInsert, SortSetMove and SortSetItem on the set of a handle; a
// handle that names no set gives 163 ((null, 163) for the item).
Status SortHandleInsert(StrPair handle, StrPair value);
Status SortHandleMove(StrPair handle, uint16_t move);
StrPair SortHandleItem(StrPair handle, uint16_t move);

}  // namespace eng
