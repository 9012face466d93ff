// Printers through the spooler (platform/print_spooler.h). Two kinds of job,
// one of each at a time (a second job of a kind while one is open is refused
// with 168 and the open one is left alone):
//   raw: the bytes go to the printer unchanged, handed over when the job ends;
//   drawn ("WINPRN"): the text is laid out on a page of the printer's
//   resolution (A4 at 600 dpi) and drawn into a PDF for the spooler. Font
//   codes at the start of a line set width and style; lines go down by the
//   line height and a new page starts past 97 % of the page.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/status.h"

namespace eng {

// 0 when the spooler knows the printer, else 163.
Status PrnTestPrinter(std::string_view name);
// An empty name takes the default printer (141 when there is none); 163 (the
// name as incident text) for an unknown printer.
Status PrnRawOpen(std::string_view name, std::string_view document);
Status PrnRawWrite(std::string_view bytes);
// Hands the job to the spooler: 172 when it is refused.
Status PrnRawEnd();

struct PrnGdiLayout {
  int lines = 0;        // per page
  int line_height = 0;
  int left = 0;         // x of a line start
  int top = 0;          // y of the first line
  int page_break = 0;   // a new page once y lies beyond this
  int cell = 0;         // default cell width
  int font_height = 0;
};
PrnGdiLayout PrnGdiLayoutOf(int horzres, int vertres);
// The font width of a width code: half the code in 7 bits (0 and 0xFF stand
// for the default cell width).
int PrnGdiFontWidth(int width_code, int cell);

// Asks for the printer (the print dialog, or the default printer without a
// window system); 122 when cancelled. "/LANDSCAPE" in the device text turns the page.
Status PrnGdiOpen(std::string_view device_text, std::string_view document);
Status PrnGdiWrite(std::string_view bytes);
// Ends the page and the document and hands the PDF to the spooler: 172 when refused.
Status PrnGdiEnd();

}  // namespace eng
