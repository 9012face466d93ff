// The terminal front end: the window system on a character terminal.
//
// Open takes the terminal itself (/dev/tty unless told otherwise), so that
// the standard streams stay free for redirection and a write to them never
// garbles the screen. The terminal is put in raw mode with mouse reporting;
// Close (or the destructor) gives it back as it was.
//
// Output: Render composes the attached window system's windows and draws the
// cells, code page 1252 converted to the terminal's Unicode, with colours for
// captions, menus, selections and pushed buttons, the cells' own colours
// (list views, banners) through colour pairs made as they are first needed
// (attributes alone on a terminal without colours or out of pairs), and the
// caret at the focused edit's caret cell. The caption of the main window (the lowest
// shown top-level window: the one with the menu bar in the programs) goes to
// the terminal's title, control characters left out. Rendering happens
// whenever a loop finds nothing to do, so the screen is current whenever the
// program waits for the user.
// Input: the bytes the terminal sends, decoded by TermInputDecoder (keys,
// UTF-8 letters as code page 1252 bytes, mouse clicks and drags from
// button-event tracking, byte 29 passed through). A resize of the terminal changes the window system's work area
// to the new size and redraws.
// Wait answers false once the terminal is gone (hang-up): no input can come.
// The terminal library is used by this front end alone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/win_frontend.h"

namespace plat {

class WinSystem;

class TermFrontEnd : public FrontEnd {
 public:
  TermFrontEnd();
  ~TermFrontEnd() override;
  TermFrontEnd(const TermFrontEnd&) = delete;
  TermFrontEnd& operator=(const TermFrontEnd&) = delete;

  // Takes the terminal; false with the reason when there is none.
  bool Open(std::string& error, const char* device = "/dev/tty");
  void Close();
  bool is_open() const;
  // The window system drawn; its work area is set to the terminal's size.
  void Attach(WinSystem* ws);
  void Render();
  // The terminal title last set (code page 1252).
  const std::string& title() const;

  uint64_t NowMs() override;
  bool Poll(InputEvent& ev) override;
  bool Wait(uint64_t deadline_ms) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat
