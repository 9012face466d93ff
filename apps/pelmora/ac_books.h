// The three data files of the accounting code and the fields it reads,
// resolved by name from the dictionary (names from AcFieldName): the chart
// of accounts (CODIGO, DEBE_ACTUAL, HABER_ACTUAL), the journal (FECHA,
// ASIENTO, its line field, TIPO, CTA_DEBE, CTA_HABER, IMPORTE) and the
// period accumulations (CTA., FECHA, D_VDOS, H_VDOS, DIARIO). Key 1 of the
// journal begins with date and entry number, key 2 is the debit account,
// key 3 the credit account; key 1 of the period file begins with the
// account, key 2 with the date.
//
// AcBooksOpen resolves the files and fields and opens the three files
// (163 with the missing name as incident text when a field is not in the
// dictionary; an open failure as it is).
//
// AcWalk calls `each` for every record of a file whose key value lies from
// `from` (nearest following) up to `to`, compared over the length of `to`,
// in key order; a non-zero answer of `each` ends the walk with it. The
// callback must leave the file's position alone (collect first, then
// change). The result is 0 when the walk ran to its end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/dec_value.h"
#include "core/status.h"

namespace eng::pelmora {

struct AcBooks {
  uint16_t chart = 0, journal = 0, period = 0;
  uint16_t c_code = 0, c_debit = 0, c_credit = 0;
  uint16_t j_date = 0, j_entry = 0, j_line = 0, j_type = 0, j_debit = 0, j_credit = 0, j_amount = 0;
  uint16_t p_account = 0, p_date = 0, p_debit = 0, p_credit = 0, p_diary = 0;
  uint16_t code_len = 0;   // length of an account code
  uint16_t entry_len = 0;  // length of the journal's entry number field
};

Status AcBooksOpen(AcBooks* books);
// The same without opening the files (a window keeps them as it opened them).
Status AcBooksResolve(AcBooks* books);

// A field of the current record, blanks around it removed.
std::string AcFieldText(uint16_t file, uint16_t field);
// A number field of the current record as a decimal value.
DecValue AcFieldAmount(uint16_t file, uint16_t field);
// Formats a text into a field of the current record.
Status AcSetFieldText(uint16_t file, uint16_t field, std::string_view text);
Status AcSetFieldAmount(uint16_t file, uint16_t field, DecValue amount);
// Key value of the current record.
std::string AcKeyText(uint16_t file, uint16_t key);

Status AcWalk(uint16_t file, uint16_t key, std::string_view from, std::string_view to,
              const std::function<Status()>& each);

// The code padded with `fill` to the account code length.
std::string AcPadCode(std::string_view code, char fill, uint16_t length);

}  // namespace eng::pelmora
