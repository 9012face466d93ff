#include "data/doc_store.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/scratch_arena.h"
#include "data/dict_query.h"
#include "data/doc_journal.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"

namespace eng {

namespace {

// Blanks, or a blank record's key (its first byte the empty-record mark).
bool Blank(std::string_view text) {
  return text.find_first_not_of(std::string_view(" \x1b\0", 3)) == std::string_view::npos;
}

// The "N_LINE" field of a file; 0 when it has none.
uint16_t LineField(uint16_t file) {
  uint16_t f = DictLineField(file);
  return f == 0xFFFF ? 0 : f;
}

// Whether a record of `file` is a line of the document: every record of a
// separate lines file; in one file the records whose "N_LINE" is not blank.
bool IsLine(const DocFiles& files, uint16_t file, std::string_view record) {
  if (file != files.lines) return false;
  if (files.lines != files.header) return true;
  uint16_t n = LineField(file);
  if (!n) return false;
  return !Blank(record.substr(DictFieldOffset(file, n), DictFieldLength(file, n)));
}

// Every record of the file whose key 1 begins with the key, in key order.
Status Collect(uint16_t file, const std::string& key, std::vector<std::string>* out) {
  ScratchScope scope;
  Status st = DataFileLocate(file, 1, StrOf(key), 0);
  while (st == kOk) {
    ScratchScope inner;
    StrPair value = BufFileKeyValue(file, 1);
    if (!value.ok()) return StrError(value);
    if (value.view().substr(0, key.size()) != key) break;
    StrPair record = BufRecord(file, kBufCurrent);
    if (!record.ok()) return StrError(record);
    out->emplace_back(record.view());
    st = DataFileMove(file, 0x10);
  }
  return st >= kStFirstError ? st : Status{kOk};
}

// The current record with the document key in key 1's leading bytes and,
// for a header, "N_LINE" blank.
Status MarkRecord(uint16_t file, const std::string& key, bool blank_line) {
  ScratchScope scope;
  StrPair current = BufRecord(file, kBufCurrent);
  if (!current.ok()) return StrError(current);
  std::string record(current.view());
  DictKeyLayout parts = DictKeyParts(file, 1);
  size_t used = 0;
  for (uint16_t i = 0; i < parts.count && used < key.size(); ++i) {
    size_t n = std::min<size_t>(parts.parts.part[i].length, key.size() - used);
    record.replace(parts.parts.part[i].offset, n, key, used, n);
    used += n;
  }
  if (uint16_t n = LineField(file); blank_line && n)
    record.replace(DictFieldOffset(file, n), DictFieldLength(file, n), DictFieldLength(file, n), ' ');
  return BufStore(file, kBufCurrent, StrOf(record));
}

// The record buffers and control blocks of the document's files.
struct Kept {
  DataFileSaved header, lines;
  Status Take(const DocFiles& files) {
    Status s = DataFileCtrlSave(files.header, header);
    if (!s && files.lines != files.header) s = DataFileCtrlSave(files.lines, lines);
    return s;
  }
  // Puts both back; the copy stays for a later put-back.
  void PutBack() {
    for (DataFileSaved* d : {&header, &lines}) {
      if (!d->filled) continue;
      DataFileSaved copy = *d;
      DataFileCtrlSave(copy.file, copy);
    }
  }
};

Status Reopen(const DocFiles& files) {
  Status s = DataFileReopen(files.header, kOk);
  if (files.lines != files.header) {
    Status t = DataFileReopen(files.lines, kOk);
    if (!s) s = t;
  }
  return s;
}

// A journal left by a save that could not put its document back: restored
// first, so that it never covers a later save's document.
Status SettlePending(uint16_t header) {
  if (!DocJournalPending(header)) return kOk;
  DocJournal j;
  Status s = DocJournalRead(header, &j);
  if (!s) s = DocJournalRestore(j, kWriteNoRules, StrOf(""));
  if (!s) s = DocJournalRemove(header);
  return s;
}

// Deletes the stored document under the journal, then writes the new
// records (none for a document delete). See the header for the contract.
Status Rewrite(const DocFiles& files, const std::string& key, const std::string& slots, const std::string& test,
               uint16_t max_lines, bool must_exist, const std::function<Status()>& write_new) {
  if (Status s = SettlePending(files.header)) return s;
  Kept kept;
  if (Status s = kept.Take(files)) return s;
  DocJournal j;
  j.header = files.header;
  j.lines = files.lines;
  j.key = key;
  uint16_t lines = 0;
  std::vector<uint16_t> both{files.header};
  if (files.lines != files.header) both.push_back(files.lines);
  for (uint16_t file : both) {
    std::vector<std::string> records;
    Status s = Collect(file, key, &records);
    if (s) {
      kept.PutBack();
      return s;
    }
    for (std::string& r : records) {
      lines += IsLine(files, file, r);
      j.records.emplace_back(file, std::move(r));
    }
  }
  Status refused = kOk;
  if (must_exist && j.records.empty()) refused = kStEndOfData;
  else if (lines > max_lines) refused = kStUndefinedWarning;
  if (!refused) refused = DocJournalWrite(j);
  if (refused) {
    kept.PutBack();
    return refused;
  }

  Status st = DocDeleteKeyRecords(files.header, key, 0, StrOf(slots), StrOf(test));
  if (!st && files.lines != files.header)
    st = DocDeleteKeyRecords(files.lines, key, 0, StrOf(slots), StrOf(test));
  kept.PutBack();
  if (!st && write_new) st = write_new();
  if (!st) st = Reopen(files);
  if (!st) return DocJournalRemove(files.header);

  // Something failed after the deletions began: the stored document goes
  // back as it was. A failing put-back leaves the journal, which the next
  // save of the file or the next start puts back first.
  if (!DocJournalRestore(j, 0, StrOf(slots)) && !Reopen(files)) DocJournalRemove(files.header);
  kept.PutBack();
  return st;
}

}  // namespace

StrPair DocKeyText(uint16_t file, uint16_t key, StrPair text, int n) {
  if (!text.ok()) return text;
  std::string t(text.view());
  // Without "N_LINE" the whole value is the key: cut to fewer bytes it would
  // also begin the keys of other documents ("A1" those of "A10").
  uint16_t line = LineField(file);
  if (!line) return ScratchText(t);
  DictKeyLayout parts = DictKeyParts(file, key);
  if (!parts.count) return ScratchText(t);
  const auto& last = parts.parts.part[parts.count - 1];
  const uint16_t width = DictFieldLength(file, line);
  if (last.offset + last.length != DictFieldOffset(file, line) + width) return ScratchText(t);
  const size_t cut = DictKeyLength(file, key, 0) - width;
  t.resize(cut, ' ');
  if (n == 0) {
    t.append(width, ' ');
  } else if (n > 0) {
    std::string digits = std::to_string(n);
    if (digits.size() < width) t.append(width - digits.size(), ' ');
    t += digits.substr(digits.size() > width ? digits.size() - width : 0);
  }
  return ScratchText(t);
}

Status DocLoad(DocFiles files, StrPair key, uint16_t max_lines, const std::function<Status(uint16_t line)>& on_line,
               DocLoadInfo* info) {
  DocLoadInfo result;
  if (info) *info = result;
  if (!key.ok()) return StrError(key);
  const std::string k(key.view());
  if (Blank(k)) return kStEndOfData;
  std::string header_key = k;
  if (uint16_t n = LineField(files.header)) header_key.append(DictFieldLength(files.header, n), ' ');
  Status found = DataFileLocate(files.header, 1, StrOf(header_key), 0);
  if (found >= kStFirstError) return found;
  result.header_found = found == kOk;
  DataFileSaved header;
  if (Status s = DataFileCtrlSave(files.header, header)) return s;

  std::vector<std::string> records;
  Status st = Collect(files.lines, k, &records);
  uint32_t count = 0;
  for (const std::string& r : records) {
    if (st) break;
    if (!IsLine(files, files.lines, r)) continue;
    if (++count > max_lines) {
      st = kStUndefinedWarning;
      break;
    }
    ScratchScope scope;
    st = BufStore(files.lines, kBufCurrent, StrOf(r));
    if (!st) st = BufCopyPart(files.lines, 1);
    if (!st && on_line) st = on_line(uint16_t(count));
    if (!st) result.lines = uint16_t(count);
  }
  DataFileCtrlSave(files.header, header);
  if (info) *info = result;
  return st;
}

Status DocSave(DocFiles files, StrPair key, const DocSaveParts& parts) {
  for (StrPair p : {key, parts.slot_list, parts.test})
    if (p.ok() == false && p.len) return StrError(p);
  const std::string k(key.view());
  if (Blank(k)) return kStEndOfData;
  const std::string slots(parts.slot_list.view()), test(parts.test.view());
  auto write_new = [&]() -> Status {
    DocAddFn add = [&]() -> Status {
      if (Status s = MarkRecord(files.header, k, true)) return s;
      Status w = DataFileWriteHooked(kWriteAdd, files.header, StrOf(slots), StrOf(test));
      return w >= kStFirstError ? w : Status{kOk};
    };
    Status st = parts.headers ? parts.headers(add) : add();
    if (st >= kStFirstError) return st;
    const uint16_t line_field = LineField(files.lines);
    for (uint16_t n = 1; n <= parts.line_count; ++n) {
      ScratchScope scope;
      if (Status s = MarkRecord(files.lines, k, false)) return s;
      if (line_field) {
        if (Status s = BufSetField(files.lines, line_field, StrOf(std::to_string(n)))) return s;
      }
      if (parts.fill_line) {
        Status s = parts.fill_line(n);
        if (s >= kStFirstError) return s;
      }
      Status w = DataFileWriteHooked(kWriteAdd, files.lines, StrOf(slots), StrOf(""));
      if (w >= kStFirstError) return w;
    }
    return kOk;
  };
  return Rewrite(files, k, slots, test, parts.max_lines, false, write_new);
}

Status DocDelete(DocFiles files, StrPair key, StrPair slot_list, StrPair test) {
  if (!key.ok()) return StrError(key);
  const std::string k(key.view());
  if (Blank(k)) return kStEndOfData;
  const std::string slots(slot_list.ok() ? slot_list.view() : std::string_view());
  const std::string t(test.ok() ? test.view() : std::string_view());
  return Rewrite(files, k, slots, t, 0xFFFF, true, nullptr);
}

}  // namespace eng
