// Object tables: 24 numbered, growable tables of fixed-size records under one
// root, addressed by (table, element). A table is created by its first Set,
// grows to exactly index + 1 elements when a Set reaches past its end (new
// elements zero), and is freed when its last element is deleted. A table holds
// one record type; a Set or Get with another type is refused (null). A table's
// records take at most 65,535 bytes. Element addresses change whenever the
// table grows or shrinks: fetch them again after any change.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "core/status.h"

namespace eng {

inline constexpr uint16_t kObjTables = 24;
inline constexpr uint32_t kObjTableBytes = 65535;

// The tables in use.
inline constexpr uint16_t kObjFileDescs = 0;
inline constexpr uint16_t kObjFieldDescs = 1;
inline constexpr uint16_t kObjKeyDescs = 2;
inline constexpr uint16_t kObjKeyParts = 3;
inline constexpr uint16_t kObjScreens = 4;
inline constexpr uint16_t kObjScreenWins = 5;
inline constexpr uint16_t kObjArrays = 6;
inline constexpr uint16_t kObjIntVars = 7;
inline constexpr uint16_t kObjNumVars = 8;
inline constexpr uint16_t kObjProcedures = 10;

struct ObjTableData {
  uint16_t elem_size = 0;
  uint16_t count = 0;
  const void* type = nullptr;
  std::vector<uint64_t> words;  // count x elem_size bytes, 8-byte aligned
  char* at(uint16_t i) { return reinterpret_cast<char*>(words.data()) + size_t(i) * elem_size; }
};

struct ObjTables {
  bool root = false;
  std::array<std::unique_ptr<ObjTableData>, kObjTables> tables;
};

template <class T>
inline constexpr char kObjTypeTag = 0;

Status ObjTableInit();
void* ObjTableSetRaw(uint16_t table, uint16_t index, const void* value, uint16_t size, const void* type);
void* ObjTableGetRaw(uint16_t table, uint16_t index, const void* type);
// Mode 0: the element count; mode 1: the element size; 0 for a missing table.
uint16_t ObjTableInfo(uint16_t table, int mode);
// Removes an element; the later ones move down. 176 for a missing root, table or index.
Status ObjTableDelete(uint16_t table, uint16_t index);
// Removes the elements from `count` on, as deleting them from the last would.
void ObjTableTruncate(uint16_t table, uint16_t count);
void ObjTableFree(uint16_t table);
void ObjTableFreeAll();

template <class T>
T* ObjTableSet(uint16_t table, uint16_t index, const T& value) {
  static_assert(std::is_trivially_copyable_v<T> && alignof(T) <= 8);
  return static_cast<T*>(ObjTableSetRaw(table, index, &value, sizeof(T), &kObjTypeTag<T>));
}

template <class T>
T* ObjTableGet(uint16_t table, uint16_t index) {
  return static_cast<T*>(ObjTableGetRaw(table, index, &kObjTypeTag<T>));
}

}  // namespace eng
