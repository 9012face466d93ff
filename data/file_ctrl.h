// The control blocks of the data files: one per dictionary file (file n at
// element n - 1 of a table of 30), with the file's positioning state and its
// open files on disk. The table lives in the runtime context, so a fresh
// runtime starts with every file closed (and a discarded one closes its
// files, saving their indexes).
//   DataFileCtrl       the block of file n; an assertion failure
//                      "DataFileCtrl" when n is 0 or above the file count
//   DataFileCtrlReset  the closed state
//   DataFileCtrlSave   with an empty `saved`: copies the block and the whole
//                      record buffer into it; with a filled one: puts both
//                      back (the open flags stay those of the file as it is
//                      now) and empties it
//   DataFileKeyNumber  the current key; 0xFFFF when there is no file
//   DataFileSetKeyNumber  sets it (0xFFFF keeps it, at least 1); returns it
// Besides the table's fields, a block carries the number of the record the
// buffer holds (`recno`, -1 for none): rewrite and delete act on that
// record, never on whatever the index cursor last passed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/status.h"
#include "data/data_file_store.h"
#include "data/dict_types.h"

namespace eng {

using DataFileOpenFlags = DataOpenFlags;

// The position kept by the file-scan move (position status, failure status,
// record number, a word of its own).
struct DataFileSearchPos {
  uint16_t position = 0;
  uint16_t failure = 0;
  uint32_t recno = 0;
  uint32_t word = 0;
};

struct DataFileCtrlBlock {
  uint16_t current_key = 1;
  uint16_t last_status = 2;      // 0 on a record, 1 before / between, 2 past the end, 3 new
  uint16_t data_stream = 0xFFFF; // 0xFFFF closed; the file's number while open
  std::array<uint16_t, 2> reserved{0xFFFF, 0xFFFF};
  uint16_t rule_base = 0xFFFF;
  DataFileSearchPos search{};
  std::array<uint16_t, 3> selection{};
  uint8_t open_flags = 0;        // DataFileOpenFlags; 0 with data_stream 0xFFFF = closed
  int32_t recno = -1;            // the record the buffer holds
};

// What the record layer keeps per file beyond the block: the open files
// and the names they were opened under (fresh temporary names included).
struct DataFileSlot {
  DataFileCtrlBlock ctrl;
  DataFileStore store;
  DataFileNames names;
};

DataFileSlot& DataFileSlotOf(uint16_t n);

DataFileCtrlBlock& DataFileCtrl(uint16_t n);
void DataFileCtrlReset(uint16_t n);

struct DataFileSaved {
  bool filled = false;
  uint16_t file = 0;
  DataFileCtrlBlock ctrl;
  std::string buffer;
};
Status DataFileCtrlSave(uint16_t file, DataFileSaved& saved);

uint16_t DataFileKeyNumber(uint16_t file);
uint16_t DataFileSetKeyNumber(uint16_t file, uint16_t key);

}  // namespace eng
