#include "core/exec_args.h"

#include <string>
#include <string_view>

#include "core/dec_value.h"
#include "core/exp_eval.h"
#include "core/scratch_arena.h"

namespace eng {

std::string ExecNumberText(int64_t value, int decimals) {
  bool negative = value < 0;
  uint64_t mag = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(mag);
  if (decimals > 0) {
    if (digits.size() <= static_cast<size_t>(decimals))
      digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<size_t>(decimals), 1, '.');
  }
  return negative ? "-" + digits : digits;
}

Status ExecEvalArgs(StrPair text, ExecArgs* args) {
  *args = ExecArgs{};
  std::string_view t = text.view();
  if (t.find_first_not_of(" \t") == t.npos) return kOk;
  size_t start = 0;
  int depth = 0;
  char quote = 0;
  for (size_t i = 0; i <= t.size(); ++i) {
    if (i < t.size()) {
      char c = t[i];
      if (quote) {
        if (c == quote) quote = 0;
        continue;
      }
      if (c == '\'' || c == '"') quote = c;
      else if (c == '(') ++depth;
      else if (c == ')' && depth > 0) --depth;
      if (c != ',' || depth > 0) continue;
    }
    if (args->count == kExecMaxArgs) return kStSyntax;
    const uint16_t k = args->count++;
    ScratchScope scope;
    StrPair item = StrOf(t.substr(start, i - start));
    Status s = ExpEvalText(item);
    if (s == 1) {
      args->kinds[k] = 1;
      args->texts[k] = std::string(ScratchTop().view());
    } else if (s == kStNullExpression) {
      // a missing argument: 0 and the empty text
    } else if (s >= kStFirstWarning) {
      return s;
    } else {
      DecValue v = NumAccValue();
      int precis = DecPrecis();
      int64_t whole = DecDivPow10(v, precis);
      args->ints[k] = static_cast<int32_t>(whole);
      args->texts[k] = ExecNumberText(v, precis);
    }
    start = i + 1;
  }
  return kOk;
}

}  // namespace eng
