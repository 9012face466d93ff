// The application hook table and the application functions: how the engine
// reaches code it does not own.
//
// HookTable: 25 slots, 0-24 (AppHookIds), empty at start, filled by the engine
// and the application module (mostly in phase 1 of the start), never emptied.
// Each slot holds one typed handler (HookEntry): the handler's form is known,
// and every caller calls through the function for the shape of its call. A
// call whose shape the stored form cannot take is not made: it answers 148
// (not handled) and appends "hook n" to the incident text. A handler without
// arguments (HookNoArgsFn) takes every call of the action, accept and text
// shapes, its arguments dropped. An empty slot is never called: the call
// functions answer std::nullopt and the caller takes its own fallback.
//
// Slot numbers above 24 (and negative ones) name no slot: HookSet stores
// nothing and answers 255, HookGet answers the empty entry.
//
// Application functions: the six functions every application module supplies
// (menu command, close check, low-level task, status names, default language,
// message texts). The module installs them with AppFunctionsSet; the engine
// calls them through the AppCall* functions, which answer the engine's
// default when one is not installed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <variant>

#include "core/accept_result.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kHookSlots = 25;
inline constexpr uint16_t kHookRefused = 255;  // HookSet of a slot above 24
inline constexpr uint16_t kHookNone = 255;     // HookSlotForWindow: no slot

enum AppHookIds : uint16_t {
  kHookFieldProvider = 0,  // screen-field values for "_" names: (name, mode, value) -> text
  kHookExecFunction = 1,   // EXEC$: (function, procedure file, flags) -> status
  kHookLineField = 2,      // _name(index) operands: (name, index) -> text
  kHookRelFetch = 3,       // FILEREL in statistics scans: (a, b, relation, flags, statements)
  kHookParmFile = 4,       // windows with PARM_FILE$: action handler
  kHookDocName = 5,        // windows with DOCNAME$: action handler
  kHookPrcName = 6,        // windows with PRCNAME$: action handler
  kHookSteps = 7,          // windows with STEPS$: action handler
  kHookApp8 = 8,           // 8 and 10-17: the application's, by ACCEPT_PRC% or hook text
  kHookApp10 = 10,
  kHookApp17 = 17,
  kHookTransMerge = 21,    // the second pass of an import: (three values, flags) -> status
  kHookFieldHelp = 22,     // field help key: (window record, position callback) -> status
  kHookLowLevel = 23,      // no arguments -> status; swapped by the Copy verb
};

// The handler forms. Mode of the field provider: 1 read, 5 assign (value is
// the value to assign, the bytes of the current result: an 8-byte number or
// a text); its answer is the value as text, or a failure pair whose status
// 163 means "not my name".
using HookFieldProviderFn = StrPair (*)(StrPair name, uint16_t mode, StrPair value);
using HookExecFunctionFn = Status (*)(StrPair function, StrPair file, uint16_t flags);
// The first index of the operand, as an integer.
using HookLineFieldFn = StrPair (*)(StrPair name, int32_t index);
using HookRelFetchFn = Status (*)(uint16_t file_a, uint16_t file_b, uint16_t relation,
                                  uint16_t flags, StrPair statements);
// A window action handler: action code -> flag word or status.
using HookActionFn = Status (*)(uint16_t action);
using HookAcceptFn = Status (*)(const AcceptResult& result);
using HookTextFn = Status (*)(StrPair text);
using HookNoArgsFn = Status (*)();
using HookMergeFn = Status (*)(uint32_t value1, uint32_t value2, uint32_t value3, uint16_t flags);
// The screen point for a field window: y in the low, x in the high 16 bits.
using HookPositionFn = uint32_t (*)();
using HookFieldHelpFn = Status (*)(uint16_t window_record, HookPositionFn position);

enum class HookForm : uint8_t {
  kEmpty, kFieldProvider, kExecFunction, kLineField, kRelFetch,
  kAction, kAccept, kText, kNoArgs, kMerge, kFieldHelp
};

// One slot's content: empty, or one handler of one form. The alternatives are
// in the order of HookForm.
using HookEntry = std::variant<std::monostate, HookFieldProviderFn, HookExecFunctionFn,
                               HookLineFieldFn, HookRelFetchFn, HookActionFn, HookAcceptFn,
                               HookTextFn, HookNoArgsFn, HookMergeFn, HookFieldHelpFn>;

HookForm HookFormOf(const HookEntry& e);

struct AppFunctions {
  // (command text) -> status; 148: the engine runs the command itself.
  Status (*menu_command)(StrPair command) = nullptr;
  // () -> status; 148: nothing to report; 0: no objection; else refuse the close.
  Status (*task_close)() = nullptr;
  // () -> status; installed by the application as hook 23.
  Status (*task_low_level)() = nullptr;
  // (status 121 and up) -> its name.
  StrPair (*error_name)(Status status) = nullptr;
  // () -> status; sets the language code, string-store element (0, 4).
  Status (*default_language)() = nullptr;
  // (four-digit number text) -> the message text; empty when unknown.
  StrPair (*message_text)(StrPair number) = nullptr;
};

struct HookState {
  std::array<HookEntry, kHookSlots> slots{};
  AppFunctions app{};
};

// Stores the entry (a null function pointer stores the empty entry); the slot,
// or 255 when it is above 24 and nothing was stored.
uint16_t HookSet(const HookEntry& entry, int32_t slot);
// The same for a typed function pointer.
template <typename Fn>
  requires std::is_pointer_v<Fn> && std::is_function_v<std::remove_pointer_t<Fn>>
uint16_t HookSetFn(Fn fn, int32_t slot) {
  if (fn == nullptr) return HookSet(HookEntry{}, slot);
  return HookSet(HookEntry{fn}, slot);
}
// The stored entry; the empty entry for an empty slot and any slot above 24.
HookEntry HookGet(int32_t slot);
bool HookFilled(int32_t slot);

// Calls by shape. std::nullopt: the slot is empty and nothing was called.
std::optional<StrPair> HookCallFieldProvider(StrPair name, uint16_t mode, StrPair value);
std::optional<Status> HookCallExecFunction(StrPair function, StrPair file, uint16_t flags);
std::optional<StrPair> HookCallLineField(StrPair name, int32_t index);
std::optional<Status> HookCallRelFetch(uint16_t file_a, uint16_t file_b, uint16_t relation,
                                       uint16_t flags, StrPair statements);
std::optional<Status> HookCallAction(int32_t slot, uint16_t action);
std::optional<Status> HookCallAccept(int32_t slot, const AcceptResult& result);
std::optional<Status> HookCallText(int32_t slot, StrPair text);
std::optional<Status> HookCallMerge(uint32_t value1, uint32_t value2, uint32_t value3, uint16_t flags);
std::optional<Status> HookCallFieldHelp(uint16_t window_record, HookPositionFn position);

// A hook text, "n:argument text": the slot is the integer value of the first
// ":"-item; a filled slot is called with the text after the first ":" and its
// status is the answer; an empty slot (or no slot) answers 0.
Status ExpCallHookText(StrPair text);

// The slot of a window's handler: its ACCEPT_PRC% when that is not 0,
// otherwise the first non-empty of STEPS$ (7), PRCNAME$ (6), DOCNAME$ (5),
// PARM_FILE$ (4); kHookNone when there is none.
uint16_t HookSlotForWindow(int32_t accept_prc, StrPair steps, StrPair prcname, StrPair docname,
                           StrPair parm_file);

// The application functions.
void AppFunctionsSet(const AppFunctions& functions);
const AppFunctions& AppFunctionsGet();
// 148 when not installed.
Status AppCallMenuCommand(StrPair command);
// 148 when not installed.
Status AppCallTaskClose();
// 148 when not installed.
Status AppCallTaskLowLevel();
// "Indefinido" when not installed or when the application gives an empty name.
StrPair AppCallErrorName(Status status);
// 148 when not installed.
Status AppCallDefaultLanguage();
// The empty text when not installed.
StrPair AppCallMessageText(StrPair number);

}  // namespace eng
