// Document windows on a small invoice file, driven by key scripts on the
// headless window system, with the data file read back from disk.
//
// Dictionary (prefix DW): file 1 FAC: SERIE A2, NUM A6, N_LINE N3 (key 1 =
// SERIE + NUM + N_LINE, three parts), CUST A20, ITEM A10, QTY N5, PRICE N8; 54 bytes. A
// header has N_LINE blank; its lines are numbered from 1.
// Screen FAC definition 1: SERIE, NUM and CUST in the header, the lines
// ITEM..PRICE (BOUNDS$) in a grid from row 6, and TOTAL (read only, its
// default the number of used lines) as the summary on row 12. FLDUPDATE$
// refreshes TOTAL after every line change; PRCNAME$ calls hook 9, which
// records the event number (_AUX) of each call; SAVED$ counts in _USER01.
// Further definitions add one parameter each (see Extra).
// The window is opened as the invoicing program opens one: kind 3 with the
// list procedure, the document handlers and the document toolbar.
#pragma once

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/field_access.h"
#include "core/hooks.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "data/dict_load.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "tests/data/doc_fixture.h"
#include "tests/ui/screen_fixture.h"
#include "ui/field_controls.h"
#include "ui/list_level.h"
#include "ui/maint_win_state.h"
#include "ui/movs_line.h"
#include "ui/movs_win.h"
#include "ui/screen_actions.h"
#include "ui/screen_dispatch.h"
#include "ui/screen_table.h"
#include "ui/win_loop.h"

namespace eng::test {

inline constexpr uint16_t kFacFile = 1;
inline constexpr size_t kFacLength = 54;
inline constexpr int kFldSerie = 1, kFldNum = 2, kFldCust = 3, kFldItem = 4, kFldQty = 5, kFldPrice = 6,
                     kFldTotal = 7;
inline constexpr int kIdDocSve = 3008, kIdDocIns = 3009, kIdDocDel = 3010, kIdDocDde = 3016;

inline std::vector<int>& EventLog() {
  static std::vector<int> log;
  return log;
}
inline Status RecordEvent(StrPair) {
  EventLog().push_back(SysVarGet(kVarAux));
  return kOk;
}

// A record image of FAC; line 0 is a header (N_LINE blank).
inline std::string FacRec(const std::string& num, int line, const std::string& cust, const std::string& item = "",
                          long qty = -1, long price = -1) {
  using docs::Num;
  using docs::Pad;
  return "A " + Pad(num, 6) + (line ? Num(line, 3) : std::string(3, ' ')) + Pad(cust, 20) + Pad(item, 10) +
         (qty >= 0 ? Num(qty, 5) : std::string(5, ' ')) + (price >= 0 ? Num(price, 8) : std::string(8, ' '));
}

class MovsWinTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    EventLog().clear();
    Put("DWDICC.DAT",
        "01**01FAC\r\n"
        "01       002 ASERIE\r\n"
        "01       006 ANUM\r\n"
        "01       003 NN_LINE\r\n"
        "01       020 ACUST\r\n"
        "01       010 AITEM\r\n"
        "01       005 NQTY\r\n"
        "01       008 NPRICE\r\n"
        "31<000100200030060009003\r\n");
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("DW"), StrOf("")), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("DWMRQV13:Norvique")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf("Prueba")), kOk);
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    HookSetFn(&RecordEvent, 9);
    root = WinCreateKind(0, 0, StrOf("Prueba"), 0, 80, 24, {});
    WinShowTop(-1);
  }
  void TearDown() override {
    HookSetFn(static_cast<HookTextFn>(nullptr), 9);
    FieldAccessInstall(nullptr);
    UiTest::TearDown();
  }

  // Writes screen definition n with the common parameters and `extra`.
  static void Screen(int n, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> ppn = {"FD$:=\"SERIE,NUM,CUST,ITEM,QTY,PRICE,TOTAL\"",
                                    "FILEDEF$:=\"SERIE{1},NUM{1},CUST{1},ITEM{1},QTY{1},PRICE{1}\"",
                                    "BOUNDS$:=\"ITEM,PRICE\"",
                                    "MODE$:=\"DOCUMENT\"",
                                    "NOEDIT$:=\"TOTAL\"",
                                    "ASSIGN$:=\",,,,,,_LLST\"",
                                    "FLDUPDATE$:=\"TOTAL\"",
                                    "PRCNAME$:=\"9:E\"",
                                    "SAVED$:=\"_USER01=_USER01+1\""};
    // A parameter of `extra` replaces the common one of the same name.
    bool has_headers = false;
    for (const std::string& e : extra) {
      has_headers |= e.rfind("WRITECAB", 0) == 0;
      const std::string name = e.substr(0, e.find(":="));
      std::erase_if(ppn, [&](const std::string& p) { return p.substr(0, p.find(":=")) == name; });
    }
    if (!has_headers) ppn.push_back("WRITECABS$:=\"1\"");
    ppn.insert(ppn.end(), extra.begin(), extra.end());
    ScreenTest::Def("FAC.PPN", n, ppn);
    ScreenTest::Def("FAC.PAN", n,
                    {LabelLine(2, 2, "Serie"), FieldLine(2, 12, 1, 1, 2, 'A'), LabelLine(2, 20, "Num"),
                     FieldLine(2, 25, 1, 2, 6, 'A'), LabelLine(3, 2, "Cliente"), FieldLine(3, 12, 1, 4, 20, 'A'),
                     LabelLine(5, 4, "Articulo    Cant.   Precio"), FieldLine(6, 4, 1, 5, 10, 'A'),
                     FieldLine(6, 16, 1, 6, 5, 'N'), FieldLine(6, 24, 1, 7, 8, 'N'), LabelLine(12, 2, "Total"),
                     FieldLine(12, 24, 0, 0, 5, 'N')});
  }

  // Opens the document window of screen definition n.
  Status Open(int n = 1) {
    const std::string line = "FAC," + std::to_string(n) + ",60,16,1";
    WinGridSetMargins(0, 1, 1, -1);
    doc = WinCreateKind(3, 150, StrOf(""), 0, 60, 16, &ListNotifyProc);
    if (!doc) return kStWindowsControl;
    Status s = MovsWindowOpen(StrOf(line));
    if (s) return s;
    if ((s = ScreenSetWin(150))) return s;
    ScreenActionSet(&MovsActionWin, &MovsKeyFilter, nullptr);
    HookSetFn(&MovsGridFieldValue, 2);
    if ((s = MovsLinsSetControls(StrOf(line), kMovsDocToolbarFlags, nullptr))) return s;
    MovsLinsFitWindow();
    return MovsEvent(kMovsEvInit);
  }

  void Drive(const std::string& script) { DriveWindow(root, doc, script); }

  // Closes the window by its close box and runs its loop until it is gone.
  void CloseWindow() {
    d.Run("close\n");
    WinModalLoop(doc);
    EXPECT_EQ(stall, "");
    EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
  }

  static std::vector<std::string> OnDisk() { return docs::LiveRecords("fac.FD", kFacLength); }
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
  // Adds records straight through the record layer (no rules, no window).
  static void Seed(const std::vector<std::string>& records) {
    ASSERT_LT(DataFileOpen(kFacFile, 8), kStFirstWarning);
    for (const std::string& r : records) {
      ASSERT_EQ(DataFileMove(kFacFile, 1), 3);
      ASSERT_EQ(BufStore(kFacFile, kBufCurrent, StrOf(r)), kOk);
      ASSERT_EQ(DataFileAddRecord(kFacFile), kOk);
    }
    ASSERT_EQ(DataFileClose(kFacFile), kOk);
  }

  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const auto& b : d.msgbox().log()) out.push_back(b.text);
    return out;
  }
  std::string Text(int id) { return d.ws().GetText(d.ws().FindChild(doc, id)); }
  std::string FieldText(int n) { return Text(kIdFieldBase + n); }
  uint8_t State() { return ScreenWinCurrent().state; }
  LinsBuf* Lines() { return MovsLines(); }
  std::string Line(int line, int column) { return Lines() ? LinsGetField(*Lines(), line, column) : "<none>"; }

  plat::Hwnd root = plat::kNoWindow;
  plat::Hwnd doc = plat::kNoWindow;
};

}  // namespace eng::test
