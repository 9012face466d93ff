// The evaluator's working parts shared by its two front ends: the text
// evaluator (core/exp_eval.cpp), which scans a text as it goes, and the
// compiled evaluator (core/exp_code.cpp), which walks tokens resolved once.
// Both apply the same operators to the same values through these, so a
// compiled expression gives exactly what its text gives.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "core/dec_value.h"
#include "core/exp_eval.h"
#include "core/exp_scan.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_pair.h"
#include "core/sys_vars.h"

namespace eng::exp_detail {

// 10^n for n in 0-18, as DecPow10 gives it.
inline constexpr std::array<uint64_t, kDecMaxDecimals + 1> kPow10 = [] {
  std::array<uint64_t, kDecMaxDecimals + 1> p{};
  uint64_t v = 1;
  for (auto& e : p) {
    e = v;
    v *= 10;
  }
  return p;
}();

// DecPrecis read straight from the runtime: evaluation asks for it at every
// operator and every number variable.
inline int Precis() { return std::clamp<int>(Core().sysvars[kVarPrecis], 0, kDecMaxDecimals); }
// ExpScale: 10^_PRECIS in 16 bits (larger powers wrap as NumPow10's do).
inline int16_t Scale() { return static_cast<int16_t>(static_cast<uint16_t>(kPow10[Precis()])); }
// DecFromInt at the current _PRECIS.
inline DecValue FromInt(int16_t v) {
  return static_cast<DecValue>(static_cast<uint64_t>(static_cast<int64_t>(v)) * kPow10[Precis()]);
}
// Releases the arena to a mark taken before (ScratchMark(mark)).
inline void Release(uint16_t mark) { Core().arena.Mark(mark); }
// The arena's current mark (ScratchMark(-1)).
inline uint16_t MarkNow() { return Core().arena.current(); }

// One value during evaluation. A text's bytes lie in the scratch arena above
// the mark of the step that made it (or in a compiled expression's own text,
// for a quoted literal); a number is carried here and only becomes an arena
// entry when it is handed over.
struct Value {
  bool text = false;
  bool empty = false;       // an empty operand standing alone
  bool lead_empty = false;  // began with an empty operand (a sign)
  bool num_field = false;   // a numeric field reference
  DecValue num = 0;
  StrPair str;
  Status info = kOk;        // an operand's informational status
};

// Counts one level of evaluator nesting for as long as it lives.
class DepthGuard {
 public:
  DepthGuard() : depth_(Core().exp.depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  bool TooDeep() const { return depth_ > kExpMaxDepth; }

 private:
  uint16_t& depth_;
};

// Evaluates every item of a list with `eval` (one item from the cursor's
// position) and keeps the last non-empty one; empty items are skipped, and
// a warning from an item ends the list. 123 when all are empty. On an error
// the arena is released and *fail_pos tells where the failing item began.
template <class Cursor, class Eval>
Status EvalItems(Cursor& c, uint16_t end, Eval eval, Value& out, uint16_t* fail_pos) {
  const uint16_t mark = MarkNow();
  bool have = false;
  do {
    const uint16_t item = c.pos;
    Value v;
    Status s = eval(c, v);
    if (s >= kStFirstError) {
      if (fail_pos) *fail_pos = item;
      Release(mark);
      return s;
    }
    if (v.empty) continue;
    if (v.text) {
      StrPair kept = ScratchKeep(mark, v.str);
      if (!kept.ok()) return StrError(kept);
      v.str = kept;
    } else {
      Release(mark);
    }
    out = v;
    have = true;
    if (v.info >= kStFirstWarning) break;
  } while (c.pos < end);
  if (!have) {
    out = Value{};
    out.empty = true;
    out.info = kStNullExpression;
  }
  return kOk;
}

// The value as the current result: the newest entry above the mark.
Status Hand(const Value& v, uint16_t mark);
// Reads the current result into a value (as the given kind).
void TakeTop(Value& v, bool is_text);
// Records an error of 128 and above with its incident text; the status as it is.
Status Record(Status s, StrPair incident);
// A number literal ("1.5") or a named constant (".name"); 146 (the value
// 0) for a literal outside the number format.
Status EvalLiteralOrConstant(std::string_view op, Value& out);
// A field reference "{...}": a number for a numeric field, else a text.
Status EvalField(StrPair ref, Value& out);
// The value as a pair: a text's bytes, or a number's 8 bytes in buf.
StrPair ValuePair(const Value& v, char* buf);
// Assigns a value to the operand that stands left of "=": an array element,
// a field or a variable (its kind flags and function number as scanned).
Status AssignTo(StrPair name, StrPair args, uint16_t flags, uint16_t fn, const Value& v);
// The DecValue of an 8-byte number entry (0 for another length).
DecValue Decode(StrPair v);
// "==" on texts: equal bytes, or a "*" pattern on the right (see exp_eval.cpp).
bool TextEquals(std::string_view a, std::string_view b);
// A binary operator on two numbers at the current _PRECIS.
DecValue ApplyNumber(uint16_t op, DecValue a, DecValue b);

// Below this magnitude a product of two values, or a value times a 16-bit
// scale, fits in 64 bits, so it is computed there; the result is the one
// the 128-bit steps give.
inline constexpr int64_t kSmall = int64_t{1} << 31;
inline constexpr int64_t kSmallForScale = int64_t{1} << 47;
inline bool Small(int64_t v, int64_t limit) { return v > -limit && v < limit; }

// ApplyNumber's steps for "*", "/" and the percentages where they stay in
// 64 bits (`scale` the current one): true with the result in *out; false
// for other operators and values, which need ApplyNumber.
inline bool ApplyNumberSmall(uint16_t op, DecValue a, DecValue b, int16_t scale, DecValue* out) {
  if (scale <= 0) return false;
  switch (op) {
    case kOpMul:
      if (!Small(a, kSmall) || !Small(b, kSmall)) return false;
      *out = NumDivRound(a * b, scale);
      return true;
    case kOpDiv:
      if (!Small(a, kSmallForScale)) return false;
      *out = NumDivRound(a * scale, b);
      return true;
    case kOpPercent:
      if (!Small(a, kSmall) || !Small(b, kSmall)) return false;
      *out = NumDivRound(a * b, 100 * int64_t{scale});
      return true;
    case kOpLessPercent:
      if (!Small(a, kSmall) || !Small(b, kSmall)) return false;
      *out = a - NumDivRound(a * b, 100 * int64_t{scale});
      return true;
    default:
      return false;
  }
}
// Applies a binary operator; the left value becomes the result.
Status Apply(uint16_t op, Value& l, Value& r, uint16_t mark);
// The end of a whole evaluation: a status of 122 and above is recorded (an
// error with `failed` as incident text when that pair is valid); otherwise the
// value is handed over above the mark. The statuses of ExpEvalText. With
// hand_number false a number result stays in v alone (the arena is released
// to the mark), for callers that read it from there.
Status FinishResult(Status s, Value& v, StrPair failed, uint16_t mark, bool* is_text, bool hand_number = true);

// The text value of a typed evaluation's status `s`, kept in `scope`: empty
// for a null expression, the failure for a warning or an error, else the
// text result or the number accumulator as text.
inline StrPair TypedResultText(ScratchScope& scope, Status s, bool is_text) {
  if (s == kStNullExpression) return scope.Keep(StrPair{});
  if (s >= kStFirstWarning) {
    scope.Release();
    return StrFail(s);
  }
  return scope.Keep(is_text ? ScratchTop() : DecAccToText());
}

}  // namespace eng::exp_detail
