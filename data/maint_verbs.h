// The menu verbs that maintain the data files, and the folder browser.
//
// MaintBackupRestore (mode), the "Copy" verb:
//   mode 0, backup: the backup folder (folder kind 7) is made with its
//     missing parents; the user picks the target folder starting there
//     (title message 0049), none: 122; the record file and index of files 1
//     to the file count are copied there in order (DataFileCopyCompanions),
//     a status above 128 stopping the run; 124 and 127 (unchanged, older)
//     from one file do not.
//   mode 1, restore: the open-file dialog asks for a file, none: 122; its
//     base name must be the name of a dictionary file (163 otherwise, nothing
//     copied); that file's pair is copied back from the chosen file's folder.
//     When the argument's item 2 is given it is taken as the chosen file
//     (the dialog is not shown), so a command can restore without a window.
//   mode 2: status 148 in a message box, nothing else (0).
//   Around the copies the current folder is kept, hook 23 is replaced (backup:
//   the application's TaskLowLevel; restore: the progress tick) and put back,
//   and the progress window is open (the file count, or 0). A final 0 shows
//   message 0005.
// MaintReorgTable (argument), the "Reorg" verb: the table chooser (message
//   0085), none: 122 (a non-empty argument, a file name or number, stands
//   for the choice); the progress window with 4 steps; DataFileRebuild with
//   its tick; 0 shows message 0005; 168 for a file that is not defined.
// MaintChooseFolder (start, title): the folder browser; an empty start is the
//   current folder, an empty title message 0049. The chosen path, or an empty
//   text when cancelled (a new scratch entry).
// DataInstallMaintenance installs the Copy and Reorg verbs' services.
#pragma once

#include <cstdint>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

Status MaintBackupRestore(uint16_t mode, StrPair chosen = StrPair{});
Status MaintReorgTable(StrPair argument);
StrPair MaintChooseFolder(StrPair start, StrPair title);
void DataInstallMaintenance();

}  // namespace eng
