// The device selection dialog: a modal window offering the standard devices
// ("CON,LPT1,LPT2,LPT3,LPT4,LPT5,LPT6,PDF,TXT,COM1:,COM2:,DEV,WINPRN"), the
// serial line settings, the options /LP, /WD, /ST and /VW and the "Lpt
// Config" button that edits a parallel port's control codes. Its answer is a
// device text for DeviceOpen: "COM2:4800,N,8,2", "LPT3 /LP:66 /WD:132",
// "<temporary name>.PDF /VW:S", a name from the save dialog for PDF and TXT,
// any name typed for DEV.
//
// In batch runs the next non-empty line of the INPUT script is the answer
// without a window. Every answer (an empty one for a cancel) is journalled
// to OUTPUT and kept in string list 9 element 5. Asking a device switches on
// the recognition of the installed printers and WINPRN (_SYSCOMPAT bit 128).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/status.h"

namespace eng {

inline constexpr std::string_view kDevSelectDevices = "CON,LPT1,LPT2,LPT3,LPT4,LPT5,LPT6,PDF,TXT,COM1:,COM2:,DEV,WINPRN";
inline constexpr std::string_view kDevSelectSpeeds = "9600,4800,2400,1200";
inline constexpr std::string_view kDevSelectFormats = "'N,8,1','N,7,1','O,8,1','O,7,1','N,8,2','N,7,2','O,8,2','O,7,2'";

// Control ids of the dialog.
enum : int {
  kDevSelCombo = 3500, kDevSelSpeed = 3501, kDevSelFormat = 3502,
  kDevSelLines = 2500, kDevSelWidth = 2501, kDevSelStep = 2502, kDevSelView = 2503,
  kDevSelLpt = 3102, kDevSelOk = 3100,
};

// Which controls a device enables: bit 0 speed, bit 1 line format, bits 2-5
// the edits /LP, /WD, /ST, /VW.
uint8_t DevSelectOptionMask(int device);

// What the dialog holds when Ok is pressed.
struct DevSelectChoice {
  int device = -1;                   // index in the device list; -1 none
  int speed = -1, format = -1;       // -1 none (the first is taken)
  std::array<std::string, 4> edits;  // /LP, /WD, /ST, /VW, as the enabled edits hold them
};

// The device text of a choice. temp_name(ext) gives a fresh temporary file
// name with that extension; save_name(ext) asks a name in the save dialog
// (empty: cancelled, and the answer is empty).
std::string DevSelectOkText(const DevSelectChoice& choice, const std::function<std::string(std::string_view)>& temp_name,
                            const std::function<std::string(std::string_view)>& save_name);

// Hooks installed by the program: the OUTPUT journal (default: a line
// appended to the OUTPUT file while _OUTHND is set) and the form asking a
// free device name for DEV (default: a one-field dialog).
using OutputJournalFn = void (*)(std::string_view line);
void OutputSetJournal(OutputJournalFn fn);
void OutputJournal(std::string_view line);
using DevNameAsker = Status (*)(std::string_view title, std::string& name);
void OutputSetDevNameAsker(DevNameAsker fn);

// The dialog (or the scripted answer); the device text, empty when cancelled.
std::string DevSelectRun(std::string_view text);
// The device asker of reports and the DEVICE statement: 0 with the text, or
// 122 when cancelled. DEV asks a free name; an empty one shows the dialog again.
Status ReportAskDevice(std::string& text);

}  // namespace eng
