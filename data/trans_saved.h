// Saved transactions: named definitions in the saved-transactions file (the
// application prefix followed by "trans.ppn", in application folder kind 3),
// a definition-line file of line format 1 with CR LF lines: columns 1-2 the
// section number right-aligned, a blank, then one item. Section 0 holds
// FD$, the quoted ","-list of the saved names; section n the n-th name's
// TRANSPARMSMODE% followed by each non-empty transaction parameter as
// NAME='value'. Every item is cut at each ":" onto lines of its section,
// which the reader joins again with ":"; sections stand in ascending order.
//
// The file is rewritten whole: a new file is written and renamed over the
// old one, so a failure leaves the old file as it was.
//
// Limits: sections have two columns, so at most 99 definitions (a 100th is
// refused with 168); a name or value holding both kinds of quote cannot be
// written (163); a name holding "," is refused (163) and a name already
// saved gives 165. Nothing is written when a save is refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kTransPpnMaxSections = 99;

std::string TransPpnPath();
// Line prefix of section n: format 1 "%2s ", 2 '"' + "%2s", 3 "%4s ", 0
// empty, any other "%s".
std::string TransPpnLinePrefix(uint16_t n, uint16_t format);
// Cuts the text at each ":", removes one pair of quotes around each part,
// prefixes each with the section's line prefix and appends it to the line
// queue (list 37).
Status TransPpnQueue(uint16_t format, std::string_view text, uint16_t n);
// Replaces section n of the file by the queued lines (the queue is emptied):
// in place of its first old line, else before the first higher section,
// else at the end. A missing file counts as empty.
Status TransPpnRewrite(std::string_view path, uint16_t format, uint16_t n);
// The saved names (FD$ of section 0), in order.
std::vector<std::string> TransSavedNames(std::string_view path);
// Saves the transaction block in effect (list 10) under a new name.
Status TransSaveDefinition(std::string_view path, std::string_view name, uint16_t mode);
// Asks whether to save (message 0097) and the name (item 0056), asking
// again for a name that is saved already (showing 165) or holds ",";
// the final status is shown.
Status TransSaveConfig(uint16_t mode);
// Chooses saved transactions and runs them until the chooser is cancelled
// or a run fails. An empty path is the default file.
Status TransRunSaved(std::string_view path);

}  // namespace eng
