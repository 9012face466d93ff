#include "core/app_run.h"

#include <string>

#include "core/app_verbs.h"
#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/err_names.h"
#include "core/err_register.h"
#include "core/help.h"
#include "core/hooks.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_format.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"

namespace eng {
namespace {

const AppRunServices& Services() { return Core().run.services; }

// Reads and runs the command lines of an open stream; the first failure ends.
Status RunScriptLines(uint16_t stream) {
  std::string line(kMaxText + 1, '\0');
  while (true) {
    StrmCount n = StrmRead(stream, kStrmHere, kStrmLine, line.data(), line.size());
    if (n == kStrmEnd) return kOk;
    if (n == kStrmTooLong) return kStStringTooLong;
    if (n < 0) return kStDiskIo;
    StrPair command = StrTrimSet(StrMake(line.data(), size_t(n)), 3, StrOf(" \t\r\n"));
    // A line longer than any text is no command to skip quietly.
    if (!command.ok()) return StrError(command);
    // Blank lines separate commands; they are no commands themselves.
    if (command.empty()) continue;
    // The command's text must outlive later reads: the accept windows it
    // opens read their values from the same stream into the same buffer.
    const std::string text(command.view());
    Status s = AppRunCommand(StrOf(text), AppVerbDispatch);
    if (s) return s;
  }
}

}  // namespace

void AppRunServicesSet(const AppRunServices& services) { Core().run.services = services; }

Status AppRunMenu(StrPair menu) {
  Status status = AppRunMain(menu);
  const AppRunServices& svc = Services();
  if (status == kOk && svc.window_open && svc.window_open() && svc.modal_loop) svc.modal_loop();
  return status;
}

Status AppRunMain(StrPair menu) {
  Status status;
  {
    ScratchScope scope;
    StrPair run = CmdOption(kOptRun);
    const std::string command = run.ok() ? run.str() : std::string();
    if ((!menu.ok() || menu.empty()) && command.empty()) {
      status = kStDataError;
    } else {
      status = AppRunInputScript();
      if (status == kOk) {
        if (command.empty()) {
          status = AppMainWindow(menu);
        } else {
          VarSetBits(kVarScrStat, kScrStatRunCommand, true);
          status = AppRunCommand(StrOf(command), AppVerbDispatch);
        }
      }
    }
  }
  if (status) MsgStopBox(status);
  return status;
}

Status AppRunInputScript() {
  Status status = kOk;
  {
    ScratchScope scope;
    StrPair name = CmdOption(kOptInput);
    if (name.ok() && !name.empty()) {
      const uint16_t stream = StrmOpen(name, kStrmNoUpdate | kStrmQuiet);
      // A stream number below 3 is standard input ("CON"), which stays open.
      if (stream < kStreams) {
        SysVarSet(kVarInHnd, static_cast<int16_t>(stream));
        status = RunScriptLines(stream);
        if (stream > 2) StrmClose(stream);
        SysVarSet(kVarInHnd, 0);
      } else {
        // A file that was asked for and cannot be read is no run without
        // commands: its status, with its name as the incident text.
        status = ErrIncident(stream, name, true);
        ErrRecord(kModStreams, status);
      }
    }
  }
  {
    ScratchScope scope;
    StrPair output = CmdOption(kOptOutput);
    if (output.ok() && !output.empty()) SysVarSet(kVarOutHnd, 1);
  }
  return status;
}

Status AppMainWindow(StrPair menu) {
  const AppRunServices& svc = Services();
  if (!svc.main_window) return kOk;
  VarSetBits(kVarScrStat, kScrStatMainWindow, true);
  return svc.main_window(menu);
}

Status AppMainWinAction(uint16_t action) {
  const uint16_t cls = action & 0xFF;
  const uint16_t sub = action >> 8;
  Status status;
  switch (cls) {
    case kActMenuItem: {
      ScratchScope scope;
      const std::string command(DynStrGet(sl::kMenuCommands, sub).view());
      status = AppCallMenuCommand(StrOf(command));
      if (status == kStNotAvailable) status = AppRunCommand(StrOf(command), AppVerbDispatch);
      break;
    }
    case kActCloseRequest: {
      status = static_cast<Status>(AppConfirmClose());
      if (status == 1 && Services().screen_close) Services().screen_close(-1);
      break;
    }
    case kActHelp:
      HelpCommand(StrPair{});
      status = kOk;
      break;
    default:
      return kStDataError;
  }
  if (status >= kStFirstWarning) MsgStopBox(status);
  return status;
}

int AppConfirmClose() {
  const Status answer = AppCallTaskClose();
  uint16_t screens = answer;
  uint16_t windows = answer;
  if (answer == kStNotAvailable) {
    screens = ObjTableInfo(kObjScreens, 0);
    windows = ObjTableInfo(kObjScreenWins, 0);
  }
  ScratchScope scope;
  if (screens > 1 || windows > 1 || (answer != kStNotAvailable && answer != kOk)) {
    StrPair text = StrFormat(kMaxText, MsgText("0032"), {unsigned(screens), unsigned(windows)});
    MsgBox(text.ok() ? text : MsgText("0032"), StrPair{}, 1);
    return 0;
  }
  if (SysVarHas(kVarAuxStat, kAuxStatCloseQuiet)) return 1;
  return MsgAskYesNo(MsgText("0033"));
}

}  // namespace eng
