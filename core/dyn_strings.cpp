#include "core/dyn_strings.h"

#include <string>

#include "core/err_register.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"

namespace eng {

namespace {

DynStrings& S() { return Core().strings; }

bool QueueList(uint16_t list) { return list == 37 || list == 38; }

// A change of the file or field names, whoever makes it, is a change of the
// dictionary: what was resolved through them is stale.
void Touch(uint16_t list) {
  if (list == sl::kFileNames || list == sl::kFieldNames) DictEpochRenew();
}

// The status of a refused write; 156 is recorded under module 2 when the
// register is empty.
Status Refuse(Status s) {
  ErrSetLast(1, kModStringAssign, kStLoadStr, 0);
  return s;
}

}  // namespace

Status DynStrInit() {
  Status s = MemTableInit();
  if (s) return s;
  DynStrings& d = S();
  d = DynStrings{};
  d.initialised = true;
  DictEpochRenew();
  return kOk;
}

Status DynStrTerm() {
  S() = DynStrings{};
  DictEpochRenew();
  ScratchTerm();
  Core().mem.initialised = false;
  return kOk;
}

uint16_t DynStrIndex(uint16_t list, uint16_t element, bool record) {
  if (list < kDynLists) {
    uint32_t index = element;
    for (uint16_t l = 0; l < list; ++l) index += S().lists[l].size();
    if (index < kDynElementRoom) return static_cast<uint16_t>(index);
  }
  if (record) ErrRecord(kModDynStrings, kStStrOutBound);
  return 0xFFFF;
}

StrPair DynStrGet(uint16_t list, uint16_t element) {
  if (list >= kDynLists) return StrPair{};
  const auto& l = S().lists[list];
  if (element >= l.size()) return StrPair{};
  const std::string& t = l[element];
  return StrPair{t.data(), static_cast<uint16_t>(t.size())};
}

char* DynStrData(uint16_t list, uint16_t element) {
  if (list >= kDynLists) return nullptr;
  auto& l = S().lists[list];
  if (element >= l.size()) return nullptr;
  Touch(list);
  return l[element].data();
}

Status DynStrSet(uint16_t list, uint16_t element, StrPair text) {
  if (!text.ok()) return Refuse(StrError(text));
  Touch(list);
  if (list < kDynLists && element < S().lists[list].size()) {
    // An element that exists takes the text in place (its room is reused):
    // no other element moves, so a view of this store stays good until the
    // copy, and assign copes with a view of the element itself.
    DynStrings& d = S();
    std::string& e = d.lists[list][element];
    if (d.text_in_use + text.len - e.size() >= kDynTextRoom) return Refuse(kStStrOutBound);
    d.text_in_use = d.text_in_use + text.len - uint32_t(e.size());
    e.assign(text.ptr, text.len);
    return kOk;
  }
  if (list < kDynLists && element == S().lists[list].size() && element < S().lists[list].capacity()) {
    // A push onto room the list already has: no element moves, so the text
    // (even a view of this store) is read in place.
    DynStrings& d = S();
    auto& l = d.lists[list];
    if (d.elements_in_use + 1 >= kDynElementRoom || d.text_in_use + text.len >= kDynTextRoom)
      return Refuse(kStStrOutBound);
    l.emplace_back(text.ptr, text.len);
    ++d.elements_in_use;
    d.text_in_use += text.len;
    return kOk;
  }
  // The value is copied first: it may be a view of this very store.
  std::string value(text.view());
  // The lists before this one hold no more elements than all of them do, so
  // the global index is only counted when the room might be passed.
  const bool room = list < kDynLists && S().elements_in_use + element < kDynElementRoom;
  if (!room && DynStrIndex(list, element, false) == 0xFFFF) return Refuse(kStStrOutBound);
  DynStrings& d = S();
  auto& l = d.lists[list];
  uint32_t added = element >= l.size() ? element - uint32_t(l.size()) + 1 : 0;
  uint32_t old_len = added ? 0 : uint32_t(l[element].size());
  if (d.elements_in_use + added >= kDynElementRoom) return Refuse(kStStrOutBound);
  if (d.text_in_use + value.size() - old_len >= kDynTextRoom) return Refuse(kStStrOutBound);
  if (added) {
    l.resize(size_t(element) + 1);
    d.elements_in_use += added;
  }
  d.text_in_use = d.text_in_use + uint32_t(value.size()) - old_len;
  l[element] = std::move(value);
  return kOk;
}

Status DynStrAppend(uint16_t list, uint16_t element, StrPair text) {
  if (!text.ok()) return Refuse(StrError(text));
  if (list >= kDynLists || element >= S().lists[list].size()) return Refuse(kStStrOutBound);
  Touch(list);
  DynStrings& d = S();
  std::string& e = d.lists[list][element];
  if (d.text_in_use + text.len >= kDynTextRoom) return Refuse(kStStrOutBound);
  d.text_in_use += text.len;
  e.append(text.ptr, text.len);
  return kOk;
}

Status DynStrTruncate(uint16_t list, uint16_t element, uint16_t len) {
  if (list >= kDynLists || element >= S().lists[list].size()) return Refuse(kStStrOutBound);
  Touch(list);
  DynStrings& d = S();
  std::string& e = d.lists[list][element];
  if (len < e.size()) {
    d.text_in_use -= static_cast<uint32_t>(e.size() - len);
    e.resize(len);
  }
  return kOk;
}

Status DynStrDelete(uint16_t list, uint16_t element) {
  if (list >= kDynLists) return Refuse(kStStrOutBound);
  if (S().lists[list].empty()) return kOk;
  Status s = DynStrSet(list, element, StrPair{});
  if (s) return s;
  DynStrings& d = S();
  auto& l = d.lists[list];
  l.erase(l.begin() + element);
  --d.elements_in_use;
  return kOk;
}

Status DynStrClear(uint16_t list) {
  if (list >= kDynLists) return Refuse(kStStrOutBound);
  auto& l = S().lists[list];
  while (!l.empty()) {
    Status s = DynStrDelete(list, static_cast<uint16_t>(l.size() - 1));
    if (s) return s;
  }
  return kOk;
}

Status DynStrPush(uint16_t list, StrPair text) {
  return DynStrSet(list, DynStrCount(list), text);
}

static uint16_t TopIndex(uint16_t list) {
  uint16_t n = DynStrCount(list);
  if (n == 0) return 0;
  return QueueList(list) ? 0 : static_cast<uint16_t>(n - 1);
}

StrPair DynStrTop(uint16_t list) { return DynStrGet(list, TopIndex(list)); }

Status DynStrPop(uint16_t list) {
  if (list < kDynLists && S().lists[list].empty()) return kOk;
  if (list < kDynLists && !QueueList(list)) {
    // The last element of a stack goes: DynStrDelete's accounts, with no
    // element moved.
    Touch(list);
    DynStrings& d = S();
    auto& l = d.lists[list];
    d.text_in_use -= static_cast<uint32_t>(l.back().size());
    l.pop_back();
    --d.elements_in_use;
    return kOk;
  }
  return DynStrDelete(list, TopIndex(list));
}

StrPair DynStrPopValue(uint16_t list) {
  Status s = ScratchCopy(DynStrTop(list));
  if (s) return StrFail(s);
  StrPair v = ScratchTop();
  s = DynStrPop(list);
  if (s) return StrFail(s);
  return v;
}

Status DynStrPopTo(uint16_t list, uint16_t n) {
  Status s = kOk;
  while (DynStrCount(list) > n) {
    s = DynStrPop(list);
    if (s) break;
  }
  return s;
}

uint16_t DynStrCount(uint16_t list) {
  if (list < kDynLists) return static_cast<uint16_t>(S().lists[list].size());
  if (list == kDynCountStackQueues) {
    uint32_t n = 0;
    for (uint16_t l = 30; l < kDynLists; ++l) n += S().lists[l].size();
    return static_cast<uint16_t>(n);
  }
  return 0;
}

}  // namespace eng
