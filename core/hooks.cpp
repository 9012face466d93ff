#include "core/hooks.h"

#include <string>

#include "core/err_register.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"

namespace eng {

namespace {

HookState& H() { return Core().hooks; }

bool ValidSlot(int32_t slot) { return slot >= 0 && slot < kHookSlots; }

const HookEntry* Slot(int32_t slot) {
  if (!ValidSlot(slot)) return nullptr;
  const HookEntry& e = H().slots[static_cast<size_t>(slot)];
  return std::holds_alternative<std::monostate>(e) ? nullptr : &e;
}

// The answer to a call the stored handler cannot take: 148, with the slot
// named in the incident text.
Status WrongShape(int32_t slot) {
  std::string text = "hook " + std::to_string(slot);
  ScratchScope scope;
  return ErrIncident(kStNotAvailable, StrOf(text), true);
}

// Calls the handler of form Fn with the arguments, or the argument-less one;
// 148 for any other form.
template <typename Fn, typename... Args>
std::optional<Status> CallOrNoArgs(int32_t slot, Args... args) {
  const HookEntry* e = Slot(slot);
  if (!e) return std::nullopt;
  // The function is copied out first: a handler may refill its own slot.
  if (auto f = std::get_if<Fn>(e)) {
    Fn fn = *f;
    return fn(args...);
  }
  if (auto f = std::get_if<HookNoArgsFn>(e)) {
    HookNoArgsFn fn = *f;
    return fn();
  }
  return WrongShape(slot);
}

// Calls the handler of form Fn with the arguments; 148 for any other form.
template <typename Fn, typename Answer, typename... Args>
std::optional<Answer> CallExactly(int32_t slot, Answer wrong, Args... args) {
  const HookEntry* e = Slot(slot);
  if (!e) return std::nullopt;
  if (auto f = std::get_if<Fn>(e)) {
    Fn fn = *f;
    return fn(args...);
  }
  WrongShape(slot);
  return wrong;
}

}  // namespace

HookForm HookFormOf(const HookEntry& e) { return static_cast<HookForm>(e.index()); }

uint16_t HookSet(const HookEntry& entry, int32_t slot) {
  if (!ValidSlot(slot)) return kHookRefused;
  H().slots[static_cast<size_t>(slot)] = entry;
  return static_cast<uint16_t>(slot);
}

HookEntry HookGet(int32_t slot) {
  const HookEntry* e = Slot(slot);
  return e ? *e : HookEntry{};
}

bool HookFilled(int32_t slot) { return Slot(slot) != nullptr; }

std::optional<StrPair> HookCallFieldProvider(StrPair name, uint16_t mode, StrPair value) {
  return CallExactly<HookFieldProviderFn>(kHookFieldProvider, StrFail(kStNotAvailable), name, mode, value);
}

std::optional<Status> HookCallExecFunction(StrPair function, StrPair file, uint16_t flags) {
  return CallExactly<HookExecFunctionFn>(kHookExecFunction, Status{kStNotAvailable}, function, file, flags);
}

std::optional<StrPair> HookCallLineField(StrPair name, int32_t index) {
  return CallExactly<HookLineFieldFn>(kHookLineField, StrFail(kStNotAvailable), name, index);
}

std::optional<Status> HookCallRelFetch(uint16_t file_a, uint16_t file_b, uint16_t relation,
                                       uint16_t flags, StrPair statements) {
  return CallExactly<HookRelFetchFn>(kHookRelFetch, Status{kStNotAvailable}, file_a, file_b, relation,
                                     flags, statements);
}

std::optional<Status> HookCallAction(int32_t slot, uint16_t action) {
  return CallOrNoArgs<HookActionFn>(slot, action);
}

std::optional<Status> HookCallAccept(int32_t slot, const AcceptResult& result) {
  return CallOrNoArgs<HookAcceptFn, const AcceptResult&>(slot, result);
}

std::optional<Status> HookCallText(int32_t slot, StrPair text) {
  return CallOrNoArgs<HookTextFn>(slot, text);
}

std::optional<Status> HookCallMerge(uint32_t value1, uint32_t value2, uint32_t value3, uint16_t flags) {
  return CallExactly<HookMergeFn>(kHookTransMerge, Status{kStNotAvailable}, value1, value2, value3, flags);
}

std::optional<Status> HookCallFieldHelp(uint16_t window_record, HookPositionFn position) {
  return CallExactly<HookFieldHelpFn>(kHookFieldHelp, Status{kStNotAvailable}, window_record, position);
}

Status ExpCallHookText(StrPair text) {
  if (!text.ok()) return StrError(text);
  int32_t slot = StrItemInt(text, ':', 1);
  StrPair args = StrItemRest(text, ':');
  return HookCallText(slot, args).value_or(kOk);
}

uint16_t HookSlotForWindow(int32_t accept_prc, StrPair steps, StrPair prcname, StrPair docname,
                           StrPair parm_file) {
  if (accept_prc != 0) return ValidSlot(accept_prc) ? static_cast<uint16_t>(accept_prc) : kHookNone;
  if (!steps.empty()) return kHookSteps;
  if (!prcname.empty()) return kHookPrcName;
  if (!docname.empty()) return kHookDocName;
  if (!parm_file.empty()) return kHookParmFile;
  return kHookNone;
}

void AppFunctionsSet(const AppFunctions& functions) {
  H().app = functions;
}

const AppFunctions& AppFunctionsGet() { return H().app; }

Status AppCallMenuCommand(StrPair command) {
  auto f = H().app.menu_command;
  return f ? f(command) : Status{kStNotAvailable};
}

Status AppCallTaskClose() {
  auto f = H().app.task_close;
  return f ? f() : Status{kStNotAvailable};
}

Status AppCallTaskLowLevel() {
  auto f = H().app.task_low_level;
  return f ? f() : Status{kStNotAvailable};
}

StrPair AppCallErrorName(Status status) {
  auto f = H().app.error_name;
  StrPair name = f ? f(status) : StrPair{};
  if (!name.ok() || name.len == 0) return StrOf("Indefinido");
  return name;
}

Status AppCallDefaultLanguage() {
  auto f = H().app.default_language;
  return f ? f() : Status{kStNotAvailable};
}

StrPair AppCallMessageText(StrPair number) {
  auto f = H().app.message_text;
  return f ? f(number) : StrPair{};
}

}  // namespace eng
