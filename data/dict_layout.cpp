#include "data/dict_layout.h"

#include "data/dict_query.h"

namespace eng {

DataFileLayout DictFileLayout(uint16_t n) {
  DataFileLayout out;
  if (!DictFileDefined(n)) return out;
  out.record_length = DictRecordLength(n);
  uint16_t keys = DictKeyCount(n);
  for (uint16_t k = 1; k <= keys; ++k) {
    DictKeyLayout d = DictKeyParts(n, k);
    KeyLayout key;
    key.count = d.count < kKeyPartsMax ? d.count : kKeyPartsMax;
    for (uint16_t i = 0; i < key.count; ++i) {
      key.parts[i] = KeyPart{d.parts.part[i].offset, d.parts.part[i].length};
    }
    out.keys.push_back(key);
  }
  return out;
}

}  // namespace eng
