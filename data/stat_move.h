// StatMove (command, value, text, condition), the procedure function that
// walks the current file's records or its selection, above all inside a
// statistics scan (bit 4 of _UPSTAT). The command (default "NXT") is a word
// of the record-navigation commands:
//   NEW  the first record of the current key satisfying the condition between
//        value and text; its position status and record are kept;
//   TOP  in a scan: located by value through the current key (or the INDEX
//        item of the text, read as a key text, when more than one argument is
//        given; 0 there searches as outside a scan) with flag 2 when value or
//        text is given, else the first record; outside a scan: the selection
//        is freed and the search of NEW runs with the last search condition;
//   RLD  the selection's record at the kept record number (low 16 bits),
//        read into both halves; 168 becomes 2;
//   NXT  in a scan: moves on until the condition holds or the text's bound
//        is passed; otherwise the next record satisfying the last search
//        condition, bounded by the text when given;
//   BOT  moves on (in a scan) or to the next match (the last search
//        condition with exactly three arguments, else the condition) while
//        the kept position is valid and the current key, cut to the value's
//        length, does not sort after the value;
//   SVE  in a scan: the records whose key starts with the value get the text
//        evaluated on them and are rewritten; otherwise nothing;
//   PRV, FND and every other word: 147.
// The status is stored as the file's last status and is the function's value.
#pragma once

#include <cstdint>

#include "core/fn_call.h"
#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

Status StatMove(StrPair command, StrPair value, StrPair text, StrPair condition, uint16_t arguments);
Status StatMoveFunction(FnArgs& args);

}  // namespace eng
