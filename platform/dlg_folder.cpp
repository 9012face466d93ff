#include "platform/dlg_folder.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/ctl_button.h"
#include "platform/ctl_list.h"
#include "platform/ctl_static.h"
#include "platform/dlg_file.h"
#include "platform/dlg_modal.h"
#include "platform/win_core.h"

namespace plat {

namespace fs = std::filesystem;

std::string RunFolderDialog(WinSystem& ws, const FolderDlgRequest& r) {
  const int cols = 56, rows = 16;
  DlgFrame dlg(ws, r.owner, kFolderDlgClass, r.title, cols, rows);
  if (!ws.IsWindow(dlg.window())) return {};
  Hwnd box = dlg.window();

  std::error_code ec;
  fs::path start = fs::absolute(r.start.empty() ? fs::path(".") : fs::path(r.start), ec).lexically_normal();
  if (start.has_relative_path() && start.filename().empty()) start = start.parent_path();
  std::string folder = start.string();
  std::vector<std::string> names;  // per row

  if (!r.prompt.empty()) CreateStatic(ws, box, 0, dlg.Cells(2, 1, cols - 4, 1), r.prompt);
  Hwnd path = CreateStatic(ws, box, kFolderDlgPath, dlg.Cells(2, 2, cols - 4, 1), folder);
  Hwnd list = CreateListBox(ws, box, kFolderDlgList, dlg.Cells(2, 4, cols - 4, rows - 8), kLbsNotify);
  Hwnd ok = CreateButton(ws, box, kFolderDlgOk, dlg.Cells(cols - 26, rows - 2, 10, 1), "Aceptar");
  Hwnd cancel = CreateButton(ws, box, kFolderDlgCancel, dlg.Cells(cols - 14, rows - 2, 12, 1), "Cancelar");
  for (Hwnd h : {list, ok, cancel}) dlg.Track(h);

  auto refill = [&] {
    ListBoxClear(ws, list);
    names.clear();
    if (fs::path(folder).has_relative_path()) {
      ListBoxAdd(ws, list, "..");
      names.push_back("..");
    }
    for (const auto& f : ListFolders(folder)) {
      ListBoxAdd(ws, list, "[" + f + "]");
      names.push_back(f);
    }
    ListBoxSetSel(ws, list, 0);
    ws.SetText(path, folder);
  };
  auto open_row = [&](int row) {
    if (row < 0 || row >= static_cast<int>(names.size())) return;
    const std::string& n = names[static_cast<size_t>(row)];
    fs::path p = n == ".." ? fs::path(folder).parent_path() : fs::path(folder) / n;
    std::error_code e2;
    if (!fs::is_directory(p, e2)) return;
    folder = p.lexically_normal().string();
    refill();
  };
  dlg.on_enter = [&](Hwnd h) {
    if (h == list)
      open_row(ListBoxGetSel(ws, list));
    else
      dlg.Finish(h == ok);
    return true;
  };
  dlg.on_command = [&](int id, int code) {
    if (id == kFolderDlgOk && code == kCmdClicked) dlg.Finish(true);
    if (id == kFolderDlgCancel && code == kCmdClicked) dlg.Finish(false);
    if (id == kFolderDlgList && code == kCmdDblClick) open_row(ListBoxGetSel(ws, list));
  };
  refill();
  if (!dlg.Run(list)) return {};
  return folder;
}

}  // namespace plat
