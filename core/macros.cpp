#include "core/macros.h"

#include <string>

#include "core/cmd_line.h"
#include "core/dec_value.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_keys.h"
#include "core/str_search.h"

namespace eng {

namespace {

// The value of a segment's content; a failure pair ends the expansion.
// The result is copied out, so the caller's scratch scope may be released.
StrPair SegmentValue(StrPair content, int flags, StrPair list, std::string* out) {
  if (flags & kMacroLookup) {
    StrPair v = list.len ? StrKeyGet(list, content) : StrPair{};
    if (!v.ok() || v.len == 0) v = CmdValueByName(content);
    if (!v.ok() || v.len == 0) v = SysGetEnv(content);
    if (v.ok() && v.len) {
      out->assign(v.view());
      return StrOf(*out);
    }
  }
  if (content.len && content.ptr[content.len - 1] == '%') {
    out->assign(content.view());
    return StrOf(*out);
  }
  Status s = ExpEvalText(content);
  if (s == 0) {
    StrPair t = DecToText(NumAccValue());
    if (!t.ok()) return t;
    out->assign(t.view());
    if (out->empty() && !(flags & kMacroEmptyZero)) *out = "0";
  } else if (s == 1) {
    out->assign(ScratchTop().view());
  } else {
    return StrFail(s);
  }
  return StrOf(*out);
}

void TurnEscapes(std::string& t) {
  std::string out;
  out.reserve(t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (c == '\\' && i + 1 < t.size() && (t[i + 1] == '{' || t[i + 1] == '}')) {
      char brace = t[i + 1];
      if (i + 2 < t.size() && t[i + 2] == brace) {
        out += '\\';
        out += brace;
        i += 2;
      } else {
        out += brace == '{' ? '[' : ']';
        i += 1;
      }
      continue;
    }
    out += c;
  }
  t.swap(out);
}

}  // namespace

StrPair MacroExpandText(StrPair text, int flags, StrPair list) {
  if (!text.ok()) return text;
  std::string t(text.view());
  std::string held_list(list.ok() ? list.view() : std::string_view());
  bool plain = flags & kMacroInQuotes;
  size_t pos = 0;
  uint16_t rescans = 0;
  for (;;) {
    if (pos > t.size()) break;
    // The first closer from the scan position, and the last opener before
    // it anywhere in the text: an outer segment whose inner one was just
    // replaced is found on the next round.
    StrPair whole = StrOf(t);
    uint16_t close = StrFindCharFrom(whole, static_cast<uint16_t>(pos), ']', plain);
    if (close == kNotFound) break;
    uint16_t opener = StrFindLastChar(StrPair{t.data(), close}, '[', plain);
    if (opener == kNotFound) break;
    size_t open = opener;
    size_t end = size_t(close) + 1;  // after the "]"
    std::string content = t.substr(open + 1, close - open - 1);
    std::string value;
    {
      ScratchScope scope;
      StrPair v = SegmentValue(StrOf(content), flags, StrOf(held_list), &value);
      if (!v.ok()) return v;
    }
    if (!(flags & kMacroNoTrim)) {
      StrPair trimmed = StrTrim(StrOf(value), 3);
      value.assign(trimmed.view());
    }
    if (flags & kMacroQuote) {
      char q = (flags & kMacroDoubleQuote) ? '"' : '\'';
      value = q + value + q;
    }
    if (flags & kMacroRescan) {
      // The value is expanded again at the same place: a value that
      // re-creates its own segment, or an endless chain, must not loop.
      if (value.find(']') != std::string::npos) {
        if (value == t.substr(open, end - open) || ++rescans > kMacroMaxRescans) {
          ErrIncident(kStLoopFailure, StrOf(t.substr(open, end - open)), false);
          return StrFail(kStLoopFailure);
        }
      }
    }
    if (t.size() - (end - open) + value.size() > kMaxText) return StrFail(kStStringTooLong);
    t.replace(open, end - open, value);
    pos = (flags & kMacroRescan) ? open : open + value.size();
  }
  if (flags & kMacroEscapes) TurnEscapes(t);
  return ScratchText(t);
}

StrPair MacroExpand(StrPair text, int flags) { return MacroExpandText(text, flags, StrPair{}); }

StrPair MacroExpandList(StrPair text, StrPair list) {
  return MacroExpandText(text, kMacroListFlags, list);
}

StrPair MacroFillPlaceholder(StrPair text, StrPair filler) {
  if (!text.ok()) return text;
  if (!filler.ok()) return text;
  StrPair r = StrReplaceAll(text, StrOf("[$]"), filler, true);
  return r.ok() ? r : text;
}

}  // namespace eng
