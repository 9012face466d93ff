// Code page 1252 at the terminal's edge.
//
// The window system keeps texts as code page 1252 bytes; a terminal speaks
// Unicode (UTF-8). Each byte maps to one code point; the five bytes the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) and the control bytes
// show as a blank-like placeholder chosen by the caller. A code point maps
// back to its byte, or to -1 when the code page has no such character (such
// input is dropped, never turned into a wrong letter). Whole texts convert
// through Cp1252ToUtf8 of platform/msgbox_headless.h.
#pragma once

namespace plat {

// The code point of a byte; 0 for the five undefined bytes.
char32_t Cp1252ToUnicode(unsigned char byte);
// The byte of a code point, or -1.
int UnicodeToCp1252(char32_t cp);

}  // namespace plat
