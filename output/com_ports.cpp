#include "output/com_ports.h"

#include <cctype>

#include "core/clock.h"
#include "core/err_register.h"
#include "core/scratch_arena.h"
#include "core/var_store.h"
#include "output/output_state.h"
#include "platform/serial_port.h"
#include "platform/win_core.h"

namespace eng {

namespace {

constexpr std::string_view kParities = "EMNOS";

ComPortSlot* Open(uint16_t slot) {
  if (slot >= kComSlots) return nullptr;
  ComPortSlot& s = Out().com[slot];
  return s.fd >= 0 ? &s : nullptr;
}

std::string Item(std::string_view list, int n) {
  size_t start = 0;
  for (int i = 1; i < n; ++i) {
    size_t c = list.find(',', start);
    if (c == std::string_view::npos) return {};
    start = c + 1;
  }
  size_t end = list.find(',', start);
  std::string_view v = list.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
  size_t a = v.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(v.substr(a, v.find_last_not_of(' ') - a + 1));
}

}  // namespace

std::string ComPortPath(std::string_view name) {
  int n = name.size() > 3 && std::isdigit(static_cast<unsigned char>(name[3])) ? name[3] - '0' : 0;
  std::string var = "COM" + std::to_string(n) + "$";
  {
    ScratchScope scope;
    VarRef ref = VarLookup(StrOf(var));
    if (ref.declared() && ref.type == kVarText) {
      StrPair v = VarGetStr(ref.index);
      if (v.ok() && !v.empty()) return v.str();
    }
  }
  auto it = Out().config.com_paths.find(n);
  if (it != Out().config.com_paths.end()) return it->second;
  return "/dev/ttyS" + std::to_string(n > 0 ? n - 1 : 0);
}

bool ComParseSpec(std::string_view text, ComSpec& out) {
  size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon + 1 >= text.size()) return false;
  std::string_view items = text.substr(colon + 1);
  std::string second = Item(items, 2), third = Item(items, 3), stop = Item(items, 4);
  // Either order of data bits and parity: a letter second is the parity.
  std::string data = second, parity = third;
  if (!second.empty() && std::isalpha(static_cast<unsigned char>(second[0]))) std::swap(data, parity);
  char letter = parity.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(parity[0])));
  size_t index = letter ? kParities.find(letter) : std::string_view::npos;
  out.name = std::string(text.substr(0, colon + 1));
  out.speed = std::atoi(Item(items, 1).c_str());
  out.data_bits = data.empty() ? 0 : data[0] - '0';
  out.parity_index = index == std::string_view::npos ? 0xFFFF : static_cast<uint16_t>(index);
  out.stop_bits = stop.empty() ? 0 : stop[0] - '0';
  return true;
}

uint16_t ComOpenSpec(std::string_view text, bool overlapped) {
  ComSpec spec;
  if (!ComParseSpec(text, spec)) return kStLowFailure;
  return ComOpen(spec.name, spec.speed, spec.data_bits, spec.parity_index, spec.stop_bits, overlapped);
}

uint16_t ComOpen(std::string_view name, int speed, int data_bits, uint16_t parity_index, int stop_bits,
                 bool /*overlapped*/) {
  OutputState& o = Out();
  uint16_t slot = 0;
  while (slot < kComSlots && o.com[slot].fd >= 0) ++slot;
  if (slot == kComSlots) return kStLowFailure;
  int fd = plat::SerialOpen(ComPortPath(name));
  if (fd < 0) return ErrIncident(kStDeviceTimeout, StrOf(name), true);
  plat::SerialSettings s;
  s.speed = speed;
  s.data_bits = data_bits;
  s.parity = parity_index < kParities.size() ? kParities[parity_index] : '?';
  s.stop_bits = stop_bits == 2 ? 2 : 1;
  if (!plat::SerialConfigure(fd, s)) {
    plat::SerialClose(fd);
    return kStLowFailure;
  }
  o.com[slot].fd = fd;
  o.com[slot].name = std::string(name);
  o.com[slot].window = plat::kNoWindow;
  o.com[slot].errors = plat::SerialErrorCount(fd);
  return slot;
}

void ComClose(uint16_t slot) {
  ComPortSlot* s = Open(slot);
  if (!s) return;
  if (s->window != plat::kNoWindow && Out().config.win) Out().config.win->KillTimer(s->window, slot);
  plat::SerialClose(s->fd);
  *s = ComPortSlot{};
}

Status ComRead(uint16_t slot, uint16_t n, std::string* out) {
  ComPortSlot* s = Open(slot);
  if (!s) return kStLowFailure;
  size_t want = n == kComReadWaiting ? kComReadMax : n;
  std::string buf(want, '\0');
  long got = plat::SerialReadNow(s->fd, buf.data(), want);
  if (got <= 0 || (n != kComReadWaiting && static_cast<size_t>(got) != want)) return kStLowFailure;
  buf.resize(static_cast<size_t>(got));
  ScratchText(buf);
  if (out) *out = std::move(buf);
  return kOk;
}

std::string ComReadQuiet(uint16_t slot) {
  std::string text;
  uint64_t last = ClockMonotonicMs();
  for (;;) {
    std::string piece;
    {
      ScratchScope scope;
      if (ComRead(slot, kComReadWaiting, &piece) == kOk) {
        text += piece;
        last = ClockMonotonicMs();
      }
    }
    if (text.empty()) break;
    if (ClockMonotonicMs() - last >= 5) break;
    ClockSleepMs(1);
  }
  return text;
}

Status ComWrite(uint16_t slot, std::string_view bytes) {
  ComPortSlot* s = Open(slot);
  if (!s) return kStLowFailure;
  size_t done = plat::SerialWrite(s->fd, bytes.data(), bytes.size(), static_cast<int>(Out().config.serial_chunk_ms));
  return done == bytes.size() ? kOk : Status{kStDeviceIo};
}

Status ComStartPolling(plat::Hwnd window, uint16_t slot) {
  ComPortSlot* s = Open(slot);
  plat::WinSystem* ws = Out().config.win;
  if (!s || !ws) return kStLowFailure;
  s->window = window;
  ws->SetTimer(window, slot, kComPollMs, [slot](plat::WinSystem&, plat::Hwnd, int) { ComPollTimer(slot); });
  return kOk;
}

void ComPollTimer(uint16_t slot) {
  ComPortSlot* s = Open(slot);
  plat::WinSystem* ws = Out().config.win;
  if (!s || !ws) return;
  uint32_t errors = plat::SerialErrorCount(s->fd);
  bool clean = errors == s->errors;
  s->errors = errors;
  int waiting = plat::SerialWaiting(s->fd);
  if (clean && waiting > 0) ws->Post(s->window, kComDataMessage, slot, waiting);
}

}  // namespace eng
