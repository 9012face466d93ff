// The shape of a data file as the record file and its key index see it: the
// record length and, per key, up to five byte ranges (offset, length) of the
// record whose concatenation is the key value. The dictionary fills it; the
// record file and index take it as a plain value.
//   KeyCompareText compares a search text with the first text.size() bytes of
//   a record's key value, byte by byte as unsigned values (text.size() must
//   not exceed the key length); KeyCompareRecords compares two records' whole
//   key values. Both return <0, 0 or >0 for (text or a) below, equal to or
//   above the other.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace eng {

inline constexpr uint16_t kKeyPartsMax = 5;
inline constexpr char kRecordDeleted = 27;  // ESC as a record's first byte

struct KeyPart {
  uint16_t offset = 0;
  uint16_t length = 0;
};

struct KeyLayout {
  uint16_t count = 0;
  std::array<KeyPart, kKeyPartsMax> parts{};

  uint32_t Length() const;
  // The key value cut out of a record of the file.
  std::string ValueOf(const char* record) const;
};

struct DataFileLayout {
  uint16_t record_length = 0;
  std::vector<KeyLayout> keys;  // key k at keys[k - 1]; may be empty

  // The index keeps one array per key, and one for a file without keys.
  uint16_t ArrayCount() const { return keys.empty() ? 1 : uint16_t(keys.size()); }
  // The layout of array k (1-based); a file without keys has one empty key.
  const KeyLayout& Key(uint16_t k) const;
  // False when a key part lies outside the record or there are too many parts.
  bool Valid() const;
};

int KeyCompareText(const KeyLayout& key, const char* record, std::string_view text);
int KeyCompareRecords(const KeyLayout& key, const char* a, const char* b);

}  // namespace eng
