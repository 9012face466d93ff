// FILESEL, READ$, WRITE and EXEC$: open states, streams, whole files and
// procedure entry points. Positions are read as 16-bit numbers: -1 (0xFFFF)
// is the stream's current position for reads and the end for writes; any
// other value is a byte offset from 0 to 65534.
#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_parm_file.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "core/string_lists.h"
#include "data/fn_records.h"
#include "data/open_state.h"

namespace eng {

namespace fnrec {

namespace {

using fn::ResultInt;
using fn::ResultText;

constexpr char kEndOfStream = 26;

StrmPos PositionOf(int16_t n) { return n == -1 ? kStrmHere : StrmPos(uint16_t(n)); }

bool IsText(const FnArg& arg) { return arg.type == kFnArgText; }

// FILESEL(open state) / FILESEL(file; flags) / FILESEL(stream).
Status FileSel(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  const uint16_t count = a.Count();
  FnIntArg flags = FnArgInt(a, 2, 1);
  if (flags.status) return flags.status;
  FnArg first = FnArgValue(a, 1, StrOf(""), kFnArgText);
  if (first.status) return first.status;
  if (first.omitted) return kStSyntax;
  if (IsText(first)) {
    if (count == 1) {
      Status st = DataFileOpenState(first.value);
      if (st > kStDetailText) return st;
      return ResultInt(a, st);
    }
    const uint16_t stream = StrmOpen(first.value, uint16_t(flags.value));
    if (stream >= kStreams) return stream;  // 0xFFFF, or the failure under flag 0x80
    return ResultInt(a, stream);
  }
  const int64_t stream = fn::WholeOf(first.value);
  if (stream >= 0 && stream < kStreams) StrmClose(uint16_t(stream));
  return ResultInt(a, 0);
}

// READ$(name or stream; position; count). Never fails: the empty text.
Status Read(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 3)) return s;
  FnIntArg count = FnArgInt(a, 3, -1);
  FnIntArg pos = FnArgInt(a, 2, 0);
  FnArg source = FnArgValue(a, 1, StrOf(""), kFnArgText);
  if (count.status || pos.status || source.status) return ResultText(a, StrOf(""));
  if (IsText(source) || source.omitted) {
    StrPair path = AppPathKinds(source.value);
    if (!path.ok()) return ResultText(a, StrOf(""));
    StrPair bytes = StrmReadFile(path, PositionOf(pos.value), count.value == -1 ? kStrmAll : StrmCount(uint16_t(count.value)));
    if (!bytes.ok()) return ResultText(a, StrOf(""));
    return ResultText(a, bytes);
  }
  const int64_t number = fn::WholeOf(source.value);
  if (number < 0 || number >= kStreams || !StrmHandle(uint16_t(number))) return ResultText(a, StrOf(""));
  const uint16_t stream = uint16_t(number);
  if (count.value == 0) {
    if (StrmEof(stream)) return ResultText(a, StrPair{&kEndOfStream, 1});
    return ResultText(a, StrOf(""));
  }
  StrPair line = StrmReadLine(stream, PositionOf(pos.value), count.value == -1 ? kStrmLine : size_t(uint16_t(count.value)));
  if (!line.ok()) return ResultText(a, StrOf(""));
  return ResultText(a, line);
}

// WRITE(name or stream; position; text): the status as a number.
Status Write(FnArgs& a) {
  if (Status s = FnArgCount(a, 3, 3)) return s;
  FnArg text_arg = FnArgValue(a, 3, StrOf(""), kFnArgText);
  StrPair text = fn::TextOf(text_arg);
  if (!text.ok()) return StrError(text);
  FnIntArg pos = FnArgInt(a, 2, 0);
  if (pos.status) return pos.status;
  FnArg dest = FnArgValue(a, 1, StrOf(""), kFnArgText);
  if (dest.status) return dest.status;
  if (dest.omitted) return kStSyntax;
  Status st;
  if (!IsText(dest)) {
    const int64_t number = fn::WholeOf(dest.value);
    st = number >= 0 && number < kStreams ? StrmWriteChecked(uint16_t(number), PositionOf(pos.value), text)
                                          : Status{kStBadFileNumber};
  } else if (pos.value == -2) {
    st = ExpSaveParmFile(dest.value, text);
  } else {
    const StrmPos at = pos.value == -3 ? kStrmReplace : PositionOf(pos.value);
    st = StrmWriteFile(dest.value, at, text.ptr ? text.ptr : "", text.len);
  }
  return ResultInt(a, st);
}

// True when the last part of a path holds a dot.
bool HasExtension(std::string_view path) {
  size_t cut = path.find_last_of("/\\");
  std::string_view last = cut == std::string_view::npos ? path : path.substr(cut + 1);
  return last.find('.') != std::string_view::npos;
}

// EXEC$(file; entry): a parameter file, or the entry point's value.
Status Exec(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  StrPair entry = fn::TextOf(FnArgValue(a, 2, StrOf(""), kFnArgText));
  if (!entry.ok()) return StrError(entry);
  StrPair file = fn::TextOf(FnArgValue(a, 1, StrOf(""), kFnArgText));
  if (!file.ok()) return StrError(file);
  if (entry.empty() && HasExtension(file.view())) {
    Status st = ExpLoadParmFile(file, 1);
    if (st >= kStFirstError) return st;
    return ResultText(a, StrOf(""));
  }
  const uint16_t depth = DynStrCount(sl::kReturnBuffer);
  std::optional<Status> run = HookCallExecFunction(entry, file, 2);
  if (!run) return ErrIncident(kStNotAvailable, StrOf("EXEC$()"), true);
  std::string value;
  if (DynStrCount(sl::kReturnBuffer) > depth) {
    value = DynStrTop(sl::kReturnBuffer).str();
    DynStrPopTo(sl::kReturnBuffer, depth);
  }
  if (*run >= kStFirstError) return *run;
  if (Status s = ResultText(a, value)) return s;
  return *run;
}

}  // namespace

void InstallFiles() {
  FnInstallBuiltin(kFnFileSel, &FileSel);
  FnInstallBuiltin(kFnRead, &Read);
  FnInstallBuiltin(kFnWrite, &Write);
  FnInstallBuiltin(kFnExec, &Exec);
}

}  // namespace fnrec

}  // namespace eng
