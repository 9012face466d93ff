// Arrays of the procedure language: names ending in "(", up to four
// dimensions, elements of one kind (16-bit integers, DecValue numbers, or
// texts of a fixed width), laid out row-major in one data block per array.
// The kind is that of the name without its "(" ("$" texts, "#" numbers,
// otherwise integers). A descriptor per array lives in object table 6 at the
// array variable's index; each dimension is stored as its declared size + 1
// (indexes 0 to the declared size).
//
// Reading an element of an undeclared array creates the array with the
// indexes as sizes; assigning never creates one (149). A text array takes
// its width from a text argument after its indexes ("A$(10;'     ')").
// A text written into an element overwrites its start and never passes its
// width. "_#(" is the system array of 257 numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/dec_value.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kDimMax = 4;
inline constexpr uint16_t kDimOmitted = 0xFFFF;

struct DimDescriptor {
  uint16_t kind = 0;       // kVarInt, kVarNum or kVarText; 0 for no array
  uint16_t elem_size = 0;
  uint16_t count = 0;
  uint16_t ndims = 0;
  uint16_t dims[kDimMax] = {0, 0, 0, 0};  // declared size + 1
  uint32_t used = 0;       // bytes in the data block
};

// The data blocks of the arrays, by array variable index (the runtime's).
struct DimState {
  std::vector<std::vector<char>> blocks;
};

struct DimIndexes {
  Status status = kOk;
  uint16_t count = 0;
  uint16_t idx[kDimMax] = {0, 0, 0, 0};
  std::string initial;     // a trailing text argument (the width of a new text array)
  bool has_initial = false;
};

// Creates the descriptor and block of the array variable with that index.
Status DimCreate(uint16_t kind, uint16_t index, uint16_t n, const uint16_t* sizes, StrPair initial);
// Declares the name and creates the array; 157 when the name exists.
Status DimDeclare(StrPair name, uint16_t n, const uint16_t* sizes, StrPair initial);
// Evaluates the argument list of an element reference (the text inside the
// parentheses): up to four indexes, an omitted one being 65535.
DimIndexes DimEvalIndexes(StrPair args);
// The element's bytes (writable, valid until the array changes), or (null, 168).
StrPair DimElementAddr(uint16_t array, uint16_t n, const uint16_t* indexes);
const DimDescriptor* DimGet(uint16_t array);

// Makes the element the current result (0 number, 1 text); creates an
// undeclared array. The name includes its "(".
Status DimRead(StrPair name, StrPair args);
// Stores a value into the element: a number (8-byte DecValue) or a text.
Status DimAssign(StrPair name, StrPair args, StrPair value, bool value_is_text);

// Writes the value (8-byte number or text) into elements start to end.
Status DimFill(uint16_t array, StrPair value, uint16_t start, uint16_t end);
Status DimFillByName(StrPair name, StrPair value, uint16_t start, uint16_t end);
// Element i of a one-index array (or (null, 168/149)).
StrPair DimElementRef(StrPair name, uint16_t index);
Status DimAddNum(StrPair name, uint16_t index, DecValue value);
// DimAddNum for the array variable with that index (as VarBind finds it).
Status DimAddNumAt(uint16_t array, uint16_t index, DecValue value);
Status DimSetNum(StrPair name, uint16_t index, DecValue value);

// True when the name is "_#" or "_#("; the system array is then created
// unless it exists.
bool DimDeclareSystem(StrPair name);

// Frees every array's data (shut-down), or those from an index on (scope restore).
Status DimFreeAll();
void DimFreeFrom(uint16_t first);

}  // namespace eng
