// Statuses: the 16-bit result of almost every operation.
//   0        success
//   1-120    informational results (end of data, a count); never recorded
//   121      a message given as detail text (the incident text is its name)
//   122-127  failures that are warnings; never recorded
//   128-185  errors; the first one is recorded in the error register
// 0xFFFF is the failure value of the lowest layers (a file that does not open)
// and also "not found" for searches that return a position.
#pragma once

#include <cstdint>

namespace eng {

using Status = uint16_t;

inline constexpr Status kOk = 0;
inline constexpr uint16_t kNotFound = 0xFFFF;
inline constexpr Status kStLowFailure = 0xFFFF;

// Informational results that several subsystems share.
inline constexpr Status kStEndOfData = 2;
inline constexpr Status kStDuplicate = 5;

inline constexpr Status kStDetailText = 121;

// Named failures 122-185, in the order of the status-name table.
enum : Status {
  kStCancelled = 122,       // "Cancelado por el usuario"
  kStNullExpression = 123,  // "Expresion Nula"
  kStUndefinedWarning = 124,
  kStAtypical = 125,
  kStBadData = 126,         // "Datos incorrectos"
  kStNoData = 127,          // "No hay datos"
  kStIncompatibleTypes = 128,
  kStLoopFailure = 129,
  kStDiskIo = 130,
  kStFileIo = 131,
  kStProcedureRun = 132,
  kStProcStack = 133,
  kStTransUpdate = 134,
  kStVarHandle = 135,
  kStRead = 136,
  kStWrite = 137,
  kStOpen = 138,
  kStNetwork = 139,
  kStBadExpression = 140,
  kStInternal = 141,
  kStFarHeapInit = 142,
  kStScreenEnv = 143,
  kStIndexCmd = 144,
  kStOutOfMemory = 145,
  kStStringTooLong = 146,
  kStSyntax = 147,          // syntax error, or no handler serves a keyword
  kStNotAvailable = 148,    // feature not available; "use the default"
  kStDimStruct = 149,
  kStBadStringType = 150,
  kStBadFileNumber = 151,
  kStFormatFailure = 152,
  kStStrConcat = 153,
  kStMemoryAlloc = 154,
  kStExpCalc = 155,
  kStLoadStr = 156,
  kStVarName = 157,
  kStBadCommandLine = 158,
  kStStrOutBound = 159,
  kStMemTest = 160,
  kStFileOutBound = 161,
  kStSql = 162,
  kStDataError = 163,       // "de Datos"
  kStFileNotFound = 164,
  kStFileExists = 165,
  kStFileOpening = 166,
  kStChildExec = 167,
  kStDataOutBound = 168,
  kStFileNotInit = 169,
  kStCommonCtl = 170,
  kStDeviceTimeout = 171,
  kStDeviceIo = 172,
  kStSystemCmd = 173,
  kStUserCheck = 174,
  kStPermission = 175,
  kStStructMem = 176,
  kStScreenStruct = 177,
  kStMemoryLeaks = 178,
  kStWindowsControl = 179,
  kStMemoryOverflow = 180,
  kStScreenFieldVar = 181,
  kStDataExists = 183,
  kStGraphics = 185,
};

inline constexpr Status kStFirstWarning = 122;
inline constexpr Status kStFirstError = 128;
inline constexpr Status kStLastNamed = 185;

constexpr bool StatusIsInfo(Status s) { return s >= 1 && s <= 120; }
constexpr bool StatusIsWarning(Status s) { return s >= kStFirstWarning && s < kStFirstError; }
constexpr bool StatusIsError(Status s) { return s >= kStFirstError; }

// Module numbers: the names of the error register's module half, from 1.
enum Module : uint16_t {
  kModNone = 0,
  kModStringInit = 1,
  kModStringAssign = 2,
  kModStrConcat = 3,
  kModVarNameAssign = 4,
  kModSqlConnect = 5,
  kModSqlExec = 6,
  kModExecCompiler = 7,
  kModMemAcums = 8,
  kModExecRunTime = 9,
  kModVarStruct = 10,
  kModExpExec = 11,
  kModSort = 12,
  kModBufferFld = 13,
  kModDynStrings = 14,
  kModStructFuncs = 15,
  kModFormatStrings = 16,
  kModStreams = 17,
  kModDataFile = 18,
  kModLocalLists = 19,
  kModScreens = 20,
  kModDevices = 21,
  kModHtmlScan = 22,
};

}  // namespace eng
