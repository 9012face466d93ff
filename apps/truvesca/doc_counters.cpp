#include "apps/truvesca/doc_counters.h"

#include <string>
#include <unordered_map>

#include "apps/truvesca/inv_args.h"
#include "core/clock.h"
#include "core/dec_value.h"
#include "core/fn_builtins_detail.h"
#include "core/fn_call.h"
#include "core/folders.h"
#include "core/os_services.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "data/dict_query.h"

namespace eng::truvesca {

namespace {

constexpr const char* kCountersFile = "%APPPATH_DATA%\\%APNAME%COUNT.DAT";
constexpr const char* kLockSuffix = ".LCK";
constexpr uint32_t kLockTries = 5000;  // 1 ms apart
constexpr std::string_view kLineEnd = "\r\n";

// The values this program last read or stored, by file and key: a store is
// refused when the file no longer holds that value.
struct AutoNumState {
  std::unordered_map<std::string, int64_t> seen;
};

AutoNumState& State() {
  static AutoNumState state;
  return state;
}

std::string SeenId(const std::string& path, const std::string& key) { return path + '\n' + key; }

// The value of a slot's bytes: leading blanks, then digits; blanks or
// nothing read as 0.
int64_t SlotValue(std::string_view slot) {
  size_t i = slot.find_first_not_of(' ');
  int64_t v = 0;
  for (; i < slot.size() && slot[i] >= '0' && slot[i] <= '9'; ++i) v = v * 10 + (slot[i] - '0');
  return v;
}

// The value of the slot at an offset of the file (0 for none).
int64_t SlotValueAt(std::string_view file, size_t offset) {
  return offset == 0 || offset >= file.size() ? 0 : SlotValue(file.substr(offset, kAutoNumSlot));
}

// Bytes of the counters file from `pos` ("" when the file does not exist or
// ends before `pos`); a read failure's status.
Status ReadPart(const std::string& path, size_t pos, StrmCount count, std::string* out) {
  ScratchScope scope;
  out->clear();
  if (SysFileAttr(StrOf(path)) == kStFileNotFound) return kOk;
  if (pos > 0 && SysFileSize(StrOf(path)) <= pos) return kOk;
  StrPair bytes = StrmReadFile(StrOf(path), StrmPos(pos), count);
  if (!bytes.ok()) return StrError(bytes) == kStLowFailure ? Status{kStFileIo} : StrError(bytes);
  *out = bytes.str();
  return kOk;
}

// The whole counters file ("" when it does not exist).
Status ReadCounters(const std::string& path, std::string* out) { return ReadPart(path, 0, kStrmAll, out); }

// The exclusive lock of the counters file, held while it lives.
class CountersLock {
 public:
  explicit CountersLock(const std::string& path) {
    ScratchScope scope;
    uint16_t s = StrmOpen(StrOf(path + kLockSuffix), kStrmQuiet);
    if (s >= kStreams) {
      status_ = kStFileIo;
      return;
    }
    stream_ = s;
    for (uint32_t i = 0; (status_ = StrmLock(stream_, StrmLockKind::kExclusive)) == kStFileOpening; ++i) {
      if (i + 1 == kLockTries) return;
      ClockSleepMs(1);
    }
  }
  ~CountersLock() {
    if (stream_ == kStrmNone) return;
    if (status_ == kOk) StrmLock(stream_, StrmLockKind::kUnlock);
    StrmClose(stream_);
  }
  CountersLock(const CountersLock&) = delete;
  CountersLock& operator=(const CountersLock&) = delete;
  Status status() const { return status_; }

 private:
  uint16_t stream_ = kStrmNone;
  Status status_ = kOk;
};

// The file with the key added to its names page; 168 when the page is full.
Status AddKey(std::string& file, std::string_view key, size_t* offset) {
  std::string page(AutoNumNames(file));
  if (!page.empty()) page += ',';
  page += key;
  if (page.size() + kLineEnd.size() >= kAutoNumBlock + 1) return kStDataOutBound;
  page.resize(kAutoNumPage, ' ');
  page += kLineEnd;
  if (file.size() < kAutoNumBlock) file.resize(kAutoNumBlock, ' ');
  file.replace(0, kAutoNumBlock, page);
  *offset = AutoNumOffset(AutoNumNames(file), key);
  return *offset ? kOk : Status{kStInternal};
}

// Reads the file, changes it and writes it anew, under the lock.
Status StoreLocked(const std::string& path, const std::string& key, int64_t value) {
  CountersLock lock(path);
  if (lock.status()) return lock.status();
  std::string file;
  if (Status s = ReadCounters(path, &file)) return s;
  size_t offset = AutoNumOffset(AutoNumNames(file), key);
  const std::string id = SeenId(path, key);
  auto seen = State().seen.find(id);
  if (seen != State().seen.end() && seen->second != SlotValueAt(file, offset)) return kStDataExists;
  if (offset == 0)
    if (Status s = AddKey(file, key, &offset)) return s;
  while (file.size() <= offset) {
    file.append(kAutoNumPage, ' ');
    file += kLineEnd;
  }
  std::string digits = std::to_string(value);
  file.replace(offset, kAutoNumSlot, std::string(kAutoNumSlot - digits.size(), ' ') + digits);
  if (file.size() > kMaxText) return kStStringTooLong;
  if (StrmWriteFileAt(StrOf(path), kStrmReplace, file.data(), file.size()) != StrmCount(file.size()))
    return kStFileIo;
  State().seen[id] = value;
  return kOk;
}

bool CountersInDataFolder() {
  ScratchScope scope;
  VarRef cco = VarLookup(StrOf("CCO"));
  return cco.declared() && VarRead(StrOf("CCO")) == 0 && NumAccValue() != 0;
}

Status FnAutoNum(FnArgs& a) {
  if (Status s = FnArgCount(a, 1, 2)) return s;
  DecValue value = 0;
  if (Status s = InvNumberArg(a, 2, &value)) return s;
  std::string name;
  if (Status s = InvTextArg(a, 1, &name)) return s;
  // The integer part, cut toward zero.
  int64_t whole = NumDivMod(value, int64_t(DecPow10(DecPrecis()))).quot;
  if (whole != 0) return AutoNumStore(name, whole);
  int64_t next = 0;
  if (Status s = AutoNumNext(name, &next)) return s;
  return fn::ResultInt(a, next);
}

}  // namespace

std::string AutoNumFile() {
  ScratchScope scope;
  StrPair path = AppPathKinds(StrFromC(kCountersFile));
  if (!path.ok()) return std::string();
  if (!CountersInDataFolder()) path = PathSplit(path, 4 | 8);
  return path.str();
}

Status AutoNumKey(std::string_view name, std::string* key) {
  ScratchScope scope;
  StrPair trimmed = StrTrim(StrOf(name), 3);
  if (trimmed.len == 0 || trimmed.view().find(',') != std::string_view::npos) return kStDataError;
  *key = DictFileName(static_cast<uint16_t>(SysVarGet(kVarCurFil))).str();
  *key += '_';
  *key += trimmed.view();
  return kOk;
}

std::string_view AutoNumNames(std::string_view file) {
  std::string_view page = file.substr(0, kAutoNumPage);
  size_t end = page.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : page.substr(0, end + 1);
}

size_t AutoNumOffset(std::string_view names, std::string_view key) {
  if (names.empty()) return 0;
  size_t i = 0;
  for (size_t start = 0;; ++i) {
    size_t end = names.find(',', start);
    if (names.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start) == key)
      return kAutoNumBlock + i * kAutoNumSlot;
    if (end == std::string_view::npos) return 0;
    start = end + 1;
  }
}

Status AutoNumNext(std::string_view name, int64_t* next) {
  std::string key;
  if (Status s = AutoNumKey(name, &key)) return s;
  const std::string path = AutoNumFile();
  std::string head;
  if (Status s = ReadPart(path, 0, kAutoNumPage, &head)) return s;
  size_t offset = AutoNumOffset(AutoNumNames(head), key);
  std::string slot;
  if (offset)
    if (Status s = ReadPart(path, offset, kAutoNumSlot, &slot)) return s;
  int64_t stored = SlotValue(slot);
  State().seen[SeenId(path, key)] = stored;
  *next = stored + 1;
  return kOk;
}

Status AutoNumStore(std::string_view name, int64_t value) {
  if (value < 0 || value > kAutoNumMax) return kStDataOutBound;
  std::string key;
  if (Status s = AutoNumKey(name, &key)) return s;
  return StoreLocked(AutoNumFile(), key, value);
}

void AutoNumReset() { State().seen.clear(); }

Status AutoNumRegister() { return FnRegister(StrOf("AUTONUM"), &FnAutoNum); }

}  // namespace eng::truvesca
