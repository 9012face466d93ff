#include "output/pdf_writer.h"

#include <hpdf.h>
#include <hpdf_utils.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>

namespace eng {

namespace {
HPDF_Doc Doc(void* p) { return static_cast<HPDF_Doc>(p); }
HPDF_Page Page(void* p) { return static_cast<HPDF_Page>(p); }

// The page's content stream while a text object with a font is open: the
// state in which libHaru's ShowText and MoveTextPos write to it and change
// nothing else that this writer reads. Null otherwise: the call then goes
// through libHaru, which reports the fault.
HPDF_Stream TextStream(HPDF_Page page) {
  auto attr = static_cast<HPDF_PageAttr>(page->attr);
  if (!(attr->gmode & HPDF_GMODE_TEXT_OBJECT) || !attr->gstate || !attr->gstate->font) return nullptr;
  return attr->stream;
}

// The bytes libHaru writes in a literal string as a backslash and three octal digits.
constexpr std::array<bool, 256> kEscape = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = HPDF_NEEDS_ESCAPE(c);
  return t;
}();
}  // namespace

PdfWriter::~PdfWriter() { Free(); }

void PdfWriter::Free() {
  if (doc_) HPDF_Free(Doc(doc_));
  doc_ = nullptr;
  page_ = nullptr;
  text_open_ = false;
  images_.clear();
  widths_font_ = nullptr;
}

bool PdfWriter::Create() {
  Free();
  error_ = 0;
  doc_ = HPDF_New(nullptr, nullptr);
  if (!doc_) return false;
  HPDF_SetCompressionMode(Doc(doc_), HPDF_COMP_ALL);
  return Check();
}

bool PdfWriter::ok() const { return doc_ && error_ == 0; }
unsigned long PdfWriter::error() const { return error_; }

bool PdfWriter::Check() {
  if (!doc_) {
    if (!error_) error_ = HPDF_INVALID_DOCUMENT;
    return false;
  }
  if (error_) return false;
  HPDF_STATUS e = HPDF_GetError(Doc(doc_));
  if (e != HPDF_OK) error_ = e;
  return error_ == 0;
}

bool PdfWriter::AddPage() {
  if (!ok()) return false;
  if (text_open_ && !EndText()) return false;
  page_ = HPDF_AddPage(Doc(doc_));
  if (!page_) Check();
  return Check() && page_;
}

float PdfWriter::PageHeight() const { return page_ ? HPDF_Page_GetHeight(Page(page_)) : 0; }

float PdfWriter::DrawImage(const std::string& png_path, float x, float top) {
  if (!ok() || !page_) return 0;
  HPDF_Image img = nullptr;
  auto it = images_.find(png_path);
  if (it != images_.end()) {
    img = static_cast<HPDF_Image>(it->second);
  } else {
    img = HPDF_LoadPngImageFromFile(Doc(doc_), png_path.c_str());
    if (!img || !Check()) {
      Check();
      if (!error_) error_ = HPDF_INVALID_PNG_IMAGE;
      return 0;
    }
    images_[png_path] = img;
  }
  float w = static_cast<float>(HPDF_Image_GetWidth(img));
  float h = static_cast<float>(HPDF_Image_GetHeight(img));
  HPDF_Page_DrawImage(Page(page_), img, x, top - h, w, h);
  return Check() ? h : 0;
}

bool PdfWriter::BeginText(float x, float y) {
  if (!ok() || !page_) return false;
  HPDF_Page_BeginText(Page(page_));
  if (!Check()) return false;
  text_open_ = true;
  HPDF_Page_MoveTextPos(Page(page_), x, y);
  return Check();
}

bool PdfWriter::EndText() {
  if (!page_ || !text_open_) return ok();
  text_open_ = false;
  HPDF_Page_EndText(Page(page_));
  return Check();
}

bool PdfWriter::SetFont(const char* face, float size) {
  if (!ok() || !page_) return false;
  HPDF_Font font = HPDF_GetFont(Doc(doc_), face, "WinAnsiEncoding");
  if (!font || !Check()) return Check(), false;
  HPDF_Page_SetFontAndSize(Page(page_), font, size);
  return Check();
}

bool PdfWriter::SetHorizontalScale(float percent) {
  if (!ok() || !page_) return false;
  HPDF_Page_SetHorizontalScalling(Page(page_), percent);
  return Check();
}

// libHaru's ShowText measures the text (showing nothing when its width is
// 0), writes it as a literal string with its escapes and " Tj", and moves its
// own record of the text position, which this writer never reads. Its fonts
// here are single-byte (code page 1252), so the same bytes are written
// directly, in one call, without its per-byte copies; texts longer than its
// string limit still go through it.
bool PdfWriter::ShowText(std::string_view text) {
  if (!ok() || !page_) return false;
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return true;
  HPDF_Stream stream = TextStream(Page(page_));
  if (!stream || text.size() >= HPDF_LIMIT_MAX_STRING_LEN) {
    std::string s(text);
    HPDF_Page_ShowText(Page(page_), s.c_str());
    return Check();
  }
  const std::array<unsigned, 256>& widths = WidthsOf(static_cast<HPDF_PageAttr>(Page(page_)->attr)->gstate->font);
  if (out_.size() < text.size() * 4 + 8) out_.resize(text.size() * 4 + 8);
  char* p = out_.data();
  *p++ = '(';
  unsigned width = 0;
  size_t run = 0;  // the first byte not yet copied
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    width += widths[c];
    if (!kEscape[c]) continue;
    p = std::copy(text.data() + run, text.data() + i, p);
    *p++ = '\\';
    *p++ = static_cast<char>('0' + (c >> 6));
    *p++ = static_cast<char>('0' + ((c >> 3) & 7));
    *p++ = static_cast<char>('0' + (c & 7));
    run = i + 1;
  }
  p = std::copy(text.data() + run, text.data() + text.size(), p);
  if (width == 0) return true;
  for (char c : {')', ' ', 'T', 'j', '\012'}) *p++ = c;
  HPDF_Stream_Write(stream, reinterpret_cast<const HPDF_BYTE*>(out_.data()), static_cast<HPDF_UINT>(p - out_.data()));
  return Check();
}

// libHaru's widths of the font's 256 codes, which add up to a text's width.
const std::array<unsigned, 256>& PdfWriter::WidthsOf(void* font) {
  if (font != widths_font_) {
    for (unsigned c = 0; c < 256; ++c) {
      const auto b = static_cast<HPDF_BYTE>(c);
      widths_[c] = HPDF_Font_TextWidth(static_cast<HPDF_Font>(font), &b, 1).width;
    }
    widths_font_ = font;
  }
  return widths_;
}

// libHaru writes whole numbers within its limit of +-32767 as their digits;
// such moves are written directly. Any other goes through it.
bool PdfWriter::MoveText(float dx, float dy) {
  if (!ok() || !page_) return false;
  HPDF_Stream stream = TextStream(Page(page_));
  auto whole = [](float v) { return v >= -32767 && v <= 32767 && v == std::trunc(v); };
  if (!stream || !whole(dx) || !whole(dy)) {
    HPDF_Page_MoveTextPos(Page(page_), dx, dy);
    return Check();
  }
  char buf[32];
  char* end = std::to_chars(buf, buf + 12, static_cast<int>(dx)).ptr;
  *end++ = ' ';
  end = std::to_chars(end, end + 12, static_cast<int>(dy)).ptr;
  for (char c : {' ', 'T', 'd', '\012'}) *end++ = c;
  HPDF_Stream_Write(stream, reinterpret_cast<const HPDF_BYTE*>(buf), static_cast<HPDF_UINT>(end - buf));
  return Check();
}

bool PdfWriter::Line(float x1, float y1, float x2, float y2) {
  if (!ok() || !page_) return false;
  HPDF_Page_MoveTo(Page(page_), x1, y1);
  HPDF_Page_LineTo(Page(page_), x2, y2);
  HPDF_Page_Stroke(Page(page_));
  return Check();
}

bool PdfWriter::Save(const std::string& path) {
  if (!ok()) return false;
  if (text_open_ && !EndText()) return false;
  // A new name beside the target: the rename is then within one file system.
  std::random_device rd;
  std::string temp = path + ".tmp" + std::to_string(rd() % 1000000) + "-" + std::to_string(::getpid());
  HPDF_SaveToFile(Doc(doc_), temp.c_str());
  bool saved = Check();
  if (saved) saved = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!saved) std::remove(temp.c_str());
  return saved;
}

bool PdfWriter::SaveToMemory(std::string& out) {
  if (!ok()) return false;
  if (text_open_ && !EndText()) return false;
  HPDF_SaveToStream(Doc(doc_));
  if (!Check()) return false;
  HPDF_ResetStream(Doc(doc_));
  out.clear();
  for (;;) {
    HPDF_BYTE buf[4096];
    HPDF_UINT32 n = sizeof buf;
    HPDF_STATUS e = HPDF_ReadFromStream(Doc(doc_), buf, &n);
    out.append(reinterpret_cast<const char*>(buf), n);
    if (e == HPDF_STREAM_EOF) break;
    if (e != HPDF_OK) {
      error_ = e;
      return false;
    }
  }
  return true;
}

}  // namespace eng
