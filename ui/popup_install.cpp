#include "ui/popup_install.h"

#include <string>

#include "core/app_state.h"
#include "core/app_verbs.h"
#include "core/def_lines.h"
#include "core/exec_handlers.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "data/dict_query.h"
#include "data/maint_services.h"
#include "data/record_statements.h"
#include "data/stat_steps.h"
#include "data/trans_services.h"
#include "ui/accept_field.h"
#include "ui/accept_win.h"
#include "ui/chooser.h"
#include "ui/field_values.h"
#include "ui/menu_field_options.h"
#include "ui/file_dialog.h"
#include "ui/hook_win.h"
#include "ui/popups.h"
#include "ui/progress_win.h"
#include "ui/screen_open.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_loop.h"
#include "ui/window_procs.h"

namespace eng {

namespace {

// A choice in the chooser's own popup (list box), the popup closed after a
// choice; 0 for none.
uint16_t ChooseAndClose(StrPair title, StrPair items) {
  const uint16_t choice = ChoiceSelect(title, items, kChoiceOwnPopup | kChoiceListBox);
  if (choice == kChoiceNone) return 0;
  if (choice != 0) ChoiceClose();
  return choice;
}

// The FILESELECT dialog: the definition-file kind with the statement's
// prefix and folder flags; an open dialog.
Status FileSelectDialog(uint16_t kind, uint16_t flags, std::string* chosen) {
  ScratchScope scope;
  const uint16_t dialog = static_cast<uint16_t>((kind & kFileDlgKindMask) |
                                                (flags & (kFileDlgPrefix | kFileDlgKeepFolder)));
  *chosen = FileDlgSelect(false, dialog).str();
  return chosen->empty() ? Status{kStCancelled} : Status{kOk};
}

// The open or save dialog over every file, in the current folder, which is
// left as it was: 0 with the chosen path, 122 when cancelled.
Status ChooseAmongAllFiles(bool save, StrPair title, std::string* chosen) {
  ScratchScope scope;
  const std::string all = FileDlgAllFiles();
  *chosen = FileDlgRun(save, StrPair{}, StrPair{}, kFileDlgKeepFolder, StrOf(all), title).str();
  return chosen->empty() ? Status{kStCancelled} : Status{kOk};
}

// The open-file dialog of a restore.
Status ChooseAnyFile(StrPair title, std::string* chosen) { return ChooseAmongAllFiles(false, title, chosen); }

// The external file of a transaction: the save form for an export.
Status ChooseExternal(bool save, std::string* chosen) { return ChooseAmongAllFiles(save, StrPair{}, chosen); }

// A transaction's chooser: its own list popup each time, closed after the
// choice, so a run that chooses again starts from a fresh list.
Status TransChooseWindow(StrPair title, StrPair items, uint16_t, uint16_t* chosen) {
  *chosen = ChooseAndClose(title, items);
  return *chosen == 0 ? Status{kStCancelled} : Status{kOk};
}

uint16_t ChooseTable(StrPair title) {
  ScratchScope scope;
  return ChooseAndClose(title, DictFileNames());
}

constexpr int kStatWinKind = 5;
constexpr uint16_t kPpnFormat = 1;

// The window of a statistics definition line: its parameters pushed (read
// by the steps until the window closes) and its screen opened in a dialog
// window over the window on top.
Status StatScreenOpen(StrPair definition) {
  ScratchScope scope;
  const WinDefRecord r = WinDefParse(definition);
  StrPair ppn = WinDefFilePath(StrOf(r.file), kDefKindPpn);
  Status pushed = ParmPushDefOrEmpty(ppn.empty() ? DefFileName(StrOf(r.file), kDefKindPpn) : ppn, kPpnFormat, r.number);
  // A missing definition pushed an empty one; any other failure pushed none.
  if (pushed != kOk && pushed != kStLowFailure) return pushed;
  plat::Hwnd h = WinCreateKind(kStatWinKind, 0, StrOf(r.file), 0, r.columns ? r.columns : -1,
                               r.rows ? r.rows : -1, &ScreenDialogProc);
  if (!h) {
    ParmPop();
    return kStWindowsControl;
  }
  Status s = ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, r.data_file, StrOf(r.entry));
  if (s) {
    WinDestroy(h);
    ParmPop();
    return s;
  }
  ScreenWinFirstFocus(h);
  WinShowTop(-1);
  return kOk;
}

void StatScreenClose() {
  ScreenWinClose(-1);
  ParmPop();
}

std::string StatScreenField(uint16_t field) {
  ScratchScope scope;
  return ScreenFieldRaw(field).str();
}

// An Accept command of a field's option menu: a cancelled form is no
// failure and leaves the field as it is.
Status FieldAccept(StrPair argument, std::string* last) {
  const Status s = AcceptLastValue(argument, last);
  return s == kStCancelled ? Status{kOk} : s;
}

// The other commands of a field's option menu, for that field (its ALARM$
// guards the accept forms it opens).
Status FieldRunVerb(int field, StrPair command) { return MantRunVerb(field, command, kVerbMantMain); }

}  // namespace

void UiInstallPopupServices(plat::WinSystem* ws) {
  if (ws) UiSetWinSystem(ws);

  AppChooserSet(&ChoiceSelect, &ChoiceClose);
  UiSetChooser(&ChooseAndClose);

  ExecServices exec = ExecGetServices();
  exec.progress_pump = &ProgPump;
  exec.progress_active = &ProgActive;
  exec.progress_close = &ProgClose;
  ExecSetServices(exec);

  AppStartServices start = AppGetStartServices();
  start.progress_step = [](int64_t, StrPair text) { ProgStep(0, 1, text); };
  start.progress_close = &ProgClose;
  AppSetStartServices(start);

  MaintServices maint = MaintGetServices();
  maint.progress_open = [](uint32_t steps, StrPair title) {
    ProgOpen(0, steps);
    if (!title.empty()) ProgSetTitle(title);
  };
  maint.progress_tick = []() { return ProgStep(0, 1, StrPair{}); };
  maint.progress_close = &ProgClose;
  maint.choose_folder = [](StrPair start_folder, StrPair title) {
    ScratchScope scope;
    return FileDlgChooseFolder(start_folder, title).str();
  };
  maint.choose_file = &ChooseAnyFile;
  maint.choose_table = &ChooseTable;
  maint.banner_show = [](StrPair text) { PopupBannerShow(text); };
  maint.banner_close = &PopupBannerHide;
  MaintSetServices(maint);

  DataSetFileDialog(&FileSelectDialog);

  TransServices trans = TransGetServices();
  trans.accept = &AcceptRunTexts;
  trans.choose = &TransChooseWindow;
  // A step with a text shows it (the window turns to its text line for good);
  // without one it advances the bar.
  trans.progress_step = [](uint32_t amount, StrPair text) {
    return text.empty() ? ProgStep(0, amount, StrPair{}) : ProgShowText(text);
  };
  trans.choose_external = &ChooseExternal;
  TransSetServices(trans);

  StatScreenServices stat;
  stat.open = &StatScreenOpen;
  stat.close = &StatScreenClose;
  stat.field_text = &StatScreenField;
  StatSetScreenServices(stat);

  ScreenFieldOptionServicesSet(&FieldAccept, &FieldRunVerb);
}

}  // namespace eng
