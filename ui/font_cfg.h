// The display font settings file "KVFONT.PPN": its lines (all of them, no
// key column) are font lines of four ";"-items: height, width, a text that
// holds "BOLD" for a bold font, and the face name. The first line is the
// display font.
//
// FontCfgLoad: registers the first line's font, which becomes current; a
// missing or empty file is the push's status and the current font stays.
// A first line whose height or width is not a number from 1 to 255 is
// refused with 163 (incident text: the line) and registers nothing.
// FontCfgChoose (the font verb): offers the lines in the chooser titled
// "Font" (the installed one, else ChooseFromList); a chosen line is put first and the file rewritten whole (lines
// separated by CR LF, the old file intact until the new one is complete).
// Nothing chosen: 122. The new font takes effect at the next start.
#pragma once

#include "core/status.h"

namespace eng {

inline constexpr const char* kFontCfgFile = "KVFONT.PPN";
inline constexpr int kFontMaxCell = 255;

Status FontCfgLoad();
Status FontCfgChoose();

}  // namespace eng
