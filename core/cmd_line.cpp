#include "core/cmd_line.h"

#include <filesystem>
#include <string>

#include "core/dyn_strings.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_emit.h"
#include "core/str_items.h"
#include "core/str_keys.h"
#include "core/string_lists.h"
#include "platform/program_path.h"

namespace eng {

namespace {

bool IsOption(std::string_view arg) { return !arg.empty() && (arg[0] == '/' || arg[0] == '-'); }

// The text in double quotes, or in apostrophes when it holds a double quote;
// as it is when it holds both (it cannot be quoted then).
void AppendQuoted(std::string& out, std::string_view text) {
  char q = text.find('"') == std::string_view::npos ? '"' : '\'';
  if (q == '\'' && text.find('\'') != std::string_view::npos) {
    out.append(text);
    return;
  }
  out += q;
  out.append(text);
  out += q;
}

// The value of one lookup of the name, normalised; an empty text when absent.
StrPair LookUp(StrPair line, StrPair name) {
  StrPair v = StrKeyGet(line, name);
  return v.ok() ? v : StrPair{};
}

bool Present(StrPair line, StrPair name) { return StrKeyLocate(line, name, 0).found(); }

StrPair OtherCase(StrPair name) {
  if (name.len == 0) return name;
  return StrCase(name, name.at(0) <= 96 ? 2 : 1);
}

}  // namespace

StrPair CmdLineJoinArgs(int count, const char* const* args) {
  std::string out;
  for (int i = 1; i < count; ++i) {
    if (i > 1) out += ' ';
    if (args[i]) out += args[i];
  }
  if (!out.empty() && static_cast<unsigned char>(out.back()) <= 13) out.pop_back();
  return StrEmit(out);
}

StrPair CmdLineRebuild(StrPair program, int count, const char* const* args) {
  if (!program.ok()) return program;
  std::string out;
  AppendQuoted(out, program.view());
  for (int i = 1; i < count; ++i) {
    std::string_view arg = args[i] ? std::string_view(args[i]) : std::string_view();
    out += ' ';
    if (!IsOption(arg) && (arg.empty() || arg.find(' ') != std::string_view::npos))
      AppendQuoted(out, arg);
    else
      out.append(arg);
  }
  return StrEmit(out);
}

StrPair CmdProgramPath(const char* argv0) {
  std::string exe = plat::ProgramExecutablePath();
  if (!exe.empty()) return StrEmit(exe);
  std::string given = argv0 ? argv0 : "";
  if (!given.empty() && given[0] != '/') {
    ScratchScope scope;
    StrPair cwd = SysCurrentDir();
    std::string base = cwd.ok() ? cwd.str() : std::string();
    scope.Release();
    if (!base.empty()) given = base + "/" + given;
  }
  return StrEmit(std::filesystem::path(given).lexically_normal().string());
}

StrPair CmdLineFromArgv(int count, const char* const* args) {
  ScratchScope scope;
  StrPair program = CmdProgramPath(count > 0 ? args[0] : nullptr);
  if (!program.ok()) return program;
  return scope.Keep(CmdLineRebuild(program, count, args));
}

Status CmdLineStore(StrPair text) {
  if (!text.ok()) return StrError(text);
  ScratchScope scope;
  StrPair t = StrTrim(text, 3);
  t = StrCollapse(t, ' ', false);
  t = StrReplaceAll(t, StrOf(" --"), StrOf(" /"), false);
  t = StrReplaceAll(t, StrOf(" -"), StrOf(" /"), false);
  if (!t.ok()) return StrError(t);
  return DynStrSet(sl::kSettings, sl::kCommandLine, t);
}

StrPair CmdLineGet() { return DynStrGet(sl::kSettings, sl::kCommandLine); }

StrPair CmdOptionName(uint16_t n) {
  if (n < 1 || n > kCmdOptionCount) return StrPair{};
  return StrOf(CmdOptionNames[n - 1]);
}

StrPair CmdValueByName(StrPair name) {
  if (!name.ok() || name.len == 0) return StrPair{};
  ScratchScope scope;
  StrPair line = CmdLineGet();
  StrPair v = LookUp(line, name);
  if (v.len == 0) v = LookUp(line, OtherCase(name));
  // A quoted value is a view into the string store; the caller gets a copy
  // of its own, which later changes of the store cannot move.
  return scope.Keep(v);
}

StrPair CmdOption(uint16_t n) {
  StrPair name = CmdOptionName(n);
  ScratchScope scope;
  StrPair v = CmdValueByName(name);
  if (n == kOptHelp && v.ok() && v.len == 0) {
    StrPair line = CmdLineGet();
    if (Present(line, name) || Present(line, OtherCase(name))) v = StrOf("YES");
  }
  return scope.Keep(v);
}

uint16_t CmdOptionIn(uint16_t n, StrPair list) {
  ScratchScope scope;
  StrPair v = CmdOption(n);
  if (!v.ok() || v.len == 0) return 0;
  return StrItemIndex(list, v, ',');
}

bool CmdHelpAsked(int count, const char* const* args) {
  auto upper = [](std::string_view t) {
    std::string u(t);
    for (char& c : u)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
  };
  const std::string names[] = {"?", "HELP", upper(CmdOptionNames[kOptHelp - 1])};
  for (int i = 1; i < count; ++i) {
    std::string_view arg = args[i] ? std::string_view(args[i]) : std::string_view();
    if (arg.starts_with("--")) {
      arg.remove_prefix(2);
    } else if (IsOption(arg)) {
      arg.remove_prefix(1);
    } else {
      continue;
    }
    const size_t cut = arg.find_first_of(":=");
    const std::string name = upper(arg.substr(0, cut));
    const std::string value = cut == std::string_view::npos ? std::string() : upper(arg.substr(cut + 1));
    for (const std::string& n : names)
      if (name == n && value != "NO") return true;
  }
  return false;
}

}  // namespace eng
