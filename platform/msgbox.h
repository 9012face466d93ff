// Message boxes: the one question the engine asks the platform directly.
//
// The engine shows a box of a kind 0-6 (any other number is "other"); the
// kind fixes the buttons and the icon:
//   kind 0  OK, information          kind 4  Retry and Cancel, stop
//   kind 1  OK, exclamation          kind 5  Yes and No, information
//   kind 2  OK and Cancel, info      kind 6  Yes, No and Cancel, information
//   kind 3  OK, stop                 other   OK, no icon
// Caption and text are code page 1252 bytes; the owner is an opaque window
// handle (0 = no owner). The answer is the button pressed, or kFailed when
// the box could not be shown.
//
// Implementations: the headless one (platform/msgbox_headless.h) for tests
// and batch runs; the window system puts its on-screen box behind the same
// interface. Show is synchronous and must never wait for input that cannot
// come.
#pragma once

#include <cstdint>
#include <string_view>

namespace plat {

enum class MsgButtons : uint8_t { kOk, kOkCancel, kRetryCancel, kYesNo, kYesNoCancel };
enum class MsgIcon : uint8_t { kNone, kInformation, kExclamation, kStop };
enum class MsgAnswer : uint8_t { kFailed, kOk, kCancel, kYes, kNo, kRetry, kAbort, kIgnore };

struct MsgBoxStyle {
  MsgButtons buttons;
  MsgIcon icon;
};

// The buttons and icon of a box kind (table above).
MsgBoxStyle MsgBoxKindStyle(int kind);
// Whether a button set holds a button.
bool MsgButtonsOffer(MsgButtons buttons, MsgAnswer answer);

struct MsgBoxRequest {
  std::string_view caption;  // code page 1252
  std::string_view text;     // code page 1252
  int kind = 0;
  MsgBoxStyle style{MsgButtons::kOk, MsgIcon::kInformation};
  uint64_t owner = 0;
  // The answer to take when nobody can answer (a run without a terminal);
  // kFailed, or a button the box does not offer, means the safe default.
  MsgAnswer unattended = MsgAnswer::kFailed;
  // Whether the caller named the caption itself (otherwise it is the kind's
  // default caption, which says nothing the icon does not).
  bool own_caption = false;
};

class MsgBoxService {
 public:
  virtual ~MsgBoxService() = default;
  virtual MsgAnswer Show(const MsgBoxRequest& request) = 0;
};

// Names for logs and diagnostics ("OK", "Yes and No", "stop").
std::string_view MsgAnswerName(MsgAnswer answer);
std::string_view MsgButtonsName(MsgButtons buttons);
std::string_view MsgIconName(MsgIcon icon);

}  // namespace plat
