#include "core/exec_keywords.h"

#include <string>

#include "core/scratch_arena.h"

namespace eng {

namespace {

uint16_t Exact(std::string_view word) {
  for (uint16_t i = 1; i <= kExecKeywordCount; ++i)
    if (ExecKeywords[i] == word) return i;
  return kExecNoKeyword;
}

}  // namespace

uint16_t ExecKeywordCode(std::string_view word) {
  if (word.empty()) return kExecNoKeyword;
  uint16_t code = Exact(word);
  if (code != kExecNoKeyword) return code;
  std::string upper(word);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return Exact(upper);
}

std::string_view ExecKeywordName(uint16_t code) {
  return code <= kExecKeywordCount ? ExecKeywords[code] : std::string_view();
}

StrPair ExecKeywordList() {
  std::string list;
  for (uint16_t i = 1; i <= kExecKeywordCount; ++i) {
    if (i > 1) list += '\0';
    list += ExecKeywords[i];
  }
  return ScratchText(list);
}

}  // namespace eng
