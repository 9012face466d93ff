#include "data/key_layout.h"

#include <cstring>

namespace eng {

namespace {
const KeyLayout kNoKey{};
}

uint32_t KeyLayout::Length() const {
  uint32_t n = 0;
  for (uint16_t i = 0; i < count && i < kKeyPartsMax; ++i) n += parts[i].length;
  return n;
}

std::string KeyLayout::ValueOf(const char* record) const {
  std::string v;
  v.reserve(Length());
  for (uint16_t i = 0; i < count && i < kKeyPartsMax; ++i) v.append(record + parts[i].offset, parts[i].length);
  return v;
}

const KeyLayout& DataFileLayout::Key(uint16_t k) const {
  if (k >= 1 && k <= keys.size()) return keys[k - 1];
  return kNoKey;
}

bool DataFileLayout::Valid() const {
  if (record_length == 0) return false;
  for (const KeyLayout& k : keys) {
    if (k.count > kKeyPartsMax) return false;
    for (uint16_t i = 0; i < k.count; ++i)
      if (uint32_t(k.parts[i].offset) + k.parts[i].length > record_length) return false;
  }
  return true;
}

int KeyCompareText(const KeyLayout& key, const char* record, std::string_view text) {
  const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
  size_t left = text.size();
  for (uint16_t i = 0; i < key.count && left; ++i) {
    size_t n = key.parts[i].length < left ? key.parts[i].length : left;
    int c = std::memcmp(t, record + key.parts[i].offset, n);
    if (c) return c;
    t += n;
    left -= n;
  }
  return left ? 1 : 0;  // a text longer than the key value sorts after it
}

int KeyCompareRecords(const KeyLayout& key, const char* a, const char* b) {
  for (uint16_t i = 0; i < key.count; ++i) {
    int c = std::memcmp(a + key.parts[i].offset, b + key.parts[i].offset, key.parts[i].length);
    if (c) return c;
  }
  return 0;
}

}  // namespace eng
