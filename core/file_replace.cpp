#include "core/file_replace.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/path_resolve.h"

namespace eng {

namespace {

Status ErrnoStatus(int err) {
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

void SyncFolder(const std::string& folder) {
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  ::fsync(dfd);
  ::close(dfd);
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

}  // namespace

Status FileRenameOver(std::string_view from, std::string_view to) {
  ResolvedPath a = PathResolve(from);
  ResolvedPath b = PathResolve(to);
  if (a.status || b.status) return kStLowFailure;
  if (!a.exists) return kStFileNotFound;
  if (::rename(a.path.c_str(), b.path.c_str()) != 0) return errno == ENOENT ? Status{kStFileNotFound} : Status{kStLowFailure};
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
  if (::stat(a.path.c_str(), &st) != 0) return ErrnoStatus(errno);
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  return ::utimensat(AT_FDCWD, b.path.c_str(), times, 0) == 0 ? kOk : ErrnoStatus(errno);
}

Status FileCopyKeepTime(std::string_view source, std::string_view target) {
  ResolvedPath a = PathResolve(source);
  if (a.status) return kStLowFailure;
  ResolvedPath b = PathResolve(target);
  if (b.status) return kStLowFailure;
  int in = ::open(a.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return ErrnoStatus(errno);
  struct stat st;
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return kStLowFailure;
  }
  std::string folder = FolderOf(b.path);
  std::string tmpl = folder + "/.copy-XXXXXX";
  int out = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (out < 0) {
    Status s = ErrnoStatus(errno);
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
