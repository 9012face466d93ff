#include "core/fn_call.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_pair_store.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

namespace eng {

const char* const kFnBuiltinNames[kFnBuiltinCount] = {
    "_#",       "FN#FLEN",  "FN#SLEN", "FN#PARM",    "FN#VALN", "FN#ACUM", "CHK#",
    "FILEFIND", "FILEREL",  "FILELOCATE", "FILESEL", "FN$CHNG", "FN$CHRS", "FN$DATE",
    "FN$FLDS",  "FN$MASK",  "FN$MIDS", "FN$PARM",    "FN$TRIM", "ENVELOP$", "CHK$",
    "SORT$",    "EXEC$",    "READ$",   "WRITE",      "MACRO$",  "ENVRON$", "_$",
    "KEY$",     "TIME$",    "IER",     "EXP$",       "SQLCHILD",
};

namespace {

constexpr uint16_t kSqlStackLimit = 7;

FnState& F() { return Core().fn; }

// The built-in names, NUL-separated.
std::string_view BuiltinNames() {
  static const std::string names = [] {
    std::string n;
    for (uint16_t i = 0; i < kFnBuiltinCount; ++i) {
      if (i) n += '\0';
      n += kFnBuiltinNames[i];
    }
    return n;
  }();
  return names;
}

// The name list in (0, 8), built from the built-in names on first use.
StrPair NameList() {
  StrPair list = DynStrGet(sl::kSettings, sl::kBuiltinNames);
  if (list.len) return list;
  DynStrSet(sl::kSettings, sl::kBuiltinNames, StrOf(BuiltinNames()));
  return DynStrGet(sl::kSettings, sl::kBuiltinNames);
}

uint16_t FindIn(std::string_view list, std::string_view name) {
  uint16_t n = 1;
  size_t start = 0;
  for (;;) {
    size_t end = list.find('\0', start);
    if (end == std::string_view::npos) end = list.size();
    if (list.substr(start, end - start) == name) return n;
    if (end == list.size()) return 0;
    start = end + 1;
    ++n;
  }
}

// How many arguments a function has evaluated before it runs.
uint16_t EvalMode(uint16_t n) {
  switch (n) {
    case kFnAcum:
    case kFnFlds: return 0;
    case kFnChkNum:
    case kFnChkStr:
    case kFnExp: return 1;
    case kFnFileRel: return 4;
    default: return kFnAllArgs;
  }
}

std::string NameOf(uint16_t n) {
  std::string_view list = NameList().view();
  uint16_t k = 1;
  size_t start = 0;
  while (k < n) {
    size_t end = list.find('\0', start);
    if (end == std::string_view::npos) return std::string();
    start = end + 1;
    ++k;
  }
  size_t end = list.find('\0', start);
  return std::string(list.substr(start, end == std::string_view::npos ? list.npos : end - start));
}

// Whether built-in n's name holds "$", by number (set up with the program).
const std::array<bool, kFnBuiltinCount + 1> kBuiltinText = [] {
  std::array<bool, kFnBuiltinCount + 1> t{};
  for (uint16_t i = 1; i <= kFnBuiltinCount; ++i) t[i] = std::strchr(kFnBuiltinNames[i - 1], '$') != nullptr;
  return t;
}();

// Whether the function's name holds "$" (its result is then a text): the
// built-in names are the first of the name list, in table order.
bool NameIsText(uint16_t n) {
  if (n >= 1 && n <= kFnBuiltinCount) return kBuiltinText[n];
  return NameOf(n).find('$') != std::string::npos;
}

// Runs function a.number's handler with its argument types already in
// a.types. A handler that leaves no result gives a number 0 or an empty text.
Status InvokeHandler(FnArgs& a) {
  const uint16_t n = a.number;
  const ScratchArena& arena = Core().arena;
  const uint16_t inner = arena.current();
  Status status;
  FnHandler builtin = n >= 1 && n <= kFnBuiltinCount ? F().builtins[n] : nullptr;
  if (n >= kFnFirstApp) {
    status = FnCallRegistered(n, a);
  } else if (builtin) {
    status = builtin(a);
  } else {
    status = ErrIncident(kStNotAvailable, StrOf(NameOf(n) + "()"), true);
  }
  if (arena.current() == inner) {
    if (a.result_text) ScratchText("");
    else DecStoreValue(0);
  }
  return status;
}

// InvokeHandler with the argument types `types` kept as an entry directly
// above the mark.
Status RunHandler(FnArgs& a, uint16_t mark, std::string_view types) {
  ScratchMark(mark);
  StrPair kept = ScratchText(types);
  a.types = kept.ok() ? kept : StrPair{};
  return InvokeHandler(a);
}

// A call's result kept directly above the caller's mark (nothing after an error).
void KeepResult(Status status, uint16_t mark) {
  ScratchArena& arena = Core().arena;
  if (status < kStFirstError) arena.Keep(mark, arena.Top());
  else arena.Mark(mark);
}

DecValue Decode(StrPair v) {
  if (v.len != kDecEntryBytes) return 0;
  uint64_t u = 0;
  for (int i = kDecEntryBytes - 1; i >= 0; --i) u = (u << 8) | v.at(static_cast<size_t>(i));
  return static_cast<DecValue>(u);
}

}  // namespace

uint16_t FnArgs::Type(uint16_t i) const {
  if (i == 0 || i > Count()) return kFnArgNum;
  size_t at = size_t(i - 1) * 2;
  return static_cast<uint16_t>(types.at(at) | (types.at(at + 1) << 8));
}

uint16_t ExpBuiltinIndex(StrPair name) {
  if (!name.ok() || name.len == 0) return 0;
  // Until the list is stored (a registration, or a name asked for) it would
  // hold the built-in names alone: those are searched without storing it.
  StrPair stored = DynStrGet(sl::kSettings, sl::kBuiltinNames);
  std::string_view list = stored.len ? stored.view() : BuiltinNames();
  if (uint16_t n = FindIn(list, name.view())) return n;
  std::string upper(name.view());
  for (char& c : upper) c = AsciiUpper(c);
  return FindIn(list, upper);
}

Status FnInstallBuiltin(uint16_t number, FnHandler handler) {
  if (number < 1 || number > kFnBuiltinCount) return kStDataOutBound;
  F().builtins[number] = handler;
  F().direct[number] = false;
  return kOk;
}

Status FnInstallDirectBuiltin(uint16_t number, FnHandler handler) {
  if (Status s = FnInstallBuiltin(number, handler)) return s;
  F().direct[number] = handler != nullptr;
  return kOk;
}

bool FnBuiltinDirect(uint16_t number) { return FnBuiltinInstalled(number) && F().direct[number]; }

bool FnBuiltinInstalled(uint16_t number) {
  return number >= 1 && number <= kFnBuiltinCount && F().builtins[number] != nullptr;
}

Status FnRegister(StrPair name, FnHandler handler) {
  FnState& f = F();
  if (f.registered >= kFnAppSlots) return kStDataOutBound;
  if (!name.ok() || name.len == 0 || name.view().find('\0') != std::string_view::npos) return kStSyntax;
  std::string list(NameList().view());
  list += '\0';
  list.append(name.view());
  if (list.size() > kMaxText) return kStStringTooLong;
  if (Status s = DynStrSet(sl::kSettings, sl::kBuiltinNames, StrOf(list))) return s;
  f.app[f.registered++] = handler;
  return kOk;
}

Status FnCallRegistered(uint16_t number, FnArgs& args) {
  if (number < kFnFirstApp || number >= kFnFirstApp + kFnAppSlots) return kStSyntax;
  FnHandler h = F().app[number - kFnFirstApp];
  if (!h) return kStSyntax;
  return h(args);
}

StrPair FnEvalArgs(ExpCursor& cursor, uint16_t how_many) {
  std::string types;
  uint16_t count = 0;
  while (!cursor.AtEnd() && count < how_many) {
    if (count == kFnMaxArgs) return StrFail(kStSyntax);  // a seventeenth argument
    ScratchScope scope;
    if (Status s = FnPushArgValue(ExpEvalArgument(cursor), types)) return StrFail(s);
    ++count;
  }
  return ScratchText(types);
}

Status FnPushArgValue(Status evaluated, std::string& types) {
  if (evaluated >= kStFirstError) return evaluated;
  StrPair value = evaluated == kStNullExpression ? StrPair{&kFnOmitted, 1} : ScratchTop();
  if (Status p = DynStrPush(sl::kProcArgs, value)) return p;
  uint16_t type = evaluated == 1 ? kFnArgText : kFnArgNum;
  types += static_cast<char>(type & 0xFF);
  types += static_cast<char>(type >> 8);
  return kOk;
}

Status FnCall(StrPair args, ExpCursor* cursor, uint16_t n, bool* result_text, FnArgSource* source) {
  uint16_t mark = ScratchMark(-1);
  uint16_t depth = DynStrCount(sl::kProcArgs);
  ExpCursor local{args, 0};
  ExpCursor& c = cursor ? *cursor : local;

  bool sql_child = n == kFnSqlChild;
  int16_t saved_row = 0, saved_ier = 0, saved_stack = 0;
  if (sql_child) {
    saved_stack = SysVarGet(kVarSqlStk);
    if (saved_stack + 1 > kSqlStackLimit) return kStStrOutBound;
    saved_row = SysVarGet(kVarCurRow);
    saved_ier = SysVarGet(kVarIer);
    SysVarSet(kVarCurRow, 0);
    SysVarSet(kVarSqlStk, static_cast<int16_t>(saved_stack + 1));
  }

  FnArgs a;
  a.number = n;
  a.base = depth;
  a.cursor = &c;
  a.result_text = NameIsText(n);
  Status status;
  const uint16_t mode = n >= kFnFirstApp ? kFnAllArgs : EvalMode(n);
  const bool from_source = source && (mode == kFnAllArgs || source->PushesFirst());
  StrPair types = from_source ? source->Push(c, mode) : FnEvalArgs(c, mode);
  if (!types.ok()) {
    status = StrError(types);
  } else {
    // The types are copied: the handler is free to release the arena above the mark.
    status = RunHandler(a, mark, std::string(types.view()));
  }
  KeepResult(status, mark);
  Status pop = DynStrPopTo(sl::kProcArgs, depth);
  if (sql_child) {
    SysVarSet(kVarCurRow, saved_row);
    SysVarSet(kVarIer, saved_ier);
    SysVarSet(kVarSqlStk, saved_stack);
  }
  if (result_text) *result_text = a.result_text;
  return status ? status : pop;
}

namespace {

// Pushes arguments evaluated beforehand, as FnEvalArgs would have.
class ValueSource final : public FnArgSource {
 public:
  ValueSource(const StrPair* values, const uint16_t* types, uint16_t count)
      : values_(values), types_(types), count_(count) {}
  StrPair Push(ExpCursor& cursor, uint16_t) override {
    std::string types;
    for (uint16_t i = 0; i < count_; ++i) {
      if (Status p = DynStrPush(sl::kProcArgs, values_[i])) return StrFail(p);
      types += static_cast<char>(types_[i] & 0xFF);
      types += static_cast<char>(types_[i] >> 8);
    }
    cursor.pos = cursor.text.len;
    return ScratchText(types);
  }

 private:
  const StrPair* values_;
  const uint16_t* types_;
  uint16_t count_;
};

// Whether pushing the values on list 35 could not fail for want of room: a
// store that near its limits takes the list path, which fails as it did.
bool StoreHolds(const StrPair* values, uint16_t count) {
  const DynStrings& d = Core().strings;
  uint32_t bytes = 0;
  for (uint16_t i = 0; i < count; ++i) bytes += values[i].len;
  return d.elements_in_use + d.lists[sl::kProcArgs].size() + 2u * count + 1 < kDynElementRoom &&
         d.text_in_use + bytes + 1 < kDynTextRoom;
}

}  // namespace

Status FnCallValues(StrPair args, uint16_t n, const StrPair* values, const uint16_t* types, uint16_t count,
                    bool* result_text) {
  if (n < 1 || n > kFnBuiltinCount || n == kFnSqlChild || EvalMode(n) != kFnAllArgs || !FnBuiltinDirect(n) ||
      !StoreHolds(values, count)) {
    ValueSource source(values, types, count);
    return FnCall(args, nullptr, n, result_text, &source);
  }
  // FnCall's steps with the arguments read in place.
  const uint16_t mark = Core().arena.current();
  ExpCursor cursor{args, args.len};
  FnArgs a;
  a.number = n;
  a.base = static_cast<uint16_t>(Core().strings.lists[sl::kProcArgs].size());
  a.cursor = &cursor;
  a.result_text = NameIsText(n);
  a.direct = values;
  a.direct_left = count;
  // The types stay here, beside the values: a direct handler reads them
  // through FnArgs alone, so the arena needs no entry for them.
  char held[2 * kFnMaxArgs];
  for (uint16_t i = 0; i < count; ++i) {
    held[2 * i] = static_cast<char>(types[i] & 0xFF);
    held[2 * i + 1] = static_cast<char>(types[i] >> 8);
  }
  a.types = StrPair{held, static_cast<uint16_t>(2u * count)};
  Status status = InvokeHandler(a);
  KeepResult(status, mark);
  if (result_text) *result_text = a.result_text;
  return status;
}

Status FnArgCount(const FnArgs& args, uint16_t min, uint16_t max) {
  uint16_t n = args.Count();
  return (n < min || n > max) ? Status{kStSyntax} : kOk;
}

StrPair FnPopValue() {
  StrPair top = DynStrTop(sl::kProcArgs);
  if (top.len == 1 && top.ptr[0] == kFnOmitted) {
    DynStrPop(sl::kProcArgs);
    return ScratchText("");
  }
  return DynStrPopValue(sl::kProcArgs);
}

FnArg FnArgValue(FnArgs& args, uint16_t i, StrPair def, uint16_t def_type) {
  FnArg out;
  out.value = def;
  out.type = def_type;
  if (i == 0 || i > args.Count()) return out;
  StrPair v;
  if (args.direct) {
    // The same steps as the list: arguments above i are passed over, i is
    // taken (ESC read as the empty text). The value is read where it lies:
    // it stays put while the handler runs, which touches nothing else.
    if (args.direct_left < i) return out;  // already taken
    args.direct_left = static_cast<uint16_t>(i - 1);
    StrPair raw = args.direct[i - 1];
    v = raw.len == 1 && raw.ptr[0] == kFnOmitted ? StrPair{&kFnOmitted, 0} : raw;
  } else {
    uint16_t element = static_cast<uint16_t>(args.base + i - 1);
    if (DynStrCount(sl::kProcArgs) <= element) return out;  // already taken
    DynStrPopTo(sl::kProcArgs, static_cast<uint16_t>(element + 1));
    v = FnPopValue();
  }
  if (!v.ok()) {
    out.status = StrError(v);
    return out;
  }
  out.type = args.Type(i);
  out.omitted = out.type == kFnArgNum && v.len == 0;
  // Written whole: the handler reads the pair back at once.
  if (!out.omitted) StrPairStore(out.value, v);
  return out;
}

FnIntArg FnArgInt(FnArgs& args, uint16_t i, int16_t def) {
  FnIntArg out;
  out.value = def;
  FnArg a = FnArgValue(args, i, StrPair{}, kFnArgNum);
  if (a.status) {
    out.status = a.status;
  } else if (a.omitted) {
    // the default
  } else if (a.type == kFnArgText) {
    out.status = kStIncompatibleTypes;
  } else {
    out.value = static_cast<int16_t>(DecDivPow10(Decode(a.value), DecPrecis()));
  }
  return out;
}

StrPair FnArgStr(FnArgs& args, uint16_t i, StrPair def) {
  FnArg a = FnArgValue(args, i, def, kFnArgText);
  if (a.status) return StrFail(a.status);
  if (a.omitted) return def;
  if (a.type != kFnArgText) return StrFail(kStIncompatibleTypes);
  return a.value;
}

Status FnArgList(FnArgs& args, int16_t* ints, StrPair* texts, uint16_t max) {
  uint16_t n = args.Count();
  if (n > max) return kStSyntax;
  for (uint16_t i = n; i > 0; --i) {
    FnArg a = FnArgValue(args, i, StrPair{}, kFnArgNum);
    if (a.status) return a.status;
    if (a.type == kFnArgText) {
      if (!texts) return kStSyntax;
      texts[i - 1] = a.value;
      if (ints) ints[i - 1] = 0;
    } else {
      if (ints) ints[i - 1] = a.omitted ? 0 : static_cast<int16_t>(DecDivPow10(Decode(a.value), DecPrecis()));
      if (texts) texts[i - 1] = StrPair{};
    }
  }
  return kOk;
}

}  // namespace eng
