// Deferred writes of the records a batch run of the journal's rules updates.
// The journal's relational-update rules add each line into records of other
// files through FILEREL with flag 4 (create when missing): over a whole
// journal the same few thousand month records are rewritten for every line.
// While an AcRelCacheScope is open, those FILEREL calls come here (hook 3
// with _UPSTAT bit 4, the route of the accumulation scans) and the records
// are kept in memory: each is read from its file once (or started blank with
// the relation's value in its key when it is missing, _RELRES 4), the
// statements run on it in the file's buffer as they would on the record
// read, and it is written back once when the scope is flushed. The values
// are those of the line-by-line writes.
//
// Calls the memory cannot stand in for go to the record layer as usual,
// after the kept records of that file were written: a relation whose value
// is not a whole key 1 value, flags asking for the nearest record, stepping
// or deletion, and a call into a file made by the statements that run on a
// kept record of it (that record is then written by the record layer when
// its statements end, as line by line). A failing statement changes nothing
// kept (and creates nothing), as a failing statement writes nothing.
//
// AcRelCacheScope: opens the route (the previous hook 3 and _UPSTAT bit 4
// are put back when the scope ends). Flush writes every kept record, in key
// order, through the record layer (an add for a created one); its first
// failure is returned. The destructor does not write: a run that failed
// leaves its kept records unwritten, as the books are put back anyway.
//
// AcRelRulePass: a rule text read once for a run of +1 passes. When the text
// is a list of FILEREL(a;b;c;flags;statements) calls whose first four
// arguments are plain numbers with flag 4, and an AcRelCacheScope is open,
// Run makes those calls straight (with _SGN at 1, as a pass does; the first
// failure from 128 up ends it) instead of reading the text again for every
// record; otherwise Run is the record layer's +1 pass over the text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/hooks.h"
#include "core/status.h"

namespace eng {
struct ExpCode;
}

namespace eng::pelmora {

struct AcRelCacheState;

class AcRelCacheScope {
 public:
  AcRelCacheScope();
  ~AcRelCacheScope();
  AcRelCacheScope(const AcRelCacheScope&) = delete;
  AcRelCacheScope& operator=(const AcRelCacheScope&) = delete;

  Status Flush();

 private:
  HookEntry previous_hook_;
  int16_t previous_upstat_ = 0;
  AcRelCacheState* previous_state_ = nullptr;
};

class AcRelRulePass {
 public:
  explicit AcRelRulePass(std::string text);
  Status Run(uint16_t file) const;

 private:
  struct Call {
    uint16_t a = 0, b = 0, relation = 0, flags = 0;
    std::string statements;
    std::shared_ptr<const ExpCode> code;  // the statements compiled (null: run as text)
  };
  std::string text_;
  std::vector<Call> calls_;
  bool direct_ = false;
};

}  // namespace eng::pelmora
