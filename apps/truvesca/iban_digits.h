// Bank-account and IBAN check digits of Spanish account codes (a four-digit
// bank, a four-digit branch, two control digits, a ten-digit account) and
// the procedure functions Iban$ and Mod.
//   Iban$ (prefix, bank, branch, control, account) -> "prefix,bank,branch,
//     control,account" with bank and branch padded to 4 digits, the account
//     to 10, the control digits filled in when empty and the IBAN check
//     digits added to a two-letter country; the empty text when the code is
//     not valid (a part with anything but digits, an empty or too long part,
//     wrong control digits, a prefix whose check digits are wrong, a prefix
//     that is not a country or a country and its two check digits). An empty
//     prefix is the program's language code (string element (0, 4)).
//     Exactly five texts; otherwise 147 (count) or 128 (a number).
//   Mod (number$ [, divisor]) -> the remainder of the digit text by the
//     divisor (97 when absent), letters upper-cased and counted A = 10 ...
//     Z = 35 as in IBANs (ISO 7064 MOD 97-10). 163 for a divisor of 0 or
//     less, and for a text holding anything but letters and digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"

namespace eng::truvesca {

// 2^position mod 11 for positions 0-9: 1, 2, 4, 8, 5, 10, 9, 7, 3, 6.
int IbanWeight(int position);
// The text left-padded with "0" to n digits; empty for an empty text, a
// text holding anything but 0-9, or one longer than n.
std::string IbanPadDigits(std::string_view text, size_t n);
// The control digit (0-9) of up to ten digits, left-padded with "0" to ten.
int IbanControlDigit(std::string_view digits);
// The two control digits of bank + branch and of the account; empty unless
// bank and branch have 4 characters and the account is not empty.
std::string IbanAccountDigits(std::string_view bank, std::string_view branch, std::string_view account);
// The digit form of a text, letters as two digits; false for other characters.
bool IbanLettersToDigits(std::string_view text, std::string* out);
// The remainder of a digit text by a divisor above 0.
uint64_t IbanModulo(std::string_view digits, uint64_t divisor);
// The two IBAN check digits of a two-letter country and the 20 account
// digits; 163 for anything else.
Status IbanCheckDigits(std::string_view country, std::string_view digits, std::string* out);
// Iban$ over its five parts; `language` stands for an empty prefix.
std::string IbanCode(std::string_view prefix, std::string_view bank, std::string_view branch,
                     std::string_view control, std::string_view account, std::string_view language);

// Registers Iban$ and then Mod among the application functions.
Status IbanRegister();

}  // namespace eng::truvesca
