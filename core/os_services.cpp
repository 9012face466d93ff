#include "core/os_services.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/clock.h"
#include "core/path_resolve.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"

extern char** environ;

namespace eng {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool ValidName(StrPair p) { return p.ok() && !p.empty() && p.view().find('\0') == std::string_view::npos; }

const char* ExactEnv(const std::string& name) { return std::getenv(name.c_str()); }

// The exact variable, else its one case-insensitive match.
const char* FindEnv(const std::string& name) {
  if (const char* v = ExactEnv(name)) return v;
  const char* found = nullptr;
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    size_t eq = entry.find('=');
    if (eq == std::string_view::npos) continue;
    if (!PathNameEqualNoCase(entry.substr(0, eq), name)) continue;
    if (found) return nullptr;  // two candidates: none is the one
    found = *e + eq + 1;
  }
  return found;
}

// Linux counterparts of the Windows names that macros read.
bool Fallback(const std::string& name, std::string* out) {
  auto is = [&](const char* n) { return PathNameEqualNoCase(name, n); };
  auto env = [](const char* n) -> std::string {
    const char* v = ExactEnv(n);
    return v ? v : "";
  };
  if (is("TEMP")) {
    *out = env("TMPDIR");
    if (out->empty()) *out = "/tmp";
  } else if (is("USERPROFILE") || is("HOMEPATH")) {
    *out = env("HOME");
  } else if (is("APPDATA")) {
    *out = env("XDG_CONFIG_HOME");
    if (out->empty() && !env("HOME").empty()) *out = env("HOME") + "/.config";
  } else if (is("SystemRoot")) {
    out->clear();
  } else {
    return false;
  }
  return true;
}

struct Probe {
  bool ok = false;
  struct stat st {};
  std::time_t birth = 0;
  std::string disk_name;
};

Probe ProbeFile(StrPair name) {
  Probe p;
  if (!ValidName(name)) return p;
  ResolvedPath rp = PathResolve(name.view());
  if (rp.status || !rp.exists) return p;
  if (::stat(rp.path.c_str(), &p.st) != 0) return p;
  p.ok = true;
  p.birth = p.st.st_mtime;
  struct statx sx;
  if (::statx(AT_FDCWD, rp.path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
    p.birth = std::time_t(sx.stx_btime.tv_sec);
  size_t slash = rp.path.rfind('/');
  p.disk_name = slash == std::string::npos ? rp.path : rp.path.substr(slash + 1);
  return p;
}

uint16_t AttrOf(const Probe& p, const std::string& path) {
  if (S_ISDIR(p.st.st_mode)) return kAttrFolder;
  return ::access(path.c_str(), W_OK) == 0 ? kAttrArchive : kAttrReadOnly;
}

std::string RandomName() {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device rd;
  std::string s = "t";
  for (int i = 0; i < 7; ++i) s += kChars[rd() % 36];
  return s;
}

// A random name (with the suffix) absent from the folder, case-insensitively.
StrPair FreshName(StrPair folder, const std::string& suffix) {
  std::string dir = folder.ok() ? folder.str() : "";
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = RandomName() + suffix;
    ResolvedPath rp = PathResolve(dir + name);
    if (rp.status == kOk && !rp.exists) return ScratchText(name);
  }
  return StrFail(kStFileExists);
}

// Reads an integer as the procedures do: blanks, a sign, digits.
int64_t ReadInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
    if (v < 1'000'000'000'000) v = v * 10 + (s[i] - '0');
  return neg ? -v : v;
}

void Two(std::string& out, int64_t v) {
  if (v < 10) out += '0';
  out += std::to_string(v);
}

}  // namespace

bool SysWildMatch(std::string_view pat, std::string_view name) {
  // Iterative match with back-tracking to the last "*".
  size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pat.size() && (pat[p] == '?' || Lower(pat[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pat.size() && pat[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      break;
    }
  }
  if (n == name.size()) {
    while (p < pat.size() && pat[p] == '*') ++p;
    if (p == pat.size()) return true;
  }
  // "x.*" also matches a name without a dot that "x" matches.
  if (pat.size() >= 2 && pat.substr(pat.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
    return SysWildMatch(pat.substr(0, pat.size() - 2), name);
  return false;
}

StrPair SysGetEnv(StrPair name) {
  if (!ValidName(name)) return ScratchText("");
  std::string n = name.str();
  if (const char* v = FindEnv(n)) return ScratchText(v);
  std::string fb;
  if (Fallback(n, &fb)) return ScratchText(fb);
  return ScratchText("");
}

Status SysChangeDir(StrPair folder) {
  if (!ValidName(folder)) return kStLowFailure;
  ResolvedPath rp = PathResolve(folder.view());
  if (rp.status || !rp.exists) return kStLowFailure;
  return ::chdir(rp.path.c_str()) == 0 ? kOk : kStLowFailure;
}

StrPair SysCurrentDir() {
  char buf[PATH_MAX];
  if (!::getcwd(buf, sizeof buf)) return ScratchText("");
  std::string_view d(buf);
  if (d.size() > kSysDirMax) return ScratchText("");
  return ScratchText(d);
}

StrPair SysDirList(StrPair pattern) {
  if (!ValidName(pattern)) return StrFail(kStFileNotFound);
  std::string_view pv = pattern.view();
  size_t cut = pv.find_last_of("/\\");
  std::string_view folder = cut == std::string_view::npos ? std::string_view() : pv.substr(0, cut + 1);
  std::string_view mask = cut == std::string_view::npos ? pv : pv.substr(cut + 1);
  std::string dir = ".";
  if (!folder.empty()) {
    ResolvedPath rp = PathResolve(folder);
    if (rp.status || !rp.exists) return StrFail(kStFileNotFound);
    dir = rp.path;
  }
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (struct dirent* e = ::readdir(d)) {
      std::string_view n(e->d_name);
      if (n == "." || n == "..") continue;
      if (SysWildMatch(mask, n)) names.emplace_back(n);
    }
    ::closedir(d);
  }
  if (names.empty()) return StrFail(kStFileNotFound);
  std::sort(names.begin(), names.end());
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) out += '\0';
    out += names[i];
  }
  if (out.size() > kMaxText) return StrFail(kStStringTooLong);
  return ScratchText(out);
}

Status SysFileFind(StrPair name, SysFindRecord* out) {
  Probe p = ProbeFile(name);
  if (!p.ok) return kStFileNotFound;
  if (out) {
    ResolvedPath rp = PathResolve(name.view());
    out->attr = AttrOf(p, rp.path);
    out->created = p.birth;
    out->accessed = p.st.st_atime;
    out->written = p.st.st_mtime;
    out->accessed_ms = uint16_t(p.st.st_atim.tv_nsec / 1'000'000);
    out->written_ms = uint16_t(p.st.st_mtim.tv_nsec / 1'000'000);
    out->size = uint64_t(p.st.st_size);
    out->name = p.disk_name;
  }
  return kOk;
}

uint64_t SysFileSize(StrPair name) {
  Probe p = ProbeFile(name);
  return p.ok ? uint64_t(p.st.st_size) : 0;
}

uint16_t SysFileAttr(StrPair name) {
  SysFindRecord r;
  if (SysFileFind(name, &r)) return kStFileNotFound;
  return r.attr;
}

uint32_t SysFileTime(StrPair name, int which, int mode) {
  if (mode != 0 && mode != 1) return 0;
  SysFindRecord r;
  if (SysFileFind(name, &r)) return 0;
  std::time_t t = which == 0 ? r.created : which == 1 ? r.accessed : r.written;
  if (mode == 0) {
    const uint16_t ms = which == 1 ? r.accessed_ms : which == 2 ? r.written_ms : 0;
    return uint32_t(SysTimeToDayMs(t) + ms);
  }
  std::tm tm{};
  if (t < 0 || !::localtime_r(&t, &tm)) return 0;
  return uint32_t((tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday);
}

StrPair SysTempName(StrPair folder) { return FreshName(folder, ""); }

StrPair SysTempFileName(StrPair extension, StrPair folder) {
  if (!extension.ok()) return extension;
  return FreshName(folder, "." + extension.str());
}

Status SysMakeDir(StrPair folder) {
  if (!ValidName(folder)) return kStLowFailure;
  ResolvedPath rp = PathResolve(folder.view());
  if (rp.status || rp.exists) return kStLowFailure;
  return ::mkdir(rp.path.c_str(), 0777) == 0 ? kOk : kStLowFailure;
}

void SysWaitMs(uint32_t ms) { ClockSleepMs(ms); }

int64_t SysElapsedMs(int64_t start, int64_t end) {
  int64_t d = end - start;
  return d < 0 ? d + kMsPerDay : d;
}

int64_t SysClockElapsedMs(int flag) {
  uint64_t now = ClockMonotonicMs();
  uint64_t& mark = Core().sys.clock_mark;
  if (flag == 1) mark = now;
  return int64_t(now - mark);
}

int64_t SysTimeOfDayMs() {
  LocalTime t = ClockLocalNow();
  return int64_t(t.hour) * 3'600'000 + t.minute * 60'000 + t.second * 1000 + t.ms;
}

int64_t SysTimeToDayMs(std::time_t t) {
  if (t < 0) return 0;
  std::tm tm{};
  if (!::localtime_r(&t, &tm)) return 0;
  return int64_t(tm.tm_hour) * 3'600'000 + tm.tm_min * 60'000 + tm.tm_sec * 1000;
}

int64_t SysTimeParse(StrPair text) {
  if (!text.ok() || text.empty()) return SysTimeOfDayMs();
  std::string_view s = text.view();
  int64_t ms = 0;
  size_t dot = s.find('.');
  if (dot != std::string_view::npos) {
    int scale = 100;
    for (size_t i = dot + 1; i < s.size() && i < dot + 4 && s[i] >= '0' && s[i] <= '9'; ++i) {
      ms += (s[i] - '0') * scale;
      scale /= 10;
    }
    s = s.substr(0, dot);
  }
  std::vector<std::string_view> items;
  size_t from = 0;
  while (true) {
    size_t c = s.find(':', from);
    items.push_back(s.substr(from, c == std::string_view::npos ? std::string_view::npos : c - from));
    if (c == std::string_view::npos) break;
    from = c + 1;
  }
  if (items.size() > 3) return ms;
  static constexpr int64_t kUnit[] = {1000, 60'000, 3'600'000};
  for (size_t k = 0; k < items.size(); ++k) ms += ReadInt(items[items.size() - 1 - k]) * kUnit[k];
  return ms;
}

StrPair SysTimeFormat(int64_t ms, int flags) {
  if (ms < 0) ms = 0;
  std::string out;
  Two(out, ms / 3'600'000);
  if (flags & 1) out += ':';
  Two(out, ms / 60'000 % 60);
  if (flags & 2) {
    if (flags & 1) out += ':';
    Two(out, ms / 1000 % 60);
    if (flags & 4) {
      int64_t f = ms % 1000;
      out += '.';
      if (f < 100) out += '0';
      if (f < 10) out += '0';
      out += std::to_string(f);
    }
  }
  return ScratchText(out);
}

}  // namespace eng
