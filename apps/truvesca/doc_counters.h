// Document counters: the procedure function AUTONUM over the counters file
// "%APPPATH_DATA%\%APNAME%COUNT.DAT" (only its name, in the current folder,
// while the program variable CCO is 0 or does not exist).
//
// File layout: bytes 0-4093 the names page (the counter keys as a comma list,
// padded with blanks), CR LF, then from 4096 one 8-byte slot per key in list
// order (the value right-aligned, blank-padded); the file grows in blocks of
// 4094 blanks and CR LF until it covers the slot written. A key is the
// current data file's name, "_" and the trimmed counter name.
//
//   AUTONUM (name) -> the stored value + 1 (1 for a new counter); nothing
//     is written.
//   AUTONUM (name, value) -> status: stores the integer part of the value
//     (0 acts as the one-argument form); a new key is added to the page.
//     168: the page would pass 4094 characters, or the value is negative or
//     has more than 8 digits. 131: the file could not be written.
//   Both: 163 for an empty counter name or one holding ","; 147 for the
//     wrong argument count or types.
//
// Two programs numbering from one file: every store runs under an exclusive
// lock (the file's name + ".LCK", waited for up to about 5 seconds, else 166)
// around reading the file, changing it and writing it anew (a new file
// renamed over the old, so a reader sees the old file or the new one whole).
// A store of a counter that this program read is refused with 183, nothing
// written, when the counter has changed since that read: another program has
// taken that number, and reading again gives the next free one. A store of a
// counter this program did not read sets it as given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"

namespace eng::truvesca {

inline constexpr size_t kAutoNumPage = 4094;
inline constexpr size_t kAutoNumBlock = 4096;
inline constexpr size_t kAutoNumSlot = 8;
inline constexpr int64_t kAutoNumMax = 99'999'999;

// The counters file's path.
std::string AutoNumFile();
// The key of a counter name; 163 for an empty name or one holding ",".
Status AutoNumKey(std::string_view name, std::string* key);
// The names page of file bytes (its first 4094 bytes, trailing blanks removed).
std::string_view AutoNumNames(std::string_view file);
// The slot offset of a key in a names page; 0 when absent.
size_t AutoNumOffset(std::string_view names, std::string_view key);

// The next value of a counter (stored value + 1).
Status AutoNumNext(std::string_view name, int64_t* next);
Status AutoNumStore(std::string_view name, int64_t value);

// Forgets which counters this program has read (the program's numbering state).
void AutoNumReset();

// Registers AUTONUM among the application functions.
Status AutoNumRegister();

}  // namespace eng::truvesca
