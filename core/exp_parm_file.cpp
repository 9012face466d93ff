#include "core/exp_parm_file.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/folders.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_search.h"
#include "core/streams.h"
#include "core/string_lists.h"

namespace eng {

namespace {

// The file's text with line breaks as ";" and the name it was found by; an
// empty name when it exists nowhere.
struct Found {
  std::string expanded;  // the name with its percent-sign macros expanded
  std::string name;
  std::string text;
  Status status = kOk;
};

Found FindAndRead(StrPair file) {
  Found f;
  ScratchScope scope;
  StrPair expanded = AppPathKinds(file);
  if (!expanded.ok()) {
    f.status = StrError(expanded);
    return f;
  }
  f.expanded = expanded.str();
  StrPair found = PathFindFile(DynStrGet(sl::kSettings, sl::kAppFolder), expanded);
  if (!found.ok()) {
    f.status = StrError(found);
    return f;
  }
  if (found.len == 0) return f;
  f.name = found.str();
  StrPair text = StrmReadText(found, StrOf(";"));
  if (!text.ok()) {
    f.status = StrError(text) == kStLowFailure ? Status{kStFileIo} : StrError(text);
    return f;
  }
  f.text = text.str();
  return f;
}

// The name of an item: the text before its first "=" outside quotes and
// parentheses (the whole item when it has none), trimmed.
std::string_view ItemName(std::string_view item, std::string_view* expression) {
  int depth = 0;
  for (size_t i = 0; i < item.size(); ++i) {
    char c = item[i];
    if (StrIsQuote(c)) {
      size_t q = item.find(c, i + 1);
      if (q == item.npos) break;
      i = q;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == '=' && depth == 0) {
      *expression = item.substr(i + 1);
      return StrTrim(StrOf(item.substr(0, i)), 3).view();
    }
  }
  *expression = std::string_view();
  return StrTrim(StrOf(item), 3).view();
}

std::vector<std::string> Items(StrPair list) {
  std::vector<std::string> out;
  uint16_t count = ExpListCount(list);
  for (uint16_t n = 1; n <= count; ++n) {
    StrPair item = ExpListItem(list, n);
    if (StrTrim(item, 3).len) out.emplace_back(item.view());
  }
  return out;
}

}  // namespace

Status ExpLoadParmFile(StrPair file, int mode) {
  if (!file.ok()) return StrError(file);
  Found f = FindAndRead(file);
  if (f.status) return f.status;
  if (f.name.empty()) {
    if (mode != 1) return kOk;
    ErrSetLast(1, kModExpExec, kStFileNotFound, kStFileNotFound);
    return ErrIncident(kStFileNotFound, StrOf(f.expanded), true);
  }
  if (f.text.empty()) return kOk;
  return ExpExecute(StrOf(f.text));
}

Status ExpSaveParmFile(StrPair file, StrPair items) {
  if (!file.ok()) return StrError(file);
  if (!items.ok()) return StrError(items);
  Found old = FindAndRead(file);
  if (old.status) return old.status;
  std::string target = old.name.empty() ? old.expanded : old.name;
  std::vector<std::string> seen;
  std::string out;
  auto add = [&](std::string_view name, std::string_view text) {
    for (const std::string& s : seen) {
      if (s == name) return false;
    }
    seen.emplace_back(name);
    if (!out.empty()) out += ';';
    out.append(text);
    return true;
  };
  for (const std::string& item : Items(items)) {
    std::string_view expression;
    std::string name(ItemName(item, &expression));
    if (name.empty()) continue;
    ScratchScope scope;
    StrPair value = ExpEvalStr(StrOf(expression.empty() ? std::string_view(name) : expression));
    if (!value.ok()) return StrError(value);
    StrPair statement = ExpMakeAssignment(StrOf(name), value);
    if (!statement.ok()) return StrError(statement);
    add(name, statement.view());
  }
  for (const std::string& item : Items(StrOf(old.text))) {
    std::string_view expression;
    std::string name(ItemName(item, &expression));
    if (name.empty()) continue;
    add(name, item);
  }
  if (out.size() > kMaxText) return kStStringTooLong;
  if (!out.empty() && StrmWriteFileAt(StrOf(target), kStrmReplace, out.data(), out.size()) != StrmCount(out.size())) {
    return ErrIncident(kStFileIo, StrOf(target), true);
  }
  return ExpLoadParmFile(StrOf(target), 1);
}

}  // namespace eng
