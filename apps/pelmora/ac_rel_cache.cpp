#include "apps/pelmora/ac_rel_cache.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/exp_code.h"
#include "core/exp_eval.h"
#include "core/scratch_arena.h"
#include "core/str_search.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/related_records.h"
#include "data/relup_rules.h"
#include "data/stat_scan.h"

namespace eng::pelmora {

namespace {

// A relation as the dictionary gives it, read once per run, with its
// expression compiled once.
struct Relation {
  std::string expr;
  uint16_t key = 0;
  uint16_t key_length = 0;  // of b's key 1
  std::shared_ptr<const ExpCode> code;
};

struct Kept {
  std::string record;
  bool in_file = false;  // read from the file (else created here)
  bool busy = false;     // its statements are running, on b's buffer
  bool adding = false;   // busy, and created by that call
};

}  // namespace

struct AcRelCacheState {
  // By a, b and the relation's number.
  std::unordered_map<uint64_t, Relation> relations;
  std::unordered_map<std::string, std::shared_ptr<const ExpCode>> statements;
  // Per file, the kept records by key 1 value (put in key order for the flush).
  std::map<uint16_t, std::unordered_map<std::string, Kept>> files;
  // Per file number, the calls whose statements run on a kept record of it.
  std::vector<int> busy;
  uint64_t flushes = 0;  // files whose kept records were written and forgotten
};

namespace {

using CacheState = AcRelCacheState;

CacheState* g_active = nullptr;

const Relation& RelationOf(CacheState& c, uint16_t a, uint16_t b, uint16_t n) {
  auto [it, added] = c.relations.try_emplace(uint64_t(a) << 32 | uint64_t(b) << 16 | n);
  if (added) {
    ScratchScope scope;
    StrPair e = DictRelationExpr(a, b, n);
    it->second.expr = e.ok() ? e.str() : std::string();
    it->second.key = DictRelationKey(a, b, n);
    it->second.key_length = DictKeyLength(b, 1, 0);
    if (!it->second.expr.empty()) it->second.code = ExpCompile(StrOf(it->second.expr));
  }
  return it->second;
}

// The relation's value on a's current record, a current meanwhile.
Status RelationValue(const Relation& r, uint16_t a, std::string* value) {
  const int16_t previous = SysVarGet(kVarCurFil);
  DictSelectFile(a);
  ScratchScope scope;
  StrPair v = r.code ? ExpCodeEvalStr(*r.code) : ExpEvalStr(StrOf(r.expr));
  SysVarSet(kVarCurFil, previous);
  if (!v.ok()) return StrError(v);
  value->assign(v.view());
  return kOk;
}

// The statements compiled once per text (`code` when the caller has them).
Status RunStatements(CacheState& c, std::string_view text, const ExpCode* code) {
  std::shared_ptr<const ExpCode> held;
  if (!code) {
    auto [it, added] = c.statements.try_emplace(std::string(text));
    if (added) it->second = ExpCompile(StrOf(text));
    held = it->second;
    code = held.get();
  }
  ScratchScope scope;
  Status s = code ? ExpCodeRun(*code) : ExpExecute(StrOf(text));
  return s >= kStFirstError ? s : Status{kOk};
}

// Writes the kept records of one file and forgets them. When the statements
// of one of them are running (a call into the file from those statements is
// what writes them), the file's buffer and position are then made what they
// would be line by line: that record's buffer as the statements left it, on
// that record in the file, or on no record when the running call created
// it (it is not in the file yet: that call adds it when its statements end).
Status FlushFile(CacheState& c, uint16_t file) {
  auto found = c.files.find(file);
  if (found == c.files.end()) return kOk;
  std::unordered_map<std::string, Kept> kept = std::move(found->second);
  c.files.erase(found);
  ++c.flushes;
  std::vector<const std::pair<const std::string, Kept>*> order;
  order.reserve(kept.size());
  const std::pair<const std::string, Kept>* running = nullptr;
  std::string buffer;
  for (const auto& entry : kept) {
    if (entry.second.busy) {
      running = &entry;
      ScratchScope scope;
      StrPair rec = BufRecord(file, kBufCurrent);
      if (!rec.ok()) return StrError(rec);
      buffer.assign(rec.view());
    }
    if (!entry.second.adding) order.push_back(&entry);
  }
  std::sort(order.begin(), order.end(), [](auto* x, auto* y) { return x->first < y->first; });
  for (const auto* entry : order) {
    const std::string& key = entry->first;
    const Kept& k = entry->second;
    ScratchScope scope;
    Status s;
    if (k.in_file) {
      s = DataFileLocate(file, 1, StrOf(key), 0);
      if (s != kOk) return s >= kStFirstError ? s : Status{kStDataError};
      if (Status b = BufStore(file, kBufCurrent, StrOf(k.record))) return b;
      s = DataFileUpdateRecord(file);
    } else {
      DataFileCtrl(file).recno = -1;
      if (Status b = BufStore(file, kBufBoth, StrOf(k.record + k.record))) return b;
      s = DataFileAddRecord(file);
    }
    if (s >= kStFirstError) return s;
  }
  if (running) {
    ScratchScope scope;
    if (running->second.adding) {
      DataFileCtrl(file).recno = -1;
    } else {
      Status s = DataFileLocate(file, 1, StrOf(running->first), 0);
      if (s != kOk) return s >= kStFirstError ? s : Status{kStDataError};
    }
    if (Status b = BufStore(file, kBufCurrent, StrOf(buffer))) return b;
  }
  return kOk;
}

// FILEREL through the kept records; `code`, when given, is the statements'
// text compiled.
Status KeptFetch(uint16_t file_a, uint16_t file_b, uint16_t relation, uint16_t flags, std::string_view text,
                 const ExpCode* code) {
  CacheState& c = *g_active;
  const uint16_t a = DictFileNumber(file_a), b = DictFileNumber(file_b);
  if (Status s = DictCheckField(a, kDictAnyField)) return s;
  if (Status s = DictCheckField(b, kDictAnyField)) return s;
  const Relation& r = RelationOf(c, a, b, relation);
  auto record_layer = [&]() -> Status {
    if (Status s = FlushFile(c, b)) return s;
    return DataFileRelFetch(a, b, relation, flags, StrOf(std::string(text)));
  };
  if ((flags & (kRelNearest | kRelSeekOrDelete)) || r.key != 1) return record_layer();
  // Called from the statements of a kept record of b: the record layer
  // serves it, with b's file as line by line writes would have left it.
  if (b < c.busy.size() && c.busy[b] > 0) return record_layer();
  SysVarSet(kVarRelRes, 0);
  if (r.expr.empty()) return kStDataError;
  std::string value;
  if (Status s = RelationValue(r, a, &value)) return s;
  if (value.empty()) return kOk;
  if (value.size() != r.key_length) return record_layer();

  std::unordered_map<std::string, Kept>& kept = c.files[b];
  auto it = kept.find(value);
  bool created = false;
  if (it == kept.end()) {
    ScratchScope scope;
    Status s = DataFileLocate(b, 1, StrOf(value), 1);
    if (s >= kStFirstError) return s;
    Kept k;
    if (s == kOk) {
      k.in_file = true;
    } else {
      DataFileCtrl(b).recno = -1;
      if (Status bs = BufBlankAndSetKey(b, 1, StrOf(value), 1)) return bs;
      created = true;
    }
    StrPair rec = BufRecord(b, kBufCurrent);
    if (!rec.ok()) return StrError(rec);
    k.record.assign(rec.view());
    it = kept.emplace(value, std::move(k)).first;
  } else {
    ScratchScope scope;
    if (Status s = BufStore(b, kBufCurrent, StrOf(it->second.record))) return s;
  }
  if (!text.empty()) {
    // The statements may keep records of other files, and a FILEREL of
    // theirs into b writes b's kept records and forgets them: nothing of
    // b's map is held while they run, the record is found again after.
    it->second.busy = true;
    it->second.adding = created;
    const uint64_t flushes = c.flushes;
    if (b >= c.busy.size()) c.busy.resize(size_t(b) + 1);
    ++c.busy[b];
    Status s = RunStatements(c, text, code);
    --c.busy[b];
    // Nothing was added to b's map meanwhile (a call into b is served by the
    // record layer); unless a file was written, the record is where it was.
    Kept* slot = &it->second;
    if (c.flushes != flushes) {
      slot = nullptr;
      if (auto f = c.files.find(b); f != c.files.end())
        if (auto k = f->second.find(value); k != f->second.end()) slot = &k->second;
    }
    if (s) {
      if (created && slot) c.files[b].erase(value);
      else if (slot) slot->busy = false;
      return s;
    }
    if (!slot) {
      // b's kept records were written while the statements ran (all but
      // this one when it was created here): this one is written as the
      // record layer writes it, from b's buffer as the statements left it.
      Status w = created ? DataFileAddRecord(b) : DataFileUpdateRecord(b);
      if (w >= kStFirstError) return w;
    } else {
      slot->busy = slot->adding = false;
      StrPair rec = BufRecord(b, kBufCurrent);
      if (!rec.ok()) return StrError(rec);
      slot->record.assign(rec.view());
    }
  }
  if (created) SysVarSet(kVarRelRes, kRelResCreated);
  return kOk;
}

// Hook 3 while the scope is open.
Status KeptRelFetch(uint16_t file_a, uint16_t file_b, uint16_t relation, uint16_t flags, StrPair statements) {
  // Held: the statements' text may live in the scratch arena they change.
  const std::string text = statements.ok() ? statements.str() : std::string();
  return KeptFetch(file_a, file_b, relation, flags, text, nullptr);
}

}  // namespace

AcRelCacheScope::AcRelCacheScope() {
  previous_hook_ = HookGet(kHookRelFetch);
  previous_upstat_ = SysVarGet(kVarUpStat);
  previous_state_ = g_active;
  g_active = new CacheState;
  HookSetFn(&KeptRelFetch, kHookRelFetch);
  SysVarSet(kVarUpStat, static_cast<int16_t>(previous_upstat_ | kUpStatScan));
}

AcRelCacheScope::~AcRelCacheScope() {
  HookSet(previous_hook_, kHookRelFetch);
  const bool was_on = previous_upstat_ & kUpStatScan;
  const uint16_t now = static_cast<uint16_t>(SysVarGet(kVarUpStat));
  SysVarSet(kVarUpStat, static_cast<int16_t>(was_on ? now | kUpStatScan : now & ~kUpStatScan));
  delete g_active;
  g_active = previous_state_;
}

namespace {

std::string_view Trimmed(std::string_view v) {
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

// A plain decimal number of at most four digits; -1 otherwise.
int SmallNumber(std::string_view v) {
  v = Trimmed(v);
  if (v.empty() || v.size() > 4 || v.find_first_not_of("0123456789") != std::string_view::npos) return -1;
  int n = 0;
  for (char c : v) n = n * 10 + (c - '0');
  return n;
}

}  // namespace

AcRelRulePass::AcRelRulePass(std::string text) : text_(std::move(text)) {
  constexpr std::string_view kCall = "FILEREL(";
  const std::string_view rules = text_;
  for (size_t start = 0; start <= rules.size();) {
    size_t end = StrFindTopLevel(rules, start, ";");
    if (end == std::string_view::npos) end = rules.size();
    std::string_view item = Trimmed(rules.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    if (item.substr(0, kCall.size()) != kCall || item.back() != ')') return;
    std::string_view args = item.substr(kCall.size(), item.size() - kCall.size() - 1);
    // The four numbers, then the rest of the text as the statements.
    Call call;
    int numbers[4];
    for (int& n : numbers) {
      size_t semi = args.find(';');
      n = SmallNumber(args.substr(0, semi));
      if (n < 0) return;
      args = semi == std::string_view::npos ? std::string_view() : args.substr(semi + 1);
    }
    call.a = static_cast<uint16_t>(numbers[0]);
    call.b = static_cast<uint16_t>(numbers[1]);
    call.relation = static_cast<uint16_t>(numbers[2]);
    call.flags = static_cast<uint16_t>(numbers[3]);
    if (!(call.flags & kRelCreate)) return;
    call.statements = std::string(Trimmed(args));
    if (!call.statements.empty()) call.code = ExpCompile(StrOf(call.statements));
    calls_.push_back(std::move(call));
  }
  direct_ = !calls_.empty();
}

Status AcRelRulePass::Run(uint16_t file) const {
  if (!direct_ || !g_active || SysVarHas(kVarAuxStat, kAuxStatRulesSql)) {
    ScratchScope scope;
    return DataFileRunTrigger(kPassNew, file, StrOf(text_));
  }
  if (!SysVarHas(kVarUpStat, kUpStatRules)) return kOk;
  SysVarSet(kVarSgn, 1);
  Status s = kOk;
  for (const Call& c : calls_) {
    // FILEREL keeps "nearest" only for a step key; it always reads blank.
    uint16_t flags = c.flags;
    const int16_t last_key = SysVarGet(kVarLastKey);
    if ((flags & kRelNearest) && !(flags & 0x10) && last_key != 29 && last_key != 23)
      flags = static_cast<uint16_t>(flags & ~kRelNearest);
    flags |= kRelReadBlank;
    ScratchScope scope;
    s = KeptFetch(DictFileNumber(c.a), DictFileNumber(c.b), c.relation, flags, c.statements, c.code.get());
    if (s >= kStFirstError) break;
    s = kOk;
  }
  SysVarSet(kVarSgn, 0);
  return s;
}

Status AcRelCacheScope::Flush() {
  while (!g_active->files.empty())
    if (Status s = FlushFile(*g_active, g_active->files.begin()->first)) return s;
  return kOk;
}

}  // namespace eng::pelmora
