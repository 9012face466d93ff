#include "apps/truvesca/inv_run.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "core/block_file.h"
#include "core/module_parms.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/doc_journal.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"

namespace eng::truvesca {

const char* const kInvStepNames = "BEGIN,DELNOTES,CUSTOMER,INVOICE,FOOT,REG,PAY,PREPNEXT,SCREENUP,END";

namespace {

constexpr char kJournalMark[] = "INVRUN1";

std::string Trim(const std::string& v) {
  ScratchScope scope;
  return StrTrim(StrOf(v), 3).str();
}

std::string FieldText(uint16_t file, uint16_t field) {
  StrPair v = BufFieldText(file, field, kBufCurrent);
  return v.ok() ? std::string(v.view()) : std::string();
}

std::string Pad(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}

// The customer value as the run compares it: trimmed, "NULL" when empty.
std::string CustomerValue(uint16_t file, uint16_t field) {
  std::string v = Trim(FieldText(file, field));
  return v.empty() ? "NULL" : v;
}

// Numeric order of customer values; texts that are not numbers after them.
bool CustomerBefore(const std::string& a, const std::string& b) {
  char* ea = nullptr;
  char* eb = nullptr;
  const long long na = std::strtoll(a.c_str(), &ea, 10);
  const long long nb = std::strtoll(b.c_str(), &eb, 10);
  const bool numa = *ea == 0 && !a.empty();
  const bool numb = *eb == 0 && !b.empty();
  if (numa != numb) return numa;
  if (numa && na != nb) return na < nb;
  return a < b;
}

struct Note {
  std::string key;
  std::string customer;
  std::string group;
};

Status RunStep(const InvRunWindow& w, InvStep step) {
  if (Status s = ParmCtxSet(step, StrOf(""))) return s;
  return w.step ? w.step(step) : Status{kOk};
}

Status Progress(const InvRunWindow& w) { return w.progress ? w.progress() : Status{kOk}; }

// Reads the note with that key into the notes buffer: 0, or 2 when gone.
Status LocateNote(const InvRunFiles& f, const std::string& key) {
  Status s = DataFileLocate(f.notes, 1, StrOf(key), 0);
  if (s >= kStFirstError) return s;
  return s == kOk ? Status{kOk} : Status{kStEndOfData};
}

// A key bound as the notes' key 1 holds it: a number typed for a numeric
// first key field is right-aligned in that field's width, as the field
// stores it, so that "2" comes before "10".
std::string BoundKey(uint16_t notes, const std::string& bound) {
  std::string b = Trim(bound);
  if (b.empty() || b.find_first_not_of("0123456789") != std::string::npos) return b;
  const DictKeyFieldList fields = DictKeyFields(notes, 1);
  if (fields.status || fields.count == 0) return b;
  const char type = DictFieldType(notes, fields.field[0]);
  const size_t width = DictFieldLength(notes, fields.field[0]);
  if (type == 'A' || type == 'D' || b.size() >= width) return b;
  return std::string(width - b.size(), ' ') + b;
}

// The open notes in the window's key range (both bounds included, a bound
// shorter than the key taken as a prefix), in key order.
Status CollectNotes(const InvRunFiles& f, const InvRunWindow& w, std::vector<Note>* notes) {
  ScratchScope scope;
  const std::string from = BoundKey(f.notes, w.from);
  const std::string to = BoundKey(f.notes, w.to);
  Status s = from.empty() ? DataFileMove(f.notes, 0x24) : DataFileLocate(f.notes, 1, StrOf(from), 2);
  while (s == kOk || s == 1) {
    ScratchScope inner;
    StrPair key = BufFileKeyValue(f.notes, 1);
    if (!key.ok()) return kStBadFileNumber;
    std::string k(key.view());
    if (!to.empty() && k.substr(0, to.size()) > to) break;
    if (Trim(FieldText(f.notes, f.note_invoice)).empty() && (!w.customer_ok || w.customer_ok()))
      notes->push_back({k, CustomerValue(f.notes, f.note_customer), w.group ? w.group() : std::string()});
    s = DataFileMove(f.notes, 0x10);
  }
  return s >= kStFirstError ? s : Status{kOk};
}

// The invoice file's buffer blank, holding the invoice key and line n (0:
// the header, "N_LINE" blank).
Status BlankInvoiceRecord(const InvRunFiles& f, const InvRunWindow& w, const std::string& number, uint16_t line) {
  if (Status s = DataFileMove(f.invoices, 1); s != 3) return s >= kStFirstError ? s : Status{kStInternal};
  if (Status s = BufSetField(f.invoices, f.inv_series, StrOf(w.series))) return s;
  if (Status s = BufSetField(f.invoices, f.inv_number, StrOf(number))) return s;
  const uint16_t nline = DictFindField(f.invoices, StrOf("N_LINE"));
  if (line && nline) return BufSetField(f.invoices, nline, StrOf(std::to_string(line)));
  return kOk;
}

std::string InvoiceKey(const InvRunFiles& f, const InvRunWindow& w, const std::string& number) {
  return Pad(w.series, DictFieldLength(f.invoices, f.inv_series)) +
         Pad(number, DictFieldLength(f.invoices, f.inv_number));
}

struct InvJournal {
  std::string key;
  std::vector<std::string> notes;
};

Status JournalWrite(uint16_t invoices, const InvJournal& j) {
  std::string out = std::string(kJournalMark) + "\n" + j.key + "\n";
  for (const std::string& n : j.notes) out += n + "\n";
  out += "END\n";
  return BlockFileReplace(InvRunJournalPath(invoices), out.data(), out.size(), true) ? Status{kStFileIo}
                                                                                     : Status{kOk};
}

// 0 read, 164 no journal, 131 a journal that is not whole.
Status JournalRead(uint16_t invoices, InvJournal* j) {
  const std::string path = InvRunJournalPath(invoices);
  if (!BlockFileExists(path)) return kStFileNotFound;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line != kJournalMark || !std::getline(in, j->key)) return kStFileIo;
  while (std::getline(in, line)) {
    if (line == "END") return kOk;
    j->notes.push_back(line);
  }
  return kStFileIo;
}

Status ReopenAll(const InvRunFiles& f) {
  for (uint16_t file : {f.invoices, f.registry, f.payments, f.notes})
    if (file)
      if (Status s = DataFileReopen(file, kOk)) return s;
  return kOk;
}

// Marks the note in the notes buffer with the invoice key (blank: open).
Status MarkNote(const InvRunFiles& f, const std::string& invoice, StrPair slots, uint16_t extra) {
  if (Status s = BufSetField(f.notes, f.note_invoice, StrOf(invoice))) return s;
  return DataFileWriteHooked(kWriteRewrite | extra, f.notes, slots, StrOf(""));
}

Status WriteTaken(const InvRunFiles& f, const InvRunWindow& w, const std::vector<const Note*>& taken,
                  const std::string& key, const std::string& number_text);
Status Rollback(const InvRunFiles& f, uint16_t extra_flags);

// Writes one invoice for the group's notes: 0 (also when every note was
// skipped), or the status that ends the run.
Status WriteInvoice(const InvRunFiles& f, const InvRunWindow& w, const std::vector<const Note*>& group,
                    std::string* number, InvRunResult* result) {
  if (Status s = RunStep(w, kInvInvoice)) return s;
  if (Status s = InvRunNextNumber(f, w, number)) return s;

  std::vector<const Note*> taken;
  for (const Note* n : group) {
    ScratchScope scope;
    if (Status s = LocateNote(f, n->key)) {
      if (s >= kStFirstError) return s;
      continue;
    }
    Status answer = 1;
    if (w.confirm && w.confirm_note) answer = w.confirm_note();
    if (answer > kStDetailText) return answer;
    if (answer >= 2) break;
    if (answer == 1) taken.push_back(n);
  }
  if (taken.empty()) return kOk;

  const std::string key = InvoiceKey(f, w, *number);
  InvJournal journal{key, {}};
  for (const Note* n : taken) journal.notes.push_back(n->key);
  if (Status s = JournalWrite(f.invoices, journal)) return s;
  // A failure from here on takes back what this invoice wrote, so that its
  // notes are open again and its number is free.
  if (Status s = WriteTaken(f, w, taken, key, *number)) {
    Status r = Rollback(f, 0);
    return r ? r : s;
  }
  ++result->invoices;
  result->notes += uint32_t(taken.size());

  if (Status s = RunStep(w, kInvPrepNext)) return s;
  return RunStep(w, kInvScreenUp);
}

// The records of one invoice under its journal: lines, foot, registry,
// payments, the notes marked, the files reopened, the journal removed.
Status WriteTaken(const InvRunFiles& f, const InvRunWindow& w, const std::vector<const Note*>& taken,
                  const std::string& key, const std::string& number_text) {
  const std::string* number = &number_text;
  // Lines: one per taken note, filled from the note.
  uint16_t line = 0;
  for (const Note* n : taken) {
    ScratchScope scope;
    SysVarSet(kVarLNum, ++line);
    if (Status s = LocateNote(f, n->key)) return s == kStEndOfData ? Status{kStInternal} : s;
    if (Status s = BlankInvoiceRecord(f, w, *number, line)) return s;
    if (w.fill_line)
      if (Status s = w.fill_line(line)) return s;
    if (Status s = DataFileWriteHooked(kWriteAdd, f.invoices, w.slot_list, StrOf(""))) return s;
  }
  // The foot: the header record with the invoice's totals.
  {
    ScratchScope scope;
    if (Status s = BlankInvoiceRecord(f, w, *number, 0)) return s;
    if (Status s = RunStep(w, kInvFoot)) return s;
    if (Status s = DataFileWriteHooked(kWriteAdd, f.invoices, w.slot_list, w.test)) return s;
  }
  if (f.registry) {
    ScratchScope scope;
    if (Status s = DataFileMove(f.registry, 1); s != 3) return s >= kStFirstError ? s : Status{kStInternal};
    if (Status s = RunStep(w, kInvReg)) return s;
    if (Status s = DataFileWriteHooked(kWriteAdd, f.registry, w.slot_list, w.test)) return s;
  }
  if (f.payments) {
    if (Status s = RunStep(w, kInvPay)) return s;
    for (;;) {
      ScratchScope scope;
      if (Status s = DataFileMove(f.payments, 1); s != 3) return s >= kStFirstError ? s : Status{kStInternal};
      bool more = false;
      if (w.next_payment)
        if (Status s = w.next_payment(&more)) return s;
      if (!more) break;
      if (Status s = DataFileWriteHooked(kWriteAdd, f.payments, w.slot_list, w.test)) return s;
    }
  }
  for (const Note* n : taken) {
    ScratchScope scope;
    if (Status s = LocateNote(f, n->key)) return s == kStEndOfData ? Status{kStInternal} : s;
    if (Status s = MarkNote(f, key, w.slot_list, 0)) return s;
  }
  if (Status s = ReopenAll(f)) return s;
  return BlockFileRemove(InvRunJournalPath(f.invoices)) ? Status{kStFileIo} : Status{kOk};
}

Status CustomerLoop(const InvRunFiles& f, const InvRunWindow& w, std::string* number, InvRunResult* result) {
  std::vector<Note> notes;
  if (Status s = CollectNotes(f, w, &notes)) return s;
  std::vector<std::string> customers;
  for (const Note& n : notes)
    if (std::find(customers.begin(), customers.end(), n.customer) == customers.end())
      customers.push_back(n.customer);
  std::sort(customers.begin(), customers.end(), CustomerBefore);

  for (const std::string& customer : customers) {
    if (Status s = Progress(w)) return s;
    if (Status s = RunStep(w, kInvCustomer)) return s;
    // The customer's groups, in the order of their first note.
    std::vector<std::string> order;
    std::map<std::string, std::vector<const Note*>> groups;
    for (const Note& n : notes) {
      if (n.customer != customer) continue;
      if (!groups.count(n.group)) order.push_back(n.group);
      groups[n.group].push_back(&n);
    }
    if (order.empty()) return kStInternal;
    for (const std::string& g : order) {
      if (Status s = RunStep(w, kInvDelNotes)) return s;
      Status s = WriteInvoice(f, w, groups[g], number, result);
      if (s > kStDetailText) return s;
    }
  }
  return kOk;
}

Status Rollback(const InvRunFiles& f, uint16_t extra_flags) {
  InvJournal j;
  Status s = JournalRead(f.invoices, &j);
  if (s == kStFileNotFound) return kOk;
  if (s) return s;
  for (uint16_t file : {f.invoices, f.registry, f.payments})
    if (file)
      if ((s = DocDeleteKeyRecords(file, j.key, extra_flags, StrOf(""), StrOf("")))) return s;
  const std::string key = Trim(j.key);
  for (const std::string& note : j.notes) {
    ScratchScope scope;
    s = LocateNote(f, note);
    if (s == kStEndOfData) continue;
    if (s) return s;
    if (Trim(FieldText(f.notes, f.note_invoice)) != key) continue;
    if ((s = MarkNote(f, "", StrOf(""), extra_flags))) return s;
  }
  if ((s = ReopenAll(f))) return s;
  return BlockFileRemove(InvRunJournalPath(f.invoices)) ? Status{kStFileIo} : Status{kOk};
}

}  // namespace

std::string InvRunJournalPath(uint16_t invoice_file) {
  std::string path = DocJournalPath(invoice_file);
  if (path.size() > 4) path.replace(path.size() - 4, 4, ".IRJ");
  return path;
}

Status InvRunNextNumber(const InvRunFiles& f, const InvRunWindow& w, std::string* number) {
  const size_t width = DictFieldLength(f.invoices, f.inv_number);
  if (width == 0 || width > 18) return kStBadFileNumber;
  std::string digits = Trim(*number);
  if (digits.empty()) digits = "1";
  if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > width) return kStDataError;
  unsigned long long n = std::strtoull(digits.c_str(), nullptr, 10);
  for (;;) {
    ScratchScope scope;
    std::string text = std::to_string(n);
    text.insert(0, width - text.size(), '0');
    // The header's key: the invoice key with "N_LINE" blank.
    const uint16_t nline = DictFindField(f.invoices, StrOf("N_LINE"));
    const std::string header = InvoiceKey(f, w, text) + std::string(nline ? DictFieldLength(f.invoices, nline) : 0, ' ');
    Status s = DataFileSeekRead(f.invoices, 1, StrOf(header), 0);
    if (s >= kStFirstError) return s;
    if (s != kOk) {
      *number = text;
      return kOk;
    }
    if (text.find_first_not_of('9') == std::string::npos) return kStDataError;
    ++n;
    if (Status p = Progress(w)) return p;
    std::string shown = std::to_string(n);
    shown.insert(0, width - shown.size(), '0');
    if (w.show_number) w.show_number(shown);
  }
}

Status InvRun(const InvRunFiles& f, const InvRunWindow& w, InvRunResult* result) {
  InvRunResult local;
  if (!result) result = &local;
  *result = {};
  if (!DictRecordLength(f.notes) || !DictRecordLength(f.invoices) || (f.registry && !DictRecordLength(f.registry)) ||
      (f.payments && !DictRecordLength(f.payments)))
    return kStDataError;
  ScratchScope scope;
  StrPair saved = ParmCtxSave();
  const std::string saved_ctx(saved.ok() ? saved.view() : std::string_view());
  Status s = ParmCtxSet(0, StrOf(kInvStepNames));
  if (!s) s = RunStep(w, kInvBegin);
  if (!s) s = InvRunRecover(f);
  std::string number = w.number;
  if (!s) s = CustomerLoop(f, w, &number, result);
  // END runs whatever the loop answered; the loop's failure comes first.
  if (Status e = RunStep(w, kInvEnd); !s) s = e;
  ParmCtxRestore(StrOf(saved_ctx));
  ParmCtxSet(0, StrOf(""));
  return s == kStEndOfData ? Status{kOk} : s;
}

Status InvRunRecover(const InvRunFiles& f) { return Rollback(f, kWriteNoRules); }

}  // namespace eng::truvesca
