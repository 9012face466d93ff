// Definition lines: application definitions (menus, windows, reports, accept
// forms, procedures, print templates, help texts) are text files of numbered
// lines; a numeric key at a fixed place of each line picks out the lines of
// one definition inside a file that holds many.
//   - A line format says where the key is and which part of the line is the
//     value; blanks in the key field read as "0"; a format above 6 is 0.
//   - The readers open the file as named; a name without drive or folder
//     that does not open is looked for along the application folders
//     (list 0 element 5, a ","-list).
//   - Every reader answers 65535 (kDefNone) for a missing file, for no
//     matching line, or when a line cannot be read (too long) or stored; it
//     then leaves the target list exactly as it was.
//   - The line queue is list 37; readers of it take lines from its head.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kDefNone = 0xFFFF;

// Definition-file kinds 1-14 and their extensions.
enum DefFileKind : uint16_t {
  kDefKindPpn = 1,     // definition files: menus, windows, reports, accept forms
  kDefKindPan = 2,     // screen field files
  kDefKindStp = 3,
  kDefKindDat = 4,
  kDefKindStruct = 5,  // structure (dictionary) files, also "DAT"
  kDefKindPdc = 6,     // print templates
  kDefKindPrx = 7,     // procedures
  kDefKindKva = 8,     // application selections
  kDefKindPmt = 9,     // menu bars
  kDefKindPdf = 10,
  kDefKindTxt = 11,
  kDefKindPdi = 12,
  kDefKindHlp = 13,    // help texts
  kDefKindCfg = 14,
};
inline constexpr uint16_t kDefKindCount = 14;

inline constexpr std::array<std::string_view, kDefKindCount> DefFileKinds = {
    "PPN", "PAN", "STP", "DAT", "DAT", "PDC", "PRX", "KVA", "PMT", "PDF", "TXT", "PDI", "HLP", "CFG"};

// The extension of a kind; empty outside 1-14.
std::string_view DefFileKindExt(uint16_t kind);

// A line format: the key field (start, length; length 0 = no key, every line
// has key 0) and the value (from value_start to the end, less the last
// character when drop_last is set).
struct DefLineFormat {
  uint16_t key_start;
  uint16_t key_len;
  uint16_t value_start;
  bool drop_last;
};

inline constexpr uint16_t kDefFormatCount = 7;
inline constexpr std::array<DefLineFormat, kDefFormatCount> DefLineFormats = {{
    {0, 0, 0, false},  // 0: no key, the whole line
    {0, 2, 3, false},  // 1: key 0-1, a separator, the value
    {1, 2, 3, true},   // 2: a quote, key 1-2, the value and a closing quote
    {0, 4, 5, false},  // 3: key 0-3, a separator, the value
    {0, 2, 2, false},  // 4: key 0-1 directly followed by the value
    {0, 0, 0, false},  // 5: no key, the whole line
    {0, 5, 0, false},  // 6: key 0-4, the whole line
}};

// The format in effect for a format number (above 6: format 0).
const DefLineFormat& DefLineFormatOf(uint16_t format);

// name "." extension of the kind; no "." when either part is empty. The
// newest scratch entry.
StrPair DefFileName(StrPair name, uint16_t kind);

// The key of a line: the key field (clipped to the line) with every blank
// read as "0", as a decimal integer (leading digits); 0 without key field.
int32_t DefLineKey(uint16_t format, StrPair line);
// The value part of a line, a view into it (empty when the line is shorter).
StrPair DefLineValue(uint16_t format, StrPair line);

// Opens a definition file for reading: as named, else (a name without drive
// or folder) along the application folders. A stream number, or kStrmNone.
// Nothing is recorded for a file that is not found.
uint16_t DefFileOpen(StrPair file);

// Calls each(value) for every line of the file whose key equals key, in file
// order; the scratch arena is released after every line. Returns the number
// of lines given, or kDefNone when the file does not open, no line matched,
// a line could not be read (146 recorded by the stream layer) or each
// returned a non-zero status.
uint16_t DefLinesEach(StrPair file, uint16_t format, int32_t key, const std::function<Status(StrPair)>& each);

// Pushes the value of every matching line onto the list; the count, or
// kDefNone with the list as before the call.
uint16_t DefLinesReadTo(StrPair file, uint16_t format, int32_t key, uint16_t list);
// The same onto the line queue, list 37.
uint16_t DefLinesRead(StrPair file, uint16_t format, int32_t key);

// Takes up to count lines from the head of the line queue (fewer when it
// runs empty) and joins them with the separator; the newest scratch entry.
// The lines are taken even when the joined text is too long ((null, 146)).
StrPair DefLinesJoin(uint16_t count, StrPair separator);

// Sets aside the count lines at the head of the line queue, queues every
// line of the file (format 0), then queues the set-aside lines again after
// them, in their order. The set-aside lines are queued again also when the
// file cannot be read. The number of the file's lines, or kDefNone.
uint16_t DefLinesReadKeep(StrPair file, uint16_t count);

// For a ","-list of definition files, the ","-list of their titles, each
// quoted: a file's title is the rest of its first line when that begins with
// ";", else the name as given (also for a file that does not open, and for a
// title that holds both kinds of quote). The newest scratch entry.
StrPair DefFilesTitles(StrPair files);

}  // namespace eng
