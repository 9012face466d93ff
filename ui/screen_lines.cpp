#include "ui/screen_lines.h"

#include <algorithm>

#include "core/def_lines.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/field_compat.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "ui/win_def.h"

namespace eng {

namespace {

constexpr uint16_t kCompatNoScreenVars = 1024;
constexpr uint16_t kDateStorage = 8;
constexpr uint16_t kPanFormat = 1;
constexpr size_t kFieldLineLength = 12;

uint16_t Digits(StrPair line, uint16_t at, uint16_t n) {
  if (at >= line.len) return 0;
  int16_t v = StrToInt(StrSub(line, at, n));
  return v < 0 ? 0 : static_cast<uint16_t>(v);
}

}  // namespace

void ScreenFieldFromLine(StrPair line, ScreenFieldDesc& field) {
  ScratchScope scope;
  uint16_t display = Digits(line, 9, 2);
  char type = line.len > 11 ? static_cast<char>(line.at(11)) : 'A';
  if (type == 'V' && !SysVarHas(kVarCompat, kCompatNoScreenVars)) {
    VarScreenField v = VarGetScreenField(display);
    if (v.status == kOk) {
      type = v.first;
      display = v.number < 0 ? 0 : static_cast<uint16_t>(v.number);
    }
  }
  field.row = Digits(line, 1, 2);
  field.column = Digits(line, 3, 2);
  field.file = static_cast<uint8_t>(Digits(line, 5, 2));
  field.file_field = Digits(line, 7, 2);
  uint16_t storage = type == 'D' ? std::min<uint16_t>(display, kDateStorage) : display;
  display = CompatKeyMap(field.file, field.file_field, display);
  storage = CompatKeyMap(field.file, field.file_field, storage);
  field.display_len = display;
  field.storage_len = storage;
  field.width = display;
  field.type = type;
}

Status ScreenLoadFieldLines(StrPair file, uint16_t number, uint16_t open_flags,
                            std::vector<ScreenFieldDesc>* fields, const ScreenLabelFn& labels) {
  ScratchScope scope;
  StrPair path = WinDefFilePath(file, kDefKindPan);
  const uint16_t before = DynStrCount(sl::kLineQueue);
  const uint16_t read = path.empty() ? kDefNone : DefLinesRead(path, kPanFormat, number);
  if (read == kDefNone) {
    if (open_flags & kOpenMissingOk) return kOk;
    StrPair name = path.empty() ? DefFileName(file, kDefKindPan) : path;
    ErrIncident(kStFileNotFound, name, false);
    return kStFileNotFound;
  }
  uint16_t count = 0;
  Status status = kOk;
  // Lines queued before ours stay at the head; ours are the last `read`.
  for (uint16_t i = 0; i < read; ++i) {
    ScratchScope line_scope;
    StrPair line = DynStrGet(sl::kLineQueue, before);
    std::string text = line.str();
    DynStrDelete(sl::kLineQueue, before);
    if (status) continue;  // the rest of the definition is taken off the queue unread
    StrPair l = StrOf(text);
    if (!text.empty() && text[0] == '1') {
      if (count >= kScreenMaxFields) {
        status = ErrIncident(kStScreenStruct, l, false);
        continue;
      }
      if (text.size() < kFieldLineLength) {
        // A cut field line would make a field of made-up place and length.
        status = ErrIncident(kStDataError, l, false);
        continue;
      }
      ScreenFieldDesc f;
      ScreenFieldFromLine(l, f);
      if (fields) fields->push_back(f);
      ++count;
    } else if (labels) {
      Status s = labels(l);
      if (s) status = ErrIncident(s, l, false);
    }
  }
  return status ? status : count;
}

}  // namespace eng
