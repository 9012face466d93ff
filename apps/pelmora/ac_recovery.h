// Books snapshots: the batch processes rewrite many records of the chart,
// the journal and the period accumulations, and the close moves the year's
// opening date. Before such a process the three data files (records and
// index) and the data folder's start file are copied into the folder
// "PLBOOKS.BAK" of the current folder; only when the copies are complete is
// the mark file "PLBOOKS.RCV" written (whole, by rename). When the process
// ends, the files are closed (their writes synced) and the mark removed.
//
// A process killed in between leaves the mark: at the next start
// AcBooksRecover copies the snapshot back over the three files and the
// start file before anything opens them, then removes the mark; killed
// during the recovery, it runs again at the following start. So the books
// are either as the process left them or as they were before it.
//
// AcBooksRun (books, name, work): snapshot, work, commit; a failing
//   snapshot runs nothing. The work's status is the result (the commit's
//   when the work succeeded and the commit failed). A failed work also
//   puts the snapshot back, so that a process stopped half-way (a cancel,
//   an error) leaves the books as they were.
// AcBooksRecover (): 0 when there was nothing to recover or the snapshot
//   was put back; a failure of the copy otherwise (the mark stays).
#pragma once

#include <functional>
#include <string_view>

#include "apps/pelmora/ac_books.h"
#include "core/status.h"

namespace eng::pelmora {

inline constexpr const char* kAcBooksMark = "PLBOOKS.RCV";
inline constexpr const char* kAcBooksBackup = "PLBOOKS.BAK";

Status AcBooksRun(AcBooks& books, std::string_view name, const std::function<Status()>& work);
Status AcBooksRecover();
bool AcBooksMarked();

}  // namespace eng::pelmora
