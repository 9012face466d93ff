// Function calls inside expressions: "NAME(arg;arg;...)".
//
// Functions are numbered: 1-33 the built-in functions in the order of
// kFnBuiltinNames, 34-49 the application functions registered by name
// (FnRegister). The name list, built-in names then registered ones, is kept
// NUL-separated in string element (0, 8); the evaluator finds a name there
// (exactly, else upper-cased) and calls FnCall with its number.
//
// Arguments are evaluated (all, the first, the first four or none, by
// function) and pushed on string list 35, the first deepest; a number is its
// 8-byte DecValue, a text its bytes, an empty argument the one byte ESC
// (type number: "omitted"). A handler reads its arguments from the last to
// the first (each read pops) and leaves its result as the newest scratch
// entry; FnCall keeps that result above the caller's mark and pops list 35
// back to its depth before the call, whatever happens.
//
// Built-in handlers plug in with FnInstallBuiltin; a built-in with no handler
// answers 148 (not available).
#pragma once

#include <cstdint>
#include <string>

#include "core/exp_eval.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kFnBuiltinCount = 33;
inline constexpr uint16_t kFnFirstApp = 34;
inline constexpr uint16_t kFnAppSlots = 16;
inline constexpr uint16_t kFnMaxArgs = 16;
inline constexpr char kFnOmitted = 27;  // ESC: an empty argument

enum FnNumber : uint16_t {
  kFnSysArray = 1, kFnFlen, kFnSlen, kFnNParm, kFnValN, kFnAcum, kFnChkNum, kFnFileFind,
  kFnFileRel, kFnFileLocate, kFnFileSel, kFnChng, kFnChrs, kFnDate, kFnFlds, kFnMask,
  kFnMids, kFnSParm, kFnTrim, kFnEnvelop, kFnChkStr, kFnSort, kFnExec, kFnRead, kFnWrite,
  kFnMacro, kFnEnviron, kFnList, kFnKey, kFnTime, kFnIer, kFnExp, kFnSqlChild,
};

extern const char* const kFnBuiltinNames[kFnBuiltinCount];

enum FnArgType : uint16_t { kFnArgNum = 0, kFnArgText = 1 };

// What a handler receives.
struct FnArgs {
  StrPair types;              // one 16-bit entry per evaluated argument
  ExpCursor* cursor = nullptr;  // the argument text, after the last evaluated argument
  bool result_text = false;   // the kind of the result; preset from the name ("$")
  uint16_t number = 0;
  uint16_t base = 0;          // depth of list 35 below the first argument
  // Arguments handed over directly instead of on list 35 (FnCallValues):
  // their values as they would be pushed, and how many are still unread
  // (reading argument i leaves i - 1, as popping down to it does).
  const StrPair* direct = nullptr;
  uint16_t direct_left = 0;

  uint16_t Count() const { return static_cast<uint16_t>(types.len / 2); }
  uint16_t Type(uint16_t i) const;  // argument i from 1
};

using FnHandler = Status (*)(FnArgs& args);

struct FnState {
  FnHandler builtins[kFnBuiltinCount + 1] = {};
  bool direct[kFnBuiltinCount + 1] = {};  // the handler reads its arguments only (FnInstallDirectBuiltin)
  FnHandler app[kFnAppSlots] = {};
  uint16_t registered = 0;
};

// The registration point of the built-in functions (1-33).
Status FnInstallBuiltin(uint16_t number, FnHandler handler);
bool FnBuiltinInstalled(uint16_t number);
// FnInstallBuiltin for a handler that touches nothing but its arguments,
// read through FnArgValue and the readers built on it (no list 35, no
// cursor, no evaluation) and never written to: such a handler may be given
// its arguments directly, read where they lie (FnCallValues), with its
// argument types outside the scratch arena. FnInstallBuiltin takes that
// mark away again.
Status FnInstallDirectBuiltin(uint16_t number, FnHandler handler);
// Whether built-in n now has a handler installed with FnInstallDirectBuiltin.
bool FnBuiltinDirect(uint16_t number);
// Registers an application function under the next number 34 + k; 168 when
// the 16 slots are used (the name list is then unchanged).
Status FnRegister(StrPair name, FnHandler handler);
// Calls the handler of number 34-49; 147 for an empty slot or another number.
Status FnCallRegistered(uint16_t number, FnArgs& args);

// Where the arguments of a call that takes all of them come from, in place
// of evaluating the argument text: Push does what FnEvalArgs does (values on
// list 35, the types as its answer, the cursor left after the last one).
class FnArgSource {
 public:
  virtual StrPair Push(ExpCursor& cursor, uint16_t how_many) = 0;
  // Whether Push also gives the first arguments of a function that reads the
  // rest of its text itself (CHK$, FILEREL): it stops after `how_many` and
  // leaves the cursor where FnEvalArgs would.
  virtual bool PushesFirst() const { return false; }

 protected:
  ~FnArgSource() = default;
};

// Calls function n over its argument text (between the parentheses). The
// result is the newest scratch entry above the caller's mark; *result_text
// tells its kind. With a source, a function that evaluates all its
// arguments takes them from the source; the others read the text, or take
// their first arguments from a source that PushesFirst.
Status FnCall(StrPair args, ExpCursor* cursor, uint16_t n, bool* result_text, FnArgSource* source = nullptr);

// FnCall of a function that evaluates all its arguments, with the arguments
// already evaluated: values[i] as FnPushArgValue would push it (ESC for an
// omitted one), types[i] its type. A direct built-in reads them in place;
// any other function, or a store that could not have held them, takes them
// through list 35 as FnCall does. The same result, statuses and records.
Status FnCallValues(StrPair args, uint16_t n, const StrPair* values, const uint16_t* types, uint16_t count,
                    bool* result_text);

// Evaluates how_many arguments (kFnAllArgs: all, at most 16) from the cursor
// and pushes them on list 35; the types as a text of 16-bit entries, or a
// failure pair. The cursor is left after the last evaluated argument.
inline constexpr uint16_t kFnAllArgs = 0xFFFF;
StrPair FnEvalArgs(ExpCursor& cursor, uint16_t how_many);
// One evaluated argument (its evaluation's status, its value on top of the
// scratch arena) pushed on list 35 with its type appended to types; the
// evaluation's error, or the push's.
Status FnPushArgValue(Status evaluated, std::string& types);

// 147 when the argument count lies outside [min, max].
Status FnArgCount(const FnArgs& args, uint16_t min, uint16_t max);

struct FnArg {
  uint16_t type = kFnArgNum;
  StrPair value;  // the argument's bytes (a scratch entry, or where a direct argument lies) or the default
  Status status = kOk;
  bool omitted = true;
};
// Argument i (from 1): beyond the count the default; otherwise pops list 35
// down to argument i (arguments are read from the last to the first) and
// takes it, its value replacing the default unless it was omitted.
FnArg FnArgValue(FnArgs& args, uint16_t i, StrPair def, uint16_t def_type);
// The argument as a 16-bit integer (a number divided by the scale and
// rounded); 128 for a text. An omitted argument gives the default.
struct FnIntArg {
  int16_t value = 0;
  Status status = kOk;
};
FnIntArg FnArgInt(FnArgs& args, uint16_t i, int16_t def);
// The argument's text; (null, 128) for a number. Omitted: the default.
StrPair FnArgStr(FnArgs& args, uint16_t i, StrPair def);
// All arguments, from the last to the first: integers into ints[i - 1],
// texts into texts[i - 1]; 147 for more than max arguments or for a text
// where texts is null.
Status FnArgList(FnArgs& args, int16_t* ints, StrPair* texts, uint16_t max);
// Pops the top of list 35 into the scratch arena (ESC reads as the empty text).
StrPair FnPopValue();

}  // namespace eng
