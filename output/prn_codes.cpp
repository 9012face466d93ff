#include "output/prn_codes.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/dyn_strings.h"
#include "core/folders.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "output/output_state.h"

namespace eng {

namespace {

std::string BuiltinEntry() {
  std::string e(kPrnEntrySize, '\0');
  e[80] = 80;
  e[88] = 72;
  return e;
}

// The codes file in the application folders; empty when missing.
std::string CodesFilePath() {
  ScratchScope scope;
  StrPair found = PathFindFile(DynStrGet(sl::kSettings, sl::kAppFolder), StrOf(kPrnCodesFile));
  return found.ok() ? found.str() : std::string();
}

std::string ReadWhole(const std::string& path) {
  ScratchScope scope;
  StrPair bytes = StrmReadFile(StrOf(path), 0, kStrmAll);
  return bytes.ok() ? bytes.str() : std::string();
}

std::string Table() {
  StrPair t = DynStrGet(sl::kWork, sl::kPrinterCodes);
  if (t.ok() && !t.empty()) return t.str();
  return DevicePrnCodesLoad();
}

}  // namespace

std::string DevicePrnCodesLoad() {
  std::string table = BuiltinEntry();
  std::string path = CodesFilePath();
  if (!path.empty()) {
    std::string file = ReadWhole(path);
    if (file.size() > kPrnHeadSize) table += file.substr(kPrnHeadSize);
  }
  DynStrSet(sl::kWork, sl::kPrinterCodes, StrOf(table));
  return table;
}

std::string DevicePrnCode(uint16_t field, uint16_t entry) {
  std::string table = Table();
  size_t base = static_cast<size_t>(entry) * kPrnEntrySize;
  if (base + kPrnEntrySize > table.size()) base = 0;
  if (field >= kPrnFieldWidth) return table.substr(base + field * 8, 1);
  std::string code = table.substr(base + field * 8, 8);
  while (!code.empty() && code.back() == '\0') code.pop_back();
  return code;
}

uint16_t DevicePrnNumber(uint16_t field, uint16_t entry) {
  return static_cast<unsigned char>(DevicePrnCode(field, entry)[0]);
}

std::string DeviceApplyCodesTo(std::string_view text, bool codes, uint16_t entry) {
  // Most texts hold no control byte: they go out as they are.
  static const auto is_control = [] {
    std::array<bool, 256> t{};
    for (char c : kPrnControlChars) t[static_cast<unsigned char>(c)] = true;
    return t;
  }();
  if (std::none_of(text.begin(), text.end(), [](char c) { return is_control[static_cast<unsigned char>(c)]; }))
    return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::string table;
  for (char c : text) {
    size_t k = kPrnControlChars.find(c);
    if (k == std::string_view::npos) {
      out += c;
    } else if (codes) {
      if (table.empty()) table = Table();
      size_t base = static_cast<size_t>(entry) * kPrnEntrySize;
      if (base + kPrnEntrySize > table.size()) base = 0;
      std::string code = table.substr(base + k * 8, 8);
      while (!code.empty() && code.back() == '\0') code.pop_back();
      out += code;
    }
  }
  return out;
}

bool DeviceTextIsYes(std::string_view text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return false;
  ScratchScope scope;
  StrPair yes = StrItem(MsgText("0011"), ',', 1);
  return yes.ok() && yes.view().find(text[i]) != std::string_view::npos;
}

void LptConfigSetFormRunner(LptFormRunner runner) { Out().config.lpt_forms = runner; }

Status LptConfigStore(uint16_t n, uint16_t field, uint16_t step, std::string& image, std::string_view values) {
  if (values.empty()) return kStCancelled;
  size_t pos = kPrnHeadSize + static_cast<size_t>(n - 1) * kPrnEntrySize + field * 8u;
  std::string out = image;
  size_t start = 0;
  for (;;) {
    size_t end = values.find(',', start);
    std::string item(values.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (item.size() >= 2 && (item.front() == '\'' || item.front() == '"') && item.back() == item.front())
      item = item.substr(1, item.size() - 2);
    long v = std::strtol(item.c_str(), nullptr, 10);
    if (pos >= out.size() || v < 0 || v > 255) return kStDataOutBound;
    out[pos] = static_cast<char>(v);
    pos += step;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  image = std::move(out);
  return kOk;
}

namespace {

std::string Label(std::string_view image, uint16_t item) {
  std::string_view head = image.substr(0, image.find('\r'));
  size_t start = 0;
  for (uint16_t i = 1; i < item; ++i) {
    size_t c = head.find(',', start);
    if (c == std::string_view::npos) return {};
    start = c + 1;
  }
  return std::string(head.substr(start, head.find(',', start) - start));
}

unsigned char ByteAt(std::string_view image, size_t pos) {
  return pos < image.size() ? static_cast<unsigned char>(image[pos]) : 0;
}

size_t EntryBase(uint16_t n) { return kPrnHeadSize + static_cast<size_t>(n - 1) * kPrnEntrySize; }

}  // namespace

std::string LptConfigSizeForm(uint16_t n, std::string_view image) {
  size_t base = EntryBase(n);
  auto field = [&](uint16_t label, size_t pos) {
    return "'" + Label(image, label) + ":':'N3'::'" + std::to_string(ByteAt(image, pos)) + "'";
  };
  return field(11, base + 80) + "," + field(12, base + 88);
}

std::string LptConfigCodesForm(uint16_t n, std::string_view image) {
  size_t base = EntryBase(n);
  size_t longest = 0;
  for (uint16_t r = 1; r <= 10; ++r) longest = std::max(longest, Label(image, r).size() + 1);
  std::string form;
  for (uint16_t r = 1; r <= 10; ++r)
    for (uint16_t c = 1; c <= 8; ++c) {
      if (!form.empty()) form += ",";
      std::string label = c == 1 ? Label(image, r) + ":" : std::string();
      form += "'" + label + "':'N3'::'" + std::to_string(ByteAt(image, base + (r - 1) * 8u + (c - 1))) +
              "'/ROW=" + std::to_string(r) + ";/COL=" + std::to_string(longest + 6u * c);
    }
  return form;
}

Status LptConfigEdit(uint16_t n) {
  std::string path = CodesFilePath();
  if (path.empty()) return kStFileNotFound;
  std::string image = ReadWhole(path);
  if (image.empty()) return kOk;
  LptFormRunner runner = Out().config.lpt_forms;
  if (!runner) return kStNotAvailable;
  std::string title = "   Lpt" + std::to_string(n) + " Config";
  std::string values;
  Status s = runner(StrOf(title), StrOf(LptConfigSizeForm(n, image)), values);
  if (s == kOk) s = LptConfigStore(n, kPrnFieldWidth, 8, image, values);
  if (s == kOk) {
    values.clear();
    s = runner(StrOf(title), StrOf(LptConfigCodesForm(n, image)), values);
    if (s == kOk) s = LptConfigStore(n, 0, 1, image, values);
  }
  if (s == kStCancelled) return kOk;
  if (s) return s;
  StrmCount w = StrmWriteFileAt(StrOf(path), kStrmReplace, image.data(), image.size());
  return w == static_cast<StrmCount>(image.size()) ? kOk : Status{kStFileIo};
}

}  // namespace eng
