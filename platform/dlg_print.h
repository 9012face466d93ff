// The print dialog: a modal choice of a printer from a list the caller fills.
//
// The list shows the printers in the order given, the default one selected
// (the first when the default is out of range). Up, Down, Home and End move
// the choice; Enter on the list or on OK, a double click on a row, or the OK
// button answers the selected printer. Esc, Cancel or the close box answer
// -1. With no printers the dialog does not open and answers -1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace plat {

class WinSystem;

struct PrintDlgRequest {
  std::string title;                  // empty: "Imprimir"
  std::vector<std::string> printers;  // names as the printing layer knows them
  int default_index = 0;
  Hwnd owner = kNoWindow;
};

enum : int { kPrintDlgList = 1139, kPrintDlgOk = 1, kPrintDlgCancel = 2 };

inline constexpr std::string_view kPrintDlgClass = "PrintDialog";

// The index of the chosen printer in request.printers, -1 when cancelled.
int RunPrintDialog(WinSystem& ws, const PrintDlgRequest& request);

}  // namespace plat
