#include "output/printers.h"

#include <string>

#include "core/dec_value.h"
#include "core/err_register.h"
#include "core/str_pair.h"
#include "output/output_state.h"
#include "platform/dlg_print.h"
#include "platform/win_core.h"

namespace eng {

namespace {

int Div(int64_t a, int64_t b) { return static_cast<int>(NumDivRound(a, b)); }

// Pixels of the 600 dpi page to points.
float Pt(int px) { return static_cast<float>(px) * 72.0f / 600.0f; }

// Selects the font of the width code and style bits into the PDF page.
bool SelectFont(PrnGdiState& g) {
  PrnGdiLayout l = PrnGdiLayoutOf(g.horzres, g.vertres);
  int width = PrnGdiFontWidth(g.width_code, l.cell);
  bool bold = g.style & 2, italic = g.style & 4;
  const char* face = bold ? (italic ? "Courier-BoldOblique" : "Courier-Bold") : (italic ? "Courier-Oblique" : "Courier");
  g.font_pt = Pt(l.font_height);
  // Courier advances 0.6 of its size; scale it to the font width.
  g.font_hscale = 100.0f * Pt(width) / (0.6f * g.font_pt);
  g.underline = g.style & 1;
  return g.pdf->SetFont(face, g.font_pt) && g.pdf->SetHorizontalScale(g.font_hscale);
}

Status NewPage(PrnGdiState& g) {
  PrnGdiLayout l = PrnGdiLayoutOf(g.horzres, g.vertres);
  if (!g.pdf->AddPage()) return kStDeviceIo;
  g.y = l.top;
  g.x = l.left;
  return SelectFont(g) ? kOk : Status{kStDeviceIo};
}

}  // namespace

Status PrnTestPrinter(std::string_view name) {
  return OutSpooler().HasPrinter(std::string(name)) ? kOk : Status{kStDataError};
}

Status PrnRawOpen(std::string_view name, std::string_view document) {
  PrnRawState& r = Out().raw;
  if (r.open) return kStDataOutBound;
  std::string printer(name);
  if (printer.empty()) {
    printer = OutSpooler().DefaultPrinter();
    if (printer.empty()) return kStInternal;
  }
  if (!OutSpooler().HasPrinter(printer)) return ErrIncident(kStDataError, StrOf(printer), true);
  r = PrnRawState{};
  r.open = true;
  r.printer = printer;
  r.title = std::string(document);
  return kOk;
}

Status PrnRawWrite(std::string_view bytes) {
  PrnRawState& r = Out().raw;
  if (!r.open) return kStDeviceIo;
  r.data.append(bytes);
  return kOk;
}

Status PrnRawEnd() {
  PrnRawState& r = Out().raw;
  if (!r.open) return kOk;
  std::string error;
  bool ok = OutSpooler().Submit(r.printer, r.title, plat::JobFormat::kRaw, r.data, &error);
  std::string printer = r.printer;
  r = PrnRawState{};
  return ok ? kOk : ErrIncident(kStDeviceIo, StrOf(printer), true);
}

PrnGdiLayout PrnGdiLayoutOf(int horzres, int vertres) {
  PrnGdiLayout l;
  bool portrait = horzres < vertres;
  l.lines = portrait ? 64 : 36;
  l.line_height = Div(Div(int64_t{vertres} * 92, 100), l.lines);
  l.left = Div(int64_t{vertres} * 4, 100);
  l.top = Div(int64_t{vertres} * 5, 100);
  l.page_break = Div(int64_t{vertres} * 97, 100);
  l.cell = Div(int64_t{horzres} * 175, portrait ? 8000 : 13600);
  l.font_height = Div((l.cell & 0xFF) * 3, 4);
  return l;
}

int PrnGdiFontWidth(int width_code, int cell) {
  if (width_code == 0 || width_code == 0xFF) width_code = cell;
  return (width_code >> 1) & 0x7F;
}

Status PrnGdiOpen(std::string_view device_text, std::string_view document) {
  OutputState& o = Out();
  PrnGdiState& g = o.gdi;
  if (g.open) return kStDataOutBound;
  std::vector<std::string> printers = OutSpooler().Printers();
  std::string printer;
  if (o.config.win) {
    plat::PrintDlgRequest req;
    req.printers = printers;
    req.owner = o.config.win->Active();
    int i = plat::RunPrintDialog(*o.config.win, req);
    if (i < 0 || static_cast<size_t>(i) >= printers.size()) return kStCancelled;
    printer = printers[static_cast<size_t>(i)];
  } else {
    printer = OutSpooler().DefaultPrinter();
    if (printer.empty()) return kStCancelled;
  }
  g = PrnGdiState{};
  g.printer = printer;
  g.title = std::string(document);
  g.horzres = o.config.gdi_horzres;
  g.vertres = o.config.gdi_vertres;
  if (device_text.find("/LANDSCAPE") != std::string_view::npos) std::swap(g.horzres, g.vertres);
  if (!g.pdf->Create()) return kStDeviceIo;
  g.open = true;
  return kOk;
}

Status PrnGdiWrite(std::string_view text) {
  PrnGdiState& g = Out().gdi;
  if (!g.open) return kStDeviceIo;
  PrnGdiLayout l = PrnGdiLayoutOf(g.horzres, g.vertres);
  while (!text.empty()) {
    if (g.y == 0 || g.y > l.page_break) {
      if (Status s = NewPage(g)) return s;
    }
    // Font codes at the start of the line.
    bool found = false;
    size_t i = 0;
    for (; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == 0x0F) g.width_code = 0x40;
      else if (c == 0x12 || c == 0x14) g.width_code = 0;
      else if (c == 0x0E) g.width_code = 0xD0;
      else if (c == 0x10) g.style |= 1;
      else if (c == 0x1C) g.style |= 2;
      else if (c == 0x1E) g.style |= 4;
      else if (c == 0x11 || c == 0x1D || c == 0x1F) {
      } else break;
      found = true;
    }
    text.remove_prefix(i);
    if (found && !SelectFont(g)) return kStDeviceIo;
    size_t end = text.find("\r\n");
    std::string_view line = text.substr(0, end);
    if (!line.empty()) {
      float x = Pt(g.x), y = Pt(g.vertres) - Pt(g.y + l.font_height);
      if (!g.pdf->BeginText(x, y) || !g.pdf->ShowText(line) || !g.pdf->EndText()) return kStDeviceIo;
      int advance = static_cast<int>(line.size()) * PrnGdiFontWidth(g.width_code, l.cell);
      if (g.underline && !g.pdf->Line(x, y - 1, Pt(g.x + advance), y - 1)) return kStDeviceIo;
      g.x += advance;
    }
    if (end == std::string_view::npos) break;
    g.y += l.line_height;
    g.x = l.left;
    g.width_code = 0xFF;
    g.style = 0;
    text.remove_prefix(end + 2);
  }
  return kOk;
}

Status PrnGdiEnd() {
  PrnGdiState& g = Out().gdi;
  if (!g.open) return kOk;
  std::string pdf, error;
  bool ok = g.pdf->SaveToMemory(pdf) &&
            OutSpooler().Submit(g.printer, g.title, plat::JobFormat::kPdf, pdf, &error);
  std::string printer = g.printer;
  g.pdf->Free();
  g = PrnGdiState{};
  return ok ? kOk : ErrIncident(kStDeviceIo, StrOf(printer), true);
}

}  // namespace eng
