// The engine's message boxes, shown through the platform's message-box
// service (platform/msgbox.h).
//   MsgBox (text, caption, kind): kinds 0-6 fix buttons and icon (any other
//   number: OK, no icon); an empty caption takes the kind's default (kinds 0,
//   2, 5, 6 and other: message 0014; 1 and 4: 0012; 3: 0013). When no engine
//   window is open, pending window messages are removed first. The owner is the
//   top window of the window stack. The answer is a letter of message 0011
//   ("Ss,Nn"): OK, Yes and Retry the first character of its first item, No
//   that of its second item; Cancel, Abort and Ignore give 3; a box that could
//   not be shown gives 0.
//   MsgErrorBox (code): ErrText of the code, kind 1 below 128 and kind 3 from
//   128; then the incident text is emptied.
//   MsgStopBox (code): the box of a command that stopped before its end.
//   From 128 MsgErrorBox (its text names the error and carries the incident
//   text); below 128 a warning whose text never leaves the reader guessing:
//   the status's name (for the record statuses 1, 2, 5 and 6 followed by ": "
//   and their item of message 0023, as "Clave Repetida" for 6), its number in
//   parentheses and, when there is one,
//   ": " and the incident text (where a procedure stopped: its line and
//   statement); then the incident text is emptied.
//   MsgAskYesNo (text, yes unattended): kind 5; 1 for yes, 0 otherwise. A
//   run without a person answers No, or Yes when `yes_unattended` is set (a
//   question whose yes loses nothing, such as rebuilding indexes).
// Until a service is installed, each box goes to standard error and takes its
// answer for runs without a person (Yes for MsgAskYesNo with yes_unattended,
// else the safe answer: Cancel, else No, else OK), as in a batch run. The window layer
// installs the owner and the message-queue hooks.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace plat {
class MsgBoxService;
}

namespace eng {

inline constexpr uint16_t kMsgAnswerCancel = 3;
inline constexpr uint16_t kMsgAnswerFailed = 0;

struct MsgBoxHooks {
  uint64_t (*top_window)() = nullptr;   // the owner: top of the window stack, 0 for none
  bool (*engine_window_open)() = nullptr;
  void (*drop_pending_messages)() = nullptr;
};

struct MsgBoxState {
  plat::MsgBoxService* service = nullptr;  // not owned
  MsgBoxHooks hooks;
};

// The service stays owned by the caller and must outlive its use (null
// restores the batch default).
void MsgBoxSetService(plat::MsgBoxService* service);
void MsgBoxSetHooks(const MsgBoxHooks& hooks);

uint16_t MsgBox(StrPair text, StrPair caption, int kind);
uint16_t MsgErrorBox(Status code);
uint16_t MsgStopBox(Status code);
int MsgAskYesNo(StrPair text, bool yes_unattended = false);
// The answer letters of message 0011: first characters of its first and
// second items (the built-in "S" and "N" when the text lacks them).
char MsgYesLetter();
char MsgNoLetter();

}  // namespace eng
