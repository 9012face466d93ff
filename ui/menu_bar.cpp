#include "ui/menu_bar.h"

#include <string>
#include <vector>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "ui/menu_ppn.h"
#include "ui/ui_state.h"
#include "ui/win_loop.h"

namespace eng {

namespace {

constexpr uint16_t kNone = 0xFFFF;

struct OpenPopup {
  int menu = 0;
  uint16_t entries = 0;  // the level of its entries
  std::string title;
};

MenuPmtItem PmtFirst() { return MenuPmtSplitLine(sl::kLineQueue); }
MenuPmtItem PmtNext() { return MenuPmtNext(sl::kLineQueue); }
MenuPmtItem PpnFirst() { return MenuPmtSplitLine(kMenuPpnQueue); }
MenuPmtItem PpnNext() { return MenuPmtNext(kMenuPpnQueue); }
uint16_t QueuedOpen(StrPair) {
  MenuPmtRestart();
  return DynStrCount(sl::kLineQueue) ? 0 : kNone;
}

// Whether the first ","-item of the name with the kind's extension opens.
bool Exists(StrPair name, uint16_t kind) {
  ScratchScope scope;
  StrPair file = DefFileName(StrTrim(StrItem(name, ',', 1), 3), kind);
  if (!file.ok() || file.empty()) return false;
  const uint16_t stream = DefFileOpen(file);
  if (stream >= kStreams) return false;
  StrmClose(stream);
  return true;
}

}  // namespace

MenuReader MenuPmtReader() { return MenuReader{&MenuPmtOpen, &PmtFirst, &PmtNext}; }
MenuReader MenuPpnReader() { return MenuReader{&MenuPpnReaderStart, &PpnFirst, &PpnNext}; }

int MenuBarCreate(StrPair name, const MenuReader& reader) {
  plat::WinSystem* ws = UiWs();
  if (!reader.open || !reader.first || !reader.next) return 0;
  if (reader.open(name) == kNone) return 0;
  std::vector<OpenPopup> open;
  if (ws) open.push_back(OpenPopup{ws->MenuCreate(), 0, std::string()});
  auto close_innermost = [&] {
    OpenPopup popup = open.back();
    open.pop_back();
    ScratchScope scope;
    WinMenuAppend(open.back().menu, popup.menu, StrOf(popup.title), StrPair{});
  };
  int next_id = kMenuFirstItem;
  Status status = kOk;
  for (MenuPmtItem item = reader.first(); item.present && !open.empty(); item = reader.next()) {
    ScratchScope scope;
    if (Status s = ScratchCheck(kMenuScratchNeeded)) {
      status = s;
      break;
    }
    StrPair text = StrTrimSet(item.text, 2, StrOf(" \r"));
    // Pop-ups whose entries lie deeper than this line are complete; the bar stays.
    while (open.size() > 1 && open.back().entries > item.level) close_innermost();
    if (item.has_command) {
      if (next_id > kMenuLastItem) {
        status = kStDataOutBound;
        continue;
      }
      const std::string title(StrItem(text, ',', 1).view());
      const std::string command(StrItemRest(text, ',').view());
      WinMenuAppend(open.back().menu, next_id++, StrOf(title), StrOf(command));
    } else {
      open.push_back(OpenPopup{ws->MenuCreate(), static_cast<uint16_t>(item.level + 1), std::string(text.view())});
    }
  }
  // Lines left behind by a stopped build belong to no later menu.
  while (reader.next().present) {
  }
  while (open.size() > 1) close_innermost();
  if (status) MsgErrorBox(status);
  return open.empty() ? 0 : open.front().menu;
}

int MenuBarBuild(StrPair name) {
  if (!name.ok()) return 0;
  if (Exists(name, kDefKindPmt)) return MenuBarCreate(name, MenuPmtReader());
  if (Exists(name, kDefKindPpn)) return MenuBarCreate(name, MenuPpnReader());
  if (DynStrCount(sl::kLineQueue)) return MenuBarCreate(name, MenuReader{&QueuedOpen, &PmtFirst, &PmtNext});
  return 0;
}

}  // namespace eng
