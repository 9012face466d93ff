// The variable store: every variable of procedures and expressions, typed by
// a character of its name (VarTypeOfName). Names are kept as four comma lists
// in string list 12 (0 integers and type 0, 1 numbers, 2 texts, 3 arrays); a
// variable's index is its position in its list. Values: integers 16 bits in
// object table 7, numbers DecValue in table 8, texts in string list 13,
// arrays as descriptors in table 6 (core/arrays.h).
//
// Integers 0-43 are the system variables of core/sys_vars.h. Their values
// live in the runtime's system-variable array, so SysVarGet/SysVarSet and
// the store always agree; table 7 keeps placeholder elements for them.
//
// Operations that "make the value the current result" leave it as the newest
// scratch entry: a number as an 8-byte DecValue, a text as its bytes; they
// answer 0 for a number and 1 for a text.
//
// Names beginning with "_" go first to the field provider of hook slot 0
// when it is filled; its answer 163 means "not mine".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/dec_value.h"
#include "core/str_pair.h"

namespace eng {

enum VarType : uint16_t {
  kVarNoValue = 0,  // a name holding "@"
  kVarInt = 2,
  kVarText = 3,
  kVarNum = 6,
  kVarArray = 16,
};

inline constexpr uint16_t kVarUndeclared = 0xFFFF;
inline constexpr uint16_t kSysTextVarCount = 3;  // _ACUM$, _ACUMX$, _LTEXT$

struct VarRef {
  uint16_t type = kVarInt;
  uint16_t index = kVarUndeclared;
  bool declared() const { return index != kVarUndeclared; }
};

// The extent of the store at one moment.
struct VarScope {
  uint16_t name_len[4] = {0, 0, 0, 0};  // text lengths of the four name lists
  uint16_t ints = 0;                     // elements of table 7
  uint16_t nums = 0;                     // elements of table 8
  uint16_t arrays = 0;                   // elements of table 6
  uint16_t texts = 0;                    // declared text variables
};

// Hashing that lets the name index be searched with a string_view.
struct VarNameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// A new generation number, never given before in this process: a runtime
// set up again does not start from a number an older binding may hold.
uint32_t VarNewGeneration();

// A position of a name list as the index knows it: the generation number it
// got when a name was declared there, and that name.
struct VarSlot {
  uint32_t stamp = 0;
  std::string name;
};

// A look-up index over the four name lists, rebuilt whenever a list's length
// is not the one it was built for (the lists stay the record of the names).
// A declaration adds its name; a scope restore takes out the names it cuts.
// Beside the index, every position of a list keeps a stamp, so that code
// that remembers where a name was found can tell when to look again: the
// position is cut, or holds another name now. A scope cut leaves the names
// below it (and their stamps) alone, and a name declared again at the
// position it had before the cut keeps its stamp. `declared` changes with
// every declaration, for code that remembers that a name was not found.
struct VarState {
  std::unordered_map<std::string, uint16_t, VarNameHash, std::equal_to<>> index[4];
  uint32_t indexed_len[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  std::vector<VarSlot> slots[4];  // may run past the names now declared
  uint16_t live[4] = {0, 0, 0, 0};  // the names now declared, per list
  uint32_t declared = VarNewGeneration();
  // Changes with every change of the name lists (a declaration, a scope
  // cut, an index rebuilt): a binding checked under the same value holds.
  uint32_t epoch = VarNewGeneration();
};

// Where a name was found (or that it was not): good while its name list has
// the same length and the position keeps its stamp (or, for a name not
// found, while nothing was declared).
struct VarBinding {
  uint32_t stamp = 0;
  uint32_t names_len = 0;
  uint32_t epoch = 0;  // VarState::epoch when last found good
  uint16_t index = kVarUndeclared;
};

uint16_t VarTypeOfName(StrPair name);
VarRef VarLookup(StrPair name);
// VarLookup for a name of a known type (integer, number or text), looked up
// again only when a declaration or scope change happened since the binding
// was made.
uint16_t VarBind(StrPair name, uint16_t type, VarBinding& binding);
// Appends the name to its list and makes its value slot; index 0xFFFF on failure.
VarRef VarDeclare(StrPair name, uint16_t type);

// Where VarFindOrDeclare declared a name last: while nothing else was
// declared since and a scope cut freed that position again, the name is
// declared there again without a look-up.
struct VarRedeclare {
  uint32_t declared = 0;   // VarState::declared right after the declaration
  uint32_t stamp = 0;      // the position's stamp
  uint32_t names_len = 0;  // the name list's length before the name
  uint16_t index = kVarUndeclared;
};
// VarAssign, with `memo` kept by the caller for the same name from one
// assignment to the next.
Status VarAssignRemembered(StrPair name, StrPair value, VarRedeclare& memo);

// Assigns a value (a text for a text variable, an 8-byte DecValue otherwise,
// as the current result holds them) to the variable; declares it when new.
// An integer takes the number divided by the scale, rounded half away from
// zero, its low 16 bits kept.
Status VarAssign(StrPair name, StrPair value);
Status VarAssignInt(StrPair name, int64_t value);
// VarAssign's store step for a declared variable of type integer, number or
// text (no field provider asked).
Status VarAssignAt(VarRef ref, StrPair value);
// Makes the variable's value the current result: 0 number, 1 text.
Status VarRead(StrPair name);

// By index. An integer index beyond the table reads 0. Setting _PRECIS
// outside 0-4 is refused with 168 (the scale is a 16-bit number).
int16_t VarGetInt(uint16_t index);
Status VarSetInt(uint16_t index, int16_t value);
bool VarTestBits(uint16_t index, uint16_t bits);
bool VarSetBits(uint16_t index, uint16_t bits, bool on);
DecValue VarGetNum(uint16_t index);
Status VarSetNum(uint16_t index, DecValue value);
StrPair VarGetStr(uint16_t index);
Status VarSetStr(uint16_t index, StrPair value);

// A 32-bit count kept in _COUNT and _HCOUNT.
uint32_t VarGetCount32();
void VarSetCount32(uint32_t count);

struct VarScreenField {
  char first = 0;
  int16_t number = 0;
  Status status = kOk;
};
// The text variable "_V" + n + "$" split into its first character and the
// integer value of the rest; 181 when it is not declared.
VarScreenField VarGetScreenField(uint16_t n);

VarScope VarScopeSave();
Status VarScopeRestore(const VarScope& scope);

// Start: the string store and object tables, then the 44 integer and the 3
// text system variables in order. End: arrays, tables, lists and arena.
Status VarInitSystem();
Status VarShutdown();

}  // namespace eng
