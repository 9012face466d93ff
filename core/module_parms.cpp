#include "core/module_parms.h"

#include <string>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/scratch_arena.h"
#include "core/str_emit.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

constexpr StrPair kColon{":", 1};

// Item k (from 1) of a ","-list of names; empty for 0 or past the last.
std::string_view NameItem(std::string_view list, uint16_t k) {
  if (k == 0) return {};
  size_t start = 0;
  for (uint16_t i = 1; i < k; ++i) {
    size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) return {};
    start = comma + 1;
  }
  size_t end = list.find(',', start);
  return list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The name with the context prefix; the plain name without a context.
std::string ContextForm(StrPair ctx, std::string_view name) {
  std::string s;
  if (ctx.len > 0 && !name.empty()) {
    s.assign(ctx.view());
    s += '.';
  }
  s.append(name);
  return s;
}

// The value of name in the parameter string in effect: the context form
// first, the plain name when the string does not hold the context form.
StrPair Lookup(std::string_view name) {
  ScratchScope scope;
  if (name.empty()) return scope.Keep(StrPair{});
  StrPair text = DynStrTop(sl::kModuleParms);
  StrPair ctx = ParmContextName();
  if (ctx.len > 0) {
    std::string full = ContextForm(ctx, name);
    StrPair full_name = StrOf(full);
    if (StrKeyLocate(text, full_name, 0).found()) return scope.Keep(StrKeyGet(text, full_name));
  }
  return scope.Keep(StrKeyGet(text, StrOf(name)));
}

}  // namespace

std::string_view ParmBaseName(uint16_t n) {
  for (const ParmNameBase& b : ParmNameTable) {
    if (n >= b.base) return NameItem(b.names, static_cast<uint16_t>(n - b.base));
  }
  return {};
}

StrPair ParmContextName() {
  uint16_t aux = SysVarBits(kVarAux);
  if (aux == 0) return StrPair{};
  return StrItem(DynStrGet(sl::kWork, sl::kParmContexts), ',', aux);
}

StrPair ParmName(uint16_t n) {
  return StrEmit(ContextForm(ParmContextName(), ParmBaseName(n)));
}

Status ParmPushDefJoined(StrPair file, uint16_t format, int32_t key, StrPair separator) {
  if (!separator.ok()) return StrError(separator);
  std::string joined;
  bool first = true;
  uint16_t n = DefLinesEach(file, format, key, [&](StrPair value) -> Status {
    if (!first) joined.append(separator.view());
    first = false;
    joined.append(value.view());
    return joined.size() > kMaxText ? Status{kStStringTooLong} : Status{kOk};
  });
  if (joined.size() > kMaxText) return kStStringTooLong;
  if (n == kDefNone) return kStLowFailure;
  return DynStrPush(sl::kModuleParms, StrOf(joined));
}

Status ParmPushDef(StrPair file, uint16_t format, int32_t key) {
  return ParmPushDefJoined(file, format, key, kColon);
}

Status ParmPushDefOrEmpty(StrPair file, uint16_t format, int32_t key) {
  Status s = ParmPushDef(file, format, key);
  if (s == kOk) return kOk;
  Status e = DynStrPush(sl::kModuleParms, StrPair{});
  return e ? e : s;
}

Status ParmPop() { return DynStrPop(sl::kModuleParms); }

StrPair ParmGet(uint16_t n) { return Lookup(ParmBaseName(n)); }

StrPair ParmGetByName(StrPair name) {
  if (!name.ok()) return name;
  return Lookup(name.view());
}

StrPair ParmCtxSave() {
  uint16_t aux = SysVarBits(kVarAux);
  std::string s;
  s += static_cast<char>(aux & 0xFF);
  s += static_cast<char>(aux >> 8);
  s.append(DynStrGet(sl::kWork, sl::kParmContexts).view());
  return StrEmit(s);
}

Status ParmCtxRestore(StrPair saved) {
  if (!saved.ok() || saved.len < 2) return kStDataError;
  uint16_t aux = static_cast<uint16_t>(saved.at(0) | (saved.at(1) << 8));
  // The list is stored first: a failed store leaves the context as it was.
  Status s = DynStrSet(sl::kWork, sl::kParmContexts, StrPair{saved.ptr + 2, uint16_t(saved.len - 2)});
  if (s) return s;
  SysVarSet(kVarAux, static_cast<int16_t>(aux));
  return kOk;
}

Status ParmCtxSet(uint16_t n, StrPair names) {
  if (!names.ok()) return StrError(names);
  if (names.len > 0) {
    Status s = DynStrSet(sl::kWork, sl::kParmContexts, names);
    if (s) return s;
  }
  if (n != 0xFFFF) SysVarSet(kVarAux, static_cast<int16_t>(n));
  return kOk;
}

}  // namespace eng
