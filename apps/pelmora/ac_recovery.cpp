#include "apps/pelmora/ac_recovery.h"

#include <string>

#include "apps/pelmora/pelmora_head.h"
#include "core/exp_parm_file.h"
#include "core/folders.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "data/maint_copy.h"
#include "data/record_layer.h"

namespace eng::pelmora {

namespace {

constexpr const char* kStartFile = "%APPPATH_DATA%\\%APNAME%PARINI.DAT";
constexpr int kToBackup = 0;
constexpr int kFromBackup = 1;

std::string StartFilePath() {
  ScratchScope scope;
  StrPair p = AppPathKinds(StrFromC(kStartFile));
  return p.ok() ? p.str() : std::string();
}

std::string BackupStartFile() { return std::string(kAcBooksBackup) + "/PLPARINI.DAT"; }

bool Exists(const std::string& name) {
  ScratchScope scope;
  uint16_t st = StrmOpen(StrOf(name), 8 | 0x80);
  if (st >= kStreams) return false;
  StrmClose(st);
  return true;
}

Status CopyBooks(int direction) {
  if (direction == kToBackup) {
    ScratchScope scope;
    PathMakeDirs(StrOf(std::string("./") + kAcBooksBackup));
  }
  for (int position = 3; position <= 5; ++position) {
    ScratchScope scope;
    Status s = DataFileCopyCompanions(AppModuleFile(position), StrFromC(kAcBooksBackup), direction, nullptr);
    if (s >= kStFirstError) return s;
  }
  std::string start = StartFilePath();
  std::string from = direction == kToBackup ? start : BackupStartFile();
  std::string to = direction == kToBackup ? BackupStartFile() : start;
  if (!start.empty() && Exists(from)) {
    ScratchScope scope;
    Status s = MaintCopyFile(StrOf(from), StrOf(to), nullptr);
    if (s >= kStFirstError) return s;
  } else if (direction == kToBackup) {
    ScratchScope scope;
    StrmRemoveFile(StrOf(to));  // no start file: none must be put back
  }
  return kOk;
}

// Closes the books so that their writes reach the disk; `reopen` opens them again.
Status CloseBooks(const AcBooks& b) {
  Status first = kOk;
  for (uint16_t f : {b.chart, b.journal, b.period}) {
    Status s = DataFileClose(f);
    if (s >= kStFirstError && !first) first = s;
  }
  return first;
}

Status SetMark(std::string_view name) {
  ScratchScope scope;
  std::string text(name);
  if (StrmWriteFileAt(StrFromC(kAcBooksMark), kStrmReplace, text.data(), text.size()) < 0) return kStWrite;
  return kOk;
}

Status Restore() {
  if (Status s = CopyBooks(kFromBackup)) return s;
  ScratchScope scope;
  StrmRemoveFile(StrFromC(kAcBooksMark));
  return kOk;
}

}  // namespace

bool AcBooksMarked() { return Exists(kAcBooksMark); }

Status AcBooksRecover() {
  if (!AcBooksMarked()) return kOk;
  return Restore();
}

Status AcBooksRun(AcBooks& books, std::string_view name, const std::function<Status()>& work) {
  if (Status s = AcBooksRecover()) return s;
  if (Status s = CloseBooks(books)) return s;
  Status s = CopyBooks(kToBackup);
  if (!s) s = SetMark(name);
  if (!s) s = AcBooksOpen(&books);
  if (s) return s;
  Status result = work();
  Status closed = CloseBooks(books);
  if (result) {
    // Stopped half-way: the books go back to the snapshot.
    if (Status r = Restore()) return r;
    if (Status o = AcBooksOpen(&books)) return o;
    ScratchScope scope;
    ExpLoadParmFile(StrFromC(kStartFile), 0);
    return result;
  }
  if (closed) return closed;
  {
    ScratchScope scope;
    StrmRemoveFile(StrFromC(kAcBooksMark));
  }
  return AcBooksOpen(&books);
}

}  // namespace eng::pelmora
