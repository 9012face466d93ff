// The output layer's program-wide state: the 4 serial port slots, the 8 PDF
// document slots, the raw and the drawn printer job, and the settings that
// stand in for the machine's configuration (paths of COMn and LPTn, the
// viewer programs, the spooler, the window system and its window stack).
// It lives in the core runtime context, so a fresh runtime starts with every
// channel closed; Out() makes it on first use.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/status.h"

#include "output/pdf_writer.h"
#include "output/prn_codes.h"
#include "platform/print_spooler.h"
#include "platform/win_types.h"

namespace plat {
class WinSystem;
}

namespace eng {

inline constexpr uint16_t kComSlots = 4;
inline constexpr uint16_t kPdfSlots = 8;

struct ComPortSlot {
  int fd = -1;  // free while -1
  plat::Hwnd window = plat::kNoWindow;
  std::string name;
  uint32_t errors = 0;  // the line's error count at the last poll
};

struct PdfDevSlot {
  bool used = false;
  PdfWriter doc;
  std::string pending;  // text written since the last line end (at most 384 bytes)
  uint16_t row = 0, column = 0;
  float size = 10;      // the font size in effect
  float y = 0;          // the baseline of the next line
  bool image_used = false;  // the report's own header image (list 9 element 3) is in use
  // The header image drawn on the last new page: the report's own image text
  // it came from (empty: pdf_header.png of the application folders) and the
  // file's resolved path, so later pages need no search of the folders.
  std::string image_for, image_path;
};

// The drawn (GDI) printer job: pages drawn into a PDF for the spooler.
struct PrnGdiState {
  bool open = false;
  std::string printer, title;
  int horzres = 0, vertres = 0;
  int y = 0, x = 0;  // pixels; y 0: no page open
  int width_code = 0xFF, style = 0;
  std::shared_ptr<PdfWriter> pdf = std::make_shared<PdfWriter>();
  float font_pt = 0, font_hscale = 100;
  bool underline = false;
};

struct PrnRawState {
  bool open = false;
  std::string printer, title, data;
};

// The window stack of the window manager, as the report viewer needs it. The
// window layer installs its own; without one the viewer uses the window
// system's active window as its owner and a loop of its own.
class ViewerWindowHost {
 public:
  virtual ~ViewerWindowHost() = default;
  virtual plat::Hwnd TopWindow() = 0;
  virtual void Push(plat::Hwnd h) = 0;
  virtual void Remove(plat::Hwnd h) = 0;
  // Runs messages until the window is gone.
  virtual void ModalLoop(plat::Hwnd h) = 0;
  // A dialog the output layer builds itself (the device dialog) as an engine
  // window: OpenScreen sets the grid to the definition line's columns and
  // rows with the given margins, puts the window on top of the stack and
  // opens the line's screen record on it, which becomes the current window
  // record; a failure leaves everything as it was. CloseScreen, once the
  // window is gone, closes that record, takes the window off the stack and
  // puts back the window record that was current and the grid as they were.
  // Without a window layer both do nothing.
  virtual Status OpenScreen(plat::Hwnd, std::string_view /*definition*/, int /*left*/, int /*top*/,
                            int /*bottom*/) {
    return kOk;
  }
  virtual void CloseScreen(plat::Hwnd) {}
};

struct OutputConfig {
  std::map<int, std::string> com_paths;  // COMn -> device path (default /dev/ttyS(n-1))
  std::map<int, std::string> lpt_paths;  // LPTn -> device path (default /dev/lp(n-1))
  std::array<std::string, 6> viewers;    // viewer n (1-5) -> program; empty: xdg-open
  std::string viewer_default = "xdg-open";
  uint32_t child_limit_ms = 0;           // time limit of piped child programs (0: none)
  uint32_t serial_chunk_ms = 100;        // a serial write waits this long for room
  plat::PrintSpooler* spooler = nullptr; // null: the machine's CUPS spooler
  plat::WinSystem* win = nullptr;        // the window system of the viewer
  ViewerWindowHost* host = nullptr;
  LptFormRunner lpt_forms = nullptr;
  Status (*device_asker)(std::string& text) = nullptr;  // the device dialog    // the accept forms of the Lpt Config editor
  int gdi_horzres = 4960, gdi_vertres = 7016;  // the drawn page: A4 at 600 dpi
};

struct OutputState {
  OutputConfig config;
  int buffering = 0;                        // report runs in progress (file writes gathered)
  std::map<uint16_t, std::string> pending;  // stream number -> bytes gathered, not yet written
  std::array<ComPortSlot, kComSlots> com;
  std::array<PdfDevSlot, kPdfSlots> pdf;
  PrnRawState raw;
  PrnGdiState gdi;
  std::unique_ptr<plat::PrintSpooler> cups;
  ~OutputState();
};

OutputState& Out();
// The spooler in use: the configured one, else the machine's.
plat::PrintSpooler& OutSpooler();

}  // namespace eng
