#include "data/open_state.h"

#include <string_view>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "data/dict_query.h"
#include "data/record_layer.h"

namespace eng {

namespace {

// A flags number: decimal digits only, at most 255.
bool ParseFlags(std::string_view t, uint8_t* out) {
  if (t.empty() || t.size() > 3) return false;
  unsigned v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + unsigned(c - '0');
  }
  if (v > 255) return false;
  *out = uint8_t(v);
  return true;
}

}  // namespace

Status DataFileParseOpenList(StrPair text, std::string* state) {
  if (!text.ok()) return text.len;
  const uint16_t count = DictFileCount();
  std::string out(count, '\0');
  std::string_view rest = text.view();
  for (;;) {
    const size_t comma = rest.find(',');
    const bool last = comma == std::string_view::npos;
    std::string_view item = rest.substr(0, comma);
    const size_t semi = item.find(';');
    std::string_view name = item.substr(0, semi);
    uint16_t f = DictFileByName(StrOf(name));
    if (f == 0 || f > count || !DictFileDefined(f))
      return ErrIncident(kStFileOpening, StrOf(name), false);
    uint8_t flags = last ? 0 : kOpenReadOnly;
    if (semi != std::string_view::npos && !ParseFlags(item.substr(semi + 1), &flags)) return kStSyntax;
    if (last) flags |= kOpenCurrent;
    out[f - 1] = char(flags);
    if (last) break;
    rest.remove_prefix(comma + 1);
  }
  *state = std::move(out);
  return kOk;
}

Status DataFileApplyOpenState(const std::string& state) {
  for (uint16_t f = DictFileCount(); f >= 1; --f) {
    const uint8_t flags = f - 1u < state.size() ? uint8_t(state[f - 1]) : 0;
    const Status st = flags ? DataFileOpen(f, flags) : DataFileClose(f);
    if (st >= kStFirstError) return st;
  }
  return kOk;
}

Status DataFileOpenState(StrPair text) {
  if (!text.ok()) return text.len;
  if (text.view() == "RESTORE") {
    if (DynStrCount(kOpenStateStack) == 0) return ErrIncident(kStInternal, StrOf("RESTORE"), false);
    if (Status st = DynStrPop(kOpenStateStack)) return st;
    if (DynStrCount(kOpenStateStack) == 0) return DataFileApplyOpenState(std::string());
    return DataFileApplyOpenState(DynStrTop(kOpenStateStack).str());
  }
  std::string state;
  if (Status st = DataFileParseOpenList(text, &state)) return st;
  if (Status st = DynStrPush(kOpenStateStack, StrOf(state))) return st;
  return DataFileApplyOpenState(state);
}

}  // namespace eng
