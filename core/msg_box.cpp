#include "core/msg_box.h"

#include <string>
#include <string_view>

#include "core/dyn_strings.h"
#include "core/err_register.h"
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

namespace {

// MsgBox with the answer a run without a person takes.
uint16_t ShowBox(StrPair text, StrPair caption, int kind, plat::MsgAnswer unattended) {
  ScratchScope scope;
  MsgBoxState& st = Core().msgbox;
  const bool own_caption = caption.ok() && !caption.empty();
  if (!own_caption) caption = MsgText(DefaultCaption(kind));
  if (!text.ok()) text = StrPair{};
  bool window_open = st.hooks.engine_window_open && st.hooks.engine_window_open();
  if (!window_open && st.hooks.drop_pending_messages) st.hooks.drop_pending_messages();

  plat::MsgBoxRequest request;
  request.caption = caption.view();
  request.text = text.view();
  request.kind = kind;
  request.style = plat::MsgBoxKindStyle(kind);
  request.owner = st.hooks.top_window ? st.hooks.top_window() : 0;
  request.unattended = unattended;
  request.own_caption = own_caption;

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

}  // namespace

uint16_t MsgBox(StrPair text, StrPair caption, int kind) {
  return ShowBox(text, caption, kind, plat::MsgAnswer::kFailed);
}

namespace {

// Emptied in place: removing the element would move the texts after it (the
// log path, element 10) into its place.
void ClearIncident() {
  if (DynStrCount(sl::kWork) > sl::kIncident) DynStrSet(sl::kWork, sl::kIncident, StrPair{});
}

}  // namespace

uint16_t MsgErrorBox(Status code) {
  uint16_t answer;
  {
    ScratchScope scope;
    answer = MsgBox(ErrText(code), StrPair{}, code < kStFirstError ? 1 : 3);
  }
  ClearIncident();
  return answer;
}

uint16_t MsgStopBox(Status code) {
  if (code >= kStFirstError) return MsgErrorBox(code);
  uint16_t answer;
  {
    ScratchScope scope;
    StrPair name = ErrText(code);
    std::string text(name.ok() ? name.view() : std::string_view());
    while (!text.empty() && text.back() == ' ') text.pop_back();
    // The record statuses that maintenance windows name by message 0023
    // ("Clave Repetida" for a record added beside another with its key).
    if (code == 1 || code == 2 || code == 5 || code == 6) {
      StrPair what = StrItem(MsgText("0023"), ',', code);
      if (what.ok() && !what.empty()) {
        text += ": ";
        text.append(what.view());
      }
    }
    text += " (" + std::to_string(code) + ")";
    // Statuses 121 and 126 take the incident text as their name.
    StrPair incident = ErrIncidentText();
    if (incident.ok() && !incident.empty() && incident.view() != name.view()) {
      text += ": ";
      text.append(incident.view());
    }
    if (text.size() > kMaxText) text.resize(kMaxText);
    answer = MsgBox(StrOf(text), StrPair{}, 1);
  }
  ClearIncident();
  return answer;
}

int MsgAskYesNo(StrPair text, bool yes_unattended) {
  uint16_t answer = ShowBox(text, StrPair{}, 5, yes_unattended ? plat::MsgAnswer::kYes : plat::MsgAnswer::kFailed);
  return answer == static_cast<unsigned char>(MsgYesLetter()) ? 1 : 0;
}

}  // namespace eng
