#include "core/help.h"

#include <string>

#include "core/dec_value.h"
#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/folders.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_format.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"

namespace eng {

namespace {

constexpr uint16_t kLineQueue = 37;

Status View(std::string_view file) {
  HelpViewFn viewer = Core().help.viewer;
  if (!viewer) return kStNotAvailable;
  std::string quoted = "\"" + std::string(file) + "\"";
  ScratchScope scope;
  return viewer(StrOf(quoted), kHelpViewer);
}

std::string Find(std::string_view name) {
  ScratchScope scope;
  return HelpFindFile(StrOf(name)).str();
}

}  // namespace

void HelpSetViewer(HelpViewFn fn) { Core().help.viewer = fn; }

StrPair HelpFindFile(StrPair name) {
  if (!name.ok()) return name;
  ScratchScope scope;
  std::string folders = DynStrGet(sl::kSettings, sl::kAppFolder).str() + "," +
                        DynStrGet(sl::kSettings, sl::kHelpFolder).str();
  StrPair wanted = name.len ? name : StrConcat(AppPrefix(), StrOf("HELP.HLP"));
  StrPair found = PathFindFile(StrOf(folders), wanted);
  if (found.ok() && found.len == 0) found = PathFindFile(StrOf(folders), MsgLangFileName(wanted, -1));
  if (!found.ok() || found.len == 0) return scope.Keep(StrPair{});
  std::string path = found.str();
  if (path.find_first_of("\\/") == std::string::npos) {
    std::string cwd = SysCurrentDir().str();
    if (!cwd.empty()) path = cwd + "/" + path;
  }
  return scope.Keep(StrOf(path));
}

Status HelpOpenIndex(StrPair prefix) {
  if (!prefix.ok()) return StrError(prefix);
  std::string name = std::string(prefix.view()) + "index.html";
  std::string path = Find(name);
  if (path.empty()) {
    name = "index.html";
    path = Find(name);
  }
  if (path.empty()) {
    ScratchScope scope;
    std::string text = MsgText("0072").str() + "\r\n" + name;
    MsgBox(StrOf(text), MsgText("0071"), 0);
    return kOk;
  }
  return View(path);
}

Status HelpCommand(StrPair text) {
  ScratchScope scope;
  if (text.ok() && text.len != 0) return HelpAboutBox(NumToText(SysVarGet(kVarPrecis)));
  StrPair family = StrItem(DynStrGet(sl::kSettings, sl::kIdentity), ':', 2);
  if (family.ok() && family.len != 0) return View(PathJoin(StrOf(kHelpOnlineAddress), family).view());
  return HelpOpenIndex(AppPrefix());
}

Status HelpShowEntry(StrPair text) {
  if (!text.ok()) return StrError(text);
  ScratchScope scope;
  StrPair file = StrTrim(StrItem(text, ',', 1), 3);
  int32_t key = StrItemInt(text, ',', 2);
  StrPair path = HelpFindFile(file);
  if (!path.ok() || path.len == 0) return kStFileNotFound;
  uint16_t count = DefLinesRead(path, key <= 100 ? 1 : 3, key);
  if (count == kDefNone || count == 0) return kStFileNotFound;
  StrPair caption = ScratchPair(DynStrTop(kLineQueue));
  DynStrPop(kLineQueue);
  StrPair body = DefLinesJoin(static_cast<uint16_t>(count - 1), StrOf("\r\n"));
  if (!caption.ok()) return StrError(caption);
  if (!body.ok()) return StrError(body);
  MsgBox(body, caption, 0);
  return kOk;
}

Status HelpAboutBox(StrPair text) {
  ScratchScope scope;
  StrPair caller = text.ok() ? text : StrPair{};
  StrPair about = StrFormat(8192, MsgText("0076"),
                            {"2017", DynStrGet(sl::kSettings, sl::kTitle), "2.20", "",
                             DynStrGet(sl::kSettings, sl::kLanguage), caller, "1700", PathProgram(0),
                             PathFolder(kPathDefault), PathFolder(kPathData)});
  if (!about.ok()) return StrError(about);
  MsgBox(about, MsgText("0075"), 0);
  return kOk;
}

uint16_t MsgInfoBox(StrPair caption, StrPair text) { return MsgBox(text, caption, 0); }

}  // namespace eng
