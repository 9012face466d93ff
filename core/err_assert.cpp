#include "core/err_assert.h"

#include <cstdlib>

#include "core/log.h"
#include "core/runtime.h"

namespace eng {

void ErrAssertSetBox(AssertBoxFn fn) { Core().assert_state.box = fn; }

void ErrAssert(bool condition, const char* routine) {
  if (condition) return;
  StrPair name = StrFromC(routine ? routine : "");
  if (AssertBoxFn box = Core().assert_state.box) box(name, StrFromC(kAssertCaption));
  LogRecord(name, StrFromC(kAssertLogName));
  std::abort();
}

}  // namespace eng
