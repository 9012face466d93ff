#include "core/folders.h"

#include <set>
#include <string>
#include <string_view>

#include "core/cmd_line.h"
#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/os_services.h"
#include "core/path_resolve.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_emit.h"
#include "core/str_items.h"
#include "core/string_lists.h"

namespace eng {

namespace {

constexpr bool IsSep(char c) { return c == '\\' || c == '/'; }

std::string Setting(uint16_t element) { return DynStrGet(sl::kSettings, element).str(); }

std::string ToSlashes(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string Join(std::string_view first, std::string_view second) {
  std::string a = ToSlashes(first), b = ToSlashes(second);
  if (a.empty()) return b;
  if (b.empty()) return a;
  bool a_sep = a.back() == '/', b_sep = b.front() == '/';
  if (a_sep && b_sep) return a + b.substr(1);
  if (a_sep || b_sep) return a + b;
  return a + "/" + b;
}

size_t DriveLength(std::string_view p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] | 0x20) >= 'a' && (p[0] | 0x20) <= 'z') ? 2 : 0;
}

size_t LastSep(std::string_view p) {
  size_t i = p.find_last_of("\\/");
  return i;
}

std::string Split(std::string_view p, int parts) {
  size_t drive = DriveLength(p);
  size_t last = LastSep(p);
  std::string_view drive_part = p.substr(0, drive);
  std::string_view folder_part, file_part;
  if (last == std::string_view::npos || last < drive) {
    file_part = p.substr(drive);
  } else {
    folder_part = p.substr(drive, last - drive);
    // A file in the root keeps its root as folder.
    if (folder_part.empty()) folder_part = p.substr(last, 1);
    file_part = p.substr(last + 1);
  }
  std::string_view name = file_part, ext;
  size_t dot = file_part.rfind('.');
  if (dot != std::string_view::npos) {
    name = file_part.substr(0, dot);
    ext = file_part.substr(dot);
  }
  std::string out;
  if (parts & 1) out.append(drive_part);
  if (parts & 2) out.append(folder_part);
  if (parts & 4) {
    if ((parts & 3) && !out.empty() && out.back() != ':' && !IsSep(out.back())) out += '/';
    out.append(name);
  }
  if (parts & 8) out.append(ext);
  return out;
}

// The base without its last folder; a drive and the root stay.
std::string DropLastFolder(std::string base) {
  size_t drive = DriveLength(base);
  while (base.size() > drive + 1 && IsSep(base.back())) base.pop_back();
  size_t last = base.find_last_of("\\/");
  if (last == std::string::npos || last < drive) return base.substr(0, drive);
  if (last == drive) return base.substr(0, drive + 1);  // the root
  return base.substr(0, last);
}

std::string FoldDots(std::string_view base, std::string_view relative) {
  std::string b(base);
  std::string_view r = relative;
  while (r.size() >= 3 && r[0] == '.' && r[1] == '.' && IsSep(r[2])) {
    r.remove_prefix(3);
    b = DropLastFolder(b);
  }
  std::string out = Join(b, r);
  for (size_t i; (i = out.find("/./")) != std::string::npos;) out.erase(i, 2);
  return out;
}

std::string CurrentDir() {
  ScratchScope scope;
  return SysCurrentDir().str();
}

std::string Prefix() {
  std::string id = Setting(sl::kIdentity);
  size_t colon = id.find(':');
  std::string first = id.substr(0, colon);
  return first.substr(0, 2);
}

std::string ProgramWord(int flags) {
  ScratchScope scope;
  StrPair line = CmdLineGet();
  StrPair word = StrItem(line, ' ', (flags & 1) ? 2 : 1);
  word = StrUnquote(StrTrim(word, 3));
  std::string w = word.ok() ? word.str() : std::string();
  if ((flags & 1) && !w.empty() && w[0] == '/') w.clear();
  if (flags & 2) w = Split(w, 3);
  return w;
}

bool OnHighDrive() {
  std::string drive = Split(ProgramWord(0), 1);
  return !drive.empty() && (drive[0] | 0x20) >= 'f' && (drive[0] | 0x20) <= 'z';
}

std::string NormalisedItem(std::string_view list, uint16_t n) {
  ScratchScope scope;
  StrPair item = StrNormValue(StrItem(StrOf(list), ',', n));
  return item.ok() ? item.str() : std::string();
}

std::string Folder(int kind) {
  switch (kind) {
    case kPathRunPath: return ProgramWord(2);
    case kPathDefault: return Setting(sl::kAppFolder);
    case kPathData:
      return FoldDots(OnHighDrive() ? Setting(sl::kAppFolder) : Folder(kPathDocs), "..\\data");
    case kPathDocs: {
      std::string docs = Setting(sl::kDocsFolder);
      return docs.empty() ? CurrentDir() : docs;
    }
    case kPathHelp: {
      std::string help = Setting(sl::kHelpFolder);
      return help.empty() ? FoldDots(Setting(sl::kAppFolder), "Help") : help;
    }
    case kPathBackup: return FoldDots(Setting(sl::kDocsFolder), "Backups");
    case kPathBackRel: {
      std::string db = Setting(sl::kDatabaseLogin);
      return Join(Join(Join(CurrentDir(), "Backups"), NormalisedItem(db, 1)), NormalisedItem(db, 2));
    }
    default: return std::string();
  }
}

bool ExistsAsFile(std::string_view name) {
  if (name.empty()) return false;
  ScratchScope scope;
  SysFindRecord rec;
  return SysFileFind(StrOf(name), &rec) == kOk && !(rec.attr & kAttrFolder);
}

std::string FindFile(std::string_view folders, std::string_view name) {
  if (name.empty()) return std::string();
  if (ExistsAsFile(name)) return std::string(name);
  ScratchScope scope;
  StrPair list = StrOf(folders);
  uint16_t n = StrItemCount(list, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    StrPair folder = StrTrim(StrItem(list, ',', i), 3);
    if (folder.len == 0) continue;
    std::string candidate = Join(folder.view(), name);
    if (ExistsAsFile(candidate)) return candidate;
  }
  return std::string();
}

// --- macros -----------------------------------------------------------------

constexpr std::string_view kFolderMacros[] = {"APPPATH_RUNPATH", "APPPATH_DEFAULT", "APPPATH_DATA",
                                              "APPPATH_DOCS",    "APPPATH_HELP",    "APPPATH_BACKUP",
                                              "APPPATH_BACKREL"};
constexpr std::string_view kEnvMacros[] = {"ALLUSERSPROFILE", "APPDATA",     "CommonProgramFiles", "HOMEDRIVE",
                                           "HOMEPATH",        "ProgramFiles", "SYSTEMDRIVE",       "SystemRoot",
                                           "TEMP",            "USERPROFILE"};
constexpr std::string_view kSettingMacros[] = {"COMMANDLINE", "APNAME",   "APDESCRIP", "LANGMODULE.DOCPATH",
                                               "DATAPATH",    "HELPPATH"};
constexpr std::string_view kDatabaseMacros[] = {"DATABASE_HOST", "DATABASE_DBNAME", "DATABASE_USER",
                                                "DATABASE_PASSW"};

// The key under which a folder kind or an environment name counts as
// expanded; empty for any other name.
std::string FolderOrEnvKey(std::string_view name) {
  for (std::string_view f : kFolderMacros)
    if (name == f) return "folder:" + std::string(f);
  for (std::string_view env : kEnvMacros)
    if (PathNameEqualNoCase(name, env)) return "env:" + std::string(env);
  return std::string();
}

// The value of a folder kind or an environment name (by its key).
std::string FolderOrEnvValue(std::string_view key) {
  if (key.starts_with("folder:"))
    for (int k = 0; k < 7; ++k)
      if (key.substr(7) == kFolderMacros[k]) return Folder(k + 1);
  ScratchScope scope;
  return SysGetEnv(StrOf(key.substr(4))).str();
}

std::string SettingValue(std::string_view name) {
  for (uint16_t i = 0; i < 6; ++i)
    if (name == kSettingMacros[i]) return i == 1 ? Prefix() : Setting(static_cast<uint16_t>(i + 1));
  for (uint16_t i = 0; i < 4; ++i)
    if (name == kDatabaseMacros[i]) return NormalisedItem(Setting(sl::kDatabaseLogin), i + 1);
  return std::string();
}

struct Segment {
  size_t start = std::string::npos;  // the opening "%"
  size_t end = 0;                    // the closing "%"
  bool found() const { return start != std::string::npos; }
  std::string_view in(const std::string& s) const { return std::string_view(s).substr(start, end - start + 1); }
  std::string_view name(const std::string& s) const {
    return std::string_view(s).substr(start + 1, end - start - 1);
  }
};

Segment NextSegment(const std::string& s, size_t from) {
  Segment g;
  size_t a = s.find('%', from);
  if (a == std::string::npos) return g;
  size_t b = s.find('%', a + 1);
  if (b == std::string::npos) return g;
  g.start = a;
  g.end = b;
  return g;
}

// Every occurrence of `find` replaced; outside quotes only unless plain.
Status ReplaceAll(std::string& s, std::string_view find, std::string_view value, bool plain) {
  if (plain) {
    std::string out;
    size_t i = 0;
    for (size_t j; (j = s.find(find, i)) != std::string::npos; i = j + find.size()) {
      out.append(s, i, j - i);
      out.append(value);
    }
    out.append(s, i, std::string::npos);
    if (out.size() > kMaxText) return kStStringTooLong;
    s = std::move(out);
    return kOk;
  }
  ScratchScope scope;
  StrPair r = StrReplaceAll(StrOf(s), StrOf(find), StrOf(value), false);
  if (!r.ok()) return StrError(r);
  s.assign(r.view());
  return kOk;
}

// After a replacement at a segment: rescan from its start when it changed
// (the value put in is scanned), else go on after it.
size_t NextScan(const std::string& s, const Segment& g, std::string_view seg) {
  return s.compare(g.start, seg.size(), seg) == 0 ? g.end + 1 : g.start;
}

Status ExpandSettings(std::string& s, std::set<std::string>& done) {
  size_t pos = 0;
  for (Segment g; (g = NextSegment(s, pos)).found();) {
    std::string seg(g.in(s));
    std::string name(g.name(s));
    std::string key = "setting:" + name;
    // A folder or environment name left by the folder pass (its value held
    // its own name) stays as it stands.
    std::string folder_key = FolderOrEnvKey(name);
    if (done.count(key) || (!folder_key.empty() && done.count(folder_key))) {
      pos = g.end + 1;
      continue;
    }
    done.insert(key);
    if (Status st = ReplaceAll(s, seg, SettingValue(name), false)) return st;
    pos = NextScan(s, g, seg);
  }
  return kOk;
}

Status ExpandAll(std::string& s) {
  std::set<std::string> done;
  size_t pos = 0;
  for (Segment g; (g = NextSegment(s, pos)).found();) {
    std::string seg(g.in(s));
    std::string key = FolderOrEnvKey(g.name(s));
    if (!key.empty()) {
      if (done.count(key)) {
        pos = g.end + 1;
        continue;
      }
      done.insert(key);
      if (Status st = ReplaceAll(s, seg, FolderOrEnvValue(key), true)) return st;
    } else {
      if (Status st = ExpandSettings(s, done)) return st;
    }
    pos = NextScan(s, g, seg);
  }
  return ExpandSettings(s, done);
}

StrPair Emit(const std::string& s) { return StrEmit(s); }

}  // namespace

StrPair AppPrefix() { return Emit(Prefix()); }

StrPair AppPathKinds(StrPair text) {
  if (!text.ok()) return text;
  std::string s(text.view());
  if (Status st = ExpandAll(s)) return StrFail(st);
  return Emit(s);
}

StrPair EnvKeyNames(StrPair text) {
  if (!text.ok()) return text;
  std::string s(text.view());
  std::set<std::string> done;
  if (Status st = ExpandSettings(s, done)) return StrFail(st);
  return Emit(s);
}

StrPair PathFolder(int kind) { return Emit(Folder(kind)); }

StrPair PathFolderFile(StrPair name, int kind) {
  if (!name.ok()) return name;
  return Emit(Join(Folder(kind), name.view()));
}

StrPair PathProgram(int flags) { return Emit(ProgramWord(flags)); }

StrPair PathFindFile(StrPair folders, StrPair name) {
  if (!name.ok()) return name;
  return Emit(FindFile(folders.view(), name.view()));
}

StrPair PathJoin(StrPair first, StrPair second) {
  if (!first.ok()) return first;
  if (!second.ok()) return second;
  return Emit(Join(first.view(), second.view()));
}

StrPair PathSplit(StrPair path, int parts) {
  if (!path.ok()) return path;
  return Emit(Split(path.view(), parts));
}

StrPair PathAddExt(StrPair name, StrPair extension) {
  if (!name.ok()) return name;
  if (!extension.ok()) return extension;
  std::string s(name.view());
  s += '.';
  s.append(extension.view());
  return Emit(s);
}

StrPair PathKindExt(int n) {
  static constexpr std::string_view kExt[] = {"", "FD", "DIR", "NDX", "TMP", "TXT"};
  bool lower = n >= 128;
  if (lower) n -= 128;
  if (n < 1 || n > 6) return StrPair{};
  std::string e(kExt[n - 1]);
  if (lower)
    for (char& c : e) c = AsciiLower(c);
  return Emit(e);
}

StrPair PathSlashes(StrPair path) {
  if (!path.ok()) return path;
  return Emit(ToSlashes(path.view()));
}

StrPair PathFoldDots(StrPair base, StrPair relative) {
  if (!base.ok()) return base;
  if (!relative.ok()) return relative;
  return Emit(FoldDots(base.view(), relative.view()));
}

Status PathMakeDirs(StrPair path) {
  if (!path.ok()) return StrError(path);
  std::string p(path.view());
  if (p.find_first_of("\\/") == std::string::npos) {
    ScratchScope scope;
    return ErrIncident(kStDataError, path, true);
  }
  size_t drive = DriveLength(p);
  for (size_t i = drive; i <= p.size(); ++i) {
    if (i < p.size() && !IsSep(p[i])) continue;
    std::string prefix = p.substr(0, i);
    if (prefix.size() <= drive || IsSep(prefix.back())) continue;
    ScratchScope scope;
    StrPair folder = StrOf(prefix);
    uint16_t attr = SysFileAttr(folder);
    if (attr != kStFileNotFound && (attr & kAttrFolder)) continue;
    if (SysMakeDir(folder) != kOk) return kStLowFailure;
  }
  return kOk;
}

StrPair PathTempFile(StrPair prefix) {
  if (!prefix.ok()) return prefix;
  ScratchScope scope;
  std::string folder = SysGetEnv(StrOf("TEMP")).str();
  for (int attempt = 0; attempt < 100; ++attempt) {
    StrPair random = SysTempName(StrOf(folder));
    if (!random.ok()) return scope.Keep(random);
    std::string name = Join(folder, std::string(prefix.view()) + random.str());
    SysFindRecord rec;
    if (SysFileFind(StrOf(name), &rec) != kOk) return scope.Keep(StrOf(name));
  }
  return scope.Keep(StrFail(kStFileExists));
}

bool PathOnHighDrive() { return OnHighDrive(); }

StrPair AppStartMenuName(StrPair name) {
  if (!name.ok()) return name;
  if (name.len != 0) return name;
  ScratchScope scope;
  std::string menu = CmdOption(kOptApStart).str();
  if (menu.empty()) menu = Prefix() + "MENU";
  std::string first = NormalisedItem(menu, 1);
  std::string folders = Setting(sl::kAppFolder);
  auto exists_as = [&](uint16_t kind) {
    ScratchScope inner;
    return !FindFile(folders, DefFileName(StrOf(first), kind).view()).empty();
  };
  if (first.empty() || (!exists_as(kDefKindPmt) && !exists_as(kDefKindPpn)))
    return scope.Keep(StrPair{});
  return scope.Keep(StrOf(menu));
}

Status HelpSetFolder(StrPair pattern) {
  if (!pattern.ok()) return StrError(pattern);
  std::string s(pattern.view());
  std::string lang = Setting(sl::kLanguage);
  for (char& c : lang) c = AsciiLower(c);
  ReplaceAll(s, "%s", lang, true);
  ScratchScope scope;
  return DynStrSet(sl::kSettings, sl::kHelpFolder, StrOf(s));
}

}  // namespace eng
