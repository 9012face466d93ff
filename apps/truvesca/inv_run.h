// The invoicing run: open delivery notes become invoices, customer by
// customer. The run is a fixed sequence of ten steps; while a step runs,
// _AUX holds its number and the parameter context is its name, so that the
// window's statements of that step (its SET$ and write expressions) apply:
//   1 BEGIN, 2 DELNOTES, 3 CUSTOMER, 4 INVOICE, 5 FOOT, 6 REG, 7 PAY,
//   8 PREPNEXT, 9 SCREENUP, 10 END; _AUX is 0 after the run.
// The hook window calls InvRun with its field values and its statements
// (InvRunWindow); the data files must be open.
//
// Files: the notes file holds one record per delivery note, key 1 the note
// number; a note is open while its invoice field is blank, and names the
// invoice (series + number) once invoiced. The invoice file holds a header
// (its "N_LINE" blank) and one line per taken note under key 1 = series +
// number + "N_LINE". The registry file (optional) gets one record per
// invoice, the payments file (optional) any number, both keyed by series +
// number first.
//
// InvRun: the notes between from and to (key 1, both bounds included, a
//   bound shorter than the key a prefix, a number for a numeric key field
//   right-aligned as the field stores it; an empty bound is open) that are open and pass the customer condition are
//   walked customer by customer (smallest customer value first, compared as
//   numbers) and, within a customer, by group (the group text of each note;
//   one invoice per group, groups in the order of their first note). Each
//   invoice takes the next free number from the window's number: while
//   series + number has a header in the invoice file the number goes up by
//   one (shown through show_number); a number of all nines that is taken
//   gives 163 (so does a number that is not digits or too long). Each note may be confirmed (0 skip, 1 take, 2 or more ends
//   the invoice; 122 and others above 121 end the run); a group whose notes
//   are all skipped gets no invoice. The progress callback is asked before
//   every customer and every number bump: 122 ends the run (cancel).
//   Result: the first failure, 122 for a cancel, else 0.
//
// Invoice writes are all-or-nothing across a kill: before anything is
// written for an invoice, its journal (the invoice key and the keys of the
// notes it takes) is written beside the invoice file; the invoice (through
// the document store), its registry and payment records are written, the
// notes marked, every file reopened so that its writes reach the disk, and
// only then is the journal removed. A failure while writing an invoice
// takes it back at once; InvRunRecover (at start, and by InvRun after BEGIN)
// rolls back an invoice whose journal a killed run left: its invoice, registry and payment records are deleted and
// the notes it had marked are open again. So every note is either in
// exactly one invoice or open, and the numbers have no gap: the rolled-back
// number is the next one taken.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng::truvesca {

enum InvStep : uint16_t {
  kInvBegin = 1,
  kInvDelNotes,
  kInvCustomer,
  kInvInvoice,
  kInvFoot,
  kInvReg,
  kInvPay,
  kInvPrepNext,
  kInvScreenUp,
  kInvEnd,
};

// The step names, as the parameter contexts name them ("BEGIN,DELNOTES,...").
extern const char* const kInvStepNames;

struct InvRunFiles {
  uint16_t notes = 0;
  uint16_t invoices = 0;
  uint16_t registry = 0;  // 0: none
  uint16_t payments = 0;  // 0: none
  uint16_t note_customer = 0;  // field of the notes file: the customer
  uint16_t note_invoice = 0;   // field of the notes file: series + number, blank while open
  uint16_t inv_series = 0;     // fields of the invoice file
  uint16_t inv_number = 0;
};

// What the window gives the run: its field values and its statements. Every
// callback may be empty (then: nothing to do, 0; every note taken; one group).
struct InvRunWindow {
  std::string from, to;  // note key bounds
  std::string series;
  std::string number;    // the first number to try (digits)
  bool confirm = false;  // ask for each note
  StrPair slot_list;     // relational-update slots of every write
  StrPair test;          // empty-record test of the writes
  // A step's own statements, run with _AUX and the context set to the step.
  std::function<Status(InvStep step)> step;
  // With the note in the notes buffer: does its customer take part?
  std::function<bool()> customer_ok;
  // With the note in the notes buffer: its group text.
  std::function<std::string()> group;
  // With the note in the notes buffer: 0 skip, 1 take, 2+ end the invoice.
  std::function<Status()> confirm_note;
  // Fills the invoice file's current record as line n (key set) from the
  // note in the notes buffer.
  std::function<Status(uint16_t line)> fill_line;
  // Payments: called before each payment record; *more false ends them.
  std::function<Status(bool* more)> next_payment;
  std::function<void(const std::string& number)> show_number;
  std::function<Status()> progress;  // 122: cancel
};

struct InvRunResult {
  uint32_t invoices = 0;
  uint32_t notes = 0;
};

Status InvRun(const InvRunFiles& files, const InvRunWindow& window, InvRunResult* result);

// The next free number from `number` for the series (see above).
Status InvRunNextNumber(const InvRunFiles& files, const InvRunWindow& window, std::string* number);

// Rolls back an invoice left half-written (see above); 0 when none was.
Status InvRunRecover(const InvRunFiles& files);
std::string InvRunJournalPath(uint16_t invoice_file);

}  // namespace eng::truvesca
