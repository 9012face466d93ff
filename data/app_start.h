// Application start-up and shut-down: the spine of a program run.
//
// The entry point calls, in order: MemSetLimits, AppSetActionCallback,
// AppSetScreenSize, the display font, AppStart, AppStartMenuName, AppRunMenu,
// SessionStateCheck(0), AppShutdown. A non-zero AppStart status ends the
// program at once with that status (no session-state step, no shut-down).
//
// AppStart (instance, command line, identity, title, flags, phase callback):
//   core: string store, object tables and system variables; the value
//   built-ins; the data layer's field access, built-ins and statements;
//   hook 0 (the screen-field provider, when the window layer installed one);
//   string element (0, 0) = message 0019, NUL, message 0117, NUL, blank,
//   and the formatter's locale from it; the normalised command line as (0, 1); phases:
//   phase 1 (flags x 16 + 1); the default language when (0, 4) is empty; the
//   identity (APNAME option or the one given), title, _TRACE (TRACE option |
//   1) and folders; the message catalogue looked for again now that language
//   and folders are known (a catalogue that is found but cannot be used is
//   shown as a warning and the built-in texts stay); the dictionary by the
//   two-letter prefix (flag 2, or flag 8 when APNAME replaced the identity)
//   from the folders of (0, 5), retried once from DPATH or "..\APPS" beside
//   the current folder; 156 for a prefix shorter than two characters; flag 4
//   turns 156 and 164 into 0; the variable per data file; the font settings;
//   the About box for TRACE bit 0x100 without 0x10; phase 2 (flags x 16 + 2)
//   when the status is 0 or 156, its result replacing the status. A status
//   above 121 is shown in a message box.
// AppLoadConfigFiles (list): ","-list of names, each optionally followed by
//   ";mode" (mode 1: the file is required, 164 with its name as incident
//   text when missing); the first failure ends the list; then
//   AppLoadLangVars: "<prefix>LANGVARS.DAT", lines "name=message number",
//   each assigning the message's text; a failing line does not stop the
//   reading; the result is the last assignment's status.
// AppShutdown (phase callback, run status): phase 3, then every table is
//   freed; the first non-zero of run status, phase 3 and freeing when it is
//   128 or more, else 0.
#pragma once

#include <cstdint>

#include "core/app_state.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// Start flags.
enum AppStartFlags : uint8_t {
  kStartLoadDict = 2,
  kStartDictOptional = 4,
  kStartDictIfRenamed = 8,
};

// The configuration files every application loads in its phase 2, in order.
inline constexpr const char* kAppConfigFiles =
    "%APPPATH_DATA%\\%APNAME%CLCUSR.%DATABASE_HOST%.%DATABASE_DBNAME%.DAT,%APNAME%CLCUSR.DAT,"
    "%APPPATH_DATA%\\%APNAME%PARINI.DAT,%APNAME%CLCFIX.DAT;1,KVCLCUSR.DAT,%APPPATH_DATA%\\KVCLCUSR.DAT";

// Count 0xFFFF: `line` is the command line as one text.
inline constexpr uint16_t kStartLineText = 0xFFFF;

Status AppStart(void* instance, StrPair command_line, StrPair identity, StrPair title, uint8_t flags,
                AppPhaseCallback phase);
// AppStart for a program's main: the command line rebuilt from argv (argc
// arguments, argument 0 the program); 163 when there is no argument 0.
Status AppStartArgv(void* instance, int argc, const char* const* argv, StrPair identity, StrPair title,
                    uint8_t flags, AppPhaseCallback phase);
// The start behind AppStart: count kStartLineText takes `line` as one text,
// any other count takes `argv` (count C strings, argument 0 the program).
Status AppStartSteps(uint16_t count, StrPair line, const char* const* argv, StrPair identity, StrPair title,
                     uint8_t flags, AppPhaseCallback phase);
Status AppInitCore(uint16_t count, StrPair line, const char* const* argv);
Status AppStartPhases(StrPair identity, StrPair title, uint8_t flags, AppPhaseCallback phase);
Status AppSetIdentity(StrPair identity, StrPair title);
// Mode 1: (0, 5) = the program folder unless set; mode 2: (0, 5) = DPATH, or
// "..\APPS" against the current folder (overwriting). Then (0, 7) = the help
// folder (overwriting only in mode 2). Mode bit 8 creates the backup folder.
// 163 for a mode whose low two bits are neither 1 nor 2.
Status AppSetFolders(uint16_t mode);
// Element n of list 0; without overwrite an element with a value is kept.
Status AppSetEnvEntry(uint16_t n, StrPair text, bool overwrite);
Status AppStartAbout(Status status);
Status AppLoadConfigFiles(StrPair list);
Status AppLoadLangVars();
Status AppShutdown(AppPhaseCallback phase, Status run_status);

}  // namespace eng
