#include "data/file_ctrl.h"

#include <memory>

#include "core/err_assert.h"
#include "core/runtime.h"
#include "data/dict_query.h"
#include "data/record_buffer.h"

namespace eng {

namespace {

struct DataLayerState {
  std::array<DataFileSlot, kDictMaxFiles> files;
};

DataLayerState& State() {
  std::shared_ptr<void>& p = Core().data_layer;
  if (!p) p = std::make_shared<DataLayerState>();
  return *static_cast<DataLayerState*>(p.get());
}

}  // namespace

DataFileSlot& DataFileSlotOf(uint16_t n) {
  ErrAssert(n >= 1 && n <= DictFileCount() && n <= kDictMaxFiles, "DataFileCtrl");
  return State().files[n - 1];
}

DataFileCtrlBlock& DataFileCtrl(uint16_t n) { return DataFileSlotOf(n).ctrl; }

void DataFileCtrlReset(uint16_t n) { DataFileCtrl(n) = DataFileCtrlBlock{}; }

Status DataFileCtrlSave(uint16_t file, DataFileSaved& saved) {
  if (!saved.filled) {
    uint16_t f = DictFileNumber(file);
    if (Status s = DictCheckField(f, kDictAnyField)) return s;
    StrPair buf = BufRecord(f, kBufBoth);
    if (!buf.ok()) return buf.len;
    saved.file = f;
    saved.ctrl = DataFileCtrl(f);
    saved.buffer = buf.str();
    saved.filled = true;
    return kOk;
  }
  DataFileCtrlBlock& cb = DataFileCtrl(saved.file);
  const uint8_t flags = cb.open_flags;
  const uint16_t stream = cb.data_stream;
  cb = saved.ctrl;
  cb.open_flags = flags;
  cb.data_stream = stream;
  if (stream == 0xFFFF) cb.recno = -1;
  saved.filled = false;
  return BufStore(saved.file, kBufBoth, StrOf(saved.buffer));
}

uint16_t DataFileKeyNumber(uint16_t file) {
  uint16_t f = DictFileNumber(file);
  if (f == 0 || !DictFileDefined(f)) return 0xFFFF;
  return DataFileCtrl(f).current_key;
}

uint16_t DataFileSetKeyNumber(uint16_t file, uint16_t key) {
  uint16_t f = DictFileNumber(file);
  if (f == 0 || !DictFileDefined(f)) return 0xFFFF;
  DataFileCtrlBlock& cb = DataFileCtrl(f);
  if (key != 0xFFFF) cb.current_key = key;
  if (cb.current_key == 0) cb.current_key = 1;
  return cb.current_key;
}

}  // namespace eng
