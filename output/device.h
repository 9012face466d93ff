// The device layer: every printed output goes through it. A device text
// names the device and may carry the options /LP:n (lines per page), /WD:n
// (width), /ST:n (line step) and /VW:S (show the output when it ends). The
// layer classifies the name into a kind, opens the channel of the kind (a
// file or printer port through the stream table, the report viewer's
// temporary file, a serial port, a PDF document, a printer job), keeps the
// position on the page and publishes it to _DEVHIG, _DEVWID, _DEVLIN,
// _DEVPOS and _DEVPAG, and translates the printer control characters.
//
// The record is a plain value that callers copy; what its channel opened
// belongs to the device until DeviceClose. A record whose open failed holds
// no channel: closing it releases nothing, and it must not be written to.
//
// Names: an empty name is "CON"; "LPT1"-"LPT6" take the codes of their entry
// (other port names the built-in one); on Linux a port name maps to the
// string variable LPTn$ when set, else to the configured path (default
// /dev/lp(n-1)), which must exist. The option markers end the name only when
// followed by ":", "=", a blank or the end, so Linux paths holding "/ST" stay
// whole; "/LANDSCAPE" ends the name as well (the drawn printer reads it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"

namespace eng {

enum DeviceKindBits : uint16_t {
  kDevFile = 0x01,
  kDevCon = 0x02,
  kDevPort = 0x04,
  kDevSerial = 0x08,
  kDevRaw = 0x10,
  kDevPdf = 0x20,
  kDevCodes = 0x40,
  kDevAlways = 0x80,  // alone: the drawn printer "WINPRN"
};

struct DeviceRecord {
  uint16_t kind = 0;
  uint16_t channel = 0;        // stream number, serial slot or PDF slot
  uint16_t printer_entry = 0;  // 1-6 for LPT1-LPT6
  Status status = 0;
  uint16_t lines = 0;          // lines per page; 0 no paging
  uint16_t width = 0;          // columns; 0 no wrapping
  uint16_t step = 1;
  uint8_t view = 0;
  uint16_t page = 1, row = 1, column = 1;
  std::string name;            // without options
  std::string text;            // the whole device text (the drawn printer reads its options)
  bool has_channel = false;
};

// While a report runs (DeviceBufferScope), the writes of file devices are
// gathered per stream and written in large pieces: one system call per piece
// instead of one per line. What is gathered goes out when a piece is full,
// before the device ends or closes, before a child program starts, and when
// the outermost run ends; a failed write is the device's status.
class DeviceBufferScope {
 public:
  DeviceBufferScope();
  ~DeviceBufferScope();
  DeviceBufferScope(const DeviceBufferScope&) = delete;
  DeviceBufferScope& operator=(const DeviceBufferScope&) = delete;
};
// Writes out what the device's stream gathered: 0, or the device's failure.
Status DeviceFlush(DeviceRecord& d);
// Writes out what every stream gathered: the first failure, or 0.
Status DeviceFlushAll();

DeviceRecord DeviceOpen(std::string_view text);
Status DeviceOpenChannel(DeviceRecord& d);
uint16_t DeviceKindOf(std::string_view name);
std::string DeviceStripOptions(std::string_view text);
uint16_t DeviceOptionNumber(std::string_view text, std::string_view option, uint16_t def);
std::string DeviceResolveName(std::string_view name, uint16_t kind);
std::string DeviceUnixPrinterFile(std::string_view name);

Status DeviceWrite(DeviceRecord& d, std::string_view text);
Status DeviceWriteRaw(DeviceRecord& d, std::string_view bytes);
// Rows below 1 set no row (only the column moves). With `unpublished` the
// position the line ends moved to is not published; *unpublished tells
// whether it is owed (the caller publishes it before anything can read it).
Status DeviceGotoRowCol(DeviceRecord& d, int row, int column, bool* unpublished = nullptr);
void DeviceNewLine(DeviceRecord& d);
void DeviceTrackText(DeviceRecord& d, std::string_view text);
bool DeviceNeedsWrap(const DeviceRecord& d, size_t length);
void DevicePublishPos(DeviceRecord& d, bool read_back);
Status DeviceSendResetCodes(DeviceRecord& d);
// Finishes output: condensed off on code devices, the viewer for CON, the
// text editor for a file with /VW (after a flush).
Status DeviceEnd(DeviceRecord& d);
// Reset codes, then the channel released; the first non-zero status of both.
Status DeviceClose(DeviceRecord& d);

}  // namespace eng
