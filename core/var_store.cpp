#include "core/var_store.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "core/arrays.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "core/num_text.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

constexpr uint16_t kListOfType(uint16_t type) {
  switch (type) {
    case kVarNum: return 1;
    case kVarText: return 2;
    case kVarArray: return 3;
    default: return 0;  // integers and type 0
  }
}

constexpr const char* kSysTextNames[kSysTextVarCount] = {"_ACUM$", "_ACUMX$", "_LTEXT$"};

// The element of a value table that exists and holds T, straight from the
// runtime's tables (what ObjTableGet answers, without its calls); null otherwise.
template <class T>
T* ValueAt(uint16_t table, uint16_t index) {
  ObjTableData* t = Core().objects.tables[table].get();
  if (!t || index >= t->count || t->type != &kObjTypeTag<T>) return nullptr;
  return reinterpret_cast<T*>(t->at(index));
}

// The elements of value table `table`, as ObjTableInfo(table, 0) answers,
// straight from the runtime's tables.
uint16_t TableCount(uint16_t table) {
  const ObjTables& o = Core().objects;
  const ObjTableData* t = o.tables[table].get();
  return o.root && t ? t->count : 0;
}

// The text of name list `list` (empty when the list has no such element).
std::string_view NamesOf(uint16_t list) {
  const auto& lists = Core().strings.lists[sl::kVarNames];
  return list < lists.size() ? std::string_view(lists[list]) : std::string_view();
}

// Notes that position `at` of a list now holds `name`: the same name at the
// same position as before keeps its stamp (when `may_keep`), any other gets a
// new one. The list's names end after it.
void NoteSlot(VarState& v, uint16_t list, uint16_t at, std::string_view name, bool may_keep) {
  std::vector<VarSlot>& slots = v.slots[list];
  if (slots.size() <= at) slots.resize(size_t(at) + 1);
  VarSlot& slot = slots[at];
  if (!may_keep || slot.stamp == 0 || slot.name != name) {
    slot.stamp = VarNewGeneration();
    slot.name.assign(name);
  }
  v.live[list] = static_cast<uint16_t>(at + 1);
}

// Whether position `at` of a list now holds `name`. The index keeps the
// names a scope cut took away (so that declaring them again allocates
// nothing); this tells such a name from a live one.
bool Holds(const VarState& v, uint16_t list, uint16_t at, std::string_view name) {
  return at < v.live[list] && v.slots[list][at].name == name;
}

// The position of a name in name list `list` through the runtime's index.
uint16_t IndexedFind(uint16_t list, std::string_view name) {
  VarState& v = Core().vars;
  std::string_view names = NamesOf(list);
  if (v.indexed_len[list] != names.size()) {
    auto& index = v.index[list];
    index.clear();
    v.live[list] = 0;
    uint16_t n = 0;
    size_t start = 0;
    while (!names.empty() && start <= names.size()) {
      size_t end = names.find(',', start);
      if (end == std::string_view::npos) end = names.size();
      std::string_view item = names.substr(start, end - start);
      const bool first = index.emplace(std::string(item), n).second;  // the first of a name wins
      NoteSlot(v, list, n++, item, first);
      start = end + 1;
    }
    v.declared = VarNewGeneration();
    v.epoch = VarNewGeneration();
    v.indexed_len[list] = static_cast<uint32_t>(names.size());
  }
  auto it = v.index[list].find(name);
  return it != v.index[list].end() && Holds(v, list, it->second, name) ? it->second : kVarUndeclared;
}

uint16_t NameCount(std::string_view list) {
  if (list.empty()) return 0;
  uint16_t n = 1;
  for (char c : list) n += c == ',';
  return n;
}

// NameCount of a name list, from the index when it is up to date with it.
uint16_t CountOf(uint16_t list, std::string_view names) {
  const VarState& v = Core().vars;
  return v.indexed_len[list] == names.size() ? v.live[list] : NameCount(names);
}

DecValue DecodeNumber(StrPair value) {
  if (!value.ok() || value.len != kDecEntryBytes) return 0;
  uint64_t v = 0;
  for (int i = kDecEntryBytes - 1; i >= 0; --i) v = (v << 8) | value.at(static_cast<size_t>(i));
  return static_cast<DecValue>(v);
}

bool IsProviderName(StrPair name) {
  return name.len > 0 && name.ptr[0] == '_' && HookFilled(kHookFieldProvider);
}

// The text constants ".lf$", ".tab$", ".pchr$", ".null$", written exactly so.
bool TextConstant(std::string_view name, std::string_view* value) {
  if (name == ".lf$") *value = "\r\n";
  else if (name == ".tab$") *value = "\t";
  else if (name == ".pchr$") *value = "\\";
  else if (name == ".null$") *value = "";
  else return false;
  return true;
}

Status Recorded(Status s) {
  if (s >= kStFirstError) ErrRecord(kModVarNameAssign, s);
  return s;
}

// The text of a provider answer converted to the name's type, as the current result.
Status ProviderValueToResult(StrPair text, uint16_t type) {
  if (type == kVarText) {
    Status s = ScratchCopy(text);
    return s ? s : Status{1};
  }
  if (type == kVarInt || type == kVarNum) {
    DecValue v = DecFromText(text);
    if (type == kVarInt) v = DecFromInt(static_cast<int16_t>(DecDivPow10(v, DecPrecis())));
    StrPair r = DecStoreValue(v);
    return r.ok() ? kOk : StrError(r);
  }
  return kStSyntax;
}

}  // namespace

uint16_t VarTypeOfName(StrPair name) {
  // One pass over the (short) name: "@" anywhere, then "(", "$", "#".
  bool paren = false, dollar = false, hash = false;
  for (char c : name.view()) {
    if (c == '@') return kVarNoValue;
    paren |= c == '(';
    dollar |= c == '$';
    hash |= c == '#';
  }
  return paren ? kVarArray : dollar ? kVarText : hash ? kVarNum : kVarInt;
}

VarRef VarLookup(StrPair name) {
  VarRef r;
  r.type = VarTypeOfName(name);
  if (!name.ok() || name.len == 0) return r;
  r.index = IndexedFind(kListOfType(r.type), name.view());
  return r;
}

uint32_t VarNewGeneration() {
  static uint32_t last = 0;
  return ++last;
}

uint16_t VarBind(StrPair name, uint16_t type, VarBinding& b) {
  VarState& v = Core().vars;
  if (b.epoch == v.epoch) return b.index;  // no name list changed since it was checked
  const uint16_t list = kListOfType(type);
  const uint32_t len = static_cast<uint32_t>(NamesOf(list).size());
  auto stamp_of = [&](uint16_t index) -> uint32_t {
    if (index == kVarUndeclared) return v.declared;
    return index < v.live[list] ? v.slots[list][index].stamp : 0;
  };
  // While the index is up to date with the list, a stamp still in place
  // answers for the binding whatever the list's length: a position keeps its
  // stamp only while it holds the same name, and a declared name is never
  // declared a second time, so no earlier position can have taken it.
  const bool good = v.indexed_len[list] == len && b.stamp != 0 && b.stamp == stamp_of(b.index);
  if (!good) {
    b.index = name.ok() && name.len ? IndexedFind(list, name.view()) : kVarUndeclared;
    b.stamp = v.indexed_len[list] == len ? stamp_of(b.index) : 0;
  }
  b.names_len = len;
  b.epoch = b.stamp != 0 ? v.epoch : 0;
  return b.index;
}

namespace {

// A declaration's common steps: the value slot at `index` (so that a failure
// leaves the name undeclared), then the name on the end of its list in place
// (a declaration per CALL is common: the list is not copied). False when
// either fails; the list's length before is `old_len`.
bool AppendName(StrPair name, uint16_t type, uint16_t list, uint16_t index, uint32_t old_len) {
  const bool listed = DynStrCount(sl::kVarNames) > list;
  std::string text;
  if (old_len != 0) text += ',';
  text.append(name.view());
  if (old_len + text.size() > kMaxText) return false;
  const StrPair piece = StrOf(text);
  switch (type) {
    case kVarNum: {
      DecValue zero = 0;
      if (!ObjTableSet(kObjNumVars, index, zero)) return false;
      break;
    }
    case kVarText:
      if (DynStrSet(sl::kTextVarValues, index, StrPair{})) return false;
      break;
    case kVarArray:
      break;  // the descriptor comes with the array's creation
    default: {
      int16_t zero = 0;
      if (!ObjTableSet(kObjIntVars, index, zero)) return false;
      break;
    }
  }
  if (listed) return DynStrAppend(sl::kVarNames, list, piece) == kOk;
  std::string all(DynStrGet(sl::kVarNames, list).view());
  all.append(piece.ptr, piece.len);
  return DynStrSet(sl::kVarNames, list, StrOf(all)) == kOk;
}

}  // namespace

VarRef VarDeclare(StrPair name, uint16_t type) {
  VarRef r;
  r.type = type;
  if (!name.ok() || name.len == 0 || name.view().find(',') != std::string_view::npos) return r;
  uint16_t list = kListOfType(type);
  const StrPair names = DynStrGet(sl::kVarNames, list);
  const uint32_t old_len = names.len;
  const uint16_t index = CountOf(list, names.view());
  if (!AppendName(name, type, list, index, old_len)) return r;
  const uint32_t new_len = static_cast<uint32_t>(NamesOf(list).size());
  VarState& v = Core().vars;
  v.declared = VarNewGeneration();
  v.epoch = VarNewGeneration();
  if (v.indexed_len[list] == old_len) {
    // The first of a name wins; an entry left by a scope cut is taken over.
    auto& names_index = v.index[list];
    auto it = names_index.find(name.view());
    const bool first = it == names_index.end() || !Holds(v, list, it->second, name.view());
    if (it == names_index.end()) names_index.emplace(std::string(name.view()), index);
    else if (first) it->second = index;
    NoteSlot(v, list, index, name.view(), first);
    v.indexed_len[list] = new_len;
  }
  r.index = index;
  return r;
}

namespace {

// VarLookup of a name of type `type` (integer, number or text), declared
// when not found, remembering where in `memo`.
VarRef FindOrDeclare(StrPair name, uint16_t type, VarRedeclare& memo) {
  VarState& v = Core().vars;
  const uint16_t list = kListOfType(type);
  const uint16_t at = memo.index;
  const uint32_t len = static_cast<uint32_t>(NamesOf(list).size());
  // Nothing declared since the name was declared at `at`, and the list cut
  // back to just before it: the names below are those it was declared
  // after, none of them this one, so it goes back to the same place, where
  // the index still has it and the position keeps its stamp.
  if (memo.declared == v.declared && at != kVarUndeclared && v.live[list] == at && v.indexed_len[list] == len &&
      memo.names_len == len && at < v.slots[list].size() && v.slots[list][at].stamp == memo.stamp) {
    VarRef r;
    r.type = type;
    if (!AppendName(name, type, list, at, len)) return r;
    v.declared = VarNewGeneration();
    v.epoch = VarNewGeneration();
    v.live[list] = static_cast<uint16_t>(at + 1);
    v.indexed_len[list] = static_cast<uint32_t>(NamesOf(list).size());
    memo.declared = v.declared;
    r.index = at;
    return r;
  }
  VarRef r = VarLookup(name);
  if (r.declared()) return r;
  r = VarDeclare(name, r.type);
  memo = VarRedeclare{};
  if (r.declared() && v.indexed_len[list] == NamesOf(list).size() && r.index < v.live[list] &&
      Holds(v, list, r.index, name.view())) {
    memo.declared = v.declared;
    memo.stamp = v.slots[list][r.index].stamp;
    memo.names_len = len;
    memo.index = r.index;
  }
  return r;
}

}  // namespace

Status VarAssignRemembered(StrPair name, StrPair value, VarRedeclare& memo) {
  if (!value.ok() || IsProviderName(name)) return VarAssign(name, value);
  const uint16_t type = VarTypeOfName(name);
  if (type == kVarNoValue || type == kVarArray) return VarAssign(name, value);
  VarRef r = FindOrDeclare(name, type, memo);
  if (!r.declared()) return Recorded(kStVarName);
  return VarAssignAt(r, value);
}

Status VarAssign(StrPair name, StrPair value) {
  if (!value.ok()) return Recorded(StrError(value));
  if (IsProviderName(name)) {
    ScratchScope scope;
    if (ScratchTop().ptr != value.ptr || ScratchTop().len != value.len) {
      StrPair copy = ScratchPair(value);
      if (!copy.ok()) return Recorded(StrError(copy));
    }
    std::optional<StrPair> answer = HookCallFieldProvider(name, 5, ScratchTop());
    Status s = answer ? StrError(*answer) : Status{kStDataError};
    if (s != kStDataError) return Recorded(s);
  }
  VarRef r = VarLookup(name);
  if (r.type == kVarNoValue || r.type == kVarArray) return Recorded(kStSyntax);
  if (!r.declared()) r = VarDeclare(name, r.type);
  if (!r.declared()) return Recorded(kStVarName);
  return VarAssignAt(r, value);
}

Status VarAssignAt(VarRef r, StrPair value) {
  if (!value.ok()) return Recorded(StrError(value));
  Status s = kOk;
  switch (r.type) {
    case kVarText: s = VarSetStr(r.index, value); break;
    case kVarNum: s = VarSetNum(r.index, DecodeNumber(value)); break;
    default: {
      // Divided by the scale and rounded half away from zero; the low 16 bits kept.
      int64_t v = DecDivPow10(DecodeNumber(value), DecPrecis());
      s = VarSetInt(r.index, static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)));
      break;
    }
  }
  return Recorded(s);
}

Status VarAssignInt(StrPair name, int64_t value) {
  ScratchScope scope;
  StrPair v = DecIntToValue(value);
  if (!v.ok()) return StrError(v);
  if (VarTypeOfName(name) == kVarText) {
    StrPair text = DecIntToText(value);
    if (!text.ok()) return StrError(text);
    return VarAssign(name, text);
  }
  return VarAssign(name, v);
}

Status VarRead(StrPair name) {
  uint16_t type = VarTypeOfName(name);
  if (IsProviderName(name)) {
    uint16_t mark = ScratchMark(-1);
    std::optional<StrPair> answer = HookCallFieldProvider(name, 1, StrPair{});
    Status s = answer ? StrError(*answer) : Status{kStDataError};
    if (s != kStDataError) {
      if (s) {
        ScratchMark(mark);
        return s;
      }
      std::string text(answer->view());
      ScratchMark(mark);
      return ProviderValueToResult(StrOf(text), type);
    }
    ScratchMark(mark);
  }
  switch (type) {
    case kVarText: {
      std::string_view constant;
      if (TextConstant(name.view(), &constant)) {
        Status s = ScratchCopy(StrOf(constant));
        return s ? s : Status{1};
      }
      VarRef r = VarLookup(name);
      Status s = ScratchCopy(r.declared() ? VarGetStr(r.index) : StrPair{});
      return s ? s : Status{1};
    }
    case kVarInt:
    case kVarNum: {
      VarRef r = VarLookup(name);
      DecValue v = 0;
      if (r.declared()) v = type == kVarInt ? DecFromInt(VarGetInt(r.index)) : VarGetNum(r.index);
      StrPair p = DecStoreValue(v);
      return p.ok() ? kOk : StrError(p);
    }
    default:
      return kStSyntax;
  }
}

int16_t VarGetInt(uint16_t index) {
  if (index < kSysVarCount) return Core().sysvars[index];
  int16_t* p = ValueAt<int16_t>(kObjIntVars, index);
  return p ? *p : 0;
}

Status VarSetInt(uint16_t index, int16_t value) {
  if (index == kVarPrecis && (value < 0 || value > 4)) return kStDataOutBound;
  if (index < kSysVarCount) {
    Core().sysvars[index] = value;
    return kOk;
  }
  if (int16_t* p = ValueAt<int16_t>(kObjIntVars, index)) {
    *p = value;
    return kOk;
  }
  if (index >= ObjTableInfo(kObjIntVars, 0)) return kStDataOutBound;
  return ObjTableSet(kObjIntVars, index, value) ? kOk : Status{kStStructMem};
}

bool VarTestBits(uint16_t index, uint16_t bits) {
  return (static_cast<uint16_t>(VarGetInt(index)) & bits) != 0;
}

bool VarSetBits(uint16_t index, uint16_t bits, bool on) {
  uint16_t v = static_cast<uint16_t>(VarGetInt(index));
  v = on ? (v | bits) : (v & ~bits);
  VarSetInt(index, static_cast<int16_t>(v));
  return VarTestBits(index, bits);
}

DecValue VarGetNum(uint16_t index) {
  DecValue* p = ValueAt<DecValue>(kObjNumVars, index);
  return p ? *p : 0;
}

Status VarSetNum(uint16_t index, DecValue value) {
  if (DecValue* p = ValueAt<DecValue>(kObjNumVars, index)) {
    *p = value;
    return kOk;
  }
  if (index >= ObjTableInfo(kObjNumVars, 0)) return kStDataOutBound;
  return ObjTableSet(kObjNumVars, index, value) ? kOk : Status{kStStructMem};
}

StrPair VarGetStr(uint16_t index) { return DynStrGet(sl::kTextVarValues, index); }

Status VarSetStr(uint16_t index, StrPair value) {
  if (index >= DynStrCount(sl::kTextVarValues)) return kStDataOutBound;
  return DynStrSet(sl::kTextVarValues, index, value);
}

uint32_t VarGetCount32() {
  // _COUNT signed, _HCOUNT unsigned, modulo 2^32: every 32-bit count comes back.
  uint32_t high = static_cast<uint16_t>(VarGetInt(kVarHCount));
  return static_cast<uint32_t>(static_cast<int32_t>(VarGetInt(kVarCount))) + 65536u * high;
}

void VarSetCount32(uint32_t count) {
  VarSetInt(kVarCount, static_cast<int16_t>(static_cast<uint16_t>(count & 0xFFFF)));
  // Rounded half up, so that the signed low half added back gives the count.
  uint64_t high = (uint64_t{count} + 32768u) / 65536u;
  VarSetInt(kVarHCount, static_cast<int16_t>(static_cast<uint16_t>(high & 0xFFFF)));
}

VarScreenField VarGetScreenField(uint16_t n) {
  VarScreenField f;
  std::string name = "_V" + std::to_string(n) + "$";
  VarRef r = VarLookup(StrOf(name));
  if (!r.declared()) {
    f.status = kStScreenFieldVar;
    return f;
  }
  StrPair v = VarGetStr(r.index);
  if (v.len == 0) return f;
  f.first = v.ptr[0];
  f.number = StrToInt(StrPair{v.ptr + 1, static_cast<uint16_t>(v.len - 1)});
  return f;
}

VarScope VarScopeSave() {
  VarScope s;
  for (uint16_t i = 0; i < 4; ++i) s.name_len[i] = static_cast<uint16_t>(NamesOf(i).size());
  s.ints = TableCount(kObjIntVars);
  s.nums = TableCount(kObjNumVars);
  s.arrays = TableCount(kObjArrays);
  s.texts = CountOf(2, NamesOf(2));
  return s;
}

Status VarScopeRestore(const VarScope& scope) {
  Status result = kOk;
  for (uint16_t i = 0; i < 4; ++i) {
    std::string_view all = NamesOf(i);
    if (all.size() < scope.name_len[i]) {
      result = kStInternal;
      continue;
    }
    if (all.size() > scope.name_len[i]) {
      VarState& v = Core().vars;
      v.epoch = VarNewGeneration();
      std::string_view kept = all.substr(0, scope.name_len[i]);
      const bool indexed = v.indexed_len[i] == all.size();
      if (indexed) {
        // The names cut off stay in the index but no longer count as
        // declared (Holds); a name also declared before the cut keeps its
        // older position. The positions cut keep their stamps: the same
        // name declared there again finds its bindings still good.
        // The index counts the names of the whole list; the cut part says
        // how many of them go (its commas, one more when nothing is kept).
        const std::string_view cut = all.substr(kept.size());
        uint16_t gone = static_cast<uint16_t>(std::count(cut.begin(), cut.end(), ',') + (kept.empty() ? 1 : 0));
        const uint16_t count = gone <= v.live[i] ? static_cast<uint16_t>(v.live[i] - gone) : NameCount(kept);
        if (v.live[i] > count) v.live[i] = count;
      }
      const uint32_t cut_len = static_cast<uint32_t>(kept.size());
      Status s = DynStrTruncate(sl::kVarNames, i, static_cast<uint16_t>(cut_len));
      if (s && !result) result = s;
      v.indexed_len[i] = indexed && !s ? cut_len : 0xFFFFFFFF;
    }
  }
  if (TableCount(kObjIntVars) > scope.ints) ObjTableTruncate(kObjIntVars, scope.ints);
  if (TableCount(kObjNumVars) > scope.nums) ObjTableTruncate(kObjNumVars, scope.nums);
  DimFreeFrom(scope.arrays);
  const auto& texts = Core().strings.lists[sl::kTextVarValues];
  for (uint16_t i = scope.texts; i < texts.size(); ++i) {
    if (texts[i].empty()) continue;
    if (Status s = DynStrSet(sl::kTextVarValues, i, StrPair{}); s && !result) result = s;
  }
  return result;
}

Status VarInitSystem() {
  if (!Core().strings.initialised) {
    if (Status s = DynStrInit()) return s;
  }
  if (Status s = ObjTableInit()) return s;
  for (uint16_t i = 0; i < kSysVarCount; ++i) {
    StrPair name = StrFromC(kSysVarTable[i].name);
    VarRef r = VarLookup(name);
    if (!r.declared()) r = VarDeclare(name, kVarInt);
    if (!r.declared()) return kStVarName;
    if (r.index != i) return kStInternal;  // system variables keep their numbers
    if (Status s = VarSetInt(i, kSysVarTable[i].initial)) return s;
  }
  for (uint16_t i = 0; i < kSysTextVarCount; ++i) {
    StrPair name = StrFromC(kSysTextNames[i]);
    VarRef r = VarLookup(name);
    if (!r.declared()) r = VarDeclare(name, kVarText);
    if (!r.declared()) return kStVarName;
    if (Status s = VarSetStr(r.index, StrPair{})) return s;
  }
  return kOk;
}

Status VarShutdown() {
  Core().vars = VarState{};
  Status s = DimFreeAll();
  ObjTableFreeAll();
  Status t = DynStrTerm();
  return t ? t : s;
}

}  // namespace eng
