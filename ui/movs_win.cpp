#include "ui/movs_win.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/err_assert.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_command.h"
#include "data/record_buffer.h"
#include "data/open_state.h"
#include "data/relup_rules.h"
#include "data/selection_set.h"
#include "ui/action_codes.h"
#include "ui/combo_selector.h"
#include "ui/ctl_dialog.h"
#include "ui/field_store_words.h"
#include "ui/field_values.h"
#include "ui/fonts.h"
#include "ui/grid_headings.h"
#include "ui/grid_slots.h"
#include "ui/lins_build.h"
#include "ui/list_level.h"
#include "ui/maint_parm.h"
#include "ui/maint_win.h"
#include "ui/maint_win_cmd.h"
#include "ui/maint_win_state.h"
#include "ui/movs_line.h"
#include "ui/scanner.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_open.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kSummaryRefresh = 116;
constexpr Status kAnswerClosed = 4;
constexpr Status kAnswerClose = 8;
constexpr Status kGoOn = 2;
constexpr uint16_t kScrStatLines = 32;
constexpr uint16_t kMsgStatusItemNew = 8;

int IntParm(uint16_t parameter) {
  ScratchScope scope;
  StrPair v = ScreenParmItem(parameter, 0);
  return v.ok() ? std::atoi(v.str().c_str()) : 0;
}

// Closes a document window: its grid level, its selector, its rules and its
// open state go with the window record.
Status DocWinClose() {
  const ScreenDesc d = ScreenCurrent();
  const ScreenWin w = ScreenWinCurrent();
  MovsSelectorCombo(kSelectorDestroy);
  if (d.data_file) SelFree(d.data_file);
  if (ListLevelGet(w.list_level)) ListLevelClose(w.list_level);
  RelUpdRelease(d.data_file, d.rule_mark);
  DataFileOpenState(StrOf("RESTORE"));
  return ScreenClose(-1);
}

Status LineControl(uint16_t code) { return MovsLinsControlLine(ScreenCurrent(), code); }

}  // namespace

LinsBuf* MovsLines() {
  const ScreenWin* w = ScreenWinGet(-1);
  if (!w) return nullptr;
  ListLevel* lv = ListLevelGet(w->list_level);
  return lv ? &lv->lines : nullptr;
}

Status MovsWindowOpen(StrPair line) {
  const WinDefRecord r = WinDefParse(line);
  Status s = ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, r.data_file, StrOf(r.entry));
  if (s) return s;
  int lmax = IntParm(kParmMaxLin);
  if (lmax <= 0) lmax = kLinsDefaultMax;
  SysVarSet(kVarLMax, static_cast<int16_t>(lmax));
  std::string open;
  {
    ScratchScope scope;
    open = MantOpenStateText(ScreenParmItem(kParmOpen, 0), r.data_file);
  }
  s = DataFileOpenState(StrOf(open));
  SysVarSet(kVarIer, static_cast<int16_t>(s));
  const ScreenDesc d = ScreenCurrent();
  if (s == kOk && d.data_file) {
    ScratchScope scope;
    const std::string relopt = ScreenParmItem(kParmRelOpt, 0).str();
    s = RelUpdLoad(d.data_file, StrOf(relopt));
  }
  if (s == kOk) s = MantRunSetItem(1);
  if (s < kStFirstError) {
    const Status refresh = ScreenFieldsRefreshRange(kStoreClearFile, 1, -1);
    if (refresh >= kStFirstError) s = refresh;
  }
  if (s <= kStDetailText) return ScanPortOpen();
  RelUpdRelease(d.data_file, d.rule_mark);
  DataFileOpenState(StrOf("RESTORE"));
  ScreenClose(-1);
  return s;
}

Status MovsLinsSetControls(StrPair line, uint16_t flags, ListKeyCallback callback) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "MovsLinsSetControls");
  if (!w) return kStScreenStruct;
  const ScreenDesc d = ScreenCurrent();
  if (d.bounded_first) {
    const std::string headings = ListHeadingsFromPan(line);
    if (!callback) callback = &MovsGridAction;
    const uint16_t limit = static_cast<uint16_t>(std::max<int>(1, SysVarGet(kVarLMax)));
    const uint16_t level = ListLevelOpen(StrOf(""), StrOf(headings), StrOf(""), 0xFFFF, limit,
                                         static_cast<uint16_t>(LinsModeGet() | kListHeadingWidth), callback);
    if (level == kListNone) return kStDataOutBound;
    if (level >= kStFirstError) return level;
    if ((w = ScreenWinGet(-1)) != nullptr) w->list_level = level;
  }
  return MantToolbar(flags, StrOf(""));
}

void MovsLinsFitWindow() {
  plat::WinSystem* ws = UiWs();
  const ScreenWin w = ScreenWinCurrent();
  const uint16_t grid = ListLevelGrid(w.list_level);
  const plat::Hwnd top = WinTop();
  if (!ws || !top) return;
  if (grid != kListNone) {
    const plat::Rect g = GridPosition(grid, 0, true);
    const GeomSize outer = WinOuterSize(WinClientSize(top), 2, false);
    if (g.w > outer.w) {
      const plat::Rect r = ws->GetRect(top);
      const GeomSize cell = FontCellSize();
      WinTopSetPos(r.x, r.y, g.w + (cell.w * 120 + 50) / 100, r.h);
    }
  }
  WinShowTop(-1);
}

Status MovsLinsRedraw(ScreenWin* window) {
  if (!window) return kOk;
  ListLevel* lv = ListLevelGet(window->list_level);
  if (!lv) return kOk;
  LinsBuf& b = lv->lines;
  if (!(b.flags & kLinsRedraw)) return kOk;
  b.flags &= static_cast<uint16_t>(~kLinsRedraw);
  if (b.used == 0 && lv->grid != kListNone) GridClear(lv->grid);
  const uint16_t to = static_cast<uint16_t>(b.used + (b.used < b.max_lines ? 1 : 0));
  ListLinesShow(window->list_level, 1, to);
  return kOk;
}

std::string MovsStatusText(const LinsBuf& buffer, const ScreenWin& window) {
  ScratchScope scope;
  const StrPair texts = MsgText("0027");
  auto item = [&](uint16_t n) { return StrItem(texts, ',', n).str(); };
  if (buffer.mode == kLinsDocument) {
    std::string t;
    if (!(window.flags & kMovsExists)) t = item(kMsgStatusItemNew);
    else if (window.flags & kMovsReadOnly) t = item(14);
    else t = item(9);
    return t + "/" + item((window.flags & kMovsPrint) ? 13 : 12);
  }
  if (buffer.mode == kLinsNavigation) return item((window.flags & kMovsMaintMode) ? 11 : 10);
  return "";
}

Status MovsStatusShow(Status result, ScreenWin* window) {
  if (result >= kStFirstError || (result & ~1)) return result;
  if ((result & 1) || !window) window = ScreenWinGet(-1);
  if (!window) return result;
  const ListLevel* lv = ListLevelGet(window->list_level);
  std::string text;
  if (lv) {
    if (plat::WinSystem* ws = UiWs()) {
      if (const plat::Hwnd c = ws->FindChild(WinTop(), kIdStatus1)) ws->SetText(c, LinsPosText(lv->lines));
    }
    text = MovsStatusText(lv->lines, *window);
  }
  if (const Status r = MovsLinsRedraw(window)) return r;
  const Status e = MantEnableButtons(kMantStateCompute, StrOf(text));
  return e ? e : kGoOn;
}

Status MovsActionWin(uint16_t code) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "MovsActionWin");
  if (!w) return kStScreenStruct;
  const ScreenDesc d = ScreenCurrent();
  Status r = kOk;
  switch (code) {
    case kAcCancel:
      r = MovsAction(code);
      if (r == kOk) ScreenFieldCtrlsDestroy(MovsLineFirst(d), MovsLineLast(d));
      break;
    case kMovsBeginEntered:
    case kAcComboConfirmed:
      r = MovsSelectorCombo(kSelectorShow);
      break;
    case kMovsBeginLeft:
      r = MovsSelectorCombo(kSelectorDestroy);
      break;
    case kMovsLinesEntered:
      r = MovsAutoImport(d.data_file, w);
      if (r == kOk) MovsLinsRedraw(ScreenWinGet(-1));
      [[fallthrough]];
    case kAcLineDown:
    case kAcLineUp:
    case kMovsLineGoto:
      if (r >= kStFirstWarning) break;
      w = ScreenWinGet(-1);
      if (w && w->state == 1) r = MovsSelectorCombo(kSelectorShow);
      else if (w && w->state == kStateEdit) r = LineControl(code);
      else r = MovsAction(code);
      break;
    case kMovsLinesLeft:
      r = LineControl(code);
      if (r < kStFirstWarning) {
        r = ScreenActionWinDefault(code);
        if (r == kStDataError) r = MovsAction(code);
      }
      break;
    case kAcFirstFocus:
      r = ScreenActionWinDefault(code);
      for (uint16_t f = 1; f <= 255; ++f) {
        if (!DictFileDefined(f)) continue;
        BufBlank(f, kBufBoth);
      }
      MantFieldSetState(kMantStateCompute);
      break;
    default:
      r = ScreenActionWinDefault(code);
      if (r == kStDataError) r = MovsAction(code);
      break;
  }
  return MovsStatusShow(r, ScreenWinGet(-1));
}

uint16_t MovsKeyFilter(uint16_t began, uint16_t now, uint16_t code) {
  int next = -2;  // no rule
  const uint16_t scr = SysVarBits(kVarScrStat);
  switch (now) {
    case 0:
    case 2:
      if (began == 1) next = kMovsBeginLeft;
      break;
    case 1:
      if (began != 1) next = kMovsBeginEntered;
      break;
    case 3:
      if (began == kMantSearch) {
        // A page command has shown the next document already.
        const uint16_t cls = ActionClassOf(code), sub = ActionSubOf(code);
        const bool page = cls == kAcCommand && (sub == kCmdTop || sub == kCmdPrv || sub == kCmdNxt || sub == kCmdBot);
        next = page ? -1 : kMovsLoad;
      }
      break;
    case kStateEdit:
      if (began == kMantSearch && code != kMovsLoad && code != kMovsLinesEntered && !(scr & kScrStatLines)) {
        next = kMovsLoad;
      } else if (began == kStateEdit || code == kMovsLinesEntered) {
        if (scr & kScrStatWrapped) {
          SysVarSet(kVarScrStat, static_cast<int16_t>(scr & ~kScrStatWrapped));
          next = ScreenWinCurrent().current_field == ScreenCurrent().bounded_first ? kAcLineDown : kAcLineUp;
        }
      } else if (code == kAcNextField || code == kAcLineDown) {
        next = (scr & kScrStatLines) ? kMovsLineGoto : kMovsLinesEntered;
      } else if (code == kAcPrevField || code == kAcLineUp) {
        next = kMovsLineGoto;
      } else if (code == kMovsLoad) {
        next = kMovsLinesEntered;
      } else {
        next = -1;
      }
      break;
    case 5:
      if (began == kStateEdit) next = kMovsLinesLeft;
      break;
    default:
      break;
  }
  if (next == -2) {
    const uint16_t m = MantKeyNext(began, now, code);
    next = m == 27 ? -1 : (m == kMovsNoCode ? -1 : m);
  }
  if (next < 0 || static_cast<uint16_t>(next) == code) return kMovsNoCode;
  return static_cast<uint16_t>(next);
}

Status MovsAction(uint16_t code) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "MovsAction");
  if (!w) return kStScreenStruct;
  LinsBuf* b = MovsLines();
  ErrAssert(b != nullptr, "MovsAction");
  if (!b) return kStScreenStruct;
  const ScreenDesc d = ScreenCurrent();
  const uint16_t cls = ActionClassOf(code), sub = ActionSubOf(code);
  Status r = kOk;
  switch (cls) {
    case kAcCancel:
      r = MovsCancel(d, w, b);
      break;
    case kAcCommand:
      switch (sub) {
        case kCmdNew: r = MovsCancel(d, w, b); break;
        case kCmdTop:
        case kCmdPrv:
        case kCmdNxt:
        case kCmdBot: r = MovsPageMove(sub, w); break;
        case kCmdFnd: r = MovsFind(); break;
        case kCmdSve: r = MovsSave(d, w, b); break;
        case kCmdIns: r = MovsLineInsert(d, w, b); break;
        case kCmdDel: r = MovsLineDelete(d, b, false); break;
        case kCmdImp: r = MovsImport(w, b); break;
        case kCmdDde: r = MovsDeleteDoc(d, w); break;
        case kCmdPrn: w->flags ^= kMovsPrint; break;
        default: break;
      }
      if (r == kStNoData) {
        const ScreenWin* now = ScreenWinGet(-1);
        if (!now || now->state != kStateEdit) r = kOk;
      }
      break;
    case kAcCloseRequest:
    case kAcCloseWindow: {
      Status s = MantParmFileWrite();
      if (s == kOk) s = DocWinClose();
      if (s == kOk) return kAnswerClosed;
      if (cls == kAcCloseWindow && s < kStFirstWarning) return kAnswerClose;
      return s;
    }
    case kMovsLinesLeft:
      r = MovsRefreshSummary(d, kSummaryRefresh);
      break;
    case kAcEntered:
      if (w->state == kStateEdit) SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatLines));
      r = MantAction(code);
      break;
    case kMovsLoad:
      r = MovsLoadDocument(d, w, b);
      if (r == kStDataError) {
        if ((w = ScreenWinGet(-1)) != nullptr && (b = MovsLines()) != nullptr) r = MovsNewDocument(d, w, b);
      }
      break;
    case kMovsSave:
      r = MovsSave(d, w, b);
      break;
    default:
      r = MantAction(code);
      break;
  }
  return r;
}

}  // namespace eng
