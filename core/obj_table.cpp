#include "core/obj_table.h"

#include <cstring>

#include "core/runtime.h"

namespace eng {

namespace {

ObjTables& R() { return Core().objects; }

// A change of the file or field descriptions, whoever makes it, is a change
// of the dictionary: what was resolved through them is stale.
void Touch(uint16_t table) {
  if (table == kObjFileDescs || table == kObjFieldDescs) DictEpochRenew();
}

void Resize(ObjTableData& t, uint16_t n) {
  // n elements: the kept ones stay, new ones are zero. The buffer keeps its
  // room when the table shrinks, so that a table that grows and shrinks by
  // one (a variable declared and cut at every call) allocates nothing.
  const size_t words = (size_t(n) * t.elem_size + 7) / 8;
  if (words > t.words.size()) t.words.resize(words, 0);
  if (n > t.count) {
    std::memset(t.at(t.count), 0, size_t(n - t.count) * t.elem_size);
  }
  t.count = n;
}

}  // namespace

Status ObjTableInit() {
  R().root = true;
  DictEpochRenew();
  return kOk;
}

void* ObjTableSetRaw(uint16_t table, uint16_t index, const void* value, uint16_t size,
                     const void* type) {
  ObjTables& r = R();
  if (!r.root || table >= kObjTables || size == 0) return nullptr;
  Touch(table);
  auto& slot = r.tables[table];
  if (slot && (slot->elem_size != size || slot->type != type)) return nullptr;
  uint32_t needed = index + 1u;
  uint32_t count = slot ? (needed > slot->count ? needed : slot->count) : needed;
  if (count * size > kObjTableBytes) return nullptr;
  if (!slot) {
    slot = std::make_unique<ObjTableData>();
    slot->elem_size = size;
    slot->type = type;
  }
  if (index >= slot->count) Resize(*slot, static_cast<uint16_t>(count));
  char* p = slot->at(index);
  std::memmove(p, value, size);
  return p;
}

void* ObjTableGetRaw(uint16_t table, uint16_t index, const void* type) {
  ObjTables& r = R();
  if (!r.root || table >= kObjTables) return nullptr;
  auto& slot = r.tables[table];
  if (!slot || index >= slot->count || slot->type != type) return nullptr;
  return slot->at(index);
}

uint16_t ObjTableInfo(uint16_t table, int mode) {
  ObjTables& r = R();
  if (!r.root || table >= kObjTables || !r.tables[table]) return 0;
  return mode == 0 ? r.tables[table]->count : r.tables[table]->elem_size;
}

Status ObjTableDelete(uint16_t table, uint16_t index) {
  ObjTables& r = R();
  if (!r.root || table >= kObjTables) return kStStructMem;
  Touch(table);
  auto& slot = r.tables[table];
  if (!slot || index >= slot->count) return kStStructMem;
  ObjTableData& t = *slot;
  size_t tail = size_t(t.count - index - 1) * t.elem_size;
  if (tail) std::memmove(t.at(index), t.at(index + 1), tail);
  if (t.count == 1) {
    slot.reset();
    return kOk;
  }
  Resize(t, static_cast<uint16_t>(t.count - 1));
  return kOk;
}

void ObjTableTruncate(uint16_t table, uint16_t count) {
  ObjTables& r = R();
  if (!r.root || table >= kObjTables) return;
  Touch(table);
  auto& slot = r.tables[table];
  if (!slot || slot->count <= count) return;
  if (count == 0) slot.reset();  // as when its last element is deleted
  else Resize(*slot, count);
}

void ObjTableFree(uint16_t table) {
  Touch(table);
  if (table < kObjTables) R().tables[table].reset();
}

void ObjTableFreeAll() {
  ObjTables& r = R();
  for (auto& t : r.tables) t.reset();
  r.root = false;
  DictEpochRenew();
}

}  // namespace eng
