// The window record the window system keeps per slot, and the small state
// structs of scroll bars, edit controls and menus. Controls, the compositor
// and the dump read these records through WinSystem::Rec; everything else
// goes through WinSystem's operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace plat {

class WinSystem;

// A window procedure. The result is the message's answer (0 when none).
using WndProc = std::function<int64_t(WinSystem&, Hwnd, uint32_t msg, uint64_t w, int64_t l)>;

enum ScrollBarId : int { kSbHorz = 0, kSbVert = 1 };

struct ScrollInfo {
  int min = 0;
  int max = 0;    // last position of the range
  int page = 0;   // visible part (drawing only)
  int pos = 0;
  int track = 0;  // track position while the thumb is dragged
  bool shown = false;
};

constexpr size_t kEditDefaultLimit = 32767;

struct EditState {
  size_t caret = 0;   // byte offset of the caret
  size_t anchor = 0;  // other end of the selection (== caret: none)
  size_t scroll = 0;  // first visible column (single line) or column offset (multi-line)
  size_t top_line = 0;  // multi-line: first visible line
  size_t limit = kEditDefaultLimit;
};

struct MenuItem {
  std::string text;  // code page 1252
  int id = 0;        // command id; for a popup, the popup's menu handle
  int popup = 0;     // menu handle of a popup, 0 for a plain item
  bool enabled = true;
};

struct Menu {
  bool used = false;
  std::vector<MenuItem> items;
};

// List boxes, combo boxes and list views: rows of texts (one per column),
// the selected row, the focused (caret) row and the first row shown.
struct ListColumn {
  std::string heading;
  int width = 0;  // pixels
  bool right = false;
};
struct ListState {
  std::vector<std::vector<std::string>> rows;
  std::vector<ListColumn> columns;  // list views
  int sel = -1;    // -1: none
  int caret = 0;
  int top = 0;
  int item_height = 0;  // pixels; 0: one cell
  bool dropped = false;  // drop-down combo box: its list is open
  uint32_t text_color = 0;        // list views: 0x00BBGGRR
  uint32_t back_color = 0xFFFFFF;
};
struct ProgressState {
  int min = 0;
  int max = 100;
  int pos = 0;
};

struct Window {
  uint16_t gen = 0;
  bool used = false;
  bool dying = false;
  bool destroy_sent = false;
  WinKind kind = WinKind::kTop;
  std::string class_name;
  std::string text;
  uint32_t style = 0;
  Rect rect;
  Hwnd parent = kNoWindow;
  Hwnd owner = kNoWindow;
  int id = 0;
  std::vector<Hwnd> children;  // drawing order: creation order, topmost last
  bool visible = false;
  bool enabled = true;
  bool maximized = false;
  bool focus_told = false;  // has been sent SETFOCUS for the current focus
  WndProc proc;
  int menu = 0;
  int font = 0;
  ScrollInfo hbar, vbar;
  int check = 0;
  bool pushed = false;  // buttons: highlight (pressed or set by the engine)
  int value = 0;        // owner-drawn buttons: the stored state value
  std::string image;    // bitmap buttons: the image's file name
  EditState edit;
  bool capture = false;  // mouse pressed on it and not yet released
  // Top-level windows without controls (popup menus): client lines drawn from
  // the top, the hot one highlighted.
  std::vector<std::string> lines;
  int hot_line = -1;
  ListState list;
  ProgressState progress;
};

}  // namespace plat
