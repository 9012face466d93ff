// Fast find in document windows: an application's find window picks the
// first matching document; the page keys in search show the next one.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/err_assert.h"
#include "core/dyn_strings.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/record_buffer.h"
#include "data/selection_set.h"
#include "ui/accept_win.h"
#include "ui/field_store_words.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/hook_win.h"
#include "ui/maint_win_state.h"
#include "ui/movs_win.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/win_def.h"

namespace eng {

namespace {

constexpr uint16_t kFastFindHook = 8;

std::string FastFindLine() {
  ScratchScope scope;
  const StrPair v = ScreenParmItem(kParmFastFind, 0);
  return v.ok() ? v.str() : std::string();
}

}  // namespace

Status MovsFind() {
  const std::string line = FastFindLine();
  if (line.empty()) {
    ScratchScope scope;
    MsgBox(MsgText("0010"), MsgText("0012"), 0);
    return kOk;
  }
  const Status r = MantAcceptRun(StrOf(line), 2, kFastFindHook);
  return r ? r : Status{1};
}

Status MovsPageMove(uint16_t command, ScreenWin* window) {
  (void)command;
  if (!window) return kOk;
  const Status r = ScreenPageRecalc(window->current_field);
  if (r != kStUndefinedWarning) return r;
  if (window->state == kMantSearch) return MovsFastFindNext();
  return kOk;
}

Status MovsFastFindBuild(uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t mode, StrPair condition) {
  Status s = SelBuild(file, key, from, to, 1, mode, condition);
  if (s == kOk) s = SelGoto(file, kBufBoth, 0);
  if (s == 1 || s == kStEndOfData) {
    ScratchScope scope;
    MsgBox(StrItem(MsgText("0023"), ',', static_cast<uint16_t>(s)), StrOf(""), 1);
  }
  return s;
}

Status MovsFastFindNext() {
  const std::string line = FastFindLine();
  if (line.empty()) return kOk;
  const WinDefRecord r = WinDefParse(StrOf(line));
  ScratchScope scope;
  const StrPair remembered = DynStrGet(sl::kWork, kAcceptFormKey);
  if (!remembered.ok() || remembered.view() != r.key) return kOk;
  const ScreenDesc screen = ScreenCurrent();
  const std::string k = AcceptLastValue(1).str(), from = AcceptLastValue(2).str();
  const std::string to = AcceptLastValue(3).str(), cond = AcceptLastValue(4).str();
  const uint16_t key = static_cast<uint16_t>(std::atoi(k.c_str()));
  Status s = MovsFastFindBuild(screen.data_file, key ? key : 1, StrOf(from), StrOf(to), 2, StrOf(cond));
  if (s == kOk) {
    const std::string found = BufFileKeyValue(screen.data_file, key ? key : 1).str();
    const std::string values = "'" + k + "','" + found + "','" + to + "','" + cond + "'";
    DynStrSet(sl::kWork, kAcceptValues, StrOf(values));
    s = MovsFastFindShow(screen, ScreenWinGet(-1));
  }
  return s;
}

Status MovsFastFindShow(const ScreenDesc& screen, ScreenWin* window) {
  ErrAssert(window != nullptr, "MovsFastFindShow");
  if (!window) return kStScreenStruct;
  ScreenFieldsRefreshRange(kStoreUser, 1, screen.begin_field ? screen.begin_field : 1);
  const FieldList keys = MantKeyFieldList(window->key_index ? window->key_index : 1);
  ScreenFieldsRefresh(kStoreUser, keys);
  uint16_t highest = 0;
  for (uint16_t f : keys) highest = std::max(highest, f);
  if ((window = ScreenWinGet(-1)) != nullptr && highest) {
    window->current_field = highest;
    SysVarSet(kVarCurEdFld, static_cast<int16_t>(highest));
  }
  MantFieldSetState(kMantStateCompute);
  SelFree(screen.data_file);
  return ScreenRunAction(1);
}

}  // namespace eng
