// The barcode scanner's part of the window layer's runtime context.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"
#include "platform/win_types.h"

namespace eng {

// The serial ports the scanner reads, as the output layer provides them:
// open a port text ("COM1:9600,8,N,1") -> slot 0-3, anything else a failure;
// close; read until the line is quiet for 5 ms; post the serial data message
// (word parameter: the slot) to the window every 350 ms while input waits.
struct ScanPortOps {
  uint16_t (*open)(std::string_view spec) = nullptr;
  void (*close)(uint16_t slot) = nullptr;
  std::string (*read_quiet)(uint16_t slot) = nullptr;
  Status (*start_polling)(plat::Hwnd window, uint16_t slot) = nullptr;
};

struct ScanState {
  ScanPortOps ops;
  plat::Hwnd window = plat::kNoWindow;  // the window the open port polls for
};

}  // namespace eng
