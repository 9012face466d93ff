// The headless message box: no screen, every box is logged.
//
// Scripted mode (tests): each box takes the next answer from a queue the
// test fills. A box with no queued answer ends the process at once
// (std::abort) after writing the box to standard error: a test never waits.
//
// Batch mode (no terminal): each box is written to standard error (as UTF-8)
// and answered with the answer its request gives for unattended runs when the
// box offers it, else with its safe default: Cancel where offered, else No
// where offered, else OK.
//
// A box is written as a person reads it: the program's name, the caption when
// the caller gave one of its own (or the text is empty), the text; a text of
// several lines goes on indented lines below. A box that offers a choice ends
// with " -> " and the answer taken:
//   pelmora: Error Fichero no encontrado(DataFile): PLDICC.DAT
//   pelmora: Ultima sesion interrumpida. Recuperacion de datos -> Yes
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/msgbox.h"

namespace plat {

struct MsgBoxLogEntry {
  std::string caption;  // code page 1252
  std::string text;     // code page 1252
  int kind = 0;
  MsgBoxStyle style{MsgButtons::kOk, MsgIcon::kNone};
  uint64_t owner = 0;
  MsgAnswer answer = MsgAnswer::kFailed;
};

class HeadlessMsgBox : public MsgBoxService {
 public:
  enum class Mode { kScripted, kBatch };

  // `program` is the name in front of each written box (none when empty).
  explicit HeadlessMsgBox(Mode mode = Mode::kScripted, std::FILE* err = stderr, std::string program = {})
      : mode_(mode), err_(err), program_(std::move(program)) {}

  MsgAnswer Show(const MsgBoxRequest& request) override;

  void Queue(MsgAnswer answer) { script_.push_back(answer); }
  size_t pending() const { return script_.size(); }
  const std::vector<MsgBoxLogEntry>& log() const { return log_; }
  void ClearLog() { log_.clear(); }
  Mode mode() const { return mode_; }

  // The safe answer of a button set: Cancel, else No, else OK.
  static MsgAnswer SafeDefault(MsgButtons buttons);
  // The answer of a run without a person: the request's unattended answer
  // when the box offers it, else the safe default.
  static MsgAnswer UnattendedAnswer(const MsgBoxRequest& request);
  // The box as written to standard error (UTF-8, ending in a newline);
  // `answer` is shown only for a box that offers a choice; `note` (when not
  // empty) goes on a line of its own.
  static std::string Describe(std::string_view program, const MsgBoxRequest& request, MsgAnswer answer,
                              std::string_view note = {});

 private:
  void Write(const MsgBoxRequest& request, MsgAnswer answer, std::string_view note) const;

  Mode mode_;
  std::FILE* err_;
  std::string program_;
  std::deque<MsgAnswer> script_;
  std::vector<MsgBoxLogEntry> log_;
};

// Code page 1252 bytes as UTF-8, for writing to a terminal or a log.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace plat
