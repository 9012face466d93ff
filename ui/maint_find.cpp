#include "ui/maint_find.h"

#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "data/dict_query.h"
#include "data/record_layer.h"
#include "data/record_search.h"
#include "ui/accept_win.h"
#include "ui/field_values.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"

namespace eng {

namespace {

constexpr uint16_t kSearchNext = 0x10;
constexpr uint16_t kMoveFirst = 0x24;
constexpr uint16_t kStoreMoved = 230;

}  // namespace

std::string MantFindDefinition(uint16_t file) {
  std::string def;
  const uint16_t count = DictFieldCount(file);
  for (uint16_t f = 1; f <= count; ++f) {
    ScratchScope scope;
    const std::string name = StrTrim(DictFieldName(file, f), 3).str();
    if (!def.empty()) def += ',';
    def += "'" + name + ":':'" + std::string(1, DictFieldType(file, f)) + std::to_string(DictFieldLength(file, f)) +
           "':" + name + "{}==";
  }
  return def;
}

Status MantFindByFields() {
  const uint16_t file = ScreenCurrent().data_file;
  if (file == 0 || !DictFileDefined(file)) return kStDataOutBound;
  const int record = ScreenCounterGet(kCurWin);
  ScratchScope scope;
  AcceptResult r = AcceptWinRun(MsgText("0096"), StrOf(MantFindDefinition(file)));
  // The form was a window record of its own: this window's comes back.
  if (record >= 0) ScreenWinSelect(record);
  if (r.status != kOk) return r.status;
  const Status found = DataFileSearch(file, kSearchNext, r.filter.ok() ? r.filter : StrOf(""), StrPair{}, nullptr);
  if (found != kOk) {
    // The buffer moves to the first record; the fields show it, so that a
    // save cannot write the record shown before over the first one.
    DataFileMove(file, kMoveFirst);
    ScreenFieldsRefreshRange(kStoreMoved, 1, -1);
    MsgBox(StrItem(MsgText("0023"), ',', static_cast<uint16_t>(found)), StrOf(""), 1);
    return found;
  }
  return ScreenFieldsRefreshRange(kStoreMoved, 1, -1);
}

}  // namespace eng
