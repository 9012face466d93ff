#include "ui/screen_table.h"

#include "core/obj_table.h"
#include "core/sys_vars.h"
#include "data/dict_query.h"
#include "ui/ui_state.h"

namespace eng {

ScreenDesc* ScreenGet(int n) {
  if (n < 0 || n >= Ui().counters[kScreenCount]) return nullptr;
  return ObjTableGet<ScreenDesc>(kObjScreens, static_cast<uint16_t>(n));
}

ScreenWin* ScreenWinGet(int n) {
  if (n == -1) n = Ui().counters[kCurWin];
  if (n < 0 || n >= Ui().counters[kWinCount]) return nullptr;
  return ObjTableGet<ScreenWin>(kObjScreenWins, static_cast<uint16_t>(n));
}

ScreenBlock* ScreenBlockOf(int n) {
  ScreenDesc* d = ScreenGet(n);
  if (!d) return nullptr;
  auto& blocks = Ui().screen_blocks;
  auto it = blocks.find(d->block);
  return it == blocks.end() ? nullptr : &it->second;
}

ScreenDesc ScreenCurrent() {
  ScreenDesc* d = ScreenGet(Ui().counters[kCurScreen]);
  return d ? *d : ScreenDesc{};
}

ScreenWin ScreenWinCurrent() {
  ScreenWin* w = ScreenWinGet(-1);
  if (w) return *w;
  ScreenWin none;
  none.key_index = 0;
  none.flags = kWinNoHandlers;
  return none;
}

ScreenFieldDesc ScreenFieldGet(int n) {
  ScreenBlock* b = ScreenBlockOf(Ui().counters[kCurScreen]);
  if (!b || n < 1 || static_cast<size_t>(n) > b->fields.size()) {
    ScreenFieldDesc f;
    const ScreenDesc d = ScreenCurrent();
    f.status = (d.open_flags & kOpenMissingOk) ? kStUndefinedWarning : kStDataOutBound;
    return f;
  }
  return b->fields[n - 1];
}

int ScreenCounterGet(int i) {
  if (i < 0 || i > 3) return -1;
  const uint16_t* c = Ui().counters;
  if ((i == kCurScreen && c[kCurScreen] >= c[kScreenCount]) || (i == kCurWin && c[kCurWin] >= c[kWinCount]))
    return -1;
  return c[i];
}

void ScreenCounterSet(ScreenCounter i, uint16_t value) { Ui().counters[i] = value; }

int ScreenFind(StrPair key) {
  for (int i = 0; i < Ui().counters[kScreenCount]; ++i) {
    ScreenBlock* b = ScreenBlockOf(i);
    if (b && b->key == key.view()) return i;
  }
  return -1;
}

StrPair ScreenDefSpanOf(int screen, TextPos pos) {
  ScreenBlock* b = ScreenBlockOf(screen);
  const uint32_t off = pos & 0xFFFF;
  const uint32_t len = pos >> 16;
  if (!b || off + len > b->text.size()) return StrOf("");
  return StrMake(b->text.data() + off, len);
}

StrPair ScreenDefSpan(TextPos pos) { return ScreenDefSpanOf(Ui().counters[kCurScreen], pos); }

char* ScreenWinBuffer(int window, ScreenWinPart part, uint16_t* length) {
  ScreenWin* w = ScreenWinGet(window);
  if (!w) return nullptr;
  auto it = Ui().win_blocks.find(w->block);
  if (it == Ui().win_blocks.end()) return nullptr;
  ScreenDesc* d = ScreenGet(w->screen);
  const size_t r = d ? d->record_length : 0;
  const size_t f = w->data_file ? DictRecordLength(w->data_file) : 0;
  size_t offset = 0, len = r;
  switch (part) {
    case kWinCurrent: offset = 0; len = r; break;
    case kWinSaved: offset = r; len = r; break;
    case kWinFile: offset = 2 * r; len = f; break;
    case kWinFileSaved: offset = 2 * r + f; len = f; break;
  }
  if (offset + len > it->second.size()) return nullptr;
  if (length) *length = static_cast<uint16_t>(len);
  return it->second.data() + offset;
}

StrPair ScreenKeyText(int screen) {
  ScreenBlock* b = ScreenBlockOf(screen);
  return b ? StrOf(b->key) : StrOf("");
}

StrPair ScreenDefText(int screen) {
  ScreenBlock* b = ScreenBlockOf(screen);
  return b ? StrOf(b->text) : StrOf("");
}

}  // namespace eng
