#include "ui/font_cfg.h"

#include <string>
#include <vector>

#include "core/module_parms.h"
#include "core/dyn_strings.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "core/def_lines.h"
#include "core/err_register.h"
#include "ui/choose_list.h"
#include "ui/fonts.h"
#include "ui/ui_state.h"
#include "ui/win_def.h"

namespace eng {

namespace {

// The file's lines, read as definition 0 of a keyless file; 0 or the push's
// status.
Status ReadLines(std::vector<std::string>& lines) {
  Status s = ParmPushDef(StrOf(kFontCfgFile), 0, 0);
  if (s) return s;
  StrPair all = DynStrTop(sl::kModuleParms);
  const uint16_t n = StrItemCount(all, ':');
  for (uint16_t i = 1; i <= n; ++i) lines.push_back(StrItem(all, ':', i).str());
  ParmPop();
  return kOk;
}

}  // namespace

Status FontCfgLoad() {
  ScratchScope scope;
  std::vector<std::string> lines;
  Status s = ReadLines(lines);
  if (s) return s;
  if (lines.empty()) return kStLowFailure;
  StrPair line = StrOf(lines.front());
  const int height = StrToInt(StrTrim(StrItem(line, ';', 1), 3));
  const int width = StrToInt(StrTrim(StrItem(line, ';', 2), 3));
  const bool bold = StrFind(StrItem(line, ';', 3), StrOf("BOLD"), true) != kNotFound;
  // A cell of no size, or one larger than a screen row, cannot lay out a
  // grid: such a line is refused and the current font stays.
  if (height < 1 || width < 1 || height > kFontMaxCell || width > kFontMaxCell) {
    ErrIncident(kStDataError, line, false);
    return kStDataError;
  }
  FontRegister(height, width, bold ? 1 : 0, StrTrim(StrItem(line, ';', 4), 3));
  return kOk;
}

Status FontCfgChoose() {
  ScratchScope scope;
  std::vector<std::string> lines;
  Status s = ReadLines(lines);
  if (s) return s;
  std::string choices;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) choices += ',';
    choices += lines[i];
  }
  UiChooser& chooser = Ui().chooser;
  const uint16_t k = chooser ? chooser(StrOf("Font"), StrOf(choices)) : ChooseFromList(StrOf("Font"), StrOf(choices));
  if (k == 0 || k > lines.size()) return kStCancelled;
  std::string chosen = lines[k - 1];
  lines.erase(lines.begin() + (k - 1));
  lines.insert(lines.begin(), chosen);
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  StrPair path = WinDefFilePath(StrOf("KVFONT"), kDefKindPpn);
  std::string target = path.empty() ? std::string(kFontCfgFile) : path.str();
  return StrmWriteFile(StrOf(target), kStrmReplace, text.data(), text.size());
}

}  // namespace eng
