// The shape of a dictionary file as the record file and its key index take
// it: the record length and every key's byte ranges. An undefined file gives
// the empty layout (record length 0, no keys).
#pragma once

#include <cstdint>

#include "data/key_layout.h"

namespace eng {

DataFileLayout DictFileLayout(uint16_t n);

}  // namespace eng
