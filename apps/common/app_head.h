// What the heads of the two programs have in common: the entry sequence, the
// loading half of phase 2, the session check before every command, and the
// six application functions the engine calls by name (core/hooks.h).
//
// A program describes itself once (AppHeadDesc: identity, title, start menu,
// callbacks, application functions); AppHeadMain then runs, in order (after
// the HELP option, which prints the usage and ends with 0 before anything
// starts): MemSetLimits (512, unchanged), the action callback, the 80 x 24 grid with
// margins 0, the display font, the message-box service, the application
// functions, AppStartArgv (identity, title, flags 2, phase callback: a
// non-zero status is the exit code at once), AppStartMenuName (menu),
// AppRunMenu, SessionStateCheck (0) (result unused) and AppShutdown.
//
// Application functions shared by both programs:
//   AppHeadMenuCommand  always 148: the engine runs every menu command.
//   AppHeadTaskClose    incident text "TaskClose", 148.
//   AppHeadTaskLowLevel incident text "TaskLowLevel", 148.
//   AppHeadErrorName    item (status - 121) of ErrCodeNames, "Indefinido"
//                       when empty or missing.
//   AppHeadDefaultLanguage  writes "ES" (item 2 of "EN,ES,FR,DE,IT") into
//                       string element (0, 4); the status of the write.
//   AppHeadMessageText  number text -> text, through the table its number
//                       falls in (compared as four-character texts): above
//                       "0999" the application's own table, from "0089" the
//                       engine table beginning at 0089, below "0040" the
//                       engine table of 0001-0039, else the one from 0040.
//                       The table is searched by entry number only (a text
//                       that happens to hold the digits is never taken for
//                       the entry); a number without an entry, or a text that
//                       is not four digits, gives the empty text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/app_state.h"
#include "core/engine_messages.h"
#include "core/hooks.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng::apphead {

// The constants every head shares.
inline constexpr uint16_t kArenaKb = 512;
inline constexpr uint16_t kGridColumns = 80;
inline constexpr uint16_t kGridRows = 24;
inline constexpr uint8_t kStartFlags = 2;  // load the data dictionary
inline constexpr const char* kFontFace = "Lucida Console";
inline constexpr uint16_t kFontHeight = 24;
inline constexpr uint16_t kFontWidth = 12;
inline constexpr uint16_t kFontWeight = 400;

struct AppHeadDesc {
  const char* identity;  // product code ":" family
  const char* title;
  const char* menu;      // the start menu
  AppPhaseCallback phase;
  AppActionCallback action;
  AppFunctions functions;
};

// The entry point of a program; the process exit code: the start's status
// when it failed, else the shut-down's (an error), else the run's status
// (non-zero when its command stopped before its end); a status above 255 is
// reported as 255, so that a failure never reads as success. Message boxes
// are written to standard error under the name the program was started as.
int AppHeadMain(const AppHeadDesc& head, int argc, const char* const* argv);

// The loading steps of phase 2 after the module's registrations, each only
// while the status is 0: the help folder ("Help" in the application folders),
// the configuration files (kAppConfigFiles), "RLV=1", SessionStateCheck (1).
Status AppHeadPhaseLoad();

// The first step of every command: SessionStateCheck (2); non-zero means the
// command must not run.
Status AppHeadCommandCheck();

Status AppHeadMenuCommand(StrPair command);
Status AppHeadTaskClose();
Status AppHeadTaskLowLevel();
StrPair AppHeadErrorName(Status status);
Status AppHeadDefaultLanguage();
// The six application functions of a program: the five that both programs
// share, with the program's own message look-up.
AppFunctions AppHeadFunctions(StrPair (*message_text)(StrPair number));
// `table` is the application's own message table (MsgTable of the program).
StrPair AppHeadMessageText(const MsgTable& table, StrPair number);
// The data-file number at a position of a program's module-file table; 0 (no
// file) for a position outside it.
uint16_t AppHeadModuleFile(std::span<const uint8_t> files, int position);

}  // namespace eng::apphead
