// The class procedure of each built-in window kind.
#include "platform/ctl_button.h"
#include "platform/ctl_combo.h"
#include "platform/ctl_edit.h"
#include "platform/ctl_list.h"
#include "platform/ctl_listview.h"
#include "platform/ctl_progress.h"
#include "platform/ctl_static.h"
#include "platform/win_core.h"

namespace plat {

WndProc ClassProc(WinKind kind) {
  switch (kind) {
    case WinKind::kEdit: return &EditProc;
    case WinKind::kButton:
    case WinKind::kCheckBox:
    case WinKind::kBitmapButton:
    case WinKind::kOwnerDrawButton: return &ButtonProc;
    case WinKind::kStatic: return &StaticProc;
    case WinKind::kListBox: return &ListBoxProc;
    case WinKind::kComboBox: return &ComboProc;
    case WinKind::kListView: return &ListViewProc;
    case WinKind::kProgress: return &ProgressProc;
    case WinKind::kTop: break;
  }
  return &WinSystem::DefProc;
}

}  // namespace plat
