#include "data/dict_query.h"

#include <algorithm>
#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_format.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/str_search.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

DictState& D() { return Core().dict; }

// The relation tag found where an item starts: at the start of the text or
// right after one of ": &/", outside quotes. The position after the tag, or
// kNotFound.
uint16_t FindTagAtItem(StrPair text, StrPair tag) {
  uint32_t from = 0;
  while (from < text.len) {
    uint16_t p = StrFindFrom(text, static_cast<uint16_t>(from), tag, false);
    if (p == kNotFound) return kNotFound;
    char before = p ? text.ptr[p - 1] : ':';
    if (before == ':' || before == ' ' || before == '&' || before == '/') {
      return static_cast<uint16_t>(p + tag.len);
    }
    from = uint32_t(p) + 1;
  }
  return kNotFound;
}

}  // namespace

uint16_t DictFileCount() { return D().file_count; }

bool DictFileDefined(uint16_t n) { return n >= 1 && n <= D().file_count; }

uint16_t DictFileNumber(uint16_t n) {
  if (DictFileDefined(n)) return n;
  return static_cast<uint16_t>(SysVarGet(kVarCurFil));
}

uint16_t DictSelectFile(uint16_t n) {
  if (DictFileDefined(n)) SysVarSet(kVarCurFil, static_cast<int16_t>(n));
  return static_cast<uint16_t>(SysVarGet(kVarCurFil));
}

DictFileDesc DictFileDescOf(uint16_t n) {
  if (!DictFileDefined(n)) return {};
  const DictFileDesc* d = ObjTableGet<DictFileDesc>(kObjFileDescs, static_cast<uint16_t>(n - 1));
  return d ? *d : DictFileDesc{};
}

uint16_t DictRecordLength(uint16_t n) { return DictFileDescOf(n).record_length; }
uint16_t DictFieldCount(uint16_t n) { return DictFileDescOf(n).field_count; }

uint16_t DictKeyCount(uint16_t n) {
  if (n == 255) n = DictFileNumber(n);
  return DictFileDescOf(n).key_count;
}

uint16_t DictFieldIndex(uint16_t n, uint16_t field) {
  // The descriptions lie one after the other in their table: the earlier
  // files' field counts are summed in place (a missing one counts 0).
  uint32_t base = 0;
  const uint16_t before = static_cast<uint16_t>(std::min<uint32_t>(n ? n - 1u : 0u, D().file_count));
  const uint16_t stored = std::min(before, ObjTableInfo(kObjFileDescs, 0));
  if (const DictFileDesc* d = stored ? ObjTableGet<DictFileDesc>(kObjFileDescs, 0) : nullptr) {
    for (uint16_t i = 0; i < stored; ++i) base += d[i].field_count;
  }
  return static_cast<uint16_t>(base + field - 1u);
}

uint16_t DictKeyIndex(uint16_t n, uint16_t key) {
  uint32_t base = 0;
  for (uint16_t f = 1; f < n && f <= D().file_count; ++f) base += DictKeyCount(f);
  return static_cast<uint16_t>(base + key - 1u);
}

DictFieldDesc DictField(uint16_t n, uint16_t field) {
  if (field < 1 || field > DictFieldCount(n)) return {};
  const DictFieldDesc* d = ObjTableGet<DictFieldDesc>(kObjFieldDescs, DictFieldIndex(n, field));
  return d ? *d : DictFieldDesc{};
}

uint16_t DictFieldLength(uint16_t n, uint16_t field) { return DictField(n, field).length; }
uint16_t DictFieldOffset(uint16_t n, uint16_t field) { return DictField(n, field).offset; }
char DictFieldType(uint16_t n, uint16_t field) { return DictField(n, field).type; }

StrPair DictFieldName(uint16_t n, uint16_t field) {
  if (field < 1 || field > DictFieldCount(n)) return StrPair{};
  return DynStrGet(dl::kFieldNames, DictFieldIndex(n, field));
}

StrPair DictFileName(uint16_t n) {
  return DictFileDefined(n) ? DynStrGet(dl::kFileNames, static_cast<uint16_t>(n - 1)) : StrPair{};
}

StrPair DictFileFolder(uint16_t n) {
  return DictFileDefined(n) ? DynStrGet(dl::kFolders, static_cast<uint16_t>(n - 1)) : StrPair{};
}

StrPair DictRelationText(uint16_t n) {
  return DictFileDefined(n) ? DynStrGet(dl::kRelations, static_cast<uint16_t>(n - 1)) : StrPair{};
}

uint16_t DictFindField(uint16_t n, StrPair name) {
  if (!name.ok()) return kNotFound;
  uint16_t count = DictFieldCount(n);
  if (!count) return kNotFound;
  uint16_t base = DictFieldIndex(n, 1);
  for (uint16_t i = 0; i < count; ++i) {
    if (DynStrGet(dl::kFieldNames, static_cast<uint16_t>(base + i)).view() == name.view()) {
      return static_cast<uint16_t>(i + 1);
    }
  }
  return kNotFound;
}

uint16_t DictLineField(uint16_t n) { return DictFindField(n, StrOf("N_LINE")); }

Status DictFieldError(uint16_t n, uint16_t field) {
  ScratchScope scope;
  StrPair text = StrFormat(64, StrOf("(File:%s, Field:%s)"), {unsigned(n), unsigned(field)});
  return ErrIncident(kStDataOutBound, text, true);
}

Status DictCheckField(uint16_t n, uint16_t field) {
  if (DictFileDefined(n) && (field == kDictAnyField || (field >= 1 && field <= DictFieldCount(n)))) {
    return kOk;
  }
  return DictFieldError(n, field);
}

Status DictCheckKey(uint16_t n, uint16_t key) {
  if (DictFileDefined(n) && key >= 1 && key <= DictKeyCount(n)) return kOk;
  return kStDataOutBound;
}

DictKeyLayout DictKeyParts(uint16_t n, uint16_t key) {
  DictKeyLayout out;
  if (DictCheckKey(n, key)) return out;
  uint16_t idx = DictKeyIndex(n, key);
  const DictKeyDesc* k = ObjTableGet<DictKeyDesc>(kObjKeyDescs, idx);
  const DictKeyRanges* p = ObjTableGet<DictKeyRanges>(kObjKeyParts, idx);
  if (!k || !p) return out;
  out.count = static_cast<uint16_t>(k->part_count > kDictMaxKeyParts ? kDictMaxKeyParts : k->part_count);
  out.parts = *p;
  return out;
}

uint16_t DictKeyLength(uint16_t n, uint16_t key, uint16_t m) {
  DictKeyLayout k = DictKeyParts(n, key);
  uint16_t upto = k.count;
  if (m != 0 && m != 0xFFFF && m < upto) upto = m;
  uint32_t sum = 0;
  for (uint16_t i = 0; i < upto; ++i) sum += k.parts.part[i].length;
  return static_cast<uint16_t>(sum);
}

uint16_t DictFieldAtOffset(uint16_t n, uint16_t offset) {
  uint16_t count = DictFieldCount(n);
  for (uint16_t f = 1; f <= count; ++f) {
    DictFieldDesc d = DictField(n, f);
    if (uint32_t(d.offset) + d.length > offset) return f;
  }
  return 0;
}

DictKeyFieldList DictKeyFields(uint16_t n, uint16_t key) {
  DictKeyFieldList out;
  if (Status s = DictCheckKey(n, key)) {
    out.status = s;
    return out;
  }
  DictKeyLayout k = DictKeyParts(n, key);
  if (k.count == 0) {
    out.count = 1;
    out.field[0] = 1;
    return out;
  }
  for (uint16_t i = 0; i < k.count; ++i) {
    uint16_t f = DictFieldAtOffset(n, k.parts.part[i].offset);
    if (!f) {
      out.status = kStInternal;
      return out;
    }
    out.field[out.count++] = f;
  }
  return out;
}

uint16_t DictKeyByField(uint16_t n, uint16_t field) {
  uint16_t keys = DictKeyCount(n);
  for (uint16_t k = 1; k <= keys; ++k) {
    DictKeyFieldList f = DictKeyFields(n, k);
    if (!f.status && f.count && f.field[0] == field) return k;
  }
  return 0;
}

uint16_t DictDateKey(uint16_t n) {
  uint16_t keys = DictKeyCount(n);
  for (uint16_t k = 1; k <= keys; ++k) {
    DictKeyFieldList f = DictKeyFields(n, k);
    if (!f.status && f.count && DictFieldType(n, f.field[0]) == 'D') return k;
  }
  return kNotFound;
}

uint16_t DictFileByName(StrPair text) {
  if (!text.ok() || text.len == 0) return static_cast<uint16_t>(SysVarGet(kVarCurFil));
  if (text.at(0) <= 64) return static_cast<uint16_t>(StrToInt(text));
  std::string name(text.view());
  if (!SysVarHas(kVarAuxStat, kAuxKeepNameCase)) {
    for (char& c : name) c = AsciiLower(c);
  }
  for (uint16_t f = 1; f <= D().file_count; ++f) {
    if (DictFileName(f).view() == name) return f;
  }
  return 0;
}

uint16_t DictFileOfLastName(StrPair list) {
  return DictFileByName(StrItem(list, ',', StrItemCount(list, ',')));
}

StrPair DictFileNames() {
  std::string out;
  for (uint16_t f = 1; f <= D().file_count; ++f) {
    if (f > 1) out += ',';
    out += DictFileName(f).view();
  }
  return ScratchText(out);
}

StrPair DictFileRefSuffix(uint16_t n) {
  if (n == 0) return ScratchText("{}");
  return ScratchText("{" + std::to_string(n) + "}");
}

StrPair DictFieldQualName(uint16_t n, uint16_t field) {
  std::string out(DictFieldName(n, field).view());
  out += n ? "{" + std::to_string(n) + "}" : std::string("{}");
  return ScratchText(out);
}

StrPair DictFileFieldText(uint16_t a, uint16_t b) {
  return ScratchText(std::to_string(a) + ";" + std::to_string(b));
}

uint16_t DictTypeWidth(char type, uint16_t length) {
  if (type >= '1' && type <= '8') return static_cast<uint16_t>(length + (type - '0') + 1);
  return length;
}

StrPair DictRelationTag(uint16_t b, uint16_t c) {
  return ScratchText(std::to_string(b) + "R" + std::to_string(c) + "K");
}

uint16_t DictRelationKey(uint16_t a, uint16_t b, uint16_t c) {
  StrPair text = DictRelationText(a);
  std::string tag = std::to_string(b) + "R" + std::to_string(c) + "K";
  uint16_t after = FindTagAtItem(text, StrOf(tag));
  if (after == kNotFound) return 0;
  return static_cast<uint16_t>(StrToInt(StrPair{text.ptr + after, static_cast<uint16_t>(text.len - after)}));
}

StrPair DictRelationExpr(uint16_t a, uint16_t b, uint16_t c) {
  uint16_t key = DictRelationKey(a, b, c);
  if (!key) return ScratchText("");
  std::string name = std::to_string(b) + "R" + std::to_string(c) + "K" + std::to_string(key);
  ScratchScope scope;
  StrPair value = StrKeyFind(DictRelationText(a), StrOf(name));
  if (!value.ok()) return scope.Keep(StrPair{});
  return scope.Keep(value);
}

}  // namespace eng
