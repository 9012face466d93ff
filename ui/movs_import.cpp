// Importing lines into a document: an import definition (a window
// definition of its own) runs a record loop whose accepted records are
// appended as lines at the cursor.
#include <string>

#include "core/def_lines.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/relup_rules.h"
#include "ui/accept_win.h"
#include "ui/list_level.h"
#include "ui/lins_moves.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/popups.h"
#include "ui/progress_win.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/win_def.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kPpnFormat = 1;
constexpr uint16_t kScrStatLines = 32;

std::string ParmNow(uint16_t parameter) {
  ScratchScope scope;
  const StrPair v = ParmItem(parameter, 0);
  return v.ok() ? v.str() : std::string();
}

Status RunDefinition() {
  const std::string set = ParmNow(kParmSet), rd = ParmNow(kParmRdCond);
  const std::string wr = ParmNow(kParmWrExp), eot = ParmNow(kParmEotExp);
  return MovsImportRun(0, StrOf(set), StrOf(rd), StrOf(wr), StrOf(eot));
}

}  // namespace

Status MovsPushImportDef(uint16_t parameter, int item) {
  ScratchScope scope;
  const StrPair line = ScreenParmItem(parameter, item);
  if (!line.ok() || line.empty()) return kOk;
  const WinDefRecord r = WinDefParse(line);
  if (r.number == 0) return kOk;
  StrPair path = WinDefFilePath(StrOf(r.file), kDefKindPpn);
  if (path.empty()) path = DefFileName(StrOf(r.file), kDefKindPpn);
  const Status s = ParmPushDef(path, kPpnFormat, r.number);
  return s ? s : Status{1};
}

Status MovsImportPick() {
  ScratchScope scope;
  const StrPair menu = ScreenParmItem(kParmMnuImport, 0);
  int n = 1;
  if (menu.ok() && !menu.empty()) {
    n = PopupMenuChoose(WinTop(), menu, nullptr);
    if (n == 0) return kOk;
  }
  return MovsPushImportDef(kParmLoadImport, n);
}

Status MovsImportRun(uint16_t mode, StrPair start, StrPair record_cond, StrPair write_cond, StrPair end) {
  (void)mode;
  const ScreenDesc screen = ScreenCurrent();
  const uint16_t file = screen.data_file;
  LinsBuf* b = MovsLines();
  if (!b) return kStScreenStruct;
  std::string current, saved;
  {
    ScratchScope scope;
    const StrPair c = BufRecord(file, kBufCurrent), v = BufRecord(file, kBufSaved);
    if (c.ok()) current = c.str();
    if (v.ok()) saved = v.str();
  }
  std::string slots, each;
  {
    ScratchScope scope;
    const StrPair relopt = ScreenParmItem(kParmRelOpt, 0);
    if (relopt.ok() && !relopt.empty()) slots = DataFileLineExpr(relopt, screen.rule_mark).str();
    const StrPair r = ScreenParmItemExpanded(kParmReadLins, 0);
    if (r.ok()) each = r.str();
  }
  uint32_t count = 0;
  const Status s = DataFileWriteLoop(
      SysVarBits(kVarCurFil), start, record_cond, write_cond, end, StrOf(slots), &count,
      [&](uint16_t f) {
        LinsBuf* lines = MovsLines();
        return lines ? MovsAppendLine(f, *lines, StrOf(each)) : Status{kStScreenStruct};
      },
      [](uint32_t n) { return ProgStep(0, n, StrOf("")); });
  BufStore(file, kBufCurrent, StrOf(current));
  BufStore(file, kBufSaved, StrOf(saved));
  ProgClose();
  return s;
}

Status MovsImport(ScreenWin* window, LinsBuf* buffer) {
  if (!window || !buffer || window->state != 4) return kStNoData;
  const Status pushed = MovsImportPick();
  if (pushed != 1) return pushed;
  Status s = kOk;
  if (buffer->current == 0) LinsSetCurrent(*buffer, 1);
  const uint16_t before = buffer->current, used = buffer->used;
  const std::string bound = ParmNow(kParmAcBound);
  if (!bound.empty()) {
    ScratchScope scope;
    s = AcceptWinRun(MsgText("0058"), StrOf(bound)).status;
  }
  if (s == kOk) s = RunDefinition();
  if (s == kOk) {
    const ScreenDesc screen = ScreenCurrent();
    LinsBuf* b = MovsLines();
    if (b && b->used > used) {
      ScreenFieldCtrlsDestroy(MovsLineFirst(screen), MovsLineLast(screen));
      ListLineEdit(-1, b->current ? b->current : before, MovsLineFirst(screen), MovsLineLast(screen));
      b->flags |= kLinsRedraw;
    }
    s = 1;
  }
  ParmPop();
  return s;
}

Status MovsAutoImport(uint16_t file, ScreenWin* window) {
  (void)window;
  Status s = kOk;
  if (!SysVarHas(kVarScrStat, kScrStatLines)) {
    const Status pushed = MovsPushImportDef(kParmAutoImport, 0);
    if (pushed == 1) {
      const uint16_t last = DataFileCtrl(file).last_status;
      LinsBuf* b = MovsLines();
      if (b && b->current == 0) LinsSetCurrent(*b, 1);
      s = RunDefinition();
      if (s == kOk && (b = MovsLines()) != nullptr) LinsSetCurrent(*b, 1);
      DataFileCtrl(file).last_status = last;
      ParmPop();
    } else if (pushed) {
      s = pushed;
    }
  }
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatLines));
  return s > kStFirstError ? s : Status{kOk};
}

}  // namespace eng
