#include "output/device.h"

#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/app_state.h"
#include "core/clock.h"
#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/path_resolve.h"
#include "core/scratch_arena.h"
#include "core/str_keys.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "output/channels.h"
#include "output/child_programs.h"
#include "output/com_ports.h"
#include "output/output_state.h"
#include "output/printers.h"
#include "output/prn_codes.h"

namespace eng {

namespace {

constexpr std::string_view kPortNames = "LPT1,LPT2,LPT3,LPT4,LPT5,LPT6";
constexpr std::string_view kMapFrom = "\xBA\xD1\xF1\xE1\xE9\xED\xF3\xFA\x0E\x0F\x12";
constexpr std::string_view kMapCodes = "\xA7\xA5\xA4\xA0\x82\xA1\xA2\xA3\x0E\x0F\x12";
constexpr std::string_view kMapPlain = "\xBA\xD1\xF1\xE1\xE9\xED\xF3\xFA   ";
constexpr uint64_t kSerialSlowMs = 1000;

bool PrintToFile() {
  ScratchScope scope;
  return CmdOptionIn(kOptMode, StrOf("ADMIN,PRNTOFILE")) == 2;
}

std::string Trim(std::string_view t) {
  size_t a = t.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(t.substr(a, t.find_last_not_of(' ') - a + 1));
}

// Where the name ends: the first option marker followed by ":", "=", a blank or the end.
size_t NameEnd(std::string_view text) {
  static constexpr std::string_view kMarkers[] = {"/LP", "/WD", "/ST", "/VW", "/LANDSCAPE"};
  size_t end = text.size();
  for (std::string_view m : kMarkers) {
    for (size_t p = text.find(m); p != std::string_view::npos; p = text.find(m, p + 1)) {
      size_t after = p + m.size();
      if (after == text.size() || text[after] == ':' || text[after] == '=' || text[after] == ' ') {
        end = std::min(end, p);
        break;
      }
    }
  }
  return end;
}

uint16_t PortEntry(std::string_view name) {
  for (uint16_t i = 0; i < 6; ++i)
    if (name == kPortNames.substr(i * 5u, 4)) return static_cast<uint16_t>(i + 1);
  return 0;
}

std::string LowerExt(std::string_view name) {
  size_t dot = name.rfind('.');
  size_t slash = name.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  std::string e(name.substr(dot + 1));
  for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return e;
}

// The Linux path of a port name that no LPTn$ variable redirects.
std::string PortPath(std::string_view name) {
  std::string digits;
  for (char c : name)
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
  int n = digits.empty() ? 1 : std::atoi(digits.c_str());
  auto it = Out().config.lpt_paths.find(n);
  if (it != Out().config.lpt_paths.end()) return it->second;
  return "/dev/lp" + std::to_string(n > 0 ? n - 1 : 0);
}

Status OpenFileChannel(DeviceRecord& d) {
  ScratchScope scope;
  bool plain = (d.kind & 0x3F) == kDevFile;
  std::string ext = LowerExt(d.name);
  // The old file is replaced; a device node, pipe or folder of that name is
  // written to as it is, never deleted.
  if (plain && ext != "log" && ext != "out") {
    ResolvedPath old = PathResolve(d.name);
    std::error_code ec;
    if (old.status == kOk && old.exists && std::filesystem::is_regular_file(old.path, ec))
      StrmRemoveFile(StrOf(d.name));
  }
  std::string file = DeviceUnixPrinterFile(d.name);
  if ((d.kind & kDevCodes) && PrintToFile()) file = "unixprn.txt";
  std::string resolved = DeviceResolveName(file, d.kind);
  if ((d.kind & kDevPort) && resolved == file && file != "unixprn.txt") {
    // A port without a redirection: its device node, which is never created.
    resolved = PortPath(file);
    if (!PathResolve(resolved).exists) {
      ErrIncident(kStFileNotFound, StrOf(resolved), true);
      d.channel = kStrmNone;
      return kStLowFailure;
    }
  }
  uint16_t stream = StrmOpen(StrOf(resolved), 0);
  if (stream == kStrmNone) {
    d.channel = kStrmNone;
    return kStLowFailure;
  }
  d.channel = stream;
  d.has_channel = true;
  return DeviceSendResetCodes(d);
}

// Byte -> replacement, one table per mapping (plain, with printer codes),
// made once.
using ByteMap = std::array<std::array<char, 256>, 2>;
const ByteMap& MapTables() {
  static const ByteMap tables = [] {
    ByteMap t{};
    for (int b = 0; b < 256; ++b) t[0][static_cast<size_t>(b)] = t[1][static_cast<size_t>(b)] = static_cast<char>(b);
    for (size_t k = 0; k < kMapFrom.size(); ++k) {
      const size_t from = static_cast<unsigned char>(kMapFrom[k]);
      t[0][from] = kMapPlain[k];
      t[1][from] = kMapCodes[k];
    }
    return t;
  }();
  return tables;
}

void Unmap(std::string& text, bool codes) {
  const std::array<char, 256>& to = MapTables()[codes ? 1 : 0];
  for (char& c : text) c = to[static_cast<unsigned char>(c)];
}

// Whether a text goes to the device as it is: no byte the mapping changes
// and no printer control byte (most lines of a report).
bool GoesAsItIs(std::string_view text, bool codes) {
  static const auto same = [] {
    std::array<std::array<bool, 256>, 2> t{};
    for (size_t m = 0; m < 2; ++m)
      for (size_t b = 0; b < 256; ++b)
        t[m][b] = MapTables()[m][b] == static_cast<char>(b) && kPrnControlChars.find(static_cast<char>(b)) == std::string_view::npos;
    return t;
  }();
  // Printable ASCII (0x20-0x7E) is neither mapped nor a control byte: most
  // texts are only that, checked eight bytes at a time.
  constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t x;
    std::memcpy(&x, text.data() + i, 8);
    // Bytes from 0x80 up, then (with none of those: no carry or borrow
    // between bytes) bytes below 0x20, then 0x7F.
    if ((x & kHigh) != 0 || (((x | kHigh) - 0x20 * kOnes) & kHigh) != kHigh || ((x + kOnes) & kHigh) != 0) break;
  }
  text.remove_prefix(i);
  const std::array<bool, 256>& keep = same[codes ? 1 : 0];
  for (char c : text)
    if (!keep[static_cast<unsigned char>(c)]) return false;
  return true;
}

// Writes a text that needs no wrapping split.
Status WriteOne(DeviceRecord& d, std::string_view text) {
  uint64_t start = (d.kind & kDevSerial) ? ClockMonotonicMs() : 0;
  std::string mapped, out;
  std::string_view shown = text, sent = text;
  if (!(d.kind & kDevPdf) && !GoesAsItIs(text, d.kind & kDevCodes)) {
    mapped.assign(text);
    Unmap(mapped, d.kind & kDevCodes);
    out = DeviceApplyCodesTo(mapped, d.kind & kDevCodes, d.printer_entry);
    shown = mapped;
    sent = out;
  }
  Status s = DeviceWriteRaw(d, sent);
  if (s) return s;
  DeviceTrackText(d, shown);
  DevicePublishPos(d, false);
  if ((d.kind & kDevSerial) && ClockMonotonicMs() - start > kSerialSlowMs) {
    d.status = ErrIncident(kStDeviceTimeout, StrOf(d.name), true);
    return d.status;
  }
  return d.status;
}

}  // namespace

std::string DeviceStripOptions(std::string_view text) { return Trim(text.substr(0, NameEnd(text))); }

uint16_t DeviceOptionNumber(std::string_view text, std::string_view option, uint16_t def) {
  ScratchScope scope;
  StrPair v = StrKeyGetMode(StrOf(text), StrOf(option), kKeyUnquoted);
  std::string s = v.ok() ? Trim(v.view()) : std::string();
  if (s.empty()) return def;
  return static_cast<uint16_t>(std::atoi(s.c_str()));
}

std::string DeviceResolveName(std::string_view name, uint16_t kind) {
  if (kind != 0 && !(kind & (kDevPort | kDevSerial))) return std::string(name);
  ScratchScope scope;
  std::string var = std::string(name) + "$";
  VarRef ref = VarLookup(StrOf(var));
  if (ref.declared() && ref.type == kVarText) {
    StrPair v = VarGetStr(ref.index);
    if (v.ok() && !v.empty()) return v.str();
  }
  return std::string(name);
}

std::string DeviceUnixPrinterFile(std::string_view name) {
  static constexpr std::string_view kNames[] = {"lp0", "lp1", "lp2", "usb0", "usb1", "usb2", "usb3", "usb4"};
  for (std::string_view n : kNames)
    if (name == n) return "unixprn.txt";
  return std::string(name);
}

uint16_t DeviceKindOf(std::string_view name) {
  uint16_t kind;
  std::string_view first = name.substr(0, name.find(' '));
  std::string_view cut = name;
  while (!cut.empty() && static_cast<signed char>(cut.back()) < 58) cut.remove_suffix(1);
  if (name.empty() || first == "CON") {
    kind = kDevCon;
  } else if (cut == "LPT" || cut == "lp" || cut == "usb") {
    kind = kDevCodes | kDevPort | kDevFile;
  } else if (name.size() >= 5 && name.substr(0, 3) == "COM" && name[4] == ':') {
    kind = PrintToFile() ? (kDevCodes | kDevFile) : (kDevCodes | kDevSerial);
  } else {
    std::string ext = LowerExt(name);
    kind = ext == "pdf" ? kDevPdf : kDevFile;
  }
  if (SysVarHas(kVarSysCompat, 128) && (kind & kDevFile) && !(kind & kDevSerial)) {
    if (name == "WINPRN") {
      kind = 0;
    } else if (PrnTestPrinter(DeviceResolveName(name, 0)) == kOk) {
      kind = static_cast<uint16_t>((kind & ~kDevFile) | kDevRaw);
    }
  }
  return static_cast<uint16_t>(kind | kDevAlways);
}

DeviceRecord DeviceOpen(std::string_view text) {
  DeviceRecord d;
  d.name = DeviceStripOptions(text);
  if (d.name.empty()) d.name = "CON";
  d.text = std::string(text);
  d.kind = DeviceKindOf(d.name);
  d.printer_entry = PortEntry(d.name);
  d.page = d.row = d.column = 1;
  {
    ScratchScope scope;
    d.view = DeviceTextIsYes(StrKeyGetMode(StrOf(text), StrOf("VW"), kKeyUnquoted).view()) ? 1 : 0;
  }
  d.step = DeviceOptionNumber(text, "ST", 1);
  d.lines = DeviceOptionNumber(text, "LP", DevicePrnNumber(kPrnFieldLines, d.printer_entry));
  d.width = DeviceOptionNumber(text, "WD", DevicePrnNumber(kPrnFieldWidth, d.printer_entry));
  DeviceOpenChannel(d);
  if (d.status) {
    // A failed open holds nothing; a channel taken on the way is given back.
    if (d.has_channel && (d.kind & kDevPdf)) {
      PdfDevDiscard(d);
    } else if (d.has_channel) {
      DeviceRecord copy = d;
      copy.status = 0;
      DeviceClose(copy);
    }
    d.has_channel = false;
  }
  return d;
}

Status DeviceOpenChannel(DeviceRecord& d) {
  d.channel = 0;
  d.status = 0;
  d.has_channel = false;
  Status s = kOk;
  std::string title;
  {
    ScratchScope scope;
    StrPair t = DynStrGet(sl::kSettings, sl::kTitle);
    title = t.ok() ? t.str() : std::string();
  }
  if (d.kind & kDevFile) {
    s = OpenFileChannel(d);
  } else if (d.kind & kDevCon) {
    s = DeviceOpenConsoleFile(d);
  } else if (d.kind & kDevSerial) {
    uint16_t slot = ComOpenSpec(d.name, false);
    if (slot < kComSlots) {
      d.channel = slot;
      d.has_channel = true;
    } else {
      s = slot;
    }
  } else if (d.kind & kDevPdf) {
    s = PdfDevOpen(d);
  } else if (d.kind & kDevRaw) {
    s = PrnRawOpen(DeviceResolveName(d.name, 0), title);
    d.has_channel = s == kOk;
  } else if (d.kind == kDevAlways) {
    s = PrnGdiOpen(d.text, title);
    d.has_channel = s == kOk;
  }
  d.status = s;
  DevicePublishPos(d, false);
  return d.status;
}

bool DeviceNeedsWrap(const DeviceRecord& d, size_t length) {
  return d.width != 0 && d.column < d.width && d.column + length - 1 > d.width;
}

void DeviceNewLine(DeviceRecord& d) {
  ++d.row;
  d.column = 1;
  if (d.lines != 0 && d.row > d.lines) {
    ++d.page;
    d.row = 1;
  }
}

void DeviceTrackText(DeviceRecord& d, std::string_view text) {
  if (text.empty()) return;
  auto track = [&](std::string_view part) {
    while (!part.empty()) {
      if (DeviceNeedsWrap(d, part.size())) {
        size_t k = static_cast<size_t>(d.width - d.column + 1);
        DeviceNewLine(d);
        part.remove_prefix(k);
      } else {
        d.column = static_cast<uint16_t>(d.column + part.size());
        break;
      }
    }
  };
  for (;;) {
    size_t p = text.find("\r\n");
    if (p == std::string_view::npos) {
      track(text);
      break;
    }
    track(text.substr(0, p));
    DeviceNewLine(d);
    text.remove_prefix(p + 2);
  }
  if (d.width != 0 && d.column > d.width) DeviceWrite(d, "\r\n");
}

namespace {

// A report's file writes go out in pieces of this size.
constexpr size_t kGatherBytes = 256 * 1024;

Status WriteStream(uint16_t channel, std::string_view bytes) {
  StrmCount n = StrmWrite(channel, kStrmHere, bytes.data(), bytes.size());
  return n == static_cast<StrmCount>(bytes.size()) ? kOk : n >= 0 ? static_cast<Status>(n) : kStLowFailure;
}

// Writes out (and forgets) what the stream gathered.
Status WriteGathered(uint16_t channel) {
  auto it = Out().pending.find(channel);
  if (it == Out().pending.end()) return kOk;
  std::string bytes = std::move(it->second);
  Out().pending.erase(it);
  return bytes.empty() ? Status{kOk} : WriteStream(channel, bytes);
}

// Writes out a full piece, keeping its storage for the next one.
Status WritePiece(uint16_t channel, std::string& gathered) {
  Status s = WriteStream(channel, gathered);
  gathered.clear();
  return s;
}

}  // namespace

Status DeviceWrite(DeviceRecord& d, std::string_view text) {
  for (;;) {
    size_t p = text.find("\r\n");
    size_t n = p == std::string_view::npos ? text.size() : p;
    if (!DeviceNeedsWrap(d, n)) return WriteOne(d, text);
    size_t k = static_cast<size_t>(d.width - d.column + 1);
    if (Status s = WriteOne(d, text.substr(0, k))) return s;
    text.remove_prefix(k);
  }
}

Status DeviceWriteRaw(DeviceRecord& d, std::string_view bytes) {
  Status s;
  if (!d.has_channel) {
    s = kStLowFailure;
  } else if (d.kind & kDevCon) {
    s = ReportWinWrite(d, bytes);
  } else if (d.kind & kDevSerial) {
    s = ComWrite(d.channel, bytes);
  } else if (d.kind & kDevPdf) {
    s = PdfDevWrite(d, bytes);
  } else if (d.kind & kDevRaw) {
    s = PrnRawWrite(bytes);
  } else if (d.kind == kDevAlways) {
    s = PrnGdiWrite(bytes);
  } else if (OutputState& out = Out(); out.buffering && (d.kind & (kDevFile | kDevPort)) == kDevFile) {
    std::string& gathered = out.pending[d.channel];
    if (gathered.capacity() < kGatherBytes) gathered.reserve(kGatherBytes + 1024);
    gathered.append(bytes);
    s = gathered.size() >= kGatherBytes ? WritePiece(d.channel, gathered) : kOk;
  } else {
    s = WriteGathered(d.channel);
    if (s == kOk) s = WriteStream(d.channel, bytes);
  }
  d.status = s;
  return s;
}

DeviceBufferScope::DeviceBufferScope() { ++Out().buffering; }

DeviceBufferScope::~DeviceBufferScope() {
  if (--Out().buffering == 0) DeviceFlushAll();
}

Status DeviceFlush(DeviceRecord& d) {
  if (!d.has_channel || !(d.kind & kDevFile)) return kOk;
  Status s = WriteGathered(d.channel);
  if (s) d.status = s;
  return s;
}

Status DeviceFlushAll() {
  Status first = kOk;
  while (!Out().pending.empty()) {
    Status s = WriteGathered(Out().pending.begin()->first);
    if (!first) first = s;
  }
  return first;
}

Status DeviceGotoRowCol(DeviceRecord& d, int row, int column, bool* unpublished) {
  for (;;) {
    if (d.lines != 0 && row > d.lines) {
      row -= d.lines;
    } else if (d.width != 0 && column > d.width) {
      row = d.row + 1;
      column -= d.width;
    } else {
      break;
    }
  }
  if (column <= 0) return d.status;
  auto more_rows = [&]() {
    if (row < 1) return false;  // no row: only the column moves
    return d.lines != 0 ? row != d.row : d.row < row;
  };
  // The line ends go out one by one; the position is published once, after
  // the last that went out (nothing reads it in between).
  bool moved = false;
  while (d.status == kOk && (column < d.column || more_rows())) {
    if (d.kind & kDevSerial) {
      if (DeviceWrite(d, "\r\n")) break;
    } else {
      if (DeviceWriteRaw(d, "\r\n")) break;
      DeviceNewLine(d);
      moved = true;
    }
    if (row < 1) break;
  }
  if (unpublished) *unpublished = moved;
  else if (moved) DevicePublishPos(d, false);
  if (d.status == kOk && d.column < column) DeviceWrite(d, std::string(static_cast<size_t>(column - d.column), ' '));
  return d.status;
}

void DevicePublishPos(DeviceRecord& d, bool read_back) {
  if (read_back) {
    d.lines = static_cast<uint16_t>(SysVarGet(kVarDevHig));
    d.width = static_cast<uint16_t>(SysVarGet(kVarDevWid));
  }
  SysVarSet(kVarDevHig, static_cast<int16_t>(d.lines));
  SysVarSet(kVarDevWid, static_cast<int16_t>(d.width));
  SysVarSet(kVarDevLin, static_cast<int16_t>(d.row));
  SysVarSet(kVarDevPos, static_cast<int16_t>(d.column));
  SysVarSet(kVarDevPag, static_cast<int16_t>(d.page));
}

Status DeviceSendResetCodes(DeviceRecord& d) {
  if (!(d.kind & kDevCodes) || !d.has_channel) return kOk;
  for (uint16_t field : {1, 3, 5, 7, 9}) {
    std::string code = DevicePrnCode(field, d.printer_entry);
    if (code.empty()) continue;
    if (Status s = DeviceWriteRaw(d, code)) return s;
  }
  return kOk;
}

Status DeviceEnd(DeviceRecord& d) {
  if (!d.has_channel) return d.status ? d.status : kOk;
  Status s = DeviceFlush(d);
  if (s) return s;
  if (d.kind & kDevCodes) {
    std::string code = DevicePrnCode(1, d.printer_entry);
    if (!code.empty()) s = DeviceWriteRaw(d, code);
  } else if (d.kind & kDevCon) {
    s = ReportWinShow(d);
  } else if ((d.kind & (kDevFile | kDevPort)) == kDevFile && d.view) {
    if (std::FILE* f = StrmHandle(d.channel)) std::fflush(f);
    ChildViewFile(1, d.name);
  }
  return s;
}

Status DeviceClose(DeviceRecord& d) {
  Status first = DeviceSendResetCodes(d);
  if (d.has_channel) {
    Status s = kOk;
    if (d.kind & (kDevFile | kDevCon)) {
      s = DeviceFlush(d);
      StrmClose(d.channel);
    } else if (d.kind & kDevSerial) {
      ComClose(d.channel);
    } else if (d.kind & kDevPdf) {
      s = PdfDevClose(d);
    } else if (d.kind & kDevRaw) {
      s = PrnRawEnd();
    } else if (d.kind == kDevAlways) {
      s = PrnGdiEnd();
    }
    if (!first) first = s;
  }
  d.has_channel = false;
  d.name.clear();
  return first;
}

}  // namespace eng
