// The invoicing module's access to the definition of the window it works
// for: a parameter read in the context in effect (the current screen's
// definition, or the definition on top of the parameter stack when no screen
// is open), macro-expanded when asked, and statements executed.
//   InvParmText (n): the value, empty when absent.
//   InvParmExpanded (n, flags): the value macro-expanded (MacroExpand
//     flags); the value unexpanded when the expansion fails.
//   InvBlank (text): empty or only blanks.
//   InvExecute (text): the statements executed; an empty text does nothing;
//     statuses below 128 count as 0.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"

namespace eng::truvesca {

// "&&" in the operator list of ScreenJoinFilledTerms.
inline constexpr int kInvOpAnd = 18;

std::string InvParmText(uint16_t n);
std::string InvParmExpanded(uint16_t n, int flags = 0);
bool InvBlank(const std::string& text);
Status InvExecute(const std::string& text);

}  // namespace eng::truvesca
