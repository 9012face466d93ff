// The save journal of a document: the records a document had on disk when a
// save (or a document delete) began, kept beside the header file until the
// change is complete. While it exists the document on disk may be partly
// rewritten; putting the journal's records back (DocJournalRestore) gives
// the document as it was, whole.
//
// DocJournalPath (header file): the record file's name with the extension
//   "DJN" (one journal per header file: a program saves one document at a
//   time, and one session runs per folder).
// DocJournalWrite: the journal as one file, written under a fresh name,
//   synced and renamed over the journal's name, so that a journal is either
//   whole or absent; 131 when it cannot be written.
// DocJournalRead: 0; 164 no journal; 131 a journal that cannot be read or
//   does not check (its length, its mark or its checksum).
// DocJournalRestore: on the open files, every record of the header file
//   (and of the lines file, when another) whose key 1 begins with the
//   document key is deleted, then the journal's records are added, each
//   through the hooked record write with the given extra flags (kWriteNoRules
//   at start-up, where no rules are loaded) and slot list. The first failure
//   stops and is returned.
// DocJournalRecoverAll: at start-up, for every dictionary file with a
//   journal: its files are opened (when not open yet), the journal restored
//   without rules, the files it opened closed again and the journal removed.
//   The first failure stops (the journal stays for the next start).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

struct DocJournal {
  uint16_t header = 0;
  uint16_t lines = 0;
  std::string key;
  std::vector<std::pair<uint16_t, std::string>> records;  // file, record image
};

std::string DocJournalPath(uint16_t header_file);
Status DocJournalWrite(const DocJournal& journal);
Status DocJournalRead(uint16_t header_file, DocJournal* journal);
Status DocJournalRemove(uint16_t header_file);
bool DocJournalPending(uint16_t header_file);

// Deletes every record of the file whose key 1 begins with the key, each
// through the hooked write (0x600 | extra flags).
Status DocDeleteKeyRecords(uint16_t file, std::string_view key, uint16_t extra_flags, StrPair slot_list,
                           StrPair test);
Status DocJournalRestore(const DocJournal& journal, uint16_t extra_flags, StrPair slot_list);
Status DocJournalRecoverAll();

}  // namespace eng
