#include "core/streams.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/err_register.h"
#include "core/path_resolve.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"

namespace eng {

namespace {

constexpr char kCtrlZ = 26;

StreamTable& Tab() {
  StreamTable& t = Core().streams;
  if (!t.ready) StrmTableInit();
  return t;
}

StreamEntry* Entry(uint16_t stream) {
  if (stream >= kStreams) return nullptr;
  StreamEntry& e = Tab().entries[stream];
  return e.file ? &e : nullptr;
}

bool IsStd(uint16_t stream) { return stream <= 2; }

// Records a stream failure with the file name as incident text.
void RecordFailure(StrPair name, Status s) {
  if (name.ok()) ErrIncident(s, name, true);
  ErrRecord(kModStreams, s);
}

int64_t FileSizeOf(std::FILE* f) {
  std::fflush(f);
  struct stat st;
  if (::fstat(::fileno(f), &st) != 0) return -1;
  return st.st_size;
}

// Writes all n bytes to fd; false on any failure.
bool WriteAll(int fd, const char* p, size_t n) {
  while (n) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    n -= size_t(w);
  }
  return true;
}

// Opens an existing regular file for reading by its engine name; -1 when absent.
int OpenForRead(StrPair name, struct stat* st) {
  if (!name.ok()) return -1;
  ResolvedPath rp = PathResolve(name.view());
  if (rp.status || !rp.exists) return -1;
  int fd = ::open(rp.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, st) != 0 || S_ISDIR(st->st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Reads exactly n bytes at offset pos; false when the file ends early or fails.
bool ReadAt(int fd, int64_t pos, char* dst, size_t n) {
  while (n) {
    ssize_t r = ::pread(fd, dst, n, pos);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) return false;
    dst += r;
    n -= size_t(r);
    pos += r;
  }
  return true;
}

mode_t NewFileMode() {
  mode_t m = ::umask(0);
  ::umask(m);
  return 0666 & ~m;
}

std::string FolderOf(const std::string& path) {
  size_t s = path.rfind('/');
  if (s == std::string::npos) return ".";
  if (s == 0) return "/";
  return path.substr(0, s);
}

// Replaces the file whole: a new file in the same folder, synced, then renamed
// over the old one. The old file is untouched until the rename.
StrmCount RewriteWhole(StrPair name, const char* bytes, size_t n) {
  ResolvedPath rp = PathResolve(name.view());
  if (rp.status) return kStrmFailed;
  struct stat old;
  bool had_old = ::stat(rp.path.c_str(), &old) == 0;
  if (had_old && S_ISDIR(old.st_mode)) return kStrmFailed;
  std::string folder = FolderOf(rp.path);
  std::string tmpl = folder + "/.new-XXXXXX";
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) return kStrmFailed;
  bool ok = WriteAll(fd, bytes, n);
  // mkostemp creates the file private; give it the old file's mode, or the
  // mode a new file would get.
  if (ok) ok = ::fchmod(fd, had_old ? (old.st_mode & 07777) : NewFileMode()) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmpl.c_str(), rp.path.c_str()) == 0;
  if (!ok) {
    ::unlink(tmpl.c_str());
    return kStrmFailed;
  }
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return StrmCount(n);
}

}  // namespace

StreamTable::~StreamTable() {
  for (uint16_t i = 3; i < kStreams; ++i)
    if (entries[i].file) std::fclose(entries[i].file);
}

void StrmTableInit() {
  StreamTable& t = Core().streams;
  t.entries[0].file = stdin;
  t.entries[1].file = stdout;
  t.entries[2].file = stderr;
  t.entries[0].name = "stdin";
  t.entries[1].name = "stdout";
  t.entries[2].name = "stderr";
  t.ready = true;
}

std::FILE* StrmHandle(uint16_t stream) {
  if (stream >= kStreams || !Core().streams.ready) return nullptr;
  return Core().streams.entries[stream].file;
}

uint16_t StrmSetHandle(uint16_t stream, std::FILE* f) {
  if (stream >= kStreams) return kStrmNone;
  Tab().entries[stream].file = f;
  return 0;
}

uint16_t StrmFreeNumber() {
  StreamTable& t = Tab();
  for (uint16_t i = 0; i < kStreams; ++i)
    if (!t.entries[i].file) return i;
  return kStrmNone;
}

uint16_t StrmOpen(StrPair name, uint16_t flags) {
  auto fail = [&](Status s) -> uint16_t {
    if (flags & kStrmQuiet) return s;
    RecordFailure(name, s);
    return kStrmNone;
  };
  if (!name.ok() || name.len == 0 || name.len > kStrmNameMax) return fail(kStDataError);
  uint16_t n = StrmFreeNumber();
  if (n == kStrmNone) return fail(kStDataOutBound);
  if (name.view() == "CON") return (flags & 0x1F) == kStrmWrite ? 1 : 0;

  ResolvedPath rp = PathResolve(name.view());
  if (rp.status) return fail(rp.status);
  std::string mode = (flags & kStrmWrite) ? "w" : (flags & kStrmAppend) ? "a" : "r";
  mode += "b";
  if (!(flags & kStrmNoUpdate)) mode += "+";
  mode += "e";  // close on exec: child programs do not inherit the engine's files
  std::FILE* f = std::fopen(rp.path.c_str(), mode.c_str());
  if (!f && !(flags & kStrmNoUpdate)) {
    // Create the file only when it is absent; an existing file that could
    // not be opened is never truncated.
    int fd = ::open(rp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      f = std::fopen(rp.path.c_str(), mode.c_str());
    }
  }
  if (f) {
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
      std::fclose(f);
      f = nullptr;
    }
  }
  if (!f) return fail(kStFileNotFound);
  StreamEntry& e = Tab().entries[n];
  e.file = f;
  e.name = name.str();
  return n;
}

void StrmClose(uint16_t stream) {
  if (stream <= 2 || stream >= kStreams) return;
  StreamEntry& e = Tab().entries[stream];
  if (e.file) std::fclose(e.file);
  e.file = nullptr;
  e.name.clear();
}

StrmCount StrmRead(uint16_t stream, StrmPos pos, size_t count, char* buf, size_t room) {
  StreamEntry* e = Entry(stream);
  if (!e || (!buf && room)) return kStrmFailed;
  std::FILE* f = e->file;
  const bool std_in = IsStd(stream);
  const bool line = count == kStrmLine;
  int64_t size = -1, cur = 0;
  if (!std_in) {
    if (pos != kStrmHere) {
      if (pos < 0 || ::fseeko(f, pos, SEEK_SET) != 0) return kStrmFailed;
    } else if (::fseeko(f, 0, SEEK_CUR) != 0) {
      return kStrmFailed;
    }
    size = FileSizeOf(f);
    cur = ::ftello(f);
    if (size < 0 || cur < 0) return kStrmFailed;
    if (cur >= size) return kStrmEnd;
  }
  size_t got = 0;
  char piece[kStrmPiece];
  while (true) {
    size_t want = std_in ? 1 : kStrmPiece;
    if (!std_in) {
      int64_t left = size - cur;
      if (left <= 0) break;
      want = std::min<size_t>(want, size_t(left));
    }
    if (!line) {
      want = std::min({want, count - got, room - got});
      if (want == 0) break;
    }
    size_t n = std::fread(piece, 1, want, f);
    if (n == 0) break;
    int64_t start = cur;
    cur += int64_t(n);
    if (!line) {
      std::memcpy(buf + got, piece, n);
      got += n;
      continue;
    }
    if (n == 1 && piece[0] == kCtrlZ) continue;
    const char* hit = nullptr;
    for (size_t k = 0; k < n; ++k)
      if (piece[k] == '\r' || piece[k] == '\n') {
        hit = piece + k;
        break;
      }
    if (!hit) {
      if (got + n > room) return kStrmTooLong;
      std::memcpy(buf + got, piece, n);
      got += n;
      continue;
    }
    size_t k = size_t(hit - piece);
    int64_t term = 1;
    if (*hit == '\r') {
      if (k + 1 < n) {
        if (piece[k + 1] == '\n') term = 2;
      } else {
        // The CR ends the piece: the next byte decides between CR and CR LF.
        int c = std::getc(f);
        if (c == '\n') {
          term = 2;
          ++cur;
        } else if (c != EOF) {
          std::ungetc(c, f);
        }
      }
    }
    if (got + k > room) return kStrmTooLong;
    std::memcpy(buf + got, piece, k);
    got += k;
    if (!std_in && ::fseeko(f, start + int64_t(k) + term, SEEK_SET) != 0) return kStrmFailed;
    return StrmCount(got);
  }
  if (got == 0 && (line || std_in)) {
    if (std_in) {
      if (std::feof(f) || std::ferror(f)) return kStrmEnd;
    } else {
      return kStrmEnd;
    }
  }
  return StrmCount(got);
}

StrPair StrmReadLine(uint16_t stream, StrmPos pos, size_t count) {
  StrPair area = ScratchFreeArea();
  size_t room = area.ptr ? area.len : 0;
  char* dst = const_cast<char*>(area.ptr);
  StrmCount n = StrmRead(stream, pos, count, dst, room);
  if (n == kStrmTooLong) {
    StreamEntry* e = Entry(stream);
    RecordFailure(e ? StrOf(e->name) : StrPair{}, kStStringTooLong);
    return StrFail(kStStringTooLong);
  }
  if (n < 0) return StrFail(kStDiskIo);
  Status s = ScratchReserve(size_t(n), kFillLeave);
  if (s) return StrFail(s);
  return ScratchTop();
}

StrmCount StrmWrite(uint16_t stream, StrmPos pos, const char* bytes, size_t n) {
  StreamEntry* e = Entry(stream);
  if (!e || !bytes) return kStrmFailed;
  std::FILE* f = e->file;
  if (!IsStd(stream)) {
    int r = pos == kStrmHere ? ::fseeko(f, 0, SEEK_END) : pos < 0 ? -1 : ::fseeko(f, pos, SEEK_SET);
    if (r != 0) return kStrmFailed;
  }
  if (std::fwrite(bytes, 1, n, f) != n) return kStrmFailed;
  if (std::fflush(f) != 0) return kStrmFailed;
  return StrmCount(n);
}

Status StrmWriteChecked(uint16_t stream, StrmPos pos, StrPair text) {
  if (!text.ok()) return StrError(text);
  return StrmWrite(stream, pos, text.ptr, text.len) == StrmCount(text.len) ? kOk : kStLowFailure;
}

Status StrmSeek(uint16_t stream, StrmPos pos) {
  StreamEntry* e = Entry(stream);
  if (!e) return kStDiskIo;
  if (pos == kStrmHere) return kOk;
  if (pos < 0 || ::fseeko(e->file, pos, SEEK_SET) != 0) return kStDiskIo;
  return kOk;
}

StrmPos StrmTell(uint16_t stream) {
  if (stream == 0) return 0;
  StreamEntry* e = Entry(stream);
  if (!e) return 0;
  off_t p = ::ftello(e->file);
  return p < 0 ? 0 : p;
}

int64_t StrmSize(uint16_t stream) {
  if (IsStd(stream)) return -1;
  StreamEntry* e = Entry(stream);
  if (!e) return -1;
  return FileSizeOf(e->file);
}

bool StrmEof(uint16_t stream) {
  StreamEntry* e = Entry(stream);
  if (!e) return true;
  if (IsStd(stream)) return std::feof(e->file) != 0;
  int64_t size = FileSizeOf(e->file);
  off_t p = ::ftello(e->file);
  return p >= size;
}

Status StrmLock(uint16_t stream, StrmLockKind kind) {
  StreamEntry* e = Entry(stream);
  if (!e || IsStd(stream)) return kStBadFileNumber;
  int op = kind == StrmLockKind::kShared ? LOCK_SH : kind == StrmLockKind::kExclusive ? LOCK_EX : LOCK_UN;
  while (::flock(::fileno(e->file), op | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return kStFileOpening;
  }
  return kOk;
}

StrPair StrmReadFile(StrPair name, StrmPos pos, StrmCount count) {
  struct stat st;
  int fd = OpenForRead(name, &st);
  if (fd < 0) return StrFail(kStLowFailure);
  if (pos == kStrmHere) pos = 0;
  int64_t size = st.st_size;
  if (pos < 0 || pos > size) {
    ::close(fd);
    return StrFail(kStLowFailure);
  }
  int64_t n = size - pos;
  if (count >= 0 && count < n) n = count;
  if (n > int64_t(kMaxText)) {
    ::close(fd);
    return StrFail(kStStringTooLong);
  }
  if (uint64_t(n) > ScratchFreeBytes()) {
    ::close(fd);
    return StrFail(kStOutOfMemory);
  }
  ScratchScope scope;
  char* dst = ScratchReserveAddr(size_t(n), kFillLeave);
  bool ok = dst && ReadAt(fd, pos, dst, size_t(n));
  ::close(fd);
  if (!dst) return StrFail(scope.Release(kStOutOfMemory));
  if (!ok) return StrFail(scope.Release(kStLowFailure));
  return scope.Keep(ScratchTop());
}

StrmCount StrmReadFilePart(StrPair name, StrmPos pos, StrmCount count, char* buf, size_t room) {
  struct stat st;
  int fd = OpenForRead(name, &st);
  if (fd < 0) return kStrmFailed;
  if (pos == kStrmHere) pos = 0;
  int64_t size = st.st_size;
  if (pos < 0 || pos > size || (!buf && room)) {
    ::close(fd);
    return kStrmFailed;
  }
  int64_t n = size - pos;
  if (count >= 0 && count < n) n = count;
  if (n > int64_t(room)) n = int64_t(room);
  bool ok = ReadAt(fd, pos, buf, size_t(n));
  ::close(fd);
  return ok ? StrmCount(n) : kStrmFailed;
}

StrPair StrmReadText(StrPair name, StrPair separator) {
  if (!separator.ok()) return separator;
  struct stat st;
  int fd = OpenForRead(name, &st);
  if (fd < 0) return StrFail(kStLowFailure);
  // Each CR LF shrinks to the separator at worst by one byte of two, so a
  // file of more than twice the text limit cannot fit.
  if (st.st_size > int64_t(2 * kMaxText)) {
    ::close(fd);
    return StrFail(kStStringTooLong);
  }
  std::string raw(size_t(st.st_size), '\0');
  bool ok = ReadAt(fd, 0, raw.data(), raw.size());
  ::close(fd);
  if (!ok) return StrFail(kStLowFailure);
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
      out.append(separator.view());
      ++i;
    } else if (raw[i] == '\n') {
      out.append(separator.view());
    } else {
      out += raw[i];
    }
  }
  if (out.size() > kMaxText) return StrFail(kStStringTooLong);
  return ScratchText(out);
}

StrmCount StrmWriteFileAt(StrPair name, StrmPos pos, const char* bytes, size_t n) {
  if (!name.ok() || name.len == 0 || !bytes || n == 0) return kStrmFailed;
  if (pos == kStrmReplace) return RewriteWhole(name, bytes, n);
  if (pos < 0 && pos != kStrmHere) return kStrmFailed;
  ResolvedPath rp = PathResolve(name.view());
  if (rp.status) return kStrmFailed;
  int fd = ::open(rp.path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return kStrmFailed;
  off_t at = pos == kStrmHere ? ::lseek(fd, 0, SEEK_END) : ::lseek(fd, pos, SEEK_SET);
  bool ok = at >= 0 && WriteAll(fd, bytes, n);
  if (::close(fd) != 0) ok = false;
  return ok ? StrmCount(n) : kStrmFailed;
}

Status StrmWriteFile(StrPair name, StrmPos pos, const char* bytes, size_t n) {
  return StrmWriteFileAt(name, pos, bytes, n) == StrmCount(n) ? kOk : Status(kStFileIo);
}

uint64_t StrmFileSize(StrPair name) {
  struct stat st;
  int fd = OpenForRead(name, &st);
  if (fd < 0) return 0;
  ::close(fd);
  return uint64_t(st.st_size);
}

Status StrmRemoveFile(StrPair name) {
  if (!name.ok()) return kStLowFailure;
  ResolvedPath rp = PathResolve(name.view());
  if (rp.status || !rp.exists) return kStLowFailure;
  return ::unlink(rp.path.c_str()) == 0 ? kOk : kStLowFailure;
}

Status StrmRenameFile(StrPair from, StrPair to) {
  if (!from.ok() || !to.ok()) return kStLowFailure;
  ResolvedPath a = PathResolve(from.view());
  ResolvedPath b = PathResolve(to.view());
  if (a.status || !a.exists || b.status || b.exists) return kStLowFailure;
  if (::renameat2(AT_FDCWD, a.path.c_str(), AT_FDCWD, b.path.c_str(), RENAME_NOREPLACE) == 0)
    return kOk;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return kStLowFailure;
  // A file system without the no-replace rename: link fails on an existing target.
  if (::link(a.path.c_str(), b.path.c_str()) != 0) return kStLowFailure;
  ::unlink(a.path.c_str());
  return kOk;
}

}  // namespace eng
