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
//   MsgAskYesNo (text): kind 5; 1 for yes, 0 otherwise.
// Until a service is installed, each box goes to standard error and takes its
// safe answer (Cancel, else No, else OK), as in a batch run. The window layer
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
int MsgAskYesNo(StrPair text);
// The answer letters of message 0011: first characters of its first and
// second items (the built-in "S" and "N" when the text lacks them).
char MsgYesLetter();
char MsgNoLetter();

}  // namespace eng
