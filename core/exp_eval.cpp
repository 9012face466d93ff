#include "core/exp_eval.h"

#include "core/exp_eval_detail.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "core/arrays.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_constants.h"
#include "core/exp_scan.h"
#include "core/field_access.h"
#include "core/field_format.h"
#include "core/num_text.h"
#include "core/fn_call.h"
#include "core/hooks.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_search.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"

namespace eng {

namespace exp_detail {

struct Cur {
  StrPair text;
  uint16_t pos = 0;
  uint16_t op = kOpNone;
};

constexpr std::string_view kNumericFieldTypes = "NL123456789";
constexpr std::string_view kTextFieldTypes = "ABCDF";

DecValue Decode(StrPair v) {
  if (!v.ok() || v.len != kDecEntryBytes) return 0;
  uint64_t u = 0;
  for (int i = kDecEntryBytes - 1; i >= 0; --i) u = (u << 8) | v.at(static_cast<size_t>(i));
  return static_cast<DecValue>(u);
}

DecValue Wrap(__int128 v) { return static_cast<DecValue>(static_cast<uint64_t>(static_cast<unsigned __int128>(v))); }

// n / d rounded half away from zero; 0 when d is 0.
__int128 DivRound(__int128 n, __int128 d) {
  if (d == 0) return 0;
  bool negative = (n < 0) != (d < 0);
  unsigned __int128 un = n < 0 ? static_cast<unsigned __int128>(-n) : static_cast<unsigned __int128>(n);
  unsigned __int128 ud = d < 0 ? static_cast<unsigned __int128>(-d) : static_cast<unsigned __int128>(d);
  unsigned __int128 q = un / ud, r = un % ud;
  if (r >= ud - r) ++q;
  return negative ? -static_cast<__int128>(q) : static_cast<__int128>(q);
}

// The value as the current result: the newest entry above the mark.
Status Hand(const Value& v, uint16_t mark) {
  if (v.text) {
    StrPair kept = ScratchKeep(mark, v.str);
    return kept.ok() ? kOk : StrError(kept);
  }
  ScratchMark(mark);
  StrPair p = DecStoreValue(v.num);
  return p.ok() ? kOk : StrError(p);
}

// Reads the current result into a value (as the given kind).
void TakeTop(Value& v, bool is_text) {
  StrPair top = ScratchTop();
  v.text = is_text;
  if (is_text) v.str = top;
  else v.num = Decode(top);
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = AsciiUpper(c);
  return u;
}

// "==" on texts: equal bytes, or a "*" pattern on the right unless
// _AUXSTAT bit 128 is set.
bool TextEquals(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (SysVarHas(kVarAuxStat, 128)) return false;
  size_t star = b.find('*');
  if (star == b.npos) return false;
  if (star > 0) return a.size() >= star && Upper(a.substr(0, star)) == Upper(b.substr(0, star));
  size_t next = b.find('*', 1);
  std::string_view part = b.substr(1, next == b.npos ? b.npos : next - 1);
  return Upper(a).find(Upper(part)) != std::string::npos;
}

Status Record(Status s, StrPair incident) {
  if (s >= kStFirstError) ErrIncident(s, incident, true);
  return s;
}

Status EvalExpr(Cur& c, int minprec, Value& out);

// Evaluates every item of a text (already prepared) and keeps the last
// non-empty one; empty items are skipped. 123 when all are empty.
Status EvalList(StrPair text, Value& out, uint16_t* fail_pos) {
  Cur c{text, 0, kOpNone};
  return EvalItems(c, text.len, [](Cur& cur, Value& v) { return EvalExpr(cur, 0, v); }, out, fail_pos);
}

Status EvalLiteralOrConstant(std::string_view op, Value& out) {
  if (op.size() > 1 && op[0] == '.' && ((op[1] >= 'a' && op[1] <= 'z') || (op[1] >= 'A' && op[1] <= 'Z'))) {
    int16_t v = 0;
    if (ExpConstantValue(op.substr(1), &v)) {
      out.num = DecMulPow10(v, DecPrecis());
      return kOk;
    }
    // An unknown name is read as the number written after the ".".
    return DecParseText(StrOf(op.substr(1)), &out.num);
  }
  // A literal outside the number format is an error, never a silent 0.
  return DecParseText(StrOf(op), &out.num);
}

Status EvalField(StrPair ref, Value& out) {
  std::string value;
  char type = 0;
  Status s = FieldRead(ref, &value, &type);
  if (s >= kStFirstError) return s;
  if (type && kNumericFieldTypes.find(type) != std::string_view::npos) {
    out.num = DecFromText(StrOf(value));
    out.num_field = true;
    return kOk;
  }
  StrPair t = ScratchText(value);
  if (!t.ok()) return StrError(t);
  out.text = true;
  out.str = t;
  return kOk;
}

Status EvalOperand(StrPair text, const ExpToken& t, Value& out) {
  StrPair op = t.Operand(text);
  if (t.flags & kExpSubExpr) {
    Status s = EvalList(t.Args(text), out, nullptr);
    if (s >= kStFirstError) return s;
    out.empty = false;  // "()" is a value: 0
    return kOk;
  }
  if (t.Empty()) {
    out.empty = true;
    out.info = kStNullExpression;
    return kOk;
  }
  if ((t.flags & kExpFnCall) && t.fn == kFnSysArray && !FnBuiltinInstalled(kFnSysArray)) {
    // Until the system-array function is installed, "_#(i)" reads the element.
    Status s = DimRead(StrPair{op.ptr, op.len}, t.Args(text));
    if (s >= kStFirstError) return s;
    TakeTop(out, s == 1);
    return kOk;
  }
  if (t.flags & kExpFnCall) {
    bool is_text = false;
    Status s = FnCall(t.Args(text), nullptr, t.fn, &is_text);
    if (s >= kStFirstError) return s;
    TakeTop(out, is_text || s == 1);
    out.info = s == 1 ? kOk : s;
    return kOk;
  }
  if (t.flags & kExpArrayCall) {
    Status s = ExpCallArrayOrHook(op, t.Args(text));
    if (s >= kStFirstError) return s;
    TakeTop(out, s == 1);
    return kOk;
  }
  if (t.flags & kExpField) return EvalField(op, out);
  if (t.flags & kExpVariable) {
    Status s = VarRead(op);
    if (s >= kStFirstError) return s;
    TakeTop(out, s == 1);
    return kOk;
  }
  if (t.flags & kExpText) {
    StrPair trimmed = StrTrim(op, 3);
    StrPair inner = StrUnquote(trimmed);
    if (inner.len == trimmed.len) return kStSyntax;  // not a closed quoted text
    out.text = true;
    out.str = inner;
    return kOk;
  }
  return EvalLiteralOrConstant(op.view(), out);
}

// The value as a pair: a text's bytes, or a number's 8 bytes in buf.
StrPair ValuePair(const Value& v, char* buf) {
  if (v.text) return v.str;
  uint64_t u = static_cast<uint64_t>(v.num);
  for (int i = 0; i < kDecEntryBytes; ++i) buf[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  return StrPair{buf, kDecEntryBytes};
}

Status Assign(StrPair text, const ExpToken& t, const Value& v) {
  return AssignTo(t.Operand(text), t.Args(text), t.flags, t.fn, v);
}

Status AssignTo(StrPair name, StrPair args, uint16_t flags, uint16_t fn, const Value& v) {
  char buf[kDecEntryBytes];
  bool element = (flags & kExpFnCall) ? fn == kFnSysArray : (flags & kExpArrayCall) != 0;
  if (element) return DimAssign(name, args, ValuePair(v, buf), v.text);
  if (flags & (kExpFnCall | kExpSubExpr)) return kStSyntax;
  if (flags & kExpField) return v.text ? FieldAssign(name, v.str) : FieldAssignNumber(name, v.num);
  if (flags & kExpVariable) {
    bool name_text = VarTypeOfName(name) == kVarText;
    if (name_text != v.text) return kStIncompatibleTypes;
    return VarAssign(name, ValuePair(v, buf));
  }
  return kStSyntax;
}

Status ApplyText(uint16_t op, Value& l, const Value& r, uint16_t mark) {
  std::string_view a = l.str.view(), b = r.str.view();
  bool truth;
  switch (op) {
    case kOpAdd: {
      if (size_t(a.size()) + b.size() > kMaxText) return kStStringTooLong;
      Status s = ScratchConcat(l.str, r.str);
      if (s) return s;
      StrPair kept = ScratchKeep(mark, ScratchTop());
      if (!kept.ok()) return StrError(kept);
      l.str = kept;
      return kOk;
    }
    case kOpGt: truth = a > b; break;
    case kOpLt: truth = a < b; break;
    case kOpEq: truth = TextEquals(a, b); break;
    case kOpGe: truth = a >= b; break;
    case kOpLe: truth = a <= b; break;
    case kOpNe: truth = a != b; break;
    default: return kStSyntax;  // no meaning on texts
  }
  Release(mark);
  l.text = false;
  l.num = truth ? static_cast<DecValue>(Scale()) : 0;
  return kOk;
}

DecValue ApplyNumber(uint16_t op, DecValue a, DecValue b) {
  const int16_t scale = Scale();
  if (DecValue small; ApplyNumberSmall(op, a, b, scale, &small)) return small;
  const __int128 s = scale;
  const __int128 A = a, B = b;
  auto whole = [&](DecValue v) -> int64_t { return scale ? v / static_cast<int64_t>(scale) : v; };
  auto truth = [&](bool t) { return t ? static_cast<DecValue>(scale) : DecValue{0}; };
  switch (op) {
    case kOpMul: return Wrap(DivRound(A * B, s));
    case kOpDiv: return Wrap(DivRound(A * s, B));
    case kOpRound: {
      // Rounded to (right) decimals; never to more decimals than a value holds.
      int precis = Precis();
      int64_t d = std::clamp<int64_t>(whole(b), 0, precis);
      return NumRoundDecimals(a, precis, static_cast<int>(d));
    }
    case kOpPercent: return Wrap(DivRound(A * B, 100 * s));
    case kOpLessPercent: return Wrap(A - DivRound(A * B, 100 * s));
    case kOpAdd: return static_cast<DecValue>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
    case kOpSub: return static_cast<DecValue>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
    case kOpGt: return truth(a > b);
    case kOpLt: return truth(a < b);
    case kOpEq: return truth(a == b);
    case kOpGe: return truth(a >= b);
    case kOpLe: return truth(a <= b);
    case kOpNe: return truth(a != b);
    case kOpAnd: return Wrap(static_cast<__int128>(whole(a) & whole(b)) * s);
    case kOpOrDisjoint:
    case kOpAtDisjoint: {
      const int64_t ia = whole(a), ib = whole(b);
      return (ia & ib) ? 0 : Wrap(static_cast<__int128>(ia | ib) * s);
    }
    case kOpLogAnd: return truth(a != 0 && b != 0);
    case kOpLogOr: return truth(a != 0 || b != 0);
    case kOpAtAt: {
      const int64_t ia = whole(a), ib = whole(b);
      return truth(!(ia == 0 && ib == 0) && (ia & ib) == 0);
    }
    default: return 0;
  }
}

Status Apply(uint16_t op, Value& l, Value& r, uint16_t mark) {
  if (l.num_field && !l.text && r.text) {
    // A numeric field on the left reads a text on the right as a number.
    r.num = DecFromText(r.str);
    r.text = false;
  }
  l.info = kOk;
  l.empty = false;
  l.num_field = false;
  if (l.text && r.text) return ApplyText(op, l, r, mark);
  if (l.text != r.text) return kStIncompatibleTypes;
  l.num = ApplyNumber(op, l.num, r.num);
  Release(mark);
  return kOk;
}

Status EvalExpr(Cur& c, int minprec, Value& out) {
  DepthGuard guard;
  if (guard.TooDeep()) {
    return Record(kStSyntax, StrPair{c.text.ptr + c.pos, static_cast<uint16_t>(c.text.len - c.pos)});
  }
  uint16_t mark = ScratchMark(-1);
  ExpToken t = ExpNextToken(c.text, c.pos);
  if (t.status) return Record(t.status, StrPair{c.text.ptr + c.pos, static_cast<uint16_t>(c.text.len - c.pos)});
  c.pos = t.next;
  c.op = t.op;
  if (t.op == kOpAssign && minprec <= 0) {
    // An assignment: the right side first ("=" groups from right to left).
    Value rhs;
    Status s = EvalExpr(c, 0, rhs);
    if (s >= kStFirstError) return s;
    if (rhs.empty) return Record(kStSyntax, t.Operand(c.text));
    s = Assign(c.text, t, rhs);
    if (s >= kStFirstError) return Record(s, t.Operand(c.text));
    out = rhs;
    out.lead_empty = false;
    return kOk;
  }
  Status s = EvalOperand(c.text, t, out);
  if (s >= kStFirstError) return Record(s, t.Operand(c.text));
  int local_min = minprec;
  if (out.empty && c.op != kOpNone) {
    // A sign: the empty operand is 0 and takes the operator that follows.
    out.lead_empty = true;
    local_min = std::min<int>(minprec, kExpOperators[c.op].prec);
  }
  while (c.op != kOpNone && kExpOperators[c.op].prec >= local_min) {
    uint16_t op = c.op;
    if (op == kOpAssign) return Record(kStSyntax, t.Operand(c.text));  // nothing to assign to
    uint16_t right_at = c.pos;
    Value rhs;
    s = EvalExpr(c, kExpOperators[op].prec + 1, rhs);
    if (s >= kStFirstError) return s;
    if (rhs.empty || (rhs.lead_empty && out.text)) {
      return Record(kStSyntax, StrPair{c.text.ptr + right_at, static_cast<uint16_t>(c.text.len - right_at)});
    }
    s = Apply(op, out, rhs, mark);
    if (s >= kStFirstError) return Record(s, t.Operand(c.text));
  }
  return kOk;
}

// Prepares and evaluates a whole text; the result is handed over above the
// caller's mark. *is_text tells its kind.
Status EvalTextTyped(StrPair text, bool* is_text) {
  uint16_t mark = ScratchMark(-1);
  *is_text = false;
  StrPair prepared = ExpPrepare(text);
  Status s = StrError(prepared);
  Value v;
  uint16_t fail_pos = 0;
  if (!s) s = EvalList(prepared, v, &fail_pos);
  StrPair failed = prepared.ok() ? StrPair{prepared.ptr + fail_pos, static_cast<uint16_t>(prepared.len - fail_pos)}
                                 : StrPair{nullptr, 0};
  return FinishResult(s, v, failed, mark, is_text);
}

Status FinishResult(Status s, Value& v, StrPair failed, uint16_t mark, bool* is_text, bool hand_number) {
  if (s >= kStFirstWarning) {
    ErrSetLast(1, kModExpExec, s, s);
    if (s >= kStFirstError && failed.ok()) ErrIncident(s, failed, true);
    ScratchMark(mark);
    return s;
  }
  if (v.empty) {
    ScratchMark(mark);
    ScratchText("");
    return kStNullExpression;
  }
  bool atypical_text = v.info == kStAtypical && v.text;
  if (atypical_text) {
    // A text function's "atypical" answer is the empty text, with status 0.
    v.str = StrPair{};
    v.info = kOk;
  }
  if (v.info >= kStFirstWarning) ErrSetLast(1, kModExpExec, v.info, v.info);
  if (v.text || hand_number) {
    if (Status h = Hand(v, mark)) return h;
  } else {
    Release(mark);
  }
  *is_text = v.text;
  if (v.info != kOk) return v.info;
  if (atypical_text) return kOk;
  return v.text ? 1 : 0;
}

}  // namespace exp_detail

using namespace exp_detail;

Status ExpEvalText(StrPair text) {
  bool is_text;
  return EvalTextTyped(text, &is_text);
}

Status ExpExecute(StrPair text) {
  ScratchScope scope;
  Status s = ExpEvalText(text);
  return scope.Release(s < kStFirstError ? kOk : s);
}

Status ExpEvalCond(StrPair text) {
  if (!text.ok() || text.len == 0) return 1;
  ScratchScope scope;
  bool is_text;
  Status s = EvalTextTyped(text, &is_text);
  if (s >= kStFirstWarning) return scope.Release(s);
  if (is_text) return scope.Release(0);
  return scope.Release(NumAccValue() != 0 ? 1 : 0);
}

int16_t ExpEvalInt(StrPair text) {
  ScratchScope scope;
  bool is_text;
  Status s = EvalTextTyped(text, &is_text);
  if (s >= kStFirstWarning || is_text) return 0;
  return static_cast<int16_t>(DecAccToInt());
}

DecValue ExpEvalNum(StrPair text) {
  ScratchScope scope;
  bool is_text;
  Status s = EvalTextTyped(text, &is_text);
  if (s >= kStFirstWarning || is_text) return 0;
  return NumAccValue();
}

StrPair ExpEvalStr(StrPair text) {
  ScratchScope scope;
  bool is_text;
  Status s = EvalTextTyped(text, &is_text);
  return exp_detail::TypedResultText(scope, s, is_text);
}

StrPair ExpEvalIfString(StrPair text) {
  bool text_expression = false;
  {
    ScratchScope scope;
    StrPair prepared = ExpPrepare(text);
    if (prepared.ok()) {
      ExpToken t = ExpNextToken(prepared, 0);
      bool text_operand = (t.flags & kExpText) != 0;
      if (!text_operand && (t.flags & kExpField)) {
        char type = 0;
        text_operand = FieldTypeOf(t.Operand(prepared), &type) == kOk && type &&
                       kTextFieldTypes.find(type) != std::string_view::npos;
      }
      text_expression = !t.status && text_operand && (t.op == kOpNone || t.op == kOpAdd || t.op == kOpAssign);
    }
  }
  if (!text_expression) return text;
  return ExpEvalStr(text);
}

Status ExpEvalArgument(ExpCursor& cursor) {
  uint16_t mark = ScratchMark(-1);
  Cur c{cursor.text, cursor.pos, kOpNone};
  Value v;
  Status s = EvalExpr(c, 0, v);
  cursor.pos = c.pos;
  if (s >= kStFirstError) {
    ScratchMark(mark);
    return s;
  }
  if (v.empty) {
    ScratchMark(mark);
    return kStNullExpression;
  }
  if (Status h = Hand(v, mark)) return h;
  return v.text ? 1 : 0;
}

Status ExpAssignValue(StrPair name, StrPair value, bool converted) {
  if (!name.ok() || !value.ok()) return kStIncompatibleTypes;
  ScratchScope scope;
  // A typed number (locale separators) is reduced to a plain decimal first.
  auto number = [&](StrPair v) {
    if (!converted) {
      v = FmtNumberText(v);
      if (!v.ok()) return v;
    }
    return DecTextToValue(v);
  };
  std::string_view n = name.view();
  size_t open = n.find('(');
  if (open != n.npos) {
    StrPair array{name.ptr, static_cast<uint16_t>(open + 1)};
    size_t close = n.rfind(')');
    if (close == n.npos || close < open) return scope.Release(kStSyntax);
    StrPair args{name.ptr + open + 1, static_cast<uint16_t>(close - open - 1)};
    std::string_view base = n.substr(0, open);
    bool text_kind = VarTypeOfName(StrOf(base)) == kVarText;
    if (text_kind) return scope.Release(DimAssign(array, args, value, true));
    StrPair num = number(value);
    if (!num.ok()) return scope.Release(StrError(num));
    return scope.Release(DimAssign(array, args, num, false));
  }
  switch (VarTypeOfName(name)) {
    case kVarText:
      return scope.Release(VarAssign(name, value));
    case kVarInt:
    case kVarNum: {
      StrPair num = number(value);
      if (!num.ok()) return scope.Release(StrError(num));
      return scope.Release(VarAssign(name, num));
    }
    default:
      return scope.Release(kStIncompatibleTypes);
  }
}

StrPair ExpMakeAssignment(StrPair name, StrPair value) {
  if (!name.ok()) return name;
  if (!value.ok()) return value;
  std::string out(name.view());
  out += '=';
  std::string_view v = value.view();
  ScratchScope scope;
  StrPair prepared = ExpPrepare(name);
  bool text_name = false;
  if (prepared.ok()) {
    ExpToken t = ExpNextToken(prepared, 0);
    text_name = (t.flags & kExpText) != 0;
  }
  if (!text_name) {
    out += v.empty() ? std::string_view("0") : v;
    return scope.Keep(ScratchText(out));
  }
  // A text: quoted pieces joined by "+", each piece free of one of the two
  // quote characters; CR LF as the constant ".lf$", a lone CR or LF as a call.
  if (v.empty()) {
    out += "''";
    return scope.Keep(ScratchText(out));
  }
  bool first = true;
  auto add = [&](std::string_view piece) {
    if (!first) out += '+';
    first = false;
    out += piece;
  };
  size_t i = 0;
  while (i < v.size()) {
    if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n') {
      add(".lf$");
      i += 2;
      continue;
    }
    if (v[i] == '\r' || v[i] == '\n') {
      add(v[i] == '\r' ? "FN$CHRS(13)" : "FN$CHRS(10)");
      ++i;
      continue;
    }
    bool has_apos = false, has_quote = false;
    size_t j = i;
    for (; j < v.size() && v[j] != '\r' && v[j] != '\n'; ++j) {
      bool apos = v[j] == '\'', quote = v[j] == '"';
      if ((apos && has_quote) || (quote && has_apos)) break;
      has_apos |= apos;
      has_quote |= quote;
    }
    char q = has_apos ? '"' : '\'';
    std::string piece;
    piece += q;
    piece.append(v.substr(i, j - i));
    piece += q;
    add(piece);
    i = j;
  }
  return scope.Keep(ScratchText(out));
}

Status ExpFileNumberVars() {
  uint16_t files = DynStrCount(sl::kFileNames);
  for (uint16_t i = 0; i < files; ++i) {
    std::string name(DynStrGet(sl::kFileNames, i).view());
    if (name.empty()) continue;
    for (char& c : name) c = AsciiLower(c);
    if (Status s = VarAssignInt(StrOf(name), i + 1)) return s;
  }
  return kOk;
}

StrPair ExpFirstOperand(StrPair text, uint16_t pos) {
  if (!text.ok() || pos >= text.len) return StrPair{};
  ExpToken t = ExpNextToken(text, pos);
  if (t.status) return StrFail(t.status);
  uint16_t end = t.args_len || (t.flags & (kExpSubExpr | kExpFnCall | kExpArrayCall))
                     ? static_cast<uint16_t>(t.args_start + t.args_len + 1)
                     : static_cast<uint16_t>(t.start + t.len);
  return StrPair{text.ptr + pos, static_cast<uint16_t>(end - pos)};
}

uint16_t ExpListCount(StrPair text) {
  if (!text.ok() || text.len == 0) return 0;
  uint16_t n = 1;
  while (n < 0xFFFF) {
    StrPair item = ExpListItem(text, n);
    if (item.ptr + item.len >= text.ptr + text.len) break;
    ++n;
  }
  return n;
}

StrPair ExpListItem(StrPair text, uint16_t n) {
  if (!text.ok() || n == 0) return StrPair{};
  std::string_view t = text.view();
  size_t start = 0;
  for (uint16_t item = 1;; ++item) {
    const size_t end = std::min(StrFindTopLevel(t, start, ";,"), t.size());
    if (item == n) return StrPair{text.ptr + start, static_cast<uint16_t>(end - start)};
    if (end == t.size()) return StrPair{};
    start = end + 1;
  }
}

Status ExpCallArrayOrHook(StrPair name, StrPair args) {
  if (name.len == 0 || name.ptr[0] != '_') return DimRead(name, args);
  std::string_view base = name.view();
  if (!base.empty() && base.back() == '(') base.remove_suffix(1);
  uint16_t type = VarTypeOfName(StrOf(base));
  std::string value;
  if (HookFilled(kHookLineField)) {
    uint16_t mark = ScratchMark(-1);
    DimIndexes ix = DimEvalIndexes(args);
    if (ix.status) {
      ScratchMark(mark);
      return ix.status;
    }
    int32_t index = ix.count ? static_cast<int16_t>(ix.idx[0]) : 0;
    std::optional<StrPair> answer = HookCallLineField(StrOf(base), index);
    if (answer && !answer->ok()) {
      ScratchMark(mark);
      return StrError(*answer);
    }
    if (answer) value.assign(answer->view());
    ScratchMark(mark);
  }
  if (type == kVarText) {
    StrPair t = ScratchText(value);
    return t.ok() ? Status{1} : StrError(t);
  }
  DecValue v = DecFromText(StrOf(value));
  if (type == kVarInt) v = DecFromInt(static_cast<int16_t>(DecDivPow10(v, DecPrecis())));
  StrPair p = DecStoreValue(v);
  return p.ok() ? kOk : StrError(p);
}

int16_t ExpScale() { return NumPow10(DecPrecis()); }

Status ExpPushInt(int16_t value) {
  StrPair p = DecStoreValue(DecFromInt(value));
  return p.ok() ? kOk : StrError(p);
}

Status ExpPushInt32(int32_t value) {
  StrPair p = DecIntToValue(value);
  return p.ok() ? kOk : StrError(p);
}

Status ExpPushNum(DecValue value) {
  StrPair p = DecStoreValue(value);
  return p.ok() ? kOk : StrError(p);
}

Status ExpPushDecimal(StrPair text) {
  StrPair p = DecTextToValue(text);
  return p.ok() ? kOk : StrError(p);
}

}  // namespace eng
