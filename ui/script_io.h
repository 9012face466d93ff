// Scripted answers of screen windows: the INPUT script's line stored into
// the fields of the current form, and the OUTPUT journal line of a form.
// (The script's reader and the journal file are in core/script_io.h, where
// the device dialog reaches them too.)
//
// ScriptStoreLine (line): item i of the line (a comma list, each item
// unquoted) goes into field i of the current screen (ScreenFieldStore 118);
// missing items store empty values. A line with more items than the screen
// has fields, or an item longer than its field's display length, is refused
// with 163 (the line as incident text) before anything is stored. A field
// that refuses its value stops the storing with that field's status.
// ScriptReplayInput (window): while a script is read, its next line answers
// the form: stored, confirmed as its Ok would (AcceptWinExit with the Ok
// action) and then closed at once through its close request (action 29 when
// the window is not given), so that the script's next command finds it gone. A blank line, or a script with no
// line left, leaves the window to the user; without a script nothing
// happens; 0 then. A refused value or a confirmation that fails is the
// result and the window stays.
// ScriptJournalFields (): the raw texts of the current screen's fields,
// right-trimmed and quoted, as one journal line (nothing without fields or
// without the OUTPUT option).
#pragma once

#include "core/status.h"
#include "core/str_pair.h"
#include "platform/win_types.h"

namespace eng {

Status ScriptStoreLine(StrPair line);
Status ScriptReplayInput(plat::Hwnd window);
void ScriptJournalFields();

}  // namespace eng
