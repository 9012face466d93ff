#include "data/data_file_rebuild.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/block_file.h"
#include "core/err_register.h"
#include "core/folders.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "data/data_file_store.h"
#include "data/dict_file_path.h"
#include "data/dict_layout.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/lock_marker.h"
#include "data/record_layer.h"
#include "data/record_tail.h"

namespace eng {

namespace {

constexpr int64_t kBatchRecords = 4096;

// A fresh name beside `path` (same folder), with the extension given.
std::string FreshBeside(const std::string& path, const char* extension) {
  ScratchScope scope;
  return SysTempFileName(StrFromC(extension), PathSplit(StrOf(path), 3)).str();
}

// The work of one rebuild; owns the new files until they replace the old.
class Rebuild {
 public:
  Rebuild(const DataFileNames& names, const DataFileLayout& layout, const DataRebuildFn& callback)
      : callback_(callback), names_(names), layout_(layout) {}

  ~Rebuild() {
    if (!new_records_.empty()) BlockFileRemove(new_records_);
    if (!new_index_.empty()) BlockFileRemove(new_index_);
    if (wrote_marker_) LockMarkerRemove(names_.marker);
  }

  Status Run() {
    if (!layout_.Valid() || layout_.record_length == 0) return kStDataOutBound;
    if (Status s = Hold()) return s;
    if (Status s = CopyLive()) return s;
    if (Status s = BuildIndex()) return s;
    return Replace();
  }

 private:
  // The old record file (made when missing), locked exclusively, and the marker.
  Status Hold() {
    if (Status s = old_.Open(names_.records, true, true)) return ErrIncident(s, StrOf(names_.records), false);
    if (old_.Lock(BlockLock::kExclusive)) return ErrIncident(kStPermission, StrOf(names_.records), false);
    // A partial record at the end moves to a side file: the rebuild keeps
    // whole records only, and no byte of the tail is destroyed.
    std::string side;
    if (Status s = RecordTailMove(old_, layout_.record_length, &side))
      return ErrIncident(s, StrOf(names_.records), false);
    if (names_.marker.empty()) return kOk;
    if (LockMarkerPresent(names_.marker)) LockMarkerRemove(names_.marker);  // left by a process gone
    if (Status s = LockMarkerWrite(names_.marker)) return s;
    wrote_marker_ = true;
    return kOk;
  }

  Status Fail(Status s, const char* record) {
    if (record) {
      ScratchScope scope;
      ErrIncident(s, StrOf(layout_.Key(1).ValueOf(record)), false);
    }
    return s;
  }

  // The live records, in record order, to a new record file.
  Status CopyLive() {
    const int64_t size = old_.Size();
    if (size < 0) return kStFileIo;
    const uint16_t length = layout_.record_length;
    const int64_t count = size / length;
    new_records_ = FreshBeside(names_.records, "new");
    BlockFile out;
    if (Status s = out.Open(new_records_, true, true)) {
      new_records_.clear();
      return s;
    }
    std::vector<char> in(size_t(kBatchRecords) * length), kept;
    kept.reserve(in.size());
    int64_t written = 0;
    for (int64_t r = 0; r < count; r += kBatchRecords) {
      const int64_t n = std::min(kBatchRecords, count - r);
      if (!old_.ReadAt(r * length, in.data(), size_t(n) * length)) return Fail(kStFileIo, nullptr);
      kept.clear();
      for (int64_t i = 0; i < n; ++i) {
        const char* rec = in.data() + i * length;
        if (rec[0] == kRecordDeleted) continue;
        if (callback_) {
          ScratchScope scope;
          if (Status s = callback_(count, StrOf(layout_.Key(1).ValueOf(rec)))) return s;
        }
        kept.insert(kept.end(), rec, rec + length);
      }
      if (!out.WriteAt(written, kept.data(), kept.size()))
        return Fail(kStFileIo, kept.data() + (kept.empty() ? 0 : kept.size() - length));
      written += int64_t(kept.size());
    }
    if (!out.Sync()) return kStFileIo;
    return kOk;
  }

  // The new index, built from the new record file and saved (synced).
  Status BuildIndex() {
    new_index_ = FreshBeside(names_.index, "new");
    DataFileStore store;
    Status s = store.Open(DataFileNames{new_records_, new_index_, ""}, layout_, kOpenExclusive);
    if (s) return s;
    if (!store.IndexRebuilt()) s = store.Index().Rebuild();
    Status c = store.Close();
    return s ? s : c;
  }

  Status Replace() {
    if (Status s = FileRenameOver(new_records_, names_.records)) return s;
    new_records_.clear();
    if (Status s = FileRenameOver(new_index_, names_.index)) return s;
    new_index_.clear();
    return kOk;
  }

  const DataRebuildFn& callback_;
  DataFileNames names_;
  DataFileLayout layout_;
  BlockFile old_;
  std::string new_records_, new_index_;
  bool wrote_marker_ = false;
};

}  // namespace

Status DataFileRebuild(uint16_t file, const DataRebuildFn& callback) {
  file = DictFileNumber(file);
  if (!DictFileDefined(file)) return kStDataOutBound;
  if (DataFileSlotOf(file).store.IsOpen()) DataFileClose(file);
  return DataFileRebuildPair(DictDataFileNames(file), DictFileLayout(file), callback);
}

Status DataFileRebuildPair(const DataFileNames& names, const DataFileLayout& layout,
                           const DataRebuildFn& callback) {
  Rebuild rebuild(names, layout, callback);
  return rebuild.Run();
}

}  // namespace eng
