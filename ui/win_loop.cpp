#include "ui/win_loop.h"

#include <algorithm>
#include <string>

#include "core/dyn_strings.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/string_lists.h"
#include "platform/ctl_static.h"
#include "ui/scanner.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

constexpr int kTextMax = 384;
constexpr int kMenuFirstId = 1500;

}  // namespace

void WinModalLoop(plat::Hwnd window) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return;
  WinShowTop(-1);
  plat::Msg m;
  while (WinTop() != plat::kNoWindow && (window == plat::kNoWindow || WinTop() == window)) {
    if (!ws->GetMessage(m)) break;  // quit, or no input can come
    ws->TranslateMessage(m);
    ws->DispatchMessage(m);
  }
  if (!ws->stalled()) ws->Pump();
}

int WinPumpMessages() {
  plat::WinSystem* ws = UiWs();
  if (!ws) return 1;
  return ws->Pump() || WinTop() == plat::kNoWindow ? 1 : 0;
}

void WinPostQuit(plat::Hwnd) {
  if (plat::WinSystem* ws = UiWs()) ws->PostQuit(0);
}

void WinActivate(plat::Hwnd window) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return;
  ws->Enable(window, true);
  ws->Activate(window);
}

int WinDestroy(plat::Hwnd window) {
  plat::WinSystem* ws = UiWs();
  if (!ws || !ws->IsWindow(window)) return -1;
  ws->Destroy(window);
  return 0;
}

void WinStackDestroyed(plat::Hwnd window) {
  ScanWindowDestroyed(window);
  if (WinStackPop(window)) WinPostQuit(window);
}

Status WinInitInstance(void* instance, StrPair command_line, const std::function<void(void*)>& init) {
  Ui().instance = instance;
  if (init) init(instance);
  ScratchScope scope;
  StrPair line = StrReplaceAll(command_line, StrOf("\"  \""), StrOf("\" \""), true);
  if (!line.ok()) return StrError(line);
  return DynStrSet(sl::kSettings, sl::kCommandLine, line);
}

void* WinInstance() { return Ui().instance; }

StrPair WinGetText(plat::Hwnd window, int maximum) {
  plat::WinSystem* ws = UiWs();
  std::string text = ws ? ws->GetText(window) : std::string();
  const size_t max = static_cast<size_t>(maximum == -1 ? kTextMax : std::max(maximum, 0));
  if (text.size() > max) text.resize(max);
  return ScratchText(text);
}

void WinSetText(plat::Hwnd window, StrPair text) {
  if (plat::WinSystem* ws = UiWs()) ws->SetText(window, text.view());
}

bool WinSetCtrlText(int id, StrPair text) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return false;
  plat::Hwnd c = ws->FindChild(WinTop(), id);
  if (!c) return false;
  ws->SetText(c, text.view());
  return true;
}

plat::Point WinGetRect(plat::Hwnd window) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return {};
  plat::Rect r = ws->GetRect(window);
  return {r.x, r.y};
}

int WinMenuAppend(int menu, int id, StrPair text, StrPair command) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return -1;
  if (command.empty()) return ws->MenuAppendPopup(menu, text.view(), id) ? 0 : -1;
  if (!ws->MenuAppend(menu, text.view(), id)) return -1;
  if (id >= kMenuFirstId && DynStrSet(sl::kMenuCommands, static_cast<uint16_t>(id - kMenuFirstId), command))
    return -1;
  return 0;
}

plat::Hwnd WinStaticCreate(plat::Hwnd parent, int y, int x, int width, int height, StrPair text) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return plat::kNoWindow;
  return plat::CreateStatic(*ws, parent, 0, {x, y, width, height}, text.view());
}

plat::Hwnd WinPaintBanner(plat::Hwnd window, StrPair text) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return plat::kNoWindow;
  plat::Rect c = ws->ClientRect(window);
  return plat::CreateStatic(*ws, window, 0, c, text.view(), plat::kSsBanner);
}

}  // namespace eng
