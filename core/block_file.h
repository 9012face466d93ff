// Positioned, unbuffered file access for the keyed data files (part of the
// file layer, beside the numbered streams).
//   - Reads and writes go straight to the file at a 64-bit offset (pread,
//     pwrite): a write that returned is in the system's cache, so a process
//     that dies afterwards loses none of it. Nothing is buffered in the
//     process.
//   - A read-only mapping of the file serves the many small reads of key
//     comparisons without a system call. It is coherent with every write, ours
//     and other processes'; only bytes below the size last seen are read
//     through it.
//   - WriteView gives the same mapping writable, for a file opened for
//     writing: bytes stored through it are in the system's cache at once, as
//     after a write, and Sync flushes them. Only bytes below the known size
//     may be written, so the owner extends the file (WriteAt) before writing
//     past its end.
//   - Advisory locks are record locks of the open file description, so a
//     lock can be lowered atomically and two opens in one process exclude
//     each other as two processes do. Two independent locks sit on bytes far
//     beyond any data: the open lock (Lock: shared or exclusive, never
//     waiting), held while the file is open, and the change lock (Hold:
//     waiting until it is granted), held around one change at a time.
//   - BlockFileReplace rewrites a file whole: a new file under a fresh name in
//     the same folder, then renamed over the old one; the old file stays whole
//     until the rename.
// Every name goes through the path resolver. Statuses: 0; 164 a file that
// must exist does not; 175 refused (permission, or a lock another open
// holds); 165 an exclusive creation found the file; 0xFFFF anything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/status.h"

namespace eng {

enum class BlockLock { kShared, kExclusive, kUnlock };

class BlockFile {
 public:
  BlockFile() = default;
  BlockFile(const BlockFile&) = delete;
  BlockFile& operator=(const BlockFile&) = delete;
  ~BlockFile() { Close(); }

  // Opens for reading, or for reading and writing; `create` makes a missing
  // file (with the name as written).
  Status Open(std::string_view name, bool writable, bool create);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  // The size now on disk; -1 when it cannot be asked.
  int64_t Size();
  // The size last seen by Size() or extended by our own writes.
  int64_t KnownSize() const { return known_size_; }

  // Exactly n bytes at pos; false when the file ends early or a read fails.
  bool ReadAt(int64_t pos, char* dst, size_t n) const;
  // Whole n bytes at pos; false when not all were written.
  bool WriteAt(int64_t pos, const char* src, size_t n);
  // The pieces one after another from pos, as one write where the system
  // allows; false when not all were written.
  struct Piece {
    const void* data;
    size_t size;
  };
  bool WritePiecesAt(int64_t pos, const Piece* pieces, size_t count);
  // Flushes the file's bytes to the disk (after letting go of the rewrite
  // mapping, see RewriteView).
  bool Sync();

  // The bytes [pos, pos + n) through the mapping, when they lie below the
  // known size; null otherwise (the caller then reads with ReadAt).
  const char* View(int64_t pos, size_t n);
  // The bytes [pos, pos + n) writable through the mapping, when the file is
  // open for writing and they lie below the known size; null otherwise.
  char* WriteView(int64_t pos, size_t n);
  // As WriteView, with the pages under the bytes first entered in the
  // mapping writable, in one call: stores to them then take no page fault
  // each, and what the system would refuse at a store (no room on the disk)
  // is refused here instead. Null where the system cannot enter them so
  // (the caller then writes with WriteAt, or lets the stores fault).
  char* StoreView(int64_t pos, size_t n);
  // The bytes [pos, pos + n) of a file open for writing, below the known
  // size, through a second writable mapping kept for changing bytes already
  // in the file (null otherwise). With `enter`, the pages under them are
  // first entered in it writable, in one call (null where the system
  // refuses: then write with WriteAt); stores to pages not entered would
  // fault one by one. Sync and Close let this mapping go first, in one step,
  // instead of the sync taking write access back page by page (each time
  // flushing every processor's page tables); the reading mapping keeps its
  // pages. RewriteMaps() counts the mappings made: a change of it means
  // that no page is entered any more.
  char* RewriteView(int64_t pos, size_t n, bool enter);
  uint64_t RewriteMaps() const { return rewrite_maps_; }

  // The open lock; 175 when another open holds it in a conflicting way.
  Status Lock(BlockLock kind);
  // Keeps the mapping of this file when it closes, for the next open of the
  // same file (the same device and inode) in this process, which takes it
  // up here (call after Open): a file opened again and again is then not
  // mapped, and its pages entered, afresh each time. A few mappings are
  // kept, the least recently kept let go first; a kept mapping holds its
  // file (also one since deleted) until it is let go.
  void KeepMapping();
  // The change lock, waiting for it; 175 only when it cannot be had at all
  // (an exclusive hold on a file opened for reading).
  Status Hold(BlockLock kind);
  // A small named value kept with the file outside its bytes (an extended
  // attribute); false where the file system keeps none, or it is absent.
  bool SetTag(const char* name, const std::string& value);
  bool GetTag(const char* name, std::string* value) const;
  // Removes a tag: true when it is gone or never was (or the file system
  // keeps none); *was tells whether it was there. False when it could not
  // be removed.
  bool RemoveTag(const char* name, bool* was);
  // What the system keeps about the open file: its identity, size, and
  // the times of the last change to its bytes (modified) and of the last
  // change of any kind (changed, which no program can set back).
  struct Stamp {
    uint64_t device = 0, inode = 0;
    int64_t size = 0, modified_ns = 0, changed_ns = 0;
  };
  bool GetStamp(Stamp* out) const;
  // Cuts or extends the file to `size` bytes.
  bool Truncate(int64_t size);
  // Whether the name still leads to the file this open holds (it may have
  // been replaced by a rename since it was opened).
  bool StillAt(std::string_view name) const;

 private:
  bool Remap(int64_t need);
  void Unmap();
  void DropRewriteMap();

  int fd_ = -1;
  uint64_t device_ = 0, inode_ = 0;
  bool keep_map_ = false;      // the mapping outlives the close (KeepMapping)
  bool writable_ = false;      // opened for writing
  bool map_writable_ = false;  // the mapping is (to be) writable
  std::string path_;
  int64_t known_size_ = 0;
  char* map_ = nullptr;
  char* rewrite_map_ = nullptr;
  size_t rewrite_len_ = 0;
  uint64_t rewrite_maps_ = 0;
  size_t map_len_ = 0;
};

// Replaces the file whole (see above); `sync` flushes the new file and the
// folder before and after the rename. 0 or 0xFFFF.
Status BlockFileReplace(std::string_view name, const char* bytes, size_t n, bool sync);
// Creates a new file holding the bytes, failing with 165 when it exists.
Status BlockFileCreateNew(std::string_view name, const char* bytes, size_t n);
bool BlockFileExists(std::string_view name);
// 0, or 0xFFFF when the file is absent or cannot be removed.
Status BlockFileRemove(std::string_view name);

// Whole-file operations behind the data files' maintenance (copy, backup,
// restore, reorganisation):
//   FileRenameOver  renames `from` over `to`, replacing it in one step (the
//                   target is never missing in between); the folder is then
//                   synced. 0; 164 when `from` does not exist; 0xFFFF else.
//   FileSync        flushes a file's bytes to the disk. 0 or 0xFFFF.
//   FileCopyKeepTime copies a file whole: to a fresh name in the target's
//                   folder, with the source's last-write time, synced, then
//                   renamed over the target, so the target is either the old
//                   file or the complete copy. 164 when the source does not
//                   exist, 175 when access is refused, 0xFFFF otherwise.
//   FileSetWriteTime gives `target` the last-write time of `source`.
Status FileRenameOver(std::string_view from, std::string_view to);
Status FileSync(std::string_view name);
Status FileCopyKeepTime(std::string_view source, std::string_view target);
Status FileSetWriteTime(std::string_view source, std::string_view target);

}  // namespace eng
