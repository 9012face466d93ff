// The window functions only truvesca has: the line-maintenance window of the
// verb LnManMain, the fast-find hook of its document windows (hook 8) and
// the deletion of the main window's logo image at shut-down.
//
// LnManMainWindow (window-definition line): grid margins left 0, top 1,
// bottom 1; a modal window (kind 3) titled with item 1 of message 0022,
// sized by the line's columns and rows, with the list levels' window
// procedure; the line's document opened in it (MovsWindowOpen) with its
// field controls in window state 150; MovsActionWin and MovsKeyFilter as its
// handlers, MovsGridFieldValue in hook slot 2; the lines grid with the
// document toolbar (flags 98) and MovsGridAction, the window fitted to it;
// then the INIT event, every field refreshed (word 244) and the current
// field's text selected. A status of 128 or more destroys the window and is
// the answer.
// MovsUpdateHook (action), hook 8, the handler of a fast-find window: on a
// confirmation (class 25) the key number INDEX% (expanded), the raw values of
// the window's fields 1 and 2 as the range and the filled terms of RD_COND$
// as the condition go to MovsUpdateFields; on success the fast-find window's
// record is closed and the found document shown in the document window now
// current (MovsFastFindShow). It answers through ScreenCloseOnExit (flags 0).
// MovsUpdateFields (key, from, to, condition), on the current file: key 0 is
// key 2; the first record of the range that satisfies the condition is read
// (MovsFastFindBuild, mode 3); on success the accept memory (list 9) holds
// the screen's key (element 6) and the key number, the found record's value
// of that key, to and the condition (element 7, each quoted), so that the
// page keys of the document window go on from there.
// LogoImageDelete: forgets the main window's logo image; 0, also when there
// is none.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng::truvesca {

inline constexpr uint16_t kLnManWinKind = 3;
inline constexpr uint16_t kLnManScreenFlags = 150;
inline constexpr uint16_t kLnManToolbarFlags = 98;

Status LnManMainWindow(StrPair line);
Status MovsUpdateHook(uint16_t action);
Status MovsUpdateFields(uint16_t key, StrPair from, StrPair to, StrPair condition);
Status LogoImageDelete();

}  // namespace eng::truvesca
