#include "data/doc_journal.h"

#include <cstring>

#include "core/block_file.h"
#include "core/scratch_arena.h"
#include "data/data_file_path.h"
#include "data/dict_file_path.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/hooked_write.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"

namespace eng {

namespace {

constexpr char kMark[8] = {'D', 'O', 'C', 'S', 'A', 'V', 'E', '1'};

uint32_t Checksum(const std::string& bytes) {
  uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

void PutU16(std::string& out, uint16_t v) {
  out += char(v & 0xFF);
  out += char(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

// Reads the journal's fields in order; any read past the end marks it bad.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : b_(bytes) {}
  uint16_t U16() {
    uint16_t v = 0;
    if (Have(2)) v = uint16_t(Byte(0) | (Byte(1) << 8));
    Skip(2);
    return v;
  }
  uint32_t U32() {
    uint32_t v = 0;
    if (Have(4))
      for (int i = 0; i < 4; ++i) v |= uint32_t(Byte(i)) << (8 * i);
    Skip(4);
    return v;
  }
  std::string Bytes(uint32_t n) {
    std::string v;
    if (Have(n)) v.assign(b_.substr(pos_, n));
    Skip(n);
    return v;
  }
  bool ok() const { return ok_; }
  bool AtEnd() const { return ok_ && pos_ == b_.size(); }

 private:
  bool Have(size_t n) const { return ok_ && b_.size() - pos_ >= n; }
  unsigned Byte(size_t i) const { return static_cast<unsigned char>(b_[pos_ + i]); }
  void Skip(size_t n) {
    if (Have(n)) pos_ += n;
    else ok_ = false;
  }
  std::string_view b_;
  size_t pos_ = 0;
  bool ok_ = true;
};

bool FileIsOpen(uint16_t file) { return DataFileCtrl(file).data_stream != 0xFFFF; }

}  // namespace

std::string DocJournalPath(uint16_t header_file) {
  std::string path = DictFilePath(header_file, kPathRecords);
  if (path.empty()) return path;
  size_t dot = path.rfind('.');
  size_t slash = path.find_last_of("/\\");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
  return path + ".DJN";
}

bool DocJournalPending(uint16_t header_file) {
  std::string path = DocJournalPath(header_file);
  return !path.empty() && BlockFileExists(path);
}

Status DocJournalWrite(const DocJournal& journal) {
  std::string path = DocJournalPath(journal.header);
  if (path.empty()) return kStDataOutBound;
  std::string out(kMark, sizeof kMark);
  PutU16(out, journal.header);
  PutU16(out, journal.lines);
  PutU32(out, uint32_t(journal.key.size()));
  out += journal.key;
  PutU32(out, uint32_t(journal.records.size()));
  for (const auto& [file, image] : journal.records) {
    PutU16(out, file);
    PutU32(out, uint32_t(image.size()));
    out += image;
  }
  PutU32(out, Checksum(out));
  return BlockFileReplace(path, out.data(), out.size(), true) ? Status{kStFileIo} : Status{kOk};
}

Status DocJournalRead(uint16_t header_file, DocJournal* journal) {
  std::string path = DocJournalPath(header_file);
  if (path.empty() || !BlockFileExists(path)) return kStFileNotFound;
  BlockFile file;
  if (file.Open(path, false, false)) return kStFileIo;
  int64_t size = file.Size();
  if (size < int64_t(sizeof kMark) + 4) return kStFileIo;
  std::string bytes(size_t(size), '\0');
  if (!file.ReadAt(0, bytes.data(), bytes.size())) return kStFileIo;
  std::string body = bytes.substr(0, bytes.size() - 4);
  Reader tail(std::string_view(bytes).substr(body.size()));
  if (tail.U32() != Checksum(body) || std::memcmp(body.data(), kMark, sizeof kMark) != 0) return kStFileIo;
  Reader r(std::string_view(body).substr(sizeof kMark));
  DocJournal j;
  j.header = r.U16();
  j.lines = r.U16();
  j.key = r.Bytes(r.U32());
  uint32_t count = r.U32();
  for (uint32_t i = 0; i < count && r.ok(); ++i) {
    uint16_t f = r.U16();
    j.records.emplace_back(f, r.Bytes(r.U32()));
  }
  if (!r.AtEnd() || j.header != header_file) return kStFileIo;
  *journal = std::move(j);
  return kOk;
}

Status DocJournalRemove(uint16_t header_file) {
  std::string path = DocJournalPath(header_file);
  if (path.empty() || !BlockFileExists(path)) return kOk;
  return BlockFileRemove(path) ? Status{kStFileIo} : Status{kOk};
}

Status DocDeleteKeyRecords(uint16_t file, std::string_view key, uint16_t extra_flags, StrPair slot_list,
                           StrPair test) {
  const std::string slots(slot_list.ok() ? slot_list.view() : std::string_view());
  const std::string test_text(test.ok() ? test.view() : std::string_view());
  for (;;) {
    ScratchScope scope;
    // Each deletion removes the record from key 1, so the next locate finds
    // the following record of the document, until none is left.
    Status found = DataFileLocate(file, 1, StrOf(key), 0);
    if (found >= kStFirstError) return found;
    if (found != kOk) return kOk;
    if (Status s = DataFileWriteHooked(kWriteDelete | extra_flags, file, StrOf(slots), StrOf(test_text)))
      return s;
  }
}

Status DocJournalRestore(const DocJournal& journal, uint16_t extra_flags, StrPair slot_list) {
  const std::string slots(slot_list.ok() ? slot_list.view() : std::string_view());
  Status s = DocDeleteKeyRecords(journal.header, journal.key, extra_flags, StrOf(slots), StrOf(""));
  if (!s && journal.lines != journal.header)
    s = DocDeleteKeyRecords(journal.lines, journal.key, extra_flags, StrOf(slots), StrOf(""));
  for (const auto& [file, image] : journal.records) {
    if (s) break;
    ScratchScope scope;
    if (image.size() != DictRecordLength(file)) return kStFileIo;
    if ((s = DataFileMove(file, 1)) == 3) s = BufStore(file, kBufCurrent, StrOf(image));
    if (!s) s = DataFileWriteHooked(kWriteAdd | extra_flags, file, StrOf(slots), StrOf(""));
  }
  return s;
}

Status DocJournalRecoverAll() {
  for (uint16_t f = 1; f <= DictFileCount(); ++f) {
    if (!DocJournalPending(f)) continue;
    DocJournal j;
    if (Status s = DocJournalRead(f, &j)) return s;
    if (!DictFileDefined(j.lines)) return kStFileIo;
    bool opened[2] = {false, false};
    const uint16_t files[2] = {j.header, j.lines};
    Status s = kOk;
    for (int i = 0; i < 2 && !s; ++i) {
      if (FileIsOpen(files[i])) continue;
      Status o = DataFileOpen(files[i], 0);
      if (o >= kStFirstError) s = o;
      else opened[i] = true;
    }
    if (!s) s = DocJournalRestore(j, kWriteNoRules, StrOf(""));
    for (int i = 1; i >= 0; --i) {
      if (!opened[i]) continue;
      Status c = DataFileClose(files[i]);
      if (!s) s = c;
    }
    if (!s) s = DocJournalRemove(f);
    if (s) return s;
  }
  return kOk;
}

}  // namespace eng
