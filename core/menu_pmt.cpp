#include "core/menu_pmt.h"

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"

namespace eng {

uint16_t MenuPmtOpen(StrPair name) {
  if (!name.ok()) return kDefNone;
  Core().menu_pmt.level = 0;
  ScratchScope scope;
  StrPair file = DefFileName(StrTrim(StrItem(name, ',', 1), 3), kDefKindPmt);
  if (!file.ok() || file.len == 0) return kDefNone;
  uint16_t n = DefLinesRead(file, 0, 0);
  return n == 0 ? kDefNone : n;
}

void MenuPmtRestart() { Core().menu_pmt.level = 0; }

MenuPmtItem MenuPmtSplitLine(uint16_t queue) {
  MenuPmtItem item;
  if (DynStrCount(queue) == 0) return item;
  StrPair line = DynStrTop(queue);
  uint16_t tabs = 0;
  while (tabs < line.len && line.ptr[tabs] == '\t') ++tabs;
  item.present = true;
  item.level = tabs;
  uint16_t& previous = Core().menu_pmt.level;
  item.level_change = int32_t(tabs) - int32_t(previous);
  previous = tabs;
  item.text = ScratchPair(StrPair{line.ptr + tabs, static_cast<uint16_t>(line.len - tabs)});
  item.has_command = item.text.ok() && StrItemCount(item.text, ',') > 1;
  return item;
}

MenuPmtItem MenuPmtNext(uint16_t queue) {
  if (DynStrCount(queue) != 0) DynStrPop(queue);
  return MenuPmtSplitLine(queue);
}

}  // namespace eng
