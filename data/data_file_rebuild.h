// Reorganisation of one data file: its live records are written, in record
// order, to a new record file (deleted records dropped, so the live records
// are numbered from 0) and a new key index is built from them.
//
// DataFileRebuild (file, callback): the file is closed in this process and
// the exclusive advisory lock of its record file taken (175 while another
// process has it open); a lock marker left without holder is removed, and the
// marker is held for the run. The new record file and index are built under
// fresh names beside the old ones, synced, and renamed over the old record
// file and then the old index; the old pair stays whole until then. Any
// failure removes the new files and leaves the old pair as it was; a crash
// between the two renames leaves a new record file with the old index, which
// the next open finds out of step and rebuilds from the records. A file whose
// record file does not exist gets an empty pair (0).
//   The callback gets (record count of the old file, key 1 value) for every
//   live record; a non-zero answer stops the rebuild with it (nothing
//   changed). Two records with equal keys both stay. 131 when a record
//   cannot be read or written whole (the key value, where known, as incident
//   text); 168 for a file that is not defined; 0xFFFF and the like from the
//   file layer.
#pragma once

#include <cstdint>
#include <functional>

#include "core/status.h"
#include "core/str_pair.h"
#include "data/data_file_store.h"

namespace eng {

using DataRebuildFn = std::function<Status(int64_t count, StrPair key)>;

Status DataFileRebuild(uint16_t file, const DataRebuildFn& callback);
// The same for a pair given by its names and layout (the marker name may be
// empty: no marker), without the dictionary; the pair must not be open here.
Status DataFileRebuildPair(const DataFileNames& names, const DataFileLayout& layout,
                           const DataRebuildFn& callback);

}  // namespace eng
