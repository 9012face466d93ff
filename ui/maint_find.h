// Find by fields in a maintenance window (F6, Buscar): an accept form with
// one field per field of the screen's data file ("Selección de Campos");
// Ok searches forward from the current record, the current one included,
// for the first record whose fields equal the filled ones.
//
// MantFindByFields: found, the record is shown (every field refreshed) and
// the result is 0; not found, the file moves to its first record and the
// fields show it (left as they were, a save would write the record shown
// over the first one), the search's status is shown with its item of
// message 0023 ("Fin de fichero") and returned. A cancelled or failed form
// answers its own status and searches nothing. The window record current
// before the form is current again afterwards.
#pragma once

#include <string>

#include "core/status.h"

namespace eng {

// The accept definition of the file's fields: "'NAME:':'A20':NAME{}==" per
// field (type letter and length), joined with ",".
std::string MantFindDefinition(uint16_t file);
Status MantFindByFields();

}  // namespace eng
