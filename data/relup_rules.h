// Relational-update rules: expression texts that keep other files in step
// with one file (totals, balances, counters, linked records). A rule runs
// twice on a rewrite: over the previous copy of the record with _SGN at -1
// (to take its effect back), then over the new record with _SGN at +1.
//
// Rule file: the application prefix (first two characters of the identity,
// string list 0 element 2) followed by "RELUP.DAT", or "RELUPSQL.DAT" while
// _AUXSTAT bit 2048 is set; found as named, else along the data folders.
// Lines: columns 1-2 the file number (blanks read as zeros), 3-4 the slot,
// from column 5 the text with leading blanks removed; lines of one file and
// slot are joined with ";". A file's slots go to string list 7 from its base
// (the list's count when they were loaded): slot s is element base + s.
// Slot 0 runs for every record; slot 1 for a record without lines (or every
// record when fewer than three slots were loaded); slot 2 for a line record.
//
// A slot list is an expression whose value is a comma list of slot numbers
// ("1", "1+(N_LINE{}>0)"); slot 0 always runs first. Items that are no slot
// number, repeat a slot or lie beyond the file's own slots add nothing.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kPassNew = 0x100;   // +1 pass over the current record
inline constexpr uint16_t kPassOld = 0x200;   // -1 pass over the saved copy
inline constexpr uint16_t kUpStatRules = 1;         // _UPSTAT: rules run
inline constexpr uint16_t kUpStatRulesRunning = 32; // _UPSTAT: set while a pass runs (RELUPSQL mode)
inline constexpr uint16_t kUpStatDuplicates = 64;   // _UPSTAT: duplicate keys allowed on add
inline constexpr uint16_t kAuxStatRulesSql = 2048;  // _AUXSTAT: rules from "RELUPSQL.DAT"

// The file's base in list 7 (0xFFFF: no rules) and its number of slots.
uint16_t RelUpdBase(uint16_t file);
uint16_t RelUpdSlots(uint16_t file);

// Loads the file's rules unless they are loaded or the text is "NONE". A
// missing rule file, or one without lines of the file, loads nothing and is
// no failure. A slot column that is not two digits is 163 (incident: the
// rule file's name); a list 7 that cannot take the rules is its status;
// either way nothing is loaded.
Status RelUpdLoad(uint16_t file, StrPair text);
// Clears _AUXSTAT bit 2048, then RelUpdLoad.
Status RelUpdLoadLocal(uint16_t file, StrPair text);
// Deletes list 7's elements from the end down to count; every file whose
// base is at or above count has no rules any more.
Status RelUpdRelease(uint16_t file, uint16_t count);
// The default slot list of a definition, from its rule parameter and list
// 7's count before loading: "NONE" gives "", any other non-empty text itself;
// an empty text, when slots were loaded, "1" for fewer than three slots,
// else "1+(N_LINE{}>0)" when the current file has "N_LINE", else "".
StrPair DataFileLineExpr(StrPair text, uint16_t base);
// The rule text to run: slot 0 and the slots the slot list gives on the
// current record, joined with ";"; empty when the file has no rules. A
// failing evaluation of the slot list is returned.
StrPair RelRuleText(uint16_t file, StrPair slot_list);
// Runs one pass (kPassNew or kPassOld) of a rule text, only while _UPSTAT
// bit 1 is set. The -1 pass runs over the saved copy (swapped into the
// current record and back). _SGN is +1 or -1 during the pass and 0 after it;
// _UPSTAT bit 32 follows _AUXSTAT bit 2048 during it. The status of the run.
Status DataFileRunTrigger(uint16_t pass, uint16_t file, StrPair rule_text);
// 1 when the current record counts as empty: key 1's value is blank, or a
// test expression gives the same text on the record and on a blank record.
// 0 when not; a failure of the test (128 and above) is returned.
Status DataFileIsBlankRecord(uint16_t file, StrPair test);

}  // namespace eng
