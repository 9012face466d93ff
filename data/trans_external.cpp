#include "data/trans_external.h"

#include <cstdlib>

#include "core/err_register.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "data/trans_parms.h"
#include "data/trans_services.h"

namespace eng {

namespace {

// Message 0095 with the path as the first item's initial value. The form
// splits its items at quotes, so the path is enclosed in the quote character
// it does not contain.
bool ExternalItems(const std::string& path, std::string* items) {
  const bool single = path.find('\'') != std::string::npos;
  const bool dbl = path.find('"') != std::string::npos;
  if (single && dbl) return false;
  const char q = single ? '"' : '\'';
  std::string text = TransMessage("0095");
  const size_t at = text.find("'%s'");
  if (at == std::string::npos) return false;
  text.replace(at, 4, std::string(1, q) + path + q);
  *items = std::move(text);
  return true;
}

std::string NormItem(const std::string& values, uint16_t n) {
  ScratchScope scope;
  StrPair v = StrNormValue(StrItem(StrOf(values), ',', n));
  return v.ok() ? v.str() : std::string();
}

}  // namespace

Status TransExternalDialog(uint16_t* mode, std::string* name) {
  std::string path;
  Status s = TransChooseExternal(TransIsExport(*mode), &path);
  if (s == kStNotAvailable || path.empty()) return kStCancelled;
  if (s != kOk) return s;
  std::string items;
  if (!ExternalItems(path, &items)) return ErrIncident(kStDataError, StrOf(path), false);
  std::string values, cond;
  const std::string caption = TransMessage("0088");
  s = TransAccept(StrOf(caption), StrOf(items), &values, &cond);
  if (s == kStNotAvailable) {
    *name = path;
    return kOk;
  }
  if (s != kOk) return s;
  std::string chosen = NormItem(values, 1);
  if (chosen.empty()) return kStCancelled;
  if (std::strtol(NormItem(values, 2).c_str(), nullptr, 10) != 0) *mode |= kTransAppend;
  *name = std::move(chosen);
  return kOk;
}

}  // namespace eng
