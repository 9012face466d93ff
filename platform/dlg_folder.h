// The folder browser: a modal choice of a folder.
//
// The dialog shows a prompt, the path of the shown folder (the start folder
// at first; empty: the current folder, a missing one shows as it is with no
// rows) and a list of "..", then its subfolders as "[name]", sorted by name.
// Enter or a double click on a row opens that folder; OK (the button, or
// Enter on it) answers the shown folder. Esc, Cancel or the close box answer
// an empty text. The process's current folder is never changed.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class WinSystem;

struct FolderDlgRequest {
  std::string title;   // caption
  std::string prompt;  // the line above the path; empty: none
  std::string start;   // empty: the current folder
  Hwnd owner = kNoWindow;
};

enum : int { kFolderDlgPath = 1089, kFolderDlgList = 1121, kFolderDlgOk = 1, kFolderDlgCancel = 2 };

inline constexpr std::string_view kFolderDlgClass = "FolderDialog";

// The chosen folder's absolute path, empty when cancelled.
std::string RunFolderDialog(WinSystem& ws, const FolderDlgRequest& request);

}  // namespace plat
