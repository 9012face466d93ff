#include "ui/screen_actions.h"

#include "core/err_assert.h"
#include "data/open_state.h"
#include "ui/action_codes.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kExitRestore = 0x10;
constexpr Status kAnswerClosed = 4;
constexpr Status kAnswerHandled = 24;

}  // namespace

void ScreenActionSet(ScreenActionHandler action, ScreenKeyHandler key, ScreenKeyFilter filter) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "ScreenActionSet");
  if (!w || (w->flags & kWinNoHandlers)) return;
  w->action = action;
  w->key = key;
  w->filter = filter;
}

Status ScreenCloseOnExit(uint16_t action_class, Status status, uint16_t flags) {
  if (status > 121) return status;
  if (action_class == kAcCommand) return status;
  if (action_class != kAcCloseRequest) return kAnswerHandled;
  if (flags & kExitRestore) {
    Status s = DataFileOpenState(StrOf("RESTORE"));
    if (s) return s;
  }
  Status s = ScreenClose(-1);
  return s ? s : kAnswerClosed;
}

int ScreenWinAttribute(plat::Hwnd window, int id, int value) {
  const int record = WinStackValue(window);
  ScreenWin* w = record < 0 ? nullptr : ScreenWinGet(record);
  ScreenBlock* b = w ? ScreenBlockOf(w->screen) : nullptr;
  if (!b) return -1;
  for (size_t i = 0; i < b->attr_ids.size(); ++i) {
    if (b->attr_ids[i] != id) continue;
    if (value == -1) return static_cast<int16_t>(b->attr_values[i]);
    b->attr_values[i] = static_cast<uint16_t>(value);
    return value;
  }
  if (value == -1) return -1;
  for (size_t i = 0; i < b->attr_ids.size(); ++i) {
    if (b->attr_ids[i] != 0) continue;
    b->attr_ids[i] = static_cast<uint16_t>(id);
    b->attr_values[i] = static_cast<uint16_t>(value);
    return value;
  }
  return -1;
}

}  // namespace eng
