#include "data/fn_records.h"

#include <string>

#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/data_file_path.h"
#include "data/dict_file_path.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "data/file_command.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/related_records.h"

namespace eng {

namespace fnrec {

namespace {

using fn::ResultInt;
using fn::ResultText;

// A record-layer answer: below 128 the function's number, else the failure.
Status StatusResult(FnArgs& a, Status st) {
  if (st >= kStFirstError) return st;
  return ResultInt(a, st);
}

// The records of a data file: the live records of its index while it is open
// with one; otherwise what its record file holds by its size.
int64_t RecordCount(uint16_t f) {
  DataFileSlot& s = DataFileSlotOf(f);
  if (s.store.IsOpen() && !(s.store.Flags() & kOpenNoIndex)) return s.store.Index().LiveCount();
  if (s.store.IsOpen()) {
    int64_t n = s.store.Records().Count();
    return n < 0 ? 0 : n;
  }
  const uint16_t length = DictRecordLength(f);
  if (length == 0) return 0;
  ScratchScope scope;
  return int64_t(StrmFileSize(StrOf(DictFilePath(f, kPathRecords))) / length);
}

// FN#FLEN(name): a data file's record count, or a file's size in bytes.
Status Flen(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 1)) return s;
  FnArg arg = FnArgValue(a, 1, StrOf(""), kFnArgText);
  if (arg.status) return arg.status;
  uint16_t f = 0;
  StrPair name = arg.value;
  if (arg.type == kFnArgNum && !arg.omitted) {
    int64_t n = fn::WholeOf(arg.value);
    if (n >= 1 && n <= DictFileCount()) f = uint16_t(n);
    else name = fn::TextOf(arg);
  } else {
    f = DictFileByName(name);
  }
  if (f != 0 && DictFileDefined(f)) return ResultInt(a, RecordCount(f));
  if (!name.ok()) return StrError(name);
  StrPair path = AppPathKinds(name);
  if (!path.ok()) return StrError(path);
  return ResultInt(a, int64_t(StrmFileSize(path)));
}

// FILEFIND(value; file; key; flags).
Status FileFind(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 4)) return s;
  FnIntArg flags = FnArgInt(a, 4, 0);
  if (flags.status) return flags.status;
  FnIntArg key = FnArgInt(a, 3, 0);
  if (key.status) return key.status;
  FnIntArg file = FnArgInt(a, 2, 0);
  if (file.status) return file.status;
  StrPair value = fn::TextOf(FnArgValue(a, 1, StrOf(""), kFnArgText));
  if (!value.ok()) return StrError(value);
  const uint16_t f = DictFileNumber(uint16_t(file.value));
  const uint16_t fl = uint16_t(flags.value);
  Status st;
  if (fl & 8) {
    // The first record, then the next one, each tested against the value as the bound.
    if (key.value != 0) DataFileSetKeyNumber(f, uint16_t(key.value));
    st = DataFileMoveInRange(f, 0x24, value);
    if (st == kOk) st = DataFileMoveInRange(f, 0x10, value);
  } else {
    st = DataFileLocate(f, key.value != 0 ? uint16_t(key.value) : uint16_t{0xFFFF}, value, fl);
    // Not found exactly (past the end, or between two keys): with flag 4 the
    // value goes into the key's fields and the record is added.
    if ((st == 1 || st == 2) && (fl & 4) && !value.empty()) {
      st = BufSetKeyFields(f, DataFileKeyNumber(f), value);
      if (st == kOk) st = DataFileAddRecord(f);
    }
  }
  return StatusResult(a, st);
}

// FILELOCATE(command; file): a move by the command word, or "DEL".
Status FileLocate(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  FnIntArg file = FnArgInt(a, 2, 0);
  if (file.status) return file.status;
  StrPair word = FnArgStr(a, 1, StrOf("NXT"));
  if (!word.ok()) return StrError(word);
  const uint16_t number = DataFileCmdIndex(word, StrOf(kDataFileCmdWords));
  // A word that is no command would blank the buffer as a "new record": refused.
  if (number == 0) return ErrIncident(kStSyntax, word, true);
  const uint16_t f = DictFileNumber(uint16_t(file.value));
  const uint16_t flags = DataFileCmdFlags(number) & 0xFF;
  Status st = number == kCmdDel ? DataFileDelete(f, flags) : DataFileMove(f, flags);
  return StatusResult(a, st);
}

// FILEREL(file a; file b; relation; flags) statements: the related records
// of b, or hook 3's work while statistics steps run.
Status FileRel(FnArgs& a) {
  if (Status s = FnArgCount(a, 3, 4)) return s;
  std::string_view rest = fn::RawRest(a).view();
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
  const std::string statements(rest);
  FnIntArg flags = FnArgInt(a, 4, 0);
  if (flags.status) return flags.status;
  FnIntArg relation = FnArgInt(a, 3, 0);
  if (relation.status) return relation.status;
  FnIntArg file_b = FnArgInt(a, 2, 0);
  if (file_b.status) return file_b.status;
  FnIntArg file_a = FnArgInt(a, 1, 0);
  if (file_a.status) return file_a.status;
  uint16_t fl = uint16_t(flags.value);
  const int16_t last_key = SysVarGet(kVarLastKey);
  if ((fl & 2) && !(fl & 0x10) && last_key != 29 && last_key != 23) fl &= uint16_t(~2u);
  fl |= 1;
  const uint16_t fa = DictFileNumber(uint16_t(file_a.value));
  const uint16_t fb = DictFileNumber(uint16_t(file_b.value));
  Status st;
  std::optional<Status> hooked;
  if ((fl & 4) && SysVarHas(kVarUpStat, 4))
    hooked = HookCallRelFetch(fa, fb, uint16_t(relation.value), fl, StrOf(statements));
  st = hooked ? *hooked : DataFileRelFetch(fa, fb, uint16_t(relation.value), fl, StrOf(statements));
  return StatusResult(a, st);
}

// KEY$(file; key; part; parts).
Status KeyText(FnArgs& a) {
  if (Status s = FnArgCount(a, 0, 4)) return s;
  FnIntArg parts = FnArgInt(a, 4, 0);
  if (parts.status) return parts.status;
  FnIntArg part = FnArgInt(a, 3, 1);
  if (part.status) return part.status;
  FnIntArg key = FnArgInt(a, 2, 0);
  if (key.status) return key.status;
  FnIntArg file = FnArgInt(a, 1, 0);
  if (file.status) return file.status;
  if (part.value != kBufCurrent && part.value != kBufSaved) return kStSyntax;
  const uint16_t f = DictFileNumber(uint16_t(file.value));
  if (f == 0 || !DictFileDefined(f) || DictKeyCount(f) == 0) return ResultText(a, StrOf(""));
  const uint16_t k = key.value != 0 ? uint16_t(key.value) : DataFileKeyNumber(f);
  if (Status s = DictCheckKey(f, k)) return s;
  StrPair record = BufRecord(f, uint16_t(part.value));
  // A buffer never set up holds no key.
  if (!record.ok()) return ResultText(a, StrOf(""));
  std::string held(record.view());
  StrPair value = BufKeyValue(f, k, StrOf(held));
  if (!value.ok()) return StrError(value);
  const uint16_t length = DictKeyLength(f, k, uint16_t(parts.value));
  if (value.len > length) value.len = length;
  return ResultText(a, value);
}

// IER(file): the file's last record-layer status.
Status Ier(FnArgs& a) {
  if (Status s = FnArgCount(a, 0, 1)) return s;
  FnIntArg file = FnArgInt(a, 1, 0);
  if (file.status) return file.status;
  const uint16_t f = DictFileNumber(uint16_t(file.value));
  if (Status s = DictCheckField(f, kDictAnyField)) return s;
  return ResultInt(a, DataFileCtrl(f).last_status);
}

bool HasBraces(const std::string& t) { return t.find('{') != std::string::npos; }

// FN$FLDS(reference; part), both raw: a field of a record buffer part, the
// value of an array element, "_" call or declared variable, or a screen field
// by its name through hook 0.
Status Flds(FnArgs& a) {
  StrPair rest = fn::RawRest(a);
  const std::string item = fn::RawItem(rest, 1);
  const std::string part_text = fn::RawItem(rest, 2);
  int16_t part = kBufCurrent;
  if (!part_text.empty()) {
    int64_t value = 0;
    if (Status ps = fn::EvalWhole(StrOf(part_text), &value)) return ps;
    part = int16_t(value);
  }
  if (item.empty()) return ErrIncident(kStSyntax, StrOf("FN$FLDS()"), true);
  if (HasBraces(item)) {
    if (part != kBufCurrent && part != kBufSaved) return kStSyntax;
    DictFieldRefResult ref = DictFieldRef(StrOf(item));
    if (ref.status) return ref.status;
    if (Status s = DictCheckField(ref.file, ref.field)) return s;
    StrPair text = BufFieldText(ref.file, ref.field, uint16_t(part));
    if (!text.ok()) return StrError(text);
    std::string held(text.view());
    return ResultText(a, held);
  }
  if (item.find('(') != std::string::npos) {
    Status s = ExpEvalText(StrOf(item));
    if (s >= kStFirstError) return s;
    a.result_text = s == 1;
    return kOk;
  }
  if (VarLookup(StrOf(item)).declared()) {
    Status s = VarRead(StrOf(item));
    if (s >= kStFirstError) return s;
    a.result_text = s == 1;
    return kOk;
  }
  std::optional<StrPair> screen = HookCallFieldProvider(StrOf(item), uint16_t(part), StrPair{});
  if (!screen || !screen->ok()) return ErrIncident(kStSyntax, StrOf(item), true);
  std::string held(screen->view());
  return ResultText(a, held);
}

}  // namespace

void InstallRecords() {
  FnInstallBuiltin(kFnFlen, &Flen);
  FnInstallBuiltin(kFnFileFind, &FileFind);
  FnInstallBuiltin(kFnFileLocate, &FileLocate);
  FnInstallBuiltin(kFnFileRel, &FileRel);
  FnInstallBuiltin(kFnKey, &KeyText);
  FnInstallBuiltin(kFnIer, &Ier);
  FnInstallBuiltin(kFnFlds, &Flds);
}

}  // namespace fnrec

Status DataInstallRecordBuiltins() {
  fnrec::InstallRecords();
  fnrec::InstallFiles();
  return kOk;
}

}  // namespace eng
