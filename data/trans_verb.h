// The menu verb "FileTrans": builds a transaction through forms and
// choosers (data/trans_services.h) and runs it with the progress window.
// Argument items: 1 the mode (evaluated; 0 runs a saved transaction, item 2
// then naming the saved-transactions file), 2 the table by name or number,
// 3 the bound choices (evaluated), 6 the update expression (evaluated).
// Each step that fails or is cancelled ends the verb with its status (122).
//   Bound choices: one letter per field in field order, "L" a range (two
//   form items, from and to), "S" one value, anything else none; asked for
//   the first eight fields when item 3 is empty. INDEX$ becomes the first
//   key whose first part lies in the first chosen field.
//   With EXTERNFILE the fields to exchange are asked (all checked: every
//   field); STRUCT$ holds the checked fields' qualified names.
//   Without UPDATE, EXTERNFILE, DELETING and INDEXCHK the update expression
//   is asked (WREXP$); with UPDATE or EXTERNFILE the relational-update type
//   (TRIGGER$ when not 0). Outside batch mode the definition may be saved.
// DataInstallTransactions installs the verb and the EXPORT and IMPORT
// statements; start-up calls it.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

Status TransMenuVerb(StrPair argument);
// The items of the bounds form for the choices ("" when none is chosen).
std::string TransBoundsForm(uint16_t file, std::string_view choices);
// The first key whose first part lies in the first chosen field; 0 when none.
uint16_t TransKeyOfBounds(uint16_t file, std::string_view choices);
void DataInstallTransactions();

}  // namespace eng
