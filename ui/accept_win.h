// Accept windows: small modal forms built from an accept definition
// (ui/accept_def.h) that hand back the typed values and a filter.
//
// AcceptWinRun (title, definition): runs the form and collects it. When an
// INPUT script is being read, the form first takes the script's next line:
// a non-blank line is the typed values of the form (items unquoted, in field
// order), stored without showing the window, confirmed and collected as
// usual; a line with more values than the form has fields, or a value longer
// than its field, is refused with 163 and nothing is stored; a blank line
// leaves the form to the user; a script with no line left cancels the form
// (122), since nobody is there to answer it.
// AcceptWinRunThen (title, definition, callback): collects at once only when
// the exit key is not 0; with status 0 or 122 and a callback, pushes the
// definition on list 32 and answers the callback's status (the callback
// collects an Enter exit with AcceptCollectClosed).
// AcceptWinCreate (title, definition, flags, parent, handler): builds and
// shows nothing yet: without a parent a Dialogx window is made; the form's
// screen, window record, labels, controls and initial values; the handler
// (AcceptWinAction without one); the Ok button. Flags 0x40 fit the window to
// the fields, 0x80 grid layout. A failure leaves no window and no record.
// _LASTKEY becomes 4, so a form closed without a key is cancelled.
// AcceptWinSelect (definition, flags): the screen, window record and labels
// of the form in the top window; elements 6 and 7 of list 9 remember the
// form key and forget the values of another form.
// AcceptWinCollect (definition, exit key, window record): confirming keys
// are 0, 9, 28, 29 and 32 (reported as 0); the raw values are collected
// (ui/accept_def.h), assignment variables set, the record closed; on success
// list 9 element 7 holds the values, element 1 the filter, and the values
// go to the OUTPUT journal as one line.
// AcceptWinExit (action): the end of an accept window: cancel and close run
// ON_CANCEL$, Ok sets _LASTKEY 0, runs ON_CONFIRM$ (through the save-back
// step) and, for a window nobody collects, journals the fields; a window
// record's hook handler (its third handler) gets the action's class and its
// answer replaces the flag word (4 close, 24 otherwise). Only the first
// ending action of a window runs ON_CONFIRM$ or ON_CANCEL$; the close that
// follows an Ok or a cancel skips ON_CANCEL$.
// AcceptWinRunDef (line, hook): the AcceptRun form of the Accept verbs:
// ACBOUND$ of the line's definition as the form, WINNAME$ as the title; with
// values, hook `hook` (255: ACCEPT_PRC%) is called with the result. 163 with
// the parameter's name as incident text when ACBOUND$ or the hook number is
// missing.
#pragma once

#include <cstdint>
#include <string>

#include "core/accept_result.h"
#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"
#include "ui/accept_state.h"
#include "ui/screen_records.h"

namespace eng {

inline constexpr uint16_t kAcceptFit = 0x40;
inline constexpr uint16_t kAcceptGrid = 0x80;
inline constexpr uint16_t kAcceptFormKey = 6;     // (9, 6)
inline constexpr uint16_t kAcceptValues = 7;      // (9, 7)
inline constexpr uint16_t kAcceptHookSelector = 255;

using AcceptCallback = Status (*)(uint32_t exit_key);

AcceptResult AcceptWinRun(StrPair title, StrPair definition);
Status AcceptWinRunThen(StrPair title, StrPair definition, AcceptCallback callback);
AcceptResult AcceptCollectClosed(StrPair definition);
Status AcceptWinRunDef(StrPair line, uint16_t hook);
Status AcceptWinCreate(StrPair title, StrPair definition, uint16_t flags, plat::Hwnd parent,
                       ScreenActionHandler handler);
Status AcceptWinSelect(StrPair definition, uint16_t flags);
AcceptResult AcceptWinCollect(StrPair definition, uint32_t exit_key, int window_record);
Status AcceptWinExit(uint16_t code);
Status AcceptWinAction(uint16_t code);
// AcceptWinRun for callers outside the window layer (transactions, the
// report runner), through the services they install: the values text and
// the filter copied out (either may be null); the form's status.
Status AcceptRunTexts(StrPair title, StrPair definition, std::string* values, std::string* filter);
// Fills each field from its item's initial value, else from the remembered
// values (list 9, element 7), with _AUXSTAT bit 64 set meanwhile.
Status AcceptFieldsLoad(StrPair definition);
// Marks the current window record as collected by its caller.
void AcceptMarkCollected();
// True for the exit keys that confirm a form.
bool AcceptKeyConfirms(uint32_t key);

// The AcceptRun verb (window-definition line): fewer than 4 items, or item 7
// 8, runs AcceptWinRunDef (line, 255); other lines run the installed hook
// window runner (148 without one) with flags 82, then replay the INPUT
// script into its window.
Status AcceptRunVerb(StrPair argument);
// The same for a line with the given flags (0: the line's item 7) and hook
// selector; the replay follows only a hook window.
Status AcceptRunLine(StrPair line, uint16_t flags, uint16_t selector);
void AcceptSetHookWinRunner(AcceptHookWinRunFn fn);
// Installs the accept exit of the screens' default handler and the AcceptRun verb.
void AcceptInstall();

}  // namespace eng
