#include "core/def_lines.h"

#include <algorithm>
#include <string>

#include "core/dyn_strings.h"
#include "core/scratch_arena.h"
#include "core/str_build.h"
#include "core/str_case.h"
#include "core/str_emit.h"
#include "core/str_items.h"
#include "core/streams.h"
#include "core/string_lists.h"

namespace eng {

namespace {

constexpr StrPair kDot{".", 1};

bool HasFolderPart(std::string_view name) {
  return name.find_first_of("\\/:") != std::string_view::npos;
}

uint16_t OpenQuiet(StrPair name) {
  uint16_t s = StrmOpen(name, kStrmNoUpdate | kStrmQuiet);
  // Quiet opens answer a status (163 and up) instead of a number of 3-39.
  return (s >= 3 && s < kStreams) ? s : kStrmNone;
}

// Removes the elements of the list from index `from` to its end; they are
// the ones a reader pushed (pushes append, on stacks and queues alike).
void DropTail(uint16_t list, uint16_t from) {
  while (DynStrCount(list) > from) {
    if (DynStrDelete(list, static_cast<uint16_t>(DynStrCount(list) - 1)) != kOk) break;
  }
}

}  // namespace

std::string_view DefFileKindExt(uint16_t kind) {
  if (kind < 1 || kind > kDefKindCount) return {};
  return DefFileKinds[kind - 1];
}

const DefLineFormat& DefLineFormatOf(uint16_t format) {
  return DefLineFormats[format < kDefFormatCount ? format : 0];
}

StrPair DefFileName(StrPair name, uint16_t kind) {
  std::string_view ext = DefFileKindExt(kind);
  return StrJoin(name, kDot, ext.empty() ? StrPair{} : StrOf(ext));
}

int32_t DefLineKey(uint16_t format, StrPair line) {
  const DefLineFormat& f = DefLineFormatOf(format);
  if (f.key_len == 0 || !line.ok()) return 0;
  int32_t key = 0;
  for (uint32_t i = f.key_start; i < uint32_t(f.key_start) + f.key_len && i < line.len; ++i) {
    char c = line.ptr[i];
    if (c == ' ') c = '0';
    if (c < '0' || c > '9') break;
    key = key * 10 + (c - '0');
  }
  return key;
}

StrPair DefLineValue(uint16_t format, StrPair line) {
  const DefLineFormat& f = DefLineFormatOf(format);
  if (!line.ok() || line.len <= f.value_start) return StrPair{};
  uint16_t n = static_cast<uint16_t>(line.len - f.value_start);
  if (f.drop_last) --n;
  return StrPair{line.ptr + f.value_start, n};
}

uint16_t DefFileOpen(StrPair file) {
  if (!file.ok() || file.len == 0) return kStrmNone;
  uint16_t s = OpenQuiet(file);
  if (s != kStrmNone || HasFolderPart(file.view())) return s;
  ScratchScope scope;
  StrPair folders = DynStrGet(sl::kSettings, sl::kAppFolder);
  uint16_t n = StrItemCount(folders, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    std::string path(StrUnquote(StrTrim(StrItem(folders, ',', i), 3)).view());
    if (path.empty()) continue;
    if (path.back() != '\\' && path.back() != '/') path += '/';
    path.append(file.view());
    s = OpenQuiet(StrOf(path));
    if (s != kStrmNone) return s;
  }
  return kStrmNone;
}

uint16_t DefLinesEach(StrPair file, uint16_t format, int32_t key, const std::function<Status(StrPair)>& each) {
  uint16_t stream = DefFileOpen(file);
  if (stream == kStrmNone) return kDefNone;
  uint32_t count = 0;
  bool failed = false;
  for (;;) {
    ScratchScope scope;
    StrPair line = StrmReadLine(stream, kStrmHere, kStrmLine);
    if (!line.ok()) {
      // 130 is the end of the file; anything else (a line too long for a
      // text, a full arena) must not pass for the end of the definition.
      failed = StrError(line) != kStDiskIo;
      break;
    }
    if (DefLineKey(format, line) != key) continue;
    if (each(DefLineValue(format, line)) != kOk || ++count >= kDefNone) {
      failed = true;
      break;
    }
  }
  StrmClose(stream);
  if (failed || count == 0) return kDefNone;
  return static_cast<uint16_t>(count);
}

uint16_t DefLinesReadTo(StrPair file, uint16_t format, int32_t key, uint16_t list) {
  if (list >= kDynLists) return kDefNone;
  const uint16_t before = DynStrCount(list);
  uint16_t n = DefLinesEach(file, format, key, [list](StrPair value) { return DynStrPush(list, value); });
  if (n == kDefNone) DropTail(list, before);
  return n;
}

uint16_t DefLinesRead(StrPair file, uint16_t format, int32_t key) {
  return DefLinesReadTo(file, format, key, sl::kLineQueue);
}

StrPair DefLinesJoin(uint16_t count, StrPair separator) {
  if (!separator.ok()) return separator;
  std::string joined;
  bool too_long = false;
  for (uint16_t i = 0; i < count && DynStrCount(sl::kLineQueue) > 0; ++i) {
    if (!too_long) {
      if (i > 0) joined.append(separator.view());
      joined.append(DynStrTop(sl::kLineQueue).view());
      too_long = joined.size() > kMaxText;
    }
    if (DynStrPop(sl::kLineQueue) != kOk) break;
  }
  if (too_long) return StrFail(kStStringTooLong);
  return StrEmit(joined);
}

uint16_t DefLinesReadKeep(StrPair file, uint16_t count) {
  uint16_t n = DefLinesRead(file, 0, 0);
  // The file's lines lie at the tail now; the set-aside lines go round from
  // the head to the tail one at a time, so the store never needs room for
  // more than it held.
  uint16_t moves = std::min(count, DynStrCount(sl::kLineQueue));
  for (uint16_t i = 0; i < moves; ++i) {
    std::string line(DynStrTop(sl::kLineQueue).view());
    if (DynStrPop(sl::kLineQueue) != kOk) break;
    if (DynStrPush(sl::kLineQueue, StrOf(line)) != kOk) break;
  }
  return n;
}

StrPair DefFilesTitles(StrPair files) {
  if (!files.ok()) return files;
  ScratchScope scope;
  std::string out;
  uint16_t n = StrItemCount(files, ',');
  for (uint16_t i = 1; i <= n; ++i) {
    ScratchScope item_scope;
    StrPair name = StrItem(files, ',', i);
    StrPair title = name;
    uint16_t stream = DefFileOpen(name);
    if (stream != kStrmNone) {
      StrPair first = StrmReadLine(stream, kStrmHere, kStrmLine);
      StrmClose(stream);
      if (first.ok() && first.len > 0 && first.ptr[0] == ';') title = StrPair{first.ptr + 1, uint16_t(first.len - 1)};
    }
    StrPair quoted = StrQuote(title);
    // A title holding both kinds of quote cannot be quoted; its file's name stands in.
    if (!quoted.ok()) quoted = StrQuote(name);
    if (!quoted.ok()) return quoted;
    if (i > 1) out += ',';
    out.append(quoted.view());
    if (out.size() > kMaxText) return StrFail(kStStringTooLong);
  }
  return scope.Keep(StrEmit(out));
}

}  // namespace eng
