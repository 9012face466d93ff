// The two conversions between a field's value and its stored bytes that the
// record buffers use: formatting a value into exactly the field's width by
// its type letter (with the six-character "F" date coding of old files while
// it is switched on), and the old-format read conversion.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

// Exactly `width` bytes, a new scratch entry; (null, 168) when a number's
// integer part does not fit.
StrPair BufFormatForField(char type, StrPair value, uint16_t width);
// A field's stored text as callers read it, a new scratch entry.
StrPair BufReadConvert(char type, StrPair stored);

}  // namespace eng
