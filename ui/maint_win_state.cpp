#include "ui/maint_win_state.h"

#include <algorithm>
#include <array>

#include "core/dyn_strings.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/file_command.h"
#include "platform/win_core.h"
#include "ui/ctl_dialog.h"
#include "ui/field_texts.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint8_t kStateNewBit = 8;

bool Contains(const FieldList& list, int f) { return std::find(list.begin(), list.end(), f) != list.end(); }

// The window's key index, at least 1.
int KeyIndex(const ScreenWin& w) { return w.key_index ? w.key_index : 1; }

struct KindMasks {
  int kind;
  const char* verbs;
  std::array<uint16_t, 8> masks;
};

constexpr std::array<KindMasks, 3> kKinds = {{
    {1, "NEW,TOP,PRV,NXT,BOT,FND,SVE,DEL", {0, 0, 0, 0, 0, 0x0004, 0x0FF4, 0}},
    {2, "NEW,FND,SVE,INS,DEL,IMP,DDE,PRN", {0, 0x0038, 0x0007, 0x002F, 0x002F, 0x002F, 0x0007, 0}},
    {4, "NEW,NLS,BLS,SVE,INS,DEL,IMP,MDE", {0, 0x002F, 0x002F, 0x00FF, 0x002F, 0x002F, 0x0007, 0}},
}};

const KindMasks* KindOf(int kind) {
  for (const KindMasks& k : kKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

bool ParmEmpty(uint16_t parameter) {
  ScratchScope scope;
  return StrTrim(ScreenParmItem(parameter, 0), 3).empty();
}

}  // namespace

FieldList MantKeyFieldList(int key) {
  FieldList out;
  const ScreenDesc d = ScreenCurrent();
  if (!d.data_file || !DictFileDefined(d.data_file)) return out;
  const DictKeyFieldList parts = DictKeyFields(d.data_file, static_cast<uint16_t>(key));
  if (parts.status) return out;
  for (uint16_t p = 0; p < parts.count; ++p) {
    for (int k = 1; k <= d.field_count; ++k) {
      const ScreenFieldDesc f = ScreenFieldGet(k);
      if (f.status == kOk && f.file == d.data_file && f.file_field == parts.field[p]) {
        out.push_back(static_cast<uint16_t>(k));
        break;
      }
    }
  }
  return out;
}

FieldList MantEditFields(int key) {
  const FieldList k1 = MantKeyFieldList(1);
  const FieldList kn = MantKeyFieldList(key);
  FieldList out;
  for (uint16_t f : ScreenFieldList(kFldEditable, 1, 0xFFFF))
    if (!Contains(k1, f) && !Contains(kn, f)) out.push_back(f);
  return out;
}

uint8_t MantFieldZone(int field) {
  const ScreenDesc d = ScreenCurrent();
  const ScreenWin w = ScreenWinCurrent();
  const int b = d.begin_field;
  // A screen without a begin field has no header zone.
  if (b != 0 && field != kMantFormDone && field < b) return 0;
  if (b != 0 && field == b) return 1;
  if (field == kMantFormDone) return kMantComplete;
  if (d.bounded_last != 0 && field > d.bounded_last) return 5;
  if (d.bounded_first != 0 && field >= d.bounded_first && field <= d.bounded_last) return 4;
  if (Contains(MantKeyFieldList(KeyIndex(w)), field)) {
    if (b != 0) ScreenCopyFields(0, 1, b, -1, kWinCurrent, kWinSaved);
    return kMantSearch;
  }
  return kMantEdit;
}

int MantFieldSetState(uint16_t state) {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w) return 0;
  if (state == kMantStateCompute) state = MantFieldZone(w->current_field) | (w->state & kStateNewBit);
  FieldList list;
  bool has_list = false;
  if ((state == 0 || state == 1) && w->state == kMantEdit) state = kMantEdit;
  if (state == 0 || state == 1 || state == kMantEdit) {
    list = MantEditFields(KeyIndex(*w));
    has_list = true;
  } else if (state == kMantSearch) {
    list = MantKeyFieldList(KeyIndex(*w));
    std::sort(list.begin(), list.end());
    has_list = true;
  } else if (state == kMantStateNew) {
    const int first = ScreenFieldNext(0, +1);
    if (first > 0) ScreenFieldGoto(first);
  }
  int changed = 0;
  if ((w = ScreenWinGet(-1)) != nullptr && w->state != state) {
    w->state = static_cast<uint8_t>(state);
    changed = 1;
  }
  if (has_list && !list.empty() && w && !Contains(list, w->current_field)) ScreenFieldGoto(list.front());
  return changed;
}

uint8_t MantWinMode(uint16_t flags) {
  const ScreenDesc d = ScreenCurrent();
  if (d.data_file && DictFileDefined(d.data_file) && DataFileCtrl(d.data_file).last_status != 0)
    return kMantStateNew;
  return (flags & kMantFlagShown) ? kMantEdit : kMantSearch;
}

uint16_t MantToolbarMask(int kind, int i) {
  const KindMasks* k = KindOf(kind);
  if (!k || i < 1 || i > 8) return 0;
  uint16_t mask = k->masks[i - 1];
  if (kind == 2) {
    const ScreenDesc d = ScreenCurrent();
    const bool past_end = d.data_file && DictFileDefined(d.data_file) && DataFileCtrl(d.data_file).last_status == 2;
    if (i == 2 && ParmEmpty(kParmFastFind)) mask = 0x00FF;
    if ((i == 3 || i == 7) && past_end) mask = 0x00FF;
    if (i == 6 && ParmEmpty(kParmLoadImport)) mask = 0x00FF;
    if (i == 8 && ParmEmpty(kParmDoc)) mask = 0x00FF;
  }
  return mask;
}

const char* MantToolbarSet(uint16_t flags) {
  if (flags & 1) return kKinds[0].verbs;
  if (flags & 2) return kKinds[1].verbs;
  return kKinds[2].verbs;
}

void MantToolbarEnable(uint8_t state, int kind) {
  const KindMasks* k = KindOf(kind);
  if (!k) return;
  for (int i = 1; i <= 8; ++i) {
    const uint16_t mask = MantToolbarMask(kind, i);
    if (mask == 0) continue;
    ScratchScope scope;
    const uint16_t verb = DataFileCmdIndex(StrItem(StrOf(k->verbs), ',', static_cast<uint16_t>(i)), StrOf(kToolbarVerbs));
    CtlToolbarEnable(verb, (mask & (1u << (state % 32))) == 0);
  }
}

std::string MantToolbarCaptions(uint16_t flags) {
  ScratchScope scope;
  StrPair own = DynStrGet(sl::kSettings, sl::kButtonCaptions);
  if (own.ok() && !own.empty()) return own.str();
  if (flags & 1) {
    if (WinGridGet().columns <= 30) return "/ / /,<<,<,>,>>,?,[x],X";
    return MsgText("0028").str();
  }
  if (flags & 4) return MsgText("0030").str();
  return MsgText("0029").str();
}

Status MantToolbar(uint16_t flags, StrPair shown) {
  if (ScreenDesc* d = ScreenGet(ScreenCounterGet(kCurScreen))) d->toolbar_kind = static_cast<uint8_t>(flags & 0x0F);
  const plat::Hwnd top = WinTop();
  if (!top) return kStWindowsControl;
  const std::string captions = MantToolbarCaptions(flags);
  CtlToolbarCreate(top, flags, StrOf(MantToolbarSet(flags)), StrOf(captions), FontCellSize().h, shown);
  CtlDialogFooter(top, kFooterButton | kFooterStatus2);
  return kOk;
}

std::string MantStatusPart(StrPair text) {
  if (!text.ok() || text.empty()) return "";
  ScratchScope scope;
  std::string t = text.str();
  if (t.size() == 4) {
    StrPair m = MsgLookup(StrOf(t));
    if (m.ok() && m.view() != t) t = m.str();
  }
  StrPair e = MacroExpand(StrOf(t), 0);
  if (!e.ok() || e.empty()) return "";
  return " [" + e.str() + "]";
}

std::string MantStatusText(uint8_t state, StrPair extra) {
  ScratchScope scope;
  const uint16_t item = state <= kMantComplete ? state + 1 : 8;
  std::string out = StrItem(MsgText("0027"), ',', item).str();
  out += MantStatusPart(extra);
  StrPair statmsg = ScreenParmItem(kParmStatMsg, 0);
  std::string stat = statmsg.ok() ? statmsg.str() : "";
  out += MantStatusPart(StrOf(stat));
  return out;
}

Status MantEnableButtons(uint16_t state, StrPair text) {
  ScreenWin* w = ScreenWinGet(-1);
  if (!w) return kStScreenStruct;
  if (state != kMantStateCompute) w->state = static_cast<uint8_t>(state);
  const ScreenWin win = *w;
  const ScreenDesc d = ScreenCurrent();
  MantToolbarEnable(win.state, d.toolbar_kind);
  plat::WinSystem* ws = UiWs();
  if (ws && d.bounded_first == 0) {
    if (plat::Hwnd b = ws->FindChild(win.window, kIdFooterButton))
      ws->SetText(b, "[ " + std::to_string(KeyIndex(win)) + " ]");
  }
  if (ws) {
    if (plat::Hwnd s = ws->FindChild(win.window, kIdStatus2)) ws->SetText(s, MantStatusText(win.state, text));
  }
  if (ws && (d.control_flags & kMantFlagFieldsByState)) {
    const FieldList keys = MantKeyFieldList(win.state == kMantSearch ? KeyIndex(win) : 1);
    for (int k = 1; k <= d.field_count; ++k) {
      const ScreenFieldDesc f = ScreenFieldGet(k);
      if (f.status || f.order == kOrderReadOnly || !f.control) continue;
      const bool in_key = Contains(keys, k);
      bool enable;
      if (d.bounded_first != 0) {
        if (win.state <= kMantSearch) enable = k <= d.begin_field + static_cast<int>(keys.size());
        else if (win.state == 4) enable = true;
        else enable = !in_key;
      } else if (win.state == kMantSearch) {
        enable = in_key;
      } else if (win.state & kStateNewBit) {
        enable = true;
      } else {
        enable = !in_key;
      }
      if (ws->IsEnabled(f.control) != enable) ws->Enable(f.control, enable);
    }
  }
  ScreenFieldFocus(win.current_field);
  return kOk;
}

uint16_t MantKeyNext(uint16_t began, uint16_t now, uint16_t code) {
  uint16_t next = 0xFFFF;
  if (now == kMantSearch && code == 2) next = 27;
  else if (now == kMantEdit && began == kMantSearch && code < 256) next = 41;
  else if (now == kMantComplete || now == kMantComplete + kStateNewBit) next = 42;
  return next == code ? 0xFFFF : next;
}

}  // namespace eng
