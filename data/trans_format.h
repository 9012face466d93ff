// Import and export record formats of transactions: fixed-length records
// (relative), lines ending in CR LF (sequential, STREAM), delimited lines
// (DELIMITED) and a listing (HUMAN_READ, exports only).
//
// Export: the items are STRUCT$ (field references, field names of the
// target, or expressions) or every field of the target. Delimited values
// are trimmed; texts (every value of an IS_SQL run) go in the quote
// character, "'" for IS_SQL and '"' otherwise (an embedded quote is written
// as it is); a number reading as zero is an empty value. A listing pads
// number fields to their display width and starts with two header lines.
//
// Import (TransParseRecord): one record (bytes or a line) into the target's
// current record, through the STRUCT$ descriptors ("width;target", or a
// target: a field reference, or an expression run with the value on string
// stack 30; the value itself is never evaluated). A record that cannot be
// stored whole is refused with a status and a detail, and the current
// record is not to be used:
//   131 short (fewer bytes than the items or the record take);
//   146 over-long (a line longer than a relative record, a delimited value
//       longer than its field);
//   163 wrong number of delimited values, a number that does not parse, a
//       broken quote, a control byte or a byte with no character.
// Empty records and records starting with ESC are skipped (127); the end of
// the input is kStLowFailure. A line longer than 65,535 bytes ends the
// input with 146 (TransSides::fatal).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"
#include "core/str_pair.h"
#include "core/streams.h"

namespace eng {

// One item of an export or an import, worked out once for the run.
//   Export: the item resolved to a field (field 0: an expression, evaluated
//   for each record).
//   Import: the descriptor's width and target; a target field resolved.
struct TransItem {
  std::string text;              // the STRUCT$ item or a field's qualified name
  uint16_t file = 0;             // the field's file and number (0: none)
  uint16_t field = 0;
  char type = 0;
  bool number = false;           // a number type letter
  bool own = false;              // a field of the target file
  uint16_t offset = 0;           // the field's place in its record
  uint16_t length = 0;
  uint16_t display = 0;          // the field's display width (listings)
  uint32_t width = 0;            // import: characters taken in fixed form
  std::string target;            // import: what the value goes to
  enum Target : uint8_t { kNone, kField, kExpression, kBadReference } kind = kNone;
};

// What a run works out from its parameters once, at its first record,
// instead of for every record: the delimiter (FLDELIM$ evaluated), the
// external record length, the export buffer's capacity and the items.
struct TransPlan {
  bool ready = false;
  bool own_items = false;        // no STRUCT$: every field of the target
  bool import_aside = false;     // every import target is a field of the
                                 // target: the record is built aside and
                                 // stored once
  std::string delimiter;
  uint32_t record_length = 0;
  uint32_t capacity = 0;
  std::vector<TransItem> items;
  std::vector<TransItem> field_items;  // every field of the target, for a
                                       // delimited import without STRUCT$
};

// Both sides of a run.
struct TransSides {
  Status open_status = kOk;
  uint16_t file = 0;                 // the target
  uint16_t external = kStrmNone;     // the external stream
  uint16_t temp = kStrmNone;         // the temporary import file
  uint16_t other = 0;                // IS_SQL: the other dictionary file
  std::string temp_name;
  std::string external_name;
  uint32_t last_length = 0;          // length of the last external record read
  uint32_t records_read = 0;         // external records read, for log lines
  bool fatal = false;                // the input cannot go on
  bool target_empty = false;         // an import's target held no record when opened
  Status after_delete = 2;           // where a delete left the walk (0, 1 on a record)
  std::string detail;                // why the last record was refused
  std::string out_pending;           // export bytes not yet written
  std::string temp_pending;          // collected import records not yet written
  std::string in_buf;                // external bytes read ahead
  size_t in_pos = 0;                 // the next unread byte of in_buf
  bool in_end = false;               // the external stream has no more bytes
  TransPlan plan;                    // worked out at the first record
  std::string record;                // the external record being read
  std::string built;                 // an import record built aside
  std::string formatted;             // the export record being formatted
  std::vector<std::string> values;   // the delimited values of a record
};

// Writes to the external stream and the temporary file are gathered and
// written in pieces of this size.
inline constexpr size_t kTransWriteChunk = size_t(1) << 16;
// Writes the gathered bytes; 0xFFFF when a write is short.
Status TransFlush(uint16_t stream, std::string& pending);

// Number type letters.
bool TransIsNumberType(char type);

// The export header: HEADER$, else the listing header with HUMAN_READ; CR LF
// added with STREAM; written at the end of the external stream. Exports only.
Status TransWriteHeader(const TransSides& sides, uint16_t mode);
Status TransHumanHeader(uint16_t file, std::string* out);
// One export record of the target into out (capacity BUFFSIZE or 16384:
// 153 past it).
Status TransFormatExport(TransSides& sides, uint16_t mode, std::string* out);
// Appends CR LF with STREAM and writes at the end of the external stream
// (nothing for stream 0), gathered in pieces; 0xFFFF for a short write.
Status TransWriteOut(TransSides& sides, const std::string& record, uint16_t mode);
uint16_t TransFieldWidth(uint16_t file, uint16_t field);
// The copy to another dictionary file (IS_SQL without STREAM): a new record
// of the other file takes, field by field, the value of STRUCT$ item i
// (built by TransCopyStruct), and is added.
Status TransCopyToOther(uint16_t file, uint16_t other);

// Reads and stores one external record; `length` gets its length.
Status TransParseRecord(TransSides& sides, uint16_t stream, uint16_t mode, uint32_t* length);
// Repairs the number fields of a raw record: a value holding a character
// other than ".-1234567890" becomes the integer read from its start.
void TransNormaliseNumbers(uint16_t file);
// Code page 850 to 1252 over a text, and over the current record.
void TransCp850Convert(std::string& text);
Status TransCp850Record(uint16_t file);
// Splits a delimited line; one pair of double quotes removed around a value
// that starts with one, a doubled quote inside it read as one. False for a
// quote that does not close before the delimiter or the end. The strings
// already in `values` are reused.
bool TransSplitDelimited(std::string_view line, char delimiter, std::vector<std::string>* values);

}  // namespace eng
