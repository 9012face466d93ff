#include "data/dict_load.h"

#include <string>
#include <vector>

#include "core/err_register.h"
#include "core/path_resolve.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_items.h"
#include "core/str_search.h"
#include "core/streams.h"
#include "data/dict_define.h"
#include "data/dict_query.h"

namespace eng {

namespace {

struct LoadContext {
  StrPair folders;
  StrPair default_folder;
  std::vector<std::string> chain;  // codes being loaded, outermost first
};

Status LoadCode(LoadContext& ctx, StrPair code);

std::string JoinFolder(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string out(folder);
  char last = out.back();
  if (last != '/' && last != '\\') out += '/';
  out += name;
  return out;
}

// The first folder of the list in which the name exists; empty when none.
std::string FindAlong(StrPair folders, std::string_view name) {
  uint16_t items = StrItemCount(folders, ',');
  if (items == 0) items = 1;
  for (uint16_t i = 1; i <= items; ++i) {
    std::string path = JoinFolder(StrTrim(StrItem(folders, ',', i), 3).view(), name);
    ResolvedPath r = PathResolve(path);
    if (r.status == kOk && r.exists) return path;
  }
  return {};
}

StrPair Cols(std::string_view line, size_t from, size_t n) {
  if (from >= line.size()) return StrPair{};
  return StrOf(line.substr(from, n));
}

Status FailWithFile(Status s, const std::string& path) {
  return ErrIncident(s, StrOf(path), true);
}

Status FileLine(LoadContext& ctx, std::string_view line, int& base) {
  ScratchScope scope;
  StrPair text = StrOf(line);
  std::string folder(StrTrim(StrItem(text, '*', 2), 2).view());
  StrPair item3 = StrItem(text, '*', 3);
  uint8_t code = static_cast<uint8_t>(StrToInt(Cols(item3.view(), 0, 2)));
  StrPair name = StrTrim(Cols(item3.view(), 2, std::string_view::npos), 2);
  if (folder.find('$') == std::string::npos) {
    StrPair f = folder.empty() ? ctx.default_folder : StrOf(folder);
    return DictDefineFile(code, name, f);
  }
  std::string nested(name.view());
  if (Status s = LoadCode(ctx, StrOf(nested))) return s;
  base = static_cast<int>(DictFileCount()) - 1;
  return kOk;
}

Status FieldLine(std::string_view line) {
  uint16_t length = static_cast<uint16_t>(StrToInt(Cols(line, 9, 3)));
  char type = line.size() > 13 ? line[13] : ' ';
  return DictDefineField(StrTrim(Cols(line, 14, std::string_view::npos), 2), length, type);
}

Status KeyLine(std::string_view line, int file, const std::string& path) {
  DictKeySegmentsResult k = DictKeySegments(StrOf(line));
  if (k.status) return FailWithFile(k.status, path);
  if (file < 1 || file > 0xFFFF) return kStDataError;
  return DictDefineKey(static_cast<uint16_t>(file), k.layout.count, k.layout.parts);
}

Status RelationLine(std::string_view line, int file) {
  StrPair text = StrOf(line);
  uint16_t colon = StrFindChar(text, ':', false);
  StrPair item = colon == kNotFound ? text : StrPair{text.ptr + colon + 1, static_cast<uint16_t>(text.len - colon - 1)};
  if (file < 1 || file > 0xFFFF) return kStBadFileNumber;
  return DictDefineRelation(static_cast<uint16_t>(file), item);
}

// Reads one dictionary file; `last_kind` is the kind of its last line (0 with no lines).
Status LoadFile(LoadContext& ctx, const std::string& path, int& last_kind) {
  uint16_t stream = StrmOpen(StrOf(path), kStrmNoUpdate | kStrmQuiet);
  if (stream >= kStreams) return kStLowFailure;
  last_kind = 0;
  int base = 0;
  Status status = kOk;
  char buf[kDictLineMax];
  while (!status) {
    StrmCount got = StrmRead(stream, kStrmHere, kStrmLine, buf, sizeof buf);
    if (got == kStrmEnd) break;
    if (got == kStrmTooLong) {
      status = FailWithFile(kStStringTooLong, path);
      break;
    }
    if (got < 0) {
      status = FailWithFile(kStRead, path);
      break;
    }
    std::string_view line(buf, static_cast<size_t>(got));
    int n = StrToInt(Cols(line, 0, 2));
    int kind = (n - 1) / 30;
    int r = (n - 1) % 30;
    last_kind = kind;
    if (kind == 0) {
      status = line.find('*') != std::string_view::npos ? FileLine(ctx, line, base) : FieldLine(line);
    } else if (kind == 1) {
      status = KeyLine(line, base + r + 1, path);
    } else if (kind == 2) {
      status = RelationLine(line, base + r + 1);
    }
  }
  StrmClose(stream);
  return status;
}

Status LoadCode(LoadContext& ctx, StrPair code) {
  std::string prefix(StrSub(code, 0, 2).view());
  std::string key = prefix;
  for (char& c : key) c = AsciiUpper(c);
  for (const std::string& open : ctx.chain) {
    if (open == key) return ErrIncident(kStDataError, StrOf(prefix + "DICC.DAT"), true);
  }
  ctx.chain.push_back(key);
  Status status = kOk;
  for (uint16_t n = 1; n <= 2 && !status; ++n) {
    std::string name;
    {
      ScratchScope scope;
      name = std::string(DictSystemFileName(StrOf(prefix), n).view());
    }
    std::string path = FindAlong(ctx.folders, name);
    if (path.empty() && n == 2) break;
    int last_kind = 0;
    status = path.empty() ? kStLowFailure : LoadFile(ctx, path, last_kind);
    if (status == kStLowFailure) {
      // Missing, or there and unreadable.
      std::string incident = path.empty() ? name + "[" + std::string(ctx.folders.view()) + "]" : path;
      ErrIncident(kOk, StrOf(incident), true);
      status = ErrRecord(kModDataFile, kStFileNotFound);
      break;
    }
    if (n == 1 && !status && last_kind == 0) status = DictAutoKeys(DictFileCount());
  }
  ctx.chain.pop_back();
  return status;
}

}  // namespace

Status DictLoad(StrPair folders, StrPair code, StrPair default_folder) {
  if (!folders.ok()) return StrError(folders);
  if (!code.ok()) return StrError(code);
  if (!default_folder.ok()) return StrError(default_folder);
  std::string f(folders.view()), d(default_folder.view());
  LoadContext ctx{StrOf(f), StrOf(d), {}};
  return LoadCode(ctx, code);
}

}  // namespace eng
