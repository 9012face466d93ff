#include "apps/paydates/pay_schedule_win.h"

#include <algorithm>

#include "apps/paydates/pay_date_fn.h"
#include "apps/paydates/pay_schedule_parms.h"
#include "core/def_lines.h"
#include "core/err_assert.h"
#include "core/exp_eval.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_search.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/selection_set.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/geom.h"
#include "ui/grid_pad.h"
#include "ui/lins_buf.h"
#include "ui/lins_moves.h"
#include "ui/list_level.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/win_def.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"

namespace eng::paydates {

namespace {

constexpr uint16_t kAuxQuestions = 1, kAuxWindow = 2, kAuxFile = 3;
constexpr uint16_t kDefaultRows = 4, kDefaultLines = 36;
constexpr uint16_t kAnswerClose = 8;
constexpr Status kCancelled = 122;
constexpr uint16_t kSelectEqual = 3;
constexpr int16_t kLastKeyUnconfirmed = 4;
constexpr uint16_t kPpnFormat = 1;
constexpr uint16_t kShowLine = 35;

void SetAux(uint16_t n) { SysVarSet(kVarAux, static_cast<int16_t>(n)); }

// A parameter of the definition in effect, or its built-in text when empty.
std::string Parm(uint16_t n, const char* fallback = nullptr) {
  ScratchScope scope;
  StrPair v = ParmGet(n);
  std::string text = v.ok() ? v.str() : std::string();
  if (text.empty() && fallback) text = fallback;
  return text;
}

LinsBuf* Lines(int level) {
  ListLevel* lv = ListLevelGet(level);
  return lv ? &lv->lines : nullptr;
}

// One computed line: the WR_EXP$ items are separated by top-level commas
// only, so that an item may run several statements joined by ";" and give
// the value of the last (the default amount item sets C# and then picks the
// remainder for the last payment). Item i fills column i; items beyond the
// columns are executed.
Status FillLineByCommas(LinsBuf& lines, const std::string& items) {
  std::string_view t = items;
  size_t start = 0;
  for (uint16_t column = 1; start <= t.size(); ++column) {
    const size_t stop = std::min(StrFindTopLevel(t, start, ","), t.size());
    const std::string item(t.substr(start, stop - start));
    start = stop + 1;
    ScratchScope scope;
    Status s = kOk;
    if (!item.empty() && column <= lines.column_count) {
      const StrPair v = ExpEvalStr(StrOf(item));
      s = v.ok() ? LinsSetField(lines, -1, column, v.view()) : StrError(v);
    } else if (!item.empty()) {
      s = ExpExecute(StrOf(item));
    }
    if (s >= kStFirstError) return s;
    if (stop == t.size()) break;
  }
  lines.flags |= kLinsRedraw | kLinsChanged;
  return kOk;
}

}  // namespace

std::string PayScheduleKey(uint16_t file) {
  ScratchScope scope;
  StrPair key = BufFileKeyValue(file, 1);
  if (!key.ok()) return {};
  std::string text = key.str();
  const uint16_t len = DictKeyLength(file, 1, 2);
  if (len < text.size()) text.resize(len);
  return text;
}

Status PayScheduleOpen(StrPair line) {
  ScratchScope scope;
  const WinDefRecord def = WinDefParse(line);
  std::string key;
  {
    StrPair expanded = MacroExpand(StrOf(def.text9), 0);
    if (!expanded.ok()) return StrError(expanded);
    StrPair value = ExpEvalStr(expanded);
    if (!value.ok()) return StrError(value);
    key = value.str();
  }
  Status s = kOk;
  if (!key.empty()) {
    ErrAssert(ExpBuiltinIndex(StrOf(kPayDateName)) != 0, "PayDate$ Not Defined");
    {
      ScratchScope paths;
      StrPair path = WinDefFilePath(StrOf(def.file), kDefKindPpn);
      if (path.empty()) path = DefFileName(StrOf(def.file), kDefKindPpn);
      s = ParmPushDef(path, kPpnFormat, def.number);
    }
    if (s == kOk) {
      StrPair saved = ParmCtxSave();
      const std::string context = saved.ok() ? saved.str() : std::string();
      std::string file_name;
      {
        ScratchScope names;
        StrPair n = DictFileName(def.data_file);
        file_name = n.ok() ? StrCase(n, 1).str() : std::string();
      }
      ParmCtxSet(0xFFFF, StrOf("CREATE,EDIT," + file_name));
      const int16_t max_lines = ParmItemInt(kParmMaxLin, 0);
      s = PaymentsMaintenance(def.data_file, StrOf(key), def.rows,
                              max_lines > 0 ? static_cast<uint16_t>(max_lines) : kDefaultMaxLines);
      ParmCtxRestore(StrOf(context));
      ParmPop();
    }
  }
  if (s == kOk && !def.entry.empty()) {
    StrPair value = ScreenDefValue(StrOf(def.entry));
    if (!value.ok()) return StrError(value);
    StrPair expanded = MacroExpand(value, 0);
    if (!expanded.ok()) return StrError(expanded);
    s = ExpExecute(expanded);
  }
  return s;
}

Status PaymentsMaintenance(uint16_t file, StrPair key, uint16_t rows, uint16_t max_lines) {
  ScratchScope scope;
  StrPair saved = ParmCtxSave();
  const std::string context = saved.ok() ? saved.str() : std::string();
  WinGridSetSize(0, 0, false);
  SetAux(kAuxWindow);
  const std::string title = Parm(kParmWinName);
  const std::string columns = Parm(kParmAcBound, kDefaultGridColumns);
  SetAux(0);
  Status s = kOk;
  bool selected = false;
  const uint16_t level = LinsGridPadCreate(StrOf(title), StrOf(columns), rows ? rows : kDefaultRows,
                                           max_lines ? max_lines : kDefaultLines, &PayScheduleWrite, {});
  if (level >= kStFirstError) {
    s = level;
  } else {
    ScreenWin* w = ScreenWinGet(-1);
    ErrAssert(w != nullptr, "PaymentsMaintenance");
    if (!w) {
      s = kStScreenStruct;
    } else {
      w->data_file = static_cast<uint8_t>(file);
      SetAux(kAuxWindow);
      bool stored = false;
      if (file != 0) {
        const std::string k = key.ok() ? key.str() : std::string();
        selected = true;
        if (SelBuild(file, 1, StrOf(k), StrOf(k), kPayScheduleMaxRecords, kSelectEqual, StrOf("")) == kOk &&
            SelCount(file) > 0) {
          stored = true;
          LinsBuf* lines = Lines(level);
          s = lines ? MovsSelForEach(file, *lines, StrPair{},
                                     [level](uint16_t, LinsBuf&, StrPair) { return PayScheduleReadLine(level); })
                    : Status{kStScreenStruct};
          if (lines) LinsSetCurrent(*lines, 1);
        }
      }
      if (!stored) s = PayScheduleGenerate(level);
      if (s == kOk && file != 0) s = BufSetKeyFields(file, 1, key);
      if (s == kOk) s = PayScheduleRun(level);
    }
    // A pad still open (the questions were cancelled, or a step failed)
    // goes with its level.
    if (ListLevelGet(level) && ScreenWinGet(-1) && ScreenWinGet(-1)->list_level == level) MovsPadClose(level);
  }
  // The stored payments' selection lived as long as the pad (the write
  // step looks at it); a build pushes one even when it finds nothing.
  if (selected) SelFree(file);
  ParmCtxRestore(StrOf(context));
  return s;
}

Status PayScheduleReadLine(int level) {
  LinsBuf* lines = Lines(level);
  if (!lines) return kStScreenStruct;
  if (lines->current == 0 || lines->current > lines->max_lines) return kOk;
  const std::string list = Parm(kParmRdExp);
  if (Status s = LinsFillLine(*lines, StrOf(list)); s >= kStFirstError) return s;
  LinsSetCurrent(*lines, static_cast<uint16_t>(lines->current + 1));
  return kOk;
}

Status PayScheduleGenerate(int level) {
  SetAux(kAuxQuestions);
  const std::string title = Parm(kParmWinName);
  const std::string questions = Parm(kParmAcBound, kDefaultQuestions);
  const std::string alarm = Parm(kParmAlarm, kDefaultAlarm);
  for (;;) {
    AcceptResult answer = AcceptWinRun(StrOf(title), StrOf(questions));
    if (answer.status != kOk || !answer.values.ok() || answer.values.empty()) return kCancelled;
    const Status again = ExpEvalCond(StrOf(alarm));
    if (again >= kStFirstError) {
      MsgErrorBox(kStBadData);
      return kStBadData;
    }
    if (again == 0) break;
  }
  ExpExecute(StrOf(Parm(kParmSet, kDefaultSet)));
  LinsBuf* lines = Lines(level);
  if (!lines) return kStScreenStruct;
  const std::string items = Parm(kParmWrExp, kDefaultWrite);
  const std::string end = Parm(kParmEotExp, kDefaultEnd);
  Status s = kOk;
  LinsSetCurrent(*lines, 1);
  while (s == kOk && lines->current <= lines->max_lines) {
    s = FillLineByCommas(*lines, items);
    if (s != kOk) break;
    LinsSetCurrent(*lines, static_cast<uint16_t>(lines->current + 1));
    ScratchScope scope;
    const Status e = ExpEvalCond(StrOf(end));
    if (e >= kStFirstError) s = e;
    else if (e == 1) break;
  }
  LinsSetCurrent(*lines, 1);
  return s;
}

Status PayScheduleRun(int level) {
  LinsBuf* lines = Lines(level);
  if (!lines) return kStScreenStruct;
  LinsSetCurrent(*lines, 1);
  MovsLinsRedraw(ScreenWinGet(-1));
  // The first line goes into the fields laid over its row, so that Ok
  // commits what the line holds rather than the empty fields of creation.
  MovsLinsControlLine(ScreenCurrent(), kShowLine);
  ScreenFieldFocus(1);
  SysVarSet(kVarLastKey, kLastKeyUnconfirmed);
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatLinesLoaded));
  WinModalLoop(WinTop());
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) & ~kScrStatLinesLoaded));
  return SysVarGet(kVarLastKey) != 0 ? kCancelled : kOk;
}

uint16_t PayScheduleWrite(uint16_t cls) {
  // Only a confirmed pad writes: a cancel or close that reaches the handler
  // must leave the stored payments as they are.
  if (cls != kAcCommand) return kAnswerClose;
  const ScreenWin w = ScreenWinCurrent();
  const uint16_t file = w.data_file;
  if (file == 0) return kAnswerClose;
  ScratchScope scope;
  const std::string key = PayScheduleKey(file);
  if (SelCount(file) > 0) DataFileDeleteWhere(file, 1, StrOf(key), StrOf(""));
  SetAux(kAuxFile);
  Status s = BufSetKeyFields(file, 1, StrOf(key));
  if (s == kOk)
    s = DataFileWriteLoop(file, StrOf(Parm(kParmSet)), StrOf(Parm(kParmRdCond)), StrOf(Parm(kParmWrExp)),
                          StrOf(Parm(kParmEotExp)), StrPair{}, nullptr, {}, {});
  if (s >= kStFirstError) MsgErrorBox(s);
  return kAnswerClose;
}

}  // namespace eng::paydates
