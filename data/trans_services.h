// What transactions ask of the window layer, installed by that layer at
// start-up (tests install fakes). Each is optional; the headless default is
// given with it:
//   accept (caption, items, values out, condition out): an accept window
//     over a form definition ("'label:':'A10'::'default',..."); 0 with the
//     window's value text (its values, each quoted, joined by ",") and the
//     condition it built (may be empty), 122 when cancelled. Default: 148
//     (no window), after which the caller takes its batch default;
//   choose (title, items, mode, chosen out): a chooser over a ","-list; 0
//     with the 1-based item chosen, 122 when cancelled. Default: 148.
//   choose_external (save, chosen out): the file dialog over every file
//     ("*.*") in the current folder, which it leaves as it was: the save
//     form for an export, the open form for an import; 0 with the chosen
//     path, 122 when cancelled. Default: 148 (no dialog).
//   progress_step (amount, text): advances the progress window by that many
//     steps (an import from a file counts bytes, twice its size over both
//     passes), or, with a text (the record's key value in every other run),
//     shows the text instead; 122 when the user cancelled. Default: one tick of the maintenance
//     progress window per call.
// The progress window, the file dialog and the table chooser are those of
// data/maint_services.h; questions and message boxes those of the core.
// Installed code, not state: it stays across runtime resets until replaced.
#pragma once

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/str_pair.h"

namespace eng {

struct TransServices {
  Status (*accept)(StrPair caption, StrPair items, std::string* values, std::string* condition) = nullptr;
  Status (*choose)(StrPair title, StrPair items, uint16_t mode, uint16_t* chosen) = nullptr;
  Status (*progress_step)(uint32_t amount, StrPair text) = nullptr;
  Status (*choose_external)(bool save, std::string* chosen) = nullptr;
};

void TransSetServices(const TransServices& services);
const TransServices& TransGetServices();

Status TransAccept(StrPair caption, StrPair items, std::string* values, std::string* condition);
Status TransChoose(StrPair title, StrPair items, uint16_t mode, uint16_t* chosen);
Status TransProgressStep(uint32_t amount, StrPair text = {});
Status TransChooseExternal(bool save, std::string* chosen);

}  // namespace eng
