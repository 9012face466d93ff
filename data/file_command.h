// The record-navigation command words of windows and procedures and their
// command flag words. The low byte holds the record layer's bits (0x01 new
// blank record, 0x02 read the nearest record also between keys, 0x04
// backwards, 0x10 next, 0x14 previous, 0x20 last, 0x24 first, 0x40 find,
// 0x80 move before testing); the high byte belongs to the window actions.
//   DataFileCmdFlags  the flag word of command 1-18; 0x00FF for any other
//   DataFileCmdIndex  the 1-based index of a word in a comma list, both
//                     upper-cased (ASCII), the synonyms NEXT, PREVIOUS and
//                     BOTTOM read as NXT, PRV and BOT; 0 when absent
#pragma once

#include <cstdint>

#include "core/str_pair.h"

namespace eng {

inline constexpr const char* kDataFileCmdWords =
    "NEW,TOP,PRV,RLD,NXT,BOT,FND,SVE,INS,DEL,LST,NLS,BLS,IMP,MDE,DDE,PRN,TSL";

enum DataFileCommand : uint16_t {
  kCmdNew = 1, kCmdTop, kCmdPrv, kCmdRld, kCmdNxt, kCmdBot, kCmdFnd, kCmdSve, kCmdIns,
  kCmdDel, kCmdLst, kCmdNls, kCmdBls, kCmdImp, kCmdMde, kCmdDde, kCmdPrn, kCmdTsl,
};

uint16_t DataFileCmdFlags(uint16_t number);
uint16_t DataFileCmdIndex(StrPair word, StrPair list);

}  // namespace eng
