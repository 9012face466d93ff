#include "core/err_assert.h"

#include <cstdlib>

#include "core/log.h"
#include "core/msg_box.h"
#include "core/runtime.h"

namespace eng {

void ErrAssertSetBox(AssertBoxFn fn) { Core().assert_state.box = fn; }

void ErrAssert(bool condition, const char* routine) {
  if (condition) return;
  StrPair name = StrFromC(routine ? routine : "");
  // The record is written before the box: a box that never comes back (the
  // program killed while it is up) must not lose it.
  LogRecord(name, StrFromC(kAssertLogName));
  if (AssertBoxFn box = Core().assert_state.box) {
    box(name, StrFromC(kAssertCaption));
  } else {
    MsgBox(name, StrFromC(kAssertCaption), 3);
  }
  std::abort();
}

}  // namespace eng
