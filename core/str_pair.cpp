#include "core/str_pair.h"

#include <cstring>

namespace eng {

StrPair StrFromC(const char* s) {
  if (!s) return StrFail(kStDataError);
  return StrMake(s, std::strlen(s));
}

}  // namespace eng
