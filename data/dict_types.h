// The data dictionary's records and numbers. Files are numbered 1-30 in the
// order of their definition; fields and keys of all files stand together in
// global tables, file by file:
//   object table 0  DictFileDesc   element = file number - 1
//   object table 1  DictFieldDesc  at the global field index
//   object table 2  DictKeyDesc    at the global key index (its part count)
//   object table 3  DictKeyRanges   at the global key index (its byte ranges)
//   string list 1   file names (lower-cased unless _AUXSTAT bit 8)
//   string list 2   file folders
//   string list 3   field names at the global field index (case kept)
//   string list 4   relation texts, element = file number - 1
//   string list 6   record buffers, element = file number - 1
// Procedures reach the same numbers through the string-list functions.
#pragma once

#include <array>
#include <cstdint>

namespace eng {

inline constexpr uint16_t kDictMaxFiles = 30;
inline constexpr uint16_t kDictMaxKeyParts = 5;
inline constexpr uint16_t kDictAnyField = 0xFFFF;
// The longest record: its buffer (the record and its saved copy) must fit one text.
inline constexpr uint16_t kDictMaxRecord = 0x7FFF;

namespace dl {
inline constexpr uint16_t kFileNames = 1;
inline constexpr uint16_t kFolders = 2;
inline constexpr uint16_t kFieldNames = 3;
inline constexpr uint16_t kRelations = 4;
inline constexpr uint16_t kBuffers = 6;
}  // namespace dl

// Bit 8 of _AUXSTAT keeps file names as written instead of lower-casing them.
inline constexpr uint16_t kAuxKeepNameCase = 8;

struct DictFileDesc {
  uint8_t number = 0;
  uint8_t code = 0;
  uint16_t field_count = 0;
  uint16_t record_length = 0;
  uint16_t key_count = 0;
};

struct DictFieldDesc {
  uint8_t file = 0;
  char type = 0;  // one of "123456789ABCDFLNTV" as stored
  uint16_t field = 0;
  uint16_t offset = 0;
  uint16_t length = 0;
};

struct DictKeyDesc {
  uint32_t part_count = 0;
};

struct DictKeyPart {
  uint16_t offset = 0;
  uint16_t length = 0;
};

// A key's byte ranges; the pairs beyond the part count are zero.
struct DictKeyRanges {
  std::array<DictKeyPart, kDictMaxKeyParts> part{};
};

// A key as a count and its parts, as the define operations take it.
struct DictKeyLayout {
  uint16_t count = 0;
  DictKeyRanges parts{};
};

}  // namespace eng
