#include "data/maint_copy.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/block_file.h"
#include "core/err_register.h"
#include "core/folders.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"
#include "data/data_file_path.h"
#include "data/dict_file_path.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_layer.h"

namespace eng {

namespace {

void Count(SysVar v) { SysVarSet(v, int16_t(SysVarGet(v) + 1)); }

Status CopyFailure(Status s, StrPair source) {
  if (s != kStFileNotFound && s != kStPermission && s != kStFileIo && s != kStLowFailure) return s;
  return ErrIncident(s, source, false);
}

// A fresh name for a copy beside the target, in the target's folder.
std::string FreshBeside(StrPair target) {
  ScratchScope scope;
  StrPair folder = PathSplit(target, 3);
  return SysTempFileName(StrOf("new"), folder).str();
}

}  // namespace

Status MaintCopyIfNewer(StrPair source, StrPair target) {
  if (!SysVarHas(kVarAuxStat, kAuxStatCopyIfNewer)) return kOk;
  SysFindRecord src, dst;
  if (SysFileFind(source, &src) || SysFileFind(target, &dst)) return kOk;
  const uint32_t src_date = SysFileTime(source, 2, 1), dst_date = SysFileTime(target, 2, 1);
  if (src_date < dst_date) {
    Count(kVarHCount);
    return kStNoData;
  }
  if (src_date > dst_date) return kOk;
  const int64_t src_unit = MaintTimeUnit(SysFileTime(source, 2, 0));
  const int64_t dst_unit = MaintTimeUnit(SysFileTime(target, 2, 0));
  if (src_unit < dst_unit) {
    Count(kVarHCount);
    return kStNoData;
  }
  if (src_unit == dst_unit && src.size == dst.size) {
    Count(kVarCount);
    return kStUndefinedWarning;
  }
  return kOk;
}

Status MaintCopyRange(StrPair source, uint64_t source_offset, StrPair target, uint64_t target_offset,
                      uint64_t count, const MaintCopyFn& callback) {
  BlockFile in;
  if (in.Open(source.view(), false, false)) return kStFileNotFound;
  const int64_t size = in.Size();
  if (size < 0) return kStFileIo;
  const uint64_t available = uint64_t(size) > source_offset ? uint64_t(size) - source_offset : 0;
  count = std::min(count, available);
  BlockFile out;
  if (out.Open(target.view(), true, true)) return kStFileIo;
  std::vector<char> chunk(kMaintChunk);
  for (uint64_t done = 0; done < count;) {
    const uint32_t n = uint32_t(std::min<uint64_t>(kMaintChunk, count - done));
    if (!in.ReadAt(int64_t(source_offset + done), chunk.data(), n)) return kStFileIo;
    if (!out.WriteAt(int64_t(target_offset + done), chunk.data(), n)) return kStFileIo;
    done += n;
    if (callback) {
      if (Status s = callback(count, n)) return s;
    }
  }
  return kOk;
}

Status MaintCopyFile(StrPair source, StrPair target, const MaintCopyFn& callback) {
  Status s = MaintCopyIfNewer(source, target);
  if (s == kStUndefinedWarning || s == kStNoData) return s;
  {
    ScratchScope scope;
    StrPair folder = PathSplit(target, 3);
    if (!folder.empty()) {
      uint16_t attr = SysFileAttr(folder);
      if (attr == kStFileNotFound || !(attr & kAttrFolder)) PathMakeDirs(folder);
    }
  }
  if (!callback) return CopyFailure(FileCopyKeepTime(source.view(), target.view()), source);
  // Through the chunked copy: into a fresh file beside the target, which
  // replaces the target only when every chunk is written.
  if (SysFileAttr(source) == kStFileNotFound) return CopyFailure(kStFileNotFound, source);
  const std::string fresh = FreshBeside(target);
  s = MaintCopyRange(source, 0, StrOf(fresh), 0, SysFileSize(source), callback);
  if (!s) s = FileSetWriteTime(source.view(), fresh);
  if (!s) s = FileSync(fresh);
  if (!s) s = FileRenameOver(fresh, target.view());
  if (s) {
    BlockFileRemove(fresh);
    return CopyFailure(s, source);
  }
  return kOk;
}

Status DataFileCopyCompanions(uint16_t file, StrPair folder, int direction, const MaintCopyFn& callback) {
  file = DictFileNumber(file);
  if (!DictFileDefined(file)) return kStDataOutBound;
  DataFileSlot& slot = DataFileSlotOf(file);
  BlockFile held;  // the restored file's exclusive lock, held for the copy
  if (direction == 0) {
    if (slot.store.IsOpen()) slot.store.Index().Save(true);
  } else {
    if (slot.store.IsOpen()) DataFileClose(file);
    const std::string records = DictFilePath(file, kPathRecords);
    if (BlockFileExists(records)) {
      if (Status s = held.Open(records, true, false)) return ErrIncident(s, StrOf(records), false);
      if (held.Lock(BlockLock::kExclusive)) return ErrIncident(kStPermission, StrOf(records), false);
    }
  }
  (void)callback;  // each file is copied whole, without progress
  for (int kind : {kPathRecords, kPathIndex}) {
    ScratchScope scope;
    const std::string own = DictFilePath(file, kind);
    StrPair other = PathJoin(folder, PathSplit(StrOf(own), 12));
    StrPair from = direction == 0 ? StrOf(own) : other;
    StrPair to = direction == 0 ? other : StrOf(own);
    Status s = MaintCopyFile(from, to, nullptr);
    if (s == kStFileNotFound) continue;
    if (s) return s;
  }
  return kOk;
}

}  // namespace eng
