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
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/status.h"
#include "core/string_lists.h"

namespace eng {

namespace {

using namespace exp_kind;

constexpr uint16_t kNone = 0xFFFF;
// Values held at once; a text needing more keeps the token walk.
constexpr size_t kMaxStack = 48;

enum Code : uint8_t {
  kVmLit,     // a = literal
  kVmZero,    // the empty operand before a sign: 0
  kVmNull,    // "()" with nothing inside: 0, status 123
  kVmStr,     // a quoted text: a = start, b = length
  kVmInt,   // a = variable, b = operand text
  kVmNum,
  kVmText,  // op = 1: copied to the scratch arena (a later step may change it)
  kVmBin,     // op = operator, b = operand text, c = the text from the right operand on
  kVmAssign,  // a = variable, b = operand text
  kVmDrop,    // an item's value, not the last
  kVmBreak,   // a = the end of the list: taken when the item's value carries a warning
  kVmCall,    // a = function, op = argument count, b = operand text, c = argument text, d = nesting
  kVmOmit,    // an empty argument
  kVmPushArg, // an argument of an argument list: onto list 35
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
  void Push(int32_t producer) {
    stack_.push_back(producer);
    p_.stack = std::max<uint16_t>(p_.stack, static_cast<uint16_t>(stack_.size()));
  }
  uint16_t Span(uint32_t start, uint32_t len) {
    p_.spans.push_back(ExpVmSpan{static_cast<uint16_t>(start), static_cast<uint16_t>(len)});
    return static_cast<uint16_t>(p_.spans.size() - 1);
  }
  // Text variables read in place and still held must be copied when a step
  // may change the store.
  void CopyHeldTexts() {
    for (int32_t producer : stack_)
      if (producer >= 0) p_.ops[static_cast<size_t>(producer)].op = 1;
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
    if (t && t->op == kOpAssign && minprec <= 0) {
      uint16_t type = 0;
      if (!VarType(t->kind, &type)) return false;
      const uint16_t var = Var(base + t->start, t->len, type);
      bool rhs_empty = false;
      if (!Expr(c, 0, depth, &rhs_empty) || rhs_empty) return false;
      CopyHeldTexts();
      Emit(kVmAssign, 0, var, Span(base + t->start, t->len));
      stack_.back() = -1;
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
        Emit(kVmLit, 0, static_cast<uint16_t>(p_.literals.size() - 1));
        Push(-1);
        break;
      }
      case kQuoted:
        Emit(kVmStr, 0, static_cast<uint16_t>(base + t->inner_start), t->inner_len);
        Push(-1);
        break;
      case kIntVar:
      case kNumVar:
      case kTextVar: {
        uint16_t type = 0;
        VarType(kind, &type);
        const uint16_t var = Var(base + t->start, t->len, type);
        const uint8_t code = kind == kIntVar ? kVmInt : kind == kNumVar ? kVmNum : kVmText;
        const uint16_t at = Emit(code, 0, var, Span(base + t->start, t->len));
        Push(kind == kTextVar ? at : -1);
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
          Push(-1);
        }
        break;
      }
      case kFunction: {
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
      Push(-1);
      local_min = std::min<int>(minprec, kExpOperators[c.op].prec);
    }
    while (c.op != kOpNone && kExpOperators[c.op].prec >= local_min) {
      const uint16_t op = c.op;
      if (op == kOpAssign) return false;
      const uint16_t right_at = c.pos;
      bool rhs_empty = false;
      if (!Expr(c, kExpOperators[op].prec + 1, depth, &rhs_empty) || rhs_empty) return false;
      // t is set: an operator follows only a token read.
      Emit(kVmBin, static_cast<uint8_t>(op), 0, Span(base + t->start, t->len),
           Span(base + right_at, c.seg.len - right_at));
      stack_.pop_back();
      stack_.back() = -1;
    }
    return true;
  }

  // The evaluator's list: every item, the last non-empty one's value kept,
  // a warning ending the list.
  bool List(uint16_t segment, int depth, bool top, bool* have) {
    SegCur c(code_, segment);
    *have = false;
    std::vector<uint16_t> breaks;
    int32_t last = -1;
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
      *have = true;
      last = stack_.back();
      breaks.push_back(Emit(kVmBreak));
      Emit(kVmDrop);
      stack_.pop_back();
    } while (c.pos < c.seg.len);
    if (!*have) return true;
    // The last item's value stays: its break and drop go.
    p_.ops.resize(p_.ops.size() - 2);
    breaks.pop_back();
    Push(last);
    for (uint16_t b : breaks) p_.ops[b].a = static_cast<uint16_t>(p_.ops.size());
    return p_.ops.size() < kNone;
  }

  ExpCode& code_;
  ExpProgram& p_;
  std::vector<int32_t> stack_;  // per value held: the step that read it in place, or -1
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
  Status info;
};

// A stack place left unmade until a value goes there.
union Slot {
  Slot() {}
  Cell cell;
};

void Encode(DecValue v, char* buf) {
  const uint64_t u = static_cast<uint64_t>(v);
  for (int i = 0; i < kDecEntryBytes; ++i) buf[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

// VarBind, with its first check (nothing changed since) made here.
inline uint16_t Bound(const ExpVmVar& v, const char* text) {
  if (v.binding.epoch == Core().vars.epoch) return v.binding.index;
  return VarBind(StrPair{text + v.start, v.len}, v.type, v.binding);
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
  uint16_t& depth = Core().exp.depth;
  const uint16_t depth_at_entry = depth;
  if (depth_at_entry + p.depth > kExpMaxDepth) return false;

  Slot slots[kMaxStack];
  Cell* const st = &slots[0].cell;
  size_t sp = 0;
  auto push = [&]() -> Cell& { return *new (&slots[sp++].cell) Cell{}; };
  const uint16_t list_mark = exp_detail::MarkNow();
  const char* const text = code.text.data();
  const size_t count = p.ops.size();
  std::unique_ptr<std::deque<std::string>> pinned;  // texts held while an unknown handler runs
  size_t pc = 0;
  Status s = kOk;
  uint16_t incident = 0;
  for (; pc < count; ++pc) {
    const ExpVmOp& o = p.ops[pc];
    switch (o.code) {
      case kVmLit: {
        const ExpVmLiteral& lit = p.literals[o.a];
        const int16_t precis = static_cast<int16_t>(exp_detail::Precis());
        if (lit.precis != precis) {
          exp_detail::Value v;
          exp_detail::EvalLiteralOrConstant(std::string_view(text + lit.start, lit.len), v);
          lit.number = v.num;
          lit.precis = precis;
        }
        Cell& c = push();
        c.num = lit.number;
        c.mark = exp_detail::MarkNow();
        break;
      }
      case kVmZero:
      case kVmNull:
      case kVmOmit: {
        Cell& c = push();
        c.lead = o.code == kVmZero;
        c.omitted = o.code == kVmOmit;
        c.info = o.code == kVmNull ? Status{kStNullExpression} : Status{kOk};
        c.mark = exp_detail::MarkNow();
        break;
      }
      case kVmStr: {
        Cell& c = push();
        c.text = true;
        c.str = StrPair{text + o.a, o.b};
        c.mark = exp_detail::MarkNow();
        break;
      }
      case kVmInt:
      case kVmNum:
      case kVmText: {
        const ExpVmVar& v = p.vars[o.a];
        const uint16_t index = Bound(v, text);
        const bool declared = index != kVarUndeclared;
        Cell& c = push();
        c.mark = exp_detail::MarkNow();
        if (o.code == kVmText) {
          c.text = true;
          StrPair value = declared ? VarGetStr(index) : StrPair{kNoText, 0};
          if (!value.ok()) value = StrPair{kNoText, 0};
          if (o.op) {
            if ((s = ScratchCopy(value))) {
              incident = o.b;
              goto failed;
            }
            value = ScratchTop();
          } else {
            c.held = true;
          }
          c.str = value;
        } else if (declared) {
          c.num = o.code == kVmInt ? exp_detail::FromInt(VarGetInt(index)) : VarGetNum(index);
        }
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
        l.info = kOk;
        incident = o.b;
        if (l.text && r.text) {
          const std::string_view a = l.str.view(), b = r.str.view();
          bool truth = false;
          switch (o.op) {
            case kOpAdd: {
              if (a.size() + b.size() > kMaxText) {
                s = kStStringTooLong;
                goto failed;
              }
              ScratchArena& arena = Core().arena;
              StrPair kept;
              const StrPair own = l.mark < arena.current() ? arena.Entry(static_cast<uint16_t>(l.mark + 1)) : StrPair{};
              if (own.ptr == l.str.ptr && own.len == l.str.len) {
                // The left text is a value of its own in the arena: it grows.
                kept = arena.Extend(static_cast<uint16_t>(l.mark + 1), r.str);
              } else {
                if ((s = ScratchConcat(l.str, r.str))) goto failed;
                kept = ScratchKeep(l.mark, ScratchTop());
              }
              if (!kept.ok()) {
                s = StrError(kept);
                goto failed;
              }
              l.str = kept;
              l.held = false;
              --sp;
              continue;
            }
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
          exp_detail::Release(l.mark);
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
          exp_detail::Release(l.mark);
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
        const StrPair name{text + var.start, var.len};
        VarRef ref;
        ref.type = var.type;
        ref.index = Bound(var, text);
        if (ref.declared() && !v.text) {
          // VarAssignAt's store step for a number, without the 8-byte form.
          if (var.type == kVarNum) {
            s = VarSetNum(ref.index, v.num);
          } else {
            const int64_t whole = DecDivPow10(v.num, DecPrecis());
            s = VarSetInt(ref.index, static_cast<int16_t>(static_cast<uint16_t>(whole & 0xFFFF)));
          }
          if (s >= kStFirstError) ErrRecord(kModVarNameAssign, s);
        } else {
          char buf[kDecEntryBytes];
          StrPair value = v.str;
          if (!v.text) {
            Encode(v.num, buf);
            value = StrPair{buf, kDecEntryBytes};
          }
          s = ref.declared() ? VarAssignAt(ref, value) : VarAssign(name, value);
        }
        if (s >= kStFirstError) goto failed;
        s = kOk;
        v.lead = false;
        break;
      }
      case kVmDrop:
        exp_detail::Release(st[sp - 1].mark);
        --sp;
        break;
      case kVmBreak:
        if (st[sp - 1].info >= kStFirstWarning) pc = size_t(o.a) - 1;
        break;
      case kVmCall: {
        const uint16_t argc = o.op;
        Cell* args = &st[sp - argc];
        StrPair values[kFnMaxArgs];
        uint16_t types[kFnMaxArgs];
        char numbers[kFnMaxArgs][kDecEntryBytes];
        for (uint16_t i = 0; i < argc; ++i) {
          const Cell& a = args[i];
          if (a.omitted) {
            values[i] = StrPair{&kFnOmitted, 1};
            types[i] = kFnArgNum;
          } else if (a.text) {
            values[i] = a.str;
            types[i] = kFnArgText;
          } else {
            Encode(a.num, numbers[i]);
            values[i] = StrPair{numbers[i], kDecEntryBytes};
            types[i] = kFnArgNum;
          }
        }
        if (!FnBuiltinDirect(o.a)) {
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
        const uint16_t keep = argc ? args[0].mark : exp_detail::MarkNow();
        bool is_text = false;
        const ExpVmSpan& arg_text = p.spans[o.c];
        depth = static_cast<uint16_t>(depth_at_entry + o.d);
        Status r = FnCallValues(StrPair{text + arg_text.start, arg_text.len}, o.a, values, types, argc, &is_text);
        depth = depth_at_entry;
        if (r >= kStFirstError) {
          s = r;
          incident = o.b;
          goto failed;
        }
        StrPair result = ScratchKeep(keep, ScratchTop());
        sp -= argc;
        Cell& c = push();
        c.mark = keep;
        c.text = is_text || r == 1;
        if (c.text) c.str = result.ok() ? result : StrPair{kNoText, 0};
        else c.num = exp_detail::Decode(result);
        c.info = r == 1 ? kOk : r;
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
          exp_detail::Release(list_mark);
          *status = ps;
          return true;
        }
        *types += static_cast<char>(type & 0xFF);
        *types += static_cast<char>(type >> 8);
        exp_detail::Release(v.mark);
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
      StrPair kept = ScratchKeep(list_mark, v.str);
      if (!kept.ok()) {
        *status = StrError(kept);
        return true;
      }
      out->str = kept;
    } else {
      exp_detail::Release(list_mark);
    }
    return true;
  }

failed:
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
  exp_detail::Release(list_mark);
  *status = s;
  return true;
}

}  // namespace

}  // namespace eng
