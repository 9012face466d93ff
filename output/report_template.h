// Print templates: the layout of one report on the character grid of a
// device. A template line holds its row (two digits; 00 marks a conditional
// line), its column (three digits) and, from column 5, a directive (":") or
// its layout: literal pieces separated by "|", a role marker (0x17 fixed,
// 0x18 relative row, 0x19 body; the marker doubled marks a continuation
// line), the field expressions separated by "," and the line parameters
// after " /" (ATEND$, BRKEND$, BREAK$, COND$, MAXLINE%, LINESTEP%,
// TOTALBASE%, CONTINUE%, EXTRASTEP%, TITLE$, WD). Piece i is both the text
// printed for field i and the edit mask of expression i; a conditional
// line's condition stands before its first TAB.
//
// Loading puts the lines in string list 8 from the report's first line on:
// ":INCLUDE expr" splices the named file's lines in place (they may hold
// directives too; 16 levels at most, deeper is 129 with the file name);
// ":DYNAMIC_LINE expr" appends each line of the named file as a conditional
// line at column 1. A missing template is 164, a missing or empty included
// file 0xFFFF, both with the file name as incident text; a line whose row or
// column is not digits is 147 with the line as incident text.
//
// One pass (ReportPrintTemplate) prints every line once; a body line repeats
// for each record (ReportNextRecord) until the records end, its end
// condition holds, a break or the page is full; then the lines after the
// body that are continuation lines, and the page header (the lines before
// the body), are printed and the body resumes. A record that does not fit
// below the header of a fresh page ends the pass with 129 instead of
// printing empty pages for ever. The pass ends on row 1 of the next page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"
#include "output/device.h"

namespace eng {

enum ReportFlags : uint16_t {
  kRptFixed = 0x01,
  kRptContinuation = 0x02,
  kRptRelative = 0x04,
  kRptBody = 0x10,
  kRptOverflow = 0x20,
  kRptPastLast = 0x100,
  kRptCancelled = 0x800,
  kRptEndsPass = 0x7F00,
};

struct ReportState {
  Status status = kOk;
  uint16_t flags = 0;
  uint16_t first = 0, end = 0, current = 0;  // lines of list 8 (end: one past the last)
  int row = 0;
  uint16_t column = 1;
  uint16_t input = 0;       // stream whose lines drive the body (0: records)
  uint16_t continuation = 0;
  DeviceRecord device;
  std::string tmpl, bound, run_cond, print_cond, repeat_cond, body_cond, progress;
  int pending_step = 0;     // rows between the last printed body record and the next
  int no_fit = 0;           // records in a row that found no room on a fresh page
};

// Progress of a report: mode as the report's progress mode, the text to show
// (the key field, or the mode's value); a non-zero answer (122) cancels.
using ReportProgressFn = Status (*)(std::string_view mode, std::string_view text);
void OutputSetReportProgress(ReportProgressFn fn);
Status ReportProgress(ReportState& st);
// Whether a report tells of its records (a progress service and a mode other than "NONE").
bool ReportShowsProgress(const ReportState& st);

Status ReportLoadTemplate(ReportState& st);
// Drops the expressions compiled by earlier reports (an outermost run starts
// with none).
void ReportForgetCompiled();
// A condition of a report (empty: true), compiled once for the run: 1 true,
// 0 false, or the evaluator's status.
Status ReportEvalCond(const std::string& cond);
void ReportPrintTemplate(ReportState& st);

// Row and column of a template line (blanks read as 0).
struct ReportRowCol {
  int row = 0, column = 0;
};
ReportRowCol ReportLineRowCol(std::string_view line);
// Adapts a number mask ("###,.##") to the decimals in effect (_DX, else
// _PRECIS; "###,.5" takes the first character of _V5$); same length.
std::string ReportEditNumber(std::string_view piece);

// The current data file of a report: _CURFIL when it is defined and open,
// else 0.
uint16_t ReportCurrentFile();

}  // namespace eng
