// VAT totals of an invoice, kept in an ordinary text variable as a packed
// table of 16-byte entries (VatTotalEntry: the rate, then the total, each a
// DecValue written as 8 little-endian bytes), in the order in which the
// rates first appeared. The text holds raw bytes, NULs included.
//   VAT$ (table$ [, rate [, amount]]) -> table$: the amount added to the
//     entry of exactly that rate, a new entry appended for a new rate; an
//     amount of 0 changes nothing. With a rate list (a text: "21,10,4") as
//     second argument and an empty table: one entry per item, total 0, each
//     rate read as a number at the amounts' precision (so that "5.2" matches
//     a later rate of 5.2); with a non-empty table the rate is then 0.
//   VATv (table$ [, n [, part]]) -> number: n = 0 the number of entries;
//     1 <= n <= count entry n's rate (part 0) or total (part 1); any other n
//     0; a part other than 0 and 1: 147.
// Both: argument counts outside 1-3 and a text where a number goes: 147; a
// table whose length is not a multiple of 16 is not a VAT table: 163.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/dec_value.h"
#include "core/status.h"

namespace eng::truvesca {

struct VatTotalEntry {
  DecValue rate = 0;
  DecValue total = 0;
};

inline constexpr size_t kVatEntryBytes = 16;

size_t VatCount(std::string_view table);
VatTotalEntry VatEntryAt(std::string_view table, size_t i);  // i from 0, below the count
// Adds the amount at the rate (nothing for an amount of 0).
void VatAdd(std::string& table, DecValue rate, DecValue amount);

// Registers VATv and then VAT$.
Status VatRegister();

}  // namespace eng::truvesca
