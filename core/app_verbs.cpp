#include "core/app_verbs.h"

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exec_run.h"
#include "core/exp_eval.h"
#include "core/exp_parm_file.h"
#include "core/def_lines.h"
#include "core/folders.h"
#include "core/help.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/string_lists.h"

namespace eng {
namespace {

AppVerbServices& Services() { return Core().verbs.services; }

bool ServedThroughService(uint16_t verb) {
  switch (verb) {
    case kVerbAcceptRun:
    case kVerbMantAux:
    case kVerbReport:
    case kVerbReorg:
    case kVerbCopy:
    case kVerbFileTrans:
    case kVerbFontSet:
      return true;
    default:
      return false;
  }
}

constexpr std::string_view kCommandTrim = " \t\r\n";

// The common exit of a window handler when the window layer has installed
// none: a status of 122 and above, or the status of a confirmation, is the
// answer; a close request answers 4; anything else 24.
Status CloseOnExitDefault(uint16_t action, Status status) {
  const uint16_t cls = action & 0xFF;
  if (status >= kStFirstWarning || cls == 25) return status;
  return cls == 28 ? 4 : 24;
}

// The folder part of a pattern, with its separator ("" when it has none).
std::string_view FolderOf(std::string_view pattern) {
  size_t cut = pattern.find_last_of("/\\");
  return cut == std::string_view::npos ? std::string_view() : pattern.substr(0, cut + 1);
}

}  // namespace

Status AppVerbServiceSet(uint16_t verb, AppVerbFn fn) {
  if (!ServedThroughService(verb)) return kStDataError;
  Services().verbs[verb] = fn;
  return kOk;
}

void AppChooserSet(AppChoiceSelectFn select, AppChoiceCloseFn close) {
  Services().choice_select = select;
  Services().choice_close = close;
}

void AppScreenServicesSet(AppScreenDefFn definition, AppCloseOnExitFn close_on_exit) {
  Services().screen_definition = definition;
  Services().close_on_exit = close_on_exit;
}

Status AppVerbNotServed() {
  ScratchScope scope;
  return ErrIncident(kStDataError, MsgText("0031"), false);
}

uint16_t AppVerbNumber(StrPair word) {
  if (!word.ok()) return kVerbNone;
  for (uint16_t i = 0; i < kAppVerbCount; ++i) {
    if (word.view() == AppVerbs[i]) return static_cast<uint16_t>(i + 1);
  }
  return kVerbNone;
}

AppCommand AppParseVerb(StrPair command) {
  AppCommand out;
  StrPair text = MacroExpand(command, kMacroInQuotes);
  if (!text.ok()) {
    out.verb_and_status = AppVerbWord(kVerbNone, StrError(text));
    return out;
  }
  text = StrTrimSet(text, 3, StrOf(kCommandTrim));
  const char sep = StrFindChar(text, ' ', false) != kNotFound ? ' ' : ',';
  const uint16_t verb = AppVerbNumber(StrItem(text, sep, 1));
  if (verb == kVerbNone) {
    out.verb_and_status = AppVerbWord(kVerbNone, kStDataError);
    return out;
  }
  out.verb_and_status = AppVerbWord(verb, kOk);
  out.rest = StrItemRest(text, sep);
  return out;
}

Status AppRunCommand(StrPair command, AppActionCallback default_callback) {
  if (!AppGetActionCallback()) AppSetActionCallback(default_callback);
  AppActionCallback callback = AppGetActionCallback();
  ScratchScope scope;
  AppCommand parsed = AppParseVerb(command);
  if (!callback) return AppVerbNotServed();
  return callback(parsed.verb_and_status, parsed.rest);
}

Status AppVerbDispatch(uint32_t verb_and_status, StrPair rest) {
  const uint16_t verb = AppVerbOf(verb_and_status);
  if (AppParseStatusOf(verb_and_status) != kOk) return AppVerbNotServed();
  if (!rest.ok()) rest = StrPair{};
  switch (verb) {
    case kVerbPrcExec:
      return AppPrcExec(rest, nullptr);
    case kVerbHelp:
      return HelpCommand(rest);
    case kVerbExpEval:
      return ExpExecute(rest);
    case kVerbMantAux:
      if (AppVerbFn fn = Services().verbs[verb]) return fn(rest);
      return AppMantAuxParms(rest);
    case kVerbFontSet:
      if (AppVerbFn fn = Services().verbs[verb]) return fn(rest);
      return kOk;
    case kVerbAcceptRun:
    case kVerbReport:
    case kVerbReorg:
    case kVerbCopy:
    case kVerbFileTrans:
      if (AppVerbFn fn = Services().verbs[verb]) return fn(rest);
      return AppVerbNotServed();
    default:
      return AppVerbNotServed();
  }
}

StrPair AppAddDefaultVerb(StrPair command, uint16_t verb) {
  if (!command.ok()) return command;
  bool parses;
  {
    ScratchScope scope;
    parses = AppParseStatusOf(AppParseVerb(command).verb_and_status) == kOk;
  }
  if (parses || verb == kVerbNone || verb > kAppVerbCount) return ScratchPair(command);
  std::string out(AppVerbs[verb - 1]);
  out += ' ';
  out.append(command.view());
  if (out.size() > kMaxText) return StrFail(kStStringTooLong);
  return ScratchText(out);
}

Status AppPrcExec(StrPair argument, void (*callback)()) {
  if (!argument.ok()) argument = StrPair{};
  if (StrFindChar(argument, '*', false) == kNotFound) return ExecRunMenuProc(argument, callback);

  ScratchScope scope;
  std::vector<std::string> files;
  {
    ScratchScope list_scope;
    StrPair pattern = PathFolderFile(argument, kPathDefault);
    if (!pattern.ok()) return StrError(pattern);
    const std::string folder(FolderOf(pattern.view()));
    StrPair names = SysDirList(pattern);
    if (names.ok()) {
      for (uint16_t i = 1, n = StrItemCount(names, '\0'); i <= n; ++i) {
        std::string path = folder + StrItem(names, '\0', i).str();
        ScratchScope probe;
        // Folders matching the pattern are no procedures.
        if (SysFileAttr(StrOf(path)) & kAttrFolder) continue;
        files.push_back(std::move(path));
      }
    }
  }
  if (files.empty()) return ErrIncident(kStFileNotFound, MsgText("0031"), false);

  std::string list;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i) list += ',';
    list += files[i];
  }
  const AppVerbServices& svc = Services();
  Status status = kOk;
  while (status == kOk) {
    ScratchScope round;
    StrPair titles = DefFilesTitles(StrOf(list));
    if (!titles.ok()) return StrError(titles);
    uint16_t choice = svc.choice_select ? svc.choice_select(MsgText("0088"), titles, kAppPrcChooserMode) : 0;
    // Cancelled, nothing shown, or an answer outside the list: the loop ends.
    if (choice == 0 || choice > files.size()) break;
    if (svc.choice_close) svc.choice_close();
    status = ExecRunMenuProc(StrOf(files[choice - 1]), callback);
  }
  return status;
}

Status AppRunCommandList(StrPair list, uint16_t* position, StrPair skip) {
  if (!list.ok()) return StrError(list);
  const uint16_t count = StrItemCount(list, ',');
  uint16_t first = position && *position > 1 ? *position : 1;
  const uint16_t mark = ScratchMark(-1);
  Status status = kOk;
  uint16_t taken = 0;
  for (uint16_t i = first; i <= count; ++i) {
    taken = i;
    StrPair command = ExpEvalStr(StrItem(list, ',', i));
    if (!command.ok()) {
      status = StrError(command);
    } else {
      AppCommand parsed = AppParseVerb(command);
      const uint16_t verb = AppVerbOf(parsed.verb_and_status);
      if (AppParseStatusOf(parsed.verb_and_status) != kOk) {
        status = AppVerbNotServed();
      } else if (skip.ok() && StrFindChar(skip, static_cast<char>(verb), true) != kNotFound) {
        status = kAppVerbSkipped;
      } else {
        status = AppVerbDispatch(parsed.verb_and_status, parsed.rest);
      }
    }
    ScratchMark(mark);
    if (status) break;
  }
  if (position && taken) *position = taken;
  return status;
}

Status AppAcceptStepsHook(uint16_t action) {
  Status status = kOk;
  if ((action & 0xFF) == 25) {
    ScratchScope scope;
    status = DynStrSet(sl::kWork, sl::kAcceptCondition, ParmGet(kParmCond));
    if (status == kOk) {
      StrPair steps = ParmGet(kParmSteps);
      status = AppRunCommandList(steps, nullptr, StrPair{});
    }
  }
  if (AppCloseOnExitFn fn = Services().close_on_exit) return fn(action, status, 16);
  return CloseOnExitDefault(action, status);
}

Status AppMantAuxParms(StrPair argument) {
  ScratchScope scope;
  switch (StrItemInt(argument, ',', 1)) {
    case 0: {
      StrPair file = ParmGet(kParmParmFile);
      StrPair items = ParmGet(kParmParmFileWrite);
      if (!file.ok() || !items.ok() || file.empty() || items.empty()) return kOk;
      return ExpSaveParmFile(file, items);
    }
    case 1: {
      if (StrItemInt(argument, ',', 2) == 0) return ParmPop();
      AppScreenDefFn fn = Services().screen_definition;
      if (!fn) return AppVerbNotServed();
      StrPair definition = fn();
      if (!definition.ok()) return StrError(definition);
      return DynStrPush(sl::kModuleParms, definition);
    }
    default:
      return kStDataError;
  }
}

}  // namespace eng
