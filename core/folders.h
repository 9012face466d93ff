// Folders, paths and the percent-sign folder macros.
//
// The application folders come from string-store list 0: element 5 the
// application folder (list), 6 the documents folder, 7 the help folder, 11 the
// database values (host, database name, user, password as a ","-list).
// Folder kinds (AppPathKind), by macro name:
//   1 APPPATH_RUNPATH  the program folder (folder of the command line's first word)
//   2 APPPATH_DEFAULT  element 5
//   3 APPPATH_DATA     "..\data" against the documents folder (against element 5
//                      when the program lies on drive F or later)
//   4 APPPATH_DOCS     element 6, or the current folder when it is empty
//   5 APPPATH_HELP     element 7, or "Help" against element 5 when it is empty
//   6 APPPATH_BACKUP   "Backups" against element 6
//   7 APPPATH_BACKREL  current folder / "Backups" / database host / database name
//
// Paths: "\" and "/" both separate folders; the functions here join with "/"
// (the path resolver of the file layer takes either). A drive is a letter and
// ":" at the start of a path.
//
// Macros: AppPathKinds expands folder kinds and ten environment names (any
// letter case) everywhere, quotes included; any other name is handed to
// EnvKeyNames, which expands the engine's settings outside quotes and empties
// every name it does not know. Each name is expanded once per call: a segment
// left unexpanded (inside quotes, or met again through a value holding its
// own name) stays as it stands and the scan goes on after it, so expansion
// always ends. Values put in are scanned for further macros.
//
// Texts are returned as new scratch entries (or failure pairs: 146 when a
// text would exceed 65,535 bytes).
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

enum AppPathKind : int {
  kPathRunPath = 1,
  kPathDefault = 2,
  kPathData = 3,
  kPathDocs = 4,
  kPathHelp = 5,
  kPathBackup = 6,
  kPathBackRel = 7,
};

// The two-letter application prefix: the first two characters of the first
// ":"-item of the identity (0, 2).
StrPair AppPrefix();

StrPair AppPathKinds(StrPair text);
StrPair EnvKeyNames(StrPair text);

// The folder of a kind; the empty text for any other kind.
StrPair PathFolder(int kind);
// PathJoin of the folder of a kind and the name.
StrPair PathFolderFile(StrPair name, int kind);
// The first word of the command line, trimmed and unquoted (flag 1: the
// second word, empty when it begins with "/"); flag 2: its drive and folder.
StrPair PathProgram(int flags);
// The first existing file of: the name as given, the name joined to each
// folder of the ","-list in order. Empty when none exists.
StrPair PathFindFile(StrPair folders, StrPair name);
// first + "/" + second, with every "\" turned into "/"; no separator is added
// when either is empty or one already stands at the seam, and of two at the
// seam one is dropped.
StrPair PathJoin(StrPair first, StrPair second);
// The parts of a path selected by bits: 1 the drive ("X:"), 2 the folder
// (between the drive and the last separator; "/" for a file in the root),
// 4 the file name without extension ("/" in front when parts before it are
// selected and do not end in ":" or a separator), 8 the extension with its
// "." (only when the last "." follows the last separator).
StrPair PathSplit(StrPair path, int parts);
// name + "." + extension.
StrPair PathAddExt(StrPair name, StrPair extension);
// Item n of ",FD,DIR,NDX,TMP,TXT" (1 none ... 6 "TXT"); with 128 added to n,
// lower-cased. Empty for any other n.
StrPair PathKindExt(int n);
// Every "\" turned into "/".
StrPair PathSlashes(StrPair path);
// Each leading "..\" (or "../") of the relative path takes the last folder
// off the base (never past a drive or the root); then the two are joined and
// every "/./" becomes "/".
StrPair PathFoldDots(StrPair base, StrPair relative);
// Creates the folder and every missing parent. 0; 163 (the path as incident
// text) when the path has no folder separator; 0xFFFF when a folder cannot be
// made.
Status PathMakeDirs(StrPair path);
// A fresh name, absent when returned, in the folder of the TEMP environment
// variable: the folder joined with the prefix and a random part.
StrPair PathTempFile(StrPair prefix);
// True when the program folder's drive letter is F or later (never for a
// Linux path, which has no drive).
bool PathOnHighDrive();

// The menu the run starts with: a non-empty name unchanged; for an empty one
// the APSTART option (normalised), else the prefix followed by "MENU", kept
// only when its first ","-item exists in the application folders (element 5)
// as a "PMT" file, or else as a "PPN" file; otherwise empty.
StrPair AppStartMenuName(StrPair name);

// The help folder, element 7: the pattern with "%s" filled by the language
// code (0, 4) in lower case. The status of the store.
Status HelpSetFolder(StrPair pattern);

}  // namespace eng
