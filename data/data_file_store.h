// One data file on disk as the record layer drives it: the record file, its
// key index, the lock marker and the advisory lock, opened and closed
// together. The record layer gives the paths (DataFilePathOf), the layout
// from the dictionary and the open flags; records travel as byte strings of
// exactly the record length.
//
// Open (flags: 1 read-only, 2 exclusive, 0x10 no index):
//   - exclusive: 175 when the marker exists or another open holds the file;
//     otherwise the exclusive advisory lock is taken and the marker written
//     (unless `marker` is empty); a failed open removes the marker it wrote;
//   - otherwise a shared advisory lock: 175 while another open holds the
//     file exclusively;
//   - a read-only open creates a missing record file first, and reads
//     without write access; writes then fail with 137 and change nothing;
//   - a record file whose size is not a whole number of records: 130 with
//     its name as incident, recorded under module 18 (record_tail.h repairs
//     it);
//   - the index is opened, checked against the record file and rebuilt from
//     it when it does not match (see key_index.h).
//   0xFFFF when the record file cannot be opened (164 recorded under module
//   17 with its path); 168 for a layout whose keys leave the record.
// Close syncs the records this open wrote, then saves a changed index
// (synced), so that the index on disk never lists records that are not;
// it releases the lock and removes the marker this open wrote, and returns
// the index's status.
//
// Several opens (in this and other processes) may write a file opened
// shared. Each change (taking a record number, writing the record, changing
// the index) happens under the change lock of the index file, after the
// open has brought its index up to what the others changed; while others
// have the file open, the change reaches the index file before the lock is
// released (see key_index.h). A locate first takes up the others' changes,
// so it finds what they added; moves go on in the index as last taken up.
// While one open has the file to itself, the locks are all its changes
// cost.
//
// Add, Rewrite and Delete refuse, changing nothing: a record that is not
// exactly the record length (168); a record whose first byte is ESC (163),
// which every reader would take for deleted; a file opened without index or
// read-only (148, 137); a closed file (169). Locate and Move answer 148 (in
// the error) on a file opened without index, and 169 on a closed one; such a
// file is read in record order with Records().ReadLive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"
#include "data/key_index.h"
#include "data/key_layout.h"
#include "data/record_file.h"

namespace eng {

enum DataOpenFlags : uint8_t {
  kOpenReadOnly = 1,
  kOpenExclusive = 2,
  kOpenCurrent = 8,
  kOpenNoIndex = 0x10,
};

struct DataFileNames {
  std::string records;  // kind 2 (or a fresh temporary name)
  std::string index;    // kind 3 (or a fresh temporary name)
  std::string marker;   // kind 1: the marker's base name; empty: no marker
};

class DataFileStore {
 public:
  DataFileStore() = default;
  DataFileStore(const DataFileStore&) = delete;
  DataFileStore& operator=(const DataFileStore&) = delete;
  ~DataFileStore() { Close(); }

  Status Open(const DataFileNames& names, const DataFileLayout& layout, uint8_t flags);
  Status Close();
  bool IsOpen() const { return open_; }
  uint8_t Flags() const { return flags_; }
  bool IndexRebuilt() const { return rebuilt_; }

  const DataFileLayout& Layout() const { return layout_; }
  DataRecordFile& Records() { return records_; }
  DataFileIndex& Index() { return index_; }

  // Record r into *out (136 when it cannot be read whole).
  Status Read(int64_t r, std::string* out);
  // Locates a value in key k (first of equal entries) and reads the record
  // found, or the following one when `nearest`.
  NdxResult Locate(uint16_t key, std::string_view value, std::string* out, bool nearest = false);
  // Moves in key k and reads the record under the cursor.
  NdxResult Move(uint16_t key, uint16_t flags, std::string* out);

  // Takes up the changes other opens of a shared file made (Locate does it
  // first); nothing for a file held exclusively.
  Status TakeUp();

  Status Add(std::string_view record, uint16_t key, int64_t* recno);
  Status Rewrite(int64_t r, std::string_view record, uint16_t key);
  Status Delete(int64_t r, uint16_t key);

 private:
  Status CheckRecord(std::string_view record) const;
  Status Writable() const;
  // Runs one change under the change lock of a shared file.
  template <class Change>
  Status Shared(Change change);

  DataFileLayout layout_;
  DataRecordFile records_;
  DataFileIndex index_;
  std::string marker_;  // the marker this open wrote
  uint8_t flags_ = 0;
  bool open_ = false;
  bool rebuilt_ = false;
};

}  // namespace eng
