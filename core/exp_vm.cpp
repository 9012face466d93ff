#include "core/exp_vm.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "core/err_register.h"
#include "core/dyn_strings.h"
#include "core/exp_code.h"
#include "core/exp_eval.h"
#include "core/exp_eval_detail.h"
#include "core/exp_scan.h"
#include "core/fn_call.h"
#include "core/hooks.h"
#include "core/num_text.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/status.h"
#include "core/str_pair_store.h"
#include "core/string_lists.h"

namespace eng {

namespace {

using namespace exp_kind;

constexpr uint16_t kNone = 0xFFFF;
// Values held at once; a text needing more keeps the token walk.
constexpr size_t kMaxStack = 48;

enum Code : uint8_t {
  kVmLit,     // a = literal, b = its text (incident)
  kVmZero,    // the empty operand before a sign: 0
  kVmNull,    // "()" with nothing inside: 0, status 123
  kVmStr,     // a quoted text: a = start, b = length
  kVmInt,   // a = variable, b = operand text
  kVmNum,
  kVmText,  // op = 1: copied to the scratch arena (a later step may change it)
  kVmBin,     // op = operator, b = operand text, c = the text from the right operand on
  kVmBinNum,  // kVmBin where both values are numbers whatever the run
  kVmCat,     // kVmBin of "+" where both values are texts whatever the run
  kVmAssign,  // a = variable, b = operand text
  kVmNext,    // after an item that is not the last: a = the end of the list, taken
              // when the item's value carries a warning; otherwise the value goes
  kVmCall,    // a = function, op = argument count, b = operand text, c = argument text, d = nesting
  kVmOmit,    // an empty argument
  kVmPushArg, // an argument of an argument list: onto list 35
  kVmField,   // a field read: a = operand text
  kVmFieldSet,  // an assignment to a field: a = operand text, b = its argument text, c = flags, d = function
  kVmChk,     // CHK# (op 0) or CHK$ (op 1) over the condition on the stack: a = its first branch,
              // b = operand text, d = nesting
};

const char kNoText[] = "";

// Where the builder is in a segment: the next token and its text position.
struct SegCur {
  const ExpCode& code;
  const ExpCodeSegment& seg;
  uint32_t i = 0;
  uint16_t pos = 0;
  uint16_t op = kOpNone;
  SegCur(const ExpCode& c, uint16_t segment) : code(c), seg(c.segments[segment]) {}
};

// The kind of a value, where it is the same on every run.
enum : uint8_t { kAnyValue, kNumberValue, kTextValue };

class Builder {
 public:
  explicit Builder(ExpCode& code) : code_(code), p_(code.program) {}

  bool Build() {
    bool have = false;
    if (!List(0, 0, true, &have)) return false;
    return have && stack_.size() == 1 && p_.stack <= kMaxStack;
  }

  // The arguments one by one, each pushed when evaluated.
  bool BuildArgs() {
    p_.args = true;
    SegCur c(code_, 0);
    uint16_t count = 0;
    while (c.pos < c.seg.len) {
      if (count == kFnMaxArgs) return false;  // a seventeenth argument fails
      bool empty = false;
      if (!Expr(c, 0, 0, &empty)) return false;
      if (empty) {
        Emit(kVmOmit);
        Push(-1);
      }
      Emit(kVmPushArg);
      stack_.pop_back();
      ++count;
    }
    return count > 0 && stack_.empty() && p_.stack <= kMaxStack;
  }

 private:
  uint16_t Emit(uint8_t code, uint8_t op = 0, uint16_t a = 0, uint16_t b = 0, uint16_t c = 0, uint16_t d = 0) {
    ExpVmOp o;
    o.code = code;
    o.op = op;
    o.a = a;
    o.b = b;
    o.c = c;
    o.d = d;
    o.ctx = ctx_;
    p_.ops.push_back(o);
    return static_cast<uint16_t>(p_.ops.size() - 1);
  }
  void Push(int32_t producer, uint8_t kind = kAnyValue) {
    stack_.push_back(Held{producer, kind});
    p_.stack = std::max<uint16_t>(p_.stack, static_cast<uint16_t>(stack_.size()));
  }
  uint16_t Span(uint32_t start, uint32_t len) {
    p_.spans.push_back(ExpVmSpan{static_cast<uint16_t>(start), static_cast<uint16_t>(len)});
    return static_cast<uint16_t>(p_.spans.size() - 1);
  }
  // Text variables read in place and still held must be copied when a step
  // may change the store.
  void CopyHeldTexts() {
    for (const Held& h : stack_)
      if (h.producer >= 0) p_.ops[static_cast<size_t>(h.producer)].op = 1;
  }
  uint16_t Var(uint32_t start, uint16_t len, uint16_t type) {
    std::string_view name(code_.text.data() + start, len);
    if (!name.empty() && name[0] == '_') p_.provider_names = true;
    for (size_t k = 0; k < p_.vars.size(); ++k) {
      const ExpVmVar& v = p_.vars[k];
      if (v.type == type && std::string_view(code_.text.data() + v.start, v.len) == name)
        return static_cast<uint16_t>(k);
    }
    ExpVmVar v;
    v.start = static_cast<uint16_t>(start);
    v.len = len;
    v.type = type;
    p_.vars.push_back(v);
    return static_cast<uint16_t>(p_.vars.size() - 1);
  }
  static bool VarType(uint8_t kind, uint16_t* type) {
    switch (kind) {
      case kIntVar: *type = kVarInt; return true;
      case kNumVar: *type = kVarNum; return true;
      case kTextVar: *type = kVarText; return true;
      default: return false;
    }
  }

  // The evaluator's EvalExpr, writing steps instead of taking them.
  bool Expr(SegCur& c, int minprec, int depth, bool* empty) {
    ++depth;
    if (depth > kExpMaxDepth) return false;
    p_.depth = std::max<uint16_t>(p_.depth, static_cast<uint16_t>(depth));
    const ExpCodeToken* t = nullptr;
    if (c.i < c.seg.count) t = &code_.tokens[c.seg.first + c.i++];
    if (t && t->status) return false;
    c.pos = t ? t->next : c.seg.len;
    c.op = t ? t->op : uint16_t{kOpNone};
    const uint32_t base = c.seg.offset;
    *empty = false;
    if (t && t->op == kOpAssign && minprec <= 0 && t->kind == kField) {
      bool rhs_empty = false;
      if (!Expr(c, 0, depth, &rhs_empty) || rhs_empty) return false;
      CopyHeldTexts();
      Emit(kVmFieldSet, 0, Span(base + t->start, t->len), Span(base + t->args_start, t->args_len), t->flags, t->fn);
      stack_.back().producer = -1;
      return true;
    }
    if (t && t->op == kOpAssign && minprec <= 0) {
      uint16_t type = 0;
      if (!VarType(t->kind, &type)) return false;
      const uint16_t var = Var(base + t->start, t->len, type);
      bool rhs_empty = false;
      if (!Expr(c, 0, depth, &rhs_empty) || rhs_empty) return false;
      CopyHeldTexts();
      Emit(kVmAssign, 0, var, Span(base + t->start, t->len));
      stack_.back().producer = -1;
      return true;
    }
    const uint8_t kind = t ? t->kind : uint8_t{kEmpty};
    switch (kind) {
      case kEmpty:
        *empty = true;
        break;
      case kNumber: {
        ExpVmLiteral lit;
        lit.start = static_cast<uint16_t>(base + t->start);
        lit.len = t->len;
        p_.literals.push_back(lit);
        Emit(kVmLit, 0, static_cast<uint16_t>(p_.literals.size() - 1), Span(base + t->start, t->len));
        Push(-1, kNumberValue);
        break;
      }
      case kQuoted:
        Emit(kVmStr, 0, static_cast<uint16_t>(base + t->inner_start), t->inner_len);
        Push(-1, kTextValue);
        break;
      case kIntVar:
      case kNumVar:
      case kTextVar: {
        uint16_t type = 0;
        VarType(kind, &type);
        const uint16_t var = Var(base + t->start, t->len, type);
        const uint8_t code = kind == kIntVar ? kVmInt : kind == kNumVar ? kVmNum : kVmText;
        const uint16_t at = Emit(code, 0, var, Span(base + t->start, t->len));
        Push(kind == kTextVar ? at : -1, kind == kTextVar ? kTextValue : kNumberValue);
        break;
      }
      case kSubExpr: {
        const uint16_t outer = ctx_;
        p_.contexts.push_back(ExpVmContext{Span(base + t->start, t->len), outer});
        ctx_ = static_cast<uint16_t>(p_.contexts.size() - 1);
        bool have = false;
        if (!List(t->child, depth, false, &have)) return false;
        ctx_ = outer;
        if (!have) {
          Emit(kVmNull);
          Push(-1, kNumberValue);
        }
        break;
      }
      case kField:
        Emit(kVmField, 0, Span(base + t->start, t->len));
        Push(-1);
        break;
      case kFunction: {
        if (t->fn == kFnChkNum || t->fn == kFnChkStr) {
          if (!Check(*t, base, depth)) return false;
          break;
        }
        if (!FnBuiltinDirect(t->fn)) return false;
        const uint16_t operand = Span(base + t->start, t->len);
        const uint16_t outer = ctx_;
        p_.contexts.push_back(ExpVmContext{operand, outer});
        ctx_ = static_cast<uint16_t>(p_.contexts.size() - 1);
        SegCur args(code_, t->child);
        uint16_t count = 0;
        while (args.pos < args.seg.len) {
          if (count == kFnMaxArgs) return false;  // a seventeenth argument fails
          bool arg_empty = false;
          if (!Expr(args, 0, depth, &arg_empty)) return false;
          if (arg_empty) {
            Emit(kVmOmit);
            Push(-1);
          }
          ++count;
        }
        ctx_ = outer;
        Emit(kVmCall, static_cast<uint8_t>(count), t->fn, operand, Span(base + t->args_start, t->args_len),
             static_cast<uint16_t>(depth));
        stack_.resize(stack_.size() - count);
        Push(-1);
        break;
      }
      default:
        return false;
    }
    int local_min = minprec;
    if (*empty && c.op != kOpNone) {
      // A sign: the empty operand is 0 and takes the operator that follows.
      *empty = false;
      Emit(kVmZero);
      Push(-1, kNumberValue);
      local_min = std::min<int>(minprec, kExpOperators[c.op].prec);
    }
    while (c.op != kOpNone && kExpOperators[c.op].prec >= local_min) {
      const uint16_t op = c.op;
      if (op == kOpAssign) return false;
      const uint16_t right_at = c.pos;
      bool rhs_empty = false;
      if (!Expr(c, kExpOperators[op].prec + 1, depth, &rhs_empty) || rhs_empty) return false;
      // t is set: an operator follows only a token read.
      const uint8_t left = stack_[stack_.size() - 2].kind, right = stack_.back().kind;
      const bool numbers = left == kNumberValue && right == kNumberValue;
      const bool texts = left == kTextValue && right == kTextValue;
      const uint8_t step = numbers ? kVmBinNum : texts && op == kOpAdd ? kVmCat : kVmBin;
      Emit(step, static_cast<uint8_t>(op), 0, Span(base + t->start, t->len),
           Span(base + right_at, c.seg.len - right_at));
      stack_.pop_back();
      uint8_t kind = kAnyValue;
      if (numbers || (texts && op != kOpAdd)) kind = kNumberValue;
      else if (texts) kind = kTextValue;
      stack_.back() = Held{-1, kind};
    }
    return true;
  }

  // CHK# or CHK$: the condition is evaluated as the one argument FnCall
  // evaluates for it; both branches of the raw text after it are found and
  // compiled now, as the handler would find them when it runs.
  bool Check(const ExpCodeToken& t, uint32_t base, int depth) {
    if (!FnChkStock(t.fn)) return false;
    SegCur args(code_, t.child);
    if (args.seg.len == 0) return false;
    const uint16_t operand = Span(base + t.start, t.len);
    const uint16_t outer = ctx_;
    p_.contexts.push_back(ExpVmContext{operand, outer});
    ctx_ = static_cast<uint16_t>(p_.contexts.size() - 1);
    bool empty = false;
    if (!Expr(args, 0, depth, &empty)) return false;
    if (empty) {
      Emit(kVmOmit);
      Push(-1);
    }
    ctx_ = outer;
    const StrPair rest = args.pos < args.seg.len ? StrPair{code_.text.data() + args.seg.offset + args.pos,
                                                           static_cast<uint16_t>(args.seg.len - args.pos)}
                                                 : StrPair{};
    const uint16_t first = static_cast<uint16_t>(p_.branches.size());
    {
      ScratchScope scope;
      p_.branches.push_back(FnChkBranchOf(rest, true));
      p_.branches.push_back(FnChkBranchOf(rest, false));
    }
    (t.fn == kFnChkStr ? p_.chk_text : p_.chk_num) = true;
    // The branch may change the variable store.
    CopyHeldTexts();
    Emit(kVmChk, t.fn == kFnChkStr ? 1 : 0, first, operand, 0, static_cast<uint16_t>(depth));
    stack_.pop_back();
    Push(-1);
    return true;
  }

  // The evaluator's list: every item, the last non-empty one's value kept,
  // a warning ending the list.
  bool List(uint16_t segment, int depth, bool top, bool* have) {
    SegCur c(code_, segment);
    *have = false;
    std::vector<uint16_t> breaks;
    Held last;
    do {
      const uint16_t item = c.pos;
      const size_t first = p_.ops.size();
      bool empty = false;
      if (!Expr(c, 0, depth, &empty)) return false;
      if (empty) continue;
      if (top) {
        p_.item_ops.push_back(static_cast<uint16_t>(first));
        p_.item_pos.push_back(static_cast<uint16_t>(c.seg.offset + item));
      }
      // A warning may end the list at any item: its kind is known only when
      // every item has the same.
      const uint8_t kind = *have && last.kind != stack_.back().kind ? uint8_t{kAnyValue} : stack_.back().kind;
      *have = true;
      last = stack_.back();
      last.kind = kind;
      breaks.push_back(Emit(kVmNext));
      stack_.pop_back();
    } while (c.pos < c.seg.len);
    if (!*have) return true;
    // The last item's value stays: its step after it goes.
    p_.ops.resize(p_.ops.size() - 1);
    breaks.pop_back();
    Push(last.producer, last.kind);
    for (uint16_t b : breaks) p_.ops[b].a = static_cast<uint16_t>(p_.ops.size());
    return p_.ops.size() < kNone;
  }

  ExpCode& code_;
  ExpProgram& p_;
  // What is known of a value held at run time.
  struct Held {
    int32_t producer = -1;  // the step that read it in place, or -1
    uint8_t kind = kAnyValue;
  };
  std::vector<Held> stack_;
  uint16_t ctx_ = kNone;
};

// One value on the machine's stack.
// One value on the machine's stack.
struct Cell {
  DecValue num;
  StrPair str;         // set whenever text is
  uint16_t mark;       // the scratch mark before the value was made
  bool text;
  bool lead;           // began with an empty operand
  bool omitted;        // an empty argument
  bool held;           // a text read in place from the variable store
  bool num_field;      // a numeric field's value, not yet taken by an operator
  Status info;
};

// A stack place left unmade until a value goes there.
union Slot {
  Slot() {}
  Cell cell;
};

// A call's argument values, each set before it is read.
union ArgValues {
  ArgValues() {}
  StrPair v[kFnMaxArgs];
};

void Encode(DecValue v, char* buf) {
  const uint64_t u = static_cast<uint64_t>(v);
  for (int i = 0; i < kDecEntryBytes; ++i) buf[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

// VarBind, with its first check (nothing changed since) made here.
inline uint16_t Bound(const CoreRuntime& core, const ExpVmVar& v, const char* text) {
  if (v.binding.epoch == core.vars.epoch) return v.binding.index;
  return VarBind(StrPair{text + v.start, v.len}, v.type, v.binding);
}

// The value of element `index` of an integer or number variable table, to
// be read or written in place; null where VarGetNum and VarSetNum (or their
// integer forms) find no element of that type and answer for it themselves.
template <class T>
T* ValueSlot(CoreRuntime& core, uint16_t table, uint16_t index) {
  ObjTables& o = core.objects;
  ObjTableData* t = o.tables[table].get();
  if (!o.root || !t || index >= t->count || t->type != &kObjTypeTag<T>) return nullptr;
  return reinterpret_cast<T*>(t->at(index));
}

}  // namespace

void ExpVmBuild(ExpCode& code) {
  code.program = ExpProgram{};
  Builder b(code);
  if (!b.Build()) code.program = ExpProgram{};
}

void ExpVmBuildArgs(ExpCode& code) {
  code.program = ExpProgram{};
  Builder b(code);
  if (!b.BuildArgs()) code.program = ExpProgram{};
}

namespace {

// Both forms of program, run: an expression's value (ExpVmRun) or the
// arguments pushed (ExpVmPushArgs, into *types).
bool Run(const ExpCode& code, exp_detail::Value* out, Status* status, uint16_t* fail_pos, std::string* types);

}  // namespace

bool ExpVmRun(const ExpCode& code, exp_detail::Value* out, Status* status, uint16_t* fail_pos) {
  if (code.program.args) return false;
  return Run(code, out, status, fail_pos, nullptr);
}

bool ExpVmPushArgs(const ExpCode& code, StrPair* types) {
  if (!code.program.args) return false;
  std::string held;
  Status s = kOk;
  const uint16_t mark = exp_detail::MarkNow();
  if (!Run(code, nullptr, &s, nullptr, &held)) return false;
  exp_detail::Release(mark);
  *types = s ? StrFail(s) : ScratchText(held);
  return true;
}

namespace {

bool Run(const ExpCode& code, exp_detail::Value* out, Status* status, uint16_t* fail_pos, std::string* types) {
  const ExpProgram& p = code.program;
  if (!p.ok()) return false;
  if (p.provider_names && HookFilled(kHookFieldProvider)) return false;
  if ((p.chk_num && !FnChkStock(kFnChkNum)) || (p.chk_text && !FnChkStock(kFnChkStr))) return false;
  // The runtime stays the same for the whole run: its parts are reached
  // through these references instead of being looked up at every step.
  CoreRuntime& core = Core();
  ScratchArena& arena = core.arena;
  uint16_t& depth = core.exp.depth;
  const uint16_t depth_at_entry = depth;
  if (depth_at_entry + p.depth > kExpMaxDepth) return false;

  Slot slots[kMaxStack];
  Cell* const st = &slots[0].cell;
  size_t sp = 0;
  auto push = [&]() -> Cell& {
    Cell& c = *new (&slots[sp++].cell) Cell{};
    c.mark = arena.current();
    return c;
  };
  auto release = [&](uint16_t mark) { arena.Mark(mark); };
  // The left text followed by the right one becomes the left value, kept
  // directly above the left value's mark; the status.
  auto join = [&](Cell& l, const Cell& r) -> Status {
    if (size_t(l.str.len) + r.str.len > kMaxText) return kStStringTooLong;
    const uint16_t own_entry = static_cast<uint16_t>(l.mark + 1);
    const StrPair own = l.mark < arena.current() ? arena.Entry(own_entry) : StrPair{};
    StrPair kept;
    if (own.ptr == l.str.ptr && own.len == l.str.len) {
      // The left text is a value of its own in the arena: it grows.
      kept = arena.Extend(own_entry, r.str);
    } else if (arena.current() == own_entry && own.ptr == r.str.ptr && own.len == r.str.len &&
               arena.Prepend(own_entry, l.str)) {
      // The right text is the newest entry, just above the left value's
      // mark: the left text goes in front of it there.
      kept = arena.Top();
    } else {
      // Made directly above the left value's mark when nothing lies
      // between; else moved down there.
      const bool in_place = arena.current() == l.mark;
      if (Status c = arena.Concat(l.str, r.str)) return c;
      kept = in_place ? arena.Top() : arena.Keep(l.mark, arena.Top());
    }
    if (!kept.ok()) return StrError(kept);
    StrPairStore(l.str, kept);
    l.held = false;
    return kOk;
  };
  // A call's result, kept directly above `keep`, as the new top value.
  auto push_result = [&](uint16_t keep, StrPair result, bool is_text, Status r) {
    Cell& c = push();
    c.mark = keep;
    c.text = is_text || r == 1;
    if (c.text) StrPairStore(c.str, result.ok() ? result : StrPair{kNoText, 0});
    else c.num = exp_detail::Decode(result);
    c.info = r == 1 ? kOk : r;
  };
  const uint16_t list_mark = arena.current();
  const char* const text = code.text.data();
  const ExpVmOp* const ops = p.ops.data();
  const ExpVmOp* const end = ops + p.ops.size();
  std::unique_ptr<std::deque<std::string>> pinned;  // texts held while an unknown handler runs
  const ExpVmOp* step = ops;
  Status s = kOk;
  uint16_t incident = 0;
  for (; step != end; ++step) {
    const ExpVmOp& o = *step;
    switch (o.code) {
      case kVmLit: {
        const ExpVmLiteral& lit = p.literals[o.a];
        const int16_t precis = static_cast<int16_t>(exp_detail::Precis());
        if (lit.precis != precis) {
          // A literal outside the number format fails where it stands, as
          // in the token walk; it is read again at the next run.
          exp_detail::Value v;
          s = exp_detail::EvalLiteralOrConstant(std::string_view(text + lit.start, lit.len), v);
          if (s >= kStFirstError) {
            incident = o.b;
            goto failed;
          }
          s = kOk;
          lit.number = v.num;
          lit.precis = precis;
        }
        push().num = lit.number;
        break;
      }
      case kVmZero:
      case kVmNull:
      case kVmOmit: {
        Cell& c = push();
        c.lead = o.code == kVmZero;
        c.omitted = o.code == kVmOmit;
        c.info = o.code == kVmNull ? Status{kStNullExpression} : Status{kOk};
        break;
      }
      case kVmStr: {
        Cell& c = push();
        c.text = true;
        StrPairStore(c.str, StrPair{text + o.a, o.b});
        break;
      }
      case kVmInt: {
        const uint16_t index = Bound(core, p.vars[o.a], text);
        Cell& c = push();
        if (index == kVarUndeclared) break;
        if (index < kSysVarCount) {
          c.num = exp_detail::FromInt(core.sysvars[index]);
        } else {
          const int16_t* slot = ValueSlot<int16_t>(core, kObjIntVars, index);
          c.num = exp_detail::FromInt(slot ? *slot : int16_t{0});
        }
        break;
      }
      case kVmNum: {
        const uint16_t index = Bound(core, p.vars[o.a], text);
        Cell& c = push();
        if (index == kVarUndeclared) break;
        const DecValue* slot = ValueSlot<DecValue>(core, kObjNumVars, index);
        c.num = slot ? *slot : 0;
        break;
      }
      case kVmText: {
        const uint16_t index = Bound(core, p.vars[o.a], text);
        Cell& c = push();
        c.text = true;
        StrPair value{kNoText, 0};
        const std::vector<std::string>& values = core.strings.lists[sl::kTextVarValues];
        if (index != kVarUndeclared && index < values.size()) {
          const std::string& v = values[index];
          value = StrPair{v.data(), static_cast<uint16_t>(v.size())};
        }
        if (o.op) {
          if ((s = arena.Copy(value))) {
            incident = o.b;
            goto failed;
          }
          value = arena.Top();
        } else {
          c.held = true;
        }
        StrPairStore(c.str, value);
        break;
      }
      case kVmBinNum: {
        // kVmBin's number steps: no type to check, nothing to fail.
        Cell& r = st[sp - 1];
        Cell& l = st[sp - 2];
        l.info = kOk;
        const DecValue a = l.num, b = r.num;
        switch (o.op) {
          case kOpAdd: l.num = static_cast<DecValue>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); break;
          case kOpSub: l.num = static_cast<DecValue>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b)); break;
          case kOpGt: l.num = a > b ? exp_detail::Scale() : 0; break;
          case kOpLt: l.num = a < b ? exp_detail::Scale() : 0; break;
          case kOpEq: l.num = a == b ? exp_detail::Scale() : 0; break;
          case kOpGe: l.num = a >= b ? exp_detail::Scale() : 0; break;
          case kOpLe: l.num = a <= b ? exp_detail::Scale() : 0; break;
          case kOpNe: l.num = a != b ? exp_detail::Scale() : 0; break;
          case kOpLogAnd: l.num = a != 0 && b != 0 ? exp_detail::Scale() : 0; break;
          case kOpLogOr: l.num = a != 0 || b != 0 ? exp_detail::Scale() : 0; break;
          default:
            if (!exp_detail::ApplyNumberSmall(o.op, a, b, exp_detail::Scale(), &l.num))
              l.num = exp_detail::ApplyNumber(o.op, a, b);
            break;
        }
        release(l.mark);
        --sp;
        break;
      }
      case kVmCat: {
        // kVmBin's "+" of two texts: neither is a sign's operand.
        Cell& l = st[sp - 2];
        l.info = kOk;
        incident = o.b;
        if ((s = join(l, st[sp - 1]))) goto failed;
        --sp;
        break;
      }
      case kVmBin: {
        Cell& r = st[sp - 1];
        Cell& l = st[sp - 2];
        if (r.lead && l.text) {
          s = kStSyntax;
          incident = o.c;
          goto failed;
        }
        if (l.num_field && !l.text && r.text) {
          // A numeric field on the left reads a text on the right as a number.
          r.num = DecFromText(r.str);
          r.text = false;
        }
        l.num_field = false;
        l.info = kOk;
        incident = o.b;
        if (l.text && r.text) {
          const std::string_view a = l.str.view(), b = r.str.view();
          bool truth = false;
          switch (o.op) {
            case kOpAdd:
              if ((s = join(l, r))) goto failed;
              --sp;
              continue;
            case kOpGt: truth = a > b; break;
            case kOpLt: truth = a < b; break;
            case kOpEq: truth = exp_detail::TextEquals(a, b); break;
            case kOpGe: truth = a >= b; break;
            case kOpLe: truth = a <= b; break;
            case kOpNe: truth = a != b; break;
            default:
              s = kStSyntax;  // no meaning on texts
              goto failed;
          }
          release(l.mark);
          l.text = false;
          l.held = false;
          l.num = truth ? static_cast<DecValue>(exp_detail::Scale()) : 0;
        } else if (l.text != r.text) {
          s = kStIncompatibleTypes;
          goto failed;
        } else {
          switch (o.op) {
            case kOpAdd: l.num = static_cast<DecValue>(static_cast<uint64_t>(l.num) + static_cast<uint64_t>(r.num)); break;
            case kOpSub: l.num = static_cast<DecValue>(static_cast<uint64_t>(l.num) - static_cast<uint64_t>(r.num)); break;
            default: l.num = exp_detail::ApplyNumber(o.op, l.num, r.num); break;
          }
          release(l.mark);
        }
        --sp;
        break;
      }
      case kVmAssign: {
        Cell& v = st[sp - 1];
        const ExpVmVar& var = p.vars[o.a];
        incident = o.b;
        if ((var.type == kVarText) != v.text) {
          s = kStIncompatibleTypes;
          goto failed;
        }
        VarRef ref;
        ref.type = var.type;
        ref.index = Bound(core, var, text);
        if (ref.declared() && !v.text) {
          // VarAssignAt's store step for a number, without the 8-byte form;
          // the value slot is written in place where VarSetNum or VarSetInt
          // would only store it.
          if (var.type == kVarNum) {
            if (DecValue* slot = ValueSlot<DecValue>(core, kObjNumVars, ref.index)) {
              *slot = v.num;
              s = kOk;
            } else {
              s = VarSetNum(ref.index, v.num);
            }
          } else {
            const int64_t whole = DecDivPow10(v.num, exp_detail::Precis());
            const int16_t value = static_cast<int16_t>(static_cast<uint16_t>(whole & 0xFFFF));
            int16_t* slot = ref.index >= kSysVarCount ? ValueSlot<int16_t>(core, kObjIntVars, ref.index) : nullptr;
            if (slot) {
              *slot = value;
              s = kOk;
            } else {
              s = VarSetInt(ref.index, value);
            }
          }
          if (s >= kStFirstError) ErrRecord(kModVarNameAssign, s);
        } else {
          char buf[kDecEntryBytes];
          StrPair value = v.str;
          if (!v.text) {
            Encode(v.num, buf);
            value = StrPair{buf, kDecEntryBytes};
          }
          if (ref.declared() && v.text) {
            // VarAssignAt's store step for a text, taken here.
            const bool exists = ref.index < core.strings.lists[sl::kTextVarValues].size();
            s = exists ? DynStrSet(sl::kTextVarValues, ref.index, value) : Status{kStDataOutBound};
            if (s >= kStFirstError) ErrRecord(kModVarNameAssign, s);
          } else {
            s = ref.declared() ? VarAssignAt(ref, value) : VarAssign(StrPair{text + var.start, var.len}, value);
          }
        }
        if (s >= kStFirstError) goto failed;
        s = kOk;
        v.lead = false;
        break;
      }
      case kVmNext:
        if (st[sp - 1].info >= kStFirstWarning) {
          step = ops + o.a - 1;
          break;
        }
        release(st[sp - 1].mark);
        --sp;
        break;
      case kVmCall: {
        const uint16_t argc = o.op;
        Cell* args = &st[sp - argc];
        ArgValues held_values;
        StrPair* const values = held_values.v;
        uint16_t arg_types[kFnMaxArgs];
        char numbers[kFnMaxArgs][kDecEntryBytes];
        for (uint16_t i = 0; i < argc; ++i) {
          const Cell& a = args[i];
          if (a.omitted) {
            values[i] = StrPair{&kFnOmitted, 1};
            arg_types[i] = kFnArgNum;
          } else if (a.text) {
            values[i] = a.str;
            arg_types[i] = kFnArgText;
          } else {
            Encode(a.num, numbers[i]);
            values[i] = StrPair{numbers[i], kDecEntryBytes};
            arg_types[i] = kFnArgNum;
          }
        }
        const FnState& fn = core.fn;
        if (!(o.a >= 1 && o.a <= kFnBuiltinCount && fn.builtins[o.a] && fn.direct[o.a])) {
          // A handler that may change the store: the texts read in place are
          // held aside first (their bytes as they were when read).
          for (size_t k = 0; k < sp; ++k) {
            if (!st[k].held) continue;
            if (!pinned) pinned = std::make_unique<std::deque<std::string>>();
            pinned->emplace_back(st[k].str.view());
            st[k].str = StrMake(pinned->back().data(), pinned->back().size());
            st[k].held = false;
            if (k >= sp - argc) values[k - (sp - argc)] = st[k].str;
          }
        }
        const uint16_t keep = argc ? args[0].mark : arena.current();
        bool is_text = false;
        const ExpVmSpan& arg_text = p.spans[o.c];
        depth = static_cast<uint16_t>(depth_at_entry + o.d);
        Status r = FnCallValues(StrPair{text + arg_text.start, arg_text.len}, o.a, values, arg_types, argc, &is_text);
        depth = depth_at_entry;
        if (r >= kStFirstError) {
          s = r;
          incident = o.b;
          goto failed;
        }
        // The result is the newest entry, directly above the call's own mark:
        // above `keep` too when the arguments made no entries.
        const StrPair top = arena.Top();
        StrPair result = arena.current() == keep + 1 ? top : arena.Keep(keep, top);
        sp -= argc;
        push_result(keep, result, is_text, r);
        break;
      }
      case kVmField: {
        const ExpVmSpan& ref = p.spans[o.a];
        const uint16_t mark = arena.current();
        exp_detail::Value v;
        if ((s = exp_detail::EvalField(StrPair{text + ref.start, ref.len}, v)) >= kStFirstError) {
          incident = o.a;
          goto failed;
        }
        s = kOk;
        Cell& c = push();
        c.mark = mark;
        c.text = v.text;
        c.num = v.num;
        c.num_field = v.num_field;
        if (v.text) StrPairStore(c.str, v.str);
        break;
      }
      case kVmFieldSet: {
        Cell& v = st[sp - 1];
        const ExpVmSpan& name = p.spans[o.a];
        const ExpVmSpan& args = p.spans[o.b];
        exp_detail::Value value;
        value.text = v.text;
        value.num = v.num;
        value.str = v.str;
        incident = o.a;
        s = exp_detail::AssignTo(StrPair{text + name.start, name.len}, StrPair{text + args.start, args.len}, o.c, o.d,
                                 value);
        if (s >= kStFirstError) goto failed;
        s = kOk;
        v.lead = false;
        break;
      }
      case kVmChk: {
        // FnCall's steps for the handler: the argument types as an entry
        // directly above the call's mark, the condition taken from list 35
        // into the arena, then the branch the condition chooses.
        const Cell cond = st[--sp];
        const uint16_t keep = cond.mark;
        const bool want_text = o.op != 0;
        incident = o.b;
        release(keep);
        const char types[2] = {static_cast<char>(kFnArgNum & 0xFF), static_cast<char>(kFnArgNum >> 8)};
        const bool typed = ScratchText(std::string_view(types, 2)).ok();
        const uint16_t inner = arena.current();
        bool holds = false;
        if (typed) {
          if (cond.text) {
            s = kStIncompatibleTypes;
            goto failed;
          }
          char number[kDecEntryBytes];
          Encode(cond.num, number);
          const StrPair taken =
              ScratchText(cond.omitted ? std::string_view("") : std::string_view(number, kDecEntryBytes));
          if (!taken.ok()) {
            s = StrError(taken);
            goto failed;
          }
          holds = !cond.omitted && cond.num != 0;
        }
        depth = static_cast<uint16_t>(depth_at_entry + o.d);
        Status r = FnChkRun(p.branches[o.a + (holds ? 0 : 1)], want_text);
        depth = depth_at_entry;
        if (arena.current() == inner) {
          // A handler that leaves no result gives a number 0 or an empty text.
          if (want_text) ScratchText("");
          else DecStoreValue(0);
        }
        if (r >= kStFirstError) {
          s = r;
          goto failed;
        }
        push_result(keep, arena.Keep(keep, arena.Top()), want_text, r);
        break;
      }
      case kVmPushArg: {
        // FnPushArgValue of the argument's value; a failed push is not recorded.
        const Cell& v = st[--sp];
        char buf[kDecEntryBytes];
        StrPair value = v.str;
        uint16_t type = v.text ? kFnArgText : kFnArgNum;
        if (v.omitted) {
          value = StrPair{&kFnOmitted, 1};
        } else if (!v.text) {
          Encode(v.num, buf);
          value = StrPair{buf, kDecEntryBytes};
        }
        if (Status ps = DynStrPush(sl::kProcArgs, value)) {
          release(list_mark);
          *status = ps;
          return true;
        }
        *types += static_cast<char>(type & 0xFF);
        *types += static_cast<char>(type >> 8);
        release(v.mark);
        break;
      }
      default:
        break;
    }
  }
  if (p.args) {
    *status = kOk;
    return true;
  }
  {
    const Cell& v = st[0];
    out->text = v.text;
    out->empty = false;
    out->lead_empty = v.lead;
    out->num_field = false;
    out->num = v.num;
    out->info = v.info;
    *status = kOk;
    if (v.text) {
      // Often made directly above the mark already: then it stays there.
      const bool in_place = arena.current() == list_mark + 1 && arena.Top().ptr == v.str.ptr &&
                            arena.Top().len == v.str.len;
      StrPair kept = in_place ? v.str : arena.Keep(list_mark, v.str);
      if (!kept.ok()) {
        *status = StrError(kept);
        return true;
      }
      out->str = kept;
    } else {
      release(list_mark);
    }
    return true;
  }

failed:
  const size_t pc = static_cast<size_t>(step - ops);
  // Recorded where it happened, then by each operand around it.
  exp_detail::Record(s, StrPair{text + p.spans[incident].start, p.spans[incident].len});
  for (uint16_t x = p.ops[pc].ctx; x != kNone; x = p.contexts[x].parent) {
    const ExpVmSpan& span = p.spans[p.contexts[x].span];
    exp_detail::Record(s, StrPair{text + span.start, span.len});
  }
  if (!p.args) {
    size_t item = 0;
    while (item + 1 < p.item_ops.size() && p.item_ops[item + 1] <= pc) ++item;
    *fail_pos = p.item_pos[item];
  }
  release(list_mark);
  *status = s;
  return true;
}

}  // namespace

}  // namespace eng
