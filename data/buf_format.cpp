#include "data/buf_format.h"

#include "core/field_compat.h"
#include "core/field_format.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"

namespace eng {

StrPair BufFormatForField(char type, StrPair value, uint16_t width) {
  ScratchScope scope;
  StrPair out = FmtFieldByType(type, value, width);
  if (out.ok() && type == 'F' && width == 6 && CompatDate6Enabled()) {
    // An 8-digit date keeps its century for the coding; anything else is
    // coded from its six-character form.
    StrPair date = StrTrim(value, 3);
    out = CompatDate6Store(date.len == 8 ? date : out);
  }
  if (!out.ok()) return out;
  return scope.Keep(out);
}

StrPair BufReadConvert(char type, StrPair stored) {
  ScratchScope scope;
  StrPair out = CompatFieldText(type, stored);
  if (!out.ok()) return out;
  return scope.Keep(out);
}

}  // namespace eng
