#include "ui/ui_state.h"

#include <memory>

#include "core/runtime.h"

namespace eng {

UiState& Ui() {
  std::shared_ptr<void>& p = Core().ui_layer;
  if (!p) p = std::make_shared<UiState>();
  return *static_cast<UiState*>(p.get());
}

plat::WinSystem* UiWs() { return Ui().ws; }

void UiSetWinSystem(plat::WinSystem* ws) {
  Ui().ws = ws;
  if (ws) {
    GeomSize cell = FontCellSize();
    ws->SetCellSize(cell.w, cell.h);
  }
}

void UiSetChooser(UiChooser chooser) { Ui().chooser = std::move(chooser); }

}  // namespace eng
