// Named parameters of the current screen's definition text, and the text
// positions the screen records keep.
//
// ScreenParmSpan: where the value of a name=value item lies in a text (one
// pair of surrounding quotes left out); ScreenParmItemPos: the position of
// comma item n of it (0 when absent). ScreenParmItem reads a parameter by
// number as ParmItemIn does; ScreenParmItemExpanded macro-expands it;
// ScreenDefValue is the raw value of a name, empty when absent.
// ScreenDefEntryItem (entry, n): ";"-item n trimmed and unquoted; n -1 the
// last item; n 0 the entry without its last item when that is a plain name,
// else the whole entry. ScreenEntryPush pushes a non-empty text on list 34.
// ScreenFieldFind (name): the 1-based place of the name among the current
// screen's field names, 0 when absent.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"
#include "core/str_search.h"
#include "ui/screen_records.h"

namespace eng {

StrSpan ScreenParmSpan(StrPair text, StrPair name);
TextPos ScreenParmItemPos(StrPair text, StrPair name, uint16_t n);
inline TextPos TextPosOf(StrSpan s) { return s.found() ? (uint32_t(s.len) << 16) | s.pos : 0; }

StrPair ScreenParmItem(uint16_t parameter, int item);
StrPair ScreenParmItemExpanded(uint16_t parameter, int item);
// ScreenParmItem as an owned text; empty when the parameter is absent.
std::string ScreenParmText(uint16_t parameter, int item);
StrPair ScreenDefValue(StrPair name);
StrPair ScreenDefEntryItem(StrPair entry, int n);
Status ScreenEntryPush(StrPair text);
uint16_t ScreenFieldFind(StrPair name);

}  // namespace eng
