#include "ui/chooser.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/dec_value.h"
#include "core/folders.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "platform/ctl_list.h"
#include "platform/win_keys.h"
#include "ui/ctl_dialog.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/screen_actions.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr int kNotGiven = 0xFFFF;
constexpr uint16_t kFlagsAll = 255;
constexpr uint16_t kRowsOnly = 1, kColsOnly = 2, kNoTopMargin = 4, kOneRow = 8;
constexpr int kSpacing = 6;
constexpr int kMinGridColumns = 15;
constexpr uint16_t kImageButtons = 32;  // _SYSCOMPAT: items may name image files

// An item split into its caption and its attribute (-1 when it has none).
struct ChoiceItem {
  std::string text;
  int attribute = -1;
};

// "name/#n" -> name and n; the text is unquoted.
ChoiceItem SplitItem(StrPair item) {
  ScratchScope scope;
  std::string t = StrUnquote(StrTrim(item, 3)).str();
  ChoiceItem out;
  const size_t mark = t.rfind("/#");
  if (mark != std::string::npos && mark + 2 < t.size() &&
      std::all_of(t.begin() + static_cast<long>(mark) + 2, t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    out.attribute = std::stoi(t.substr(mark + 2));
    t.resize(mark);
  }
  out.text = StrUnquote(StrOf(t)).str();
  return out;
}

// The items of a comma list; a leading "/#n" item is taken off and gives
// every item without one its attribute.
std::vector<ChoiceItem> ItemsOf(StrPair items) {
  std::vector<ChoiceItem> out;
  const uint16_t count = items.empty() ? 0 : StrItemCount(items, ',');
  for (uint16_t i = 1; i <= count; ++i) out.push_back(SplitItem(StrItem(items, ',', i)));
  if (!out.empty() && out.front().text.empty() && out.front().attribute >= 0) {
    const int all = out.front().attribute;
    out.erase(out.begin());
    for (ChoiceItem& it : out)
      if (it.attribute < 0) it.attribute = all;
  }
  return out;
}

int Longest(const std::vector<ChoiceItem>& items) {
  size_t n = 0;
  for (const ChoiceItem& it : items) n = std::max(n, it.text.size());
  return static_cast<int>(n);
}

int CeilDiv(int a, int b) { return b <= 0 ? a : (a + b - 1) / b; }

void Answer(int choice) { SysVarSet(kVarStat, static_cast<int16_t>(choice)); }

// The buttons from the first id on: as many as have consecutive ids.
std::vector<plat::Hwnd> Buttons(plat::WinSystem& ws, plat::Hwnd h) {
  std::vector<plat::Hwnd> out;
  for (int id = kIdChoiceFirst; id <= kIdChoiceLast; ++id) {
    plat::Hwnd b = ws.FindChild(h, id);
    if (!b) break;
    out.push_back(b);
  }
  return out;
}

// The position of the first highlighted button, -1 for none.
int Highlighted(plat::WinSystem& ws, const std::vector<plat::Hwnd>& buttons) {
  for (size_t i = 0; i < buttons.size(); ++i)
    if (ws.Send(buttons[i], plat::kBmGetState)) return static_cast<int>(i);
  return -1;
}

void MoveHighlight(plat::WinSystem& ws, plat::Hwnd h, bool down) {
  const std::vector<plat::Hwnd> buttons = Buttons(ws, h);
  if (buttons.empty()) return;
  const int n = static_cast<int>(buttons.size());
  const int at = Highlighted(ws, buttons);
  int next;
  if (at < 0) {
    next = down ? n - 1 : 0;
  } else {
    ws.Send(buttons[at], plat::kBmSetState, 0);
    next = down ? (at + 1) % n : (at + n - 1) % n;
  }
  ws.Send(buttons[next], plat::kBmSetState, 1);
}

// A choice: _STAT takes it and the popup's loop ends, the popup staying.
void Choose(int choice) {
  Answer(choice);
  if (choice != 0) WinPostQuit(plat::kNoWindow);
}

void Cancel(plat::WinSystem& ws, plat::Hwnd h) {
  Answer(0);
  ws.Send(h, plat::kWmClose);
}

int64_t ChoiceWinProc(plat::WinSystem& ws, plat::Hwnd h, uint32_t msg, uint64_t w, int64_t l) {
  switch (msg) {
    case plat::kWmKeyDown:
      switch (w) {
        case plat::kVkEscape:
          Cancel(ws, h);
          return 0;
        case plat::kVkReturn:
          Choose(Highlighted(ws, Buttons(ws, h)) + 1);
          return 0;
        case plat::kVkUp:
        case plat::kVkDown:
          MoveHighlight(ws, h, w == plat::kVkDown);
          return 0;
        default:
          break;
      }
      break;
    case plat::kWmVKeyToItem: {
      const int vk = plat::CommandId(w);
      if (vk == plat::kVkEscape) {
        Cancel(ws, h);
        return -2;
      }
      if (vk == plat::kVkReturn) {
        Choose(plat::ListBoxCaret(ws, static_cast<plat::Hwnd>(l)) + 1);
        return -2;
      }
      return -1;
    }
    case plat::kWmCommand: {
      const int id = plat::CommandId(w);
      const int code = plat::CommandCode(w);
      if (id >= kIdChooserList && id <= kIdChoiceListLast && code == plat::kCmdDblClick) {
        Choose(plat::ListBoxGetSel(ws, static_cast<plat::Hwnd>(l)) + 1);
        return 0;
      }
      if (id >= kIdChoiceFirst && id <= kIdChoiceLast && code == plat::kCmdClicked) {
        Choose(id - kIdChoiceFirst + 1);
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return plat::WinSystem::DefProc(ws, h, msg, w, l);
}

// The image file named after the item (any extension) in the application
// folder: the first by name, or empty.
std::string ImageOf(const std::string& name) {
  if (name.empty()) return {};
  ScratchScope scope;
  StrPair pattern = PathFolderFile(StrOf(name + ".*"), kPathDefault);
  if (!pattern.ok()) return {};
  StrPair names = SysDirList(pattern);
  if (!names.ok() || names.empty()) return {};
  const std::string path = pattern.str();
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return folder + StrItem(names, '\0', 1).str();
}

int AttributeOfTop(int id, int state) { return ScreenWinAttribute(WinTop(), id, state); }

}  // namespace

void ChoiceButtonGrid(plat::Hwnd window, int columns, int width, int height, StrPair items, int first_id,
                      uint16_t flags) {
  plat::WinSystem* ws = UiWs();
  if (!ws || !ws->IsWindow(window)) return;
  const std::vector<ChoiceItem> list = ItemsOf(items);
  const int count = static_cast<int>(list.size());
  if (count == 0) return;
  const GeomSize cell = FontCellSize();
  const ScreenGrid grid = WinGridGet();
  const int margin_x = grid.left * cell.w;
  const int margin_y = GeomRowHeight(grid.top, grid.spacing, cell.h);
  const GeomSize client = WinClientSize(window);
  const int aw = std::max(1, client.w - margin_x);
  const int ah = std::max(1, client.h - margin_y - GeomRowHeight(grid.bottom, grid.spacing, cell.h));

  // 1-2: the button size and the given counts.
  int bw = width != kNotGiven ? width : (Longest(list) + 5) * cell.w;
  int bh = height != kNotGiven ? height : 2 * cell.h;
  const bool free_cols = columns == kNotGiven || columns <= 0;
  int cols = free_cols ? 0 : columns;
  int rows = free_cols ? 0 : CeilDiv(count, cols);
  const bool free_rows = free_cols;
  if (bw <= 0) bw = 200;
  if (bh <= 0) bh = 50;
  if (!free_cols && cols * bw > aw) bw = (aw - aw / 16) / cols;
  if (!free_rows && rows * bh > ah) bh = (ah - ah / 64) / rows;
  bw = std::max(bw, 1);
  bh = std::max(bh, 1);

  // 3-4: the free counts, the buttons shrinking while the items do not fit.
  auto fit = [&] {
    if (free_rows) rows = std::max(1, ah / (bh + bh / 4));
    if (free_cols) {
      cols = std::max(1, aw / (bw + bw / 4));
      if (cols == 1) bw = std::max(bw, aw * 3 / 4);
    }
  };
  fit();
  while (cols * rows < count && (free_cols || free_rows)) {
    const int before[4] = {bw, bh, cols, rows};
    if (free_cols) bw = static_cast<int>(NumDivRound(int64_t{bw} * 9, 10));
    if (free_rows) bh = static_cast<int>(NumDivRound(int64_t{bh} * 9, 10));
    fit();
    if (bw == before[0] && bh == before[1] && cols == before[2] && rows == before[3]) {
      // A pass that changes nothing would repeat for ever: the free
      // dimension makes room for the items instead.
      if (free_rows) rows = CeilDiv(count, cols);
      else cols = CeilDiv(count, rows);
      break;
    }
  }
  // 5: rows or columns that would stay empty.
  if ((flags & kRowsOnly) && free_rows) rows = std::min(rows, CeilDiv(count, cols));
  if ((flags & kColsOnly) && free_cols) cols = std::min(cols, CeilDiv(count, rows));

  // 6: spacing and the first button's place.
  int dx = kSpacing, dy = kSpacing;
  if (flags & kColsOnly) dx = static_cast<int>(NumDivRound(int64_t{aw} - int64_t{cols} * bw, cols));
  if (flags & kRowsOnly) dy = static_cast<int>(NumDivRound(int64_t{ah} - int64_t{rows} * bh, rows));
  const int x0 = dx / 2 + margin_x;
  const int y0 = dy / 2 + ((flags & kNoTopMargin) ? 0 : margin_y);

  // 7: row by row, left to right.
  const bool images = SysVarHas(kVarSysCompat, kImageButtons);
  for (int i = 0; i < count; ++i) {
    const int r = i / cols, c = i % cols;
    const ChoiceItem& it = list[static_cast<size_t>(i)];
    const std::string image = images ? ImageOf(it.text) : std::string();
    ScratchScope scope;
    const std::string& text = image.empty() ? it.text : image;
    plat::Hwnd b = CtlButtonFromText(window, x0 + c * (bw + dx), y0 + r * (bh + dy), bw, bh, StrOf(text),
                                     first_id + i, it.attribute, image.empty() ? 0 : kButtonImage, &AttributeOfTop);
    if (!b) continue;
    if (!image.empty()) ws->SetText(b, it.text);
    ws->SetFont(b, plat::kSystemFont);
  }
}

void ChoiceButtons(plat::Hwnd window, StrPair items, int first_id, uint16_t flags) {
  if (flags == kFlagsAll) flags = kRowsOnly | kColsOnly;
  int columns = kNotGiven;
  if (flags & kOneRow) columns = std::max<int>(1, static_cast<int>(ItemsOf(items).size()));
  ChoiceButtonGrid(window, columns, kNotGiven, kNotGiven, items, first_id, flags);
}

uint16_t ChoiceRun(StrPair title, StrPair items, uint16_t flags, const plat::Point* position) {
  plat::WinSystem* ws = UiWs();
  if (!ws || title.empty() || items.empty()) return kChoiceNone;
  const std::vector<ChoiceItem> list = ItemsOf(items);
  if (list.empty()) return kChoiceNone;
  const int count = static_cast<int>(list.size());
  const GeomSize cell = FontCellSize();
  const ScreenGrid saved_base = Ui().base_grid;
  const ScreenGrid saved_override = Ui().override_grid;
  auto restore = [&] {
    Ui().base_grid = saved_base;
    Ui().override_grid = saved_override;
  };
  int w = Longest(list) + 5;
  GeomSize client;
  if (flags & kChoiceListBox) {
    const int rows = std::min(count, static_cast<int>(WinGridGet().rows));
    const int columns = std::max({w, static_cast<int>(title.len), kMinGridColumns});
    WinGridSetSize(columns, rows, false);
    client = {columns * cell.w, rows * (cell.h - 3)};
  } else {
    const GeomSize area = WinClientSize(plat::kNoWindow);
    int n = count;
    while (n > 0 && area.h < n * 3 * cell.h) {
      w *= 2;
      n /= 2;
    }
    GeomGridForChoices(w, std::max(n, 1), cell.h);
    client = GeomGridSize(-1, -1);
  }

  plat::Hwnd h = WinTop();
  if (flags & kChoiceOwnPopup) {
    if (flags & kChoiceNearFocus) {
      const plat::Hwnd focus = ws->Focus();
      if (!focus || !ws->Parent(focus)) flags &= static_cast<uint16_t>(~kChoiceNearFocus);
    }
    const GeomSize outer = WinOuterSize(client, 5, false);
    plat::Point at = position ? *position : WinPlaceNearFocus((flags & kChoiceNearFocus) ? kPlaceNearFocus : 0);
    if (!position) at = WinFitPosition(at, outer);
    h = WinCreateClassWindow(title, title, kStyleModal, at.x, at.y, outer.w, outer.h, 0, &ChoiceWinProc);
    if (!h) {
      restore();
      return kChoiceNone;
    }
    if (flags & kChoiceListBox) {
      plat::Hwnd box = plat::CreateListBox(*ws, h, kIdChooserList, {0, 0, client.w, client.h},
                                           plat::kLbsNotify | plat::kLbsWantKeys | plat::kWsBorder | plat::kWsTabStop);
      plat::ListBoxSetItemHeight(*ws, box, cell.h - 3);
      for (const ChoiceItem& it : list) plat::ListBoxAdd(*ws, box, it.text);
      plat::ListBoxSetSel(*ws, box, 0);
      WinShowTop(-1);
      ws->SetFocus(box);
    } else {
      ChoiceButtons(h, items, kIdChoiceFirst, kRowsOnly | kColsOnly);
      WinShowTop(-1);
      ws->SetFocus(h);
    }
  }
  if (!h) {
    restore();
    return kChoiceNone;
  }
  Answer(0);
  WinModalLoop(h);
  restore();
  return static_cast<uint16_t>(SysVarGet(kVarStat));
}

uint16_t ChoiceSelect(StrPair title, StrPair items, uint16_t flags) { return ChoiceRun(title, items, flags, nullptr); }

void ChoiceClose() {
  // Off the stack first: the caller ending the popup is no user closing the
  // program's last window, so the run goes on even when nothing is below.
  const plat::Hwnd top = WinTop();
  WinStackPop(top);
  WinDestroy(top);
}

}  // namespace eng
