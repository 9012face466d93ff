#include "data/dict_define.h"

#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"

namespace eng {

namespace {

DictFileHook g_reset_hook = nullptr;

DictState& D() { return Core().dict; }

// The files or fields changed: what was kept from the dictionary is stale.
void Changed() { DictEpochRenew(); }

void NotifyReset(uint16_t file) {
  if (g_reset_hook) g_reset_hook(file);
}

Status PutFileDesc(uint16_t n, const DictFileDesc& d) {
  if (!ObjTableSet(kObjFileDescs, static_cast<uint16_t>(n - 1), d)) return kStOutOfMemory;
  return kOk;
}

// Inserts a key at a global index, moving the later keys up one place.
Status InsertKey(uint16_t at, const DictKeyDesc& desc, const DictKeyRanges& parts) {
  uint16_t count = ObjTableInfo(kObjKeyDescs, 0);
  if (count < at) count = at;
  // Grow both tables first, so that a refusal leaves them as they were.
  if (!ObjTableSet(kObjKeyDescs, count, DictKeyDesc{})) return kStOutOfMemory;
  if (!ObjTableSet(kObjKeyParts, count, DictKeyRanges{})) {
    ObjTableDelete(kObjKeyDescs, count);
    return kStOutOfMemory;
  }
  for (uint16_t i = count; i > at; --i) {
    DictKeyDesc d = *ObjTableGet<DictKeyDesc>(kObjKeyDescs, static_cast<uint16_t>(i - 1));
    DictKeyRanges p = *ObjTableGet<DictKeyRanges>(kObjKeyParts, static_cast<uint16_t>(i - 1));
    ObjTableSet(kObjKeyDescs, i, d);
    ObjTableSet(kObjKeyParts, i, p);
  }
  ObjTableSet(kObjKeyDescs, at, desc);
  ObjTableSet(kObjKeyParts, at, parts);
  return kOk;
}

void DeleteFrom(uint16_t table, uint16_t keep) {
  for (uint16_t n = ObjTableInfo(table, 0); n > keep; --n) ObjTableDelete(table, static_cast<uint16_t>(n - 1));
}

void PopListTo(uint16_t list, uint16_t keep) {
  if (DynStrCount(list) > keep) DynStrPopTo(list, keep);
}

}  // namespace

void DictSetFileResetHook(DictFileHook hook) { g_reset_hook = hook; }

Status DictDefineFile(uint8_t code, StrPair name, StrPair folder) {
  DictState& st = D();
  if (st.file_count >= kDictMaxFiles) return kStFileOutBound;
  if (!name.ok()) return StrError(name);
  if (!folder.ok()) return StrError(folder);
  uint16_t n = static_cast<uint16_t>(st.file_count + 1);
  uint16_t e = static_cast<uint16_t>(n - 1);
  Changed();
  ScratchScope scope;
  StrPair stored = SysVarHas(kVarAuxStat, kAuxKeepNameCase) ? name : StrCase(name, 0);
  if (!stored.ok()) return StrError(stored);
  if (Status s = DynStrSet(dl::kFileNames, e, stored)) return s;
  if (Status s = DynStrSet(dl::kFolders, e, folder)) return s;
  if (Status s = DynStrSet(dl::kRelations, e, StrPair{})) return s;
  if (Status s = DynStrSet(dl::kBuffers, e, StrPair{})) return s;
  DictFileDesc d;
  d.number = static_cast<uint8_t>(n);
  d.code = code;
  if (Status s = PutFileDesc(n, d)) return s;
  st.file_count = static_cast<uint8_t>(n);
  if (n == 1) st.keyed_mark = 0;
  NotifyReset(n);
  return kOk;
}

Status DictDefineField(StrPair name, uint16_t length, char type) {
  DictState& st = D();
  if (st.file_count == 0 || st.file_count >= kDictMaxFiles) return kStFileOutBound;
  if (!name.ok()) return StrError(name);
  uint16_t n = st.file_count;
  DictFileDesc file = DictFileDescOf(n);
  if (uint32_t(file.record_length) + length > kDictMaxRecord) return kStStringTooLong;
  uint16_t idx = st.next_field;
  DictFieldDesc f;
  f.file = static_cast<uint8_t>(n);
  f.field = static_cast<uint16_t>(file.field_count + 1);
  f.offset = file.record_length;
  f.length = length;
  f.type = type;
  Changed();
  if (Status s = DynStrSet(dl::kFieldNames, idx, StrTrim(name, 2))) return s;
  if (!ObjTableSet(kObjFieldDescs, idx, f)) return kStOutOfMemory;
  file.field_count = f.field;
  file.record_length = static_cast<uint16_t>(file.record_length + length);
  if (Status s = PutFileDesc(n, file)) {
    ObjTableDelete(kObjFieldDescs, idx);
    return s;
  }
  st.next_field = static_cast<uint16_t>(idx + 1);
  return kOk;
}

Status DictStoreKey(uint16_t file, uint16_t part_count, const DictKeyRanges& parts) {
  DictState& st = D();
  if (!DictFileDefined(file)) return kStDataError;
  if (part_count > kDictMaxKeyParts) part_count = kDictMaxKeyParts;
  DictKeyRanges p;
  for (uint16_t i = 0; i < part_count; ++i) p.part[i] = parts.part[i];
  DictFileDesc d = DictFileDescOf(file);
  // After the file's own keys: the same place as the next global index when
  // keys come in the order of the files, and still the right one when not.
  uint16_t at = static_cast<uint16_t>(DictKeyIndex(file, 1) + d.key_count);
  if (Status s = InsertKey(at, DictKeyDesc{part_count}, p)) return s;
  d.key_count = static_cast<uint16_t>(d.key_count + 1);
  if (Status s = PutFileDesc(file, d)) {
    ObjTableDelete(kObjKeyDescs, at);
    ObjTableDelete(kObjKeyParts, at);
    return s;
  }
  st.next_key = static_cast<uint16_t>(st.next_key + 1);
  if (file > st.keyed_mark) st.keyed_mark = static_cast<uint8_t>(file);
  return kOk;
}

Status DictAutoKey(uint16_t file) {
  uint16_t f = DictLineField(file);
  if (f == kNotFound) f = 1;
  DictFieldDesc d = DictField(file, f);
  DictKeyRanges p;
  p.part[0] = DictKeyPart{0, static_cast<uint16_t>(d.offset + d.length)};
  return DictStoreKey(file, 1, p);
}

Status DictAutoKeys(uint16_t n) {
  for (uint16_t f = 1; f <= n && f <= D().file_count; ++f) {
    if (DictKeyCount(f) == 0) {
      if (Status s = DictAutoKey(f)) return s;
    }
  }
  return kOk;
}

Status DictDefineKey(uint16_t file, uint16_t part_count, const DictKeyRanges& parts) {
  if (!DictFileDefined(file)) return kStDataError;
  for (uint16_t f = static_cast<uint16_t>(D().keyed_mark + 1); f < file; ++f) {
    if (DictKeyCount(f) == 0) {
      if (Status s = DictAutoKey(f)) return s;
    }
  }
  return DictStoreKey(file, part_count, parts);
}

Status DictDefineRelation(uint16_t file, StrPair item) {
  if (!DictFileDefined(file)) return kStBadFileNumber;
  if (!item.ok()) return StrError(item);
  std::string text(DictRelationText(file).view());
  if (!text.empty()) text += ':';
  text += item.view();
  StrPair joined = StrMake(text.data(), text.size());
  if (!joined.ok()) return StrError(joined);
  return DynStrSet(dl::kRelations, static_cast<uint16_t>(file - 1), joined);
}

DictKeySegmentsResult DictKeySegments(StrPair line) {
  DictKeySegmentsResult out;
  if (!line.ok()) {
    out.status = StrError(line);
    return out;
  }
  uint16_t lt = StrFindChar(line, '<', true);
  uint32_t start = lt == kNotFound ? 0 : uint32_t(lt) + 1;
  while (out.layout.count < kDictMaxKeyParts && line.len > 0 && start < uint32_t(line.len) - 1) {
    auto digits = [&](uint32_t from, uint32_t n) {
      if (from >= line.len) return int16_t(0);
      uint32_t len = from + n <= line.len ? n : line.len - from;
      return StrToInt(StrPair{line.ptr + from, static_cast<uint16_t>(len)});
    };
    int16_t pos = digits(start, 4);
    int16_t len = digits(start + 4, 3);
    if (pos < 1 || len < 0) {
      out.status = kStDataError;
      return out;
    }
    out.layout.parts.part[out.layout.count++] =
        DictKeyPart{static_cast<uint16_t>(pos - 1), static_cast<uint16_t>(len)};
    start += 7;
  }
  return out;
}

StrPair DictSystemFileName(StrPair prefix, uint16_t n) {
  ScratchScope scope;
  StrPair item = StrItem(StrOf("DICC.DAT,REL.DAT,RELUP.DAT,RELUPSQL.DAT,MENU.PPN"), ',', n);
  std::string out(prefix.view());
  out += item.view();
  return scope.Keep(StrOf(out));
}

DictExtent DictExtentNow() {
  DictState& st = D();
  return DictExtent{st.file_count, st.next_field, st.next_key, SysVarGet(kVarCurFil)};
}

Status DictTruncate(const DictExtent& ext) {
  Changed();
  DictState& st = D();
  uint16_t files = ext.files < st.file_count ? ext.files : st.file_count;
  uint16_t old_files = st.file_count;
  // Fields and keys of the files that go stand behind those of the files that stay.
  uint16_t field_end = files ? static_cast<uint16_t>(DictFieldIndex(files, 1) + DictFieldCount(files)) : 0;
  uint16_t key_end = files ? static_cast<uint16_t>(DictKeyIndex(files, 1) + DictKeyCount(files)) : 0;
  // Fields added to the last remaining file since the extent was taken.
  if (files && ext.fields < field_end) {
    DictFileDesc d = DictFileDescOf(files);
    uint16_t drop = static_cast<uint16_t>(field_end - ext.fields);
    if (drop > d.field_count) drop = d.field_count;
    d.field_count = static_cast<uint16_t>(d.field_count - drop);
    d.record_length = d.field_count ? static_cast<uint16_t>(DictFieldOffset(files, d.field_count) +
                                                           DictFieldLength(files, d.field_count))
                                    : 0;
    PutFileDesc(files, d);
    field_end = static_cast<uint16_t>(field_end - drop);
  }
  // Keys added to remaining files since then: the newest files' last keys go.
  for (uint16_t f = files; f >= 1 && ext.keys < key_end; --f) {
    DictFileDesc d = DictFileDescOf(f);
    while (d.key_count && ext.keys < key_end) {
      uint16_t idx = DictKeyIndex(f, d.key_count);
      ObjTableDelete(kObjKeyDescs, idx);
      ObjTableDelete(kObjKeyParts, idx);
      d.key_count = static_cast<uint16_t>(d.key_count - 1);
      PutFileDesc(f, d);
      --key_end;
    }
  }
  DeleteFrom(kObjKeyParts, key_end);
  DeleteFrom(kObjKeyDescs, key_end);
  DeleteFrom(kObjFieldDescs, field_end);
  DeleteFrom(kObjFileDescs, files);
  PopListTo(dl::kFieldNames, field_end);
  for (uint16_t list : {dl::kFileNames, dl::kFolders, dl::kRelations, dl::kBuffers}) PopListTo(list, files);
  st.file_count = static_cast<uint8_t>(files);
  st.next_field = field_end;
  st.next_key = key_end;
  if (st.keyed_mark > files) st.keyed_mark = static_cast<uint8_t>(files);
  SysVarSet(kVarCurFil, ext.current_file);
  for (uint16_t f = old_files; f > files; --f) NotifyReset(f);
  return kOk;
}

Status DictScopePush() {
  DictState& st = D();
  if (st.scope_depth >= kDictScopeDepth) return kStDataOutBound;
  st.scopes[st.scope_depth++] = DictExtentNow();
  return kOk;
}

Status DictScopeRestore() {
  DictState& st = D();
  if (st.scope_depth == 0) return ErrIncident(kStInternal, StrOf("RESTORE"), true);
  return DictTruncate(st.scopes[--st.scope_depth]);
}

uint16_t DictScopeDepth() { return D().scope_depth; }

}  // namespace eng
