#include "core/block_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

#include "core/path_resolve.h"

namespace eng {

namespace {

constexpr size_t kMinMap = size_t(1) << 20;

// Fills the page tables of a range as stores would (Linux 5.14 on; older
// systems refuse it).
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;
#endif

// Enters the pages under [p, p + n) of a writable mapping in its page
// tables writable, as stores would, in one call; false when refused.
bool EnterWritable(char* p, size_t n) {
  if (!n) return true;
  const uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
  const uintptr_t from = uintptr_t(p) & ~(page - 1);
  return ::madvise(reinterpret_cast<void*>(from), uintptr_t(p) + n - from, kPopulateWrite) == 0;
}

Status OpenFailure(int err) {
  if (err == ENOENT || err == ENOTDIR) return kStFileNotFound;
  if (err == EACCES || err == EPERM || err == EROFS) return kStPermission;
  return kStLowFailure;
}

std::string FolderOf(const std::string& path) {
  size_t s = path.rfind('/');
  if (s == std::string::npos) return ".";
  if (s == 0) return "/";
  return path.substr(0, s);
}

bool WriteAll(int fd, const char* p, size_t n) {
  while (n) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= size_t(w);
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  ::fsync(dfd);
  ::close(dfd);
}

mode_t NewFileMode() {
  mode_t m = ::umask(0);
  ::umask(m);
  return 0666 & ~m;
}

}  // namespace

Status BlockFile::Open(std::string_view name, bool writable, bool create) {
  Close();
  ResolvedPath rp = PathResolve(name);
  if (rp.status) return rp.status;
  int flags = (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  if (create) flags |= O_CREAT;
  int fd;
  do fd = ::open(rp.path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return OpenFailure(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kStLowFailure;
  }
  fd_ = fd;
  device_ = uint64_t(st.st_dev);
  inode_ = uint64_t(st.st_ino);
  path_ = rp.path;
  known_size_ = st.st_size;
  writable_ = writable;
  return kOk;
}

namespace {

// Mappings of closed files, kept for a later open of the same file.
struct KeptMap {
  uint64_t device, inode;
  char* map;
  size_t len;
  bool writable;
};
constexpr size_t kKeptMax = 8;
std::mutex g_kept_mutex;
std::vector<KeptMap> g_kept;  // the most recently kept last

}  // namespace

void BlockFile::KeepMapping() {
  keep_map_ = true;
  if (map_ || fd_ < 0) return;
  std::lock_guard<std::mutex> lock(g_kept_mutex);
  for (size_t i = g_kept.size(); i-- > 0;) {
    if (g_kept[i].device != device_ || g_kept[i].inode != inode_) continue;
    map_ = g_kept[i].map;
    map_len_ = g_kept[i].len;
    map_writable_ = g_kept[i].writable;
    g_kept.erase(g_kept.begin() + std::ptrdiff_t(i));
    return;
  }
}

void BlockFile::Close() {
  if (keep_map_ && map_) {
    // The mapping holds the open file description, and with it the locks
    // of this open, which must go with the close.
    Lock(BlockLock::kUnlock);
    Hold(BlockLock::kUnlock);
    std::lock_guard<std::mutex> lock(g_kept_mutex);
    if (g_kept.size() >= kKeptMax) {
      ::munmap(g_kept.front().map, g_kept.front().len);
      g_kept.erase(g_kept.begin());
    }
    g_kept.push_back(KeptMap{device_, inode_, map_, map_len_, map_writable_});
    map_ = nullptr;
    map_len_ = 0;
  }
  keep_map_ = false;
  DropRewriteMap();
  Unmap();
  if (fd_ >= 0) ::close(fd_);  // also drops the record locks of this open
  fd_ = -1;
  writable_ = map_writable_ = false;
  known_size_ = 0;
}

int64_t BlockFile::Size() {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  known_size_ = st.st_size;
  return st.st_size;
}

bool BlockFile::ReadAt(int64_t pos, char* dst, size_t n) const {
  if (fd_ < 0 || pos < 0) return false;
  while (n) {
    ssize_t r = ::pread(fd_, dst, n, pos);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    dst += r;
    n -= size_t(r);
    pos += r;
  }
  return true;
}

bool BlockFile::WriteAt(int64_t pos, const char* src, size_t n) {
  if (fd_ < 0 || pos < 0) return false;
  int64_t end = pos + int64_t(n);
  while (n) {
    ssize_t w = ::pwrite(fd_, src, n, pos);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    src += w;
    n -= size_t(w);
    pos += w;
  }
  if (end > known_size_) known_size_ = end;
  return true;
}

bool BlockFile::WritePiecesAt(int64_t pos, const Piece* pieces, size_t count) {
  if (fd_ < 0 || pos < 0) return false;
  constexpr size_t kBatch = 512;  // below every system's IOV_MAX
  struct iovec iov[kBatch];
  size_t i = 0;
  while (i < count) {
    size_t n = 0;
    size_t bytes = 0;
    for (; i < count && n < kBatch; ++i) {
      if (!pieces[i].size) continue;
      iov[n].iov_base = const_cast<void*>(pieces[i].data);
      iov[n].iov_len = pieces[i].size;
      bytes += pieces[i].size;
      ++n;
    }
    if (!n) break;
    ssize_t w;
    do w = ::pwritev(fd_, iov, int(n), pos);
    while (w < 0 && errno == EINTR);
    if (w < 0) return false;
    if (size_t(w) != bytes) {
      // A short write: the rest piece by piece.
      size_t skip = size_t(w);
      int64_t at = pos + w;
      for (size_t k = 0; k < n; ++k) {
        if (skip >= iov[k].iov_len) {
          skip -= iov[k].iov_len;
          continue;
        }
        const char* p = static_cast<const char*>(iov[k].iov_base) + skip;
        size_t len = iov[k].iov_len - skip;
        skip = 0;
        if (!WriteAt(at, p, len)) return false;
        at += int64_t(len);
      }
    }
    pos += int64_t(bytes);
    if (pos > known_size_) known_size_ = pos;
  }
  return true;
}

bool BlockFile::Sync() {
  if (fd_ < 0) return false;
  DropRewriteMap();
  return ::fdatasync(fd_) == 0;
}

const char* BlockFile::View(int64_t pos, size_t n) {
  int64_t end = pos + int64_t(n);
  if (pos < 0 || end > known_size_) return nullptr;
  if (size_t(end) > map_len_ && !Remap(end)) return nullptr;
  return map_ + pos;
}

char* BlockFile::WriteView(int64_t pos, size_t n) {
  int64_t end = pos + int64_t(n);
  if (!writable_ || pos < 0 || end > known_size_) return nullptr;
  if (!map_writable_) {
    Unmap();
    map_writable_ = true;
  }
  if (size_t(end) > map_len_ && !Remap(end)) return nullptr;
  return map_ + pos;
}

char* BlockFile::StoreView(int64_t pos, size_t n) {
  char* p = WriteView(pos, n);
  return p && EnterWritable(p, n) ? p : nullptr;
}

char* BlockFile::RewriteView(int64_t pos, size_t n, bool enter) {
  const int64_t end = pos + int64_t(n);
  if (!writable_ || pos < 0 || end > known_size_) return nullptr;
  if (size_t(end) > rewrite_len_) {
    DropRewriteMap();
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    size_t len = std::max(size_t(end) * 2, kMinMap);
    len = (len + page - 1) / page * page;
    // Not populated: only the pages entered below are ever touched.
    void* p = ::mmap(nullptr, len, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (p == MAP_FAILED) return nullptr;
    rewrite_map_ = static_cast<char*>(p);
    rewrite_len_ = len;
    ++rewrite_maps_;
  }
  char* p = rewrite_map_ + pos;
  return !enter || EnterWritable(p, n) ? p : nullptr;
}

void BlockFile::DropRewriteMap() {
  if (rewrite_map_) ::munmap(rewrite_map_, rewrite_len_);
  rewrite_map_ = nullptr;
  rewrite_len_ = 0;
}

// Maps well beyond the present size, so that a growing file is remapped
// rarely; pages past the end of the file are never touched (View reads only
// below the known size).
bool BlockFile::Remap(int64_t need) {
  Unmap();
  size_t page = size_t(::sysconf(_SC_PAGESIZE));
  size_t len = size_t(need) * 2;
  if (len < kMinMap) len = kMinMap;
  len = (len + page - 1) / page * page;
  // Populated at once: the pages that exist are entered in one call instead
  // of a fault each (those past the end stay untouched).
  void* p = ::mmap(nullptr, len, map_writable_ ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED | MAP_POPULATE, fd_, 0);
  if (p == MAP_FAILED) return false;
  map_ = static_cast<char*>(p);
  map_len_ = len;
  return true;
}

void BlockFile::Unmap() {
  if (map_) ::munmap(map_, map_len_);
  map_ = nullptr;
  map_len_ = 0;
}

namespace {

// The bytes the two locks stand on: far beyond any data, so that a lock
// never covers what a reader of the file's bytes might look at.
constexpr off_t kOpenLockByte = off_t(1) << 62;
constexpr off_t kChangeLockByte = kOpenLockByte + 1;

Status LockByte(int fd, BlockLock kind, off_t at, bool wait) {
  if (fd < 0) return kStBadFileNumber;
  struct flock fl = {};
  fl.l_type = kind == BlockLock::kShared ? F_RDLCK : kind == BlockLock::kExclusive ? F_WRLCK : F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = at;
  fl.l_len = 1;
  while (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) != 0) {
    if (errno == EINTR) continue;
    return kStPermission;
  }
  return kOk;
}

}  // namespace

Status BlockFile::Lock(BlockLock kind) { return LockByte(fd_, kind, kOpenLockByte, false); }

Status BlockFile::Hold(BlockLock kind) { return LockByte(fd_, kind, kChangeLockByte, true); }

bool BlockFile::SetTag(const char* name, const std::string& value) {
  return fd_ >= 0 && ::fsetxattr(fd_, name, value.data(), value.size(), 0) == 0;
}

bool BlockFile::GetTag(const char* name, std::string* value) const {
  if (fd_ < 0) return false;
  char buf[256];
  ssize_t n = ::fgetxattr(fd_, name, buf, sizeof buf);
  if (n < 0) return false;
  value->assign(buf, size_t(n));
  return true;
}

bool BlockFile::RemoveTag(const char* name, bool* was) {
  *was = false;
  if (fd_ < 0) return false;
  if (::fremovexattr(fd_, name) == 0) {
    *was = true;
    return true;
  }
  return errno == ENODATA || errno == ENOTSUP;
}

bool BlockFile::GetStamp(Stamp* out) const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
  out->device = uint64_t(st.st_dev);
  out->inode = uint64_t(st.st_ino);
  out->size = int64_t(st.st_size);
  out->modified_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  out->changed_ns = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return true;
}

bool BlockFile::Truncate(int64_t size) {
  if (fd_ < 0 || size < 0) return false;
  int rc;
  do rc = ::ftruncate(fd_, off_t(size));
  while (rc != 0 && errno == EINTR);
  if (rc != 0) return false;
  known_size_ = size;
  if (size_t(size) < rewrite_len_) DropRewriteMap();
  if (map_ && size_t(size) < map_len_) {
    // Pages past the new end must not be read through the mapping.
    Unmap();
  }
  return true;
}

bool BlockFile::StillAt(std::string_view name) const {
  if (fd_ < 0) return false;
  ResolvedPath rp = PathResolve(name);
  struct stat a, b;
  if (rp.status || ::stat(rp.path.c_str(), &a) != 0 || ::fstat(fd_, &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Status BlockFileReplace(std::string_view name, const char* bytes, size_t n, bool sync) {
  ResolvedPath rp = PathResolve(name);
  if (rp.status) return kStLowFailure;
  struct stat old;
  bool had_old = ::stat(rp.path.c_str(), &old) == 0;
  if (had_old && !S_ISREG(old.st_mode)) return kStLowFailure;
  std::string folder = FolderOf(rp.path);
  std::string tmpl = folder + "/.new-XXXXXX";
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) return kStLowFailure;
  bool ok = WriteAll(fd, bytes, n);
  if (ok) ok = ::fchmod(fd, had_old ? (old.st_mode & 07777) : NewFileMode()) == 0;
  if (ok && sync) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tmpl.c_str(), rp.path.c_str()) == 0;
  if (!ok) {
    ::unlink(tmpl.c_str());
    return kStLowFailure;
  }
  if (sync) SyncFolder(folder);
  return kOk;
}

Status BlockFileCreateNew(std::string_view name, const char* bytes, size_t n) {
  ResolvedPath rp = PathResolve(name);
  if (rp.status) return rp.status;
  if (rp.exists) return kStFileExists;
  int fd = ::open(rp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? Status(kStFileExists) : OpenFailure(errno);
  bool ok = WriteAll(fd, bytes, n);
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(rp.path.c_str());
    return kStLowFailure;
  }
  return kOk;
}

bool BlockFileExists(std::string_view name) {
  ResolvedPath rp = PathResolve(name);
  return rp.status == kOk && rp.exists;
}

Status BlockFileRemove(std::string_view name) {
  ResolvedPath rp = PathResolve(name);
  if (rp.status || !rp.exists) return kStLowFailure;
  return ::unlink(rp.path.c_str()) == 0 ? kOk : kStLowFailure;
}

Status FileRenameOver(std::string_view from, std::string_view to) {
  ResolvedPath a = PathResolve(from);
  ResolvedPath b = PathResolve(to);
  if (a.status || b.status) return kStLowFailure;
  if (!a.exists) return kStFileNotFound;
  if (::rename(a.path.c_str(), b.path.c_str()) != 0)
    return errno == ENOENT ? Status{kStFileNotFound} : Status{kStLowFailure};
  SyncFolder(FolderOf(b.path));
  return kOk;
}

Status FileSync(std::string_view name) {
  ResolvedPath rp = PathResolve(name);
  if (rp.status || !rp.exists) return kStLowFailure;
  int fd = ::open(rp.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kStLowFailure;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok ? kOk : kStLowFailure;
}

Status FileSetWriteTime(std::string_view source, std::string_view target) {
  ResolvedPath a = PathResolve(source);
  ResolvedPath b = PathResolve(target);
  if (a.status || b.status) return kStLowFailure;
  struct stat st;
  if (::stat(a.path.c_str(), &st) != 0) return OpenFailure(errno);
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  return ::utimensat(AT_FDCWD, b.path.c_str(), times, 0) == 0 ? kOk : OpenFailure(errno);
}

Status FileCopyKeepTime(std::string_view source, std::string_view target) {
  ResolvedPath a = PathResolve(source);
  if (a.status) return kStLowFailure;
  ResolvedPath b = PathResolve(target);
  if (b.status) return kStLowFailure;
  int in = ::open(a.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return OpenFailure(errno);
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return kStLowFailure;
  }
  std::string folder = FolderOf(b.path);
  std::string tmpl = folder + "/.copy-XXXXXX";
  int out = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (out < 0) {
    Status s = OpenFailure(errno);
    ::close(in);
    return s == kStFileNotFound ? kStLowFailure : s;
  }
  std::vector<char> buf(1 << 20);
  bool ok = true;
  for (;;) {
    ssize_t r = ::read(in, buf.data(), buf.size());
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) ok = false;
    if (r <= 0) break;
    if (!WriteAll(out, buf.data(), size_t(r))) {
      ok = false;
      break;
    }
  }
  ::close(in);
  if (ok) ok = ::fchmod(out, st.st_mode & 07777) == 0;
  if (ok) {
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ::futimens(out, times) == 0;
  }
  if (ok) ok = ::fsync(out) == 0;
  if (::close(out) != 0) ok = false;
  if (ok) ok = ::rename(tmpl.c_str(), b.path.c_str()) == 0;
  if (!ok) {
    ::unlink(tmpl.c_str());
    return kStLowFailure;
  }
  SyncFolder(folder);
  return kOk;
}

}  // namespace eng
