// The external file of a transaction chosen by the user (a run with
// EXTERNFILE and no name): the file dialog (data/trans_services.h; the save
// form for an export, the open form for an import), then the form with
// caption message 0088 and items message 0095, which shows the chosen path
// (it may still be edited) and the "append" switch. A true switch adds
// APPEND to the mode; the first value, trimmed and unquoted, is the name.
//   0 with the name; 122 when the dialog or the form is cancelled, when
//   there is no dialog, or when the name is left empty. Without a form
//   window (148) the chosen path is taken as it stands. The path is quoted
//   in the form with the quote character it does not hold; one holding both
//   cannot be shown and gives 163 with the path as incident text.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"

namespace eng {

Status TransExternalDialog(uint16_t* mode, std::string* name);

}  // namespace eng
