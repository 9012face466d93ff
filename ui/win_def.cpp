#include "ui/win_def.h"

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/folders.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/str_search.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"

namespace eng {

namespace {

int16_t ItemNumber(StrPair line, uint16_t n) { return StrToInt(StrUnquote(StrTrim(StrItem(line, ',', n), 3))); }

bool Holds(StrPair text, char c) { return StrFindChar(text, c, true) != kNotFound; }

// The parameter's value when the text names it; found says whether it did.
StrPair KeyValue(StrPair text, StrPair name, bool& found) {
  found = StrKeyLocate(text, name, kKeyRaw).found();
  if (!found) return StrOf("");
  return StrKeyGetMode(text, name, Holds(name, '%') ? kKeyRaw : kKeyUnquoted);
}

}  // namespace

WinDefRecord WinDefParse(StrPair line) {
  ScratchScope scope;
  WinDefRecord r;
  StrPair first = StrItem(line, ',', 1);
  r.file = StrTrim(StrItem(first, ';', 1), 3).str();
  r.number = static_cast<uint16_t>(ItemNumber(line, 2));
  std::string key = StrTrim(StrItem(first, ';', 2), 3).str();
  r.key = key.empty() ? r.file + StrTrim(StrItem(line, ',', 2), 3).str() : key;
  r.columns = static_cast<uint16_t>(ItemNumber(line, 3));
  r.rows = static_cast<uint16_t>(ItemNumber(line, 4));
  r.data_file = static_cast<uint8_t>(ItemNumber(line, 5) & 0xFF);
  r.number6 = StrItemCount(line, ',') <= 5 ? 0xFFFF : static_cast<uint16_t>(ItemNumber(line, 6));
  r.number7 = static_cast<uint8_t>(ItemNumber(line, 7) & 0xFF);
  r.entry = StrItem(line, ',', 8).str();
  r.text9 = StrItem(line, ',', 9).str();
  r.number10 = static_cast<uint16_t>(ItemNumber(line, 10));
  return r;
}

StrPair WinDefFilePath(StrPair name, uint16_t kind) {
  ScratchScope scope;
  if (name.empty()) return scope.Keep(StrOf(""));
  StrPair file = DefFileName(name, kind);
  if (!file.ok()) return scope.Keep(StrOf(""));
  StrPair folders = DynStrGet(sl::kSettings, sl::kAppFolder);
  StrPair found = PathFindFile(folders.ok() ? folders : StrOf(""), file);
  return scope.Keep(found.ok() ? found : StrOf(""));
}

StrPair ParmItemIn(uint16_t parameter, int item, StrPair text) {
  ScratchScope scope;
  StrPair name = ParmName(parameter);
  if (!name.ok() || name.empty()) return scope.Keep(StrOf(""));
  bool found = false;
  StrPair value = KeyValue(text, name, found);
  if (!found && SysVarGet(kVarAux) != 0) value = KeyValue(text, StrOf(ParmBaseName(parameter)), found);
  if (!found) {
    std::string_view bare = ParmBaseName(parameter);
    value = StrOf("");
    if (bare.find('(') == std::string_view::npos) {
      std::string var;
      for (char c : bare)
        if (c != '%') var += c;
      if (VarLookup(StrOf(var)).declared()) {
        StrPair v = ExpEvalStr(StrOf(var));
        if (v.ok()) value = v;
      }
    }
  }
  if (item != 0 && item != -1) value = StrItem(value, ',', static_cast<uint16_t>(item));
  return scope.Keep(value);
}

StrPair ParmItem(uint16_t parameter, int item) {
  StrPair top = DynStrCount(sl::kModuleParms) ? DynStrTop(sl::kModuleParms) : StrOf("");
  return ParmItemIn(parameter, item, top.ok() ? top : StrOf(""));
}

int16_t ParmItemInt(uint16_t parameter, int item) {
  ScratchScope scope;
  StrPair v = ParmItem(parameter, item);
  if (v.empty()) return 0;
  return ExpEvalInt(v);
}

int16_t WinDefItemInt(StrPair list, uint16_t n, int16_t fallback) {
  ScratchScope scope;
  StrPair item = StrTrim(StrItem(list, ',', n), 3);
  int16_t v = item.empty() ? 0 : ExpEvalInt(item);
  return v ? v : fallback;
}

ScreenGrid WinDefApplyScreenSize(int columns, int rows) {
  ScratchScope scope;
  StrPair size = ParmItem(kParmScreenSize, 0);
  const int c = WinDefItemInt(size, 1, static_cast<int16_t>(columns));
  const int r = WinDefItemInt(size, 2, static_cast<int16_t>(rows));
  if (c != 0 || r != 0) {
    const ScreenGrid g = WinGridGet();
    WinGridSetSize(c ? c : g.columns, r ? r : g.rows, false);
  }
  const uint16_t count = StrItemCount(size, ',');
  if (count > 2) {
    auto margin = [&](uint16_t n) { return n <= count ? WinDefItemInt(size, n, 0) : -1; };
    WinGridSetMargins(margin(3), margin(4), margin(5), margin(6));
  }
  return WinGridGet();
}

}  // namespace eng
