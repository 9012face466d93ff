// A PDF document built with libHaru, every call checked. The document has
// no error handler: libHaru's errors are sticky, so after the first failure
// every later call fails too and error() names the first one. Pages are the
// library's default (A4 portrait); the text font is a standard font in code
// page 1252. A PNG image is read once per document and drawn again on later
// pages. Save writes a new file beside the target and renames it over the
// target only when the whole document was written: a failed save never
// leaves a partial file under the final name. Inside a text object with a
// font, texts and whole-number moves go straight into the page's content
// stream as the bytes libHaru's own calls write (a report writes one of each
// per line, and the library's calls cost more than the bytes); anything else
// goes through the library.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace eng {

class PdfWriter {
 public:
  PdfWriter() = default;
  ~PdfWriter();
  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  // Creates the document with compression of every stream; false when the library cannot.
  bool Create();
  bool ok() const;
  // The libHaru error number of the first failure (0: none).
  unsigned long error() const;

  // Ends an open text object and adds a page.
  bool AddPage();
  float PageHeight() const;
  // Draws the PNG at (x, top edge y) with its own size (outside text objects);
  // answers its height (0 on failure).
  float DrawImage(const std::string& png_path, float x, float top);
  bool BeginText(float x, float y);
  bool EndText();
  bool text_open() const { return text_open_; }
  // The standard font (Courier, Courier-Bold, ...) in code page 1252.
  bool SetFont(const char* face, float size);
  // Horizontal scaling of the text in percent.
  bool SetHorizontalScale(float percent);
  // Shows the bytes up to the first NUL.
  bool ShowText(std::string_view text);
  bool MoveText(float dx, float dy);
  bool Line(float x1, float y1, float x2, float y2);

  // Writes the document to the path (see above); frees nothing.
  bool Save(const std::string& path);
  bool SaveToMemory(std::string& out);
  void Free();

 private:
  bool Check();
  const std::array<unsigned, 256>& WidthsOf(void* font);  // HPDF_Font

  void* doc_ = nullptr;   // HPDF_Doc
  void* page_ = nullptr;  // HPDF_Page
  bool text_open_ = false;
  unsigned long error_ = 0;
  std::map<std::string, void*> images_;  // path -> HPDF_Image
  std::string out_;  // room for the bytes of a text operator
  void* widths_font_ = nullptr;  // the HPDF_Font whose widths are in widths_
  std::array<unsigned, 256> widths_{};
};

}  // namespace eng
