// Commands: menu items, the INPUT file, the RUN option, command lists of
// window definitions and application code express work as a verb of AppVerbs
// followed by its argument ("PrcExec demo.prx", "Report,LISTADO").
//
// AppParseVerb expands the command's bracket macros (brackets inside quotes
// count too) and trims it; the separator is a blank when the text holds a
// blank outside quotes, else ","; the first item is the verb, matched exactly
// (case counts). A known verb gives (verb << 16 | 0) and the text after the
// verb and its separator; any other first word gives (0 << 16 | 163) and an
// empty rest. The rest is a view into a new scratch entry.
//
// AppRunCommand hands the parsed command (also a failed parse) to the action
// callback installed for the run; when none is installed yet, the given
// default becomes the installed one for the rest of the run.
//
// AppVerbDispatch, the engine's default callback, serves AcceptRun, MantAux,
// PrcExec, Report, Reorg, Copy, FileTrans, Help, FontSet and ExpEval; every
// other verb, and a failed parse, gives status 163 with message 0031 as the
// incident text. The verbs whose work lies in a higher layer (AcceptRun,
// MantAux, Report, Reorg, Copy, FileTrans, FontSet) go through a per-verb
// service that the layer installs (AppVerbServiceSet); until then AcceptRun,
// Report, Reorg, Copy and FileTrans answer 163 with message 0031, FontSet
// answers 0, and MantAux runs its core half (AppMantAuxParms). The Copy
// service reads its argument as an integer (0 backup, 1 restore); Reorg's
// argument is not used.
//
// AppPrcExec: an argument without "*" outside quotes is a procedure command
// for ExecRunMenuProc; one with "*" is a file pattern in the application
// folder: no match gives 164 (incident message 0031); otherwise the titles of
// the matching files are offered in the chooser (prompt message 0088, mode 3)
// again and again, each choice run, until the chooser is cancelled (the
// result is the status so far, 0) or a run fails (its status). Without an
// installed chooser the choice counts as cancelled.
//
// AppRunCommandList (list, position, skip set): the ","-items of the list,
// from the 1-based position on (at least 1), are evaluated as text
// expressions, parsed and run by AppVerbDispatch directly (not through the
// action callback); a verb whose number, as a character code, is in the skip
// set gives 124 and is not run. The first non-zero status ends the list and
// is the result; the position receives the number of the last item taken.
//
// AppAcceptStepsHook (action), the window handler of hook 6: on a
// confirmation (class 25) the window's COND$ becomes element (9, 1) and then
// its STEPS$ runs as a command list; every action ends in the window's common
// exit step (ScreenCloseOnExit with flag 16, installed by the window layer).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/app_state.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kAppVerbCount = 19;
// The verbs, numbered from 1: AppVerbs[n - 1] is verb n.
inline constexpr std::array<std::string_view, kAppVerbCount> AppVerbs = {
    "Menu",     "Accept",    "AcceptRun", "MantAux", "MantMain", "MantAuto", "MantMovs",
    "LnManMain", "LnNavMain", "PrcExec",  "Report",  "Reorg",    "Copy",     "FileTrans",
    "Help",     "Perform",   "FontSet",   "WizzSelect", "ExpEval"};

enum AppVerbId : uint16_t {
  kVerbNone = 0, kVerbMenu, kVerbAccept, kVerbAcceptRun, kVerbMantAux, kVerbMantMain, kVerbMantAuto,
  kVerbMantMovs, kVerbLnManMain, kVerbLnNavMain, kVerbPrcExec, kVerbReport, kVerbReorg, kVerbCopy,
  kVerbFileTrans, kVerbHelp, kVerbPerform, kVerbFontSet, kVerbWizzSelect, kVerbExpEval,
};

// The chooser mode and prompt of a PrcExec pattern.
inline constexpr uint16_t kAppPrcChooserMode = 3;
// The status a skipped command of a command list gives ("|").
inline constexpr Status kAppVerbSkipped = kStUndefinedWarning;

// The parsed command word: verb number high, parse status low.
constexpr uint32_t AppVerbWord(uint16_t verb, Status status) { return (uint32_t(verb) << 16) | status; }
constexpr uint16_t AppVerbOf(uint32_t word) { return static_cast<uint16_t>(word >> 16); }
constexpr Status AppParseStatusOf(uint32_t word) { return static_cast<Status>(word & 0xFFFF); }

struct AppCommand {
  uint32_t verb_and_status = AppVerbWord(kVerbNone, kStDataError);
  StrPair rest{};
};

// A verb's operation in a higher layer: (argument) -> status.
using AppVerbFn = Status (*)(StrPair argument);
// ChoiceSelect: (title, ","-list of quoted items, mode) -> 1-based choice,
// 0 cancelled, 0xFFFF nothing shown.
using AppChoiceSelectFn = uint16_t (*)(StrPair title, StrPair items, uint16_t mode);
using AppChoiceCloseFn = void (*)();
// The current screen's definition text (MantAux "1,1"); a failure pair when
// there is no screen.
using AppScreenDefFn = StrPair (*)();
// ScreenCloseOnExit: (action, status, flags) -> the handler's answer.
using AppCloseOnExitFn = Status (*)(uint16_t action, Status status, uint16_t flags);

struct AppVerbServices {
  std::array<AppVerbFn, kAppVerbCount + 1> verbs{};  // by verb number
  AppChoiceSelectFn choice_select = nullptr;
  AppChoiceCloseFn choice_close = nullptr;
  AppScreenDefFn screen_definition = nullptr;
  AppCloseOnExitFn close_on_exit = nullptr;
};

struct AppVerbState {
  AppVerbServices services;
};

// Installs (or, with null, removes) the service of a verb served through a
// higher layer: AcceptRun, MantAux, Report, Reorg, Copy, FileTrans, FontSet.
// 0; 163 for any other verb (nothing is stored).
Status AppVerbServiceSet(uint16_t verb, AppVerbFn fn);
void AppChooserSet(AppChoiceSelectFn select, AppChoiceCloseFn close);
void AppScreenServicesSet(AppScreenDefFn definition, AppCloseOnExitFn close_on_exit);

// The verb number of a word (exact match); 0 for none.
uint16_t AppVerbNumber(StrPair word);

AppCommand AppParseVerb(StrPair command);
Status AppRunCommand(StrPair command, AppActionCallback default_callback);
Status AppVerbDispatch(uint32_t verb_and_status, StrPair rest);
// The command unchanged when its first word is a verb, else verb n's name, a
// blank and the command (a new scratch entry).
StrPair AppAddDefaultVerb(StrPair command, uint16_t verb);
Status AppPrcExec(StrPair argument, void (*callback)());
// Position may be null (start at 1, nothing reported back).
Status AppRunCommandList(StrPair list, uint16_t* position, StrPair skip);
Status AppAcceptStepsHook(uint16_t action);

// MantAux without a window layer: item 1 of the argument as an integer:
// 0 rewrites the parameter file PARM_FILE$ with the items of
// PARM_FILE_WRITE$ (0 when either is empty); 1 pushes the current screen's
// definition text on the parameter stack when item 2 is a non-zero number
// (163 with message 0031 when no screen service is installed), else pops the
// parameter stack; any other value gives 163.
Status AppMantAuxParms(StrPair argument);

// Status 163 with message 0031 as the incident text: a verb nobody serves.
Status AppVerbNotServed();

}  // namespace eng
