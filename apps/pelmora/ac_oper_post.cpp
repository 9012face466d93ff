#include "apps/pelmora/ac_oper_post.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "apps/paydates/pay_schedule_win.h"
#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_entry_screen.h"
#include "apps/pelmora/ac_text.h"
#include "apps/pelmora/pelmora_head.h"
#include "core/err_assert.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "data/relup_rules.h"
#include "data/hooked_write.h"
#include "data/file_ctrl.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/hook_win.h"
#include "ui/lins_buf.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/progress_win.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_open.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/win_stack.h"

namespace eng::pelmora {

namespace {

constexpr uint16_t kListHookSlot = 12;
constexpr uint16_t kOperHookSlots[] = {13, 14};
constexpr uint16_t kLineDown = 31;
constexpr uint16_t kWholeValue = 0;

std::string ParmText(uint16_t parameter) { return ScreenParmText(parameter, kWholeValue); }

// Item 1 of WINDOWS$: a window-definition line, quoted when it holds
// commas, optionally followed by ";" items whose last is a condition.
std::vector<std::string> WindowsItem1() {
  ScratchScope scope;
  StrPair item = ScreenParmItem(kParmWindows, 1);
  return AcSplit(item.ok() ? item.view() : std::string_view(), ';');
}

// The journal lines of an entry; the journal's position and buffer (the
// new entry's date and number) stay as they are.
uint32_t CountLines(uint16_t journal, const std::string& prefix) {
  DataFileSaved kept;
  if (DataFileCtrlSave(journal, kept)) return 0;
  uint32_t n = 0;
  AcWalk(journal, 1, prefix, prefix, [&n]() -> Status {
    ++n;
    return kOk;
  });
  DataFileCtrlSave(journal, kept);
  return n;
}

// The first grid line of the entry whose key columns (date and entry
// number) hold the prefix; 0 when the grid does not show the entry.
uint16_t EntryFirstLine(const LinsBuf& b, const std::string& prefix) {
  const std::array<uint16_t, 2> columns{1, 2};
  for (uint16_t line = 1; line <= b.used; ++line)
    if (LinsKeyText(b, line, columns) == prefix) return line;
  return 0;
}

// The journal window the operation window was opened from: the window
// record below the current one when it shows lines; null when the operation
// window was opened without one (from the menu).
const ScreenWin* JournalWindowBelow() {
  const int below = ScreenCounterGet(kCurWin) - 1;
  const ScreenWin* w = below >= 0 ? ScreenWinGet(below) : nullptr;
  return w && ListLevelGet(w->list_level) ? w : nullptr;
}

// Steps 1-6: the posting itself, the earlier one going through the rules of
// the journal window's screen (each window definition is one screen here).
// `c` receives the journal lines written.
Status WritePosting(const std::string& s, int journal_screen, uint32_t* c) {
  const uint16_t journal = AppModuleFile(4);
  if (Status st = ScreenCheckParm(kParmAlarm, kWholeValue)) return st;
  const std::vector<std::string> schedule = WindowsItem1();
  if (schedule.size() > 1) {
    ScratchScope scope;
    const Status open = ExpEvalCond(StrOf(schedule.back()));
    if (open >= kStFirstWarning) return open;
    if (open == 1) {
      // The schedule's windows come and go above this one; this window's
      // record is current again afterwards, whatever became of them. Input
      // taken as the schedule ends may have closed this window: then nothing
      // is posted, since the writes read its fields and parameters and its
      // close would take the journal window instead.
      const plat::Hwnd self = ScreenWinCurrent().window;
      const Status st = paydates::PayScheduleOpen(StrOf(AcUnquote(schedule.front())));
      const int record = WinStackValue(self);
      const ScreenWin* w = record >= 0 ? ScreenWinGet(record) : nullptr;
      if (!w || w->window != self) return st ? st : Status{kStCancelled};
      if (ScreenCounterGet(kCurWin) != record) ScreenWinSelect(record);
      if (st) return st;
    }
  }
  if (!s.empty()) {
    if (Status st = AcDeletePosting(s, true, false, journal_screen)) return st;
  }
  if (Status st = AcPostingWrite(journal, kAcContextAcc, kAcPostContexts, false, c)) return st;
  return AcPostingWrite(AppModuleFile(1), kAcContextRegis, kAcPostContexts, true, nullptr);
}

// Steps 7-9: the journal window shows the posted entry in place of the old
// one.
Status ShowPosting(const std::string& p, const std::string& s, uint32_t n, uint32_t c) {
  ScreenWin* w = ScreenWinGet(-1);
  ErrAssert(w != nullptr, "AcRegistryOperDev");
  if (!w) return kStInternal;
  ListLevel* level = ListLevelGet(w->list_level);
  if (!level) return kStInternal;
  LinsBuf& b = level->lines;
  const ScreenDesc screen = ScreenCurrent();
  const std::string lndel = ScreenParmText(kParmLnDel, kWholeValue);
  // The old entry's lines are taken out from its first line, wherever the
  // cursor stood in it; a grid that does not show the entry loses no line.
  if (n) {
    const uint16_t at = EntryFirstLine(b, s);
    if (at) LinsSetCurrent(b, at);
    else n = 0;
  }
  if (b.current == 0) LinsSetCurrent(b, 1);
  const uint16_t first = b.current;
  for (uint32_t i = 0; i < n; ++i) {
    ScratchScope scope;
    if (Status st = LinsDeleteCurrent(&b, StrOf(lndel)); st >= kStFirstError) return st;
  }
  if (screen.bounded_first) ScreenFieldCtrlsDestroy(screen.bounded_first, screen.bounded_last);
  {
    ScratchScope scope;
    if (Status st = LinsTrimToMax(b, static_cast<uint16_t>(b.current + c), StrOf(lndel)); st >= kStFirstError)
      return st;
  }
  AcVarAssign("_LKEY$", "");
  {
    ScratchScope scope;
    const std::string to = (w->flags & kMovsMaintMode) ? std::string(1, '\xff') : p;
    if (Status st = MovsReadLines(b, StrOf(p), StrOf(to)); st >= kStFirstError) return st;
  }
  if (Status st = MovsLinsRedraw(w); st >= kStFirstError) return st;
  const uint16_t next = static_cast<uint16_t>(std::min<uint32_t>(first + c, b.max_lines));
  LinsSetCurrent(b, next);
  w->current_field = screen.bounded_first;
  Status st = MovsLineChange(screen, kLineDown, w);
  if (screen.bounded_first) ScreenFieldFocus(screen.bounded_first);
  return st >= kStFirstError ? st : Status{kOk};
}

Status PostOperation() {
  const uint16_t journal = AppModuleFile(4);
  const std::string p = AcEntryKeyPrefix(journal, false);
  // Without a journal window below (opened from the menu) the operation is
  // posted as a new one and no grid is brought up to date: the journal's
  // saved copy then belongs to no entry the user chose.
  const ScreenWin* below = JournalWindowBelow();
  const bool journal_window = below != nullptr;
  const int journal_screen = below ? below->screen : -1;
  // Only an earlier posting is replaced: the line the journal window stood
  // on may belong to an entry typed by hand, which a new posting must not
  // take away.
  std::string s = journal_window ? AcEntryKeyPrefix(journal, true) : std::string();
  if (!s.empty() && AcEntryIsPlain(journal, true)) s.clear();
  // The grid lines of the entry replaced (at least its first); none for a
  // new posting, so that no line of another entry leaves the grid.
  const uint32_t n = s.empty() ? 0 : std::max<uint32_t>(1, CountLines(journal, s));
  uint32_t c = 0;
  Status st = WritePosting(s, journal_screen, &c);
  if (st == kOk && journal_window) st = ShowPosting(p, s, n, c);
  // Shown once, although the window's dispatch shows the hook's failure too.
  if (st != kOk) ScreenShowOnce(st);
  return st;
}

}  // namespace

Status AcOpenListHook(uint16_t action) {
  const uint16_t cls = ActionClassOf(action);
  Status s = kOk;
  if (cls == kAcCommand) {
    const std::string line = AcUnquote(ScreenParmText(kParmWindows, 1));
    ScratchScope scope;
    s = MantAcceptRun(StrOf(line), kMantHookFlags, kAcceptHookSelector);
  }
  return ScreenCloseOnExit(cls, s, 0);
}

Status AcPostingWrite(uint16_t file, uint16_t context, const std::string& contexts, bool close,
                      uint32_t* count) {
  std::string kept;
  {
    ScratchScope scope;
    StrPair saved = ParmCtxSave();
    if (saved.ok()) kept = saved.str();
  }
  if (context) {
    ScratchScope scope;
    ParmCtxSet(context, StrOf(contexts));
  }
  Status s;
  {
    const std::string start = ParmText(kParmSet), record = ParmText(kParmRdCond), write = ParmText(kParmWrExp),
                      end = ParmText(kParmEotExp), relopt = ParmText(kParmRelOpt);
    ScratchScope scope;
    const std::string slots = DataFileLineExpr(StrOf(relopt), ScreenCurrent().rule_mark).str();
    s = DataFileWriteLoop(file, StrOf(start), StrOf(record), StrOf(write), StrOf(end), StrOf(slots), count, {},
                          [](uint32_t) -> Status {
                            ProgBarStep(0, 1);
                            return ProgPump();
                          });
  }
  ProgClose();
  {
    ScratchScope scope;
    ParmCtxRestore(StrOf(kept));
  }
  if (s == kOk && close) s = ScreenWinClose(-1);
  return s;
}

Status AcRegistryOperDev(uint16_t action) {
  const uint16_t cls = ActionClassOf(action);
  const Status s = cls == kAcCommand ? PostOperation() : Status{kOk};
  return ScreenCloseOnExit(cls, s, 0);
}

void AcInstallOperHooks() {
  HookSetFn(&AcOpenListHook, kListHookSlot);
  for (uint16_t slot : kOperHookSlots) HookSetFn(&AcRegistryOperDev, slot);
}

}  // namespace eng::pelmora
