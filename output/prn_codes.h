// Printer control codes. Report texts carry ten one-byte control characters
// (condensed, wide, underline, bold and italic, each on and off, in the field
// order 0F 12 0E 14 10 11 1C 1D 1E 1F); a device that takes printer codes
// replaces each by the byte sequence of its field in the port's entry of
// "KVPRNP00.DAT" (a 160-byte head, then one 96-byte entry per port LPT1-LPT6:
// ten 8-byte code fields, NUL-padded, then the width in byte 80 and the lines
// per page in byte 88). The table in memory (string list 9 element 0) is the
// built-in entry 0 (no codes, 80 columns, 72 lines) followed by the file's
// bytes after the head; it is read once per run. An entry counts only when
// all its 96 bytes are there; otherwise entry 0 serves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kPrnCodesFile = "KVPRNP00.DAT";
inline constexpr size_t kPrnHeadSize = 160;
inline constexpr size_t kPrnEntrySize = 96;
inline constexpr std::string_view kPrnControlChars = "\x0F\x12\x0E\x14\x10\x11\x1C\x1D\x1E\x1F";
enum : uint16_t { kPrnFieldWidth = 10, kPrnFieldLines = 11 };

// Builds the table (entry 0, then the file's bytes after the head) and keeps it in list 9 element 0.
std::string DevicePrnCodesLoad();
// The code bytes of a field (0-9) of an entry, trailing NULs removed; fields
// 10 and 11 give one byte, the width and the lines per page. Loads the table
// on first use; an entry beyond the table reads as entry 0.
std::string DevicePrnCode(uint16_t field, uint16_t entry);
// The width (field 10) or lines per page (field 11) of an entry.
uint16_t DevicePrnNumber(uint16_t field, uint16_t entry);
// One left-to-right pass: each control character becomes its field's code
// (codes true) or is removed (codes false). Replacement bytes are not scanned again.
std::string DeviceApplyCodesTo(std::string_view text, bool codes, uint16_t entry);
// True when the first character of the trimmed text is one of item 1 of message 0011 ("Ss").
bool DeviceTextIsYes(std::string_view text);

// The Lpt Config editor. The forms run as accept windows of the window
// layer, which installs the runner: (title, form text, values out) -> status,
// 122 when cancelled. Without a runner the editor answers 148.
using LptFormRunner = Status (*)(StrPair title, StrPair form, std::string& values);
void LptConfigSetFormRunner(LptFormRunner runner);
// Edits LPTn's entry and rewrites the whole file (a new file renamed over the
// old one). 164 when the file is missing; 0 when it is empty or the forms
// were cancelled (the file is then unchanged).
Status LptConfigEdit(uint16_t n);
// Stores the ","-values into the image from 160 + (n-1) x 96 + field x 8,
// advancing by step: 122 with no values; 168 for a position past the image or
// a value outside 0-255 (nothing stored then).
Status LptConfigStore(uint16_t n, uint16_t field, uint16_t step, std::string& image, std::string_view values);
// The two form texts of the editor.
std::string LptConfigSizeForm(uint16_t n, std::string_view image);
std::string LptConfigCodesForm(uint16_t n, std::string_view image);

}  // namespace eng
