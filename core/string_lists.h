// The shared elements and lists of the string store, by number. Procedures
// reach the same numbers through the built-in functions, so they are fixed.
#pragma once

#include <cstdint>

namespace eng::sl {

// List 0: the engine's shared string settings.
inline constexpr uint16_t kSettings = 0;
inline constexpr uint16_t kLocaleText = 0;       // (0, 0) the locale text
inline constexpr uint16_t kCommandLine = 1;      // (0, 1) %COMMANDLINE%
inline constexpr uint16_t kIdentity = 2;         // (0, 2) "PLMRQV13:Norvique" (%APNAME%)
inline constexpr uint16_t kTitle = 3;            // (0, 3) %APDESCRIP%
inline constexpr uint16_t kLanguage = 4;         // (0, 4) "EN,ES,FR,DE,IT"
inline constexpr uint16_t kAppFolder = 5;        // (0, 5) %DATAPATH%
inline constexpr uint16_t kDocsFolder = 6;       // (0, 6) %HELPPATH%
inline constexpr uint16_t kHelpFolder = 7;       // (0, 7)
inline constexpr uint16_t kBuiltinNames = 8;     // (0, 8) built-in function names, NUL-separated
inline constexpr uint16_t kButtonCaptions = 9;   // (0, 9)
inline constexpr uint16_t kDigitGroups = 10;     // (0, 10)
inline constexpr uint16_t kDatabaseLogin = 11;   // (0, 11) host, database, user, password

inline constexpr uint16_t kFileNames = 1;        // (1, 2 per file) file name and second text
inline constexpr uint16_t kFieldNames = 3;
inline constexpr uint16_t kKeyTexts = 4;
inline constexpr uint16_t kMenuCommands = 5;     // by menu item id - 1500
inline constexpr uint16_t kRecordBuffers = 6;
inline constexpr uint16_t kRelUpdateRules = 7;
inline constexpr uint16_t kReportLines = 8;

// List 9: shared working texts.
inline constexpr uint16_t kWork = 9;
inline constexpr uint16_t kPrinterCodes = 0;     // (9, 0)
inline constexpr uint16_t kAcceptCondition = 1;  // (9, 1)
inline constexpr uint16_t kCatalogText = 2;      // (9, 2)
inline constexpr uint16_t kPdfHeaderImage = 3;   // (9, 3)
inline constexpr uint16_t kDeviceSpec = 5;       // (9, 5)
inline constexpr uint16_t kFastFindText = 6;     // (9, 6)
inline constexpr uint16_t kFastFindList = 7;     // (9, 7)
inline constexpr uint16_t kDialogValues = 7;     // (9, 7) the last accepted form's values (.dialog)
inline constexpr uint16_t kParmContexts = 8;     // (9, 8)
inline constexpr uint16_t kIncident = 9;         // (9, 9)
inline constexpr uint16_t kLogPath = 10;         // (9, 10)
inline constexpr uint16_t kFileRelKey = 11;      // (9, 11)

inline constexpr uint16_t kTransParms = 10;
inline constexpr uint16_t kVarNames = 12;        // 0 integer, 1 number, 2 text, 3 array
inline constexpr uint16_t kTextVarValues = 13;
inline constexpr uint16_t kReturnBuffer = 30;
inline constexpr uint16_t kModuleParms = 31;
inline constexpr uint16_t kPendingAccept = 32;
inline constexpr uint16_t kOpenStates = 33;
inline constexpr uint16_t kScreens = 34;
inline constexpr uint16_t kProcArgs = 35;
inline constexpr uint16_t kLineQueue = 37;
inline constexpr uint16_t kMenuLevels = 38;

}  // namespace eng::sl
