#include "data/trans_format.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "core/dec_value.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/field_format.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "data/buf_format.h"
#include "data/dict_query.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/trans_parms.h"

namespace eng {

namespace {

constexpr char kCrLf[] = "\r\n";

std::string_view TrimView(std::string_view v) {
  size_t a = v.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  size_t b = v.find_last_not_of(' ');
  return v.substr(a, b - a + 1);
}

std::string Trim(std::string_view v) {
  size_t a = v.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  size_t b = v.find_last_not_of(' ');
  return std::string(v.substr(a, b - a + 1));
}

// The items of an export or an import: STRUCT$, else every field's
// qualified name.
std::vector<std::string> StructItems() {
  std::vector<std::string> out;
  std::string list = TransParm(kTpStruct);
  if (list.empty()) return out;
  ScratchScope scope;
  const uint16_t n = StrItemCount(StrOf(list), ',');
  for (uint16_t i = 1; i <= n; ++i) out.push_back(StrItem(StrOf(list), ',', i).str());
  return out;
}

std::string QualName(uint16_t file, uint16_t field) {
  ScratchScope scope;
  return DictFieldQualName(file, field).str();
}

struct ItemRef {
  uint16_t file = 0;
  uint16_t field = 0;  // 0: an expression
};

// A field reference, else a field of the target by name, else an expression.
ItemRef Resolve(uint16_t target, const std::string& item) {
  ItemRef r;
  size_t brace = item.find('{');
  if (brace != std::string::npos && !item.empty() && item.back() == '}' && item.find_first_of("=+-*/(<>&|!'\"") == std::string::npos) {
    ScratchScope scope;
    DictFieldRefResult ref = DictFieldRef(StrOf(item));
    if (ref.status == kOk && ref.field != 0) return ItemRef{ref.file, ref.field};
  }
  ScratchScope scope;
  uint16_t f = DictFindField(target, StrOf(item));
  if (f != 0xFFFF && f != 0) return ItemRef{target, f};
  return r;
}

// An expression's value as text; `number` tells which kind it was.
Status EvalValue(const std::string& expr, std::string* value, bool* number) {
  ScratchScope scope;
  Status s = ExpEvalText(StrOf(expr));
  if (s >= kStFirstError) return s;
  if (s == 0) {
    *number = true;
    *value = DecToText(NumAccValue()).str();
  } else {
    *number = false;
    StrPair top = ScratchTop();
    *value = top.ok() ? top.str() : std::string();
  }
  return kOk;
}

bool ReadsAsZero(std::string_view v) {
  for (char c : v)
    if (c != '0' && c != '.' && c != '-' && c != '+' && c != ' ') return false;
  return true;
}

// A number as the import accepts it: blanks around, a sign, digits with at
// most one point; the empty value is zero.
bool ParsesAsNumber(std::string_view v) {
  std::string_view t = TrimView(v);
  if (t.empty()) return true;
  size_t i = 0;
  if (t[0] == '-' || t[0] == '+') i = 1;
  bool digits = false, point = false;
  for (; i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9') digits = true;
    else if (t[i] == '.' && !point) point = true;
    else return false;
  }
  return digits;
}

// Bytes a text line may not hold: control bytes other than the tab, DEL,
// and the five bytes of code page 1252 that have no character.
bool BadByte(unsigned char c, bool cp850) {
  if (c < 0x20) return c != '\t';
  if (c == 0x7F) return true;
  if (cp850) return false;
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

Status Refuse(TransSides& sides, Status status, std::string detail) {
  sides.detail = std::move(detail);
  return status;
}

void SetField(TransItem& it, uint16_t target, uint16_t file, uint16_t field) {
  const DictFieldDesc d = DictField(file, field);
  it.file = file;
  it.field = field;
  it.type = d.type;
  it.number = TransIsNumberType(d.type);
  it.own = file == target;
  it.offset = d.offset;
  it.length = d.length;
  it.display = TransFieldWidth(file, field);
}

// An import descriptor: p is the position of its first ";" (its length
// without one); p of 1-3 makes the characters before it a width expression
// and those after the ";" the target; otherwise the whole descriptor is the
// target and p its width. A target without "=" is a field reference.
void PlanImportItem(TransItem& it, uint16_t target_file) {
  const std::string& desc = it.text;
  const size_t semi = desc.find(';');
  const size_t p = semi == std::string::npos ? desc.size() : semi;
  it.width = uint32_t(p);
  if (p >= 1 && p <= 3) {
    ScratchScope scope;
    int16_t w = ExpEvalInt(StrOf(desc.substr(0, p)));
    it.width = w < 0 ? 0 : uint32_t(w);
    if (semi != std::string::npos) it.target = desc.substr(semi + 1);
  } else {
    it.target = desc;
  }
  if (it.target.empty()) {
    it.kind = TransItem::kNone;
  } else if (it.target.find('=') != std::string::npos) {
    it.kind = TransItem::kExpression;
  } else {
    DictFieldRefResult ref;
    {
      ScratchScope scope;
      ref = DictFieldRef(StrOf(it.target));
    }
    if (ref.status != kOk || ref.field == 0) {
      it.kind = TransItem::kBadReference;
    } else {
      it.kind = TransItem::kField;
      SetField(it, target_file, ref.file, ref.field);
    }
  }
}

TransPlan& PlanOf(TransSides& sides, uint16_t mode) {
  TransPlan& plan = sides.plan;
  if (plan.ready) return plan;
  plan.ready = true;
  const uint16_t file = sides.file;
  plan.delimiter = TransDelimiter();
  plan.record_length = TransRecordLength(file, mode);
  plan.capacity = kTransExportBuffer;
  if (std::string b = TransParm(kTpBuffSize); !b.empty() && std::strtol(b.c_str(), nullptr, 10) > 0)
    plan.capacity = uint32_t(std::strtol(b.c_str(), nullptr, 10));
  const std::vector<std::string> texts = StructItems();
  plan.own_items = texts.empty();
  const bool import = TransIsImport(mode);
  if (plan.own_items) {
    const uint16_t count = DictFieldCount(file);
    std::vector<TransItem>& list = import ? plan.field_items : plan.items;
    for (uint16_t f = 1; f <= count; ++f) {
      TransItem it;
      it.text = QualName(file, f);
      if (import) PlanImportItem(it, file);
      else SetField(it, file, file, f);
      list.push_back(std::move(it));
    }
  } else {
    for (const std::string& t : texts) {
      TransItem it;
      it.text = t;
      if (import) {
        PlanImportItem(it, file);
      } else {
        ItemRef ref = Resolve(file, t);
        if (ref.field) SetField(it, file, ref.file, ref.field);
      }
      plan.items.push_back(std::move(it));
    }
  }
  const std::vector<TransItem>& used = plan.own_items ? plan.field_items : plan.items;
  plan.import_aside = import && !used.empty();
  for (const TransItem& it : used)
    if (it.kind == TransItem::kExpression || it.kind == TransItem::kBadReference ||
        (it.kind == TransItem::kField && !it.own))
      plan.import_aside = false;
  return plan;
}

// A field's value as callers read it: a field of the target is cut from the
// record once read; others through the record buffer of their file.
StrPair FieldValue(const TransItem& it, StrPair record) {
  if (it.own && record.ok() && record.ptr && uint32_t(it.offset) + it.length <= record.len && it.length)
    return BufReadConvert(it.type, StrMake(record.ptr + it.offset, it.length));
  return BufGetField(it.file, it.field);
}


enum class ReadResult { kOk, kEnd, kFailed, kTooLong };

constexpr size_t kReadChunk = size_t(1) << 16;

// Reads the next chunk of the external stream behind the bytes not yet used.
ReadResult Refill(TransSides& sides, uint16_t stream) {
  if (sides.in_end) return ReadResult::kEnd;
  sides.in_buf.erase(0, sides.in_pos);
  sides.in_pos = 0;
  const size_t have = sides.in_buf.size();
  sides.in_buf.resize(have + kReadChunk);
  StrmCount n = StrmRead(stream, kStrmHere, kReadChunk, sides.in_buf.data() + have, kReadChunk);
  if (n == kStrmFailed) {
    sides.in_buf.resize(have);
    return ReadResult::kFailed;
  }
  if (n <= 0) {
    sides.in_buf.resize(have);
    sides.in_end = true;
    return ReadResult::kEnd;
  }
  sides.in_buf.resize(have + size_t(n));
  return ReadResult::kOk;
}

// The next line without its CR LF (or LF). A last line without terminator
// counts; a lone end-of-file mark (Ctrl-Z) at the end does not.
ReadResult ReadLine(TransSides& sides, uint16_t stream, std::string* line) {
  size_t from = sides.in_pos;
  while (true) {
    size_t nl = sides.in_buf.find('\n', from);
    if (nl != std::string::npos) {
      if (nl - sides.in_pos > kMaxText + 1) return ReadResult::kTooLong;
      line->assign(sides.in_buf, sides.in_pos, nl - sides.in_pos);
      sides.in_pos = nl + 1;
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return ReadResult::kOk;
    }
    if (sides.in_buf.size() - sides.in_pos > kMaxText + 1) return ReadResult::kTooLong;
    from = sides.in_buf.size() - sides.in_pos;
    ReadResult r = Refill(sides, stream);
    from += sides.in_pos;
    if (r == ReadResult::kFailed) return r;
    if (r == ReadResult::kEnd) {
      if (sides.in_pos >= sides.in_buf.size()) return ReadResult::kEnd;
      line->assign(sides.in_buf, sides.in_pos, std::string::npos);
      sides.in_pos = sides.in_buf.size();
      if (!line->empty() && line->back() == '\r') line->pop_back();
      if (*line == "\x1a") return ReadResult::kEnd;
      if (line->size() > kMaxText) return ReadResult::kTooLong;
      return ReadResult::kOk;
    }
  }
}

// The next `count` bytes, fewer at the end of the stream.
ReadResult ReadBytes(TransSides& sides, uint16_t stream, size_t count, std::string* out) {
  while (sides.in_buf.size() - sides.in_pos < count) {
    ReadResult r = Refill(sides, stream);
    if (r == ReadResult::kFailed) return r;
    if (r == ReadResult::kEnd) break;
  }
  const size_t n = std::min(count, sides.in_buf.size() - sides.in_pos);
  if (n == 0) return ReadResult::kEnd;
  out->assign(sides.in_buf, sides.in_pos, n);
  sides.in_pos += n;
  return ReadResult::kOk;
}

}  // namespace

bool TransIsNumberType(char type) { return type != 0 && std::strchr("NL123456789", type) != nullptr; }

uint16_t TransFieldWidth(uint16_t file, uint16_t field) {
  return DictTypeWidth(DictFieldType(file, field), DictFieldLength(file, field));
}

Status TransHumanHeader(uint16_t file, std::string* out) {
  std::string line1, line2;
  std::vector<std::string> items = StructItems();
  const bool own = items.empty();
  const uint16_t count = own ? DictFieldCount(file) : uint16_t(items.size());
  for (uint16_t i = 1; i <= count; ++i) {
    std::string label;
    size_t width;
    if (own) {
      ScratchScope scope;
      label = DictFieldName(file, i).str();
      width = TransFieldWidth(file, i);
    } else {
      label = items[i - 1];
      std::string value;
      bool number = false;
      if (Status s = EvalValue(label, &value, &number)) return s;
      width = value.size();
    }
    if (i > 1) {
      line1 += ' ';
      line2 += ' ';
    }
    label.resize(width, ' ');
    line1 += label;
    line2.append(width, '=');
  }
  *out = line1 + kCrLf + line2 + kCrLf;
  return kOk;
}

Status TransWriteHeader(const TransSides& sides, uint16_t mode) {
  if (!TransIsExport(mode)) return kOk;
  std::string text = TransParm(kTpHeader);
  if (text.empty() && (mode & kTransHumanRead))
    if (Status s = TransHumanHeader(sides.file, &text)) return s;
  if (text.empty()) return kOk;
  if (mode & kTransStream) text += kCrLf;
  if (sides.external == 0 || sides.external == kStrmNone) return kOk;
  StrmCount n = StrmWrite(sides.external, kStrmHere, text.data(), text.size());
  return n == StrmCount(text.size()) ? kOk : kStLowFailure;
}

Status TransCopyToOther(uint16_t file, uint16_t other) {
  std::vector<std::string> items = StructItems();
  const uint16_t count = std::min<uint16_t>(DictFieldCount(other), uint16_t(items.size()));
  if (Status s = DataFileMove(other, 1); s != 3) return s >= kStFirstError ? s : Status{kStFileIo};
  for (uint16_t i = 1; i <= count; ++i) {
    ItemRef ref = Resolve(file, items[i - 1]);
    if (ref.file == other) continue;  // the other file's own field stays blank
    std::string value;
    bool number = false;
    if (ref.field) {
      ScratchScope scope;
      StrPair v = BufGetField(ref.file, ref.field);
      if (!v.ok()) return StrError(v);
      value = v.str();
    } else if (Status s = EvalValue(items[i - 1], &value, &number)) {
      return s;
    }
    ScratchScope scope;
    if (Status s = BufSetField(other, i, StrOf(Trim(value)))) return s;
  }
  return DataFileAddRecord(other);
}

Status TransFormatExport(TransSides& sides, uint16_t mode, std::string* out) {
  out->clear();
  const TransPlan& plan = PlanOf(sides, mode);
  const bool sql = (mode & kTransIsSql) != 0;
  const bool delimited = (mode & kTransDelimited) || ((mode & kTransStream) && sql);
  const bool listing = (mode & kTransHumanRead) != 0;
  const char quote = sql ? '\'' : '"';
  const uint32_t capacity = plan.capacity;
  StrPair record = BufRecord(sides.file, kBufCurrent);
  std::string evaluated;
  for (size_t i = 0; i < plan.items.size(); ++i) {
    const TransItem& it = plan.items[i];
    ScratchScope scope;
    std::string_view value;
    bool number = false;
    if (it.field) {
      number = it.number;
      StrPair v = FieldValue(it, record);
      if (!v.ok()) return StrError(v);
      value = v.view();
      if (listing && it.type < '9') {
        StrPair shown = FmtFieldToText(it.type, v, it.display);
        if (shown.ok()) value = shown.view();
      }
    } else {
      if (Status s = EvalValue(it.text, &evaluated, &number)) return s;
      value = evaluated;
      // The expression may have moved or reloaded the record.
      record = BufRecord(sides.file, kBufCurrent);
    }
    if (i > 0) {
      if (delimited) *out += plan.delimiter;
      else if (listing) *out += ' ';
    }
    bool quoted = false;
    if (delimited) {
      value = TrimView(value);
      if (!number || sql) quoted = true;
      else if (ReadsAsZero(value)) value = {};
    }
    const size_t size = value.size() + (quoted ? 2 : 0);
    if (out->size() + size > capacity) {
      std::string piece = quoted ? quote + std::string(value) + quote : std::string(value);
      out->append(piece, 0, capacity - out->size());
      return kStStrConcat;
    }
    if (quoted) *out += quote;
    out->append(value);
    if (quoted) *out += quote;
  }
  return kOk;
}

Status TransFlush(uint16_t stream, std::string& pending) {
  if (pending.empty()) return kOk;
  StrmCount n = StrmWrite(stream, kStrmHere, pending.data(), pending.size());
  const bool whole = n == StrmCount(pending.size());
  pending.clear();
  return whole ? kOk : kStLowFailure;
}

Status TransWriteOut(TransSides& sides, const std::string& record, uint16_t mode) {
  if (sides.external == 0 || sides.external == kStrmNone) return kOk;
  sides.out_pending += record;
  if (mode & kTransStream) sides.out_pending += kCrLf;
  return sides.out_pending.size() >= kTransWriteChunk ? TransFlush(sides.external, sides.out_pending) : kOk;
}

bool TransSplitDelimited(std::string_view line, char delimiter, std::vector<std::string>* values) {
  size_t count = 0;
  // The next value, reusing a string the vector already holds.
  auto next = [&]() -> std::string& {
    if (count == values->size()) values->emplace_back();
    std::string& v = (*values)[count++];
    v.clear();
    return v;
  };
  auto done = [&](bool ok) {
    values->resize(count);
    return ok;
  };
  size_t i = 0;
  while (true) {
    size_t lead = i;
    while (lead < line.size() && line[lead] == ' ') ++lead;
    if (lead < line.size() && line[lead] == '"') {
      std::string& v = next();
      size_t j = lead + 1;
      bool closed = false;
      while (j < line.size()) {
        if (line[j] == '"') {
          if (j + 1 < line.size() && line[j + 1] == '"') {
            v += '"';
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        // The run of plain characters up to the next quote in one piece.
        size_t q = line.find('"', j);
        if (q == std::string_view::npos) q = line.size();
        v.append(line.substr(j, q - j));
        j = q;
      }
      if (!closed) return done(false);
      while (j < line.size() && line[j] == ' ') ++j;
      if (j < line.size() && line[j] != delimiter) return done(false);
      if (j >= line.size()) return done(true);
      i = j + 1;
    } else {
      size_t end = line.find(delimiter, i);
      std::string_view raw = line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
      if (raw.find('"') != std::string_view::npos) return done(false);
      next().assign(raw);
      if (end == std::string_view::npos) return done(true);
      i = end + 1;
    }
  }
}

namespace {

// Stores the items' values of one record. Built aside (`built` not null),
// the target's fields are formatted into that copy of the record; otherwise
// each goes through the record buffer, as expressions may read them.
Status StoreItems(TransSides& sides, uint16_t mode, const std::vector<TransItem>& items, std::string* built) {
  const bool delimited = (mode & kTransDelimited) != 0;
  const std::string& record = sides.record;
  size_t pos = 0;
  std::string fixed;
  for (size_t i = 0; i < items.size(); ++i) {
    const TransItem& it = items[i];
    std::string_view value;
    if (delimited) {
      value = sides.values[i];
    } else {
      if (pos + it.width > record.size())
        return Refuse(sides, kStFileIo, "short record: " + std::to_string(record.size()) + " bytes, item " +
                                            std::to_string(i + 1) + " needs " + std::to_string(pos + it.width));
      value = std::string_view(record).substr(pos, it.width);
      pos += it.width;
    }
    switch (it.kind) {
      case TransItem::kNone:
        continue;
      case TransItem::kBadReference:
        ErrIncident(kStSyntax, StrOf(it.target), false);
        return Refuse(sides, kStSyntax, "bad field reference " + it.target);
      case TransItem::kExpression: {
        ScratchScope scope;
        DynStrPush(sl::kReturnBuffer, StrOf(value));
        Status s = ExpExecute(StrOf(it.target));
        DynStrPop(sl::kReturnBuffer);
        if (s >= kStFirstError) return Refuse(sides, s, "expression failed: " + it.target);
        continue;
      }
      case TransItem::kField:
        break;
    }
    if (it.number) {
      if (!ParsesAsNumber(value))
        return Refuse(sides, kStDataError, "not a number in " + it.target + ": " + Trim(value));
      // A zero is exported as an empty value: read it back as zero.
      if (delimited && TrimView(value).empty()) value = "0";
    } else if (delimited) {
      const size_t last = value.find_last_not_of(' ');
      const size_t kept = last == std::string_view::npos ? 0 : last + 1;
      if (kept > it.length) return Refuse(sides, kStStringTooLong, "value longer than " + it.target);
    }
    if (built && it.type == 'A') {
      // A text field is stored as its value cut to the field's length and
      // filled with blanks: written straight into the record.
      const size_t room = it.offset < built->size() ? std::min<size_t>(built->size() - it.offset, it.length) : 0;
      const size_t n = std::min(value.size(), room);
      char* at = built->data() + it.offset;
      if (n) std::memcpy(at, value.data(), n);
      if (room > n) std::memset(at + n, ' ', room - n);
      continue;
    }
    ScratchScope scope;
    if (built) {
      StrPair stored = BufFormatForField(it.type, StrOf(value), it.length);
      if (stored.ok()) {
        const size_t room = it.offset < built->size() ? built->size() - it.offset : 0;
        const size_t n = std::min<size_t>(stored.len, room);
        if (n) std::memcpy(built->data() + it.offset, stored.ptr, n);
        continue;
      }
      // Refused: the record buffer gives the same failure and its report.
    }
    if (Status s = BufSetField(it.file, it.field, StrOf(value)))
      return Refuse(sides, s, "value not stored in " + it.target);
  }
  return kOk;
}

}  // namespace

Status TransParseRecord(TransSides& sides, uint16_t stream, uint16_t mode, uint32_t* length) {
  const uint16_t file = sides.file;
  sides.detail.clear();
  const TransPlan& plan = PlanOf(sides, mode);
  const uint32_t reclen = plan.record_length;
  const bool line_mode = reclen == 0;
  if (Status s = BufBlank(file, kBufCurrent)) return s;
  std::string& record = sides.record;
  if (line_mode) {
    switch (ReadLine(sides, stream, &record)) {
      case ReadResult::kEnd:
        return kStLowFailure;
      case ReadResult::kFailed:
        sides.fatal = true;
        return kStFileIo;
      case ReadResult::kTooLong:
        sides.fatal = true;
        ++sides.records_read;
        return Refuse(sides, kStStringTooLong, "line longer than 65535 bytes");
      case ReadResult::kOk:
        break;
    }
  } else {
    switch (ReadBytes(sides, stream, reclen, &record)) {
      case ReadResult::kEnd:
        return kStLowFailure;
      case ReadResult::kOk:
        break;
      default:
        sides.fatal = true;
        return kStFileIo;
    }
  }
  ++sides.records_read;
  *length = uint32_t(record.size());
  if (record.empty() || record[0] == 27) return kStNoData;
  if (line_mode) {
    const bool cp850 = (mode & kTransCp850) != 0;
    for (unsigned char c : record)
      if (BadByte(c, cp850)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", c);
        return Refuse(sides, kStDataError, std::string("byte ") + hex + " in a text line");
      }
  } else if (record.size() < reclen) {
    return Refuse(sides, kStFileIo, "short record: " + std::to_string(record.size()) + " of " +
                                        std::to_string(reclen) + " bytes");
  }
  const bool delimited = (mode & kTransDelimited) != 0;
  const std::vector<TransItem>* items = &plan.items;
  if (delimited) {
    if (!TransSplitDelimited(record, plan.delimiter.empty() ? ',' : plan.delimiter[0], &sides.values))
      return Refuse(sides, kStDataError, "a quote inside a delimited value");
    if (plan.own_items) items = &plan.field_items;
    const size_t expected = items->size();
    if (sides.values.size() != expected)
      return Refuse(sides, kStDataError,
                    std::to_string(sides.values.size()) + " values, " + std::to_string(expected) + " expected");
  }
  if (items->empty()) {
    // A raw record: it must be exactly one record long.
    const uint16_t l = DictRecordLength(file);
    if (record.size() < l)
      return Refuse(sides, kStFileIo,
                    "short record: " + std::to_string(record.size()) + " of " + std::to_string(l) + " bytes");
    if (record.size() > l)
      return Refuse(sides, kStStringTooLong,
                    "over-long record: " + std::to_string(record.size()) + " of " + std::to_string(l) + " bytes");
    if (Status s = BufStore(file, kBufCurrent, StrOf(record))) return s;
    TransNormaliseNumbers(file);
    return kOk;
  }
  if (!plan.import_aside) return StoreItems(sides, mode, *items, nullptr);
  // The fields are formatted into a blank copy of the record, which then
  // takes the place of the current record, also when an item is refused.
  sides.built.assign(DictRecordLength(file), ' ');
  Status s = StoreItems(sides, mode, *items, &sides.built);
  if (Status b = BufStore(file, kBufCurrent, StrOf(sides.built)); b != kOk && s == kOk) s = b;
  return s;
}

void TransNormaliseNumbers(uint16_t file) {
  const uint16_t count = DictFieldCount(file);
  for (uint16_t f = 1; f <= count; ++f) {
    if (!TransIsNumberType(DictFieldType(file, f))) continue;
    ScratchScope scope;
    std::string v = BufFieldText(file, f, kBufCurrent).str();
    size_t a = v.find_first_not_of(' ');
    if (a == std::string::npos) continue;
    v.erase(0, a);
    if (v.find_first_not_of(".-1234567890") == std::string::npos) continue;
    long n = std::strtol(v.c_str(), nullptr, 10);
    BufSetField(file, f, StrOf(std::to_string(n)));
  }
}

namespace {

// Code page 850 to 1252: box drawing to "=" or blanks and the letters the
// records use, fixed; every other byte above 0x7F through iconv, kept as it
// is when 1252 has no counterpart.
std::array<unsigned char, 256> BuildCp850Table() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[size_t(i)] = static_cast<unsigned char>(i);
  iconv_t cd = iconv_open("CP1252", "CP850");
  if (cd != iconv_t(-1)) {
    for (int i = 0x80; i < 256; ++i) {
      char in[1] = {static_cast<char>(i)};
      char out[4] = {};
      char* ip = in;
      char* op = out;
      size_t il = 1, ol = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &ip, &il, &op, &ol) != size_t(-1) && ol == sizeof out - 1)
        t[size_t(i)] = static_cast<unsigned char>(out[0]);
    }
    iconv_close(cd);
  }
  static constexpr unsigned char kFrom[] = {0xA7, 0xA5, 0xA4, 0xCD, 0xF0, 0xDA, 0xD9, 0xC4, 0xC3, 0xC1, 0xC2,
                                            0xC0, 0xC5, 0xBF, 0xB4, 0xA0, 0x82, 0xA1, 0xA2, 0xA3, 0xB3, 0x80};
  static constexpr unsigned char kTo[] = {0xBA, 0xD1, 0xF1, '=', '=', ' ', ' ', ' ', ' ', ' ', ' ',
                                          ' ',  ' ',  ' ',  ' ', 0xE1, 0xE9, 0xED, 0xF3, 0xFA, ' ', 0xC7};
  for (size_t k = 0; k < sizeof kFrom; ++k) t[kFrom[k]] = kTo[k];
  return t;
}

}  // namespace

void TransCp850Convert(std::string& text) {
  static const std::array<unsigned char, 256> table = BuildCp850Table();
  for (char& c : text) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
}

Status TransCp850Record(uint16_t file) {
  ScratchScope scope;
  StrPair rec = BufRecord(file, kBufCurrent);
  if (!rec.ok()) return StrError(rec);
  std::string text = rec.str();
  TransCp850Convert(text);
  return BufStore(file, kBufCurrent, StrOf(text));
}

}  // namespace eng
