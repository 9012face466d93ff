#include "platform/dlg_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/ctl_button.h"
#include "platform/ctl_combo.h"
#include "platform/ctl_edit.h"
#include "platform/ctl_list.h"
#include "platform/ctl_static.h"
#include "platform/dlg_modal.h"
#include "platform/win_core.h"

namespace plat {

namespace fs = std::filesystem;

bool WildcardMatch(std::string_view p, std::string_view n) {
  size_t pi = 0, ni = 0, star = std::string_view::npos, mark = 0;
  auto up = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || (p[pi] != '*' && up(p[pi]) == up(n[ni])))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  // "*.*" also takes names without a dot.
  return pi == p.size() || p.substr(pi) == ".*";
}

namespace {

std::vector<std::string> Listing(const std::string& folder, bool folders, std::string_view patterns) {
  std::vector<std::string> out;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    const bool is_dir = it->is_directory(e2);
    if (is_dir != folders) continue;
    std::string name = it->path().filename().string();
    if (!folders) {
      bool hit = patterns.empty();
      size_t start = 0;
      while (!hit && start <= patterns.size()) {
        size_t semi = patterns.find(';', start);
        if (semi == std::string_view::npos) semi = patterns.size();
        std::string_view one = patterns.substr(start, semi - start);
        while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
        if (!one.empty() && WildcardMatch(one, name)) hit = true;
        start = semi + 1;
      }
      if (!hit) continue;
    }
    out.push_back(std::move(name));
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

std::string Absolute(const std::string& folder) {
  std::error_code ec;
  fs::path p = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec);
  if (ec) return folder;
  return p.lexically_normal().string();
}

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == '/' && s.size() > 1) s.pop_back();
  return s;
}

}  // namespace

std::vector<std::string> ListFolders(const std::string& folder) { return Listing(folder, true, {}); }
std::vector<std::string> ListFiles(const std::string& folder, std::string_view patterns) {
  return Listing(folder, false, patterns);
}

std::string RunFileDialog(WinSystem& ws, const FileDlgRequest& r) {
  const int cols = 56, rows = 18;
  DlgFrame dlg(ws, r.owner, kFileDlgClass, r.title.empty() ? (r.save ? "Guardar como" : "Abrir") : r.title, cols,
               rows);
  if (!ws.IsWindow(dlg.window())) return {};
  Hwnd box = dlg.window();

  std::vector<FileDlgFilter> filters = r.filters;
  size_t fsel = r.filter_index < filters.size() ? r.filter_index : 0;
  std::string name = r.initial_name;
  std::string pattern = filters.empty() ? std::string() : filters[fsel].pattern;
  if (HasWildcard(name)) {
    pattern = name;
    name.clear();
  }
  std::string folder = Trimmed(Absolute(r.folder));
  std::vector<std::string> folders_shown;  // per list row: the folder name, or empty for a file

  Hwnd folder_label = CreateStatic(ws, box, kFileDlgFolder, dlg.Cells(2, 1, cols - 4, 1), folder);
  Hwnd name_edit = CreateEdit(ws, box, kFileDlgName, dlg.Cells(2, 2, cols - 4, 1), 0, name);
  Hwnd list = CreateListBox(ws, box, kFileDlgList, dlg.Cells(2, 4, cols - 4, rows - 10), kLbsNotify);
  Hwnd combo = kNoWindow;
  if (!filters.empty()) {
    combo = CreateCombo(ws, box, kFileDlgFilter, dlg.Cells(2, rows - 5, cols - 4, 4), kCbsDropDown);
    for (const auto& f : filters) ComboAdd(ws, combo, f.label);
    ComboSetSel(ws, combo, static_cast<int>(fsel));
  }
  Hwnd ok = CreateButton(ws, box, kFileDlgOk, dlg.Cells(cols - 26, rows - 2, 10, 1), r.save ? "Guardar" : "Abrir");
  Hwnd cancel = CreateButton(ws, box, kFileDlgCancel, dlg.Cells(cols - 14, rows - 2, 12, 1), "Cancelar");
  for (Hwnd h : {name_edit, list, combo, ok, cancel}) dlg.Track(h);

  auto refill = [&] {
    ListBoxClear(ws, list);
    folders_shown.clear();
    if (fs::path(folder).has_relative_path()) {
      ListBoxAdd(ws, list, "..");
      folders_shown.push_back("..");
    }
    for (const auto& f : ListFolders(folder)) {
      ListBoxAdd(ws, list, "[" + f + "]");
      folders_shown.push_back(f);
    }
    for (const auto& f : ListFiles(folder, pattern)) {
      ListBoxAdd(ws, list, f);
      folders_shown.emplace_back();
    }
    ListBoxSetSel(ws, list, 0);
    ws.SetText(folder_label, folder);
  };
  auto open_folder = [&](const std::string& sub) {
    std::error_code ec;
    fs::path p = sub == ".." ? fs::path(folder).parent_path() : fs::path(folder) / sub;
    if (!fs::is_directory(p, ec)) return false;
    folder = Trimmed(p.lexically_normal().string());
    refill();
    return true;
  };
  std::string answer;
  // Takes the name field: a pattern filters, a folder opens, a name answers.
  auto take_name = [&] {
    std::string typed = ws.GetText(name_edit);
    while (!typed.empty() && typed.back() == ' ') typed.pop_back();
    while (!typed.empty() && typed.front() == ' ') typed.erase(0, 1);
    if (typed.empty()) return;
    fs::path p(typed);
    fs::path full = p.is_absolute() ? p : fs::path(folder) / p;
    if (HasWildcard(p.filename().string())) {
      std::error_code ec;
      if (p.has_parent_path() && fs::is_directory(full.parent_path(), ec))
        folder = Trimmed(full.parent_path().lexically_normal().string());
      pattern = p.filename().string();
      ws.SetText(name_edit, "");
      refill();
      return;
    }
    std::error_code ec;
    if (fs::is_directory(full, ec)) {
      folder = Trimmed(full.lexically_normal().string());
      ws.SetText(name_edit, "");
      refill();
      return;
    }
    if (r.save && !r.default_ext.empty() && !full.has_extension()) full += "." + r.default_ext;
    if (!r.save && !fs::is_regular_file(full, ec)) return;  // open wants an existing file
    if (r.save && !fs::is_directory(full.parent_path(), ec)) return;  // and save an existing folder
    answer = full.lexically_normal().string();
    dlg.Finish(true);
  };
  auto activate_row = [&](int row) {
    if (row < 0 || row >= static_cast<int>(folders_shown.size())) return;
    if (!folders_shown[static_cast<size_t>(row)].empty()) {
      open_folder(folders_shown[static_cast<size_t>(row)]);
      return;
    }
    ws.SetText(name_edit, ListBoxText(ws, list, row));
    take_name();
  };
  dlg.on_enter = [&](Hwnd h) {
    if (h == list) {
      activate_row(ListBoxGetSel(ws, list));
      return true;
    }
    if (h == cancel) {
      dlg.Finish(false);
      return true;
    }
    if (h == combo) return false;
    take_name();
    return true;
  };
  dlg.on_command = [&](int id, int code) {
    if (id == kFileDlgOk && code == kCmdClicked) take_name();
    if (id == kFileDlgCancel && code == kCmdClicked) dlg.Finish(false);
    if (id == kFileDlgList && code == kCmdDblClick) activate_row(ListBoxGetSel(ws, list));
    if (id == kFileDlgList && code == kCmdSelChange) {
      int row = ListBoxGetSel(ws, list);
      if (row >= 0 && row < static_cast<int>(folders_shown.size()) && folders_shown[static_cast<size_t>(row)].empty())
        ws.SetText(name_edit, ListBoxText(ws, list, row));
    }
    if (id == kFileDlgFilter && (code == kCmdSelChange || code == kCmdSelEndOk)) {
      int i = ComboGetSel(ws, combo);
      if (i >= 0 && static_cast<size_t>(i) < filters.size()) {
        pattern = filters[static_cast<size_t>(i)].pattern;
        refill();
      }
    }
  };
  refill();
  if (!dlg.Run(name_edit)) return {};
  return answer;
}

}  // namespace plat
