#include "data/data_file_path.h"

#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

// The extension of kind k is item k of ",FD,DIR,NDX,TMP,TXT".
constexpr std::string_view kExtensions[] = {"", "FD", "DIR", "NDX", "TMP", "TXT"};

std::string Join(std::string_view folder, std::string_view leaf) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/' && out.back() != '\\') out += '/';
  out += leaf;
  return out;
}

}  // namespace

std::string DataFilePathOf(std::string_view folder, std::string_view name, int kind) {
  if (kind == kPathName) return std::string(name);
  if (kind == kPathFreshTemp) {
    ScratchScope scope;
    StrPair temp = SysGetEnv(StrPair{"TEMP", 4});
    std::string dir = temp.ok() ? temp.str() : std::string();
    StrPair leaf = SysTempName(StrPair{dir.data(), uint16_t(dir.size())});
    if (!leaf.ok()) return std::string();
    return Join(dir, leaf.view());
  }
  if (kind < kPathRecords || kind > kPathText) return std::string();
  int item = kind;
  if (kind == kPathIndex && SysVarHas(kVarCompat, 2)) item = kPathIndexCompat;
  std::string_view base = name;
  if (SysVarHas(kVarCompat, 8) && base.size() > 8) base = base.substr(0, 8);
  std::string leaf(base);
  leaf += '.';
  leaf += kExtensions[item - 1];
  return Join(folder, leaf);
}

std::string LockMarkerName(std::string_view name) { return std::string(name) + ".lock"; }

}  // namespace eng
