// Loading, saving, deleting and starting documents, the document events and
// the summary refresh of document windows.
#include <cstdlib>
#include <string>

#include "core/err_names.h"
#include "core/exp_eval.h"
#include "core/hooks.h"
#include "core/macros.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/doc_store.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "data/selection_set.h"
#include "ui/field_store_words.h"
#include "ui/field_texts.h"
#include "ui/field_values.h"
#include "ui/list_level.h"
#include "ui/maint_win_cmd.h"
#include "ui/maint_win_state.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr uint16_t kSummaryRun = 0x20;
constexpr uint16_t kSummaryRefresh = 116;
constexpr uint16_t kVoidReadOnly = 0x400;
constexpr uint16_t kScrStatLines = 32;
constexpr uint16_t kMsgChangedCancelled = 7;
constexpr uint16_t kMsgAlarmLinsCheck = 2;

MovsPrintFn g_printer = nullptr;

// The header add of the save in progress; null outside a save.
const DocAddFn* g_header_add = nullptr;

// A key of blanks, or of a blank record (its first byte the empty-record
// mark), names no document.
bool Blank(const std::string& s) { return s.find_first_not_of(std::string_view(" \x1b\0", 3)) == std::string::npos; }

std::string ParmText(uint16_t parameter, int item) { return ScreenParmText(parameter, item); }

std::string ParmExpanded(uint16_t parameter, int item) {
  ScratchScope scope;
  StrPair v = ScreenParmItemExpanded(parameter, item);
  return v.ok() ? v.str() : std::string();
}

int ParmInt(uint16_t parameter) {
  std::string v = ParmText(parameter, 0);
  v.erase(0, v.find_first_not_of(" '\""));
  return std::atoi(v.c_str());
}

// The relational-update slot list of the screen's writes.
std::string SlotList(const ScreenDesc& screen) {
  ScratchScope scope;
  const StrPair relopt = ScreenParmItem(kParmRelOpt, 0);
  if (!relopt.ok() || relopt.empty()) return "";
  const StrPair slots = DataFileLineExpr(relopt, screen.rule_mark);
  return slots.ok() ? slots.str() : "";
}

std::string KeyTest() { return ParmText(kParmIk1, 0); }

void SetDocSt(uint16_t bits) { SysVarSet(kVarDocSt, static_cast<int16_t>(SysVarBits(kVarDocSt) | bits)); }

void BlankAllFiles() {
  for (uint16_t f = 1; f <= 255; ++f) {
    if (!DictFileDefined(f)) continue;
    BufBlank(f, kBufBoth);
  }
}

// The number of fields of key 1 of the screen's data file.
int KeyOneCount() { return static_cast<int>(MantKeyFieldList(1).size()); }

void SetCurrentField(ScreenWin* window, int n) {
  if (!window || n <= 0) return;
  window->current_field = static_cast<uint16_t>(n);
  SysVarSet(kVarCurEdFld, static_cast<int16_t>(n));
}

// Shows item n of message 0023 in a warning box.
void RecordWarning(Status n) {
  ScratchScope scope;
  MsgBox(StrItem(MsgText("0023"), ',', static_cast<uint16_t>(n)), StrOf(""), 1);
}

}  // namespace

void MovsSetPrinter(MovsPrintFn fn) { g_printer = fn; }

Status MovsEvent(int n) {
  ScratchScope scope;
  const std::string saved = ParmCtxSave().str();
  ParmCtxSet(static_cast<uint16_t>(n), StrOf(kMovsEventNames));
  Status r = kOk;
  const std::string hook = ParmText(kParmPrcName, 0);
  if (!hook.empty()) {
    const std::string cond = ParmText(kParmUsrCond, 0);
    const Status c = cond.empty() ? Status{1} : ExpEvalCond(StrOf(cond));
    if (c == 1) r = ExpCallHookText(StrOf(hook));
    else if (c >= kStFirstWarning) r = c;
  }
  ParmCtxRestore(StrOf(saved));
  return r;
}

Status MovsRefreshSummary(const ScreenDesc& screen, uint16_t word) {
  Status s = kOk;
  if (word & kSummaryRun) {
    ScratchScope scope;
    const StrPair ftclc = ScreenParmItem(kParmFtClc, 0);
    if (ftclc.ok() && !ftclc.empty()) s = ExpExecute(MacroExpandList(ftclc, StrOf("")));
  }
  if (s == kOk && screen.bounded_last && screen.bounded_last < screen.field_count)
    s = ScreenFieldsRefreshRange(word, screen.bounded_last + 1, screen.field_count);
  if (s == kOk && (word & kSummaryRun)) {
    s = ScreenCheckParm(kParmAlarmLins, kMsgAlarmLinsCheck);
    if (s) MsgErrorBox(s);
  }
  return s;
}

Status MovsRefreshKeyFields(ScreenWin* window, int from, int to, int mode) {
  const ScreenDesc d = ScreenCurrent();
  if (to < 0) to = d.field_count;
  Status s = ScreenFieldsRefreshRange(kStoreEmpty, from, to);
  const FieldList keys = MantKeyFieldList(1);
  FieldList again;
  if (d.begin_field >= from && d.begin_field <= to && d.begin_field) again.push_back(d.begin_field);
  for (uint16_t k : keys)
    if (k >= from && k <= to) again.push_back(k);
  if (!again.empty()) {
    const Status t = ScreenFieldsRefresh(kStoreKeyDefaults, again);
    if (!s) s = t;
  }
  window = ScreenWinGet(-1);
  if (mode == 1) {
    const FieldList in_order = ScreenFieldList(0x0200, 0, 0xFFFF);
    for (uint16_t f : in_order) {
      if (f >= from && f <= to) {
        SetCurrentField(window, f);
        break;
      }
    }
  } else if (mode == 2 && !keys.empty()) {
    SetCurrentField(window, keys.front() + static_cast<int>(keys.size()));
  }
  return s;
}

Status MovsClearLines(const ScreenDesc& screen, LinsBuf* buffer) {
  if (buffer) LinsReset(*buffer);
  Status s = ScreenFieldsRefresh(kStoreUser, MantKeyFieldList(1));
  const int from = screen.begin_field + KeyOneCount() + 1;
  const Status t = ScreenFieldsRefreshRange(kStoreClearFile, from, screen.field_count);
  return s ? s : t;
}

Status MovsNewDocument(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer) {
  {
    ScratchScope scope;
    ExpExecute(StrOf("_#('CLS')"));
  }
  if (screen.data_file && SelCurrentSlot(screen.data_file) >= 0) SelFree(screen.data_file);
  if (window) window->flags &= static_cast<uint16_t>(kMovsPrint | kMovsMaintMode | kWinNoHandlers);
  if (buffer) buffer->flags = 0;
  BlankAllFiles();
  SysVarSet(kVarDocSt, 0);
  ScreenFieldCtrlsDestroy(MovsLineFirst(screen), MovsLineLast(screen));
  Status s = MovsClearLines(screen, buffer);
  const int b = screen.begin_field ? screen.begin_field : 1;
  ScreenFieldsRefreshRange(kStoreFromSaved, 1, b);
  const Status k = MovsRefreshKeyFields(ScreenWinGet(-1), screen.begin_field + 1, screen.field_count, 2);
  if (s < kStFirstError && k >= kStFirstError) s = k;
  const Status set = MantRunSetItem(2);
  if (set < kStFirstError) MantFieldSetState(kMantSearch);
  else s = set;
  if (buffer) buffer->flags |= kLinsRedraw;
  return s >= kStFirstError ? s : Status{kOk};
}

Status MovsCancel(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer) {
  const Status r = MantCancel(nullptr);
  if (r) return r;
  window = ScreenWinGet(-1);
  if (!window) return kOk;
  if (window->state == kMantSearch) return MovsNewDocument(screen, window, MovsLines());
  (void)buffer;
  if (screen.begin_field > 1) ScreenFieldsRefreshRange(kStoreEmpty, 1, screen.begin_field - 1);
  MantFieldSetState(window->state);
  return kOk;
}

Status MovsLocateHeader(uint16_t file, uint16_t key, StrPair text) {
  ScratchScope scope;
  const std::string t = text.ok() ? text.str() : std::string();
  std::string header_key = t;
  if (const uint16_t n = DictLineField(file); n && n != 0xFFFF) header_key.append(DictFieldLength(file, n), ' ');
  const std::string each = ParmText(kParmReadCabs, 1);
  Status s;
  if (!each.empty()) {
    s = SelBuild(file, key, StrOf(t), StrOf(header_key), 0xFFFF, 3, StrOf(""));
    if (s == kOk || s == 1) {
      const uint16_t count = SelCount(file);
      s = count ? SelGoto(file, kBufBoth, 0) : Status{kStEndOfData};
      for (uint16_t i = 1; s == kOk && i < count; ++i) {
        s = SelGoto(file, kBufSaved, i);
        if (s == kOk) s = ExpExecute(StrOf(each));
      }
    }
    SelFree(file);
    const Status c = BufCopyPart(file, 1);
    if (s == kOk) s = c;
  } else {
    s = DataFileLocate(file, key, StrOf(header_key), 0);
  }
  if (s <= kStEndOfData) {
    const std::string after = ParmText(kParmReadCabs, 2);
    if (!after.empty()) {
      const Status a = ExpExecute(StrOf(after));
      if (a >= kStFirstError) s = a;
    }
  }
  return s;
}

Status MovsLoadDocument(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer) {
  const std::string key = MovsDocKey(-1);
  if (window) window->flags &= static_cast<uint16_t>(~kMovsExists);
  if (Blank(key)) return kStEndOfData;
  if (const Status e = MovsEvent(kMovsEvLoad)) return e;
  window = ScreenWinGet(-1);
  const uint16_t file = screen.data_file;
  const uint16_t key_index = window && window->key_index ? window->key_index : 1;
  Status s = MovsLocateHeader(file, key_index, StrOf(key));
  // Any locate that did not find the header means a new document: between
  // two stored keys the record after it stands in the buffer.
  const bool found = s == kOk;
  if (!found && s < kStFirstWarning) {
    const int current = window ? window->current_field : 1;
    ScreenFieldsRefreshRange(kStoreDefaults, current ? current : 1, screen.field_count);
  } else if (found) {
    if (screen.begin_field > 1) {
      SetDocSt(kDocStBeginFields);
      ScreenFieldsRefreshRange(kStoreLoaded, 1, screen.begin_field - 1);
    }
    // The header's own fields after the begin field, up to the lines, show
    // the header just read; left alone they would keep what the window
    // showed before (blanks, or a new document's defaults).
    const int last = screen.bounded_first ? screen.bounded_first - 1 : screen.field_count;
    if (last > screen.begin_field) ScreenFieldsRefreshRange(kStoreLoaded, screen.begin_field + 1, last);
  }
  std::string kept_current, kept_saved;
  {
    ScratchScope scope;
    StrPair c = BufRecord(file, kBufCurrent), v = BufRecord(file, kBufSaved);
    if (c.ok()) kept_current = c.str();
    if (v.ok()) kept_saved = v.str();
  }
  Status lines = kStFirstWarning;
  if (s < kStFirstWarning && buffer) {
    lines = MovsReadLines(*buffer, StrOf(""), StrOf(""));
    if (lines <= kStEndOfData && found) {
      BufStore(file, kBufCurrent, StrOf(kept_current));
      BufStore(file, kBufSaved, StrOf(kept_saved));
    }
    if (lines >= kStFirstWarning) s = lines;
  }
  if (s == kOk) {
    s = MovsRefreshSummary(screen, kStoreShown);
    window = ScreenWinGet(-1);
    if (s == kOk && lines == kOk && window) {
      SetDocSt(kDocStLoaded);
      SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | kScrStatLines));
      window->flags |= kMovsMaintMode | kMovsExists;
      if (ParmInt(kParmVoidMode) & kVoidReadOnly) window->flags |= kMovsReadOnly;
    }
  }
  return s;
}

Status MovsWriteHeaders(const ScreenDesc& screen, int count, StrPair text, StrPair loop, StrPair next,
                        StrPair write) {
  ScratchScope scope;
  const uint16_t file = screen.data_file;
  if (text.ok() && !text.empty()) {
    const Status e = ExpEvalText(text);
    if (e >= kStFirstWarning) return e;
  }
  if (const uint16_t n = DictLineField(file); n && n != 0xFFFF) BufSetField(file, n, StrOf(""));
  const std::string raw = ParmText(kParmWriteCabs, 0);
  const std::string slots = SlotList(screen), test = KeyTest();
  auto add = [&]() -> Status {
    if (g_header_add && *g_header_add) return (*g_header_add)();
    const Status w = DataFileWriteHooked(kWriteAdd, file, StrOf(slots), StrOf(test));
    return w >= kStFirstError ? w : Status{kOk};
  };
  auto holds = [](StrPair cond) {
    if (!cond.ok() || cond.empty()) return false;
    return ExpEvalCond(cond) == 1;
  };
  bool written = false;
  // Without a count the header number stays 0; a loop condition that never
  // turns false is stopped rather than left spinning.
  uint32_t rounds = 0;
  for (int j = count ? 1 : 0;; j = count ? j + 1 : 0) {
    if (++rounds > 0xFFFF) return kStLoopFailure;
    if (count && j > count && !holds(loop)) break;
    if (!count && !(loop.ok() && !loop.empty() ? holds(loop) : !written && j == 0)) break;
    SysVarSet(kVarHNum, static_cast<int16_t>(j));
    ScratchScope each;
    StrPair cond = write;
    if (!cond.ok() || cond.empty()) cond = raw.empty() ? text : MacroExpand(StrOf(raw), 0);
    const bool last_counted = count ? j == count : !(loop.ok() && !loop.empty());
    const Status c = cond.ok() && !cond.empty() ? ExpEvalCond(cond) : Status{1};
    if (c >= kStFirstError) return c;
    if (c == 1 || (last_counted && !written)) {
      const Status w = add();
      if (w >= kStFirstError) return w;
      written = true;
      if (next.ok() && !next.empty()) {
        const Status n = ExpExecute(next);
        if (n >= kStFirstError) return n;
      }
    }
    if (!count && !(loop.ok() && !loop.empty())) break;
  }
  return kOk;
}

Status MovsSaveDocument(const ScreenDesc& screen, LinsBuf* buffer) {
  if (!buffer) return kStScreenStruct;
  LinsTrimBlank(*buffer);
  const uint16_t file = screen.data_file;
  const std::string key = MovsDocKey(-1);
  if (Blank(key)) return kStEndOfData;
  const std::string slots = SlotList(screen), test = KeyTest();
  const std::string writecabs = ParmExpanded(kParmWriteCabs, 0);
  const std::string writecab0 = ParmText(kParmWriteCab0, 0);
  const std::string writelins = ParmExpanded(kParmWriteLins, 0);
  DocSaveParts parts;
  parts.slot_list = StrOf(slots);
  parts.test = StrOf(test);
  // A stored document with more lines than the buffer holds was not loaded
  // whole: the store refuses to replace it (124) rather than lose lines.
  parts.max_lines = buffer->max_lines ? buffer->max_lines : kLinsDefaultMax;
  parts.headers = [&](const DocAddFn& add) -> Status {
    g_header_add = &add;
    Status s = kOk;
    if (!writecabs.empty()) {
      s = MovsWriteHeaders(screen, ParmInt(kParmNumCab), StrOf(writecabs), StrPair{}, StrPair{}, StrPair{});
    } else if (!writecab0.empty()) {
      ScratchScope scope;
      const StrPair w = StrOf(writecab0);
      const std::string i1 = ExpListItem(w, 1).str(), i2 = ExpListItem(w, 2).str();
      const std::string i3 = ExpListItem(w, 3).str(), i4 = ExpListItem(w, 4).str();
      s = MovsWriteHeaders(screen, 0, StrOf(i1), StrOf(i2), StrOf(i3), StrOf(i4));
    }
    g_header_add = nullptr;
    return s;
  };
  parts.line_count = buffer->used;
  parts.fill_line = [&](uint16_t n) -> Status {
    LinsSetCurrent(*buffer, n);
    return MovsLineToBuffer(file, *buffer, StrOf(writelins));
  };
  Status s = DocSave(DocFiles{file, file}, StrOf(key), parts);
  if (s == kOk) {
    buffer->flags &= static_cast<uint16_t>(~kLinsChanged);
    ScratchScope scope;
    const StrPair saved = ScreenParmItem(kParmSaved, 0);
    if (saved.ok() && !saved.empty()) s = ExpExecute(saved);
  }
  return s;
}

Status MovsPrint(uint16_t file) {
  const ScreenWin w = ScreenWinCurrent();
  if (!(w.flags & kMovsPrint)) return kOk;
  const std::string doc = ParmText(kParmDoc, 0);
  if (doc.empty()) return kOk;
  const std::string key = MovsDocKey(-1);
  if (DataFileLocate(file, 1, StrOf(key), 0) != kOk) return kOk;
  if (!g_printer) return kStNotAvailable;
  ScratchScope scope;
  const std::string device = ExpListItem(StrOf(doc), 1).str(), tmpl = ExpListItem(StrOf(doc), 2).str();
  const std::string range = ParmText(kParmDocSets, 0);
  return g_printer(StrOf(device), StrOf(tmpl), StrOf(range), StrOf(key));
}

Status MovsSave(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer) {
  if (!window || !buffer) return kStScreenStruct;
  const int started = ScreenCounterGet(kCurWin);
  // The line being edited is always part of what is saved.
  Status s = MovsLineCommit(screen, window->list_level);
  window = ScreenWinGet(-1);
  buffer = MovsLines();
  if (!window || !buffer) return kStScreenStruct;
  if (s < kStFirstWarning) s = kOk;
  if (s == kOk && buffer->mode != kLinsNavigation) LinsDropUntouched(*buffer);
  if (s == kOk) {
    if (buffer->used == 0) {
      ScratchScope scope;
      MsgBox(ErrText(kStNoData), StrOf(""), 0);
    } else if (buffer->mode != kLinsNavigation) {
      const bool changed = (buffer->flags & kLinsChanged) || BufChanged(screen.data_file) == 1;
      bool write = true;
      if (window->flags & kMovsReadOnly) {
        if (changed) RecordWarning(kMsgChangedCancelled);
        write = false;
      } else if (!changed && window->current_field <= screen.bounded_first) {
        write = false;
      }
      if (write && Blank(MovsDocKey(-1))) return kStEndOfData;  // nothing to file it under
      s = MovsRefreshSummary(screen, kSummaryRefresh);
      if (write && s == kOk) {
        s = MovsEvent(kMovsEvCheck);
        if (s == kOk) s = MovsSaveDocument(screen, buffer);
        if (s >= 1 && s <= kStDetailText) RecordWarning(s);
      }
    }
    if (s < kStFirstWarning) {
      s = MovsEvent(kMovsEvSave);
      if (s == kOk) s = MovsPrint(screen.data_file);
    }
  }
  if (s < kStFirstWarning) {
    const Status n = MovsNewDocument(ScreenCurrent(), ScreenWinGet(-1), MovsLines());
    if (n) s = n;
    if (s == kOk && ScreenCounterGet(kCurWin) != started) s = 1;
  }
  return s;
}

Status MovsDeleteKeyRecords(uint16_t file, uint16_t key, StrPair text, StrPair rules, StrPair test) {
  ScratchScope scope;
  const StrPair slots = DataFileLineExpr(rules, ScreenCurrent().rule_mark);
  Status last = kOk;
  while (last < kStEndOfData && DataFileLocate(file, key, text, 0) == kOk) {
    ScratchScope each;
    last = DataFileWriteHooked(kWriteDelete, file, slots.ok() ? slots : StrOf(""), test);
  }
  return last;
}

Status MovsDeleteDocument(StrPair slot_list) {
  const ScreenDesc screen = ScreenCurrent();
  const std::string key = MovsDocKey(-1);
  if (Blank(key)) return kStEndOfData;
  ScratchScope scope;
  const StrPair slots = slot_list.ok() && !slot_list.empty() ? DataFileLineExpr(slot_list, screen.rule_mark)
                                                               : StrOf("");
  const std::string test = KeyTest();
  ScreenBufStack(28);
  Status s = DocDelete(DocFiles{screen.data_file, screen.data_file}, StrOf(key), slots, StrOf(test));
  if (s == kOk) ScreenBufStack(29);
  return s;
}

Status MovsDeleteDoc(const ScreenDesc& screen, ScreenWin* window) {
  if (!window || window->state < 3 || !(window->flags & kMovsExists)) return kStNoData;
  if (!MsgAskYesNo(MsgText("0025"))) return kOk;
  Status s = MovsEvent(kMovsEvDelete);
  if (s == kOk) {
    ScratchScope scope;
    s = MovsDeleteDocument(ScreenParmItem(kParmRelOpt, 0));
  }
  if (s == kOk) s = MovsNewDocument(screen, ScreenWinGet(-1), MovsLines());
  return s;
}

}  // namespace eng
