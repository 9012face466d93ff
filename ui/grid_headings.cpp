#include "ui/grid_headings.h"

#include <algorithm>

#include "core/str_pair.h"
#include "ui/screen_lines.h"
#include "ui/screen_table.h"
#include "ui/win_def.h"

namespace eng {

namespace {

int Number2(std::string_view s, size_t at) {
  if (s.size() < at + 2) return -1;
  int n = 0;
  for (size_t i = at; i < at + 2; ++i) {
    const char c = s[i];
    if (c == ' ') continue;
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string Trim(std::string_view s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

}  // namespace

std::string ListHeadingsFromPan(StrPair line) {
  const ScreenDesc screen = ScreenCurrent();
  if (screen.bounded_first == 0) return {};
  const ScreenFieldDesc first = ScreenFieldGet(screen.bounded_first);
  const int r = first.row;
  if (r == 0) return {};
  std::string labels(kHeadingLineWidth, ' ');
  const WinDefRecord def = WinDefParse(line);
  const ScreenLabelFn place = [&](StrPair label) -> Status {
    const std::string_view t = label.view();
    if (t.empty() || t[0] != '0' || Number2(t, 1) != r - 2) return kOk;
    const int column = std::max(1, Number2(t, 3));
    const std::string_view text = t.size() > 5 ? t.substr(5) : std::string_view();
    const size_t at = static_cast<size_t>(column - 1);
    if (at < labels.size()) labels.replace(at, std::min(text.size(), labels.size() - at), text.substr(0, labels.size() - at));
    return kOk;
  };
  ScreenLoadFieldLines(StrOf(def.file), def.number, kOpenMissingOk, nullptr, place);

  std::string out;
  size_t p = first.column ? first.column : 1;
  for (uint16_t n = screen.bounded_first; n <= screen.bounded_last; ++n) {
    const ScreenFieldDesc f = ScreenFieldGet(n);
    size_t span = static_cast<size_t>(f.display_len) + 1;
    if (n < screen.bounded_last) {
      const int next = ScreenFieldGet(n + 1).column;
      if (next > f.column) span = static_cast<size_t>(next - f.column);
    }
    const std::string_view rest = p - 1 < labels.size() ? std::string_view(labels).substr(p - 1) : std::string_view();
    const std::string_view inside = rest.substr(0, std::min(span, rest.size()));
    size_t cut = inside.rfind(' ');
    if (cut == std::string_view::npos || Trim(inside.substr(0, cut)).empty()) {
      cut = rest.find(' ', std::min(span, rest.size()));
      if (cut == std::string_view::npos) cut = rest.size();
    }
    if (!out.empty() || n > screen.bounded_first) out += ',';
    out += Trim(rest.substr(0, cut));
    p += std::max(cut, span);
  }
  return out;
}

}  // namespace eng
