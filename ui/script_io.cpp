#include "ui/script_io.h"

#include <string>
#include <vector>

#include "core/err_register.h"
#include "core/scratch_arena.h"
#include "core/script_io.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "ui/accept_win.h"
#include "ui/action_codes.h"
#include "ui/field_values.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"

namespace eng {

namespace {

constexpr uint16_t kStoreInput = 118;

bool Blank(StrPair t) { return StrTrim(t, 3).empty(); }

}  // namespace

Status ScriptStoreLine(StrPair line) {
  ScratchScope scope;
  const std::string text = line.ok() ? line.str() : std::string();
  const int fields = ScreenCurrent().field_count;
  StrPair t = StrOf(text);
  const uint16_t count = text.empty() ? 0 : StrItemCount(t, ',');
  std::vector<std::string> values;
  for (uint16_t i = 1; i <= count; ++i) values.push_back(StrUnquote(StrTrim(StrItem(t, ',', i), 3)).str());
  bool refused = static_cast<int>(values.size()) > fields;
  for (size_t i = 0; !refused && i < values.size(); ++i)
    refused = values[i].size() > ScreenFieldGet(static_cast<int>(i + 1)).display_len;
  if (refused) return ErrIncident(kStDataError, t, false);
  for (int n = 1; n <= fields; ++n) {
    const std::string v = n <= static_cast<int>(values.size()) ? values[n - 1] : std::string();
    if (Status s = ScreenFieldStore(kStoreInput, n, StrOf(v))) return s;
  }
  return kOk;
}

Status ScriptReplayInput(plat::Hwnd window) {
  ScratchScope scope;
  StrPair line;
  if (ScriptInputNext(&line) != kScriptLine || Blank(line)) return kOk;
  if (Status s = ScriptStoreLine(line)) return s;
  Status s = AcceptWinExit(kActionOk);
  if (s >= kStFirstWarning) return s;
  // The answered window closes now: the script's next command must not find
  // it still open (its record current, its close still to come).
  plat::WinSystem* ws = UiWs();
  if (ws && ws->IsWindow(window)) {
    ws->Send(window, plat::kWmClose);
  } else {
    ScreenActionDispatch(plat::kNoWindow, kAcCloseWindow);
  }
  return kOk;
}

void ScriptJournalFields() {
  ScratchScope scope;
  const int fields = ScreenCurrent().field_count;
  if (fields == 0) return;
  std::vector<std::string> values;
  for (int n = 1; n <= fields; ++n) {
    StrPair raw = ScreenFieldRaw(n);
    std::string v = raw.ok() ? raw.str() : std::string();
    while (!v.empty() && v.back() == ' ') v.pop_back();
    values.push_back(v);
  }
  StrPair line = ScriptQuoteValues(values);
  if (line.ok()) ScriptJournalLine(line);
}

}  // namespace eng
