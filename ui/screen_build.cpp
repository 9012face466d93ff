#include "ui/screen_build.h"

#include <string>

#include "core/dyn_strings.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/obj_table.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/str_search.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "ui/geom.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_def.h"

namespace eng {

namespace {


std::string_view Name(uint16_t parameter) { return ParmBaseName(parameter); }

StrPair Value(uint16_t parameter, StrPair text) { return ParmItemIn(parameter, 0, text); }

bool HasKey(StrPair text, std::string_view name) { return StrKeyLocate(text, StrOf(name), kKeyRaw).found(); }

std::string FieldName(const std::string& text, TextPos pos) {
  return text.substr(pos & 0xFFFF, pos >> 16);
}

// The 1-based place of a name in a comma list of names, 0 when absent.
uint16_t NamePlace(StrPair list, std::string_view name) {
  if (name.empty()) return 0;
  const uint16_t n = StrItemCount(list, ',');
  for (uint16_t i = 1; i <= n; ++i)
    if (StrTrim(StrItem(list, ',', i), 3).view() == name) return i;
  return 0;
}

// The completed FD$ list: every field's own name or its made-up one.
std::string CompletedNames(StrPair fd, const std::vector<ScreenFieldDesc>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    std::string name = StrTrim(StrItem(fd, ',', static_cast<uint16_t>(i + 1)), 3).str();
    if (name.empty()) {
      const char t = fields[i].type;
      const bool text = t == 'A' || t == 'B' || t == 'C' || t == 'D' || t == 'F';
      name = "_SCRF" + std::to_string(i + 1) + (text ? "$" : "#");
    }
    out += name;
  }
  return out;
}

void Bind(ScreenFieldDesc& f, uint16_t i, StrPair text, const ScreenDesc& d, const std::string& name) {
  StrPair item = StrTrim(StrItem(Value(kParmFileDef, text), ',', i), 3);
  if (!item.empty()) {
    if (StrFindChar(item, '{', true) != kNotFound) {
      DictFieldRefResult r = DictFieldRef(item);
      if (r.status == kOk) {
        f.file = static_cast<uint8_t>(r.file);
        f.file_field = r.field;
        return;
      }
    }
    f.file = static_cast<uint8_t>(StrToInt(StrTrim(StrItem(item, ';', 1), 3)));
    f.file_field = static_cast<uint16_t>(StrToInt(StrTrim(StrItem(item, ';', 2), 3)));
    return;
  }
  if (!(d.open_flags & kOpenBindByName) || d.data_file == 0 || !DictFileDefined(d.data_file)) return;
  const uint16_t count = DictFieldCount(d.data_file);
  for (uint16_t k = 1; k <= count; ++k) {
    if (DictFieldName(d.data_file, k).view() != name) continue;  // a later equal name wins
    f.file = d.data_file;
    f.file_field = k;
    f.type = 'A';
    f.display_len = f.storage_len = f.width = DictFieldLength(d.data_file, k);
  }
}

uint16_t Order(const ScreenFieldDesc& f, uint16_t i, StrPair text, const ScreenDesc& d, const std::string& name) {
  if (NamePlace(Value(kParmHidden, text), name)) return kOrderHidden;
  const bool other_file = f.file != 0 && f.file != d.data_file;
  if (i != d.begin_field) {
    ScratchScope scope;
    StrPair noedit = MacroExpand(Value(kParmNoEdit, text), 0);
    if ((!name.empty() && NamePlace(noedit, name)) || other_file) return kOrderReadOnly;
  }
  const uint16_t place = NamePlace(Value(kParmEdit, text), name);
  return place ? place : i;
}

uint16_t Flags(const ScreenFieldDesc& f, uint16_t i, StrPair text, const ScreenDesc& d, TextPos windows) {
  uint16_t flags = 0;
  if (StrToInt(StrTrim(StrItem(Value(kParmClear, text), ',', i), 3)) == 0) flags |= kFldClearable;
  if (f.file) flags |= kFldBound;
  if (f.assign) flags |= kFldAssign;
  if (f.file && f.file == d.data_file) flags |= kFldOwnFile;
  if (f.perform) flags |= kFldPerform;
  if (f.dependants) flags |= kFldDependants;
  if (windows) {
    StrPair entry = StrMake(text.ptr + (windows & 0xFFFF), windows >> 16);
    if (!StrTrim(StrItem(entry, ';', StrItemCount(entry, ';')), 3).empty() && StrItemCount(entry, ';') > 1)
      flags |= kFldWindow;
  }
  if (f.order != kOrderReadOnly) flags |= kFldEditable;
  if (f.alarm) flags |= kFldAlarm;
  return flags;
}

// A field's own parameter ("NAME$"), read when the screen has no PERFORM$.
void OwnParameter(ScreenFieldDesc& f, StrPair text, const std::string& name) {
  if (name.empty()) return;
  std::string key = name + "$";
  StrSpan v = ScreenParmSpan(text, StrOf(key));
  if (!v.found() || v.len == 0) return;
  StrPair value = StrMake(text.ptr + v.pos, v.len);
  if (value.at(0) == '_') {
    f.dependants = TextPosOf(v);
    return;
  }
  StrSpan first = StrItemSpan(value, ',', 1);
  f.perform = TextPosOf({v.pos, first.len});
  if (first.len < v.len) {
    const uint16_t rest = static_cast<uint16_t>(first.len + 1);
    f.dependants = TextPosOf({static_cast<uint16_t>(v.pos + rest), static_cast<uint16_t>(v.len - rest)});
  }
}

}  // namespace

Status ScreenBuild(const ScreenDesc& tmpl, std::vector<ScreenFieldDesc> fields, StrPair key) {
  ScratchScope scope;
  StrPair parms = DynStrCount(sl::kModuleParms) ? DynStrTop(sl::kModuleParms) : StrOf("");
  std::string text = parms.str();
  {
    StrPair fd = Value(kParmFd, StrOf(text));
    if (StrItemCount(fd, ',') < fields.size()) {
      std::string item = "FD$:=\"" + CompletedNames(fd, fields) + "\"";
      text = text.empty() ? item : item + ":" + text;
    }
  }
  if (text.size() > kMaxText) return kStStringTooLong;
  StrPair t = StrOf(text);

  ScreenDesc d = tmpl;
  d.use_count = 0;
  if (d.bounded_first == 0 && !fields.empty()) {
    StrPair fd = Value(kParmFd, t);
    StrPair bounds = Value(kParmBounds, t);
    d.bounded_first = NamePlace(fd, StrTrim(StrItem(bounds, ',', 1), 3).view());
    d.bounded_last = NamePlace(fd, StrTrim(StrItem(bounds, ',', 2), 3).view());
  }
  const int begin = StrToInt(Value(kParmBeginFld, t)) - 1;
  d.begin_field = static_cast<uint16_t>(begin < 0 ? 0 : begin);
  d.rule_mark = DynStrCount(sl::kRelUpdateRules);
  if (d.data_file == 0) {
    StrPair filedef = Value(kParmFileDef, t);
    d.data_file = static_cast<uint8_t>(
        StrToInt(StrTrim(StrItem(filedef, ',', static_cast<uint16_t>(fields.size() + 1)), 3)));
  }
  d.index_flags = (StrToInt(Value(kParmUnicNdx, t)) || StrToInt(Value(kParmAutoNdx, t))) ? 2 : 0;
  d.keymap_set = static_cast<uint8_t>(StrToInt(Value(kParmKeyMap, t)));
  SysVarSet(kVarKeyMap, d.keymap_set);
  if (fields.empty() && HasKey(t, Name(kParmFd))) {
    const uint16_t n = StrItemCount(Value(kParmFd, t), ',');
    fields.assign(std::min<uint16_t>(n, kScreenMaxFields), ScreenFieldDesc{});
  }
  d.field_count = static_cast<uint16_t>(fields.size());
  d.set = TextPosOf(ScreenParmSpan(t, StrOf(Name(kParmSet))));
  d.ik1 = ScreenParmItemPos(t, StrOf(Name(kParmIk1)), 1);
  d.relopt = TextPosOf(ScreenParmSpan(t, StrOf(Name(kParmRelOpt))));
  d.attr_count = static_cast<uint16_t>(std::max<int>(StrToInt(Value(kParmMaxIdsAttr, t)), 0));

  const bool has_perform = HasKey(t, Name(kParmPerform));
  StrPair widths = Value(kParmWidths, t);
  StrPair types = Value(kParmTypes, t);
  auto pos = [&](uint16_t parameter, uint16_t i) { return ScreenParmItemPos(t, StrOf(Name(parameter)), i); };
  const ScreenGrid grid = WinGridGet();
  uint16_t offset = 0;
  for (uint16_t i = 1; i <= fields.size(); ++i) {
    ScreenFieldDesc& f = fields[i - 1];
    f.status = kOk;
    f.alarm = pos(kParmAlarm, i);
    f.assign = pos(kParmAssign, i);
    f.perform = pos(kParmPerform, i);
    f.name = pos(kParmFd, i);
    f.dependants = pos(kParmUpdFields, i);
    f.windows = pos(kParmWindows, i);
    const int w = StrToInt(StrTrim(StrItem(widths, ',', i), 3));
    if (w > 0) f.width = static_cast<uint16_t>(w);
    const int type = StrToInt(StrTrim(StrItem(types, ',', i), 3));
    if (type > 0 && type < 256) f.type = static_cast<char>(type);
    f.control = plat::kNoWindow;
    const std::string name = FieldName(text, f.name);
    if (!has_perform) OwnParameter(f, t, name);

    Bind(f, i, t, d, name);
    f.order = Order(f, i, t, d, name);
    f.flags = Flags(f, i, t, d, f.windows);
    const int room = int(grid.columns) - int(grid.left) - int(f.column);
    f.width = static_cast<uint16_t>(std::max(0, std::min<int>(f.width, room)));
    f.record_offset = offset;
    if (uint32_t(offset) + f.storage_len > 0xFFFF) return kStDataOutBound;
    offset = static_cast<uint16_t>(offset + f.storage_len);
  }
  d.record_length = offset;

  UiState& u = Ui();
  const uint16_t n = u.counters[kScreenCount];
  d.block = u.next_block++;
  ScreenBlock& b = u.screen_blocks[d.block];
  b.fields = std::move(fields);
  b.key = key.str();
  b.text = std::move(text);
  b.attr_ids.assign(d.attr_count, 0);
  b.attr_values.assign(d.attr_count, 0);
  if (!ObjTableSet(kObjScreens, n, d)) {
    u.screen_blocks.erase(d.block);
    return kStStructMem;
  }
  u.counters[kCurScreen] = n;
  u.counters[kScreenCount] = static_cast<uint16_t>(n + 1);
  return kOk;
}

}  // namespace eng
