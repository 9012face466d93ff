// Amounts in words for invoices: the procedure function FN$TXTN.
//   FN$TXTN (number)        the number in Spanish words (empty for 0); the
//                           decimal part, written with _PRECIS digits and
//                           padded with "0" on the right up to _DX digits, is
//                           joined by " con "; a negative amount ends in
//                           " negativas ". _USER03 becomes 0. An amount of
//                           10^12 or more (or a decimal part of more than 12
//                           digits) has no words: 168, nothing changed.
//   FN$TXTN (text, width)   the next piece of the text: at most `width`
//                           characters broken at a blank, starting at offset
//                           _USER03, which moves past the piece and its
//                           blank (width 0: the whole rest, _USER03 back to
//                           0). A rest without a blank comes back whole; at
//                           the end of the text the piece is empty.
//   Other argument counts: 147; an argument of the wrong type: 128.
// The wording follows the invoices' established spelling ("dos cientos",
// "veintiuno mil"), which printed invoices keep.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"

namespace eng::truvesca {

// One step of the walk: the word of the longest key (3, 2, then 1 digits)
// that starts the looked-at digits, and how many digits it used; with no key
// one digit: nothing for "0", else that digit's units word followed by a
// blank and `after` when `after` is not empty.
struct TxtnGroup {
  std::string word;
  uint16_t used = 1;
};
TxtnGroup TxtnGroupWords(std::string_view keys, std::string_view words, std::string_view digits,
                         std::string_view after, std::string_view filler);

// The words of a digit text (leading zeros carry no words); false when it
// has more than 12 significant digits.
bool TxtnIntegerWords(std::string_view digits, std::string* out);

// The words of a value with _PRECIS decimals; 168 beyond 12 integer digits.
// Sets _USER03 to 0 on success.
Status TxtnNumberWords(int64_t value, std::string* out);

// Where the piece of `text` for `width` ends (see FN$TXTN above).
size_t TxtnBreakPos(std::string_view text, int width);
// The next piece from offset _USER03; moves _USER03.
std::string TxtnNextPiece(std::string_view text, int width);

// Registers FN$TXTN among the application functions; 168 when they are full.
Status TxtnRegister();

}  // namespace eng::truvesca
