#include "ui/menu_field_options.h"

#include <vector>

#include "core/app_verbs.h"
#include "core/err_register.h"
#include "core/help.h"
#include "core/module_parms.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_format.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "platform/ctl_menu.h"
#include "platform/win_core.h"
#include "ui/field_values.h"
#include "ui/screen_parms.h"
#include "ui/screen_table.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

std::string Text(StrPair p) { return p.ok() ? std::string(p.view()) : std::string(); }

std::string Item(const std::string& list, char sep, uint16_t n) {
  ScratchScope scope;
  return Text(StrTrim(StrItem(StrOf(list), sep, n), 3));
}

// The choice among the options in a popup menu at the position; 0 cancelled.
uint16_t Choose(const std::vector<std::string>& options, HookPositionFn position) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return 0;
  const int menu = ws->MenuCreate();
  for (size_t i = 0; i < options.size(); ++i) ws->MenuAppend(menu, options[i], kFieldOptionFirstId + static_cast<int>(i));
  const uint32_t at = position ? position() : 0;
  const plat::Point px{static_cast<int>(at >> 16), static_cast<int>(at & 0xFFFF)};
  const int id = plat::PopupMenuTrack(*ws, WinTop(), menu, px);
  return id >= kFieldOptionFirstId ? static_cast<uint16_t>(id - kFieldOptionFirstId + 1) : 0;
}

Status NotInstalled(uint16_t verb) {
  ScratchScope scope;
  return ErrIncident(kStNotAvailable, StrOf(AppVerbs[verb - 1]), false);
}

Status RunHelp(const std::string& entry) {
  ScratchScope scope;
  const Status s = HelpShowEntry(StrOf(entry));
  if (s < kStFirstError) return s;
  const std::string text = Text(MsgText("0072")) + "\r\n" + entry;
  MsgInfoBox(MsgText("0071"), StrOf(text));
  return kOk;
}

}  // namespace

void ScreenFieldOptionServicesSet(FieldAcceptFn accept, FieldVerbFn run_verb) {
  Ui().field_accept = accept;
  Ui().field_run_verb = run_verb;
}

Status ScreenFieldWinAction(uint16_t window_record, HookPositionFn position) {
  ScreenWin* w = ScreenWinGet(window_record);
  if (!w) return kOk;
  const int field = w->current_field;
  SysVarSet(kVarCurEdFld, static_cast<int16_t>(field));
  std::string help, entries;
  {
    ScratchScope scope;
    help = Text(ScreenParmItem(kParmHelp, 0));
    const ScreenFieldDesc f = ScreenFieldGet(field);
    // The field's item, its entries joined by ";" (quoted when they hold commas).
    if (f.status == kOk && f.windows) entries = Text(StrUnquote(StrTrim(ScreenDefSpan(f.windows), 3)));
  }
  const uint16_t entry_count = entries.empty() ? 0 : StrItemCount(StrOf(entries), ';');
  const uint16_t first_entry = help.empty() ? 1 : 2;  // the option number of entry 1
  std::vector<std::string> options;
  if (!help.empty()) options.push_back(Text(MsgText("0070")));
  if (options.size() + entry_count > 1) {
    for (uint16_t k = 1; k <= entry_count; ++k) {
      std::string text = Item(Item(entries, ';', k), ',', 9);
      if (text.empty()) {
        ScratchScope scope;
        const std::string number = std::to_string(k);
        text = Text(StrFormat(kMaxText, MsgText("0073"), {FmtArg(std::string_view(number))}));
      }
      options.push_back(text);
    }
  }
  const uint16_t choice = options.size() > 1 ? Choose(options, position) : 1;
  if (choice == 0) return kOk;

  std::string command;
  if (!help.empty() && choice == 1) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02d", field % 100);
    command = std::string("Help ") + help + (StrItemCount(StrOf(help), ',') == 1 ? "," + std::to_string(field) : digits);
  } else {
    const std::string entry = Item(entries, ';', static_cast<uint16_t>(choice - first_entry + 1));
    if (entry == kCalculatorEntry) {
      command = kCalculatorCommand;
    } else if (entry == kAddAppletEntry) {
      command = kAddAppletCommand;
    } else {
      ScratchScope scope;
      command = Text(AppAddDefaultVerb(StrOf(entry), kVerbMantMain));
    }
  }
  ScratchScope scope;
  const AppCommand parsed = AppParseVerb(StrOf(command));
  const uint16_t verb = AppVerbOf(parsed.verb_and_status);
  if (options.empty() && verb != kVerbAccept) return kOk;
  switch (verb) {
    case kVerbAccept: {
      if (!Ui().field_accept) return NotInstalled(verb);
      std::string last;
      const Status s = Ui().field_accept(parsed.rest, &last);
      if (s == kOk && !last.empty()) {
        ScratchScope inner;
        ScreenFieldStore(118, field, StrUnquote(StrTrim(StrOf(last), 3)));
      }
      return s;
    }
    case kVerbHelp:
      return RunHelp(Text(parsed.rest));
    default: {
      if (!Ui().field_run_verb) return NotInstalled(verb ? verb : kVerbMantMain);
      const Status s = Ui().field_run_verb(field, StrOf(command));
      return s == kOk ? kFieldOptionRan : s;
    }
  }
}

}  // namespace eng
