// Distinct-value lists: the values in use of up to 32 fields over a key
// range of the current file, gathered into one sorted list of the program
// (a sorted string set held in the runtime's set table), for example to offer
// them as choices. Registered as the procedure function StGetList by the
// accounting program.
//
// StGetList (action; key; from; to; compare width; flags; fields; filter;
//   equality text): the action is an item of "NEW,GET,KILL". NEW builds the
//   list (StGetListBuild over the current file); GET answers 0; KILL frees it.
//   A status below 128 is the function's value; a higher one its failure.
// StGetListBuild: the field list (a ","-list of at most 32 field references;
//   the first bad one ends the build with its status, the list unchanged); the
//   from-value located through the key with flag 2 (2 or more, or a record
//   beyond the to-value, ends it with that status before anything is shown);
//   the banner shows "Hello world" and a new list replaces the old one (item
//   width the larger of the longest field and the compare width; flags 1
//   unique, 2 descending). Then, group by group of records sharing the value
//   of the key's first part, up to the to-value, each field's text of each
//   record is inserted (when the filter is empty, or the text sorts at or
//   after it and, with an equality text, also at or before it). A status of
//   128 or more ends the walk. After the banner closes, a walk that reached
//   the bound or the end (2) builds and frees a selection over the range with
//   CondFieldsRange of the fields from the list's first item. The last status.
#pragma once

#include <cstdint>

#include "core/fn_call.h"
#include "core/sort_set.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kStGetListFields = 32;

Status StGetListBuild(uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t width, uint8_t flags,
                      StrPair fields, StrPair filter, StrPair equality);
// The program's list; null when there is none.
SortSet* StGetListSet();
Status StGetListFree();
Status StGetListFunction(FnArgs& args);
Status StGetListRegister();

}  // namespace eng
