#include "core/msg_box.h"

#include "core/dyn_strings.h"
#include "core/engine_messages.h"
#include "core/err_names.h"
#include "core/msg_catalog.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/str_items.h"
#include "core/string_lists.h"
#include "platform/msgbox.h"
#include "platform/msgbox_headless.h"

namespace eng {

namespace {

const char* DefaultCaption(int kind) {
  switch (kind) {
    case 1:
    case 4: return "0012";
    case 3: return "0013";
    default: return "0014";
  }
}

char AnswerLetter(uint16_t item) {
  StrPair letters = StrItem(MsgText("0011"), ',', item);
  if (letters.ok() && !letters.empty()) return letters.ptr[0];
  return EngineMessageText(11).ptr[item == 1 ? 0 : 3];
}

}  // namespace

void MsgBoxSetService(plat::MsgBoxService* service) { Core().msgbox.service = service; }
void MsgBoxSetHooks(const MsgBoxHooks& hooks) { Core().msgbox.hooks = hooks; }

char MsgYesLetter() { return AnswerLetter(1); }
char MsgNoLetter() { return AnswerLetter(2); }

uint16_t MsgBox(StrPair text, StrPair caption, int kind) {
  ScratchScope scope;
  MsgBoxState& st = Core().msgbox;
  if (!caption.ok() || caption.empty()) caption = MsgText(DefaultCaption(kind));
  if (!text.ok()) text = StrPair{};
  bool window_open = st.hooks.engine_window_open && st.hooks.engine_window_open();
  if (!window_open && st.hooks.drop_pending_messages) st.hooks.drop_pending_messages();

  plat::MsgBoxRequest request;
  request.caption = caption.view();
  request.text = text.view();
  request.kind = kind;
  request.style = plat::MsgBoxKindStyle(kind);
  request.owner = st.hooks.top_window ? st.hooks.top_window() : 0;

  plat::MsgAnswer answer;
  if (st.service) {
    answer = st.service->Show(request);
  } else {
    plat::HeadlessMsgBox batch(plat::HeadlessMsgBox::Mode::kBatch);
    answer = batch.Show(request);
  }
  switch (answer) {
    case plat::MsgAnswer::kOk:
    case plat::MsgAnswer::kYes:
    case plat::MsgAnswer::kRetry: return static_cast<unsigned char>(MsgYesLetter());
    case plat::MsgAnswer::kNo: return static_cast<unsigned char>(MsgNoLetter());
    case plat::MsgAnswer::kCancel:
    case plat::MsgAnswer::kAbort:
    case plat::MsgAnswer::kIgnore: return kMsgAnswerCancel;
    case plat::MsgAnswer::kFailed: break;
  }
  return kMsgAnswerFailed;
}

uint16_t MsgErrorBox(Status code) {
  uint16_t answer;
  {
    ScratchScope scope;
    answer = MsgBox(ErrText(code), StrPair{}, code < kStFirstError ? 1 : 3);
  }
  // Emptied in place: removing the element would move the texts after it
  // (the log path, element 10) into its place.
  if (DynStrCount(sl::kWork) > sl::kIncident) DynStrSet(sl::kWork, sl::kIncident, StrPair{});
  return answer;
}

int MsgAskYesNo(StrPair text) {
  uint16_t answer = MsgBox(text, StrPair{}, 5);
  return answer == static_cast<unsigned char>(MsgYesLetter()) ? 1 : 0;
}

}  // namespace eng
