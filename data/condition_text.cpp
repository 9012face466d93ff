#include "data/condition_text.h"

#include <string>
#include <string_view>

#include "core/err_register.h"
#include "core/num_text.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_compare.h"
#include "core/str_format.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "data/dict_query.h"
#include "data/field_ref.h"

namespace eng {

namespace {

constexpr uint16_t kCondRoom = 384;

// Where the format writes its third text argument, the value.
struct ValueSlot {
  bool found = false;
  size_t start = 0;  // the conversion's "%"
  size_t end = 0;    // one past its letter
};

ValueSlot FindValueSlot(std::string_view format) {
  ValueSlot slot;
  int seen = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < format.size() && (format[j] == '-' || format[j] == '0')) ++j;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
    if (j < format.size() && format[j] == '.') {
      ++j;
      while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
    }
    if (j >= format.size()) break;
    char letter = format[j];
    if (letter != 's' && letter != 'i' && letter != 'd') continue;  // copied as it stands
    if (++seen == 3) {
      slot.found = true;
      slot.start = i;
      slot.end = j + 1;
      return slot;
    }
    i = j;
  }
  return slot;
}

StrPair Scratch(const std::string& text) { return ScratchText(text); }

bool NumericType(char type) {
  return type != 0 && std::string_view(kCondNumericTypes).find(type) != std::string_view::npos;
}

// Whether low sorts before high: by their numbers for a numeric field (when
// both are numbers; "9" comes before "10"), else by their text.
bool SortsBefore(StrPair low, StrPair high, char type) {
  if (NumericType(type) && CondCheckNumber(low) == kOk && CondCheckNumber(high) == kOk)
    return DecFromText(StrTrim(low, 3)) < DecFromText(StrTrim(high, 3));
  return StrCompare(low, high) < 0;
}

}  // namespace

StrPair CondQuoteValue(StrPair value) {
  if (!value.ok()) return value;
  std::string_view v = value.view();
  bool apos = v.find('\'') != std::string_view::npos;
  bool quote = v.find('"') != std::string_view::npos;
  if (!(apos && quote)) return StrQuote(value);
  // Both quote characters: pieces that each lack one of them, joined by "+".
  std::string out = "(";
  size_t i = 0;
  bool first = true;
  while (i < v.size()) {
    bool has_apos = false, has_quote = false;
    size_t j = i;
    for (; j < v.size(); ++j) {
      bool a = v[j] == '\'', q = v[j] == '"';
      if ((a && has_quote) || (q && has_apos)) break;
      has_apos |= a;
      has_quote |= q;
    }
    if (!first) out += '+';
    first = false;
    char q = has_apos ? '"' : '\'';
    out += q;
    out.append(v.substr(i, j - i));
    out += q;
    i = j;
  }
  out += ')';
  return Scratch(out);
}

Status CondCheckNumber(StrPair value) {
  if (!value.ok()) return StrError(value);
  std::string_view v = StrTrim(value, 3).view();
  size_t i = 0;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
  bool digits = false, point = false;
  for (; i < v.size(); ++i) {
    char c = v[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return kStSyntax;
    }
  }
  return digits ? kOk : Status(kStSyntax);
}

StrPair CondCompare(StrPair field, uint16_t op, StrPair value, StrPair format, StrPair operators) {
  for (StrPair p : {field, value, format, operators})
    if (!p.ok()) return p;
  if (value.empty()) return ScratchText("");
  if (op == 0) return StrFail(kStDataError);
  ScratchScope scope;
  uint16_t count = StrItemCount(operators, ',');
  StrPair oper = StrItem(operators, ',', op > count ? count : op);
  std::string fmt(format.view());
  StrPair shown = value;
  ValueSlot slot = FindValueSlot(fmt);
  if (slot.found) {
    bool quoted = slot.start > 0 && slot.end < fmt.size() && StrIsQuote(fmt[slot.start - 1]) &&
                  fmt[slot.end] == fmt[slot.start - 1];
    if (quoted) {
      shown = CondQuoteValue(value);
      if (!shown.ok()) return shown;
      fmt.replace(slot.start - 1, slot.end - slot.start + 2, "%s");
    } else {
      if (Status s = CondCheckNumber(value)) return StrFail(s);
      shown = StrTrim(value, 3);
    }
  }
  size_t limit = size_t(shown.len) + kCondRoom;
  if (limit > kMaxText) limit = kMaxText;
  StrPair out = StrFormat(static_cast<uint16_t>(limit), StrOf(fmt), {field, oper, shown});
  if (!out.ok()) return out;
  return scope.Keep(out);
}

StrPair CondAndCompare(StrPair field, uint16_t op, StrPair value, StrPair condition, StrPair join, StrPair format) {
  if (!condition.ok()) return condition;
  if (!join.ok()) return join;
  ScratchScope scope;
  StrPair cmp = CondCompare(field, op, value, format, StrOf(kCondOperators));
  if (!cmp.ok()) return cmp;
  return scope.Keep(StrJoin(condition, join, cmp));
}

bool CondStripTrue(StrPair& condition, StrPair& other) {
  std::string_view prefix = kCondTruePrefix;
  if (!condition.ok() || !condition.view().starts_with(prefix)) return false;
  condition = StrPair{condition.ptr + prefix.size(), static_cast<uint16_t>(condition.len - prefix.size())};
  other = StrPair{};
  return true;
}

StrPair CondJoin(StrPair a, StrPair b, StrPair op) {
  for (StrPair p : {a, b, op})
    if (!p.ok()) return p;
  ScratchScope scope;
  CondStripTrue(a, b);
  CondStripTrue(b, a);
  if (b.empty()) return scope.Keep(a);
  if (a.empty()) return scope.Keep(b);
  std::string out = "(";
  out.append(a.view());
  out += ')';
  out.append(op.view());
  out += '(';
  out.append(b.view());
  out += ')';
  return scope.Keep(Scratch(out));
}

StrPair CondFieldCompare(StrPair field, uint16_t op, StrPair value, char type) {
  return CondCompare(field, op, value, StrOf(NumericType(type) ? kCondBareFormat : kCondQuotedFormat),
                     StrOf(kCondOperators));
}

StrPair CondFieldsRange(StrPair references, StrPair low, StrPair high) {
  for (StrPair p : {references, low, high})
    if (!p.ok()) return p;
  ScratchScope scope;
  // An invalid item is skipped without leaving its complaint behind.
  std::string incident(ErrIncidentText().view());
  std::string out;
  uint16_t items = StrItemCount(references, ',');
  for (uint16_t i = 1; i <= items; ++i) {
    ScratchScope item_scope;
    StrPair ref = StrTrim(StrItem(references, ',', i), 3);
    DictFieldRefResult r = DictFieldRef(ref);
    if (r.status || r.field == 0 || DictCheckField(r.file, r.field)) {
      ErrIncident(kOk, StrOf(incident), false);
      continue;
    }
    StrPair name = DictFieldQualName(r.file, r.field);
    if (!name.ok()) return name;
    std::string part;
    if (!high.empty() && SortsBefore(low, high, r.desc.type)) {
      StrPair from = CondFieldCompare(name, 3, low, r.desc.type);
      if (!from.ok()) return from;
      StrPair to = CondFieldCompare(name, 5, high, r.desc.type);
      if (!to.ok()) return to;
      // An empty low value leaves the upper bound alone.
      part = from.empty() ? to.str() : "(" + from.str() + "&&" + to.str() + ")";
    } else {
      StrPair eq = CondFieldCompare(name, 1, low, r.desc.type);
      if (!eq.ok()) return eq;
      part = eq.str();
    }
    if (part.empty()) continue;
    if (!out.empty()) out += "||";
    out += part;
  }
  return scope.Keep(Scratch(out));
}

}  // namespace eng
