// Document windows: one document (a header record and its line records,
// sharing a key prefix, the document key) kept through a screen. Header
// fields stand at the top, the lines in a grid laid over the screen's
// bounded range (BOUNDS$), summary fields after the range. The window's
// states are the maintenance states (ui/maint_win_state.h): zone 1 the
// document-type field, 2 the key, 3 other header fields, 4 the lines, 5 the
// summary. Whatever is not handled here goes to MantAction.
//
// The caller makes the window (kind 3 with ListNotifyProc, or kind 2 for
// navigation windows), then: MovsWindowOpen (line), ScreenSetWin (flags),
// ScreenActionSet (MovsActionWin, MovsKeyFilter), MovsLinsSetControls,
// MovsLinsFitWindow and event 1 (INIT).
//
// Window flags (ScreenWin::flags, see MovsWinFlag). _DOCST bit 1: a loaded
// document has begin fields; bit 2: a document was loaded with its lines.
//
// MovsAction (code): 21 Esc (MovsCancel); 25 commands: NEW cancel, TOP, PRV,
//   NXT, BOT page moves, FND fast find, SVE save, INS/DEL lines, IMP import,
//   DDE delete the document, PRN toggles printing after saving; a 127 is
//   dropped outside state 4. 28/29 close (parameter file first); 36 summary
//   refresh; 41 load (not found: new document); 42 save.
// MovsActionWin (code): the window-level handler; every result goes through
//   MovsStatusShow (footer status lines, grid redraw, toolbar).
// MovsKeyFilter (state the action began in, state now, code): the next code
//   (document codes 33 entered the begin field, 34 left it, 35 entered the
//   lines, 36 left them, 37 went to a line, 41 load, 31/32 line down/up) or
//   -1 (0xFFFF); otherwise MantKeyNext decides (its 27 dropped).
//
// Loading reads the header (READCABS$ item 1 for several header records)
// and the lines (ui/lins_moves.h); saving commits the edited line, runs
// FTCLC$ and the CHECK event, then rewrites the whole document through the
// document store (data/doc_store.h), whose journal keeps a document that was
// on disk whole, old or new, whatever happens during the save; headers by
// WRITECABS$/NUMCAB$ or WRITECAB0$, lines numbered 1..n in "N_LINE". A save
// or delete with a blank document key writes and deletes nothing (2).
// Events "INIT,LOAD,CHECK,SAVE,DELETE" (1-5) call the PRCNAME$ hook read in
// the event's parameter context, when USR_COND$ holds.
//
// Printing after a save goes through an installed printer (MovsSetPrinter):
// the window layer does not print by itself.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"
#include "ui/lins_buf.h"
#include "ui/lins_moves.h"
#include "ui/list_level_state.h"
#include "ui/screen_records.h"

namespace eng {

enum MovsWinFlag : uint16_t {
  kMovsPrint = 0x01,        // print after saving
  kMovsMaintMode = 0x02,    // NAVIGATION: lines are saved one by one
  kMovsExists = 0x04,       // the document was loaded
  kMovsInserting = 0x08,    // the current line is being inserted (navigation)
  kMovsRowChange = 0x10,    // a grid row change is in progress
  kMovsReadOnly = 0x20,     // VOIDMODE% has 0x400
};

enum MovsCode : uint16_t {
  kMovsBeginEntered = 33,
  kMovsBeginLeft = 34,
  kMovsLinesEntered = 35,
  kMovsLinesLeft = 36,
  kMovsLineGoto = 37,
  kMovsLineInserted = 39,
  kMovsLoad = 41,
  kMovsSave = 42,
};

enum MovsEventNo : int { kMovsEvInit = 1, kMovsEvLoad, kMovsEvCheck, kMovsEvSave, kMovsEvDelete };
inline constexpr const char* kMovsEventNames = "INIT,LOAD,CHECK,SAVE,DELETE";
inline constexpr uint16_t kDocStBeginFields = 1;
inline constexpr uint16_t kDocStLoaded = 2;
inline constexpr uint16_t kMovsDocToolbarFlags = 98;  // document toolbar: set 2, kind 2
inline constexpr uint16_t kMovsNoCode = 0xFFFF;

// Prints a saved document: device text (DOC$ item 1), template (item 2),
// range text (DOCSETS$) and the document key as key bound.
using MovsPrintFn = Status (*)(StrPair device, StrPair tmpl, StrPair range, StrPair key);
void MovsSetPrinter(MovsPrintFn fn);

Status MovsWindowOpen(StrPair line);
Status MovsAction(uint16_t code);
Status MovsActionWin(uint16_t code);
uint16_t MovsKeyFilter(uint16_t began, uint16_t now, uint16_t code);

// The lines grid and the toolbar (toolbar kind = flags & 0x0F); callback
// null: MovsGridAction.
Status MovsLinsSetControls(StrPair line, uint16_t flags, ListKeyCallback callback);
void MovsLinsFitWindow();
Status MovsLinsRedraw(ScreenWin* window);

// The grid-code callback of document windows (right click, F5-F11, click,
// Up/Down, focus, Esc).
uint8_t MovsGridAction(plat::Hwnd window, uint16_t level, uint16_t code);
// Goes to a grid row (0-based): the edited line is committed and the row
// shown in the fields.
Status MovsGridGoLine(ScreenWin* window, int row);
// Opens the grid's selected line (or the given row) for editing: code 101.
Status MovsGridOpenLine(ScreenWin* window, int row);

Status MovsEvent(int n);

Status MovsLoadDocument(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer);
Status MovsLocateHeader(uint16_t file, uint16_t key, StrPair text);
Status MovsSave(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer);
Status MovsSaveDocument(const ScreenDesc& screen, LinsBuf* buffer);
// Header j = 1.. (_HNUM = j): up to count headers, then while the loop
// condition holds; each written when its write condition (else WRITECABS$
// expanded again, else the text) is true, or when it is the last counted
// one and none was written yet. Inside a save the records go through the
// document store's header add.
Status MovsWriteHeaders(const ScreenDesc& screen, int count, StrPair text, StrPair loop, StrPair next,
                        StrPair write);
Status MovsDeleteDocument(StrPair slot_list);
Status MovsDeleteKeyRecords(uint16_t file, uint16_t key, StrPair text, StrPair rules, StrPair test);
Status MovsPrint(uint16_t file);

Status MovsNewDocument(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer);
Status MovsClearLines(const ScreenDesc& screen, LinsBuf* buffer);
Status MovsRefreshKeyFields(ScreenWin* window, int from, int to, int mode);
Status MovsCancel(const ScreenDesc& screen, ScreenWin* window, LinsBuf* buffer);
Status MovsDeleteDoc(const ScreenDesc& screen, ScreenWin* window);
Status MovsRefreshSummary(const ScreenDesc& screen, uint16_t word);

Status MovsFind();
Status MovsPageMove(uint16_t command, ScreenWin* window);
Status MovsFastFindNext();
Status MovsFastFindBuild(uint16_t file, uint16_t key, StrPair from, StrPair to, uint16_t mode, StrPair condition);
Status MovsFastFindShow(const ScreenDesc& screen, ScreenWin* window);

Status MovsImport(ScreenWin* window, LinsBuf* buffer);
Status MovsAutoImport(uint16_t file, ScreenWin* window);
Status MovsImportRun(uint16_t mode, StrPair start, StrPair record_cond, StrPair write_cond, StrPair end);
Status MovsImportPick();
Status MovsPushImportDef(uint16_t parameter, int item);

Status MovsStatusShow(Status result, ScreenWin* window);
std::string MovsStatusText(const LinsBuf& buffer, const ScreenWin& window);

// The lines buffer of the current window record's list level; null without
// one.
LinsBuf* MovsLines();

}  // namespace eng
