// The customer screen of the invoicing sample in a dialog window on the
// terminal front end, for the end-to-end test of typing into screen fields.
//
//   screen_term_demo WORK_FOLDER OUT_FILE
//
// The folder is the work folder of a copy of the sample (its definitions in
// ../apps). The program ends when the window is closed (Esc); OUT_FILE then
// gets one line: the bytes of the name field as stored, in hexadecimal, and
// the number of message boxes shown.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/dyn_strings.h"
#include "core/obj_table.h"
#include "core/runtime.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/dict_load.h"
#include "data/open_state.h"
#include "platform/ctl_msgbox.h"
#include "platform/term_frontend.h"
#include "platform/win_core.h"
#include "core/msg_box.h"
#include "ui/field_controls.h"
#include "ui/field_values.h"
#include "ui/fonts.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_open.h"
#include "ui/screen_table.h"
#include "ui/ui_install.h"
#include "ui/ui_state.h"
#include "ui/win_create.h"
#include "ui/win_def.h"
#include "ui/win_loop.h"
#include "ui/win_stack.h"
#include "ui/window_procs.h"

using namespace eng;

namespace {

constexpr int kNameField = 2;
std::string g_name = "-";

std::string Hex(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    out += (out.empty() ? "" : " ") + std::string(buf);
  }
  return out.empty() ? "-" : out;
}

// The window defaults, then the screen defaults; the field moved to is
// focused; the name field's stored bytes are noted after every action.
Status FormHandler(uint16_t code) {
  const int before = ScreenWinCurrent().current_field;
  Status s = ScreenActionWinDefault(code);
  if (s == kStDataError) s = ScreenActionDefault(code);
  const int current = ScreenWinCurrent().current_field;
  if (current && current != before) ScreenFieldFocus(current);
  ScratchScope scope;
  g_name = Hex(ScreenFieldRaw(kNameField).view());
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: screen_term_demo WORK_FOLDER OUT_FILE\n");
    return 2;
  }
  CoreRuntimeReset();
  MemSetLimits(kArenaProgramKb, 0xFFFF);
  if (DynStrInit() || ObjTableInit() || VarInitSystem()) return 3;
  if (DictLoad(StrOf("../apps"), StrOf("TR"), StrOf(""))) return 4;
  // The customers' file open (made if missing), as the screen's data file.
  if (DataFileOpenState(StrOf("clientes;2"))) return 4;
  DynStrSet(sl::kSettings, sl::kAppFolder, StrOf("../apps"));
  DynStrSet(sl::kSettings, sl::kTitle, StrOf("Truvesca"));
  DynStrSet(sl::kSettings, sl::kIdentity, StrOf("TRVKQZ13:Norvique"));

  plat::TermFrontEnd term;
  std::string error;
  if (!term.Open(error)) {
    std::fprintf(stderr, "screen_term_demo: %s\n", error.c_str());
    return 2;
  }
  size_t boxes = 0;
  {
    plat::WinSystem ws(&term);
    term.Attach(&ws);
    bool stalled = false;
    ws.SetStallHandler([&](plat::WinSystem&, const std::string&) { stalled = true; });
    plat::WinMsgBox box(ws);
    MsgBoxSetService(&box);
    UiInstallServices(&ws);
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    Ui().accept_exit = [](uint16_t) {
      WinDestroy(WinTop());
      return kOk;
    };
    const WinDefRecord r = WinDefParse(StrOf("CLIENTES,1,64,12,2"));
    const plat::Hwnd form = WinCreateKind(5, 0, StrOf(""), 0, r.columns, r.rows, &ScreenDialogProc);
    if (!form || ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, r.data_file, StrOf(r.entry))) {
      term.Close();
      return 5;
    }
    ScreenActionSet(&FormHandler, nullptr, nullptr);
    ScreenSetWin(0);
    WinModalLoop(form);
    boxes = box.log().size();
    MsgBoxSetService(nullptr);
    UiSetWinSystem(nullptr);
    term.Close();
    if (stalled) return 1;
  }
  if (std::FILE* f = std::fopen(argv[2], "w")) {
    std::fprintf(f, "nombre=%s cajas=%zu\n", g_name.c_str(), boxes);
    std::fclose(f);
  }
  CoreRuntimeReset();
  return 0;
}
