// The maintenance trace: while _TRACE has bit 64, every record command a
// window writes is logged as one framed record in the application log.
//
// MantTrace (file, command): the text is "User:%s Cmd:%s IER:%s IER():%s
// Key:<%s> Keyr:<%s> Data:<%s>" with the database user (item 3 of string
// element (0, 11), unquoted), item `command` of the toolbar verbs (8 SVE for
// a rewrite, 9 INS for an add), _IER, the file's last status, key 1 of the
// current record, key 1 of the saved copy and the current record; it is cut
// at 384 characters plus the record length plus twice the key length.
// Nothing is written without bit 64, or for a file the dictionary does not
// define. A log that cannot be written loses the record (LogRecord's rule).
#pragma once

#include <cstdint>
#include <string>

namespace eng {

inline constexpr uint16_t kTraceMaint = 64;

void MantTrace(uint16_t file, uint16_t command);
// The text of the trace record (what MantTrace logs).
std::string MantTraceText(uint16_t file, uint16_t command);

}  // namespace eng
