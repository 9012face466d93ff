// The file dialog: open and save, a modal list of folders and files with a
// name field.
//
// The list shows "..", then the folders of the shown folder as "[name]", then
// the files that match the active filter, each group sorted by name (bytes);
// the first row is selected after each listing.
// Filter patterns hold ';'-separated wildcards (* and ?, letters matched
// without regard to case). A file chosen in the list fills the name field;
// Enter or a double click on a folder opens it. Enter in the name field (or
// the OK button) takes the name: a name with wildcards becomes the filter, a
// folder opens, otherwise the path is the answer. On save a name without an
// extension gets the default one; open needs an existing file and save an
// existing folder (else the dialog stays). Esc, Cancel or the close box answer an empty text. The
// process's current folder is never changed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace plat {

class WinSystem;

struct FileDlgFilter {
  std::string label;    // "Ficheros PDF (*.PDF)"
  std::string pattern;  // "*.PDF", or "*.TXT;*.LOG"
};

struct FileDlgRequest {
  bool save = false;
  std::string title;
  std::vector<FileDlgFilter> filters;  // none: every file
  size_t filter_index = 0;
  std::string folder;        // empty: the current folder
  std::string initial_name;  // may be a wildcard pattern, then it is the first filter
  std::string default_ext;   // without the dot
  Hwnd owner = kNoWindow;
};

// Child ids of the dialog's controls, for scripts.
enum : int { kFileDlgName = 1152, kFileDlgList = 1120, kFileDlgFilter = 1136, kFileDlgFolder = 1088,
             kFileDlgOk = 1, kFileDlgCancel = 2 };

inline constexpr std::string_view kFileDlgClass = "FileDialog";

// The chosen path (folder joined with the name), empty when cancelled.
std::string RunFileDialog(WinSystem& ws, const FileDlgRequest& request);

// Helpers shared with the folder browser.
bool WildcardMatch(std::string_view pattern, std::string_view name);
// Folders (or files matching one of the ';'-separated patterns) of a folder,
// sorted by name; errors give an empty list.
std::vector<std::string> ListFolders(const std::string& folder);
std::vector<std::string> ListFiles(const std::string& folder, std::string_view patterns);

}  // namespace plat
