#include "core/err_register.h"

#include <string>

#include "core/dyn_strings.h"
#include "core/runtime.h"
#include "core/string_lists.h"

namespace eng {

Status ErrSetLast(int mode, uint16_t module, Status code, Status result) {
  if (mode == 0) return 0;
  ErrRegister& r = Core().err;
  if (mode == 2 || (r.code == 0 && code >= kStFirstError)) {
    r.code = code;
    r.module = module;
  }
  return result;
}

uint32_t ErrGetLast() {
  const ErrRegister& r = Core().err;
  return uint32_t(r.code) | (uint32_t(r.module) << 16);
}

StrPair ErrSetLastPair(int mode, uint16_t module, Status code, StrPair pair) {
  if (ErrSetLast(mode, module, code, code)) return StrFail(code);
  return pair;
}

StrPair ErrIncidentText() { return DynStrGet(sl::kWork, sl::kIncident); }

Status ErrIncident(Status result, StrPair text, bool append) {
  if (!text.ok()) return result;
  StrPair cur = ErrIncidentText();
  if (!append || cur.empty()) {
    DynStrSet(sl::kWork, sl::kIncident, text);
    return result;
  }
  std::string s(cur.view());
  while (s.size() > kIncidentLimit) {
    size_t cr = s.rfind('\r');
    if (cr == std::string::npos) {
      // No line left to drop: keep the oldest part.
      s.resize(kIncidentLimit);
      break;
    }
    s.resize(cr);
  }
  s += "\r\n";
  s.append(text.view());
  if (s.size() > kMaxText) s.resize(kMaxText);
  DynStrSet(sl::kWork, sl::kIncident, StrOf(s));
  return result;
}

}  // namespace eng
