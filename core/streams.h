// Numbered file streams (module "Streams", 17): a table of 40 stream numbers
// over the C library's buffered files. Numbers 0, 1 and 2 are the process's
// standard input, output and error and are never closed; 3-39 are given out
// by StrmOpen. Every name goes through the path resolver.
//
// Positions are 64-bit byte offsets; kStrmHere, outside the offset range,
// means the current position for reads and the end of the file for writes.
// Counts and failures travel apart: a count is never mistaken for the end.
//
// Open flags: 2 write (truncating), 4 append, neither read; 8 no update mode
// and no creation (without it "+" is added and a missing file is created
// first, never truncating an existing one); 0x80 return the failure status
// instead of recording it and returning kStrmNone. The name "CON" gives
// stream 1 when the low five flag bits are exactly 2, else stream 0.
//
// A file rewritten whole (StrmWriteFileAt with kStrmReplace) is written to a
// new file in the same folder, synced and renamed over the old one, so the
// old file stays whole until the new one is complete. StrmRenameFile never
// replaces an existing target.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kStreams = 40;
inline constexpr uint16_t kStrmNone = 0xFFFF;     // no stream / failed open
inline constexpr size_t kStrmPiece = 512;
inline constexpr size_t kStrmNameMax = 383;

using StrmPos = int64_t;
inline constexpr StrmPos kStrmHere = -1;     // reads: current position; writes: the end
inline constexpr StrmPos kStrmReplace = -2;  // StrmWriteFileAt: replace the whole file

using StrmCount = int64_t;
inline constexpr StrmCount kStrmEnd = -1;      // the read starts at or past the end
inline constexpr StrmCount kStrmFailed = -2;   // a seek, read or write failed
inline constexpr StrmCount kStrmTooLong = -3;  // a line longer than the room
inline constexpr StrmCount kStrmAll = -1;      // as a count argument: the rest of the file
inline constexpr size_t kStrmLine = SIZE_MAX;  // as a count argument: one line

enum StrmFlags : uint16_t {
  kStrmWrite = 2,
  kStrmAppend = 4,
  kStrmNoUpdate = 8,
  kStrmQuiet = 0x80,
};

struct StreamEntry {
  std::FILE* file = nullptr;
  std::string name;  // the name it was opened by (incident texts)
};

class StreamTable {
 public:
  StreamTable() = default;
  StreamTable(const StreamTable&) = delete;
  StreamTable& operator=(const StreamTable&) = delete;
  ~StreamTable();  // closes 3-39

  bool ready = false;
  std::array<StreamEntry, kStreams> entries;
};

void StrmTableInit();
std::FILE* StrmHandle(uint16_t stream);
// 0, or kStrmNone for 40 and above.
uint16_t StrmSetHandle(uint16_t stream, std::FILE* f);
uint16_t StrmFreeNumber();

uint16_t StrmOpen(StrPair name, uint16_t flags);
void StrmClose(uint16_t stream);

// Reads count bytes, or one line when count is kStrmLine, into buf (room
// bytes). Returns the bytes read (of the line, without its terminator),
// kStrmEnd when the read starts at or past the end, kStrmTooLong when a line
// does not fit the room, kStrmFailed when the seek fails.
StrmCount StrmRead(uint16_t stream, StrmPos pos, size_t count, char* buf, size_t room);
// The next line (or count bytes) as a new scratch entry; (null, 130) at the
// end; (null, 146) for a line longer than 65,535 bytes or the free arena,
// recorded under module 17 with the file name as incident text.
StrPair StrmReadLine(uint16_t stream, StrmPos pos, size_t count);
// Writes in pieces of at most 512 bytes; n, or kStrmFailed when a piece was
// not written whole or bytes is null.
StrmCount StrmWrite(uint16_t stream, StrmPos pos, const char* bytes, size_t n);
// 0 when the whole text was written, kStLowFailure otherwise; a failure
// pair's status is returned as it is.
Status StrmWriteChecked(uint16_t stream, StrmPos pos, StrPair text);
Status StrmSeek(uint16_t stream, StrmPos pos);
StrmPos StrmTell(uint16_t stream);
// The size; -1 for the standard streams and unknown numbers.
int64_t StrmSize(uint16_t stream);
bool StrmEof(uint16_t stream);

// Advisory locks held besides the data layer's own lock markers.
enum class StrmLockKind { kShared, kExclusive, kUnlock };
// 0; 166 when another process holds a conflicting lock; 151 for a bad stream.
Status StrmLock(uint16_t stream, StrmLockKind kind);

// Whole-file helpers.
StrPair StrmReadFile(StrPair name, StrmPos pos, StrmCount count);
StrmCount StrmReadFilePart(StrPair name, StrmPos pos, StrmCount count, char* buf, size_t room);
StrPair StrmReadText(StrPair name, StrPair separator);
StrmCount StrmWriteFileAt(StrPair name, StrmPos pos, const char* bytes, size_t n);
Status StrmWriteFile(StrPair name, StrmPos pos, const char* bytes, size_t n);
uint64_t StrmFileSize(StrPair name);
Status StrmRemoveFile(StrPair name);
Status StrmRenameFile(StrPair from, StrPair to);

}  // namespace eng
