#include "platform/win_messages.h"

#include <cstdio>

namespace plat {

std::string MsgName(uint32_t msg) {
  switch (msg) {
    case kWmNull: return "NULL";
    case kWmCreate: return "CREATE";
    case kWmDestroy: return "DESTROY";
    case kWmMove: return "MOVE";
    case kWmSize: return "SIZE";
    case kWmActivate: return "ACTIVATE";
    case kWmSetFocus: return "SETFOCUS";
    case kWmKillFocus: return "KILLFOCUS";
    case kWmEnable: return "ENABLE";
    case kWmShow: return "SHOW";
    case kWmSetText: return "SETTEXT";
    case kWmClose: return "CLOSE";
    case kWmQuit: return "QUIT";
    case kWmKeyDown: return "KEYDOWN";
    case kWmKeyUp: return "KEYUP";
    case kWmChar: return "CHAR";
    case kWmCommand: return "COMMAND";
    case kWmHScroll: return "HSCROLL";
    case kWmVScroll: return "VSCROLL";
    case kWmLButtonDown: return "LBUTTONDOWN";
    case kWmLButtonUp: return "LBUTTONUP";
    case kWmRButtonDown: return "RBUTTONDOWN";
    case kWmRButtonUp: return "RBUTTONUP";
    case kWmLButtonDblClk: return "LBUTTONDBLCLK";
    case kWmTimer: return "TIMER";
    case kWmSetFont: return "SETFONT";
    case kWmMenuBarClick: return "MENUBARCLICK";
    case kMsgSerialData: return "SERIALDATA";
    case kMsgScanReady: return "SCANREADY";
    default: break;
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", msg);
  return buf;
}

}  // namespace plat
