// The report runner: a print template run over the records of a data file
// between two key limits, or over the lines of a text file, on one device.
//
// Report definitions are parameter strings (a "PPN" definition) read with
// ReportParm: COUNTER$ (extra copies of each pass), SET$ (run first), OPEN$
// (open state for the run, restored after), DOCSETS$ (the range text),
// DEVICE$ ("," read as " /"), DOCNAME$ (template, optionally ";" and a
// procedure file), ACBOUND$ (the accept form asking the limits), INDEX%
// (key of the limits), LIMITS$ (two expressions giving the limits),
// AUXLOAD$ (further definitions "file;n,..."), PROG_MODE$ (progress).
//
// The range text has up to four ","-items: run condition (once; false is
// 127), print condition (before each pass; empty: the runner positions the
// file), repeat condition (another pass while true; empty with a data file
// current: while records remain under the key bound), and an extra body
// condition.
//
// The limits are asked through an installed asker (the window layer's accept
// form); without one the next line of the INPUT script holds them (quoted
// values separated by ",", as the OUTPUT journal writes them; each value is
// stored by the type and width of its field in the form, and the line is
// journalled and kept as the last accepted values, which _ACCEPT$(n) reads,
// like a confirmed form), and no line is a cancel. Limits that select no record show the warning of 127 and give
// 0; a cancel anywhere (limits, device, progress) gives 0 to the menu.
#pragma once

#include <string>
#include <string_view>

#include "core/status.h"
#include "output/device.h"
#include "output/report_template.h"

namespace eng {

// Asks the limits in an accept form: title, definition (macro-expanded
// ACBOUND$); fills the accepted values (each quoted, ","-separated) and the
// form's filter condition. 122 when cancelled.
using ReportLimitsAsker = Status (*)(std::string_view title, std::string_view definition, std::string& values,
                                     std::string& filter);
void OutputSetLimitsAsker(ReportLimitsAsker asker);
// Reads the raw text of field n of the current window (the window layer
// installs it); with flag 1 and no LIMITS$ the limits are fields 1 and 2.
using ReportWindowFieldFn = std::string (*)(int n);
void OutputSetWindowFieldReader(ReportWindowFieldFn fn);

// A report parameter of the definition in effect; values other than the raw
// ones (DOCSETS$, ACBOUND$, LIMITS$, PROG_MODE$) are evaluated when they are
// a text expression.
std::string ReportParm(uint16_t n);

// Items 1 ("from") and 2 ("to") of a ","-text, each evaluated when it is a
// text expression, else trimmed; a single item is the "to" item. which 3:
// the value of FILE in the text (made the current file). Other: 163.
std::string ReportRangeKey(std::string_view text, int which, Status* status = nullptr);

Status ReportRun(std::string_view device_text, std::string_view tmpl, std::string_view range,
                 std::string_view condition, std::string_view key_bound, uint16_t input,
                 std::string_view progress, std::string_view counter, DeviceRecord* device);
// Opens the report's device (the device dialog asks for one when the device
// text names none and ask is set) and runs the template over the range up to
// the key bound (empty: no bound).
Status ReportOpenAndRun(std::string_view device_text, std::string_view tmpl, std::string_view range,
                        std::string_view condition, std::string_view key_bound, DeviceRecord* device, bool ask);
Status ReportPrintFile(std::string_view device_text, std::string_view file, std::string_view tmpl);
Status ReportPrint(std::string_view device_text, std::string_view tmpl, std::string_view range,
                   std::string_view open, std::string_view condition, uint16_t flags, DeviceRecord* device,
                   bool ask_device);
// The Report verb: "definitions-file,n" runs report definition n of that
// "PPN" file (SET$, then its limits and the report; with flag 4 the file of
// OPEN$ is made current, the limits asked once and, when accepted, the report
// printed without asking them again); five or more items are a
// window-definition line run as the AcceptRun verb runs it; "device,template"
// (":" read as ",") prints the template on the device over the current file,
// its limits (without LIMITS$) fields 1 and 2 of the current window. Flags:
// 1 limits from the current window, 2 no limits form, 4 as above.
Status ReportMenuText(std::string_view text, uint16_t flags);
Status ReportMenuItem(std::string_view text);

// Installs REPORT and DOCPRINT in the statement handler chain and the
// Report verb (OutputInstall does it).
void ReportInstall();

// The last accepted limits (quoted values, ","-separated).
std::string ReportLastLimits();

}  // namespace eng
