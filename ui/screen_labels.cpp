#include "ui/screen_labels.h"

#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "platform/ctl_static.h"
#include "ui/caption.h"
#include "ui/fonts.h"
#include "ui/geom.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr uint16_t kLabelText = 5;
constexpr uint16_t kCaptionText = 8;

}  // namespace

plat::Hwnd ScreenLabelCreate(plat::Hwnd window, int row, int column, StrPair text) {
  plat::WinSystem* ws = UiWs();
  if (!ws || !ws->IsWindow(window)) return plat::kNoWindow;
  const int id = kIdLabelBase + row * WinGridGet().columns + column;
  if (plat::Hwnd old = ws->FindChild(window, id)) ws->Destroy(old);
  const GeomSize cell = FontCellSize();
  const plat::Rect r{GeomColToX(column), GeomRowToY(row), cell.w * static_cast<int>(text.len), cell.h};
  plat::Hwnd h = plat::CreateStatic(*ws, window, id, r, text.view(), plat::kSsRight);
  if (h) FontApply(h, kFontModeScreen);
  return h;
}

Status ScreenLabelDraw(int row, int column, StrPair text) {
  return ScreenLabelCreate(WinTop(), row, column, text) ? kOk : kStLowFailure;
}

Status ScreenLabelLine(StrPair line) {
  if (line.len < 1 || line.at(0) != '0') return kOk;
  ScratchScope scope;
  const int row = StrToInt(StrSub(line, 1, 2));
  const int column = StrToInt(StrSub(line, 3, 2));
  StrPair text = line.len > kLabelText ? StrSub(line, kLabelText, line.len - kLabelText) : StrOf("");
  if (row == 1 && column == 1 && text.len > 0 && text.at(0) == '<') {
    StrPair caption = line.len > kCaptionText ? StrSub(line, kCaptionText, line.len - kCaptionText) : StrOf("");
    ScreenCaptionSet(caption);
    return kOk;
  }
  if (text.empty()) return kOk;
  ScreenLabelDraw(row, column, text);
  return kOk;
}

}  // namespace eng
