#include "ui/choose_list.h"

#include <algorithm>
#include <memory>

#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "platform/ctl_list.h"
#include "platform/win_keys.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_loop.h"

namespace eng {

namespace {

constexpr int kChooserKind = 5;
constexpr int kMaxRows = 20;

}  // namespace

uint16_t ChooseFromList(StrPair title, StrPair choices) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return 0;
  ScratchScope scope;
  const uint16_t count = StrItemCount(choices, ',');
  if (count == 0) return 0;
  int widest = 12;
  for (uint16_t i = 1; i <= count; ++i) widest = std::max<int>(widest, StrItem(choices, ',', i).len);
  const int rows = std::min<int>(count, kMaxRows);
  auto choice = std::make_shared<uint16_t>(0);
  plat::WndProc proc = [choice](plat::WinSystem& w, plat::Hwnd h, uint32_t msg, uint64_t wp, int64_t lp) -> int64_t {
    plat::Hwnd list = w.FindChild(h, kIdChooserList);
    auto choose = [&] {
      const int sel = plat::ListBoxGetSel(w, list);
      if (sel >= 0) *choice = static_cast<uint16_t>(sel + 1);
      w.Destroy(h);
    };
    if (msg == plat::kWmVKeyToItem) {
      const int vk = plat::CommandId(wp);
      if (vk == plat::kVkReturn) {
        choose();
        return -2;
      }
      if (vk == plat::kVkEscape) {
        w.Destroy(h);
        return -2;
      }
      return -1;
    }
    if (msg == plat::kWmCommand && plat::CommandId(wp) == kIdChooserList &&
        plat::CommandCode(wp) == plat::kCmdDblClick) {
      choose();
      return 0;
    }
    return plat::WinSystem::DefProc(w, h, msg, wp, lp);
  };
  const ScreenGrid saved = WinGridOverride();
  WinGridSetSize(widest + 2, rows + 2, false);
  plat::Hwnd h = WinCreateKind(kChooserKind, 0, title, 0, -1, -1, proc);
  if (!h) {
    Ui().override_grid = saved;
    return 0;
  }
  const plat::Rect r{GeomColToX(2), GeomRowToY(2), GeomColsToWidth(widest), GeomRowsToHeight(rows)};
  plat::Hwnd list = plat::CreateListBox(*ws, h, kIdChooserList, r, plat::kLbsNotify | plat::kLbsWantKeys);
  for (uint16_t i = 1; i <= count; ++i) plat::ListBoxAdd(*ws, list, StrUnquote(StrItem(choices, ',', i)).view());
  plat::ListBoxSetSel(*ws, list, 0);
  Ui().override_grid = saved;
  WinShowTop(-1);
  ws->SetFocus(list);
  WinModalLoop(h);
  if (ws->IsWindow(h)) ws->Destroy(h);
  return *choice;
}

}  // namespace eng
