// The headless message box: no screen, every box is logged.
//
// Scripted mode (tests): each box takes the next answer from a queue the
// test fills. A box with no queued answer ends the process at once
// (std::abort) after writing the box to standard error: a test never waits.
//
// Batch mode (no terminal): each box is written to standard error (as UTF-8)
// and answered with its safe default: Cancel where offered, else No where
// offered, else OK.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
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

  explicit HeadlessMsgBox(Mode mode = Mode::kScripted, std::FILE* err = stderr)
      : mode_(mode), err_(err) {}

  MsgAnswer Show(const MsgBoxRequest& request) override;

  void Queue(MsgAnswer answer) { script_.push_back(answer); }
  size_t pending() const { return script_.size(); }
  const std::vector<MsgBoxLogEntry>& log() const { return log_; }
  void ClearLog() { log_.clear(); }
  Mode mode() const { return mode_; }

  // The safe answer of a button set: Cancel, else No, else OK.
  static MsgAnswer SafeDefault(MsgButtons buttons);

 private:
  void Write(const MsgBoxRequest& request, const char* note) const;

  Mode mode_;
  std::FILE* err_;
  std::deque<MsgAnswer> script_;
  std::vector<MsgBoxLogEntry> log_;
};

// Code page 1252 bytes as UTF-8, for writing to a terminal or a log.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace plat
