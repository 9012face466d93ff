// Operating-system services: environment, current folder, folder listings,
// file probes, temporary names, folder creation, and times of day in
// milliseconds since local midnight with their text forms. Every name goes
// through the path resolver; nothing here records an error.
//   - Environment names: the exact name, else its one case-insensitive
//     match; the Windows names TEMP, USERPROFILE, HOMEPATH, APPDATA and
//     SystemRoot fall back to their Linux counterparts when unset.
//   - Listings match "*" and "?" case-insensitively ("*.*" also matches names
//     without a dot), leave out "." and "..", and are sorted bytewise.
//   - Temporary names are random names absent from the folder where they
//     will be used; an existing file is never deleted for one.
//   - Waits sleep and elapsed times use the monotonic clock (core/clock.h).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "core/str_pair.h"

namespace eng {

inline constexpr size_t kSysDirMax = 384;
inline constexpr int64_t kMsPerDay = 86'400'000;

// File attribute bits of a probe record.
enum SysAttr : uint16_t { kAttrReadOnly = 0x01, kAttrFolder = 0x10, kAttrArchive = 0x20 };

struct SysFindRecord {
  uint16_t attr = 0;
  std::time_t created = 0;  // the birth time where the file system keeps it, else the last write
  std::time_t accessed = 0;
  std::time_t written = 0;
  uint16_t accessed_ms = 0;  // the milliseconds within the second of the access time
  uint16_t written_ms = 0;   // and of the last write, so that writes within one second differ
  uint64_t size = 0;
  std::string name;  // the name on disk, without folder
};

struct SysState {
  uint64_t clock_mark = 0;  // SysClockElapsedMs
};

// Texts are returned as new scratch entries.
StrPair SysGetEnv(StrPair name);
Status SysChangeDir(StrPair folder);  // 0 or 0xFFFF
StrPair SysCurrentDir();              // "" on failure or beyond 384 characters
// The matching names, a NUL after each but the last; (null, 164) when none match.
StrPair SysDirList(StrPair pattern);
Status SysFileFind(StrPair name, SysFindRecord* out);  // 0 or 164
uint64_t SysFileSize(StrPair name);                    // 0 when absent
uint16_t SysFileAttr(StrPair name);                    // the attributes, or 164 when absent
// which: 0 creation, 1 access, 2 last write; mode 0 ms since local midnight,
// 1 the date as year x 10000 + month x 100 + day; 0 when absent or another mode.
uint32_t SysFileTime(StrPair name, int which, int mode);
// A random name without folder or ".", absent from `folder` (empty: the current folder).
StrPair SysTempName(StrPair folder = StrPair{});
// SysTempName + "." + extension, absent from `folder`.
StrPair SysTempFileName(StrPair extension, StrPair folder = StrPair{});
Status SysMakeDir(StrPair folder);  // 0 or 0xFFFF

void SysWaitMs(uint32_t ms);
int64_t SysElapsedMs(int64_t start, int64_t end);
// Milliseconds of the monotonic clock since the mark; flag 1 sets the mark first.
int64_t SysClockElapsedMs(int flag);
int64_t SysTimeOfDayMs();
int64_t SysTimeToDayMs(std::time_t t);
int64_t SysTimeParse(StrPair text);
// Flags: 1 ":" between the parts, 2 the seconds, 4 (with 2) "." and milliseconds.
StrPair SysTimeFormat(int64_t ms, int flags);

// The wildcard rule of listings, for callers that match names themselves.
bool SysWildMatch(std::string_view pattern, std::string_view name);

}  // namespace eng
