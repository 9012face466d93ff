// The menu-bar file reader: the three operations the menu-bar builder is
// given for a "PMT" file. Every line of the file is one menu item; the number
// of leading tabs is its level, the text after them the item, and an item of
// more than one ","-item carries a command. The lines wait on the line queue
// (list 37); each item read reports its level change against the item read
// before it (the first against level 0).
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

struct MenuPmtItem {
  bool present = false;     // false when the queue is empty
  uint16_t level = 0;       // leading tabs
  int32_t level_change = 0; // level - the previous item's level
  StrPair text;             // the item after its tabs (a new scratch entry)
  bool has_command = false; // more than one ","-item
};

struct MenuPmtState {
  uint16_t level = 0;
};

// Queues every line of the first ","-item of the name, with the extension
// "PMT" (searched along the application folders); the number of lines, or
// 65535 when there are none (a missing file included).
uint16_t MenuPmtOpen(StrPair name);
// The item at the head of the queue (the line queue unless another queue
// is named: the menu definitions' reader fills list 38).
MenuPmtItem MenuPmtSplitLine(uint16_t queue = 37);
// Removes the head, then the item at the new head.
MenuPmtItem MenuPmtNext(uint16_t queue = 37);
// Starts the level count of a new read at level 0.
void MenuPmtRestart();

}  // namespace eng
