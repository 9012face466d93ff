// Balance layouts: a layout is a parameter string of items NAME:=value, the
// value a comma list whose item 1 is the line's label and item 2 (one pair
// of quotes stripped) its account list, items "code;mode". Line names are
// hierarchical: the part before the last "_" is the parent line.
//
// The line values go into the system array "_#(": the current year at the
// line's index, the year before at index + 128; _ACUMX$ lists the names in
// the order they first got a value (a name's index is its position - 1).
//
// AcBalanceStore (name, offset, amount): nothing for 0; otherwise the name
//   and each of its parents get the amount added (DimAddNum), being added
//   to _ACUMX$ first when missing. 141 when a name would get an index of 128
//   or more, which would fall on the previous-year values. Trace bit 1 logs
//   message 1012 for each element.
// AcBalanceGet (name, offset): the element's value; 0 for a name not listed.
// AcLayoutLine (list, from, to, suffix, diary, total): each "code;mode"
//   item's range balance added by its mode (AcAccumulate); 163 without a
//   total, a mode failure with the item as incident text. Trace bit 1 logs
//   message 1011 for an account with movements.
// AcLayoutRun (from, to, suffix, diary, offset): with offset 0 the array is
//   cleared and _ACUMX$ emptied; then every named item of the parameter
//   string on top of the parameter stack is one line (AcLayoutLine, then
//   AcBalanceStore). The first failure stops the run.
// AcLayoutLoad (layout): "PLBAL<n>1.DAT" and "PLBAL<n>2.DAT", found along
//   the application folders, joined with ":" and pushed as one parameter
//   string, which stays for the caller. A missing file is 164.
// AcLayoutNames (layout): AcLayoutLoad, then the comma list of the names.
// AcLayoutAccounts (names): the comma list of the names' account lists.
// AcPostCalc (n): the procedure text in POSTCLC<n>$ with every
//   "_#('NAME')" turned into the line's index (names not yet listed are
//   appended), executed. Nothing for 0 or an empty text.
// AcBalanceDocument (output, marker): the template of the output's name in
//   the application folders, line by line: a line holding the marker is
//   expanded ("[expression]" segments) and one line of the old output is
//   passed over; other lines come from the old output while it has lines,
//   else from the template. The result replaces the output whole; a
//   missing template is 131 and the old output stays as it was.
// Procedure functions: AcFullBalance (from; to; diary [; output [; marker
//   [; post-calculation]]]) runs the layout on top for the range and the
//   year before (the end moved back 12 months), into "BALANCE_LOG.TXT" as
//   log, then AcPostCalc and AcBalanceDocument; value 1. AcBLabel (name)
//   is 1 when the line has a value in either year and sets _LTEXT$ to its
//   label; AcBLabel (name; comparison; name) compares the two lines for
//   ">=" and "<" (current year, else previous year), gives 0 for a word
//   that is not a comparison and 147 for the other comparisons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "apps/pelmora/ac_books.h"
#include "core/dates.h"
#include "core/fn_call.h"

namespace eng::pelmora {

inline constexpr uint16_t kAcPrevYear = 128;

Status AcBalanceStore(std::string_view name, uint16_t offset, DecValue amount);
DecValue AcBalanceGet(std::string_view name, uint16_t offset);
Status AcLayoutLine(const AcBooks& b, std::string_view list, DateYmd from, DateYmd to, std::string_view suffix,
                    uint16_t diary, DecValue* total);
Status AcLayoutRun(const AcBooks& b, DateYmd from, DateYmd to, std::string_view suffix, uint16_t diary,
                   uint16_t offset);
Status AcLayoutLoad(int layout);
std::string AcLayoutNames(int layout, Status* status);
std::string AcLayoutAccounts(std::string_view names);
Status AcPostCalc(int n);
Status AcBalanceDocument(std::string_view output, std::string_view marker);

Status AcFullBalanceFn(FnArgs& args);
Status AcBLabelFn(FnArgs& args);

}  // namespace eng::pelmora
