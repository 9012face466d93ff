#include "ui/scanner.h"

#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "platform/win_messages.h"
#include "ui/action_codes.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kStoreInput = 118;
constexpr uint16_t kSlots = 4;
constexpr Status kStPortFailed = 172;

ScanState& S() { return Ui().scan; }

bool Printable(const std::string& code) {
  for (unsigned char c : code)
    if (c < 32 || c == 127) return false;
  return true;
}

}  // namespace

void ScanSetPortOps(const ScanPortOps& ops) { S().ops = ops; }

Status ScanPortOpen() {
  std::string spec;
  {
    ScratchScope scope;
    if (ExpEvalInt(StrOf("CHKSCAN")) == 0) return kOk;
    StrPair def = ScreenParmItemExpanded(kParmScanDef, 0);
    spec = def.ok() ? StrTrim(def, 3).str() : std::string();
  }
  if (spec.empty()) return kOk;
  ScanPortClose();
  const ScanPortOps& ops = S().ops;
  if (!ops.open) return kStNotAvailable;
  const uint16_t slot = ops.open(spec);
  if (slot >= kSlots) {
    ScratchScope scope;
    return ErrIncident(kStPortFailed, StrOf(spec), false);
  }
  SysVarSet(kVarSerial, static_cast<int16_t>(kSerialOpen + slot));
  S().window = WinTop();
  if (ops.start_polling) ops.start_polling(S().window, slot);
  return kOk;
}

void ScanPortClose() {
  const uint16_t serial = SysVarBits(kVarSerial);
  if (serial >= kSerialOpen && S().ops.close) S().ops.close(static_cast<uint16_t>(serial - kSerialOpen));
  SysVarSet(kVarSerial, 0);
  S().window = plat::kNoWindow;
}

void ScanWindowDestroyed(plat::Hwnd window) {
  if (window && window == S().window) ScanPortClose();
}

Status ScanInput(uint16_t slot) {
  std::string code;
  if (slot == kScanWedge) {
    if (DynStrCount(sl::kReturnBuffer) == 0) return kOk;
    ScratchScope scope;
    code = DynStrPopValue(sl::kReturnBuffer).str();
  } else {
    if (!S().ops.read_quiet) return kOk;
    code = S().ops.read_quiet(slot);
  }
  while (!code.empty() && (code.back() == '\r' || code.back() == '\n')) code.pop_back();
  if (code.empty()) return kOk;
  if (code.size() > kScanCodeMax || !Printable(code)) return kStDataError;
  ScratchScope scope;
  return ScanDispatch(StrOf(code));
}

Status ScanDispatch(StrPair code) {
  ScratchScope scope;
  Status s = VarAssign(StrOf("_SCAN$"), code);
  if (s != kOk) return s;
  const int field = ScreenWinCurrent().current_field;
  if (field == 0) return kOk;
  const std::string set = StrTrim(ScreenParmItem(kParmScanSet, field), 3).str();
  if (set.empty()) return kOk;
  const std::string when = StrTrim(ScreenParmItem(kParmScanWin, field), 3).str();
  const Status cond = when.empty() ? 0 : ExpEvalCond(StrOf(when));
  if (cond == 1) {
    s = ScreenFieldStore(kStoreInput, field, StrOf(""));
    plat::WinSystem* ws = UiWs();
    const plat::Hwnd control = ScreenFieldGet(field).control;
    if (s < kStFirstWarning && ws && control) ws->Post(control, plat::kMsgScanReady);
  } else if (cond >= kStFirstWarning) {
    s = cond;
  } else {
    StrPair value = ExpEvalStr(StrOf(set));
    if (!value.ok()) {
      s = StrError(value);
    } else if (!value.empty()) {
      s = ScreenFieldStore(kStoreInput, field, value);
      if (s == kOk) s = ScreenActionDispatch(plat::kNoWindow, kAcNextField);
    }
  }
  if (s >= kStFirstWarning) MsgErrorBox(s);
  return s;
}

Status ScanAction(uint16_t code) {
  switch (ActionClassOf(code)) {
    case kAcSerialData:
      ScanInput(ActionSubOf(code));
      return kOk;
    case kAcWedgeScan:
      ScanInput(kScanWedge);
      return kOk;
    default:
      return kStDataError;
  }
}

}  // namespace eng
