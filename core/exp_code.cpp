#include "core/exp_code.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/arrays.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/exp_eval_detail.h"
#include "core/exp_scan.h"
#include "core/fn_call.h"
#include "core/hooks.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/string_lists.h"

namespace eng {

namespace {

using exp_detail::Value;

using namespace exp_kind;

// Parentheses nested deeper than this leave the text to the text evaluator.
constexpr int kCompileDepth = 64;

bool IsTextConstantName(std::string_view n) {
  return n == ".lf$" || n == ".tab$" || n == ".pchr$" || n == ".null$";
}

uint8_t KindOf(const ExpToken& t, StrPair seg, ExpCodeToken& ct) {
  if (t.flags & kExpSubExpr) return kSubExpr;
  if (t.Empty()) return kEmpty;
  if (t.flags & kExpFnCall) return kFunction;
  if (t.flags & kExpArrayCall) return kArrayOrHook;
  if (t.flags & kExpField) return kField;
  StrPair op = t.Operand(seg);
  if (t.flags & kExpVariable) {
    std::string_view n = op.view();
    switch (VarTypeOfName(op)) {
      case kVarInt: return kIntVar;
      case kVarNum: return kNumVar;
      case kVarText: return IsTextConstantName(n) ? kOtherVar : kTextVar;
      default: return kOtherVar;
    }
  }
  if (t.flags & kExpText) {
    StrPair trimmed = StrTrim(op, 3);
    StrPair inner = StrUnquote(trimmed);
    if (inner.len == trimmed.len) return kBadQuote;
    ct.inner_start = static_cast<uint16_t>(inner.ptr - seg.ptr);
    ct.inner_len = inner.len;
    return kQuoted;
  }
  return kNumber;
}

class Compiler {
 public:
  explicit Compiler(ExpCode& code) : code_(code) {}

  // Compiles the segment at [offset, offset + len) of the prepared text; its index.
  bool Segment(uint16_t offset, uint16_t len, int depth, uint16_t* index) {
    if (depth > kCompileDepth || code_.segments.size() >= 0xFFFF) return false;
    *index = static_cast<uint16_t>(code_.segments.size());
    code_.segments.push_back(ExpCodeSegment{offset, len, 0, 0});
    StrPair seg{code_.text.data() + offset, len};
    std::vector<ExpCodeToken> tokens;
    uint16_t pos = 0;
    do {
      ExpToken t = ExpNextToken(seg, pos);
      ExpCodeToken ct;
      ct.status = t.status;
      if (t.status) {
        tokens.push_back(ct);  // the scan stops here; the error comes when it is read
        break;
      }
      ct.op = t.op;
      ct.flags = t.flags;
      ct.fn = t.fn;
      ct.start = t.start;
      ct.len = t.len;
      ct.args_start = t.args_start;
      ct.args_len = t.args_len;
      ct.next = t.next;
      ct.kind = KindOf(t, seg, ct);
      if (ct.kind == kSubExpr || ct.kind == kFunction) {
        uint16_t child = 0;
        if (!Segment(static_cast<uint16_t>(offset + t.args_start), t.args_len, depth + 1, &child)) return false;
        ct.child = child;
      }
      tokens.push_back(ct);
      pos = t.next;
    } while (pos < len);
    ExpCodeSegment& s = code_.segments[*index];
    s.first = static_cast<uint32_t>(code_.tokens.size());
    s.count = static_cast<uint32_t>(tokens.size());
    code_.tokens.insert(code_.tokens.end(), tokens.begin(), tokens.end());
    return true;
  }

 private:
  ExpCode& code_;
};

// The evaluator's place in a segment: the next token and its text position.
struct Cur {
  const ExpCode* code = nullptr;
  const ExpCodeSegment* seg = nullptr;
  const char* base = nullptr;
  uint16_t len = 0;
  uint32_t i = 0;
  uint16_t pos = 0;
  uint16_t op = kOpNone;

  Cur(const ExpCode& c, uint16_t segment)
      : code(&c), seg(&c.segments[segment]), base(c.text.data() + seg->offset), len(seg->len) {}
  StrPair Rest(uint16_t from) const { return StrPair{base + from, static_cast<uint16_t>(len - from)}; }
  StrPair Operand(const ExpCodeToken& t) const { return StrPair{base + t.start, t.len}; }
  StrPair Args(const ExpCodeToken& t) const { return StrPair{base + t.args_start, t.args_len}; }
};

Status EvalExpr(Cur& c, int minprec, Value& out);
Status EvalList(const ExpCode& code, uint16_t segment, Value& out, uint16_t* fail_pos);

// The arguments of a function that takes them all, from the compiled
// argument list: what FnEvalArgs does over the text.
class CompiledArgs final : public FnArgSource {
 public:
  CompiledArgs(const ExpCode& code, uint16_t segment) : code_(code), segment_(segment) {}

  StrPair Push(ExpCursor& cursor, uint16_t how_many) override {
    Cur c(code_, segment_);
    std::string types;
    uint16_t count = 0;
    while (c.pos < c.len && count < how_many) {
      if (count == kFnMaxArgs) return StrFail(kStSyntax);  // a seventeenth argument
      ScratchScope scope;
      Status s = Argument(c);
      cursor.pos = c.pos;
      if (Status p = FnPushArgValue(s, types)) return StrFail(p);
      ++count;
    }
    return ScratchText(types);
  }
  // The items are compiled one by one: the first ones are read as FnEvalArgs
  // reads them, and the cursor is left after the last one read.
  bool PushesFirst() const override { return true; }

 private:
  // ExpEvalArgument over the compiled item.
  static Status Argument(Cur& c) {
    uint16_t mark = ScratchMark(-1);
    Value v;
    Status s = EvalExpr(c, 0, v);
    if (s >= kStFirstError) {
      ScratchMark(mark);
      return s;
    }
    if (v.empty) {
      ScratchMark(mark);
      return kStNullExpression;
    }
    if (Status h = exp_detail::Hand(v, mark)) return h;
    return v.text ? 1 : 0;
  }

  const ExpCode& code_;
  uint16_t segment_;
};

bool ProviderName(StrPair name) { return name.len > 0 && name.ptr[0] == '_' && HookFilled(kHookFieldProvider); }

Status EvalOperand(const Cur& c, const ExpCodeToken& t, Value& out) {
  StrPair op = c.Operand(t);
  switch (t.kind) {
    case kSubExpr: {
      Status s = EvalList(*c.code, t.child, out, nullptr);
      if (s >= kStFirstError) return s;
      out.empty = false;  // "()" is a value: 0
      return kOk;
    }
    case kEmpty:
      out.empty = true;
      out.info = kStNullExpression;
      return kOk;
    case kFunction: {
      if (t.fn == kFnSysArray && !FnBuiltinInstalled(kFnSysArray)) {
        // Until the system-array function is installed, "_#(i)" reads the element.
        Status s = DimRead(op, c.Args(t));
        if (s >= kStFirstError) return s;
        exp_detail::TakeTop(out, s == 1);
        return kOk;
      }
      bool is_text = false;
      CompiledArgs args(*c.code, t.child);
      Status s = FnCall(c.Args(t), nullptr, t.fn, &is_text, &args);
      if (s >= kStFirstError) return s;
      exp_detail::TakeTop(out, is_text || s == 1);
      out.info = s == 1 ? kOk : s;
      return kOk;
    }
    case kArrayOrHook: {
      Status s = ExpCallArrayOrHook(op, c.Args(t));
      if (s >= kStFirstError) return s;
      exp_detail::TakeTop(out, s == 1);
      return kOk;
    }
    case kField:
      return exp_detail::EvalField(op, out);
    case kIntVar:
    case kNumVar:
    case kTextVar: {
      if (ProviderName(op)) break;
      const uint16_t type = t.kind == kIntVar ? kVarInt : t.kind == kNumVar ? kVarNum : kVarText;
      const uint16_t index = VarBind(op, type, t.binding);
      const bool declared = index != kVarUndeclared;
      if (t.kind == kTextVar) {
        Status s = ScratchCopy(declared ? VarGetStr(index) : StrPair{});
        if (s) return s;
        out.text = true;
        out.str = ScratchTop();
        return kOk;
      }
      out.text = false;
      out.num = !declared ? 0 : t.kind == kIntVar ? exp_detail::FromInt(VarGetInt(index)) : VarGetNum(index);
      return kOk;
    }
    case kOtherVar:
      break;
    case kQuoted:
      out.text = true;
      out.str = StrPair{c.base + t.inner_start, t.inner_len};
      return kOk;
    case kBadQuote:
      return kStSyntax;
    case kNumber: {
      const int16_t precis = static_cast<int16_t>(exp_detail::Precis());
      if (t.precis != precis) {
        // A refused literal is read again at each run: its failure is the
        // run's, recorded like the text's.
        Value v;
        if (Status s = exp_detail::EvalLiteralOrConstant(op.view(), v)) return s;
        t.number = v.num;
        t.precis = precis;
      }
      out.num = t.number;
      return kOk;
    }
    default:
      return kStSyntax;
  }
  // A variable read the general way.
  Status s = VarRead(op);
  if (s >= kStFirstError) return s;
  exp_detail::TakeTop(out, s == 1);
  return kOk;
}

Status Assign(const Cur& c, const ExpCodeToken& t, const Value& v) {
  StrPair name = c.Operand(t);
  if (t.kind != kIntVar && t.kind != kNumVar && t.kind != kTextVar) {
    return exp_detail::AssignTo(name, c.Args(t), t.flags, t.fn, v);
  }
  if ((t.kind == kTextVar) != v.text) return kStIncompatibleTypes;
  char buf[kDecEntryBytes];
  StrPair value = exp_detail::ValuePair(v, buf);
  if (ProviderName(name)) return VarAssign(name, value);
  VarRef ref;
  ref.type = t.kind == kIntVar ? kVarInt : t.kind == kNumVar ? kVarNum : kVarText;
  ref.index = VarBind(name, ref.type, t.binding);
  if (!ref.declared()) return VarAssign(name, value);  // declares it
  return VarAssignAt(ref, value);
}

// Reading at the end of the text gives an empty operand and no operator.
const ExpCodeToken kEnd;

// The text evaluator's EvalExpr over tokens: the same steps in the same order.
Status EvalExpr(Cur& c, int minprec, Value& out) {
  exp_detail::DepthGuard guard;
  if (guard.TooDeep()) return exp_detail::Record(kStSyntax, c.Rest(c.pos));
  uint16_t mark = exp_detail::MarkNow();
  const ExpCodeToken* tp = &kEnd;
  if (c.i < c.seg->count) {
    tp = &c.code->tokens[c.seg->first + c.i];
    ++c.i;
  }
  const ExpCodeToken& t = *tp;
  if (t.status) return exp_detail::Record(t.status, c.Rest(c.pos));
  c.pos = tp == &kEnd ? c.len : t.next;
  c.op = t.op;
  if (t.op == kOpAssign && minprec <= 0) {
    // An assignment: the right side first ("=" groups from right to left).
    Value rhs;
    Status s = EvalExpr(c, 0, rhs);
    if (s >= kStFirstError) return s;
    if (rhs.empty) return exp_detail::Record(kStSyntax, c.Operand(t));
    s = Assign(c, t, rhs);
    if (s >= kStFirstError) return exp_detail::Record(s, c.Operand(t));
    out = rhs;
    out.lead_empty = false;
    return kOk;
  }
  Status s = EvalOperand(c, t, out);
  if (s >= kStFirstError) return exp_detail::Record(s, c.Operand(t));
  int local_min = minprec;
  if (out.empty && c.op != kOpNone) {
    // A sign: the empty operand is 0 and takes the operator that follows.
    out.lead_empty = true;
    local_min = std::min<int>(minprec, kExpOperators[c.op].prec);
  }
  while (c.op != kOpNone && kExpOperators[c.op].prec >= local_min) {
    uint16_t op = c.op;
    if (op == kOpAssign) return exp_detail::Record(kStSyntax, c.Operand(t));  // nothing to assign to
    uint16_t right_at = c.pos;
    Value rhs;
    s = EvalExpr(c, kExpOperators[op].prec + 1, rhs);
    if (s >= kStFirstError) return s;
    if (rhs.empty || (rhs.lead_empty && out.text)) return exp_detail::Record(kStSyntax, c.Rest(right_at));
    s = exp_detail::Apply(op, out, rhs, mark);
    if (s >= kStFirstError) return exp_detail::Record(s, c.Operand(t));
  }
  return kOk;
}

// The text evaluator's EvalList over a segment.
Status EvalList(const ExpCode& code, uint16_t segment, Value& out, uint16_t* fail_pos) {
  Cur c(code, segment);
  return exp_detail::EvalItems(c, c.len, [](Cur& cur, Value& v) { return EvalExpr(cur, 0, v); }, out, fail_pos);
}

// Whether the compiled tokens still read as the text would: no application
// function was registered since the compile.
bool Current(const ExpCode& code) { return Core().fn.registered == code.registered; }

// The whole evaluation; a number result is handed over unless `number` asks
// for it there instead.
Status EvalTyped(const ExpCode& code, bool* is_text, Value* number = nullptr) {
  uint16_t mark = exp_detail::MarkNow();
  *is_text = false;
  Value v;
  uint16_t fail_pos = 0;
  Status s = kOk;
  if (ExpVmRun(code, &v, &s, &fail_pos)) {
    if (s == kOk && v.info == kOk) {
      // FinishResult's steps for a plain value of the machine, which left
      // a text directly above the mark and a number with the arena at it.
      *is_text = v.text;
      if (v.text) return 1;
      if (number) {
        *number = v;
        return 0;
      }
      StrPair p = DecStoreValue(v.num);
      return p.ok() ? kOk : StrError(p);
    }
  } else {
    s = EvalList(code, 0, v, &fail_pos);
  }
  StrPair failed{code.text.data() + fail_pos, static_cast<uint16_t>(code.text.size() - fail_pos)};
  s = exp_detail::FinishResult(s, v, failed, mark, is_text, number == nullptr);
  if (number) *number = v;
  return s;
}

}  // namespace

namespace {

std::shared_ptr<ExpCode> CompileTokens(StrPair text) {
  if (!text.ok()) return nullptr;
  ScratchScope scope;
  StrPair prepared = ExpPrepare(text, false);
  if (!prepared.ok()) return nullptr;
  auto code = std::make_shared<ExpCode>();
  code->source.assign(text.view());
  code->text.assign(prepared.view());
  code->registered = Core().fn.registered;
  Compiler compiler(*code);
  uint16_t root = 0;
  if (!compiler.Segment(0, static_cast<uint16_t>(code->text.size()), 0, &root)) return nullptr;
  return code;
}

}  // namespace

std::shared_ptr<const ExpCode> ExpCompile(StrPair text) {
  std::shared_ptr<ExpCode> code = CompileTokens(text);
  if (code) ExpVmBuild(*code);
  return code;
}

std::shared_ptr<const ExpCode> ExpCompileArgs(StrPair text) {
  std::shared_ptr<ExpCode> code = CompileTokens(text);
  if (code) ExpVmBuildArgs(*code);
  return code;
}

Status ExpCodeEvalText(const ExpCode& code) {
  if (!Current(code)) return ExpEvalText(StrOf(code.source));
  bool is_text;
  return EvalTyped(code, &is_text);
}

Status ExpCodeRun(const ExpCode& code) {
  if (!Current(code)) return ExpEvalText(StrOf(code.source));
  bool is_text;
  Value v;
  return EvalTyped(code, &is_text, &v);
}

Status ExpCodeEvalCond(const ExpCode& code) {
  if (!Current(code)) return ExpEvalCond(StrOf(code.source));
  if (code.source.empty()) return 1;
  const uint16_t mark = exp_detail::MarkNow();
  bool is_text;
  Value v;
  Status s = EvalTyped(code, &is_text, &v);
  exp_detail::Release(mark);
  if (s >= kStFirstWarning) return s;
  if (is_text) return 0;
  return v.num != 0 ? 1 : 0;
}

StrPair ExpCodeEvalStr(const ExpCode& code) {
  if (!Current(code)) return ExpEvalStr(StrOf(code.source));
  ScratchScope scope;
  bool is_text;
  Status s = EvalTyped(code, &is_text);
  return exp_detail::TypedResultText(scope, s, is_text);
}

StrPair ExpCodePushArgs(const ExpCode& code) {
  if (!Current(code)) {
    StrPair prepared = ExpPrepare(StrOf(code.source));
    if (!prepared.ok()) return prepared;
    ExpCursor cursor{prepared, 0};
    return FnEvalArgs(cursor, kFnAllArgs);
  }
  StrPair types;
  if (ExpVmPushArgs(code, &types)) return types;
  ExpCursor cursor{StrOf(code.text), 0};
  CompiledArgs args(code, 0);
  return args.Push(cursor, kFnAllArgs);
}

}  // namespace eng
