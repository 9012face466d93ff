// The records of loaded screens and open screen windows.
//
// ScreenDesc (object table 4) describes one loaded screen; its key, its
// definition text, its field records and its attribute arrays live in the
// screen's block (ScreenBlock, kept by the window layer under the record's
// block number). ScreenWin (object table 5) is one open window on a screen;
// its record buffers (current record, saved record, file record, file saved
// record) live in the window's block. Both tables are stacks: the newest
// record is current.
//
// A text position addresses a span of the screen's definition text: offset
// in the low 16 bits, length in the high 16 bits; 0 for an absent item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"
#include "platform/win_types.h"

namespace eng {

using TextPos = uint32_t;

// Field flags, set when the screen is built.
enum ScreenFieldFlag : uint16_t {
  kFldClearable = 0x0001,
  kFldBound = 0x0002,
  kFldAssign = 0x0004,
  kFldOwnFile = 0x0010,
  kFldPerform = 0x0020,
  kFldDependants = 0x0040,
  kFldWindow = 0x0100,
  kFldEditable = 0x0200,
  kFldAlarm = 0x0400,
};

// The caller's open flags in the low bits of _SCRSTAT.
inline constexpr uint16_t kOpenMissingOk = 2;   // a missing field-line definition is no error
inline constexpr uint16_t kOpenBindByName = 4;  // unbound fields bind to the data file by name

inline constexpr uint16_t kOrderReadOnly = 0;
inline constexpr uint16_t kOrderHidden = 81;
inline constexpr uint16_t kScreenMaxFields = 80;

struct ScreenFieldDesc {
  Status status = kOk;
  uint16_t row = 0;
  uint16_t column = 0;
  uint16_t storage_len = 0;
  uint16_t display_len = 0;
  uint16_t width = 0;
  uint16_t order = 0;
  uint8_t file = 0;
  uint16_t file_field = 0;
  uint16_t flags = 0;
  TextPos name = 0;
  TextPos assign = 0;
  TextPos alarm = 0;
  TextPos perform = 0;
  TextPos dependants = 0;
  TextPos windows = 0;
  uint16_t record_offset = 0;
  char type = 0;
  plat::Hwnd control = plat::kNoWindow;
};

struct ScreenDesc {
  uint16_t use_count = 0;
  uint16_t field_count = 0;
  uint16_t bounded_first = 0;
  uint16_t bounded_last = 0;
  uint16_t begin_field = 0;
  uint16_t rule_mark = 0;
  uint16_t record_length = 0;
  uint8_t data_file = 0;
  uint8_t index_flags = 0;
  uint8_t open_flags = 0;
  uint8_t control_flags = 0;
  uint8_t keymap_set = 0;
  uint8_t toolbar_kind = 0;
  uint32_t block = 0;
  TextPos set = 0;
  TextPos ik1 = 0;
  TextPos relopt = 0;
  uint16_t attr_count = 0;
};

struct ScreenBlock {
  std::vector<ScreenFieldDesc> fields;
  std::string key;
  std::string text;  // the definition text, FD$ completed
  std::vector<uint16_t> attr_ids;
  std::vector<uint16_t> attr_values;
};

inline constexpr uint16_t kWinNoHandlers = 0x80;

using ScreenActionHandler = Status (*)(uint16_t action);
using ScreenKeyHandler = uint16_t (*)(uint16_t began, uint16_t now, uint16_t code);
using ScreenKeyFilter = uint16_t (*)(uint16_t code);

struct ScreenWin {
  uint16_t screen = 0;
  uint8_t data_file = 0;
  uint16_t cell_h = 0;
  uint16_t cell_w = 0;
  uint16_t current_field = 0;
  uint16_t key_index = 1;
  uint16_t list_level = 0;
  uint16_t field_window_field = 0;
  uint8_t state = 0;
  uint16_t flags = 0;
  uint16_t doctype_selector = 0xFFFF;  // combo slot of the type selector; 0xFFFF none
  plat::Hwnd window = plat::kNoWindow;
  ScreenActionHandler action = nullptr;
  ScreenKeyHandler key = nullptr;
  ScreenKeyFilter filter = nullptr;
  uint32_t block = 0;
};

// The parts of a window's block.
enum ScreenWinPart : uint16_t { kWinCurrent = 0, kWinSaved, kWinFile, kWinFileSaved };

}  // namespace eng
