#include "data/session_state.h"

#include <string>

#include "core/app_state.h"
#include "core/block_file.h"
#include "core/folders.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "data/data_file_store.h"
#include "data/dict_file_path.h"
#include "data/dict_query.h"
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
  DataFileStore store;
  Status s = store.Open(names, layout, kOpenExclusive);
  if (s) return s;
  if (!marker.empty() && LockMarkerPresent(marker)) LockMarkerRemove(marker);
  s = store.Index().Rebuild();
  Status c = store.Close();
  return s ? s : c;
}

}  // namespace

StrPair SessionStatePath() { return AppPathKinds(StrFromC(kSessionStateFile)); }

int SessionStateRead(StrPair path) {
  char c = 0;
  StrmCount n = StrmReadFilePart(path, 0, 1, &c, 1);
  if (n != 1) return 0;
  return c == '1' ? 1 : 0;
}

Status SessionStateWrite(StrPair path, int digit) {
  if (!path.ok()) return StrError(path);
  char c = static_cast<char>('0' + digit);
  if (BlockFileReplace(path.view(), &c, 1, true) != kOk) return kStFileIo;
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
  if (ui.progress_close) ui.progress_close();
  if (s) return s;
  MsgErrorBox(kOk);
  return kOk;
}

Status SessionStateCheck(int mode) {
  if (mode < 0 || mode > 2) return kStDataError;
  ScratchScope scope;
  StrPair path = SessionStatePath();
  if (!path.ok()) return StrError(path);
  if (mode == 2) return StampOf(path) == Core().app.session_stamp ? kOk : Status{kStNetwork};
  int state = SessionStateRead(path);
  if (mode != state) return SessionStateWrite(path, mode == 1 ? 1 : 0);
  if (mode == 1) {
    if (!MsgAskYesNo(MsgText("0115"))) return kStCancelled;
    if (Status s = SessionRecover()) return s;
    return SessionStateWrite(path, 1);
  }
  return kStNetwork;
}

}  // namespace eng
