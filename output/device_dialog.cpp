#include "output/device_dialog.h"

#include <algorithm>
#include <vector>

#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/folders.h"
#include "core/log.h"
#include "core/msg_box.h"
#include "core/msg_catalog.h"
#include "core/scratch_arena.h"
#include "core/str_case.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "output/device.h"
#include "output/output_state.h"
#include "output/prn_codes.h"
#include "platform/ctl_button.h"
#include "platform/ctl_combo.h"
#include "platform/ctl_edit.h"
#include "platform/ctl_static.h"
#include "platform/dlg_file.h"
#include "platform/dlg_modal.h"
#include "platform/win_core.h"

namespace eng {

namespace {

OutputJournalFn g_journal = nullptr;
DevNameAsker g_name_asker = nullptr;

std::vector<std::string> Split(std::string_view list, bool quoted) {
  std::vector<std::string> out;
  std::string cur;
  char q = 0;
  for (char c : list) {
    if (quoted && q) {
      if (c == q) q = 0;
      else cur += c;
    } else if (quoted && (c == '\'' || c == '"')) {
      q = c;
    } else if (c == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

const std::vector<std::string>& Devices() {
  static const std::vector<std::string> d = Split(kDevSelectDevices, false);
  return d;
}

std::string Message(uint16_t n, std::string_view fallback) {
  ScratchScope scope;
  StrPair t = MsgCatalogText(n);
  return t.ok() && !t.empty() ? std::string(t.view()) : std::string(fallback);
}

std::string Upper(std::string t) {
  for (char& c : t)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return t;
}

constexpr std::string_view kOptionNames[4] = {" /LP:", " /WD:", " /ST:", " /VW:"};

std::string TempName(std::string_view ext) {
  ScratchScope scope;
  StrPair t = PathTempFile(StrOf("dev"));
  if (!t.ok()) return {};
  return std::string(t.view()) + "." + std::string(ext);
}

std::string SaveName(plat::WinSystem* ws, plat::Hwnd owner, std::string_view ext) {
  if (!ws) return {};
  plat::FileDlgRequest r;
  r.save = true;
  r.title = Message(82, "Selecci\xF3n de Dispositivo");
  r.filters.push_back({Message(ext == "PDF" ? 67 : 68, std::string(ext)), "*." + std::string(ext)});
  r.default_ext = std::string(ext);
  r.owner = owner;
  return plat::RunFileDialog(*ws, r);
}

// The dialog on the window system; the device text, empty when cancelled.
std::string RunWindow(plat::WinSystem& ws, std::string_view text) {
  const auto& devices = Devices();
  std::vector<std::string> labels = Split(Message(83, "Vel.:,Paridad:,Lineas:,Ancho:,Paso:,Mostrar"), false);
  labels.resize(6);
  std::vector<std::string> speeds = Split(kDevSelectSpeeds, true), formats = Split(kDevSelectFormats, true);
  size_t longest_dev = 0, longest_label = 0, longest_speed = 0;
  for (const auto& d : devices) longest_dev = std::max(longest_dev, d.size());
  for (const auto& l : labels) longest_label = std::max(longest_label, l.size());
  for (const auto& s : formats) longest_speed = std::max(longest_speed, s.size());
  const int label_col = static_cast<int>(longest_dev) + 4;
  const int control_col = static_cast<int>(longest_dev + longest_label) + 2 + 4;
  const int rows = std::max(static_cast<int>(devices.size()), 11) + 4;
  const int cols = control_col + static_cast<int>(longest_speed) + 6;
  ViewerWindowHost* host = Out().config.host;
  plat::Hwnd owner = host ? host->TopWindow() : ws.Active();
  plat::DlgFrame dlg(ws, owner, "DevSel", Message(82, "Selecci\xF3n de Dispositivo"), cols, rows);
  if (!ws.IsWindow(dlg.window())) return {};
  plat::Hwnd box = dlg.window();
  // The dialog is an engine window while it runs: on top of the window
  // stack with a screen record of its own (no definition file: open flag 2),
  // so the window layer's current window and grid are the dialog's. The
  // record goes when the dialog does, whatever way it ends.
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) | 2));
  Status opened = host ? host->OpenScreen(box, "DEVSEL,1," + std::to_string(cols) + "," + std::to_string(rows), 2, 1, 2)
                       : Status{kOk};
  SysVarSet(kVarScrStat, static_cast<int16_t>(SysVarBits(kVarScrStat) & ~2));
  if (opened != kOk) return {};
  struct ScreenRecord {
    ViewerWindowHost* host;
    plat::Hwnd window;
    ~ScreenRecord() {
      if (host) host->CloseScreen(window);
    }
  } record{host, box};

  plat::Hwnd combo = plat::CreateCombo(ws, box, kDevSelCombo, dlg.Cells(1, 1, static_cast<int>(longest_dev) + 2,
                                                                         static_cast<int>(devices.size()) + 1));
  for (const auto& d : devices) plat::ComboAdd(ws, combo, d);
  for (size_t i = 0; i < 6; ++i)
    plat::CreateStatic(ws, box, 0, dlg.Cells(label_col, 1 + 2 * static_cast<int>(i), static_cast<int>(longest_label), 1),
                       labels[i]);
  plat::Hwnd speed = plat::CreateCombo(ws, box, kDevSelSpeed, dlg.Cells(control_col, 1, 8, 1), plat::kCbsDropDown);
  plat::Hwnd format = plat::CreateCombo(ws, box, kDevSelFormat, dlg.Cells(control_col, 3, 9, 1), plat::kCbsDropDown);
  for (const auto& s : speeds) plat::ComboAdd(ws, speed, s);
  for (const auto& f : formats) plat::ComboAdd(ws, format, f);
  std::array<plat::Hwnd, 4> edits{};
  const int widths[4] = {4, 4, 4, 1};
  std::string dev_text(text);
  const char* opts[4] = {"/LP", "/WD", "/ST", nullptr};
  for (int i = 0; i < 4; ++i) {
    std::string initial;
    if (opts[i]) {
      uint16_t v = DeviceOptionNumber(dev_text, opts[i], 0);
      if (v) initial = std::to_string(v);
    } else {
      initial = std::string(1, MsgYesLetter());
    }
    edits[static_cast<size_t>(i)] =
        plat::CreateEdit(ws, box, kDevSelLines + i, dlg.Cells(control_col, 5 + 2 * i, widths[i] + 1, 1), 0, initial);
  }
  plat::Hwnd lpt = plat::CreateButton(ws, box, kDevSelLpt, dlg.Cells(1, rows - 2, 12, 1), "Lpt Config");
  plat::Hwnd ok = plat::CreateButton(ws, box, kDevSelOk, dlg.Cells(cols - 8, rows - 2, 6, 1), "Ok");
  for (plat::Hwnd h : {combo, speed, format, edits[0], edits[1], edits[2], edits[3], lpt, ok}) dlg.Track(h);

  auto enable = [&](int index) {
    uint8_t mask = DevSelectOptionMask(index);
    ws.Enable(speed, mask & 1);
    ws.Enable(format, mask & 2);
    for (int i = 0; i < 4; ++i) ws.Enable(edits[static_cast<size_t>(i)], mask & (4 << i));
    ws.Enable(lpt, index >= 1 && index <= 6);
  };
  plat::ComboSetSel(ws, combo, 0);
  enable(0);

  std::string result;
  auto press_ok = [&] {
    int sel = plat::ComboGetSel(ws, combo);
    if (sel < 0) {
      ScratchScope scope;
      MsgBox(StrOf(Message(84, "No se ha seleccionado nada")), StrPair{}, 1);
      return;
    }
    DevSelectChoice c;
    c.device = sel;
    c.speed = plat::ComboGetSel(ws, speed);
    c.format = plat::ComboGetSel(ws, format);
    for (size_t i = 0; i < 4; ++i)
      if (ws.IsEnabled(edits[i])) c.edits[i] = ws.GetText(edits[i]);
    result = DevSelectOkText(c, TempName, [&](std::string_view ext) { return SaveName(&ws, box, ext); });
    dlg.Finish(true);
  };
  dlg.on_enter = [&](plat::Hwnd) {
    press_ok();
    return true;
  };
  dlg.on_command = [&](int id, int code) {
    if (id == kDevSelOk && code == plat::kCmdClicked) press_ok();
    if (id == kDevSelLpt && code == plat::kCmdClicked) {
      int sel = plat::ComboGetSel(ws, combo);
      if (sel >= 1 && sel <= 6) LptConfigEdit(static_cast<uint16_t>(sel));
    }
    if (id == kDevSelCombo && code == plat::kCmdSelChange) enable(plat::ComboGetSel(ws, combo));
    if (id == kDevSelCombo && code == plat::kCmdDblClick) press_ok();
    if (id == kDevSelCombo && code == plat::kCmdSelEndOk) SysVarSet(kVarLastKey, 4);
  };
  bool done = dlg.Run(combo);
  return done ? result : std::string();
}

// A free device or file name for DEV: the installed form, the INPUT script,
// else a one-field dialog.
std::string AskFreeName() {
  std::string title = Message(82, "Selecci\xF3n de Dispositivo");
  std::string name;
  if (g_name_asker) {
    if (g_name_asker(title, name) != kOk) return {};
  } else {
    ScratchScope scope;
    StrPair line = CmdInputNextLine();
    if (line.ok()) name.assign(line.view());
    if (name.empty()) {
      plat::WinSystem* ws = Out().config.win;
      if (!ws) return {};
      plat::DlgFrame dlg(*ws, ws->Active(), "DevName", title, 56, 4);
      if (!ws->IsWindow(dlg.window())) return {};
      plat::Hwnd edit = plat::CreateEdit(*ws, dlg.window(), 2000, dlg.Cells(2, 1, 51, 1));
      dlg.Track(edit);
      dlg.on_enter = [&](plat::Hwnd) {
        name = ws->GetText(edit);
        dlg.Finish(true);
        return true;
      };
      if (!dlg.Run(edit)) name.clear();
    }
  }
  size_t a = name.find_first_not_of(' '), b = name.find_last_not_of(' ');
  name = a == std::string::npos ? std::string() : name.substr(a, b - a + 1);
  if (name.size() >= 2 && (name.front() == '\'' || name.front() == '"') && name.back() == name.front())
    name = name.substr(1, name.size() - 2);
  return name;
}

}  // namespace

uint8_t DevSelectOptionMask(int device) {
  if (device >= 0 && device <= 6) return 0x1C;
  if (device == 7 || device == 8) return 0x3C;
  if (device == 9 || device == 10) return 0x1F;
  return 0x00;
}

std::string DevSelectOkText(const DevSelectChoice& c, const std::function<std::string(std::string_view)>& temp_name,
                            const std::function<std::string(std::string_view)>& save_name) {
  const auto& devices = Devices();
  if (c.device < 0 || c.device >= static_cast<int>(devices.size())) return {};
  std::string name = devices[static_cast<size_t>(c.device)];
  if (DeviceKindOf(name) & kDevSerial) {
    std::vector<std::string> speeds = Split(kDevSelectSpeeds, true), formats = Split(kDevSelectFormats, true);
    size_t s = c.speed >= 0 && c.speed < static_cast<int>(speeds.size()) ? static_cast<size_t>(c.speed) : 0;
    size_t f = c.format >= 0 && c.format < static_cast<int>(formats.size()) ? static_cast<size_t>(c.format) : 0;
    name += speeds[s] + "," + Upper(formats[f]);
  } else if (name == "PDF" || name == "TXT") {
    const std::string ext = name;
    name = DeviceTextIsYes(c.edits[3]) ? temp_name(ext) : save_name(ext);
  }
  if (name.empty()) return {};
  for (size_t i = 0; i < 4; ++i)
    if (!c.edits[i].empty()) name += std::string(kOptionNames[i]) + c.edits[i];
  return name;
}

void OutputSetJournal(OutputJournalFn fn) { g_journal = fn; }
void OutputSetDevNameAsker(DevNameAsker fn) { g_name_asker = fn; }

void OutputJournal(std::string_view line) {
  if (g_journal) return g_journal(line);
  if (SysVarGet(kVarOutHnd) == 0) return;
  ScratchScope scope;
  StrPair file = CmdOption(kOptOutput);
  if (file.ok() && !file.empty()) LogAppendLine(file, StrOf(line));
}

std::string DevSelectRun(std::string_view text) {
  std::string result;
  {
    ScratchScope scope;
    StrPair line = CmdInputNextLine();
    if (line.ok()) result.assign(line.view());
  }
  if (result.empty()) {
    if (plat::WinSystem* ws = Out().config.win) result = RunWindow(*ws, text);
  }
  DynStrSet(sl::kWork, sl::kDeviceSpec, StrOf(result));
  OutputJournal(result);
  return result;
}

Status ReportAskDevice(std::string& text) {
  SysVarSet(kVarSysCompat, static_cast<int16_t>(SysVarBits(kVarSysCompat) | 128));
  for (;;) {
    std::string answer = DevSelectRun(text);
    if (answer.empty()) return kStCancelled;
    if (Upper(DeviceStripOptions(answer)) != "DEV") {
      text = answer;
      return kOk;
    }
    std::string name = AskFreeName();
    if (!name.empty()) {
      text = name;
      return kOk;
    }
  }
}

}  // namespace eng
