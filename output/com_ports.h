// Serial ports: 4 slots (0-3). A port text is "COM", the port's number, ":"
// and four comma items: speed, data bits, parity letter (E M N O S, either
// case), stop bits ("COM1:9600,8,N,1"); the order with the parity second
// ("COM1:9600,N,8,1", as the device dialog writes it) is read as well: an
// item 2 that starts with a letter is the parity. COMn is the device path in
// the string variable COMn$ when set, else the configured path, else
// /dev/ttyS(n-1). Ports are opened exclusively, raw, without flow control;
// reads return at once with what is waiting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"
#include "platform/win_types.h"

namespace eng {

inline constexpr uint32_t kComDataMessage = 0x88E0;
inline constexpr uint32_t kComPollMs = 350;
inline constexpr uint16_t kComReadMax = 384;
inline constexpr uint16_t kComReadWaiting = 0xFFFF;

struct ComSpec {
  std::string name;  // "COMn:"
  int speed = 0, data_bits = 0, stop_bits = 0;
  uint16_t parity_index = 0xFFFF;  // in "EMNOS"; 0xFFFF for another letter
};
// Reads a port text; false without ":" or with nothing after it.
bool ComParseSpec(std::string_view text, ComSpec& out);
// The slot, or 0xFFFF (no ":" or nothing after it, no free slot, settings
// refused), or 171 (the port does not open; the name as incident text).
uint16_t ComOpenSpec(std::string_view text, bool overlapped);
uint16_t ComOpen(std::string_view name, int speed, int data_bits, uint16_t parity_index, int stop_bits,
                 bool overlapped);
// The device path of a port name "COMn:".
std::string ComPortPath(std::string_view name);
void ComClose(uint16_t slot);
// One read: n = 0xFFFF takes what is waiting (at most 384 bytes), another n
// exactly n bytes. 0 with the bytes in out (and as the newest scratch entry);
// 0xFFFF when nothing, or not exactly n bytes, came.
Status ComRead(uint16_t slot, uint16_t n, std::string* out);
// Reads until 5 ms pass without new data; empty when nothing is waiting.
std::string ComReadQuiet(uint16_t slot);
// Writes every byte; 172 when the port stopped taking them.
Status ComWrite(uint16_t slot, std::string_view bytes);
// Posts kComDataMessage (slot, bytes waiting) to the window every 350 ms
// while input waits and the line reports no errors. 0xFFFF for a slot that is not open.
Status ComStartPolling(plat::Hwnd window, uint16_t slot);
void ComPollTimer(uint16_t slot);

}  // namespace eng
