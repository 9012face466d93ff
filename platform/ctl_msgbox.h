// The window system's message box, behind the message-box interface.
//
// Show opens a modal top-level window (class "MsgBox") owned by the request's
// owner (else the active window): the caption, the text (CR LF or LF lines,
// long lines wrapped at blanks), and one button per answer of the kind. The
// owner is disabled while the box is open. Keys: Tab, Left and Right move
// between the buttons, Enter presses the focused one (the first at the
// start), Esc answers Cancel where offered (OK in an OK-only box), and a
// button's first letter presses it. A click on a button presses it. In a
// scripted run an "answer" step answers directly. When the box closes the
// owner is enabled again and the focus returns to the window that had it (the
// owner itself when that window is gone). Each box is logged with its answer.
// A box ended by quit (which is posted again for the outer loop) or by a stall
// answers kFailed.
#pragma once

#include <string>
#include <vector>

#include "platform/msgbox.h"
#include "platform/msgbox_headless.h"
#include "platform/win_types.h"

namespace plat {

class WinSystem;

struct MsgBoxLabels {
  std::string ok = "Aceptar";
  std::string cancel = "Cancelar";
  std::string retry = "Reintentar";
  std::string yes = "S\xED";
  std::string no = "No";
};

class WinMsgBox : public MsgBoxService {
 public:
  explicit WinMsgBox(WinSystem& ws, MsgBoxLabels labels = {}) : ws_(ws), labels_(std::move(labels)) {}
  MsgAnswer Show(const MsgBoxRequest& request) override;
  const std::vector<MsgBoxLogEntry>& log() const { return log_; }

 private:
  WinSystem& ws_;
  MsgBoxLabels labels_;
  std::vector<MsgBoxLogEntry> log_;
};

}  // namespace plat
