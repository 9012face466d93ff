#include "apps/common/app_head.h"

#include "core/dyn_strings.h"
#include "core/err_names.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/folders.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "data/app_start.h"
#include "data/session_state.h"

namespace eng::apphead {

namespace {

constexpr const char* kLanguages = "EN,ES,FR,DE,IT";
constexpr uint16_t kDefaultLanguageItem = 2;

// Four digits, or -1.
int NumberOf(StrPair text) {
  if (!text.ok() || text.len != 4) return -1;
  int n = 0;
  for (char c : text.view()) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

Status AppHeadPhaseLoad() {
  ScratchScope scope;
  Status s = HelpSetFolder(PathFolderFile(StrOf("Help"), 2));
  if (s == kOk) s = AppLoadConfigFiles(StrFromC(kAppConfigFiles));
  if (s == kOk) s = ExpExecute(StrOf("RLV=1"));
  if (s == kOk) s = SessionStateCheck(1);
  return s;
}

Status AppHeadCommandCheck() { return SessionStateCheck(2); }

Status AppHeadMenuCommand(StrPair) { return kStNotAvailable; }

Status AppHeadTaskClose() { return ErrIncident(kStNotAvailable, StrOf("TaskClose"), false); }

Status AppHeadTaskLowLevel() { return ErrIncident(kStNotAvailable, StrOf("TaskLowLevel"), false); }

StrPair AppHeadErrorName(Status status) {
  // ErrCodeName gives "Indefinido" for 121 and below and for an empty or
  // missing item.
  return ErrCodeName(status);
}

Status AppHeadDefaultLanguage() {
  return DynStrSet(sl::kSettings, sl::kLanguage, StrItem(StrFromC(kLanguages), ',', kDefaultLanguageItem));
}

AppFunctions AppHeadFunctions(StrPair (*message_text)(StrPair number)) {
  return AppFunctions{&AppHeadMenuCommand, &AppHeadTaskClose, &AppHeadTaskLowLevel,
                      &AppHeadErrorName,   &AppHeadDefaultLanguage, message_text};
}

uint16_t AppHeadModuleFile(std::span<const uint8_t> files, int position) {
  if (position < 0 || static_cast<size_t>(position) >= files.size()) return 0;
  return files[static_cast<size_t>(position)];
}

StrPair AppHeadMessageText(const MsgTable& table, StrPair number) {
  int n = NumberOf(number);
  if (n < 0) return StrPair{};
  std::string_view v = number.view();
  // Above "0999" the application's table; the engine's own texts come from
  // its three tables, which split at "0040" and "0089" the same way.
  if (v > "0999") return table.Find(static_cast<uint16_t>(n));
  return EngineMessageText(static_cast<uint16_t>(n));
}

}  // namespace eng::apphead
