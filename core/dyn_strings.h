// DynStrings: the store of lasting texts, 39 numbered lists of texts
// addressed as (list, element). Lists 0-36 are arrays or stacks (push appends,
// top and pop use the last element); lists 37 and 38 are queues (top and pop
// use element 0).
//
// Limits, exact whatever the storage: at most 2047 elements in all lists
// together and at most 61,360 text bytes in all (the text room of one 64 KB
// block less its tables, less one byte). A write that would pass them fails
// with 159 ("STROUTBOUND"), records 156 under module 2 when no error is
// recorded yet, and leaves the store unchanged.
//
// DynStrGet returns a view into the store; it stays valid until the next
// change of the store, and callers may write through it in place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kDynLists = 39;
inline constexpr uint16_t kDynElementRoom = 2048;
inline constexpr uint32_t kDynBlockBytes = 65535;
inline constexpr uint32_t kDynTextRoom = kDynBlockBytes - kDynLists * 2 - kDynElementRoom * 2;
inline constexpr uint16_t kDynCountStackQueues = 39;  // DynStrCount(39): lists 30-38 together

class DynStrings {
 public:
  bool initialised = false;
  std::array<std::vector<std::string>, kDynLists> lists;
  uint32_t elements_in_use = 0;
  uint32_t text_in_use = 0;
};

Status DynStrInit();
Status DynStrTerm();
// Global index of (list, element); 0xFFFF when the list is 39 or more or the
// index would be 2048 or more (recording 159 under module 14 when asked).
uint16_t DynStrIndex(uint16_t list, uint16_t element, bool record);
StrPair DynStrGet(uint16_t list, uint16_t element);
Status DynStrSet(uint16_t list, uint16_t element, StrPair text);
Status DynStrDelete(uint16_t list, uint16_t element);
Status DynStrClear(uint16_t list);
Status DynStrPush(uint16_t list, StrPair text);
StrPair DynStrTop(uint16_t list);
Status DynStrPop(uint16_t list);
// The top copied to the scratch arena, then popped.
StrPair DynStrPopValue(uint16_t list);
Status DynStrPopTo(uint16_t list, uint16_t n);
uint16_t DynStrCount(uint16_t list);
// Appends text to an element that exists, in place (the same limits as a
// set of the whole text); 159 for an element that does not exist.
Status DynStrAppend(uint16_t list, uint16_t element, StrPair text);
// Cuts an element that exists to its first `len` bytes, in place.
Status DynStrTruncate(uint16_t list, uint16_t element, uint16_t len);

// Writable access to an element's bytes for callers that update a text in
// place (record buffers); null when the element does not exist.
char* DynStrData(uint16_t list, uint16_t element);

}  // namespace eng
