#include "apps/pelmora/ac_text.h"

#include "core/exp_eval.h"
#include "core/scratch_arena.h"

namespace eng::pelmora {

std::string AcTrim(std::string_view v) {
  size_t b = v.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  size_t e = v.find_last_not_of(' ');
  return std::string(v.substr(b, e - b + 1));
}

std::string AcTrimRight(std::string_view v) {
  size_t e = v.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string() : std::string(v.substr(0, e + 1));
}

std::string AcUnquote(std::string_view v) {
  std::string t = AcTrim(v);
  if (t.size() >= 2 && (t.front() == '\'' || t.front() == '"') && t.back() == t.front())
    t = t.substr(1, t.size() - 2);
  return t;
}

std::vector<std::string> AcSplit(std::string_view text, char sep, bool assign) {
  std::vector<std::string> out;
  std::string cur;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == sep && !(assign && i + 1 < text.size() && text[i + 1] == '=')) {
      out.push_back(cur);
      cur.clear();
      continue;
    }
    cur += c;
  }
  out.push_back(cur);
  return out;
}

std::string AcVarText(const char* name) {
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrFromC(name));
  return v.ok() ? AcTrimRight(v.view()) : std::string();
}

DecValue AcVarNumber(const char* name) {
  ScratchScope scope;
  return ExpEvalNum(StrFromC(name));
}

Status AcVarAssign(const char* name, std::string_view value) {
  ScratchScope scope;
  StrPair statement = ExpMakeAssignment(StrFromC(name), StrOf(value));
  if (!statement.ok()) return StrError(statement);
  std::string held(statement.view());
  return ExpExecute(StrOf(held));
}

Status AcArgStatus(Status s) { return s == kStIncompatibleTypes ? Status{kStSyntax} : s; }

Status AcNumberResult(FnArgs& args, DecValue v) {
  args.result_text = false;
  StrPair p = DecStoreValue(v);
  return p.ok() ? kOk : StrError(p);
}

}  // namespace eng::pelmora
