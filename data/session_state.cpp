#include "data/session_state.h"

#include <memory>
#include <string>
#include <utility>

#include "core/app_state.h"
#include "core/block_file.h"
#include "core/err_register.h"
#include "core/folders.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "data/data_file_store.h"
#include "data/dict_file_path.h"
#include "data/record_tail.h"
#include "data/dict_query.h"
#include "data/doc_journal.h"
#include "data/lock_marker.h"

namespace eng {

namespace {

// The last-write time as the check compares it: ms since local midnight.
uint32_t StampOf(StrPair path) { return SysFileTime(path, 2, 0); }

// Rebuilds one dictionary file's key index from its record file.
Status RebuildFile(uint16_t file) {
  DataFileNames names = DictDataFileNames(file);
  DataFileLayout layout = DictFileLayout(file);
  std::string marker = names.marker;
  // Take the exclusive lock without looking at the marker: a marker that
  // survives while nobody holds the file is the interrupted session's.
  names.marker.clear();
  // A partial record left at the end by a cut-off write moves to a side
  // file first, so the open check passes and no byte is lost.
  std::string side;
  Status t = RecordTailMoveAt(names.records, layout.record_length, &side);
  if (t && t != kStFileNotFound) return t;
  DataFileStore store;
  Status s = store.Open(names, layout, kOpenExclusive);
  if (s) return s;
  if (!marker.empty() && LockMarkerPresent(marker)) LockMarkerRemove(marker);
  s = store.Index().Rebuild();
  Status c = store.Close();
  return s ? s : c;
}

// Holds the file the path names open under an exclusive lock (creating it
// empty when missing): 0; 139 another program holds it; 131 it cannot be
// opened.
Status LockTake(StrPair path) {
  std::unique_ptr<BlockFile>& held = Core().app.session_lock;
  if (held && held->StillAt(path.view())) return kOk;
  held.reset();
  // A file replaced between the open and the lock is opened again: the lock
  // must be on the file that the name gives to others.
  for (int round = 0; round < 3; ++round) {
    auto file = std::make_unique<BlockFile>();
    if (file->Open(path.view(), true, true) != kOk) return kStFileIo;
    if (file->Lock(BlockLock::kExclusive) != kOk) return kStNetwork;
    if (file->StillAt(path.view())) {
      held = std::move(file);
      return kOk;
    }
  }
  return kStFileIo;
}

}  // namespace

bool SessionLockHeld() {
  const std::unique_ptr<BlockFile>& held = Core().app.session_lock;
  if (!held) return false;
  ScratchScope scope;
  StrPair path = SessionStatePath();
  return path.ok() && held->StillAt(path.view());
}

void SessionLockRelease() { Core().app.session_lock.reset(); }

StrPair SessionStatePath() { return AppPathKinds(StrFromC(kSessionStateFile)); }

int SessionStateRead(StrPair path) {
  char c = 0;
  StrmCount n = StrmReadFilePart(path, 0, 1, &c, 1);
  if (n != 1) return 0;
  return c == '1' ? 1 : 0;
}

Status SessionStateWrite(StrPair path, int digit) {
  if (!path.ok()) return StrError(path);
  if (Status s = LockTake(path)) return s;
  BlockFile& file = *Core().app.session_lock;
  const char c = static_cast<char>('0' + digit);
  if (!file.WriteAt(0, &c, 1) || !file.Sync()) return kStFileIo;
  Core().app.session_stamp = StampOf(path);
  return kOk;
}

Status SessionRecover() {
  const AppStartServices& ui = AppGetStartServices();
  uint16_t files = DictFileCount();
  Status s = kOk;
  for (uint16_t f = 1; f <= files && s == kOk; ++f) {
    ScratchScope scope;
    if (ui.progress_step) ui.progress_step(f, DictFileName(f));
    s = RebuildFile(f);
  }
  // Documents whose save was cut off go back to what they were before it.
  if (!s) s = DocJournalRecoverAll();
  if (ui.progress_close) ui.progress_close();
  if (s) return s;
  MsgErrorBox(kOk);
  return kOk;
}

namespace {

// Mode 1 of the check: the lock first, then the state.
Status StartSession(StrPair path) {
  Status s = LockTake(path);
  if (s == kStNetwork) return ErrIncident(s, StrFromC(kSessionBusyText), false);
  if (s) return s;
  if (SessionStateRead(path) == 0) {
    // A save journal outlives a clean end only when putting its document
    // back failed: it is settled before anything else writes.
    if ((s = DocJournalRecoverAll())) return s;
    return SessionStateWrite(path, 1);
  }
  if (!MsgAskYesNo(MsgText("0115"), true)) return kStCancelled;
  if ((s = SessionRecover())) return s;
  return SessionStateWrite(path, 1);
}

}  // namespace

Status SessionStateCheck(int mode) {
  if (mode < 0 || mode > 2) return kStDataError;
  ScratchScope scope;
  StrPair path = SessionStatePath();
  if (!path.ok()) return StrError(path);
  if (mode == 2) return StampOf(path) == Core().app.session_stamp ? kOk : Status{kStNetwork};
  if (mode == 0) {
    Status s = SessionStateRead(path) == 1 ? SessionStateWrite(path, 0) : Status{kStNetwork};
    SessionLockRelease();
    return s;
  }
  Status s = StartSession(path);
  if (s) SessionLockRelease();
  return s;
}

}  // namespace eng
