#include "platform/dlg_print.h"

#include <algorithm>

#include "platform/ctl_button.h"
#include "platform/ctl_list.h"
#include "platform/ctl_static.h"
#include "platform/dlg_modal.h"
#include "platform/win_core.h"

namespace plat {

int RunPrintDialog(WinSystem& ws, const PrintDlgRequest& r) {
  if (r.printers.empty()) return -1;
  const int n = static_cast<int>(r.printers.size());
  int cols = 40;
  for (const auto& p : r.printers) cols = std::max(cols, static_cast<int>(p.size()) + 6);
  const int list_rows = std::clamp(n, 3, 10);
  const int rows = list_rows + 6;
  DlgFrame dlg(ws, r.owner, kPrintDlgClass, r.title.empty() ? std::string_view("Imprimir") : r.title, cols, rows);
  if (!ws.IsWindow(dlg.window())) return -1;
  Hwnd box = dlg.window();
  cols = ws.GetRect(box).w / ws.metrics().cell_w;

  CreateStatic(ws, box, 0, dlg.Cells(2, 1, cols - 4, 1), "Impresora:");
  Hwnd list = CreateListBox(ws, box, kPrintDlgList, dlg.Cells(2, 2, cols - 4, list_rows), kLbsNotify);
  Hwnd ok = CreateButton(ws, box, kPrintDlgOk, dlg.Cells(cols - 26, rows - 2, 10, 1), "Aceptar");
  Hwnd cancel = CreateButton(ws, box, kPrintDlgCancel, dlg.Cells(cols - 14, rows - 2, 12, 1), "Cancelar");
  for (Hwnd h : {list, ok, cancel}) dlg.Track(h);
  for (const auto& p : r.printers) ListBoxAdd(ws, list, p);
  ListBoxSetSel(ws, list, r.default_index >= 0 && r.default_index < n ? r.default_index : 0);

  // The choice is read before the dialog's windows go.
  int chosen = -1;
  auto choose = [&] {
    const int sel = ListBoxGetSel(ws, list);
    if (sel < 0 || sel >= n) return;  // nothing chosen: the dialog stays
    chosen = sel;
    dlg.Finish(true);
  };
  dlg.on_enter = [&](Hwnd h) {
    if (h == cancel)
      dlg.Finish(false);
    else
      choose();
    return true;
  };
  dlg.on_command = [&](int id, int code) {
    if ((id == kPrintDlgOk && code == kCmdClicked) || (id == kPrintDlgList && code == kCmdDblClick)) choose();
    if (id == kPrintDlgCancel && code == kCmdClicked) dlg.Finish(false);
  };
  if (!dlg.Run(list)) return -1;
  return chosen;
}

}  // namespace plat
