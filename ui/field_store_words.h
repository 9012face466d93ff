// The store words a window passes when it refreshes or stores its fields:
// each names where a field's new text comes from and what the store does
// with it.
#pragma once

#include <cstdint>

namespace eng {

constexpr uint16_t kStoreEmpty = 1;          // the empty text
constexpr uint16_t kStoreDefaults = 4;       // the field's default value
constexpr uint16_t kStoreShown = 6;          // the record's value, shown
constexpr uint16_t kStoreClearFile = 17;     // emptied, with its file field
constexpr uint16_t kStoreRefresh = 116;      // a refresh of the shown value
constexpr uint16_t kStoreUser = 118;         // a text as if the user typed it
constexpr uint16_t kStoreLoaded = 230;       // the value of a record just read
constexpr uint16_t kStoreKeyDefaults = 244;  // key fields after a new document
constexpr uint16_t kStoreFromSaved = 512;    // from the saved copy of the record

}  // namespace eng
