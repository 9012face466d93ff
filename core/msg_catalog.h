// Message references and the replaceable message catalogue.
//
// A message reference is a four-digit number, optionally followed by a blank
// and a default text ("0031 Proceso no definido"). MsgLookup resolves it:
//   1. the catalogue's text of the number, when a catalogue file is loaded and
//      one of its ranges holds the number (an empty text for a gap counts);
//   2. else the reference's own default text (from its sixth character on);
//   3. else the built-in text: the engine's tables for 1-999, the application's
//      table (installed by the application module) from 1000; "" when absent.
// Number 0 (or a reference that does not start with a number) is not looked up
// in the catalogue and gives the built-in text of 0, the empty text.
//
// The catalogue file "KV_LANG_<language>.MSJ" ("*" for the language when none
// is set; at most 15 characters) is looked for once, at the first lookup, in
// the application folder (0, 5) and then in the current folder; the first
// match in name order is read. Each line: four digits, one separator, the
// text ("\n" stands for CR LF). Lines whose first four characters are not a
// number above 0 are skipped, and so are lines whose number is not above the
// previous one. Numbers may have gaps (empty texts). A number 256 or more
// above the first number of the current range opens a new range. A file of
// 256 lines or more is not loaded. The texts are used as they stand: they are
// never run as formats here, and formatting callers go through StrFormat,
// which only fills "%s", "%i" and "%d".
//
// The catalogue text is string element (9, 2); the end offsets and ranges
// live in the runtime context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/str_pair.h"

namespace eng {

inline constexpr size_t kMsgCatalogNameMax = 15;
inline constexpr uint16_t kMsgCatalogMaxLines = 256;
inline constexpr uint16_t kMsgRangeSpan = 256;
inline constexpr const char* kMsgLanguages = "EN,ES,FR,DE,IT";
inline constexpr const char* kMsgLanguageSuffixes = "_en,_es,_fr,_de,_it";

enum class MsgCatalogState : uint8_t { kNotLooked = 0, kNone = 1, kLoaded = 2 };

struct MsgRange {
  uint16_t first = 0;
  uint16_t last = 0;
  uint16_t index = 0;  // position of the first number's end offset
};

struct MsgCatalog {
  MsgCatalogState state = MsgCatalogState::kNotLooked;
  std::vector<uint16_t> ends;  // end offset of each number's text in (9, 2)
  std::vector<MsgRange> ranges;
  Status load_status = kOk;    // why the last load found nothing usable (0 otherwise)
  std::string file;            // the file loaded (diagnostics)
};

// Resolves a message reference (above). The text is static, a view into the
// reference, or a new scratch entry.
StrPair MsgLookup(StrPair reference);
// MsgLookup of a NUL-terminated reference such as "0012".
StrPair MsgText(const char* reference);

// Looks for the catalogue file and loads it (state 1 "none" first, 2 when
// loaded). Returns 0 when loaded or when no file was found; 146 when the name
// would exceed 15 characters, 126 for a language code holding a path or
// wildcard character, 168 for a file of 256 lines or more, 146 for a line that
// does not fit a text, the open failure status of the file, or 159 when the
// texts do not fit the string store; in each case no catalogue is in force.
// 125 when the file loaded but some lines were skipped as out of order.
Status MsgCatalogLoad();
// Takes n lines from the head of the line queue (list 37) into the catalogue;
// with n 0 or 256 or more the lines are removed and nothing is added. 0, or
// 159 when the texts do not fit the string store (the catalogue unchanged).
Status MsgCatalogAdd(uint16_t n);
// The catalogue text of a number, a view into (9, 2) that stays valid until
// the string store changes; (null, 127) when no range holds it.
StrPair MsgCatalogText(uint16_t number);
// Forgets the catalogue (state 0): the next lookup looks for the file again,
// under the language and folder then set.
void MsgCatalogReset();
MsgCatalogState MsgCatalogCurrentState();
Status MsgCatalogLoadStatus();

// 1-based position of the language code (0, 4) in "EN,ES,FR,DE,IT"; 0 when absent.
uint16_t MsgLangIndex();
// The file name with "_en", "_es", ... (item `index` of "_en,_es,_fr,_de,_it")
// inserted before its first extension (the first "." after the last "\" or
// "/"; appended when there is none). Index -1 takes the current language;
// 0 or an index above 5 leaves the name unchanged. A new scratch entry.
StrPair MsgLangFileName(StrPair name, int index);

}  // namespace eng
