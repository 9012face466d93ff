// The PDF device: pages of the library's default size (A4 portrait), a
// header image at the top of every page ("pdf_header.png" in the application
// folders, or the report's own image in list 9 element 3), the lines in
// Courier (code page 1252) 10 points apart from (80, page height - 80). The
// text keeps its control characters; a size code (0F 6 pt, 12 and 14 10 pt,
// 0E 14 pt) at the start of a text sets the size of that line, at the end of
// a line the size of the lines after it. A page starts when the device's row
// goes back (the device layer counts pages) and also when the next line would
// fall below the page's bottom edge. Text left after the last line end is
// shown when the document closes. Every libHaru failure gives 172 with its
// error number as incident text; a save that fails gives 131 and leaves no
// file under the name.
#include <algorithm>
#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/folders.h"
#include "core/path_resolve.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "output/channels.h"
#include "output/child_programs.h"
#include "output/output_state.h"

namespace eng {

namespace {

constexpr size_t kPendingMax = 384;
constexpr float kMargin = 80;
constexpr float kLineStep = 10;

PdfDevSlot* SlotOf(const DeviceRecord& d) {
  if (!d.has_channel || d.channel >= kPdfSlots) return nullptr;
  PdfDevSlot& s = Out().pdf[d.channel];
  return s.used ? &s : nullptr;
}

float SizeOf(char c) {
  switch (c) {
    case 0x0F: return 6;
    case 0x0E: return 14;
    case 0x12:
    case 0x14: return 10;
    default: return 0;
  }
}

std::string ReportImage() {
  StrPair t = DynStrGet(sl::kWork, sl::kPdfHeaderImage);
  return t.ok() ? t.str() : std::string();
}

// The header image of a new page, as a path to draw: the report's own image,
// else pdf_header.png of the application folders. The answer is kept for the
// document's later pages while the report's own image stays the same.
std::string HeaderImage(PdfDevSlot& s) {
  std::string own = ReportImage();
  if (!s.image_path.empty() && s.image_for == own) return s.image_path;
  std::string image = own;
  if (image.empty()) {
    ScratchScope scope;
    StrPair found = PathFindFile(DynStrGet(sl::kSettings, sl::kAppFolder), StrOf("pdf_header.png"));
    if (found.ok()) image = found.str();
  }
  if (image.empty()) return {};
  ResolvedPath rp = PathResolve(image);
  s.image_for = std::move(own);
  s.image_path = rp.status ? image : rp.path;
  return s.image_path;
}

Status LibFailure(const PdfWriter& w) {
  return ErrIncident(kStDeviceIo, StrOf(std::to_string(w.error())), true);
}

Status NewPage(PdfDevSlot& s) {
  std::string image = HeaderImage(s);
  if (image.empty()) return ErrIncident(kStFileNotFound, StrOf("pdf_header.png"), true);
  if (!s.doc.AddPage()) return LibFailure(s.doc);
  float h = s.doc.PageHeight();
  if (s.doc.DrawImage(image, 0, h) <= 0) return LibFailure(s.doc);
  if (!s.doc.BeginText(kMargin, h - kMargin) || !s.doc.SetFont("Courier", s.size)) return LibFailure(s.doc);
  s.y = h - kMargin;
  return kOk;
}

Status SetSize(PdfDevSlot& s, float size) {
  s.size = size;
  return s.doc.SetFont("Courier", size) ? kOk : LibFailure(s.doc);
}

Status ShowLine(PdfDevSlot& s, std::string_view line) {
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  float after = 0;
  if (!line.empty() && SizeOf(line.back())) {
    after = SizeOf(line.back());
    line.remove_suffix(1);
  }
  if (s.y < kLineStep) {
    if (Status st = NewPage(s)) return st;
  }
  if (!s.doc.ShowText(line)) return LibFailure(s.doc);
  if (after) {
    if (Status st = SetSize(s, after)) return st;
  }
  if (!s.doc.MoveText(0, -kLineStep)) return LibFailure(s.doc);
  s.y -= kLineStep;
  return kOk;
}

bool OnlySeparator(std::string_view text) {
  if (text.find('=') == std::string_view::npos) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c == '=' || c == ' ' || c == '\r' || c == '\n'; });
}

}  // namespace

Status PdfDevOpen(DeviceRecord& d) {
  OutputState& o = Out();
  uint16_t slot = 0;
  while (slot < kPdfSlots && o.pdf[slot].used) ++slot;
  if (slot == kPdfSlots) return kStOutOfMemory;
  PdfDevSlot& s = o.pdf[slot];
  if (!s.doc.Create()) return kStLowFailure;
  s.used = true;
  s.pending.clear();
  s.image_for.clear();
  s.image_path.clear();
  s.size = 10;
  d.channel = slot;
  d.has_channel = true;
  Status st = NewPage(s);
  s.row = d.row;
  s.column = d.column;
  return st;
}

Status PdfDevWrite(DeviceRecord& d, std::string_view text) {
  PdfDevSlot* s = SlotOf(d);
  if (!s) return kStDeviceIo;
  if (OnlySeparator(text)) {
    StrPair own = DynStrGet(sl::kWork, sl::kPdfHeaderImage);
    if (own.ok() && !own.empty()) return kOk;
  }
  if (!text.empty() && SizeOf(text.front())) {
    if (Status st = SetSize(*s, SizeOf(text.front()))) return st;
    text.remove_prefix(1);
  }
  if (d.row < s->row || (d.row == s->row && d.column < s->column)) {
    if (Status st = NewPage(*s)) return st;
  }
  s->row = d.row;
  s->column = d.column;
  for (;;) {
    size_t end = text.find("\r\n");
    if (end == std::string_view::npos) {
      s->pending.append(text.substr(0, kPendingMax - std::min(kPendingMax, s->pending.size())));
      return kOk;
    }
    // The line is gathered in the pending text, whose room stays for the next.
    s->pending.append(text.substr(0, end));
    Status st = ShowLine(*s, s->pending);
    s->pending.clear();
    if (st) return st;
    text.remove_prefix(end + 2);
    if (text.empty()) return kOk;
  }
}

void PdfDevDiscard(DeviceRecord& d) {
  if (PdfDevSlot* s = SlotOf(d)) {
    s->doc.Free();
    s->used = false;
    s->pending.clear();
  }
  d.has_channel = false;
}

Status PdfDevClose(DeviceRecord& d) {
  PdfDevSlot* s = SlotOf(d);
  if (!s) return kOk;
  Status st = kOk;
  if (!s->pending.empty()) st = ShowLine(*s, s->pending);
  if (!st) {
    ResolvedPath rp = PathResolve(d.name);
    if (rp.status || !s->doc.Save(rp.path)) st = ErrIncident(kStFileIo, StrOf(d.name), true);
  }
  s->doc.Free();
  s->used = false;
  s->pending.clear();
  DynStrSet(sl::kWork, sl::kPdfHeaderImage, StrPair{});
  if (!st && d.view) ChildViewFile(3, d.name);
  return st;
}

}  // namespace eng
