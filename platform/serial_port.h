// Serial ports on termios: open a device path exclusively, set the line
// (speed, data bits, parity, stop bits) in raw mode without flow control,
// read what is waiting without blocking, write with a time limit per chunk,
// count the bytes waiting and the line errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <termios.h>

namespace plat {

struct SerialSettings {
  int speed = 9600;
  int data_bits = 8;   // 5-8
  char parity = 'N';   // E, M, N, O or S
  int stop_bits = 1;   // 1 or 2
};

// The descriptor, or -1 when the path does not open or is not a terminal.
int SerialOpen(const std::string& path);
void SerialClose(int fd);
// Raw mode, no flow control, reads return at once (VMIN 0, VTIME 0), DTR on
// and RTS off, pending input and output dropped. False when the line refuses
// the settings: a speed that is not a standard one, data bits outside 5-8, an
// unknown parity letter or stop bits other than 1 and 2.
bool SerialConfigure(int fd, const SerialSettings& s);
// The line settings put into a terminal record (raw mode, no flow control,
// reads returning at once); false for settings the line refuses.
bool SerialApplySettings(termios& t, const SerialSettings& s);
// The settings of a terminal record, and of an open line. (Pseudo-terminals
// keep only the speed and the stop bits.)
SerialSettings SerialSettingsOf(const termios& t);
bool SerialReadSettings(int fd, SerialSettings& out);
// Bytes waiting to be read; -1 on failure.
int SerialWaiting(int fd);
// Reads at most n bytes of what is waiting: the count, 0 when nothing is, -1 on failure.
long SerialReadNow(int fd, char* buf, size_t n);
// Writes the bytes; each time the line takes nothing it waits at most
// chunk_ms for room. The count written (less than n when it stalled or failed).
size_t SerialWrite(int fd, const char* bytes, size_t n, int chunk_ms);
// The sum of the line's error counters (overrun, parity, framing, break);
// 0 where the driver keeps none.
uint32_t SerialErrorCount(int fd);

}  // namespace plat
