// The headless front end and the test driver.
//
// A Script is the input device: keys with modifiers, typed text, clicks (on a
// control id, a cell or a pixel point), waits on the virtual clock, answers
// for message boxes and menu picks. It is built in C++ or parsed from a small
// text format, one step per line ('#' starts a comment line):
//   key Tab | key Shift+Tab | key Ctrl+End | key F3 | key A
//   type "ACME S.L."          (\" \\ and \xNN escapes; UTF-8 letters of code page 1252)
//   click id=3100 | click cell=10,5 | click px=120,48   (also rclick, dblclick)
//   wait 400ms
//   answer Yes                (OK, Cancel, Yes, No, Retry)
//   menu id=1501
//   close                     (the active window's close box)
//   press cell=3,10 | move cell=3,14 | release cell=3,14   (also px=; the left button)
//   drag cell=79,3 to=79,12   (press, move and release)
//   expect text id=2001 "ACME"   (the control's text, same escapes as type)
//   expect focus id=2002         (the id of the window that has the focus)
//   snapshot                  (the cell grid, rows below the block blank)
//   | Customer                (one line per row: the text after the bar,
//   |  Name ACME              trailing blanks ignored)
//   end
//   snapshot row=3            (the block compared with rows 3, 4, ... only)
// HeadlessFrontEnd hands the steps to the window system in order. Waits
// advance its virtual clock (a timer deadline inside a wait splits it). When
// the window system waits and the script is exhausted, Wait answers false and
// the run stops at once with the window dump. Every step taken is logged.
// Expect and snapshot steps are checked when the window system asks for the
// next input, that is after everything the earlier steps caused has been
// handled (a box opened meanwhile is checked while it waits). A check that
// fails is recorded in failures() and stops the run with its reason and the
// dump; a front end attached to no window system fails every check.
//
// HeadlessDriver bundles a window system, this front end and the window
// system's message box for tests.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ctl_msgbox.h"
#include "platform/win_core.h"
#include "platform/win_frontend.h"

namespace plat {

struct ScriptStep {
  // A check instead of input: a control's text, the focused id, or the grid.
  enum class Check : uint8_t { kNone, kText, kFocus, kSnapshot };
  bool wait = false;
  uint64_t ms = 0;
  InputEvent ev;
  std::string text;  // the step as written, for the log
  Check check = Check::kNone;
  int id = 0;             // kText, kFocus: the window's id
  std::string expected;   // kText: the text; kSnapshot: the rows, '\n' after each (code page 1252)
  int row = -1;           // kSnapshot: first row compared; -1 the whole grid
};

class Script {
 public:
  // Unknown key names are a programming error in the test: the step is
  // recorded as unknown and the run stops when it is reached.
  Script& Key(std::string_view name);
  Script& Type(std::string_view cp1252_text);
  Script& Click(int id);
  Script& ClickCell(int col, int row);
  Script& ClickAt(Point px);
  Script& RightClickCell(int col, int row);
  Script& DblClickCell(int col, int row);
  Script& Wait(uint64_t ms);
  Script& Answer(MsgAnswer answer);
  Script& Menu(int id);
  // The active window's close box.
  Script& Close();
  // The left button pressed, the pointer moved, the button released; at the
  // centre of a cell. Drag does all three.
  Script& PressCell(int col, int row);
  Script& MoveCell(int col, int row);
  Script& ReleaseCell(int col, int row);
  Script& DragCell(int col, int row, int to_col, int to_row);
  // Checks (see the text format). rows: one row per line, '\n' between.
  Script& ExpectText(int id, std::string_view cp1252_text);
  Script& ExpectFocus(int id);
  Script& Snapshot(std::string_view cp1252_rows, int first_row = -1);

  // Parses the text format; false with a message naming the line on error.
  static bool Parse(std::string_view text, Script& out, std::string& error);

  std::deque<ScriptStep> steps;
};

// UTF-8 to code page 1252; false when a character has no code page 1252 byte.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

class HeadlessFrontEnd : public FrontEnd {
 public:
  // The window system the checks of the script look at.
  void Attach(WinSystem* ws) { ws_ = ws; }
  void Append(const Script& script);
  uint64_t NowMs() override { return now_; }
  bool Poll(InputEvent& ev) override;
  bool Wait(uint64_t deadline_ms) override;
  bool SupportsImages() const override { return images_; }

  void SetSupportsImages(bool on) { images_ = on; }
  size_t remaining() const { return steps_.size(); }
  const std::vector<std::string>& log() const { return log_; }
  uint64_t waits() const { return waits_; }
  // The checks that failed, each with its reason.
  const std::vector<std::string>& failures() const { return failures_; }

 private:
  // Runs the check; empty when it holds, else the reason.
  std::string RunCheck(const ScriptStep& step) const;

  WinSystem* ws_ = nullptr;
  std::deque<ScriptStep> steps_;
  std::vector<std::string> log_;
  std::vector<std::string> failures_;
  uint64_t now_ = 0;
  uint64_t waits_ = 0;
  bool images_ = false;
};

class HeadlessDriver {
 public:
  explicit HeadlessDriver(Metrics metrics = {});
  WinSystem& ws() { return ws_; }
  HeadlessFrontEnd& input() { return input_; }
  WinMsgBox& msgbox() { return msgbox_; }
  // Appends steps; the text form must parse (a parse error stops the run).
  void Run(const Script& script) { input_.Append(script); }
  void Run(std::string_view script_text);
  std::string Dump() const;
  std::string Snapshot() const;

 private:
  HeadlessFrontEnd input_;
  WinSystem ws_;
  WinMsgBox msgbox_;
};

}  // namespace plat
