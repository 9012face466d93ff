#include "data/trans_loop.h"

#include <algorithm>
#include <optional>

#include "core/err_names.h"
#include "core/err_register.h"
#include "core/exp_eval.h"
#include "core/folders.h"
#include "core/hooks.h"
#include "core/log.h"
#include "core/msg_catalog.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/sys_vars.h"
#include "data/dict_file_path.h"
#include "data/dict_query.h"
#include "data/file_ctrl.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/record_search.h"
#include "data/selection_set.h"
#include "data/trans_parms.h"
#include "data/trans_services.h"

namespace eng {

namespace {

void SetUpStat(uint16_t bits, bool on) {
  uint16_t now = SysVarBits(kVarUpStat);
  SysVarSet(kVarUpStat, int16_t(on ? (now | bits) : (now & ~bits)));
}

void Trace(const char* text) { LogTrace(StrFromC(text), kTraceTrans); }

void LogLine(const std::string& text) {
  ScratchScope scope;
  LogAppendLine(LogPath(), StrOf(text));
}

std::string StatusName(Status s) {
  ScratchScope scope;
  StrPair n = ErrCodeName(s);
  return std::to_string(s) + (n.ok() && n.len ? " " + n.str() : std::string());
}

std::string RTrim(std::string v) {
  v.erase(v.find_last_not_of(' ') + 1);
  return v;
}

uint16_t MergeKeyNumber() {
  std::string k = TransParm(kTpUnicCri);
  if (k.empty()) return 1;
  ScratchScope scope;
  int16_t n = ExpEvalInt(StrOf(k));
  return n < 1 ? 1 : uint16_t(n);
}

bool IsStdName(std::string_view name, uint16_t* stream) {
  static constexpr std::string_view kNames[] = {"stdin", "stdout", "stderr", "pipe"};
  for (uint16_t i = 0; i < 4; ++i)
    if (name == kNames[i]) {
      *stream = i % 3;
      return true;
    }
  return false;
}

void AddCount() {
  uint16_t c = uint16_t(SysVarBits(kVarCount) + 1);
  SysVarSet(kVarCount, int16_t(c));
  if (c == 0) SysVarSet(kVarHCount, int16_t(SysVarBits(kVarHCount) + 1));
}

// Evaluates a per-record expression; a status of 122 and above (but the
// empty expression) is returned.
Status RunExpression(const std::string& text) {
  if (text.empty()) return kOk;
  ScratchScope scope;
  Status s = ExpEvalText(StrOf(text));
  return (s >= kStFirstWarning && s != kStNullExpression) ? s : Status{kOk};
}

Status RecordAction(TransSides& sides, uint16_t mode, const TransReadFn& read) {
  const uint16_t file = sides.file;
  if (Status s = RunExpression(TransParm(kTpWrExp))) return s;
  std::string& formatted = sides.formatted;
  formatted.clear();
  if (TransIsExport(mode))
    if (Status s = TransFormatExport(sides, mode, &formatted)) return s;
  Status s = kOk;
  // An import's DELETING bit only empties the target before the run; its
  // records are collected like those of any import.
  const uint16_t action = TransIsImport(mode) ? uint16_t(mode & 0x1805) : uint16_t(mode & 0x180D);
  switch (action) {
    case 1:
      s = DataFileUpdateRecord(file);
      break;
    case 4:
    case 12:
      s = TransWriteOut(sides, formatted, mode);
      break;
    case 5: {
      ScratchScope scope;
      StrPair rec = BufRecord(file, kBufCurrent);
      if (!rec.ok()) return StrError(rec);
      sides.temp_pending.append(rec.ptr, rec.len);
      if (sides.temp_pending.size() >= kTransWriteChunk) s = TransFlush(sides.temp, sides.temp_pending);
      break;
    }
    case 8:
      BufCopyPart(file, 1);
      s = DataFileDelete(file, 2);
      sides.after_delete = s;
      if (s < kStFirstWarning) s = kOk;
      break;
    case 0x804:
    case 0x80C:
      if (sides.external == kStrmNone) return kStNotAvailable;
      s = TransWriteOut(sides, formatted, mode);
      if (s == kOk && !(mode & kTransStream) && read) s = read(file, StrOf(formatted));
      break;
    case 0x1004:
      if (mode & kTransStream) {
        if (!read) return kStNotAvailable;
        s = read(file, StrOf(formatted));
      } else {
        if (!sides.other) return kStNotAvailable;
        s = TransCopyToOther(file, sides.other);
        if (s == 6) s = kOk;
      }
      break;
    case 0x1005:
      return kStNotAvailable;
    default:
      return kStDataError;
  }
  if (s != kOk) return s;
  if (Status t = RunExpression(TransParm(kTpTrigger))) return t;
  AddCount();
  return kOk;
}

// Reads one external record of an import into the current record.
Status ReadExternal(TransSides& sides, uint16_t mode, const TransReadFn& read) {
  if (mode & kTransExternIndexed) return kStNotAvailable;
  Status s;
  if (read) {
    s = read(sides.file, StrPair{});
  } else {
    uint32_t length = 0;
    s = TransParseRecord(sides, sides.external, mode, &length);
    if (s != kStLowFailure) sides.last_length = length;
  }
  if (s == kOk && (mode & kTransCp850)) s = TransCp850Record(sides.file);
  return s;
}

void LogRefused(const TransSides& sides, Status s) {
  std::string line = "Import " + sides.external_name + " record " + std::to_string(sides.records_read) +
                     " refused: " + StatusName(s);
  if (!sides.detail.empty()) line += " (" + sides.detail + ")";
  LogLine(line);
}

}  // namespace

Status TransAsk(uint16_t n, uint16_t mode) {
  if (n != 5 || (mode & kTransBatch)) return kOk;
  const std::string form = TransParm(kTpAcConfirm);
  if (form.empty()) return kOk;
  std::string values, cond, caption = TransMessage("0051");
  Status s = TransAccept(StrOf(caption), StrOf(form), &values, &cond);
  return s == kStNotAvailable ? Status{kOk} : s;
}

std::string TransBound(std::string_view bounds, uint16_t n) {
  ScratchScope scope;
  return TransUnquote(StrItem(StrOf(bounds), ',', n).view());
}

std::string TransMergeKey(uint16_t file, uint16_t key) {
  std::string expr = TransParm(kTpUnicKey);
  ScratchScope scope;
  if (!expr.empty()) {
    StrPair v = ExpEvalStr(StrOf(expr));
    if (v.ok()) return v.str();
  }
  StrPair v = BufFileKeyValue(file, key);
  return v.ok() ? RTrim(v.str()) : std::string();
}

Status TransFilter(uint16_t file, std::string_view from, std::string_view to, uint16_t mode, bool nothing_to_find) {
  if (mode & kTransUsrUpdate) return kStNotAvailable;
  {
    ScratchScope scope;
    StrPair rec = BufRecord(file, kBufCurrent);
    if (!rec.ok()) return StrError(rec);
    if (rec.len && rec.ptr[0] == 27) return 3;
  }
  if (std::string cond = TransParm(kTpCond); !cond.empty()) {
    ScratchScope scope;
    Status c = ExpEvalCond(StrOf(cond));
    if (c == 0) return 3;
    if (c != 1) return c;
  }
  const bool upper = to.find_first_not_of(' ') != std::string_view::npos;
  if (!from.empty() || upper) {
    ScratchScope scope;
    const uint16_t key = DataFileKeyNumber(file);
    StrPair kv = BufFileKeyValue(file, key);
    std::string value = kv.ok() ? RTrim(kv.str()) : std::string();
    if (!from.empty() && value.substr(0, from.size()) < from) return 1;
    if (upper && value.substr(0, to.size()) > to) return 1;
  }
  if (TransIsImport(mode)) {
    Status found = 0;
    if (!nothing_to_find) {
      const uint16_t key = MergeKeyNumber();
      const std::string mk = TransMergeKey(file, key);
      ScratchScope scope;
      found = DataFileSeekRead(file, key, StrOf(mk), 0) == 0 ? 5 : 0;
    }
    if (mode & kTransOverwrite) return found == 5 ? 0 : 9;
    return found;
  }
  return kOk;
}

Status TransOpenSides(TransSides& sides, uint16_t file, std::string_view name, uint16_t mode) {
  sides.file = file;
  if (mode & kTransRelReset) return DataFileDeleteAll(file);
  const bool import = TransIsImport(mode);
  if ((mode & kTransExternFile) && (!(mode & kTransExternIndexed) || !TransParm(kTpStruct).empty())) {
    if ((mode & kTransIsSql) && TransParm(kTpSqlTable).empty()) {
      TransParmSet(kTpSqlTable, name);
    } else if ((mode & kTransIsSql) && !(mode & kTransStream)) {
      // The other side is a dictionary file, opened below.
    } else {
      sides.external_name = std::string(name);
      uint16_t stream;
      if (IsStdName(name, &stream)) {
        sides.external = stream;
      } else {
        ScratchScope scope;
        StrPair path = PathJoin(StrOf(TransParm(kTpTarPath)), StrOf(name));
        if (!path.ok()) return StrError(path);
        uint16_t s = StrmOpen(path, uint16_t(TransStreamMode(mode) | kStrmQuiet));
        if (s >= kStreams) return s == kStrmNone ? Status{kStFileNotFound} : Status(s);
        sides.external = s;
      }
      if (import) {
        ScratchScope scope;
        StrPair folder = PathSplit(StrOf(DictFilePath(file, 2)), 3);
        StrPair tmp = SysTempFileName(StrFromC("TMP"), folder.ok() ? folder : StrPair{});
        if (!tmp.ok()) return StrError(tmp);
        StrPair full = PathJoin(folder.ok() ? folder : StrOf(""), tmp);
        sides.temp_name = full.str();
        uint16_t t = StrmOpen(full, uint16_t(kStrmWrite | kStrmQuiet));
        if (t >= kStreams) return t == kStrmNone ? Status{kStFileOpening} : Status(t);
        sides.temp = t;
      }
    }
  }
  if ((mode & kTransIsSql) && !(mode & kTransStream)) {
    // The other side is another dictionary file, held exclusively.
    ScratchScope scope;
    const uint16_t other = DictFileByName(StrOf(name));
    if (!DictFileDefined(other) || other == file) return ErrIncident(kStDataError, StrOf(name), false);
    DataFileClose(other);
    Status o = DataFileOpen(other, kOpenExclusive);
    if (o >= kStFirstWarning) return o;
    sides.other = other;
  }
  const bool exclusive = (mode & (kTransImport | kTransUpdate | kTransDeleting)) != 0;
  if (import && (mode & kTransDeleting)) {
    // Take the file exclusively first, so that a file another process holds
    // is refused (175) before anything is deleted.
    DataFileClose(file);
    Status o = DataFileOpen(file, kOpenExclusive);
    if (o >= kStFirstWarning) return o;
    DataFileClose(file);
    DataFileNames names = DictDataFileNames(file);
    StrmRemoveFile(StrOf(names.records));
    StrmRemoveFile(StrOf(names.index));
  }
  DataFileCtrlBlock& ctrl = DataFileCtrl(file);
  const bool open = ctrl.data_stream != 0xFFFF;
  if (open && exclusive && !(ctrl.open_flags & kOpenExclusive)) DataFileClose(file);
  if (DataFileCtrl(file).data_stream == 0xFFFF) {
    if (import) {
      ScratchScope scope;
      sides.target_empty = StrmFileSize(StrOf(DictDataFileNames(file).records)) == 0;
    }
    Status o = DataFileOpen(file, exclusive ? kOpenExclusive : kOpenReadOnly);
    if (o >= kStFirstWarning) return o;
  }
  if (mode & kTransBatch) {
    uint16_t d = DictDateKey(file);
    if (d != 0xFFFF) DataFileSetKeyNumber(file, d);
  }
  Status m = DataFileMove(file, 0x24);
  return m <= 2 ? Status{kOk} : m;
}

void TransCleanup(TransSides& sides, bool free_selection) {
  if (sides.temp != kStrmNone) {
    StrmClose(sides.temp);
    sides.temp = kStrmNone;
    ScratchScope scope;
    StrmRemoveFile(StrOf(sides.temp_name));
  }
  if (sides.file) DataFileClose(sides.file);
  if (sides.other) DataFileClose(sides.other);
  if (sides.external != kStrmNone) {
    if (sides.external > 2) StrmClose(sides.external);
    sides.external = kStrmNone;
  }
  if (free_selection && sides.file) SelFree(sides.file);
}

Status TransRunMerge() {
  std::string list = TransParm(kTpMerge);
  if (list.empty()) return kOk;
  ScratchScope scope;
  const uint16_t n = StrItemCount(StrOf(list), ',');
  for (uint16_t i = 1; i <= n; ++i) {
    std::string item = StrItem(StrOf(list), ',', i).str();
    ScratchScope inner;
    Status s = ExpEvalText(StrOf(item));
    if (s >= 2 && s != kStNullExpression) {
      ErrIncident(s, StrOf(item), false);
      return s;
    }
  }
  return kOk;
}

Status TransMergePass(TransSides& sides, uint16_t mode, uint32_t length, const TransProgressFn& progress) {
  const uint16_t file = sides.file;
  const uint16_t key = MergeKeyNumber();
  const uint16_t reclen = DictRecordLength(file);
  if (StrmSeek(sides.temp, 0) != kOk) return kStFileIo;
  Status status = kOk;
  std::string record(reclen, ' ');
  // The collected records are read a chunk of whole records at a time.
  std::string chunk;
  size_t at = 0;
  const size_t per_read = std::max<size_t>(1, kTransWriteChunk / std::max<uint16_t>(reclen, 1)) * reclen;
  while (status < kStFirstWarning && reclen) {
    if (at >= chunk.size()) {
      chunk.resize(per_read);
      StrmCount n = StrmRead(sides.temp, kStrmHere, per_read, chunk.data(), per_read);
      if (n == kStrmEnd || n == 0) break;
      if (n < 0 || n % reclen != 0) {
        status = kStFileIo;
        break;
      }
      chunk.resize(size_t(n));
      at = 0;
    }
    record.assign(chunk, at, reclen);
    at += reclen;
    BufStore(file, kBufCurrent, StrOf(record));
    BufCopyPart(file, 1);
    if (mode & kTransOverwrite) {
      const std::string mk = TransMergeKey(file, key);
      ScratchScope scope;
      Status found = DataFileLocate(file, key, StrOf(mk), 0);
      if (found != 0) {
        status = found >= kStFirstError ? found : Status{kStInternal};
      } else {
        const std::string existing = BufRecord(file, kBufCurrent).str();
        BufStore(file, kBufSaved, StrOf(record));
        status = TransRunMerge();
        if (status < kStFirstWarning) {
          BufStore(file, kBufSaved, StrOf(existing));
          status = DataFileUpdateRecord(file);
        }
      }
    } else {
      status = DataFileAddRecord(file);
      if (status == 6) status = kOk;
    }
    if (status >= kStFirstError) {
      ScratchScope scope;
      StrPair k1 = BufKeyValue(file, 1, StrOf(record));
      LogLine("Import " + sides.external_name + ": " + StatusName(status) + " " + (k1.ok() ? RTrim(k1.str()) : ""));
      if (status == kStDataExists || (status == kStSql && (mode & kTransBatch))) status = kOk;
    }
    if (status < kStFirstWarning && progress) {
      ScratchScope scope;
      StrPair kv = BufFileKeyValue(file, DataFileKeyNumber(file));
      if (Status p = progress(length, kv.ok() ? kv : StrOf("")); p >= kStFirstWarning) status = p;
    }
  }
  if (status >= kStFirstError) ErrIncident(status, StrOf(record), false);
  return status > 121 ? status : Status{kOk};
}

Status FileTransLow(std::string_view name, uint16_t mode, std::string_view bounds, const TransProgressFn& progress,
                    const TransReadFn& read) {
  Trace("FileTransLow Begin");
  uint32_t processed = 0;
  const uint16_t file = DictFileNumber(0);
  SetUpStat(kUpStatTransFirstPass, true);
  TransSides sides;
  const std::string from = TransBound(bounds, 1), to = TransBound(bounds, 2);
  const bool walks = TransModeWalks(mode);
  const bool import = TransIsImport(mode);
  Status status = TransOpenSides(sides, file, name, mode);
  bool positioned = status == kOk;
  bool fell_back = false;
  bool first_ok = false;
  if (positioned && walks) {
    const uint16_t key = TransIndexNumber(file, mode);
    DataFileSetKeyNumber(file, key);
    ScratchScope scope;
    Status s = DataFileSearchFirst(file, key, StrOf(from), StrOf(""), StrOf(to), nullptr);
    if (s == kStNotAvailable) {
      fell_back = true;
      s = DataFileLocate(file, key, StrOf(from), 2);
      if (s == 1) s = kOk;
    }
    if (s >= kStFirstError) status = s;
    positioned = s == kOk;
    first_ok = s < kStFirstError;
  } else {
    first_ok = positioned;
  }
  if (positioned) {
    if (Status h = TransWriteHeader(sides, mode)) status = h;
  }
  // An import into a target that held no record finds none of its merge
  // keys there, as long as nothing run for each record can add one (and the
  // merge key is no expression): the target is not searched.
  const bool nothing_to_find = import && sides.target_empty && !read && TransParm(kTpWrExp).empty() &&
                               TransParm(kTpTrigger).empty() && TransParm(kTpCond).empty() &&
                               TransParm(kTpUnicKey).empty();
  bool stay = false;
  while (positioned && status == kOk) {
    if (import) {
      Status r = ReadExternal(sides, mode, read);
      if (r == kStLowFailure) break;  // the end of the input
      if (r == kStNoData) continue;
      if (r != kOk) {
        LogRefused(sides, r);
        if (!sides.fatal && (mode & kTransBatch) && r != kStSyntax) continue;
        status = r;
        break;
      }
    }
    Status f = TransFilter(file, from, to, mode, nothing_to_find);
    if (progress) {
      ScratchScope scope;
      StrPair kv = BufFileKeyValue(file, DataFileKeyNumber(file));
      if (kv.ok() && kv.view().find_first_not_of(' ') != std::string_view::npos) {
        Status p = progress(sides.last_length, kv);
        if (p < kStFirstWarning && import && f != 0) p = progress(sides.last_length, kv);
        if (p >= kStFirstWarning) {
          status = p;
          break;
        }
      }
    }
    if (f == 0) {
      if (Status a = TransAsk(5, mode); a != kOk) {
        status = a;
        break;
      }
      ++processed;
      Status a = RecordAction(sides, mode, read);
      if (a != kOk) {
        status = a;
        break;
      }
      stay = walks && (mode & 0x180D) == 8;
    } else if (f >= 129 && (!(mode & kTransBatch) || f == kStSyntax)) {
      status = f;
      break;
    }
    if (walks) {
      Status n;
      if (stay && f == 0) {
        // The delete made the record that followed current: test it as it is.
        n = sides.after_delete <= 1 ? Status{kOk} : Status{kStEndOfData};
        if (n == kOk) {
          ScratchScope scope;
          StrPair kv = BufFileKeyValue(file, DataFileKeyNumber(file));
          if (!to.empty() && kv.ok() && RTrim(kv.str()).substr(0, to.size()) > to) n = kStEndOfData;
        }
      } else if (fell_back) {
        n = DataFileMove(file, 0x10 | 2);
      } else {
        ScratchScope scope;
        n = DataFileSearchNext(file, true, StrOf(""), StrOf(to), -1, nullptr);
      }
      if (n == kOk) BufCopyPart(file, 1);
      if (n != kOk) {
        if (n >= kStFirstError) status = n;
        break;
      }
    } else if (!import) {
      break;  // one record: nothing more to read
    }
  }
  if (sides.external != kStrmNone && sides.external != 0)
    if (Status w = TransFlush(sides.external, sides.out_pending); w != kOk && status == kOk) status = w;
  if (sides.temp != kStrmNone)
    if (Status w = TransFlush(sides.temp, sides.temp_pending); w != kOk && status == kOk) status = w;
  Trace("FileTransLow Update");
  SetUpStat(kUpStatTransFirstPass, false);
  if (import && status == kOk && sides.temp != kStrmNone) {
    std::optional<Status> h = HookCallMerge(sides.file, sides.temp, sides.last_length, mode);
    status = h ? *h : TransMergePass(sides, mode, sides.last_length, progress);
  }
  TransCleanup(sides, first_ok);
  SysVarSet(kVarCount, int16_t(processed & 0xFFFF));
  SysVarSet(kVarHCount, int16_t(processed >> 16));
  Trace("FileTransLow Ends");
  if (status == kOk && processed == 0) return kStNoData;
  return status;
}

}  // namespace eng
