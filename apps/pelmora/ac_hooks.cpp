#include "apps/pelmora/ac_hooks.h"

#include <string>
#include <vector>

#include "apps/pelmora/ac_books.h"
#include "apps/pelmora/ac_dates.h"
#include "apps/pelmora/ac_process.h"
#include "apps/pelmora/ac_recovery.h"
#include "apps/pelmora/ac_text.h"
#include "core/exp_parm_file.h"
#include "core/hooks.h"
#include "core/module_parms.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "ui/progress_win.h"

namespace eng::pelmora {

namespace {

// The accepted values, quotes removed.
std::vector<std::string> Values(const AcceptResult& r) {
  std::vector<std::string> out;
  for (const std::string& item : AcSplit(r.values.ok() ? r.values.view() : std::string_view(), ','))
    out.push_back(AcUnquote(item));
  return out;
}

DateYmd DateValue(const std::vector<std::string>& v, size_t i) {
  ScratchScope scope;
  return i < v.size() ? AcDateOf(StrOf(v[i])) : 0;
}

// Runs a process over the books with the progress window, shows its end.
Status RunProcess(const char* name, const std::function<Status(const AcBooks&, const AcProgress&)>& process) {
  std::string context;
  {
    ScratchScope scope;
    StrPair saved = ParmCtxSave();
    if (saved.ok()) context = saved.str();
  }
  AcBooks books;
  Status s = AcBooksOpen(&books);
  AcProgress progress = [](uint32_t) -> Status {
    ProgBarStep(0, 1);
    return ProgPump();
  };
  if (!s) s = AcBooksRun(books, name, [&]() { return process(books, progress); });
  ProgClose();
  {
    ScratchScope scope;
    ParmCtxRestore(StrOf(context));
  }
  if (s) {
    MsgErrorBox(s);
  } else {
    ScratchScope scope;
    MsgBox(MsgText("0005"), StrPair{}, 0);
  }
  return s;
}

}  // namespace

Status AcCloseYearHook(const AcceptResult& result) {
  if (result.status) return result.status;
  return RunProcess("close", [](const AcBooks& b, const AcProgress& p) { return AcCloseYear(b, p); });
}

Status AcUncloseYearHook(const AcceptResult& result) {
  if (result.status) return result.status;
  DateYmd closing = DateValue(Values(result), 0);
  return RunProcess("undo", [closing](const AcBooks& b, const AcProgress& p) {
    return AcUncloseYear(b, closing, p);
  });
}

Status AcRenumberEntriesHook(const AcceptResult& result) {
  if (result.status) return result.status;
  std::vector<std::string> v = Values(result);
  DateYmd from = DateValue(v, 0), to = DateValue(v, 1);
  int32_t first = v.size() > 2 ? std::atoi(v[2].c_str()) : 0;
  return RunProcess("renumber", [=](const AcBooks& b, const AcProgress& p) {
    return AcRenumberEntries(b, from, to, first, p);
  });
}

Status AcRegenBalancesHook(const AcceptResult& result) {
  if (result.status) return result.status;
  std::vector<std::string> v = Values(result);
  DateYmd from = DateValue(v, 0), to = DateValue(v, 1);
  return RunProcess("regenerate", [=](const AcBooks& b, const AcProgress& p) {
    return AcRegenBalances(b, from, to, p);
  });
}

void AcInstallHooks() {
  HookSetFn(&AcCloseYearHook, kHookApp10);
  HookSetFn(&AcUncloseYearHook, 11);
  HookSetFn(&AcRenumberEntriesHook, 15);
  HookSetFn(&AcRegenBalancesHook, 16);
}

}  // namespace eng::pelmora
