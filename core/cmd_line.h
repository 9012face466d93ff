// The command line: normalised once at start and kept as string-store element
// (0, 1) (%COMMANDLINE%); options are then read by number (CmdOptionNames) or
// by name.
//
// Option syntax: "/NAME:value" or "/NAME=value"; "-" or "--" may stand for
// the slash. A name counts at the start of the line or after one of
// ": &/"; a value ends before the next of ": &/" outside quotes, or at the
// end. Quoted values may hold those characters and keep their case; bare
// values are upper-cased. An absent option reads as the empty text.
//
// On Linux the line is rebuilt from argv the way the programs expect it: the
// program's absolute path (quoted), then each argument as given, separated by
// blanks; an argument that is not an option (does not start with "/" or "-")
// and holds a blank is quoted. Options keep the quoting the user gave.
//
// Texts are returned as new scratch entries unless said otherwise.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/str_pair.h"

namespace eng {

// The options by number, 1-based: CmdOptionNames[n - 1] is option n.
inline constexpr uint16_t kCmdOptionCount = 19;
inline constexpr std::array<std::string_view, kCmdOptionCount> CmdOptionNames = {
    "?;HELP", "APNAME", "APSTART", "DPATH",  "SCRWID", "SCRHIG",   "INPUT",
    "OUTPUT", "FILE",   "INDEX",   "DEVICE", "RUN",    "MODE",     "TRACE",
    "CONFIG", "HOST",   "DATABASE", "USER",  "PASSW"};

enum CmdOptionIds : uint16_t {
  kOptHelp = 1, kOptApName, kOptApStart, kOptDPath, kOptScrWid, kOptScrHig, kOptInput,
  kOptOutput, kOptFile, kOptIndex, kOptDevice, kOptRun, kOptMode, kOptTrace,
  kOptConfig, kOptHost, kOptDatabase, kOptUser, kOptPassw
};

// Arguments 1 to count - 1 joined with single blanks; a last character with a
// code of 13 or less is dropped. (The program path, argument 0, is left out.)
StrPair CmdLineJoinArgs(int count, const char* const* args);

// The command line rebuilt from argv (see above), with `program` as its first
// word; a line longer than 65,535 bytes is (null, 146).
StrPair CmdLineRebuild(StrPair program, int count, const char* const* args);
// The absolute path of the running program: the executable the system
// reports, else argv[0] made absolute against the current folder.
StrPair CmdProgramPath(const char* argv0);
// CmdLineRebuild with CmdProgramPath(args[0]).
StrPair CmdLineFromArgv(int count, const char* const* args);

// Normalises the text (trimmed; runs of blanks outside quotes collapsed to
// one; " --" and then " -" outside quotes become " /") and stores it as
// (0, 1). The status of the store (159 when it does not fit).
Status CmdLineStore(StrPair text);
// The stored command line: a view into the string store, valid until the
// store next changes.
StrPair CmdLineGet();

// Item n of CmdOptionNames; empty for 0 and beyond 19. A view of a constant.
StrPair CmdOptionName(uint16_t n);
// The option's value, trimmed, unquoted, upper-cased when it was bare; when
// that is empty, looked up again with the name in the other case (lower case
// when its first character has a code of 96 or less, else upper case).
StrPair CmdValueByName(StrPair name);
// CmdValueByName of option n's name; for option 1 an option present with an
// empty value reads as "YES".
StrPair CmdOption(uint16_t n);
// The 1-based position of option n's value among the items of a comma list;
// 0 when the option is absent or its value is not in the list.
uint16_t CmdOptionIn(uint16_t n, StrPair list);

// Whether the arguments (argument 0, the program, left out) ask for the
// usage before anything starts: an argument that is the HELP option, "/",
// "-" or "--" followed by "?", "HELP" or option 1's whole name (any letter
// case), alone or with ":" or "=" and a value other than NO.
bool CmdHelpAsked(int count, const char* const* args);

}  // namespace eng
