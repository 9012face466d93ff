#include "data/record_tail.h"

#include <vector>

namespace eng {

Status RecordTailMove(BlockFile& records, uint16_t record_length, std::string* side) {
  side->clear();
  const int64_t size = records.Size();
  if (size < 0) return kStLowFailure;
  const int64_t tail = RecordTailBytes(size, record_length);
  if (tail == 0) return kOk;
  std::vector<char> bytes(size_t(tail), '\0');
  if (!records.ReadAt(size - tail, bytes.data(), bytes.size())) return kStLowFailure;
  // A side file of its own: an earlier one is never written over.
  std::string name;
  Status s = kStFileExists;
  for (int i = 0; s == kStFileExists && i < 1000; ++i) {
    name = records.Path() + ".tail" + (i ? std::to_string(i) : std::string());
    s = BlockFileCreateNew(name, bytes.data(), bytes.size());
  }
  if (s) return kStLowFailure;
  BlockFile copy;
  if (copy.Open(name, true, false) != kOk || !copy.Sync()) {
    BlockFileRemove(name);
    return kStLowFailure;
  }
  copy.Close();
  if (!records.Truncate(size - tail) || !records.Sync()) return kStLowFailure;
  *side = name;
  return kOk;
}

Status RecordTailMoveAt(std::string_view records_path, uint16_t record_length, std::string* side) {
  side->clear();
  BlockFile f;
  if (Status s = f.Open(records_path, true, false)) return s == kStFileNotFound ? s : Status{kStLowFailure};
  if (f.Lock(BlockLock::kExclusive) != kOk) return kStPermission;
  return RecordTailMove(f, record_length, side);
}

}  // namespace eng
