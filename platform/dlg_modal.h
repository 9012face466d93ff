// Shared frame of the modal dialogs (file, folder, print).
//
// DlgFrame creates a centred modal top-level window owned by the given owner
// (else the active window), disables the owner while it runs and gives the
// activation and focus back afterwards, like the message box. Controls added
// through Track take part in the dialog's keys: Tab and Shift+Tab cycle the
// focus, Esc cancels, Enter calls the dialog's enter handler with the focused
// control. Run pumps messages until Finish is called; a quit (posted again
// for the outer loop), a stall or a vanished window ends it as cancelled.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_core.h"

namespace plat {

class DlgFrame {
 public:
  // cols x rows is the size in cells.
  DlgFrame(WinSystem& ws, Hwnd owner, std::string_view class_name, std::string_view caption, int cols, int rows);
  ~DlgFrame();
  DlgFrame(const DlgFrame&) = delete;
  DlgFrame& operator=(const DlgFrame&) = delete;

  Hwnd window() const { return box_; }
  // Pixel rectangle of a cell rectangle inside the dialog.
  Rect Cells(int col, int row, int cols, int rows) const;
  // Takes a child control into the focus cycle and the dialog keys.
  void Track(Hwnd control);
  // Enter on a control (the handler decides; true when it used the key).
  std::function<bool(Hwnd focused)> on_enter;
  // COMMAND from a child (id, code).
  std::function<void(int id, int code)> on_command;
  // Runs the loop; true when finished with ok, false when cancelled.
  bool Run(Hwnd first_focus);
  void Finish(bool ok);

 private:
  struct State {
    bool done = false;
    bool ok = false;
    std::vector<Hwnd> controls;
  };
  WinSystem& ws_;
  Hwnd owner_ = kNoWindow;
  Hwnd saved_focus_ = kNoWindow;
  Hwnd box_ = kNoWindow;
  std::shared_ptr<State> st_ = std::make_shared<State>();
};

}  // namespace plat
