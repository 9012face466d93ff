// The column headings of a document's lines grid, taken from the label
// line that the screen's field file places two rows above the lines area.
//
// ListHeadingsFromPan (window-definition line) -> a comma list, one heading
// per field of the current screen's bounded range; empty when the range is
// empty or its first field lies on row 0. The labels of that row are laid
// into a 384-character line at their columns (cut at its end). Each field
// spans to the next field's column (the last one its display length + 1),
// starting at the first field's column; its heading is the text from there,
// cut at the last blank inside the span when something stands before that
// blank, else at the first blank after the span, and trimmed.
#pragma once

#include <string>

#include "core/str_pair.h"

namespace eng {

inline constexpr size_t kHeadingLineWidth = 384;

std::string ListHeadingsFromPan(StrPair line);

}  // namespace eng
