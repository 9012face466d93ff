#include "data/trans_parms.h"

#include <cstdlib>

#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/folders.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "data/dict_query.h"

namespace eng {

namespace {

std::string_view ItemOf(std::string_view list, uint16_t n) {
  size_t start = 0;
  for (uint16_t i = 1; i < n; ++i) {
    size_t c = list.find(',', start);
    if (c == std::string_view::npos) return {};
    start = c + 1;
  }
  size_t end = list.find(',', start);
  return list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string Lookup(std::string_view full) {
  ScratchScope scope;
  StrPair v = ParmGetByName(StrOf(full));
  return v.ok() ? v.str() : std::string();
}

}  // namespace

std::string TransParm(uint16_t n) {
  ScratchScope scope;
  StrPair v = DynStrGet(sl::kTransParms, n);
  return v.ok() ? v.str() : std::string();
}

Status TransParmSet(uint16_t n, std::string_view value) { return DynStrSet(sl::kTransParms, n, StrOf(value)); }

void TransParmsClear() { DynStrClear(sl::kTransParms); }

std::string_view TransParmName(uint16_t n) {
  if (n < 1 || n > kTransParmCount) return {};
  return ItemOf(kTransParmNames, n);
}

std::string TransParmLookup(std::string_view name, std::string_view key) {
  if (!name.empty()) {
    ScratchScope scope;
    StrPair base = PathSplit(StrOf(name), 12);
    if (base.ok() && base.len) {
      std::string full = base.str();
      if (!full.empty() && full.front() == '/') full.erase(0, 1);
      full += '.';
      full.append(key);
      std::string v = Lookup(full);
      if (!v.empty()) return v;
    }
  }
  return Lookup(key);
}

uint16_t TransModeBits(std::string_view name, uint16_t known, uint16_t mode) {
  for (uint16_t i = 0; i < 15; ++i) {
    const uint16_t bit = uint16_t(1u << i);
    if (known & bit) continue;
    std::string v = TransParmLookup(name, ItemOf(kTransModeWords, uint16_t(i + 1)));
    if (v == "1") mode |= bit;
  }
  return mode;
}

Status TransParmsLoad(std::string_view name, uint16_t mode) {
  if (Status s = TransParmSet(0, name)) return s;
  for (uint16_t n = kTransParmCount; n >= 1; --n) {
    if (!TransParm(n).empty()) continue;
    std::string v = TransParmLookup(name, TransParmName(n));
    if (v.empty() && !(mode & kTransBatch) && n == kTpAcBound) v = "1{},1{}";
    if (!v.empty())
      if (Status s = TransParmSet(n, v)) return s;
  }
  return kOk;
}

uint16_t TransIndexNumber(uint16_t file, uint16_t mode) {
  int16_t k = 0;
  std::string index = TransParm(kTpIndex);
  if (!index.empty()) {
    ScratchScope scope;
    k = ExpEvalInt(StrOf(index));
  }
  if (k <= 0 && (mode & kTransBatch)) {
    uint16_t d = DictDateKey(file);
    if (d != 0xFFFF) k = int16_t(d);
  }
  return k < 1 ? 1 : uint16_t(k);
}

std::string TransDefaultBounds() {
  std::string limits = TransParm(kTpLimits);
  if (limits.empty()) return {};
  ScratchScope scope;
  std::string out;
  const uint16_t n = StrItemCount(StrOf(limits), ',');
  for (uint16_t i = 1; i <= n; ++i) {
    std::string item = StrItem(StrOf(limits), ',', i).str();
    StrPair v = ExpEvalStr(StrOf(item));
    StrPair q = StrQuote(v.ok() ? v : StrOf(""));
    if (i > 1) out += ',';
    out += q.ok() ? q.str() : std::string("''");
  }
  return out;
}

std::string TransDelimiter() {
  std::string d = TransParm(kTpFlDelim);
  if (d.empty()) return ",";
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf(d));
  if (!v.ok() || v.len == 0) return ",";
  return v.str();
}

uint32_t TransRecordLength(uint16_t file, uint16_t mode) {
  if (mode & kTransStream) return 0;
  std::string buff = TransParm(kTpBuffSize);
  if (!buff.empty()) {
    long v = std::strtol(buff.c_str(), nullptr, 10);
    if (v > 0) return uint32_t(v);
  }
  std::string items = TransParm(kTpStruct);
  if (!items.empty()) {
    ScratchScope scope;
    uint32_t sum = 0;
    const uint16_t n = StrItemCount(StrOf(items), ',');
    for (uint16_t i = 1; i <= n; ++i) {
      std::string item = StrItem(StrOf(items), ',', i).str();
      sum += uint32_t(std::strtol(item.substr(0, item.find(';')).c_str(), nullptr, 10) < 0
                          ? 0
                          : std::strtol(item.substr(0, item.find(';')).c_str(), nullptr, 10));
    }
    return sum;
  }
  return DictRecordLength(file);
}

uint16_t TransStreamMode(uint16_t mode) {
  if (mode & kTransImport) return 8;  // read only, no creation
  return (mode & kTransAppend) ? 4 : 2;
}

bool TransModeWalks(uint16_t mode) {
  switch (mode & 0x0F) {
    case 1:
    case 3:
    case 4:
    case 8:
    case 12:
      return true;
    default:
      return false;
  }
}

std::string TransMessage(const char* number) {
  ScratchScope scope;
  StrPair t = MsgText(number);
  return t.ok() ? t.str() : std::string();
}

std::string TransFill(std::string_view format, std::initializer_list<std::string> args) {
  std::string out;
  auto it = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      if (it != args.end()) out += *it++;
      ++i;
      continue;
    }
    out += format[i];
  }
  return out;
}

std::string TransUnquote(std::string_view value) {
  size_t a = value.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  size_t b = value.find_last_not_of(' ');
  std::string v(value.substr(a, b - a + 1));
  if (v.size() >= 2 && (v.front() == '\'' || v.front() == '"') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace eng
