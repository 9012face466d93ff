// Transaction parameters and modes. A transaction is described by a name, a
// mode word and a block of named parameters kept in string list 10: element
// 0 the name, elements 1-23 the values of kTransParmNames in that order. The
// block is emptied when a run ends.
//
// Parameters are found in the parameter string in effect: first as
// "<name's file name with extension>.<key>", then as the key alone
// (TransParmLookup). TransParmsLoad fills the block from 23 down to 1; an
// element already set stays. Outside batch mode ACBOUND$ defaults to
// "1{},1{}"; UNICCRI$ (at least 1), FLDELIM$ ("," when empty or failing)
// and BUFFSIZE (16384 as the export buffer when 0) take their defaults
// where they are used.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

enum TransModeBit : uint16_t {
  kTransImport = 0x0001,
  kTransUpdate = 0x0002,
  kTransExternFile = 0x0004,
  kTransDeleting = 0x0008,
  kTransStream = 0x0010,
  kTransDelimited = 0x0020,
  kTransAppend = 0x0040,
  kTransIndexChk = 0x0080,
  kTransBatch = 0x0100,
  kTransOverwrite = 0x0200,
  kTransRelReset = 0x0400,
  kTransExternIndexed = 0x0800,
  kTransIsSql = 0x1000,
  kTransUsrUpdate = 0x2000,
  kTransHumanRead = 0x4000,
  kTransCp850 = 0x8000,
};

// The words naming bits 0x0001 to 0x4000, in bit order.
inline constexpr std::string_view kTransModeWords =
    "IMPORT,UPDATE,EXTERNFILE,DELETING,STREAM,DELIMITED,APPEND,INDEXCHK,BATCHMODE,OVERWRITE,RELATIONAL_RESET,"
    "EXTERN_INDEXED,IS_SQL,USR_UPDATE,HUMAN_READ";

inline constexpr std::string_view kTransParmNames =
    "FILE,BUFFSIZE,SET$,MERGE$,COND$,UNICKEY$,UNICCRI$,STRUCT$,RESETS$,INICS$,FINS$,RSTCRIS$,FLDELIM$,RCDELIM$,"
    "WREXP$,TRIGGER$,ACBOUND$,ACCONFIRM$,HEADER$,SQLTABLE$,TARPATH$,LIMITS$,INDEX$";

enum TransParmId : uint16_t {
  kTpFile = 1, kTpBuffSize, kTpSet, kTpMerge, kTpCond, kTpUnicKey, kTpUnicCri, kTpStruct, kTpResets, kTpInics,
  kTpFins, kTpRstCris, kTpFlDelim, kTpRcDelim, kTpWrExp, kTpTrigger, kTpAcBound, kTpAcConfirm, kTpHeader,
  kTpSqlTable, kTpTarPath, kTpLimits, kTpIndex,
};
inline constexpr uint16_t kTransParmCount = 23;
inline constexpr uint32_t kTransExportBuffer = 16384;

// The modes the menu and the statements use.
inline constexpr uint16_t kTransModeExportStatement = 260;  // EXTERNFILE + BATCHMODE
inline constexpr uint16_t kTransModeImportStatement = 261;  // IMPORT + EXTERNFILE + BATCHMODE

// Element n of the block (0 the name).
std::string TransParm(uint16_t n);
Status TransParmSet(uint16_t n, std::string_view value);
void TransParmsClear();
// The name of parameter n (1-23); empty otherwise.
std::string_view TransParmName(uint16_t n);

std::string TransParmLookup(std::string_view name, std::string_view key);
// For each mode word whose bit is not known, a looked-up value of 1 adds the bit.
uint16_t TransModeBits(std::string_view name, uint16_t known, uint16_t mode);
Status TransParmsLoad(std::string_view name, uint16_t mode);

// INDEX$ evaluated; when 0 in batch mode the first date key; at least 1.
uint16_t TransIndexNumber(uint16_t file, uint16_t mode);
// The items of LIMITS$ evaluated, each quoted, joined with ",".
std::string TransDefaultBounds();
// FLDELIM$ evaluated; "," when empty or failing.
std::string TransDelimiter();
// The external record length: 0 for one line (STREAM); else BUFFSIZE when
// set; else the sum of the STRUCT$ widths; else the record length.
uint32_t TransRecordLength(uint16_t file, uint16_t mode);
// Stream open flags: imports read only without creating; exports append
// with APPEND, else write from empty.
uint16_t TransStreamMode(uint16_t mode);

// True when the mode walks the target's records (low four bits 1, 3, 4, 8, 12).
bool TransModeWalks(uint16_t mode);
inline bool TransIsImport(uint16_t mode) {
  return (mode & (kTransImport | kTransExternFile)) == (kTransImport | kTransExternFile);
}
inline bool TransIsExport(uint16_t mode) { return (mode & (kTransImport | kTransExternFile)) == kTransExternFile; }

// Texts shared by the transaction steps: a catalogue message; a format with
// each "%s" replaced by the next argument; a value trimmed of blanks with one
// pair of quotes around it removed.
std::string TransMessage(const char* number);
std::string TransFill(std::string_view format, std::initializer_list<std::string> args);
std::string TransUnquote(std::string_view value);

}  // namespace eng
