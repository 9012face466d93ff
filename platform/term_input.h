// Decoding of the bytes a terminal sends into the window system's input
// events. No terminal library is involved: the decoder works on the raw byte
// stream, so that every sequence is testable without a terminal.
//
// - Printable ASCII and UTF-8 characters become typed keys carrying their
//   code page 1252 byte; a character the code page lacks becomes the key
//   kVkUnmappedChar, which types nothing (editing controls refuse it).
// - Enter (CR or LF), Tab, Backspace (DEL or BS), Ctrl+letter (bytes 1-26),
//   Ctrl+Space (NUL); byte 29 (group separator, sent by keyboard-wedge
//   scanners) is passed through as the character 29.
// - xterm and Linux console sequences: arrows, Home, End, Insert, Delete,
//   PgUp, PgDn, F1-F12, each with the xterm modifier parameter (Shift, Alt,
//   Ctrl); "ESC [ Z" is Shift+Tab.
// - ESC followed by a key is Alt with that key. Alt+1 .. Alt+9 and Alt+0
//   stand for F1 .. F10, for terminals that keep the function keys for
//   themselves.
// - Mouse reports (SGR "ESC [ < b ; x ; y M/m" and the old X10 form, with
//   button-event tracking: presses, releases and motion while a button is
//   held), at the cell's centre in pixels. A left press is held until the
//   button comes up: released on the same cell it is a click (a double click
//   when it follows a click on that cell within kDoubleClickMs of its press);
//   moved to another cell first it becomes a drag: a press at the first
//   cell, a move for every cell reported, a release where the button comes
//   up. A right press is a right click; the vertical wheel scrolls as Up and
//   Down. Other buttons, their releases and motion without the left button
//   are ignored.
// - A lone ESC is held until more bytes come or Flush is called (the caller
//   does so once kEscTimeoutMs pass without input); then it is the Esc key.
// Unknown sequences are dropped whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_frontend.h"

namespace plat {

class TermInputDecoder {
 public:
  static constexpr uint64_t kEscTimeoutMs = 50;
  static constexpr uint64_t kDoubleClickMs = 500;

  TermInputDecoder(int cell_w = 12, int cell_h = 24) : cell_w_(cell_w), cell_h_(cell_h) {}
  void SetCell(int cell_w, int cell_h) {
    cell_w_ = cell_w;
    cell_h_ = cell_h;
  }

  // Decodes the bytes read at now_ms; complete events are appended to out.
  void Feed(std::string_view bytes, uint64_t now_ms, std::vector<InputEvent>& out);
  // Whether bytes of an unfinished sequence are held.
  bool pending() const { return !buf_.empty(); }
  // Takes what is held as complete: a lone ESC is the Esc key, the rest of an
  // unfinished sequence is decoded on its own or dropped.
  void Flush(uint64_t now_ms, std::vector<InputEvent>& out);

 private:
  enum class Parse : uint8_t { kDone, kIncomplete };
  Parse ParseOne(bool final, uint64_t now_ms, std::vector<InputEvent>& out, size_t& used);
  Parse ParseKey(size_t at, bool alt, bool final, std::vector<InputEvent>& out, size_t& used);
  Parse ParseCsi(uint64_t now_ms, std::vector<InputEvent>& out, size_t& used);
  void Mouse(int button, int col, int row, bool press, uint64_t now_ms, std::vector<InputEvent>& out);
  InputEvent PointerEvent(InputEvent::Type type, int col, int row, uint8_t mods) const;
  // Ends the held left press as a click (or double click) at its own cell.
  void ClickHeld(std::vector<InputEvent>& out);

  int cell_w_;
  int cell_h_;
  std::string buf_;
  // The left press of the last click, for double clicks.
  uint64_t last_press_ms_ = 0;
  int last_col_ = -1;
  int last_row_ = -1;
  // The left button while it is down: where and when it went down, and
  // whether the pointer has left that cell (a drag, already reported).
  struct Held {
    bool down = false;
    bool dragging = false;
    int col = 0;
    int row = 0;
    uint8_t mods = 0;
    uint64_t ms = 0;
    int to_col = 0;  // where a drag has got to
    int to_row = 0;
  };
  Held held_;
};

}  // namespace plat
