// The input device of the window system.
//
// A front end hands out input events one at a time and knows the time. The
// window system asks for input without blocking (Poll) and, when it has
// nothing to do, blocks in Wait until input may have arrived or the deadline
// (of the next timer) has come. A front end that knows no input will ever come
// (a script that is exhausted, a batch run without a terminal) says so from
// Wait by returning false; the window system then stops the waiting loop
// through its stall handler instead of hanging.
//
// Input events name keys and characters, clicks (on a screen point, a cell or
// a control id), answers for modal boxes and menu picks; the window system
// turns each into messages when it fetches it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/msgbox.h"
#include "platform/win_types.h"

namespace plat {

struct InputEvent {
  enum class Type : uint8_t {
    kKey,        // vk with mods; typed >= 0 for a character of typed text
    kClick,      // left click: at a screen point, or on a control id
    kRightClick,
    kDblClick,
    kPress,      // left button pressed at a screen point (a drag starts)
    kMove,       // the pointer moved to a screen point
    kRelease,    // left button released at a screen point
    kAnswer,     // the answer to the open message box
    kMenuPick,   // a menu item id, picked from the active window's menu
    kClose,      // the active window's close box
    kUnknown,    // a step the script could not name (an unknown key): stops the run
  };
  Type type = Type::kKey;
  uint8_t vk = 0;
  uint8_t mods = 0;
  int typed = -1;
  bool by_id = false;
  int id = 0;        // control id (kClick by id) or menu item id
  Point point;       // screen pixels (kClick at a point, kPress, kMove, kRelease)
  MsgAnswer answer = MsgAnswer::kFailed;
};

constexpr uint64_t kNoDeadline = UINT64_MAX;

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Milliseconds on the front end's monotonic clock.
  virtual uint64_t NowMs() = 0;
  // Takes the next input event if one is ready; never blocks.
  virtual bool Poll(InputEvent& ev) = 0;
  // Blocks until input may be ready or the clock reaches deadline_ms. Returns
  // false when no input can come any more.
  virtual bool Wait(uint64_t deadline_ms) = 0;
  // Whether images can be shown (bitmap buttons are refused otherwise).
  virtual bool SupportsImages() const { return false; }
};

}  // namespace plat
