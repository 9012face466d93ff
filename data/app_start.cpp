#include "data/app_start.h"
#include "data/maint_verbs.h"
#include "data/trans_verb.h"
#include "data/stat_scan.h"

#include <string>

#include "core/cmd_line.h"
#include "core/date_text.h"
#include "core/dyn_strings.h"
#include "core/err_names.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/exp_parm_file.h"
#include "core/fn_builtins.h"
#include "core/fmt_locale.h"
#include "core/folders.h"
#include "core/help.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/dict_load.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "data/fn_records.h"
#include "data/record_statements.h"

namespace eng {

namespace {

void ClearErrors() {
  ErrSetLast(2, 0, 0, 0);
  ErrIncident(kOk, StrPair{}, false);
}

StrPair Setting(uint16_t n) { return DynStrGet(sl::kSettings, n); }

// (0, 0): the number and date locale texts of the message catalogue, and the
// formatter pointed at them.
Status SetLocaleTexts() {
  ScratchScope scope;
  std::string text(MsgText("0019").view());
  text += '\0';
  text.append(MsgText("0117").view());
  text += '\0';
  text += ' ';
  Status s = DynStrSet(sl::kSettings, sl::kLocaleText, StrOf(text));
  FmtSetLocale();
  return s;
}

// The catalogue is first consulted before the language and the application
// folders are known; look for it again under them. A catalogue that is found
// but cannot be used leaves the built-in texts in force and is reported.
void ReloadCatalogue() {
  MsgCatalogReset();
  Status s = MsgCatalogLoad();
  SetLocaleTexts();
  if (StatusIsError(s)) {
    ScratchScope scope;
    StrPair lang = Setting(sl::kLanguage);
    std::string name = "KV_LANG_" + std::string(lang.ok() && !lang.empty() ? lang.view() : "*") + ".MSJ";
    ErrIncident(s, StrOf(name), false);
    ErrSetLast(1, kModStreams, s, s);
    MsgErrorBox(s);
    ErrSetLast(2, 0, 0, 0);
  }
}

Status LoadDictionary(uint8_t flags, StrPair identity) {
  ScratchScope scope;
  bool load = (flags & kStartLoadDict) != 0;
  if (!load && (flags & kStartDictIfRenamed)) load = Setting(sl::kIdentity).view() != identity.view();
  if (!load) return kOk;
  ClearErrors();
  std::string prefix(AppPrefix().view());
  Status s = kStLoadStr;
  if (prefix.size() >= 2) {
    uint16_t before = DictFileCount();
    s = DictLoad(Setting(sl::kAppFolder), StrOf(prefix), StrOf(""));
    // The single retry from the data path; a load that already defined files
    // is not repeated on top of them.
    if (s && DictFileCount() == before) {
      AppSetFolders(2);
      ClearErrors();
      s = DictLoad(Setting(sl::kAppFolder), StrOf(prefix), StrOf(""));
    }
  }
  if ((flags & kStartDictOptional) && (s == kStLoadStr || s == kStFileNotFound)) s = kOk;
  if (s == kOk) s = ExpFileNumberVars();
  return s;
}

}  // namespace

Status AppSetEnvEntry(uint16_t n, StrPair text, bool overwrite) {
  if (!overwrite) {
    StrPair old = Setting(n);
    if (old.ok() && !old.empty()) return kOk;
  }
  return DynStrSet(sl::kSettings, n, text);
}

Status AppSetFolders(uint16_t mode) {
  ScratchScope scope;
  uint16_t kind = mode & 3;
  if (kind != 1 && kind != 2) return kStDataError;
  Status s = kOk;
  if (kind == 1) {
    s = AppSetEnvEntry(sl::kAppFolder, PathProgram(2), false);
  } else {
    std::string path(CmdOption(kOptDPath).view());
    if (path.empty() || path[0] == '.') {
      if (path.empty()) path = "..\\APPS";
      path = std::string(PathFoldDots(SysCurrentDir(), StrOf(path)).view());
    }
    s = AppSetEnvEntry(sl::kAppFolder, StrOf(path), true);
  }
  if (s) return s;
  s = AppSetEnvEntry(sl::kHelpFolder, PathFolder(kPathHelp), kind == 2);
  if (s) return s;
  if (mode & 8) {
    StrPair backup = PathFolder(kPathBackup);
    if (!backup.empty() && SysFileAttr(backup) == kStFileNotFound) PathMakeDirs(PathJoin(backup, StrOf("x")));
  }
  return kOk;
}

Status AppSetIdentity(StrPair identity, StrPair title) {
  ScratchScope scope;
  StrPair trace = CmdOption(kOptTrace);
  SysVarSet(kVarTrace, static_cast<int16_t>(StrItemInt(trace, ',', 1) | 1));
  std::string id(CmdOption(kOptApName).view());
  if (id.empty()) id = std::string(identity.view());
  StrPair family = StrItem(Setting(sl::kIdentity), ':', 2);
  if (family.ok() && !family.empty()) {
    id += ':';
    id.append(family.view());
  }
  if (Status s = DynStrSet(sl::kSettings, sl::kIdentity, StrOf(id))) return s;
  if (title.ok() && !title.empty()) {
    if (Status s = DynStrSet(sl::kSettings, sl::kTitle, title)) return s;
  }
  return AppSetFolders(1);
}

Status AppStartAbout(Status status) {
  uint16_t trace = SysVarBits(kVarTrace);
  if ((trace & 0x100) && !(trace & 0x10)) {
    ScratchScope scope;
    HelpAboutBox(StrOf(std::to_string(SysVarGet(kVarPrecis))));
  }
  return status;
}

Status AppInitCore(uint16_t count, StrPair line, const char* const* argv) {
  if (Status s = VarInitSystem()) return s;
  // The value built-ins, before any procedure or configuration file can run.
  if (Status s = FnInstallValueBuiltins()) return s;
  const AppStartServices& ui = AppGetStartServices();
  if (ui.field_provider) HookSetFn(ui.field_provider, kHookFieldProvider);
  FmtDateInstallLog();
  DataInstallFieldAccess();
  DataInstallRecordBuiltins();
  DataInstallRecordStatements();
  DataInstallMaintenance();
  DataInstallTransactions();
  StatRegister();
  if (Status s = SetLocaleTexts()) return s;
  ScratchScope scope;
  StrPair text = count == kStartLineText ? line : CmdLineFromArgv(count, argv);
  if (!text.ok()) return StrError(text);
  return CmdLineStore(text);
}

Status AppStartPhases(StrPair identity, StrPair title, uint8_t flags, AppPhaseCallback phase) {
  Status s = kOk;
  if (phase) s = phase(static_cast<uint16_t>(flags * 16 + 1));
  if (s == kOk) {
    StrPair lang = Setting(sl::kLanguage);
    if (!lang.ok() || lang.empty()) AppCallDefaultLanguage();
  }
  if (s == kOk) s = AppSetIdentity(identity, title);
  if (s == kOk) ReloadCatalogue();
  if (s == kOk) s = LoadDictionary(flags, identity);
  if (s == kOk) {
    const AppStartServices& ui = AppGetStartServices();
    if (ui.font_cfg_load) ui.font_cfg_load();
  }
  s = AppStartAbout(s);
  if ((s == kOk || s == kStLoadStr) && phase) s = phase(static_cast<uint16_t>(flags * 16 + 2));
  if (s == kOk) ClearErrors();
  return s;
}

Status AppStartSteps(uint16_t count, StrPair line, const char* const* argv, StrPair identity, StrPair title,
                     uint8_t flags, AppPhaseCallback phase) {
  Status s = AppInitCore(count, line, argv);
  if (s) return s;
  return AppStartPhases(identity, title, flags, phase);
}

namespace {

Status StartShown(void* instance, uint16_t count, StrPair line, const char* const* argv, StrPair identity,
                  StrPair title, uint8_t flags, AppPhaseCallback phase) {
  const AppStartServices& ui = AppGetStartServices();
  if (ui.init_instance) ui.init_instance(instance);
  Status s = AppStartSteps(count, line, argv, identity, title, flags, phase);
  if (s > kStDetailText) MsgErrorBox(s);
  return s;
}

}  // namespace

Status AppStart(void* instance, StrPair command_line, StrPair identity, StrPair title, uint8_t flags,
                AppPhaseCallback phase) {
  return StartShown(instance, kStartLineText, command_line, nullptr, identity, title, flags, phase);
}

Status AppStartArgv(void* instance, int argc, const char* const* argv, StrPair identity, StrPair title,
                    uint8_t flags, AppPhaseCallback phase) {
  if (argc < 1 || argc >= kStartLineText || argv == nullptr) return kStDataError;
  return StartShown(instance, static_cast<uint16_t>(argc), StrPair{}, argv, identity, title, flags, phase);
}

Status AppLoadConfigFiles(StrPair list) {
  if (!list.ok()) return StrError(list);
  uint16_t n = StrItemCount(list, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    ScratchScope scope;
    StrPair item = StrItem(list, ',', i);
    if (!item.ok() || item.empty()) continue;
    StrPair name = StrItem(item, ';', 1);
    int mode = StrItemCount(item, ';') > 1 ? StrItemInt(item, ';', 2) : 0;
    if (Status s = ExpLoadParmFile(name, mode)) return s;
  }
  return AppLoadLangVars();
}

Status AppLoadLangVars() {
  ScratchScope scope;
  std::string name = std::string(AppPrefix().view()) + "LANGVARS.DAT";
  StrPair path = PathFindFile(Setting(sl::kAppFolder), StrOf(name));
  if (!path.ok() || path.empty()) return kOk;
  uint16_t stream = StrmOpen(path, 8);
  if (stream == kStrmNone) return kOk;
  Status result = kOk;
  for (;;) {
    ScratchScope line_scope;
    StrPair line = StrmReadLine(stream, kStrmHere, kStrmLine);
    if (!line.ok()) {
      if (StrError(line) != kStDiskIo) result = StrError(line);
      break;
    }
    if (line.empty()) continue;
    StrPair var = StrTrim(StrItem(line, '=', 1), 3);
    // Only the number: a reference with text after it would be its own default.
    std::string number(StrTrimSet(StrItem(line, '=', 2), 3, StrOf(" \t\r")).view());
    StrPair text = MsgText(number.c_str());
    StrPair statement = ExpMakeAssignment(var, text);
    result = statement.ok() ? ExpExecute(statement) : StrError(statement);
  }
  StrmClose(stream);
  return result;
}

Status AppShutdown(AppPhaseCallback phase, Status run_status) {
  Status p = phase ? phase(3) : kOk;
  Status v = VarShutdown();
  Status first = run_status ? run_status : (p ? p : v);
  return first >= kStFirstError ? first : kOk;
}

}  // namespace eng
