#include "data/stat_scan.h"

#include <cstring>
#include <string>

#include "core/dec_value.h"
#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/fn_call.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/block_file.h"
#include "data/dict_file_path.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/maint_services.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_search.h"
#include "data/selection_set.h"
#include "data/stat_move.h"

namespace eng {

namespace {

void SetBits(SysVar v, uint16_t bits, bool on) {
  uint16_t now = SysVarBits(v);
  SysVarSet(v, int16_t(on ? (now | bits) : (now & ~bits)));
}

bool IsBlank(StrPair v) { return v.view().find_first_not_of(' ') == std::string_view::npos; }

// The named item of the FILESCAN text: raw, "" when absent.
std::string Item(StrPair text, const char* name) { return StrKeyGetMode(text, StrFromC(name), 0).str(); }

int16_t ItemInt(StrPair text, const char* name, int16_t def) {
  ScratchScope scope;
  std::string v = Item(text, name);
  if (v.empty()) return def;
  return ExpEvalInt(StrOf(v));
}

// FROM and TO, evaluated as texts when given.
std::string ItemText(StrPair text, const char* name) {
  ScratchScope scope;
  std::string v = Item(text, name);
  if (v.empty()) return v;
  StrPair r = ExpEvalStr(StrOf(v));
  return r.ok() ? r.str() : std::string();
}

// Runs the statements on the accumulation file's current record as a
// condition: 1 true, 0 false, or a failure.
Status OnRecord(StrPair statements) {
  ScratchScope scope;
  return ExpEvalCond(statements);
}

// One source record into the accumulation file.
Status AccumulateOne(uint16_t accum, StrPair statements) {
  if (Status s = DataFileMove(accum, 1); s != 3) return s;
  Status holds = OnRecord(statements);
  if (holds != 1) return holds >= kStFirstWarning ? holds : kOk;
  ScratchScope scope;
  const std::string key = BufFileKeyValue(accum, 1).str();
  Status found = DataFileSeekRead(accum, 1, StrOf(key), 0);
  if (found >= kStFirstError) return found;
  if (found != 0) {
    Status s = DataFileAddRecord(accum);
    return s == 6 ? kOk : s;
  }
  if (Status s = DataFileLocate(accum, 1, StrOf(key), 0); s != 0) return s >= kStFirstError ? s : Status{kStFileIo};
  holds = OnRecord(statements);
  if (holds >= kStFirstWarning) return holds;
  return DataFileUpdateRecord(accum);
}

}  // namespace

Status StatProgressStart(uint16_t file, uint16_t key, StrPair from, StrPair to, StrPair condition, uint16_t mode) {
  if (!(mode & 1)) return kOk;
  if (!MaintGetServices().progress_open) return kOk;  // nothing to show: no need to count
  DataFileSaved saved;
  if (Status s = DataFileCtrlSave(file, saved)) return s;
  uint32_t count = 0;
  {
    ScratchScope scope;
    const std::string last = DynStrGet(sl::kWork, sl::kFileRelKey).str();
    for (Status s = DataFileSearchFirst(file, key, from, condition, to, nullptr); s == kOk;
         s = DataFileSearchNext(file, true, condition, to, -1, nullptr))
      ++count;
    DynStrSet(sl::kWork, sl::kFileRelKey, StrOf(last));
  }
  DataFileCtrlSave(file, saved);
  MaintProgressOpen(count);
  return kOk;
}

Status StatAccumulate(uint16_t source, uint16_t accum, uint16_t key, StrPair from, StrPair to, StrPair search,
                      StrPair record_cond, StrPair statements, StrPair pump, uint16_t mode) {
  source = DictFileNumber(source);
  accum = DictFileNumber(accum);
  DictSelectFile(accum);
  SysVarSet(kVarSgn, 1);
  const std::string v_from = from.str(), v_to = to.str(), v_search = search.str(), v_record = record_cond.str(),
                    v_stmts = statements.str(), v_pump = pump.str();
  const bool progress = (mode & 1) != 0;
  if (progress) StatProgressStart(source, key, StrOf(v_from), StrOf(v_to), StrOf(v_search), mode);
  auto tick = [&](StrPair) { return progress ? MaintProgressTick() : Status{kOk}; };
  Status s = DataFileSearchFirst(source, key, StrOf(v_from), StrOf(v_search), StrOf(v_to), nullptr);
  Status result = s == kOk ? kOk : s >= kStFirstWarning ? s : Status{kStNoData};
  while (s == kOk) {
    DictSelectFile(accum);
    Status holds = OnRecord(StrOf(v_record));
    if (holds >= kStFirstWarning) {
      result = holds;
      break;
    }
    if (holds == 1) {
      if (Status a = AccumulateOne(accum, StrOf(v_stmts)); a >= kStFirstWarning) {
        result = a;
        break;
      }
    }
    if (!v_pump.empty() && OnRecord(StrOf(v_pump)) == 0) {
      if (Status p = MaintProgressTick(); p == kStCancelled) {
        result = p;
        break;
      }
    }
    if (progress) tick(StrPair{});
    s = DataFileSearchNext(source, true, StrOf(v_search), StrOf(v_to), -1, nullptr);
    if (s >= kStFirstWarning) result = s;
  }
  SelFree(source);
  if (progress) MaintProgressClose();
  DictSelectFile(accum);
  if (result == kOk && DataFileMove(accum, 0x24) != 0) result = kStNoData;
  SysVarSet(kVarSgn, 0);
  return result;
}

Status StatExpSet(uint16_t file, uint16_t key, StrPair from, StrPair to, StrPair condition, StrPair expressions,
                  uint16_t mode, std::vector<int64_t>* accumulators) {
  (void)mode;
  file = DictFileNumber(file);
  const std::string v_from = from.str(), v_to = to.str(), v_cond = condition.str(), v_list = expressions.str();
  const std::string last = DynStrGet(sl::kWork, sl::kFileRelKey).str();
  DataFileSaved saved;
  if (Status s = DataFileCtrlSave(file, saved)) return s;
  Status s = DataFileSearchFirst(file, key, StrOf(v_from), StrOf(v_cond), StrOf(v_to), nullptr);
  Status result = s == kOk ? kOk : s > kStDetailText ? s : Status{kStNoData};
  while (s == kOk) {
    ScratchScope scope;
    Status e = kOk;
    if (accumulators) {
      const uint16_t n = StrItemCount(StrOf(v_list), ',');
      if (accumulators->size() < n) accumulators->resize(n, 0);
      for (uint16_t i = 1; i <= n && e <= kStDetailText; ++i) {
        ScratchScope item;
        e = ExpEvalText(StrItem(StrOf(v_list), ',', i));
        if (e == kOk) {
          StrPair r = ScratchTop();
          DecValue v = 0;
          if (r.ok() && r.len == sizeof v) std::memcpy(&v, r.ptr, sizeof v);
          (*accumulators)[i - 1] += v;
        } else if (e == 1) {
          e = kStIncompatibleTypes;
        }
      }
    } else {
      e = ExpEvalText(StrOf(v_list));
      if (e == kStNullExpression) e = kOk;
    }
    if (e > kStDetailText) {
      result = e;
      break;
    }
    s = DataFileSearchNext(file, true, StrOf(v_cond), StrOf(v_to), -1, nullptr);
    if (s > kStDetailText && s != kStEndOfData) {
      result = s;
      break;
    }
  }
  DataFileCtrlSave(file, saved);
  DynStrSet(sl::kWork, sl::kFileRelKey, StrOf(last));
  return result;
}

Status StatVirtualFile(uint16_t file, uint8_t flags) {
  file = DictFileNumber(file);
  if (flags) {
    const bool had = SysVarHas(kVarUpStat, kUpStatFreshFiles);
    SetBits(kVarUpStat, kUpStatFreshFiles, true);
    Status s = DataFileOpen(file, flags);
    SetBits(kVarUpStat, kUpStatFreshFiles, had);
    return s;
  }
  // Only names given for this open are deleted: a file on its own names is closed and kept.
  const DataFileNames own = DictDataFileNames(file);
  const DataFileNames used = DataFileSlotOf(file).names;
  Status s = DataFileClose(file);
  if (!used.records.empty() && used.records != own.records) BlockFileRemove(used.records);
  if (!used.index.empty() && used.index != own.index) BlockFileRemove(used.index);
  return s;
}

Status StatClearTmpFields(uint16_t file) {
  file = DictFileNumber(file);
  ScratchScope scope;
  StrPair reset = StrItem(ParmGet(kParmReset), ',', 2);
  if (!reset.empty()) return ExpExecute(reset);
  for (uint16_t f = DictFieldCount(file); f >= 1; --f) {
    StrPair name = DictFieldName(file, f);
    if (name.len >= 3 && name.view().substr(0, 3) == "TMP") {
      if (Status s = BufSetField(file, f, StrPair{})) return s;
    }
  }
  return kOk;
}

Status StatLocateRelated(uint16_t file, uint16_t key, StrPair value, uint16_t flags) {
  file = DictFileNumber(file);
  const std::string v = value.str();
  Status first = DataFileLocate(file, key, StrOf(v), flags);
  if (first == kOk || first >= kStFirstError) return first;
  if (SysVarHas(kVarUpStat, kUpStatVirtual) || DictFileName(file).empty() || IsBlank(StrOf(v))) return first;
  const int16_t sql = SysVarGet(kVarSqlStk);
  Status again = DataFileLocate(file, key, StrOf(v), 0);
  SysVarSet(kVarSqlStk, sql);
  if (again > kStDetailText) return again;
  if (Status c = StatClearTmpFields(file)) return c;
  return first;
}

Status StatScanRelUpdate(uint16_t file_a, uint16_t file_b, uint16_t relation, uint16_t flags, StrPair statements) {
  const std::string stmts = statements.str();
  const uint16_t key = DictRelationKey(file_a, file_b, relation);
  std::string value;
  {
    ScratchScope scope;
    StrPair expr = DictRelationExpr(file_a, file_b, relation);
    if (expr.empty() || key == 0) return kStDataError;
    const uint16_t was = DictSelectFile(file_a);
    StrPair v = ExpEvalStr(expr);
    DictSelectFile(was);
    if (!v.ok()) return StrError(v);
    value = v.str();
  }
  Status s = StatLocateRelated(file_b, key, StrOf(value), flags);
  if (s >= kStFirstError) return s;
  if (s >= 1 && s <= kStDetailText && (flags & 4)) {
    if (Status a = DataFileAddRecord(file_b); a != kOk && a != 6) return a;
  }
  {
    ScratchScope scope;
    const uint16_t was = DictSelectFile(file_b);
    Status e = ExpExecute(StrOf(stmts));
    DictSelectFile(was);
    if (e >= kStFirstWarning) return e;
  }
  return DataFileUpdateRecord(file_b);
}

Status StatFileScan(StrPair text, StrPair search, StrPair statements, StrPair record_cond, StrPair pump) {
  const uint16_t accum = DictFileNumber(0);
  std::string word, v_from, v_to, v_search = search.str(), v_stmts = statements.str(),
                                  v_record = record_cond.str(), v_pump = pump.str();
  int16_t source = 0, key = 0, mode = 0, virt = 0;
  {
    ScratchScope scope;
    StrPair t = StrTrim(text, 3);
    word = StrItem(t, ' ', 1).str();
    for (char& c : word) c = AsciiUpper(c);
    source = ItemInt(t, "FILE", 0);
    key = ItemInt(t, "INDEX", int16_t(DataFileKeyNumber(accum)));
    mode = ItemInt(t, "MODE", 0);
    virt = ItemInt(t, "VIRTUAL", 0);
    v_from = ItemText(t, "FROM");
    v_to = ItemText(t, "TO");
  }
  if (virt & 1) SetBits(kVarUpStat, kUpStatVirtual, true);
  Status s = kOk;
  if (virt >= 2) s = StatVirtualFile(accum, kOpenExclusive);
  if (s <= kStEndOfData) {
    s = kOk;
    if (word == "ACUM") {
      SetBits(kVarUpStat, kUpStatScan, true);
      Status r = StatAccumulate(uint16_t(source), accum, uint16_t(key), StrOf(v_from), StrOf(v_to), StrOf(v_search),
                                StrOf(v_record), StrOf(v_stmts), StrOf(v_pump), uint16_t(mode));
      SysVarSet(kVarStat, int16_t(r == kStNoData ? 0 : r));
      if (r >= kStFirstError) s = r;
    } else if (word == "EXPSET") {
      Status r = StatExpSet(source ? uint16_t(source) : accum, uint16_t(key), StrOf(v_from), StrOf(v_to),
                            StrOf(v_search), StrOf(v_stmts), uint16_t(mode), nullptr);
      SysVarSet(kVarStat, int16_t(r == kStNoData ? 0 : r));
      if (r >= kStFirstError) s = r;
    } else if (word == "CLOSE") {
      s = StatVirtualFile(accum, 0);
      SetBits(kVarUpStat, kUpStatScan, false);
    } else {
      s = kStDataError;
    }
  }
  SetBits(kVarUpStat, kUpStatVirtual, false);
  return s;
}

Status StatRegister() {
  HookSetFn(&StatScanRelUpdate, kHookRelFetch);
  return FnRegister(StrOf("StatMove"), &StatMoveFunction);
}

}  // namespace eng
