#include "data/buf_format.h"

#include <string>

#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"

#if __has_include("core/field_format.h")
#include "core/field_compat.h"
#include "core/field_format.h"
#define ENGINE_HAS_FIELD_FORMAT 1
#endif

namespace eng {

#ifdef ENGINE_HAS_FIELD_FORMAT

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

#else

// Until the field formatter is part of the core: texts left-aligned, numbers
// right-aligned, both cut or blank-padded to the width.
StrPair BufFormatForField(char type, StrPair value, uint16_t width) {
  if (!value.ok()) return value;
  bool number = type == 'N' || (type >= '1' && type <= '9') || type == 'L';
  std::string v(number ? StrTrim(value, 3).view() : value.view());
  std::string out;
  if (number) {
    if (v.size() > width) return StrFail(kStDataOutBound);
    out = std::string(width - v.size(), ' ') + v;
  } else {
    out = v.substr(0, width);
    out.resize(width, ' ');
  }
  return ScratchText(out);
}

StrPair BufReadConvert(char, StrPair stored) { return StrCopy(stored); }

#endif

}  // namespace eng
