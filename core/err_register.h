// The error register: the first error (status 128 or above) of a run with the
// number of the module that met it, and the incident text, a free detail text
// kept in string-list element (9, 9) that accumulates until a message box
// shows it.
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr size_t kIncidentLimit = 1024;

struct ErrRegister {
  Status code = 0;
  uint16_t module = 0;
};

// Mode 0 does nothing and returns 0. Mode 1 records (code, module) when no
// code is recorded yet and the code is 128 or more; mode 2 records whatever
// it is given ((0, 0) clears). Both return `result`.
Status ErrSetLast(int mode, uint16_t module, Status code, Status result);
// The register as one value: the code in the low half, the module in the high.
uint32_t ErrGetLast();
inline Status ErrLastCode() { return static_cast<Status>(ErrGetLast() & 0xFFFF); }
inline uint16_t ErrLastModule() { return static_cast<uint16_t>(ErrGetLast() >> 16); }
// ErrSetLast with the code as result; a non-zero answer gives (null, code),
// otherwise the pair is passed on unchanged.
StrPair ErrSetLastPair(int mode, uint16_t module, Status code, StrPair pair);
// Records an error under its module (mode 1) and returns the code.
inline Status ErrRecord(uint16_t module, Status code) { return ErrSetLast(1, module, code, code); }

// Sets the incident text, or appends it after CR LF. Before an append a text
// longer than 1024 bytes loses its newest lines (cut before its last CR);
// one that holds no CR is cut to its first 1024 bytes. Returns `result`.
Status ErrIncident(Status result, StrPair text, bool append);
StrPair ErrIncidentText();

}  // namespace eng
