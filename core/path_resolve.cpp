#include "core/path_resolve.h"

#include <dirent.h>
#include <sys/stat.h>

#include <climits>

namespace eng {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

// Looks for the case-insensitive matches of `want` in folder `dir`: sets
// `found` to the one match; returns the number of matches (0, 1 or 2 for "more").
int MatchInFolder(const std::string& dir, std::string_view want, std::string* found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return 0;
  int matches = 0;
  while (struct dirent* e = ::readdir(d)) {
    std::string_view n(e->d_name);
    if (n == "." || n == "..") continue;
    if (!PathNameEqualNoCase(n, want)) continue;
    if (++matches == 1) {
      *found = std::string(n);
    } else {
      break;
    }
  }
  ::closedir(d);
  return matches;
}

}  // namespace

bool PathNameEqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

ResolvedPath PathResolve(std::string_view name) {
  ResolvedPath r;
  if (name.empty() || name.find('\0') != std::string_view::npos || name.size() >= PATH_MAX) {
    r.status = kStDataError;
    return r;
  }
  if (name.size() >= 2 && name[1] == ':' &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')))
    name.remove_prefix(2);

  const bool absolute = !name.empty() && (name[0] == '/' || name[0] == '\\');
  std::string cur = absolute ? "/" : "";
  bool searching = true;  // false once a component is missing: the rest is new
  bool any = false;
  size_t i = 0;
  while (i <= name.size()) {
    size_t j = name.find_first_of("/\\", i);
    if (j == std::string_view::npos) j = name.size();
    std::string_view comp = name.substr(i, j - i);
    i = j + 1;
    if (comp.empty()) continue;
    std::string base = cur;
    if (!base.empty() && base.back() != '/') base += '/';
    std::string use(comp);
    if (searching && comp != "." && comp != ".." && !Exists(base + use)) {
      std::string found;
      int n = MatchInFolder(cur, comp, &found);
      if (n > 1) {
        r.status = kStFileNotFound;
        r.ambiguous = true;
        return r;
      }
      if (n == 1) {
        use = found;
      } else {
        searching = false;
      }
    }
    cur = base + use;
    any = true;
  }
  if (!any && cur.empty()) cur = ".";
  r.path = cur;
  r.exists = searching && Exists(cur);
  return r;
}

}  // namespace eng
