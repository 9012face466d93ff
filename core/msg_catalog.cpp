#include "core/msg_catalog.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/dec_value.h"
#include "core/dyn_strings.h"
#include "core/engine_messages.h"
#include "core/hooks.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/streams.h"
#include "core/string_lists.h"

namespace eng {

namespace {

MsgCatalog& Cat() { return Core().catalog; }

// The integer value of the first four characters; 0 when they hold no
// number or a negative one.
uint16_t ReferenceNumber(StrPair ref) {
  if (!ref.ok() || ref.len == 0) return 0;
  StrPair head{ref.ptr, static_cast<uint16_t>(ref.len < 4 ? ref.len : 4)};
  int64_t n = NumParse(head);
  return n > 0 && n <= 9999 ? static_cast<uint16_t>(n) : 0;
}

std::string ExpandLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Adds lines to the catalogue; returns 0, 159 when the texts do not fit the
// string store (nothing changed then), or 125 when lines were skipped as out
// of order (the others are in force).
Status AddLines(const std::vector<std::string_view>& lines) {
  MsgCatalog& c = Cat();
  StrPair cur = DynStrGet(sl::kWork, sl::kCatalogText);
  std::string text(cur.ok() ? cur.view() : std::string_view());
  std::vector<uint16_t> ends = c.ends;
  std::vector<MsgRange> ranges = c.ranges;
  bool open_range = false;  // each call opens its own range at its first number
  bool skipped = false;
  for (std::string_view raw : lines) {
    std::string line = ExpandLineBreaks(raw);
    uint16_t number = ReferenceNumber(StrOf(line));
    if (number == 0) continue;
    if (open_range) {
      MsgRange& r = ranges.back();
      if (number <= r.last) {
        skipped = true;  // out of order: it would misplace every later text
        continue;
      }
      if (number - r.first >= kMsgRangeSpan) open_range = false;
    }
    if (!open_range) {
      ranges.push_back(MsgRange{number, number, static_cast<uint16_t>(ends.size())});
      open_range = true;
    } else {
      MsgRange& r = ranges.back();
      for (uint16_t gap = r.last + 1; gap < number; ++gap) ends.push_back(static_cast<uint16_t>(text.size()));
      r.last = number;
    }
    if (line.size() > 5) text.append(line, 5);
    if (text.size() > kMaxText) return kStStrOutBound;
    ends.push_back(static_cast<uint16_t>(text.size()));
  }
  if (ranges.size() == c.ranges.size()) return skipped ? Status{kStAtypical} : kOk;
  Status s = DynStrSet(sl::kWork, sl::kCatalogText, StrOf(text));
  if (s) return s;
  c.ends = std::move(ends);
  c.ranges = std::move(ranges);
  c.state = MsgCatalogState::kLoaded;
  return skipped ? Status{kStAtypical} : kOk;
}

bool HasPathCharacter(std::string_view code) {
  return code.find_first_of("/\\*?:") != std::string_view::npos || code.find('\0') != std::string_view::npos;
}

std::string JoinFolder(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/' && out.back() != '\\') out += '/';
  out += name;
  return out;
}

// The first file of the folder matching the name, with its folder; "" when none.
std::string FirstMatch(std::string_view folder, std::string_view name) {
  ScratchScope scope;
  StrPair list = SysDirList(StrOf(JoinFolder(folder, name)));
  if (!list.ok() || list.empty()) return {};
  std::string_view names = list.view();
  return JoinFolder(folder, names.substr(0, names.find('\0')));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

Status LoadFile(const std::string& path) {
  ScratchScope scope;
  StrPair bytes = StrmReadFile(StrOf(path), 0, kStrmAll);
  if (!bytes.ok()) return StrError(bytes) == kStLowFailure ? Status{kStFileOpening} : StrError(bytes);
  std::vector<std::string_view> lines = SplitLines(bytes.view());
  if (lines.size() >= kMsgCatalogMaxLines) return kStDataOutBound;
  Status s = AddLines(lines);
  if (s == kOk || s == kStAtypical) Cat().file = path;
  return s;
}

}  // namespace

Status MsgCatalogLoad() {
  MsgCatalog& c = Cat();
  c.state = MsgCatalogState::kNone;
  c.load_status = kOk;
  StrPair lang = DynStrGet(sl::kSettings, sl::kLanguage);
  std::string_view code = lang.ok() && !lang.empty() ? lang.view() : std::string_view("*");
  std::string name = "KV_LANG_" + std::string(code) + ".MSJ";
  Status s = kOk;
  if (name.size() > kMsgCatalogNameMax) {
    s = kStStringTooLong;
  } else if (code != "*" && HasPathCharacter(code)) {
    s = kStBadData;
  } else {
    StrPair folder = DynStrGet(sl::kSettings, sl::kAppFolder);
    std::string path = FirstMatch(folder.ok() ? folder.view() : std::string_view(), name);
    // The first lookup may come before the application folder is known: the
    // current folder is where such a file was put.
    if (path.empty() && folder.ok() && !folder.empty()) path = FirstMatch({}, name);
    if (path.empty()) return kOk;
    s = LoadFile(path);
  }
  if (s != kOk && s != kStAtypical) {
    c.ends.clear();
    c.ranges.clear();
    c.state = MsgCatalogState::kNone;
  }
  c.load_status = s;
  return s;
}

Status MsgCatalogAdd(uint16_t n) {
  std::vector<std::string> held;
  for (uint16_t i = 0; i < n && DynStrCount(sl::kLineQueue) > 0; ++i) {
    held.push_back(DynStrTop(sl::kLineQueue).str());
    DynStrPop(sl::kLineQueue);
  }
  if (n == 0 || n >= kMsgCatalogMaxLines) return kOk;
  std::vector<std::string_view> lines(held.begin(), held.end());
  Status s = AddLines(lines);
  return s == kStAtypical ? kOk : s;
}

StrPair MsgCatalogText(uint16_t number) {
  const MsgCatalog& c = Cat();
  for (const MsgRange& r : c.ranges) {
    if (number < r.first || number > r.last) continue;
    size_t k = r.index + (number - r.first);
    if (k >= c.ends.size()) break;
    StrPair text = DynStrGet(sl::kWork, sl::kCatalogText);
    size_t start = k == 0 ? 0 : c.ends[k - 1];
    size_t end = c.ends[k];
    if (!text.ok() || end > text.len || start > end) break;
    return StrPair{text.ptr + start, static_cast<uint16_t>(end - start)};
  }
  return StrFail(kStNoData);
}

void MsgCatalogReset() {
  MsgCatalog& c = Cat();
  c.state = MsgCatalogState::kNotLooked;
  c.ends.clear();
  c.ranges.clear();
  c.load_status = kOk;
  c.file.clear();
  if (DynStrCount(sl::kWork) > sl::kCatalogText) DynStrSet(sl::kWork, sl::kCatalogText, StrPair{});
}

MsgCatalogState MsgCatalogCurrentState() { return Cat().state; }
Status MsgCatalogLoadStatus() { return Cat().load_status; }

StrPair MsgLookup(StrPair reference) {
  if (!reference.ok()) return StrPair{};
  uint16_t number = ReferenceNumber(reference);
  MsgCatalog& c = Cat();
  if (c.state == MsgCatalogState::kNotLooked) MsgCatalogLoad();
  if (number != 0 && c.state == MsgCatalogState::kLoaded) {
    StrPair text = MsgCatalogText(number);
    if (text.ok()) return ScratchPair(text);
  }
  if (number != 0 && reference.len > 4)
    return reference.len > 5 ? StrPair{reference.ptr + 5, static_cast<uint16_t>(reference.len - 5)} : StrPair{};
  if (number == 0) return StrPair{};
  if (number <= 999) return EngineMessageText(number);
  char digits[4] = {char('0' + number / 1000), char('0' + number / 100 % 10), char('0' + number / 10 % 10),
                    char('0' + number % 10)};
  return AppCallMessageText(ScratchPair(StrMake(digits, 4)));
}

StrPair MsgText(const char* reference) { return MsgLookup(StrFromC(reference)); }

uint16_t MsgLangIndex() {
  StrPair lang = DynStrGet(sl::kSettings, sl::kLanguage);
  if (!lang.ok() || lang.empty()) return 0;
  return StrItemIndex(StrFromC(kMsgLanguages), lang, ',');
}

StrPair MsgLangFileName(StrPair name, int index) {
  if (!name.ok()) return name;
  if (index < 0) index = MsgLangIndex();
  if (index < 1 || index > 5) return ScratchPair(name);
  StrPair suffix = StrItem(StrFromC(kMsgLanguageSuffixes), ',', static_cast<uint16_t>(index));
  std::string_view v = name.view();
  size_t base = v.find_last_of("/\\");
  size_t dot = v.find('.', base == std::string_view::npos ? 0 : base + 1);
  if (dot == std::string_view::npos) dot = v.size();
  std::string out(v.substr(0, dot));
  out.append(suffix.view());
  out.append(v.substr(dot));
  if (out.size() > kMaxText) return StrFail(kStStringTooLong);
  return ScratchText(out);
}

}  // namespace eng
