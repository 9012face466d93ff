// Barcode scanners: a serial scanner polled while a screen window is open,
// and the keyboard wedge (a scan typed into a field, collected on list 30).
//
// ScanPortOpen: when the expression CHKSCAN is a non-zero integer and the
// current screen has SCANDEF$ (macro-expanded), the previous scanner port is
// closed, the port opened, _SERIAL set to 0x100 + its slot and its polling
// started for the window on top. 0 without CHKSCAN or SCANDEF$; 148 when no
// serial ports are installed; 172 (SCANDEF$ as incident text) when the port
// does not open. The port closes with ScanPortClose, and by itself when the
// window it polls for is destroyed.
// ScanInput (slot): 0xFFFF takes the newest wedge scan from list 30; a port
// slot reads the port until it is quiet. A trailing CR or LF (the scanner's
// suffix) is dropped. A code of 1 to 20 printable characters is dispatched;
// an empty read is 0; a longer code or one holding control characters is
// refused with 163 and nothing changes (no message: a scanner's noise must
// not stop the user).
// ScanDispatch (code): _SCAN$ = the code; then, for the current field, with
// a SCANSET$ item: when its SCANWIN$ item is a true condition, the field is
// emptied and the window's handler gets action 18 (through its control);
// otherwise SCANSET$ is evaluated as a text and a non-empty value is stored
// into the field, and the window moves on (action 1). An empty SCANWIN$ item
// counts as false. Failures from 122 are shown in a message box.
// ScanAction (code): the handling of actions 23 (serial data, slot in the
// sub-code) and 24 (a wedge scan ended) for a window's action handler;
// 163 (not handled) for other codes.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"
#include "ui/scanner_state.h"

namespace eng {

inline constexpr size_t kScanCodeMax = 20;
inline constexpr uint16_t kScanWedge = 0xFFFF;
inline constexpr uint16_t kSerialOpen = 0x100;

void ScanSetPortOps(const ScanPortOps& ops);
Status ScanPortOpen();
void ScanPortClose();
Status ScanInput(uint16_t slot);
Status ScanDispatch(StrPair code);
Status ScanAction(uint16_t code);
// Called when an engine window is destroyed: the port it polled for closes.
void ScanWindowDestroyed(plat::Hwnd window);

}  // namespace eng
