// The dispatcher of screen window actions, the default handling and the
// field cursor.
//
// ScreenActionDispatch (sender, code): 91 from a control runs the entry
// check (the current field's ALARM$; a failure runs action 30 and answers
// 126, success focuses the control's editable field and runs 38); 91 from
// the window runs action 91. 92 commits the control's text unless the last
// key is a navigation key, and only for a control of the current window
// record's window (a dying window's edit never writes into the form below).
// Other codes commit first when the last key is a navigation key, then run
// the action: a result below 122 with 0x08 sends a close request to the top
// window and loses bits 0x04, 0x08 and 0x10; a result from 122 is shown in
// an error box, once per dispatch, and returned.
// ScreenRunAction: the window's action handler, then its key handler for
// the next code while the result (less 0x02) is 0; without a handler (or
// with flag 0x80) ScreenKeyDefault.
// ScreenKeyDefault: codes 1-32 without sub-code: 1, 31 next field (past the
// last: the ALARM$ check, 64 on success), 2, 32 previous field (nothing
// before the first), 20 the saved text back, 22 the first editable field
// after the bounded range in edit state 4 (else 64); others 163.
// ScreenFieldNext (current, step): the next editable field in edit order in
// the bounded range (wrapping, with _SCRSTAT 16) or in all fields; -1 when
// there is none. ScreenFieldGoto (n): moving forward checks the current
// field's ALARM$ (a failure runs action 30, answers 126 and stays);
// _CUREDFLD becomes n.
// ScreenCheckCond: true 0; an evaluation status from 2 recorded and
// returned; false 126 with an empty incident text, or the value of a text
// literal the condition begins with (macro-expanded).
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"
#include "ui/screen_records.h"

namespace eng {

inline constexpr uint16_t kStateEdit = 4;
inline constexpr uint16_t kScrStatWrapped = 16;

Status ScreenActionDispatch(plat::Hwnd sender, uint16_t code);
Status ScreenRunAction(uint16_t code);
Status ScreenKeyDefault(uint16_t code, const ScreenWin& window);
Status ScreenActionDefault(uint16_t code);
Status ScreenActionWinDefault(uint16_t code);
int ScreenFieldNext(int current, int step);
Status ScreenFieldGoto(int n);
Status ScreenCheckParm(uint16_t parameter, int n);
Status ScreenCheckCond(StrPair text);
Status ScreenFieldCommit(int id);
void ScreenFieldFocus(int n);
void ScreenFieldSelectAll(int id);
// Sets field n's control text and, with flag 0x10, its check state (flag
// bit 1); 179 when the field has no control.
Status ScreenFieldSetCtrl(int n, StrPair text, uint16_t flags);
// Focuses the control; 32 when that made another window record current.
Status ScreenFieldSetFocus(int id);
// 1 for Enter on the current field when it has a field window and a text
// that is not blank, and its field window did not run last.
int ScreenFieldWindowDue(uint16_t code);
// Where a field window opens: the lower-right corner of the current field's
// control on the screen, or the mouse position after a mouse action (last
// key 4) or without a control; y in the low and x in the high 16 bits.
uint32_t ScreenFieldWindowPos();
// Handles messages until the first key press, whose engine key code it
// answers (the key itself is not handled); 0xFFFF when the loop ends.
uint16_t CtlWaitKey();
// Shows the status in an error box unless this dispatch showed it already.
void ScreenShowOnce(Status status);

}  // namespace eng
