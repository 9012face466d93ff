// Accumulation scans: the records of a source file are walked over a key
// range and, for each, a record of an accumulation file (often a temporary
// one) is built and added, or updated when one with its key 1 exists. The
// procedure statement FILESCAN (sub-commands ACUM, EXPSET, CLOSE) and the
// statistic steps (data/stat_steps.h) run them.
//
// Scan state in _UPSTAT: bit 4 while an accumulation scan or the steps run
// (FILEREL with flag 4 then goes to hook 3, StatScanRelUpdate); bit 8 during
// a virtual scan; bit 2 while a file is opened on fresh temporary files.
// _SGN is 1 during an accumulation and 0 after it.
//
// StatFileScan (text, search condition, statements, record condition, pump
//   condition): the first blank-separated word of the text is the
//   sub-command; FILE (source), INDEX (key; default the current key of the
//   current file), MODE, FROM and TO (evaluated as texts), VIRTUAL are named
//   items of the text. The accumulation file is the current file. VIRTUAL
//   bit 1 marks the statement a virtual scan; 2 or more first opens the
//   accumulation file exclusively on fresh temporary files. ACUM sets the
//   scan state and stores StatAccumulate's result in _STAT, EXPSET stores
//   StatExpSet's (FILE, or the current file), 127 counting as 0; CLOSE closes
//   the accumulation file, deletes its temporary files and clears the scan
//   state; another word is 163. A result of 128 or more is also the
//   statement's status.
// StatAccumulate: the accumulation file becomes current; for each source
//   record between from and to satisfying the search condition whose record
//   condition holds, the accumulation record is blanked and the statements
//   evaluated on it as a condition; when true, a record with its key 1 is
//   updated (the statements run again on it) or it is added. A false pump
//   condition pumps the progress window (a cancel ends with 122). No source
//   record, or an accumulation file left empty: 127. The source file's
//   selection is freed at the end. Mode bit 1: progress window.
// StatExpSet: for each record between from and to satisfying the condition,
//   with accumulators each ","-item of the list is added, as a number (its
//   scaled 64-bit value), to the accumulator of its position; without, the
//   list runs for its effect. The file's block, buffer and the last search
//   condition are put back. A status above 121 ends it; 127 when no record
//   was found, else 0.
// StatVirtualFile (file, flags): flags non-zero open the file with them on
//   fresh temporary files (no marker); 0 closes it and deletes those files
//   (only files it was given fresh names for; a file on its own names is
//   only closed).
// StatLocateRelated, StatScanRelUpdate (hook 3), StatClearTmpFields: related
//   records during a scan; see the functions.
// StatRegister installs StatScanRelUpdate as hook 3 and registers StatMove.
#pragma once

#include <cstdint>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kUpStatFreshFiles = 2;
inline constexpr uint16_t kUpStatScan = 4;
inline constexpr uint16_t kUpStatVirtual = 8;

Status StatFileScan(StrPair text, StrPair search, StrPair statements, StrPair record_cond, StrPair pump);
Status StatAccumulate(uint16_t source, uint16_t accum, uint16_t key, StrPair from, StrPair to, StrPair search,
                      StrPair record_cond, StrPair statements, StrPair pump, uint16_t mode);
Status StatExpSet(uint16_t file, uint16_t key, StrPair from, StrPair to, StrPair condition, StrPair expressions,
                  uint16_t mode, std::vector<int64_t>* accumulators);
Status StatVirtualFile(uint16_t file, uint8_t flags);
// Locates with the flags; when that does not find the record, outside a
// virtual scan, for a named file and a non-blank value, locates again with
// flags 0 (keeping _SQLSTK) and resets the record's temporary fields. The
// first locate's status unless a later step failed.
Status StatLocateRelated(uint16_t file, uint16_t key, StrPair value, uint16_t flags);
// Hook 3: b's record related to a's current record through relation c is
// located (added, with flag 4, when missing), the statements run on it and it
// is rewritten.
Status StatScanRelUpdate(uint16_t file_a, uint16_t file_b, uint16_t relation, uint16_t flags, StrPair statements);
// Item 2 of the window's RESET$ runs when not empty; otherwise every field
// whose name begins with "TMP" is blanked, from the last field down.
Status StatClearTmpFields(uint16_t file);
// Mode bit 1: counts the range and opens the progress window with the count.
Status StatProgressStart(uint16_t file, uint16_t key, StrPair from, StrPair to, StrPair condition, uint16_t mode);
Status StatRegister();

}  // namespace eng
