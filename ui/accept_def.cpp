#include "ui/accept_def.h"

#include <algorithm>

#include "core/exp_eval.h"
#include "core/exp_scan.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/var_store.h"
#include "data/condition_text.h"
#include "data/dict_query.h"
#include "data/field_ref.h"

namespace eng {

namespace {

constexpr uint16_t kDateStorage = 8;
constexpr size_t kKeyLength = 8;
// Comparison operators in the order of the words of message 0080.
constexpr const char* kLabelOperators[] = {">", "<", "==", ">=", "<=", "<>"};

std::string Trimmed(std::string_view v) {
  size_t a = 0, b = v.size();
  while (a < b && (v[a] == ' ' || v[a] == '\t')) ++a;
  while (b > a && (v[b - 1] == ' ' || v[b - 1] == '\t')) --b;
  return std::string(v.substr(a, b - a));
}

std::string RightTrimmed(std::string_view v) {
  size_t b = v.size();
  while (b > 0 && v[b - 1] == ' ') --b;
  return std::string(v.substr(0, b));
}

// The position of a text outside quotes, or npos.
size_t FindOutsideQuotes(const std::string& s, std::string_view what) {
  char quote = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (StrIsQuote(c)) {
      quote = c;
      continue;
    }
    if (s.compare(i, what.size(), what) == 0) return i;
  }
  return std::string::npos;
}

uint16_t NumberAt(const std::string& s, size_t from) {
  uint32_t v = 0;
  for (size_t i = from; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<uint32_t>(v * 10 + (s[i] - '0'), 0xFFFF);
  return static_cast<uint16_t>(v);
}

bool IsFieldReference(const std::string& part) {
  return !part.empty() && !StrIsQuote(part[0]) && part.find('{') != std::string::npos;
}

// A field reference split into the reference and the operator after "}".
void SplitReference(const std::string& part, std::string& reference, std::string& op) {
  const size_t close = part.rfind('}');
  reference = Trimmed(part.substr(0, close == std::string::npos ? part.size() : close + 1));
  op = close == std::string::npos ? std::string() : Trimmed(part.substr(close + 1));
}

std::string Evaluated(const std::string& text) {
  ScratchScope scope;
  StrPair v = ExpEvalStr(StrOf(text));
  return v.ok() ? v.str() : std::string();
}

bool NumericType(char type) { return type != 0 && std::string_view(kCondNumericTypes).find(type) != std::string_view::npos; }

}  // namespace

AcceptDef AcceptDefParse(StrPair definition) {
  AcceptDef def;
  std::string text = definition.ok() ? definition.str() : std::string();
  if (text.find(':') == std::string::npos && text.find(';') != std::string::npos)
    std::replace(text.begin(), text.end(), ';', ':');
  const size_t slash = text.find(" /");
  def.items_text = text.substr(0, slash);
  def.options = slash == std::string::npos ? std::string() : text.substr(slash + 2);
  ScratchScope scope;
  StrPair items = StrOf(def.items_text);
  const uint16_t count = def.items_text.empty() ? 0 : StrItemCount(items, ',');
  for (uint16_t i = 1; i <= count; ++i) {
    AcceptItem item;
    std::string whole = StrItem(items, ',', i).str();
    const size_t row = FindOutsideQuotes(whole, "/ROW=");
    const size_t col = FindOutsideQuotes(whole, "/COL=");
    if (row != std::string::npos) item.row = NumberAt(whole, row + 5);
    if (col != std::string::npos) item.column = NumberAt(whole, col + 5);
    item.text = whole.substr(0, std::min(row, col));
    StrPair t = StrOf(item.text);
    const uint16_t parts = std::min<uint16_t>(StrItemCount(t, ':'), 5);
    for (uint16_t k = 1; k <= parts; ++k) item.parts.push_back(Trimmed(StrItem(t, ':', k).view()));
    if (item.parts.empty()) item.parts.emplace_back();
    def.items.push_back(std::move(item));
  }
  return def;
}

AcceptLabel AcceptItemLabel(const AcceptDef& def, size_t i) {
  AcceptLabel label;
  if (i < 1 || i > def.items.size()) return label;
  const std::string part = def.items[i - 1].Part(1);
  if (IsFieldReference(part)) {
    std::string reference, op;
    SplitReference(part, reference, op);
    std::string name = reference.substr(0, reference.find('{'));
    {
      ScratchScope scope;
      DictFieldRefResult r = DictFieldRef(StrOf(reference));
      if (r.status == kOk && r.field) name = DictFieldName(r.file, r.field).str();
    }
    if (op.empty() && i <= 2) op = i == 1 ? ">=" : "<=";
    for (uint16_t k = 0; k < 6; ++k) {
      if (op != kLabelOperators[k]) continue;
      ScratchScope scope;
      name += StrItem(MsgText("0080"), ',', static_cast<uint16_t>(k + 1)).str();
    }
    label.shown = name + ":";
    return label;
  }
  std::string shown = !part.empty() && StrIsQuote(part[0]) ? Evaluated(part) : part;
  const size_t close = shown.rfind('}');
  if (close != std::string::npos) {
    const size_t open = shown.find('{');
    const size_t comma = shown.find(',', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && open < close) {
      label.placed = true;
      label.row = NumberAt(shown, open + 1);
      label.column = comma != std::string::npos && comma < close ? NumberAt(shown, comma + 1) : 0;
    }
    shown = shown.substr(close + 1);
  }
  label.shown = shown;
  return label;
}

std::string AcceptFormKey(const AcceptDef& def) {
  ScratchScope scope;
  const uint16_t pieces = def.items_text.empty() ? 0 : StrItemCount(StrOf(def.items_text), ':');
  size_t k = pieces ? kKeyLength / pieces : 0;
  if (k == 0) k = 1;
  std::string key;
  for (size_t i = 1; i <= pieces && key.size() < kKeyLength; ++i) {
    if (i > def.items.size()) continue;
    key += AcceptItemLabel(def, i).shown.substr(0, k);
  }
  return key;
}

ScreenFieldDesc ScreenFieldFromAcceptItem(const AcceptItem& item, uint16_t row, uint16_t column) {
  ScreenFieldDesc f;
  f.row = row;
  f.column = column;
  char type = 'A';
  uint16_t length = 0;
  if (item.parts.size() == 1) {
    std::string reference, op;
    SplitReference(item.parts[0], reference, op);
    ScratchScope scope;
    DictFieldRefResult r = DictFieldRef(StrOf(reference));
    if (r.status != kOk) {
      f.status = r.status;
    } else {
      type = r.desc.type ? r.desc.type : 'A';
      length = r.field ? DictFieldLength(r.file, r.field) : 0;
    }
  } else {
    const std::string t = Evaluated(item.Part(2));
    if (!t.empty()) type = t[0];
    length = NumberAt(t, 1);
    if (type == 'V') {
      VarScreenField v = VarGetScreenField(length);
      if (v.status == kOk) {
        type = v.first;
        length = v.number < 0 ? 0 : static_cast<uint16_t>(v.number);
      }
    }
  }
  f.type = type;
  f.display_len = length;
  f.width = length;
  f.storage_len = type == 'D' ? std::min<uint16_t>(length, kDateStorage) : length;
  return f;
}

AcceptCollected AcceptCollectValues(const AcceptDef& def, const std::vector<std::string>& raw) {
  AcceptCollected out;
  for (size_t i = 0; i < def.items.size() && out.status == kOk; ++i) {
    const AcceptItem& item = def.items[i];
    ScratchScope scope;
    std::string target_text = item.Part(3).empty() ? item.Part(1) : item.Part(3);
    StrPair prepared = ExpPrepare(StrOf(target_text));
    if (!prepared.ok()) {
      out.status = StrError(prepared);
      break;
    }
    ExpToken tok = ExpNextToken(prepared, 0);
    if (tok.status != kOk) {
      out.status = tok.status;
      break;
    }
    if (tok.Empty()) {
      out.status = kStDataError;
      break;
    }
    const std::string operand = tok.Operand(prepared).str();
    const bool compares = tok.op >= kOpGt && tok.op <= kOpNe;
    bool text_operand = (tok.flags & kExpText) != 0;
    if (tok.flags & kExpField) {
      DictFieldRefResult r = DictFieldRef(StrOf(operand));
      text_operand = !(r.status == kOk && NumericType(r.desc.type));
    }
    const std::string value_raw = i < raw.size() ? raw[i] : std::string();
    std::string assign = item.Part(5);
    if (assign.empty() && !compares && (tok.flags & kExpVariable) && !(tok.flags & (kExpField | kExpArrayCall | kExpFnCall)))
      assign = operand;
    if (!assign.empty()) out.assignments.push_back({assign, value_raw});
    const std::string value = text_operand ? RightTrimmed(value_raw) : value_raw;
    StrPair quoted = StrQuote(StrOf(value));
    if (!quoted.ok()) {
      out.status = StrError(quoted);
      break;
    }
    if (i) out.values += ',';
    out.values.append(quoted.view());
    if (!compares || RightTrimmed(value).empty()) continue;
    std::string literal;
    if (text_operand) {
      StrPair lit = CondQuoteValue(StrOf(value_raw));
      if (!lit.ok()) {
        out.status = StrError(lit);
        break;
      }
      literal = lit.str();
    } else {
      literal = Trimmed(value);
      if (Status s = CondCheckNumber(StrOf(literal))) {
        out.status = s;
        break;
      }
    }
    if (!out.filter.empty()) out.filter += "&&";
    out.filter += target_text + literal;
  }
  if (out.status != kOk) {
    out.values.clear();
    out.filter.clear();
    out.assignments.clear();
  }
  return out;
}

}  // namespace eng
