#include "data/record_buffer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/field_format.h"
#include "core/scratch_arena.h"
#include "data/buf_format.h"
#include "data/dict_query.h"
#include "data/dict_types.h"

namespace eng {

namespace {

// The buffer of a resolved, checked file: its bytes and the record length.
struct Buffer {
  Status status = kOk;
  uint16_t file = 0;
  uint16_t length = 0;  // L
  char* data = nullptr;  // 2L bytes, null when L is 0
};

Buffer Open(uint16_t file, uint16_t field = kDictAnyField) {
  Buffer b;
  b.file = DictFileNumber(file);
  if ((b.status = DictCheckField(b.file, field))) return b;
  b.length = DictRecordLength(b.file);
  StrPair stored = DynStrGet(dl::kBuffers, static_cast<uint16_t>(b.file - 1));
  if (stored.len != uint32_t(b.length) * 2) {
    b.status = kStFileNotInit;
    return b;
  }
  b.data = b.length ? DynStrData(dl::kBuffers, static_cast<uint16_t>(b.file - 1)) : nullptr;
  return b;
}

// Start and length of part 1, 2 or 3; false for any other part.
bool PartRange(const Buffer& b, uint16_t part, uint32_t* start, uint32_t* len) {
  switch (part) {
    case kBufCurrent: *start = 0; *len = b.length; return true;
    case kBufSaved: *start = b.length; *len = b.length; return true;
    case kBufBoth: *start = 0; *len = uint32_t(b.length) * 2; return true;
    default: return false;
  }
}

Status RecordFieldFailure(Status s) {
  ErrSetLast(1, kModBufferFld, kStBadFileNumber, s);
  return s;
}

}  // namespace

Status BufInit(uint16_t file) {
  uint16_t n = DictFileNumber(file);
  if (Status s = DictCheckField(n, kDictAnyField)) return s;
  std::string blanks(size_t(DictRecordLength(n)) * 2, ' ');
  return DynStrSet(dl::kBuffers, static_cast<uint16_t>(n - 1), StrOf(blanks));
}

StrPair BufRecord(uint16_t file, uint16_t part) {
  Buffer b = Open(file);
  if (b.status) return StrFail(b.status);
  uint32_t start, len;
  if (!PartRange(b, part, &start, &len)) return StrFail(kStDataError);
  if (!b.data) return StrPair{};
  return StrMake(b.data + start, len);
}

Status BufStore(uint16_t file, uint16_t part, StrPair text) {
  if (!text.ok()) return StrError(text);
  Buffer b = Open(file);
  if (b.status) return b.status;
  uint32_t start, len;
  if (!PartRange(b, part, &start, &len)) return kStDataError;
  uint32_t n = text.len < len ? text.len : len;
  if (n) std::memmove(b.data + start, text.ptr, n);
  return kOk;
}

Status BufCopyPart(uint16_t file, uint16_t mode) {
  Buffer b = Open(file);
  if (b.status) return b.status;
  if (mode != 1 && mode != 2) return kStDataError;
  if (!b.data) return kOk;
  if (mode == 1) {
    std::memcpy(b.data + b.length, b.data, b.length);
  } else {
    std::memcpy(b.data, b.data + b.length, b.length);
  }
  return kOk;
}

Status BufBlank(uint16_t file, uint16_t part) {
  Buffer b = Open(file);
  if (b.status) return b.status;
  if (!b.data) return kOk;
  std::memset(b.data, ' ', size_t(b.length) * 2);
  if (part == kBufSaved) b.data[0] = kRecordDeleted;
  return kOk;
}

Status BufChanged(uint16_t file) {
  Buffer b = Open(file);
  if (b.status) return b.status;
  if (!b.data) return 0;
  return std::memcmp(b.data, b.data + b.length, b.length) != 0 ? 1 : 0;
}

StrPair BufFieldText(uint16_t file, uint16_t field, uint16_t part) {
  uint16_t n = DictFileNumber(file);
  if (DictCheckField(n, field) || field == kDictAnyField) {
    if (field == kDictAnyField) DictFieldError(n, field);
    return StrFail(kStBadFileNumber);
  }
  Buffer b = Open(n, field);
  if (b.status) return StrFail(b.status);
  if (part != kBufCurrent && part != kBufSaved && part != kBufBoth) return StrFail(kStDataError);
  DictFieldDesc d = DictField(n, field);
  uint32_t base = part == kBufSaved ? b.length : 0;
  if (!b.data || d.length == 0) return StrPair{};
  return StrMake(b.data + base + d.offset, d.length);
}

StrPair BufGetField(uint16_t file, uint16_t field) {
  uint16_t n = DictFileNumber(file);
  StrPair text = BufFieldText(n, field, kBufCurrent);
  if (!text.ok()) return text;
  return BufReadConvert(DictFieldType(n, field), text);
}

StrPair BufGetFieldOf(uint16_t file, const DictFieldDesc& desc) {
  uint16_t n = DictFileNumber(file);
  if (DictCheckField(n, desc.field) || desc.field == kDictAnyField) return BufGetField(file, desc.field);
  Buffer b = Open(n, desc.field);
  if (b.status) return StrFail(b.status);
  if (!b.data || desc.length == 0) return BufReadConvert(desc.type, StrPair{});
  return BufReadConvert(desc.type, StrMake(b.data + desc.offset, desc.length));
}

Status BufSetField(uint16_t file, uint16_t field, StrPair value) {
  if (!value.ok()) return RecordFieldFailure(StrError(value));
  uint16_t n = DictFileNumber(file);
  if (field == kDictAnyField) return RecordFieldFailure(DictFieldError(n, field));
  Buffer b = Open(n, field);
  if (b.status) return RecordFieldFailure(b.status);
  DictFieldDesc d = DictField(n, field);
  ScratchScope scope;
  StrPair stored = BufFormatForField(d.type, value, d.length);
  if (!stored.ok()) return RecordFieldFailure(StrError(stored));
  // The store has not changed since Open: the buffer's address still holds.
  uint32_t room = d.offset < b.length ? b.length - d.offset : 0;
  uint32_t n_bytes = stored.len < room ? stored.len : room;
  if (n_bytes) std::memcpy(b.data + d.offset, stored.ptr, n_bytes);
  return kOk;
}

Status BufSetFieldNumber(uint16_t file, uint16_t field, DecValue value) {
  const uint16_t n = DictFileNumber(file);
  if (field != kDictAnyField) {
    Buffer b = Open(n, field);
    const DictFieldDesc d = b.status ? DictFieldDesc{} : DictField(n, field);
    if (b.data && uint32_t(d.offset) + d.length <= b.length &&
        FmtFieldNumber(d.type, value, DecPrecis(), d.length, b.data + d.offset))
      return kOk;
  }
  ScratchScope scope;
  StrPair text = DecToText(value);
  if (!text.ok()) return StrError(text);
  return BufSetField(file, field, text);
}

Status BufKeyValueInto(uint16_t file, uint16_t key, StrPair record, std::string& out) {
  out.clear();
  if (!record.ok()) return StrError(record);
  uint16_t n = DictFileNumber(file);
  if (Status s = DictCheckField(n, kDictAnyField)) return s;
  if (Status s = DictCheckKey(n, key)) return s;
  BufKeyValueOf(DictKeyParts(n, key), record, out);
  return kOk;
}

void BufKeyValueOf(const DictKeyLayout& k, StrPair record, std::string& out) {
  out.clear();
  for (uint16_t i = 0; i < k.count; ++i) {
    const DictKeyPart p = k.parts.part[i];
    // The part's bytes within the record, blanks for what lies past its end.
    const size_t from = std::min<size_t>(p.offset, record.len);
    const size_t have = std::min<size_t>(size_t(p.offset) + p.length, record.len) - from;
    out.append(record.ptr + from, have);
    out.append(p.length - have, ' ');
  }
}

StrPair BufKeyValue(uint16_t file, uint16_t key, StrPair record) {
  if (!record.ok()) return record;
  std::string out;
  if (Status s = BufKeyValueInto(file, key, record, out)) return StrFail(s);
  return ScratchText(out);
}

StrPair BufFileKeyValue(uint16_t file, uint16_t key) {
  StrPair record = BufRecord(file, kBufCurrent);
  if (!record.ok()) return record;
  return BufKeyValue(file, key, record);
}

Status BufSetKeyFields(uint16_t file, uint16_t key, StrPair value) {
  if (!value.ok()) return StrError(value);
  uint16_t n = DictFileNumber(file);
  if (Status s = DictCheckField(n, kDictAnyField)) return s;
  DictKeyFieldList fields = DictKeyFields(n, key);
  if (fields.status) return fields.status;
  std::string v(value.view());  // the value may lie in the buffer being written
  size_t pos = 0;
  for (uint16_t i = 0; i < fields.count && pos < v.size(); ++i) {
    uint16_t f = fields.field[i];
    size_t len = DictFieldLength(n, f);
    std::string piece = v.substr(pos, len);
    if (Status s = BufSetField(n, f, StrOf(piece))) return s;
    pos += len;
  }
  return kOk;
}

Status BufBlankAndSetKey(uint16_t file, uint16_t key, StrPair text, uint16_t flags) {
  if (!(flags & 1)) return kOk;
  if (Status s = BufBlank(file, kBufBoth)) return s;
  return BufSetKeyFields(file, key, text);
}

}  // namespace eng
