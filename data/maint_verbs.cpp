#include "data/maint_verbs.h"

#include <string>

#include "core/app_verbs.h"
#include "core/err_register.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/path_resolve.h"
#include "core/str_items.h"
#include "data/data_file_rebuild.h"
#include "data/dict_query.h"
#include "data/maint_copy.h"
#include "data/maint_services.h"

namespace eng {

namespace {

// The dictionary file whose name is the chosen file's base name; 0 for none.
uint16_t DictFileOfBaseName(StrPair chosen) {
  ScratchScope scope;
  StrPair base = PathSplit(chosen, 4);
  if (base.empty()) return 0;
  for (uint16_t f = 1; f <= DictFileCount(); ++f) {
    if (PathNameEqualNoCase(DictFileName(f).view(), base.view())) return f;
  }
  return 0;
}

// The pick of step 2: the target folder of a backup, or the file to restore.
Status Choose(uint16_t mode, StrPair given, std::string* folder, uint16_t* file) {
  if (mode == 0) {
    ScratchScope scope;
    StrPair start = PathFolder(kPathBackRel);
    if (Status s = PathMakeDirs(start); s && s != kStDataError) return s;
    *folder = MaintChooseFolder(start, StrPair{}).str();
    return folder->empty() ? Status{kStCancelled} : Status{kOk};
  }
  std::string chosen = given.str();
  if (chosen.empty()) {
    const MaintServices& ui = MaintGetServices();
    if (!ui.choose_file) return kStNotAvailable;
    ScratchScope scope;
    if (Status s = ui.choose_file(StrPair{}, &chosen)) return s;
    if (chosen.empty()) return kStCancelled;
  }
  ScratchScope scope;
  *file = DictFileOfBaseName(StrOf(chosen));
  if (*file == 0) return ErrIncident(kStDataError, StrOf(chosen), false);
  *folder = PathSplit(StrOf(chosen), 3).str();
  return kOk;
}

// Hook 23 during a restore: the progress window's tick.
Status RestoreTick() { return MaintProgressTick(); }

Status CopyVerb(StrPair argument) {
  ScratchScope scope;
  int16_t mode = StrItemInt(argument, ',', 1);
  return MaintBackupRestore(uint16_t(mode), StrItem(argument, ',', 2));
}

}  // namespace

StrPair MaintChooseFolder(StrPair start, StrPair title) {
  std::string from = start.empty() ? SysCurrentDir().str() : start.str();
  std::string caption = title.empty() ? MsgText("0049").str() : title.str();
  const MaintServices& ui = MaintGetServices();
  if (!ui.choose_folder) return ScratchText(from);
  std::string chosen = ui.choose_folder(StrOf(from), StrOf(caption));
  return ScratchText(chosen);
}

Status MaintBackupRestore(uint16_t mode, StrPair chosen) {
  if (mode == 2) {
    MsgErrorBox(kStNotAvailable);
    return kOk;
  }
  if (mode > 2) return kStDataError;
  std::string here = SysCurrentDir().str();
  std::string folder;
  uint16_t file = 0;
  Status s = Choose(mode, chosen, &folder, &file);
  if (!here.empty()) SysChangeDir(StrOf(here));
  if (s) return s;

  const HookEntry saved = HookGet(kHookLowLevel);
  if (mode == 0) HookSetFn(AppFunctionsGet().task_low_level, kHookLowLevel);
  else HookSetFn(&RestoreTick, kHookLowLevel);
  const uint16_t files = DictFileCount();
  MaintProgressOpen(mode == 0 ? files : 0);
  if (mode == 0) {
    for (uint16_t f = 1; f <= files; ++f) {
      ScratchScope scope;
      s = DataFileCopyCompanions(f, StrOf(folder), 0, nullptr);
      if (s > kStFirstError) break;
    }
  } else {
    ScratchScope scope;
    s = DataFileCopyCompanions(file, StrOf(folder), 1, nullptr);
  }
  MaintProgressClose();
  HookSet(saved, kHookLowLevel);
  if (s == kOk) MsgErrorBox(kOk);
  return s;
}

Status MaintReorgTable(StrPair argument) {
  uint16_t file = 0;
  {
    ScratchScope scope;
    StrPair name = StrTrim(argument, 3);
    if (!name.empty()) {
      file = DictFileByName(name);
    } else {
      const MaintServices& ui = MaintGetServices();
      if (!ui.choose_table) return kStNotAvailable;
      file = ui.choose_table(MsgText("0085"));
      if (file == 0) return kStCancelled;
    }
  }
  if (file == 0 || !DictFileDefined(file)) return kStDataOutBound;
  MaintProgressOpen(4);
  Status s = DataFileRebuild(file, [](int64_t, StrPair) { return MaintProgressTick(); });
  MaintProgressClose();
  if (s == kOk) MsgErrorBox(kOk);
  return s;
}

void DataInstallMaintenance() {
  AppVerbServiceSet(kVerbCopy, &CopyVerb);
  AppVerbServiceSet(kVerbReorg, &MaintReorgTable);
}

}  // namespace eng
