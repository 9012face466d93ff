#include "core/exp_scan.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/err_register.h"
#include "core/fn_call.h"
#include "core/scratch_arena.h"
#include "core/str_search.h"

namespace eng {

const ExpOperator kExpOperators[kExpOperatorCount + 1] = {
    {"", 0},
    {"*", 4}, {"/", 4}, {"!", 4}, {"%", 4}, {"\xF7", 4},
    {"+", 3}, {"-", 3}, {"=", 0},
    {">", 2}, {"<", 2}, {"==", 2}, {">=", 2}, {"<=", 2}, {"<>", 2},
    {"&", 1}, {"|", 5}, {"@", 1}, {"&&", 1}, {"||", 1}, {"@@", 1},
};

namespace {

constexpr std::string_view kOperatorChars = "*/!%\xF7+-(;,:)=><&@|";
constexpr std::string_view kSecondChars = "=><&@|";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

uint16_t FindOperator(std::string_view op) {
  for (uint16_t i = 1; i <= kExpOperatorCount; ++i) {
    if (op == kExpOperators[i].text) return i;
  }
  return kOpNone;
}

// The first operator character at or after pos outside quotes; the length when none.
size_t NextOperatorChar(std::string_view t, size_t pos) {
  for (size_t i = pos; i < t.size(); ++i) {
    char c = t[i];
    if (StrIsQuote(c)) {
      size_t close = t.find(c, i + 1);
      if (close == std::string_view::npos) return t.size();  // an open quote hides the rest
      i = close;
      continue;
    }
    if (ExpIsOperatorChar(c)) return i;
  }
  return t.size();
}

// Classifies the operand text (a call's name without its "("): the first of
// the marks found, in this order, decides.
uint16_t Classify(std::string_view name, bool call) {
  if (name.find('\'') != name.npos || name.find('"') != name.npos) return kExpText;
  if (name.find('$') != name.npos) return kExpText | kExpVariable;
  if (name.find('#') != name.npos) return kExpVariable | kExpNumVar;
  if (name.find('{') != name.npos) return kExpField;
  if (call) return kExpArrayCall;
  if (!name.empty() && static_cast<unsigned char>(name[0]) < 'A') return 0;
  return name.empty() ? 0 : kExpVariable;
}

// Rewrites every "<mark>(args)" outside quotes as the template, its "%s"
// replaced by the first argument.
bool RewriteShorthand(std::string& t, std::string_view mark, std::string_view tmpl) {
  size_t from = 0;
  for (;;) {
    StrPair whole = StrOf(t);
    uint16_t at = StrFindFrom(whole, static_cast<uint16_t>(from), StrOf(mark), false);
    if (at == kNotFound) return true;
    uint16_t open = static_cast<uint16_t>(at + mark.size() - 1);
    uint16_t close = ExpMatchParen(whole, open);
    if (close == kNotFound) return false;
    std::string_view args(t.data() + open + 1, close - open - 1);
    const size_t end = std::min(StrFindTopLevel(args, 0, ";,"), args.size());
    std::string first(args.substr(0, end));
    std::string repl(tmpl);
    size_t ps = repl.find("%s");
    repl.replace(ps, 2, first);
    t.replace(at, close + 1 - at, repl);
    from = at + repl.size();
  }
}

}  // namespace

namespace {
struct OperatorCharSet {
  bool in[256] = {};
  constexpr OperatorCharSet() {
    for (char c : kOperatorChars) in[static_cast<unsigned char>(c)] = true;
  }
};
constexpr OperatorCharSet kOperatorSet;
}  // namespace

bool ExpIsOperatorChar(char c) { return kOperatorSet.in[static_cast<unsigned char>(c)]; }

uint16_t ExpMatchParen(StrPair text, uint16_t pos) {
  std::string_view t = text.view();
  int depth = 0;
  for (size_t i = pos; i < t.size(); ++i) {
    char c = t[i];
    if (StrIsQuote(c)) {
      size_t close = t.find(c, i + 1);
      if (close == std::string_view::npos) return kNotFound;
      i = close;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) return static_cast<uint16_t>(i);
    }
  }
  return kNotFound;
}

StrPair ExpPrepare(StrPair text, bool record) {
  if (!text.ok()) return text;
  std::string_view t = text.view();
  // Parentheses outside quotes must balance.
  long open = 0, close = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (StrIsQuote(c)) {
      size_t q = t.find(c, i + 1);
      if (q == t.npos) break;
      i = q;
    } else {
      open += c == '(';
      close += c == ')';
    }
  }
  if (open != close) return StrFail(record ? ErrIncident(kStLoopFailure, text, true) : Status{kStLoopFailure});
  std::string out;
  out.reserve(t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (StrIsQuote(c)) {
      size_t q = t.find(c, i + 1);
      size_t end = q == t.npos ? t.size() : q + 1;
      out.append(t.substr(i, end - i));
      i = end - 1;
      continue;
    }
    if (!IsBlank(c)) {
      out += c;
      continue;
    }
    size_t j = i;
    while (j < t.size() && IsBlank(t[j])) ++j;
    // A run of blanks must touch an operator character (or an end of the text).
    bool before = i == 0 || ExpIsOperatorChar(t[i - 1]);
    bool after = j == t.size() || ExpIsOperatorChar(t[j]);
    if (!before && !after) {
      // The incident is the rest of the text after the run.
      return StrFail(record ? ErrIncident(kStSyntax, StrOf(t.substr(j)), true) : Status{kStSyntax});
    }
    i = j - 1;
  }
  if (!RewriteShorthand(out, "_ACCEPT#(", "FN#VALN(FN$TRIM(FN$PARM(_$(.envvar;.dialog);%s);'FIT'))") ||
      !RewriteShorthand(out, "_ACCEPT$(", "FN$TRIM(FN$PARM(_$(.envvar;.dialog);%s);'FIT')")) {
    return StrFail(record ? ErrIncident(kStLoopFailure, text, true) : Status{kStLoopFailure});
  }
  return ScratchText(out);
}

ExpToken ExpNextToken(StrPair text, uint16_t pos) {
  ExpToken tok;
  std::string_view t = text.view();
  tok.start = pos;
  size_t i = NextOperatorChar(t, pos);
  size_t operand_end = i;
  bool call = false;
  if (i < t.size() && t[i] == '(') {
    uint16_t close = ExpMatchParen(text, static_cast<uint16_t>(i));
    if (close == kNotFound) {
      tok.status = kStLoopFailure;
      return tok;
    }
    tok.args_start = static_cast<uint16_t>(i + 1);
    tok.args_len = static_cast<uint16_t>(close - i - 1);
    if (i == pos) {
      tok.flags = kExpSubExpr;
    } else {
      call = true;
    }
    operand_end = i + 1;  // a call's operand is its name with the "("
    i = close + 1;
    if (i < t.size() && !ExpIsOperatorChar(t[i])) {
      tok.status = kStSyntax;  // something stands between ")" and the next operator
      return tok;
    }
  }
  if (!(tok.flags & kExpSubExpr)) {
    std::string_view name = t.substr(pos, operand_end - pos);
    if (call) name.remove_suffix(1);
    tok.flags = Classify(name, call);
    if (call) {
      tok.fn = ExpBuiltinIndex(StrOf(name));
      tok.flags = static_cast<uint16_t>(tok.flags | (tok.fn ? kExpFnCall : kExpArrayCall));
    }
    tok.len = static_cast<uint16_t>(operand_end - pos);
  }
  if (i >= t.size()) {
    tok.next = static_cast<uint16_t>(t.size());
    tok.item_end = true;
    return tok;
  }
  char c = t[i];
  if (c == ';' || c == ',') {
    tok.next = static_cast<uint16_t>(i + 1);
    tok.item_end = true;
    return tok;
  }
  uint16_t op = kOpNone;
  size_t oplen = 1;
  if (i + 1 < t.size() && kSecondChars.find(t[i + 1]) != std::string_view::npos) {
    op = FindOperator(t.substr(i, 2));
    oplen = 2;
  } else {
    op = FindOperator(t.substr(i, 1));
  }
  if (op == kOpNone) {
    tok.status = kStSyntax;  // ":", ")" or a pair such as "=>" where an operator belongs
    return tok;
  }
  tok.op = op;
  tok.prec = kExpOperators[op].prec;
  tok.next = static_cast<uint16_t>(i + oplen);
  return tok;
}

}  // namespace eng
