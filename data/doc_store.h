// Documents on disk: a header record and a run of line records that share a
// key prefix, the document key. The header lives in the header file, the
// lines in the lines file (the same file or another); a line record carries
// its number in the field "N_LINE", a header record in the same file as its
// lines has "N_LINE" blank. The files must be open (the record layer); the
// document is found by key 1 of each file.
//
// DocKeyText (file, key, text, n): the document key from a key value of key
//   k: without "N_LINE" in the file the whole text (cut before its trailing
//   blanks it would begin other documents' keys as well); when
//   "N_LINE" is the key's last part, the text cut before the line number and
//   then, for n = -1 nothing more, for n = 0 blanks in the number's place,
//   for another n the number right-aligned in the field's width; otherwise
//   the text as it is.
//
// DocLoad (files, key, max lines, line callback, info out): 2 for a blank
//   key (nothing read). The header is located on key 1 (found: read into
//   both halves of the header file's record buffer). Then every line record
//   of the document, in key order, is read into the lines file's buffer and
//   the callback called with its number (1, 2, ...); a non-zero answer stops
//   and is returned. A document with more lines than max lines gives 124
//   once the first max lines were delivered (the caller must not save what
//   it holds as the whole document). In one file the header's buffer is put
//   back after the lines are read.
//
// DocSave (files, key, parts): 2 for a blank key, nothing written. A stored
//   document with more lines than parts.max_lines is 124, nothing written
//   (it cannot have been loaded whole). A journal an earlier save of the
//   header file left behind is put back first. Then the stored document's
//   records are kept in the save journal (doc_journal.h), every record of
//   the document is deleted (hooked write 0x600 with the slot list and the
//   test), the header is written (the header file's current record with the
//   document key in key 1 and "N_LINE" blank; hooked write 0x500, slot list,
//   test; parts.headers may write several, each through the given add), then
//   line n = 1 .. line count: the lines file's current record takes the
//   document key and "N_LINE" = n, parts.fill_line (n) fills the rest, and
//   it is added (0x500, slot list, no test). Writes answering below 128 do
//   not stop the save. Both files are then reopened (their writes reach the
//   disk) and the journal removed: 0.
//   Any failure from the deletions on puts the stored document back as it
//   was (its new records deleted, the kept records added again, through the
//   hooked write) and returns the failure; a process that dies meanwhile
//   leaves the journal, which the next start puts back (DocJournalRecoverAll).
//   Either way a document that was on disk before the save is there
//   afterwards, old or new, whole. The record buffers of both files are
//   put back as they were before the deletions.
//
// DocDelete (files, key, slot list, test): 2 for a blank key, nothing
//   deleted; 2 when the document has no record; otherwise every record of
//   the document is deleted through the hooked write (0x600), under the
//   journal as above, and the files reopened.
#pragma once

#include <cstdint>
#include <functional>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

struct DocFiles {
  uint16_t header = 0;
  uint16_t lines = 0;
};

struct DocLoadInfo {
  bool header_found = false;
  uint16_t lines = 0;
};

// Adds the header file's current record as a header of the document.
using DocAddFn = std::function<Status()>;

struct DocSaveParts {
  StrPair slot_list;      // relational-update slots of every write
  StrPair test;           // empty-record test of the header writes and deletions
  uint16_t max_lines = 100;
  // Writes the header records; none: the header file's current record once.
  std::function<Status(const DocAddFn& add)> headers;
  uint16_t line_count = 0;
  // Fills the lines file's current record for line n (key and "N_LINE" set).
  std::function<Status(uint16_t line)> fill_line;
};

StrPair DocKeyText(uint16_t file, uint16_t key, StrPair text, int n);

Status DocLoad(DocFiles files, StrPair key, uint16_t max_lines, const std::function<Status(uint16_t line)>& on_line,
               DocLoadInfo* info);
Status DocSave(DocFiles files, StrPair key, const DocSaveParts& parts);
Status DocDelete(DocFiles files, StrPair key, StrPair slot_list, StrPair test);

}  // namespace eng
