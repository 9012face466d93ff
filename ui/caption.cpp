#include "ui/caption.h"

#include <string>

#include "core/date_text.h"
#include "core/dates.h"
#include "core/dyn_strings.h"
#include "core/folders.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

StrPair ScreenCaptionText(StrPair text) {
  ScratchScope scope;
  StrPair title = text.empty() ? DynStrGet(sl::kSettings, sl::kTitle) : text;
  StrPair date = FmtDate(DateText(DateToday()), 1);
  StrPair db = StrItem(DynStrGet(sl::kSettings, sl::kDatabaseLogin), ',', 2);
  StrPair folder = PathSplit(SysCurrentDir(), 4 | 8);
  std::string out = " " + std::string(title.view()) + "  |  " + std::string(date.view()) + "  |  " +
                    std::string(db.view()) + " " + std::string(folder.view()) + " |  " + kCaptionAddress +
                    "  ";
  return scope.Keep(StrOf(out));
}

void ScreenCaptionSet(StrPair text) {
  plat::WinSystem* ws = UiWs();
  plat::Hwnd top = WinTop();
  if (!ws || !top) return;
  ScratchScope scope;
  ws->SetText(top, ScreenCaptionText(text).view());
}

}  // namespace eng
