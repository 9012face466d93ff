#include "platform/msgbox.h"

namespace plat {

MsgBoxStyle MsgBoxKindStyle(int kind) {
  switch (kind) {
    case 0: return {MsgButtons::kOk, MsgIcon::kInformation};
    case 1: return {MsgButtons::kOk, MsgIcon::kExclamation};
    case 2: return {MsgButtons::kOkCancel, MsgIcon::kInformation};
    case 3: return {MsgButtons::kOk, MsgIcon::kStop};
    case 4: return {MsgButtons::kRetryCancel, MsgIcon::kStop};
    case 5: return {MsgButtons::kYesNo, MsgIcon::kInformation};
    case 6: return {MsgButtons::kYesNoCancel, MsgIcon::kInformation};
    default: return {MsgButtons::kOk, MsgIcon::kNone};
  }
}

bool MsgButtonsOffer(MsgButtons buttons, MsgAnswer answer) {
  switch (buttons) {
    case MsgButtons::kOk: return answer == MsgAnswer::kOk;
    case MsgButtons::kOkCancel: return answer == MsgAnswer::kOk || answer == MsgAnswer::kCancel;
    case MsgButtons::kRetryCancel: return answer == MsgAnswer::kRetry || answer == MsgAnswer::kCancel;
    case MsgButtons::kYesNo: return answer == MsgAnswer::kYes || answer == MsgAnswer::kNo;
    case MsgButtons::kYesNoCancel:
      return answer == MsgAnswer::kYes || answer == MsgAnswer::kNo || answer == MsgAnswer::kCancel;
  }
  return false;
}

std::string_view MsgAnswerName(MsgAnswer answer) {
  switch (answer) {
    case MsgAnswer::kFailed: return "failed";
    case MsgAnswer::kOk: return "OK";
    case MsgAnswer::kCancel: return "Cancel";
    case MsgAnswer::kYes: return "Yes";
    case MsgAnswer::kNo: return "No";
    case MsgAnswer::kRetry: return "Retry";
    case MsgAnswer::kAbort: return "Abort";
    case MsgAnswer::kIgnore: return "Ignore";
  }
  return "?";
}

std::string_view MsgButtonsName(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::kOk: return "OK";
    case MsgButtons::kOkCancel: return "OK and Cancel";
    case MsgButtons::kRetryCancel: return "Retry and Cancel";
    case MsgButtons::kYesNo: return "Yes and No";
    case MsgButtons::kYesNoCancel: return "Yes, No and Cancel";
  }
  return "?";
}

std::string_view MsgIconName(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::kNone: return "none";
    case MsgIcon::kInformation: return "information";
    case MsgIcon::kExclamation: return "exclamation";
    case MsgIcon::kStop: return "stop";
  }
  return "?";
}

}  // namespace plat
