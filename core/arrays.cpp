#include "core/arrays.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "core/err_register.h"
#include "core/num_text.h"
#include "core/exp_eval.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/var_store.h"

namespace eng {

namespace {

constexpr char kSystemArray[] = "_#(";
constexpr uint16_t kSystemArraySize = 256;

std::vector<std::vector<char>>& Blocks() { return Core().arrays.blocks; }

DimDescriptor* Desc(uint16_t array) {
  DimDescriptor* d = ObjTableGet<DimDescriptor>(kObjArrays, array);
  return d && d->kind ? d : nullptr;
}

// The element kind of an array name: the type of the name without its last "(".
uint16_t ElementKind(StrPair name) {
  std::string_view n = name.view();
  if (!n.empty() && n.back() == '(') n.remove_suffix(1);
  uint16_t t = VarTypeOfName(StrOf(n));
  return t == kVarArray ? static_cast<uint16_t>(kVarInt) : t;
}

void PutNum(char* p, DecValue v) {
  uint64_t u = static_cast<uint64_t>(v);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

DecValue GetNum(const char* p) {
  uint64_t u = 0;
  for (int i = 7; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(p[i]);
  return static_cast<DecValue>(u);
}

DecValue DecodeValue(StrPair value) {
  return value.len == kDecEntryBytes ? GetNum(value.ptr) : 0;
}

// Writes a value into one element of the given kind and width.
Status StoreElement(char* p, uint16_t kind, uint16_t size, StrPair value, bool is_text) {
  switch (kind) {
    case kVarInt: {
      if (is_text) return kStIncompatibleTypes;
      // Integer elements truncate (unlike integer variables, which round).
      int64_t scale = static_cast<int64_t>(DecPow10(DecPrecis()));
      int64_t v = DecodeValue(value) / scale;
      uint16_t u = static_cast<uint16_t>(v & 0xFFFF);
      p[0] = static_cast<char>(u & 0xFF);
      p[1] = static_cast<char>(u >> 8);
      return kOk;
    }
    case kVarNum:
      if (is_text) return kStIncompatibleTypes;
      PutNum(p, DecodeValue(value));
      return kOk;
    case kVarText:
      if (!is_text) return kStIncompatibleTypes;
      // The start of the element is overwritten; never beyond its width.
      std::memcpy(p, value.ptr, std::min<size_t>(value.len, size));
      return kOk;
    default:
      return kStSyntax;
  }
}

Status Fail168(StrPair name) {
  ErrSetLastPair(1, kModVarStruct, kStDataOutBound, StrFail(kStDataOutBound));
  ErrIncident(kStDataOutBound, name, true);
  return kStDataOutBound;
}

}  // namespace

const DimDescriptor* DimGet(uint16_t array) { return Desc(array); }

Status DimCreate(uint16_t kind, uint16_t index, uint16_t n, const uint16_t* sizes, StrPair initial) {
  if (n > kDimMax) return kStDimStruct;
  DimDescriptor d;
  d.kind = kind;
  switch (kind) {
    case kVarInt: d.elem_size = 2; break;
    case kVarNum: d.elem_size = 8; break;
    case kVarText: d.elem_size = initial.ok() ? initial.len : 0; break;
    default: return kStIncompatibleTypes;
  }
  uint32_t count = 1;
  d.ndims = n;
  for (uint16_t i = 0; i < n; ++i) {
    uint32_t stored = uint32_t(sizes[i]) + 1;
    count *= stored;
    if (count > 0xFFFF) return kStDimStruct;  // the element count is a 16-bit number
    d.dims[i] = static_cast<uint16_t>(stored);
  }
  if (count == 1 || d.elem_size == 0) return kStSyntax;
  d.count = static_cast<uint16_t>(count);
  size_t bytes = size_t(count) * d.elem_size;
  std::vector<char> block(bytes, 0);
  if (kind == kVarText) {
    for (uint32_t i = 0; i < count; ++i) std::memcpy(block.data() + size_t(i) * d.elem_size, initial.ptr, d.elem_size);
  }
  d.used = static_cast<uint32_t>(bytes);
  if (!ObjTableSet(kObjArrays, index, d)) return kStStructMem;
  auto& blocks = Blocks();
  if (blocks.size() <= index) blocks.resize(size_t(index) + 1);
  blocks[index] = std::move(block);
  return kOk;
}

Status DimDeclare(StrPair name, uint16_t n, const uint16_t* sizes, StrPair initial) {
  if (VarLookup(name).declared()) return kStVarName;
  VarRef r = VarDeclare(name, kVarArray);
  if (!r.declared()) return kStVarName;
  return DimCreate(ElementKind(name), r.index, n, sizes, initial);
}

DimIndexes DimEvalIndexes(StrPair args) {
  DimIndexes out;
  ExpCursor c{args, 0};
  do {
    ScratchScope scope;
    Status s = ExpEvalArgument(c);
    if (s >= kStFirstError) {
      out.status = s;
      return out;
    }
    if (s == 1) {
      if (!c.AtEnd()) {
        out.status = kStIncompatibleTypes;  // only the last argument may be a text
        return out;
      }
      out.initial = ScratchTop().str();
      out.has_initial = true;
      break;
    }
    if (out.count == kDimMax) {
      out.status = kStDimStruct;
      return out;
    }
    out.idx[out.count++] = s == kStNullExpression ? kDimOmitted : static_cast<uint16_t>(DecAccToInt());
  } while (!c.AtEnd());
  return out;
}

StrPair DimElementAddr(uint16_t array, uint16_t n, const uint16_t* indexes) {
  DimDescriptor* d = Desc(array);
  if (!d || array >= Blocks().size()) return StrFail(kStDataOutBound);
  uint64_t offset = 0;
  uint64_t weight = 1;
  n = std::min<uint16_t>(n, d->ndims);
  // From the last given index to the first; each weighs the product of the
  // stored sizes of the dimensions after it.
  for (uint16_t k = d->ndims; k > 0; --k) {
    uint16_t i = k - 1;
    if (i < n) offset += uint64_t(indexes[i]) * weight;
    weight *= d->dims[i];
  }
  if (offset >= d->count) return StrFail(kStDataOutBound);
  char* p = Blocks()[array].data() + offset * d->elem_size;
  return StrPair{p, d->elem_size};
}

Status DimRead(StrPair name, StrPair args) {
  DimIndexes ix = DimEvalIndexes(args);
  if (ix.status) return ix.status;
  VarRef r = VarLookup(name);
  if ((!r.declared() || !Desc(r.index)) && !DimDeclareSystem(name)) {
    // The first read creates the array with the indexes as its sizes.
    if (!r.declared()) r = VarDeclare(name, kVarArray);
    if (!r.declared()) return kStVarName;
    StrPair initial = ix.has_initial ? StrOf(ix.initial) : StrPair{};
    if (Status s = DimCreate(ElementKind(name), r.index, ix.count, ix.idx, initial)) return s;
  }
  r = VarLookup(name);
  const DimDescriptor* d = Desc(r.index);
  if (ix.has_initial && d->kind != kVarText) return kStIncompatibleTypes;  // a text index
  StrPair e = DimElementAddr(r.index, ix.count, ix.idx);
  if (!e.ok()) return Fail168(name);
  switch (d->kind) {
    case kVarInt: {
      int16_t v = static_cast<int16_t>(static_cast<uint16_t>(static_cast<unsigned char>(e.ptr[0]) |
                                                             (static_cast<unsigned char>(e.ptr[1]) << 8)));
      StrPair p = DecStoreValue(DecFromInt(v));
      return p.ok() ? kOk : StrError(p);
    }
    case kVarNum: {
      StrPair p = DecStoreValue(GetNum(e.ptr));
      return p.ok() ? kOk : StrError(p);
    }
    case kVarText: {
      Status s = ScratchCopy(e);
      return s ? s : Status{1};
    }
    default:
      return kStSyntax;
  }
}

Status DimAssign(StrPair name, StrPair args, StrPair value, bool value_is_text) {
  if (!value.ok()) return StrError(value);
  // The value may sit in the arena; it stays there above the caller's mark.
  std::string held(value.view());
  DimDeclareSystem(name);
  VarRef r = VarLookup(name);
  if (!r.declared() || !Desc(r.index)) return kStDimStruct;
  DimIndexes ix = DimEvalIndexes(args);
  if (ix.status) return ix.status;
  const DimDescriptor* d = Desc(r.index);
  if (!d) return kStDimStruct;
  if (ix.has_initial) return kStIncompatibleTypes;  // indexes are numbers
  StrPair e = DimElementAddr(r.index, ix.count, ix.idx);
  if (!e.ok()) return Fail168(name);
  return StoreElement(const_cast<char*>(e.ptr), d->kind, d->elem_size, StrOf(held), value_is_text);
}

Status DimFill(uint16_t array, StrPair value, uint16_t start, uint16_t end) {
  const DimDescriptor* d = Desc(array);
  if (!d) return kStDimStruct;
  if (!value.ok()) return StrError(value);
  std::string held(value.view());
  bool is_text = d->kind == kVarText;
  uint32_t last = std::min<uint32_t>(end, uint32_t(d->count) - 1);
  for (uint32_t i = start; i <= last; ++i) {
    char* p = Blocks()[array].data() + size_t(i) * d->elem_size;
    if (Status s = StoreElement(p, d->kind, d->elem_size, StrOf(held), is_text)) return s;
  }
  return kOk;
}

Status DimFillByName(StrPair name, StrPair value, uint16_t start, uint16_t end) {
  VarRef r = VarLookup(name);
  if (!r.declared()) return kStDimStruct;
  return DimFill(r.index, value, start, end);
}

StrPair DimElementRef(StrPair name, uint16_t index) {
  VarRef r = VarLookup(name);
  if (!r.declared() || !Desc(r.index)) return StrFail(kStDimStruct);
  return DimElementAddr(r.index, 1, &index);
}

Status DimAddNum(StrPair name, uint16_t index, DecValue value) {
  VarRef r = VarLookup(name);
  if (!r.declared()) return kStDimStruct;
  return DimAddNumAt(r.index, index, value);
}

Status DimAddNumAt(uint16_t array, uint16_t index, DecValue value) {
  if (!Desc(array)) return kStDimStruct;
  StrPair e = DimElementAddr(array, 1, &index);
  if (!e.ok()) return StrError(e);
  if (e.len != 8) return kStIncompatibleTypes;
  char* p = const_cast<char*>(e.ptr);
  PutNum(p, static_cast<DecValue>(static_cast<uint64_t>(GetNum(p)) + static_cast<uint64_t>(value)));
  return kOk;
}

Status DimSetNum(StrPair name, uint16_t index, DecValue value) {
  StrPair e = DimElementRef(name, index);
  if (!e.ok()) return StrError(e);
  if (e.len != 8) return kStIncompatibleTypes;
  PutNum(const_cast<char*>(e.ptr), value);
  return kOk;
}

bool DimDeclareSystem(StrPair name) {
  std::string_view n = name.view();
  if (n != "_#" && n != kSystemArray) return false;
  StrPair sys = StrFromC(kSystemArray);
  VarRef r = VarLookup(sys);
  if (r.declared() && Desc(r.index)) return true;
  if (!r.declared()) r = VarDeclare(sys, kVarArray);
  if (r.declared()) DimCreate(kVarNum, r.index, 1, &kSystemArraySize, StrPair{});
  return true;
}

Status DimFreeAll() {
  Blocks().clear();
  ObjTableFree(kObjArrays);
  return kOk;
}

void DimFreeFrom(uint16_t first) {
  while (ObjTableInfo(kObjArrays, 0) > first) ObjTableDelete(kObjArrays, ObjTableInfo(kObjArrays, 0) - 1);
  if (Blocks().size() > first) Blocks().resize(first);
}

}  // namespace eng
