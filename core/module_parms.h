// Module parameters: while a definition (menu, window, report, accept form,
// transaction) is in effect, its items, each NAME:=value, form one parameter
// string on the parameter stack (list 31), joined by ":"; the top element is
// the definition in effect. Every subsystem reads parameters by number
// through ParmNameTable.
//
// Parameter contexts: when _AUX is not 0, item _AUX of the ","-list of
// context names (list 9 element 8) and "." go in front of every parameter
// name, so that a parameter may be written per event or step
// ("LOAD.PRCNAME$:=..."). Reading looks up the context form first and, when
// the parameter string does not hold it, the plain name. An empty context
// name selects no context.
//
// Values come back normalised (StrKeyGet: trimmed, unquoted, a bare value
// upper-cased) as the newest scratch entry; an absent parameter is empty.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

// The parameter numbers: n belongs to the first base at or below it and is
// item n - base of that base's ","-list; a number without an item has an
// empty name.
struct ParmNameBase {
  uint16_t base;
  std::string_view names;
};

inline constexpr std::array<ParmNameBase, 7> ParmNameTable = {{
    {100,
     "ACCEPT_PRC%,WINNAME$,PROG_MODE$,PARM_FILE$,PARM_FILE_WRITE$,SOURCEFILE%,IMP_MODE%,RD_EXP$,WR_EXP$,"
     "EOT_EXP$,RD_COND$,TARGET$,LOAD_IMPORT$,MNU_IMPORT$,AUTO_IMPORT$,STRUCT$"},
    {90, "DEVICE$,DOCNAME$,ACBOUND$,INDEX%,LIMITS$,AUXLOAD$,RESET$,STEPS$,PRCNAME$"},
    {70, "ATEND$,BRKEND$,BREAK$,COND$,MAXLINE%,LINESTEP%,TOTALBASE%,CONTINUE%,EXTRASTEP%,TITLE$,WD"},
    {50,
     "FD$,ALARM$,ASSIGN$,LNASSIGN$,FILEDEF$,PERFORM$,UPDFIELDS$,WIDTHS$,TYPES$,WINDOWS$,CLEAR$,ON_CONFIRM$,"
     "ON_CANCEL$,USR_COND$,IK$(1),IK$(2),IK$(3)"},
    {30,
     "NUMCAB$,WRITECAB0$,WRITECABS$,WRITELINS$,FITCLC$,FTCLC$,READCABS$,READLINS$,LNINS$,LNDEL$,ALARMLINS$,"
     "BOUNDS$,DOCTYPETXT$,MODE$,FASTFIND$,FLDUPDATE$,BEGINFLD%,MAXLIN%"},
    {10,
     "SCREENSIZE$,SET$,OPEN$,EDIT$,NOEDIT$,WRITE$,DOC$,DOCSETS$,HELP$,SAVED$,HIDDEN$,RELOPT%,UNICNDX%,"
     "AUTONDX%,KEYMAP%,SCANDEF$,SCANWIN$,SCANSET$,VOIDMODE%"},
    {0, "MODULES$,MENU$,CALLER$,SUBMENU$,LOAD$,EXEC$,COUNTER$,MAX_IDS_ATTR%,STATMSG$"},
}};

enum ParmId : uint16_t {
  kParmModules = 1, kParmMenu, kParmCaller, kParmSubmenu, kParmLoad, kParmExec, kParmCounter,
  kParmMaxIdsAttr, kParmStatMsg,
  kParmScreenSize = 11, kParmSet, kParmOpen, kParmEdit, kParmNoEdit, kParmWrite, kParmDoc, kParmDocSets,
  kParmHelp, kParmSaved, kParmHidden, kParmRelOpt, kParmUnicNdx, kParmAutoNdx, kParmKeyMap, kParmScanDef,
  kParmScanWin, kParmScanSet, kParmVoidMode,
  kParmNumCab = 31, kParmWriteCab0, kParmWriteCabs, kParmWriteLins, kParmFitClc, kParmFtClc, kParmReadCabs,
  kParmReadLins, kParmLnIns, kParmLnDel, kParmAlarmLins, kParmBounds, kParmDocTypeTxt, kParmMode,
  kParmFastFind, kParmFldUpdate, kParmBeginFld, kParmMaxLin,
  kParmFd = 51, kParmAlarm, kParmAssign, kParmLnAssign, kParmFileDef, kParmPerform, kParmUpdFields,
  kParmWidths, kParmTypes, kParmWindows, kParmClear, kParmOnConfirm, kParmOnCancel, kParmUsrCond,
  kParmIk1, kParmIk2, kParmIk3,
  kParmAtEnd = 71, kParmBrkEnd, kParmBreak, kParmCond, kParmMaxLine, kParmLineStep, kParmTotalBase,
  kParmContinue, kParmExtraStep, kParmTitle, kParmWd,
  kParmDevice = 91, kParmDocName, kParmAcBound, kParmIndex, kParmLimits, kParmAuxLoad, kParmReset,
  kParmSteps, kParmPrcName,
  kParmAcceptPrc = 101, kParmWinName, kParmProgMode, kParmParmFile, kParmParmFileWrite, kParmSourceFile,
  kParmImpMode, kParmRdExp, kParmWrExp, kParmEotExp, kParmRdCond, kParmTarget, kParmLoadImport,
  kParmMnuImport, kParmAutoImport, kParmStruct,
};

// The plain name of parameter n (no context); empty for a number without one.
std::string_view ParmBaseName(uint16_t n);
// The name of the context in effect; empty when _AUX is 0 or names no item.
StrPair ParmContextName();

// The parameter's name with its context prefix; the newest scratch entry.
StrPair ParmName(uint16_t n);

// Reads the definition's lines and pushes them, joined by ":" (or the given
// separator), as one parameter string on the parameter stack. 0; 65535 when
// no line was read; 146 when the joined text is too long; the store's status
// when the push fails. Nothing is pushed unless the result is 0.
Status ParmPushDef(StrPair file, uint16_t format, int32_t key);
Status ParmPushDefJoined(StrPair file, uint16_t format, int32_t key, StrPair separator);
// The same, but an empty parameter string is pushed when the definition
// could not be pushed, so that a later ParmPop stays balanced; the status
// says which happened.
Status ParmPushDefOrEmpty(StrPair file, uint16_t format, int32_t key);
// Pops the parameter stack (nothing happens when it is empty).
Status ParmPop();

// The value of parameter n, or of the item with that name, in the parameter
// string in effect: the context form first, then the plain name.
StrPair ParmGet(uint16_t n);
StrPair ParmGetByName(StrPair name);

// A saved context: two bytes holding _AUX (low byte first) followed by the
// context-name list; the newest scratch entry.
StrPair ParmCtxSave();
// Restores a saved context; 163 for a text shorter than two bytes.
Status ParmCtxRestore(StrPair saved);
// Sets _AUX to n (unless n is 65535) and, when names is not empty, the
// context-name list.
Status ParmCtxSet(uint16_t n, StrPair names);

}  // namespace eng
