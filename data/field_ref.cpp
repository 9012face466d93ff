#include "data/field_ref.h"

#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "core/err_register.h"
#include "core/field_access.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_search.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"

namespace eng {

namespace {

Status Malformed(StrPair text) {
  std::string incident = "Field:" + std::string(text.view());
  return ErrIncident(kStSyntax, StrOf(incident), true);
}

Status FieldTypeOfRef(StrPair ref, char* type) {
  DictFieldRefResult r = DictFieldRef(ref);
  if (r.status) return r.status;
  if (Status s = DictCheckField(r.file, r.field)) return s;
  if (type) *type = r.desc.type;
  return kOk;
}

Status FieldReadRef(StrPair ref, std::string* value, char* type) {
  DictFieldRefResult r = DictFieldRef(ref);
  if (r.status) return r.status;
  ScratchScope scope;
  StrPair text = r.field ? BufGetFieldOf(r.file, r.desc) : BufGetField(r.file, r.field);
  if (!text.ok()) return StrError(text);
  if (value) value->assign(text.view());
  if (type) *type = r.desc.type;
  return kOk;
}

Status FieldAssignRef(StrPair ref, StrPair value) {
  ScratchScope scope;
  return BufAssignFieldRef(ref, value);
}

Status FieldAssignNumberRef(StrPair ref, DecValue value) {
  ScratchScope scope;
  DictFieldRefResult r = DictFieldRef(ref);
  if (r.status) return r.status;
  return BufSetFieldNumber(r.file, r.field, value);
}

const FieldAccess kDataFieldAccess{FieldTypeOfRef, FieldReadRef, FieldAssignRef, FieldAssignNumberRef};

DictFieldRefResult ResolveFieldRef(StrPair text) {
  DictFieldRefResult r;
  if (!text.ok()) {
    r.status = StrError(text);
    return r;
  }
  uint16_t open = StrFindChar(text, '{', true);
  uint16_t close = StrFindChar(text, '}', true);
  if (open == kNotFound || close == kNotFound || close < open || close != text.len - 1) {
    r.status = Malformed(text);
    return r;
  }
  StrPair file_part{text.ptr + open + 1, static_cast<uint16_t>(close - open - 1)};
  StrPair field_part{text.ptr, open};
  uint16_t file;
  if (file_part.len == 0) {
    file = static_cast<uint16_t>(SysVarGet(kVarCurFil));
  } else if (file_part.at(0) > 64) {
    file = DictFileByName(file_part);
  } else {
    file = static_cast<uint16_t>(StrToInt(file_part));
  }
  if (file == 0 || file > DictFileCount()) {
    r.status = kStFileOutBound;
    return r;
  }
  r.file = file;
  if (field_part.len == 0) return r;
  uint16_t field = DictFindField(file, field_part);
  if (field == kNotFound) field = static_cast<uint16_t>(StrToInt(field_part));
  if (field == 0) {
    r.status = Malformed(text);
    return r;
  }
  r.field = field;
  r.desc = DictField(file, field);
  return r;
}

// References resolved before, by the current file and the reference text.
// Expressions read the same few fields for every record: the name need not
// be looked for among the file's fields each time. An entry holds while the
// dictionary has not changed (its epoch): every change of its files, fields
// or their names, by definition, cut, a program writing the name lists or
// the stores' start and end, gives a new epoch (core/dict_state.h), so that
// a kept entry is checked by that number alone. Failures are not kept, so
// that they are recorded again as they come. The entries lie in a table by a
// hash of the file and the text, one per place: a reference whose place
// another one took is resolved again.
struct KeptRef {
  uint32_t epoch = 0;  // 0: no entry (a kept one has the epoch it was resolved in, never 0)
  int16_t current = 0;
  std::string text;
  DictFieldRefResult result;
};

constexpr size_t kKeptRefPlaces = 1024;  // a power of two

std::array<KeptRef, kKeptRefPlaces>& KeptRefs() {
  static std::array<KeptRef, kKeptRefPlaces> kept;
  return kept;
}

size_t PlaceOf(int16_t current, std::string_view text) {
  // The length, the file and the first and last eight bytes, mixed.
  uint64_t head = 0, tail = 0;
  if (text.size() >= 8) {
    std::memcpy(&head, text.data(), 8);
    std::memcpy(&tail, text.data() + text.size() - 8, 8);
  } else {
    for (char c : text) head = head << 8 | static_cast<uint8_t>(c);
  }
  uint64_t h = (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ (uint64_t(text.size()) << 48) ^ uint16_t(current)) *
               0xFF51AFD7ED558CCDull;
  return static_cast<size_t>(h >> 40) & (kKeptRefPlaces - 1);
}

// Whether two texts are equal; the short ones references are, compared in
// two eight-byte words without a library call.
bool SameText(std::string_view a, std::string_view b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
  if (n < 8) {
    for (size_t i = 0; i < n; ++i)
      if (a[i] != b[i]) return false;
    return true;
  }
  uint64_t x, y, u, v;
  std::memcpy(&x, a.data(), 8);
  std::memcpy(&y, b.data(), 8);
  std::memcpy(&u, a.data() + n - 8, 8);
  std::memcpy(&v, b.data() + n - 8, 8);
  if (x != y || u != v) return false;
  return n <= 16 || std::memcmp(a.data() + 8, b.data() + 8, n - 16) == 0;
}

}  // namespace

DictFieldRefResult DictFieldRef(StrPair text) {
  const uint32_t epoch = Core().dict.epoch;
  if (!text.ok() || epoch == 0) return ResolveFieldRef(text);
  const int16_t current = SysVarGet(kVarCurFil);
  KeptRef& k = KeptRefs()[PlaceOf(current, text.view())];
  if (k.epoch == epoch && k.current == current && SameText(k.text, text.view())) return k.result;
  DictFieldRefResult r = ResolveFieldRef(text);
  if (r.status == kOk) {
    k.epoch = epoch;
    k.current = current;
    k.text.assign(text.view());
    k.result = r;
  }
  return r;
}

Status BufAssignFieldRef(StrPair reference, StrPair value) {
  DictFieldRefResult r = DictFieldRef(reference);
  if (r.status) return r.status;
  return BufSetField(r.file, r.field, value);
}

void DataInstallFieldAccess() { FieldAccessInstall(&kDataFieldAccess); }

}  // namespace eng
