#include "ui/maint_trace.h"

#include "core/dyn_strings.h"
#include "core/log.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "ui/ctl_dialog.h"

namespace eng {

namespace {

constexpr uint16_t kDbUserItem = 3;

std::string Text(StrPair p) { return p.ok() ? p.str() : std::string(); }

}  // namespace

std::string MantTraceText(uint16_t file, uint16_t command) {
  if (!DictFileDefined(file)) return {};
  ScratchScope scope;
  const std::string user =
      Text(StrUnquote(StrTrim(StrItem(DynStrGet(sl::kSettings, sl::kDatabaseLogin), ',', kDbUserItem), 3)));
  const std::string verb = Text(StrItem(StrOf(kToolbarVerbs), ',', command));
  const std::string record = Text(BufRecord(file, kBufCurrent));
  const std::string key = Text(BufFileKeyValue(file, 1));
  const std::string saved_key = Text(BufKeyValue(file, 1, BufRecord(file, kBufSaved)));
  std::string text = "User:" + user + " Cmd:" + verb + " IER:" + std::to_string(SysVarGet(kVarIer)) +
                     " IER():" + std::to_string(DataFileCtrl(file).last_status) + " Key:<" + key + "> Keyr:<" +
                     saved_key + "> Data:<" + record + ">";
  const size_t limit = kLogHeadMax + DictRecordLength(file) + 2u * DictKeyLength(file, 1, 0);
  if (text.size() > limit) text.resize(limit);
  return text;
}

void MantTrace(uint16_t file, uint16_t command) {
  if (!SysVarHas(kVarTrace, kTraceMaint)) return;
  const std::string text = MantTraceText(file, command);
  if (text.empty()) return;
  ScratchScope scope;
  LogRecord(StrOf(text), StrPair{});
}

}  // namespace eng
