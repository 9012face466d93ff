// The window statements of procedures, served as the screen slot's
// extension of the statement handler chain.
#include <string>

#include "core/dyn_strings.h"
#include "core/exec_handlers.h"
#include "core/exec_keywords.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/string_lists.h"
#include "ui/accept_win.h"
#include "ui/screen_labels.h"
#include "ui/ui_state.h"
#include "ui/win_levels.h"

namespace eng {

namespace {

bool IsProgress(StrPair t) { return StrCase(StrTrim(t, 3), 1).view() == "PROGRESS"; }

Status NotServed(uint16_t code, const ExecArgs& args) {
  if (ExecHandler next = Ui().levels.next_extension) return next(code, args);
  return kExecNotServed;
}

Status Accept(const ExecArgs& args) {
  if (args.count != 1 || args.Text(1).empty()) return kStSyntax;
  const WinLevel level = WinLevelCurrent();
  const std::string field = args.Text(1).str() + "/ROW=" + std::to_string(level.cursor_row) +
                            "/COL=" + std::to_string(level.cursor_column);
  return DynStrPush(sl::kPendingAccept, StrOf(field));
}

Status Read(const ExecArgs& args) {
  const uint16_t first = WinLevelCurrent().first_entry;
  std::string definition;
  for (uint16_t i = first; i < DynStrCount(sl::kPendingAccept); ++i) {
    if (!definition.empty()) definition += ',';
    definition.append(DynStrGet(sl::kPendingAccept, i).view());
  }
  definition += ' ';
  definition.append(args.Text(1).view());
  // The pending fields are read once.
  DynStrPopTo(sl::kPendingAccept, first);
  return WinCmdRead(StrOf(definition));
}

Status Print(const ExecArgs& args) {
  const WinLevel level = WinLevelCurrent();
  StrPair text = args.Text(1);
  Status s = ScreenLabelDraw(level.cursor_row, level.cursor_column, text);
  if (s == kOk) WinLevelSetCursor(level.cursor_row, level.cursor_column + text.len);
  return s;
}

Status CloseLastWindow() {
  Status s = WinCmdClose();
  if (s == kOk) WinLevelPop();
  return s;
}

}  // namespace

Status WinStatements(uint16_t code, const ExecArgs& args) {
  switch (code) {
    case kExecAccept:
      return Accept(args);
    case kExecBounds: {
      ScratchScope scope;
      return AcceptWinRun(StrOf(""), args.Text(1)).status;
    }
    case kExecColor:
      WinLevelSetColor(args.Int(1), args.Int(2));
      return kOk;
    case kExecLocate:
      WinLevelSetCursor(args.Int(1), args.Int(2));
      return kOk;
    case kExecPrint:
      return Print(args);
    case kExecRead:
      return Read(args);
    case kExecWait:
      return WinCmdWait(args.Text(1));
    case kExecWinOpen:
      if (args.count < 3) return kStSyntax;
      if (IsProgress(args.Text(3))) break;
      if (WinCmdOpen(args.Int(1), args.Int(2), args.Text(3)) != 0) return kStLowFailure;
      return WinLevelPush() == 0 ? kOk : kStLowFailure;
    case kExecWinClose:
      if (IsProgress(args.Text(1))) break;
      return CloseLastWindow();
    case kExecWinSelect: {
      // Checked before anything changes: a level that has no window is refused.
      const int n = args.Int(1);
      if (n < 1 || n > WinCmdCount() || n >= kWinLevels) return kStDataError;
      WinLevelSelect(n);
      return WinCmdSelect(n);
    }
    default:
      break;
  }
  return NotServed(code, args);
}

void WinStatementsInstall() {
  ExecHandler& slot = Core().exec.extensions[kExecSlotScreen];
  if (slot != &WinStatements) Ui().levels.next_extension = slot;
  ExecHandlerExtend(kExecSlotScreen, &WinStatements);
  ExecServices services = ExecGetServices();
  services.winopen_close = &CloseLastWindow;
  ExecSetServices(services);
}

}  // namespace eng
