// Names of statuses and modules, and the text of an error as a user sees it.
//   - ErrCodeNames: a comma list; status 122 + i is item i + 1. An empty or
//     missing item, and status 121, read as "Indefinido".
//   - ErrModuleNames: module number m is item m of a comma list (from 1).
//   - ErrName: -1 the recorded code ("Indefinido" when none is recorded);
//     0 message 0005; 1-120 message 0008 ("Precaución "); 121 and 126 the
//     incident text when it is not empty, else the status name; every other
//     code its status name. Status names come from the application's
//     status-name function when one is installed (AppCallErrorName), else
//     from ErrCodeNames.
//   - ErrText: below 128 the name alone; from 128 message 0009 ("Error "),
//     the name, the recorded module's name in parentheses (no blank before
//     it) when a module is recorded, and ": " with the incident text when
//     there is one. Texts are put together, never run as formats.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

extern const char* const kErrCodeNames;    // code page 1252
extern const char* const kErrModuleNames;
inline constexpr const char* kErrUndefined = "Indefinido";

// The status name from ErrCodeNames (static text).
StrPair ErrCodeName(Status code);
// The module name from ErrModuleNames; "" for 0 and unknown numbers (static text).
StrPair ErrModuleName(uint16_t module);
// A new scratch entry (or a failure pair when the arena is full).
StrPair ErrName(int code);
StrPair ErrText(Status code);

}  // namespace eng
