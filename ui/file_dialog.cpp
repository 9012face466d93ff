#include "ui/file_dialog.h"

#include <array>
#include <vector>

#include "core/def_lines.h"
#include "core/folders.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_format.h"
#include "core/str_items.h"
#include "platform/dlg_file.h"
#include "platform/dlg_folder.h"
#include "ui/ui_state.h"
#include "ui/win_stack.h"

namespace eng {

namespace {

struct DlgKind {
  const char* message;
  uint16_t def_kind;
  const char* fixed_name;  // after the prefix; null: the pattern is the initial name
};

// Dialog kinds 1-10 (kind 9 has no entry).
constexpr std::array<DlgKind, 10> kKinds = {{
    {"0061", kDefKindStruct, "DICC.DAT"},
    {"0062", kDefKindPan, nullptr},
    {"0063", kDefKindPdc, nullptr},
    {"0064", kDefKindPrx, nullptr},
    {"0065", kDefKindKva, nullptr},
    {"0066", kDefKindPpn, "MENU.PPN"},
    {"0067", kDefKindPdf, nullptr},
    {"0068", kDefKindTxt, nullptr},
    {nullptr, 0, nullptr},
    {"0061", kDefKindStruct, nullptr},
}};

constexpr uint16_t kFormatLimit = 0xFFFF;

std::string Filled(const char* message, const std::string& pattern) {
  ScratchScope scope;
  const StrPair p = StrOf(pattern);
  return StrFormat(kFormatLimit, MsgText(message), {p, p}).str();
}

}  // namespace

std::string FileDlgAllFiles() { return Filled("0060", "*.*"); }

FileDlgKindSpec FileDlgSpecOf(uint16_t flags) {
  const uint16_t kind = flags & kFileDlgKindMask;
  FileDlgKindSpec spec;
  const DlgKind* k = kind >= 1 && kind <= kKinds.size() && kKinds[kind - 1].message ? &kKinds[kind - 1] : nullptr;
  if (!k) {
    spec.filter = FileDlgAllFiles();
    return spec;
  }
  spec.ext = std::string(DefFileKindExt(k->def_kind));
  std::string prefix = "??";
  std::string pattern_prefix;
  if (flags & kFileDlgPrefix) {
    ScratchScope scope;
    prefix = pattern_prefix = AppPrefix().str();
  }
  spec.initial = k->fixed_name ? prefix + k->fixed_name : pattern_prefix + "*." + spec.ext;
  spec.filter = Filled(k->message, "*." + spec.ext) + "," + FileDlgAllFiles();
  return spec;
}

std::string FileDlgFilterBytes(StrPair filter) {
  std::string bytes = filter.str();
  for (char& c : bytes)
    if (c == ',') c = '\0';
  bytes.push_back('\0');
  bytes.push_back('\0');
  return bytes;
}

StrPair FileDlgSelect(bool save, uint16_t flags) {
  const FileDlgKindSpec spec = FileDlgSpecOf(flags);
  return FileDlgRun(save, save ? StrOf(spec.ext) : StrPair{}, StrOf(spec.initial), flags, StrOf(spec.filter),
                    StrPair{});
}

StrPair FileDlgRun(bool save, StrPair default_ext, StrPair initial, uint16_t flags, StrPair filter, StrPair title) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return ScratchText("");
  plat::FileDlgRequest r;
  r.save = save;
  r.title = title.str();
  r.default_ext = default_ext.str();
  r.initial_name = initial.str().substr(0, kFileDlgBuffer - 1);
  r.owner = WinTop();
  // Label and pattern pairs of the comma list.
  const uint16_t items = filter.empty() ? 0 : StrItemCount(filter, ',');
  for (uint16_t i = 1; i + 1 <= items; i += 2) {
    ScratchScope scope;
    r.filters.push_back({StrItem(filter, ',', i).str(), StrItem(filter, ',', static_cast<uint16_t>(i + 1)).str()});
  }
  std::string here;
  if (flags & kFileDlgKeepFolder) {
    ScratchScope scope;
    here = SysCurrentDir().str();
  }
  std::string chosen = plat::RunFileDialog(*ws, r);
  if (!here.empty()) {
    ScratchScope scope;
    SysChangeDir(StrOf(here));
  }
  // The name buffer holds 383 characters: a longer path cannot be returned.
  if (chosen.size() >= kFileDlgBuffer) chosen.clear();
  return ScratchText(chosen);
}

StrPair FileDlgChooseFolder(StrPair start, StrPair title) {
  plat::WinSystem* ws = UiWs();
  if (!ws) return ScratchText("");
  plat::FolderDlgRequest r;
  r.title = title.str();
  r.start = start.str();
  r.owner = WinTop();
  return ScratchText(plat::RunFolderDialog(*ws, r));
}

}  // namespace eng
