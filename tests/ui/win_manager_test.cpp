// The window stack, window kinds and sizes, modality and the modal loops,
// on the headless window system (work area 960 x 600 pixels).
#include <sys/resource.h>

#include "core/app_run.h"
#include "core/app_state.h"
#include "core/app_verbs.h"
#include "core/dyn_strings.h"
#include "core/runtime.h"
#include "ui/ui_install.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "platform/poll_wait.h"
#include "platform/win_dump.h"
#include "tests/ui/ui_fixture.h"

namespace eng::test {
namespace {

using plat::Hwnd;

class WinManagerTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
  }
  Hwnd Make(int kind, int columns = 40, int rows = 10) {
    return WinCreateKind(kind, 0, StrOf("T"), 0, columns, rows, {});
  }
  std::vector<Hwnd> Order() {
    uint16_t n = 0;
    auto all = WinStackOrder(n);
    return std::vector<Hwnd>(all.begin(), all.begin() + n);
  }
};

TEST_F(WinManagerTest, StackMovesAWindowAlreadyOnItToTheTop) {
  EXPECT_EQ(Ui().stack.count, 0xFFFF);
  EXPECT_EQ(WinTop(), plat::kNoWindow) << "first use sets the stack up";
  EXPECT_EQ(WinStackCount(), 0);
  EXPECT_EQ(WinStackPush(11, 1), 11u);
  EXPECT_EQ(WinStackPush(12, 2), 12u);
  EXPECT_EQ(WinStackPush(11, 5), 11u);
  EXPECT_EQ(WinStackCount(), 2);
  EXPECT_EQ(WinTop(), 11u);
  EXPECT_EQ(WinStackValue(11), 5);
  EXPECT_EQ(WinStackValue(99), -1);
  // The window that leaves takes only its own entry, even when not on top.
  EXPECT_FALSE(WinStackPop(12));
  EXPECT_EQ(Order(), std::vector<Hwnd>{11});
  EXPECT_FALSE(WinStackPop(77)) << "not on the stack: nothing changes";
  EXPECT_EQ(WinStackCount(), 1);
  EXPECT_TRUE(WinStackPop(11));
  EXPECT_EQ(WinTop(), plat::kNoWindow);
}

TEST_F(WinManagerTest, TheThirtyThirdWindowIsRefusedAndNotLeftBehind) {
  std::vector<Hwnd> made;
  for (int i = 0; i < 32; ++i) made.push_back(Make(i % 3));
  for (Hwnd h : made) ASSERT_NE(h, plat::kNoWindow);
  const size_t before = d.ws().TopLevels().size();
  Hwnd top = WinTop();
  EXPECT_EQ(Make(5), plat::kNoWindow);
  EXPECT_EQ(d.ws().TopLevels().size(), before) << "the refused window was destroyed again";
  EXPECT_EQ(WinTop(), top);
  EXPECT_TRUE(d.ws().IsEnabled(top)) << "its owner is enabled again";
  EXPECT_EQ(WinStackCount(), 32);
}

TEST_F(WinManagerTest, ClassNamesOfKinds) {
  struct Case { int kind; const char* want; } cases[] = {
      {0, "PLMRQV13"}, {1, "LnMant"}, {2, "Mant"}, {3, "MantDlg"}, {4, "Grid"}, {5, "Dialogx"},
      {6, "DevSel"}, {7, "Progress"}, {8, "PLMRQV13"}, {11, "PLMRQV13"}};
  for (const Case& c : cases) EXPECT_EQ(GeomWinKindClass(c.kind, StrOf("T")).str(), c.want) << c.kind;
  EXPECT_EQ(StrError(GeomWinKindClass(12, StrOf("T"))), kStDataError);
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("")), kOk);
  EXPECT_EQ(GeomWinKindClass(0, StrOf("Titulo")).str(), "Titulo");
  EXPECT_EQ(StrError(GeomWinKindClass(0, StrOf(""))), kStDataError);
  EXPECT_EQ(Make(12), plat::kNoWindow);
  EXPECT_EQ(WinCreateKind(9, 0, StrOf(""), 0, 40, 10, {}), plat::kNoWindow) << "no class name can be formed";
}

TEST_F(WinManagerTest, FittingSizesAndPositions) {
  const GeomSize area{960, 600};
  EXPECT_EQ(WinFitSize({960, 700}, area), (GeomSize{960, 600})) << "both cut, then kept inside";
  EXPECT_EQ(WinFitSize({1000, 500}, area), (GeomSize{960, 524}));
  EXPECT_EQ(WinFitSize({900, 700}, area), (GeomSize{924, 600}));
  EXPECT_EQ(WinFitSize({900, 500}, area), (GeomSize{900, 500}));
  EXPECT_EQ(WinFitPosition({900, 0}, {200, 100}), (plat::Point{760, 0}));
  EXPECT_EQ(WinFitPosition({10, 550}, {200, 100}), (plat::Point{10, 500}));
  EXPECT_EQ(WinCentre(2000, 100), (plat::Point{0, 250}));
  EXPECT_EQ(WinScrollBarsNeeded(0, {972, 576}, {960, 576}), (ScrollNeed{true, true})) << "one bar brings the other";
  EXPECT_EQ(WinScrollBarsNeeded(0, {960, 576}, {960, 576}), (ScrollNeed{false, false}));
  EXPECT_EQ(WinScrollBarsNeeded(0, {900, 600}, {960, 576}), (ScrollNeed{false, true}));
}

TEST_F(WinManagerTest, CreatedWindowsTakeTheirSizeFromTheGrid) {
  Hwnd main = Make(0, 80, 24);
  ASSERT_NE(main, plat::kNoWindow);
  EXPECT_EQ(d.ws().GetRect(main), (plat::Rect{0, 0, 960, 600})) << "within a cell of the work area";
  EXPECT_FALSE(d.ws().IsVisible(main)) << "shown by its loop";
  Hwnd mant = Make(2, 40, 10);
  EXPECT_EQ(d.ws().GetRect(mant), (plat::Rect{100, 60, 480, 264})) << "cascaded from the top window";
  EXPECT_EQ(d.ws().Owner(mant), main);
  EXPECT_EQ(WinStackValue(mant), -1);
  Hwnd tall = Make(2, 40, 30);
  EXPECT_EQ(d.ws().GetRect(tall), (plat::Rect{200, 0, 504, 600})) << "cut to the area, 24 wider, moved up";
  EXPECT_TRUE(d.ws().Rec(tall)->vbar.shown);
  EXPECT_FALSE(d.ws().Rec(tall)->hbar.shown);
  Hwnd big = Make(11, 80, 24);
  EXPECT_EQ(Ui().stack.slots[Ui().stack.z[3]].show, kShowMaximised);
  WinShowTop(-1);
  EXPECT_TRUE(d.ws().Rec(big)->maximized);
}

TEST_F(WinManagerTest, PlacementNearTheFocus) {
  EXPECT_EQ(WinPlaceNearFocus(0), (plat::Point{480, 288})) << "no window: the grid's centre";
  SysVarSet(kVarScrStat, 8);
  EXPECT_EQ(WinPlaceNearFocus(0), (plat::Point{580, 348}));
  SysVarSet(kVarScrStat, 0);
  Hwnd top = Make(2, 40, 10);
  WinShowTop(-1);
  Hwnd edit = CtlEditCreate(top, 121, 241, 120, 24, 2001, 0);
  d.ws().SetFocus(edit);
  const plat::Rect tr = d.ws().GetRect(top);
  EXPECT_EQ(WinPlaceNearFocus(kPlaceNearFocus), (plat::Point{tr.x + 121 + 120, tr.y + 24 + 241}));
  SysVarSet(kVarWMaxRow, 3);
  EXPECT_EQ(WinPlaceNearFocus(kPlaceNearFocus), (plat::Point{tr.x + 241, tr.y + 72}));
  EXPECT_EQ(WinPlaceNearFocus(0), (plat::Point{tr.x + 100, tr.y + 60}));
}

TEST_F(WinManagerTest, ModalKindsDisableTheirOwnerUntilTheyGo) {
  Hwnd main = Make(0, 80, 24);
  WinShowTop(-1);
  Hwnd mant = Make(2);
  EXPECT_TRUE(d.ws().IsEnabled(main)) << "plain kinds leave the owner enabled";
  WinShowTop(-1);
  Hwnd dialog = Make(5);
  EXPECT_FALSE(d.ws().IsEnabled(mant));
  WinShowTop(-1);
  EXPECT_EQ(d.ws().Active(), dialog);
  EXPECT_EQ(WinDestroy(dialog), 0);
  EXPECT_EQ(WinTop(), mant);
  EXPECT_TRUE(d.ws().IsEnabled(mant));
  EXPECT_EQ(d.ws().Active(), mant);
  EXPECT_EQ(WinDestroy(dialog), -1);
  // An older plain window closed while another is on top takes only its entry.
  d.ws().Destroy(main);
  EXPECT_EQ(WinStackCount(), 0) << "the owned window went with it";
}

TEST_F(WinManagerTest, DestroyingTheLastWindowEndsEveryLoop) {
  Hwnd main = Make(0, 80, 24);
  int inner_ran = 0;
  plat::Script s;
  s.Wait(10);
  d.Run(s);
  d.ws().SetTimer(main, 1, 5, [&](plat::WinSystem& ws, Hwnd, int) {
    ws.KillTimer(main, 1);
    // A handler opens a nested window and runs its loop; the inner window
    // is closed from the script, the outer loop goes on.
    Hwnd inner = Make(5);
    d.Run(plat::Script().Close());
    WinModalLoop(inner);
    inner_ran = WinTop() == main ? 1 : -1;
    d.Run(plat::Script().Close());
  });
  WinModalLoop(main);
  EXPECT_EQ(inner_ran, 1);
  EXPECT_EQ(WinTop(), plat::kNoWindow);
  EXPECT_FALSE(d.ws().IsWindow(main));
  EXPECT_EQ(stall, "") << "the loop ended by the quit, not by running out of input";
  EXPECT_EQ(WinPumpMessages(), 1);
}

TEST_F(WinManagerTest, AWaitingLoopWithNoInputFailsFastHeadless) {
  Hwnd main = Make(0, 80, 24);
  WinModalLoop(main);
  EXPECT_FALSE(stall.empty()) << "the exhausted script stops the run with the dump";
  EXPECT_TRUE(d.ws().IsWindow(main));
}

// A front end on the real clock that never has input: its waits sleep.
class IdleFrontEnd : public plat::FrontEnd {
 public:
  uint64_t NowMs() override { return plat::MonotonicMs(); }
  bool Poll(plat::InputEvent&) override { return false; }
  bool Wait(uint64_t deadline) override {
    plat::WaitReadable(-1, deadline == plat::kNoDeadline ? plat::MonotonicMs() + 5000 : deadline);
    return true;
  }
};

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST_F(WinManagerTest, AnIdleModalLoopUsesNoProcessorTime) {
  IdleFrontEnd idle;
  plat::WinSystem ws(&idle);
  UiSetWinSystem(&ws);
  Hwnd main = Make(0, 80, 24);
  ASSERT_NE(main, plat::kNoWindow);
  ws.SetTimer(main, 1, 1000, [](plat::WinSystem& w, Hwnd h, int) { w.Destroy(h); });
  const uint64_t start = plat::MonotonicMs();
  const double cpu = CpuSeconds();
  WinModalLoop(main);
  const double used = CpuSeconds() - cpu;
  EXPECT_GE(plat::MonotonicMs() - start, 1000u);
  EXPECT_LT(used, 0.1) << "the loop waited instead of spinning";
  EXPECT_LE(ws.waits(), 5u);
  EXPECT_EQ(WinTop(), plat::kNoWindow);
  UiSetWinSystem(&d.ws());
}

TEST_F(WinManagerTest, InstanceAndCommandLine) {
  int seen = 0;
  int instance = 7;
  ASSERT_EQ(WinInitInstance(&instance, StrOf("\"a\"  \"b\" x"), [&](void* p) { seen = *static_cast<int*>(p); }), kOk);
  EXPECT_EQ(seen, 7);
  EXPECT_EQ(WinInstance(), &instance);
  EXPECT_EQ(DynStrGet(sl::kSettings, sl::kCommandLine).str(), "\"a\" \"b\" x");
}

TEST_F(WinManagerTest, TextsAndMenus) {
  Hwnd top = Make(0, 80, 24);
  WinSetText(top, StrOf(std::string(400, 'x')));
  EXPECT_EQ(WinGetText(top, -1).len, 384);
  EXPECT_EQ(WinGetText(top, 5).str(), "xxxxx");
  CtlEditCreate(top, 1, 1, 60, 24, 2001, 0);
  EXPECT_TRUE(WinSetCtrlText(2001, StrOf("Hola")));
  EXPECT_FALSE(WinSetCtrlText(2002, StrOf("Hola")));
  int menu = d.ws().MenuCreate();
  EXPECT_EQ(WinMenuAppend(menu, 1502, StrOf("Clientes"), StrOf("Mant clientes")), 0);
  EXPECT_EQ(DynStrGet(sl::kMenuCommands, 2).str(), "Mant clientes");
  int popup = d.ws().MenuCreate();
  EXPECT_EQ(WinMenuAppend(menu, popup, StrOf("Ficheros"), StrOf("")), 0);
  EXPECT_EQ(d.ws().MenuRec(menu)->items.size(), 2u);
  EXPECT_EQ(d.ws().MenuRec(menu)->items[1].popup, popup);
}

TEST_F(WinManagerTest, TopWindowPlacedAndSized) {
  Make(0, 80, 24);
  Hwnd top = Make(2, 40, 10);
  WinTopSetPos(0, 0, 400, 200);
  EXPECT_EQ(d.ws().GetRect(top), (plat::Rect{280, 200, 400, 200})) << "x 0 centres";
  WinTopSetPos(900, 10, 400, 200);
  EXPECT_EQ(d.ws().GetRect(top), (plat::Rect{900, 10, 400, 200})) << "placed as given";
  WinTopSetPos(-1, 0, 400, 200);
  EXPECT_EQ(d.ws().GetRect(top), (plat::Rect{560, 10, 400, 200})) << "-1 keeps the corner, moved inside";
  WinTopSetPos(-1, 0, 2000, 200);
  EXPECT_EQ(d.ws().GetRect(top).w, 960);
}

TEST_F(WinManagerTest, ServicesForTheLowerLayers) {
  AppSetScreenSize(100, 30, 1, 0, 0, 0);
  UiInstallServices(&d.ws());
  EXPECT_EQ(WinGridBase(), (ScreenGrid{100, 30, 1, 0, 0, 0})) << "the size set before the layer came";
  AppSetScreenSize(80, 24, 0, 0, 0, 0);
  EXPECT_EQ(WinGridBase(), (ScreenGrid{80, 24, 0, 0, 0, 0}));
  const AppRunServices& run = Core().run.services;
  ASSERT_NE(run.window_open, nullptr);
  EXPECT_FALSE(run.window_open());
  Hwnd main = Make(0, 80, 24);
  EXPECT_TRUE(run.window_open());
  EXPECT_EQ(Core().msgbox.hooks.top_window(), main);
  d.Run(plat::Script().Close());
  EXPECT_EQ(run.modal_loop(), kOk);
  EXPECT_FALSE(run.window_open()) << "the loop ran until the last window went";
  Put("KVFONT.PPN", "24;12;;Lucida Console\r\n");
  EXPECT_EQ(AppGetStartServices().font_cfg_load(), kOk);
  d.Run("key Esc\n");
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbFontSet, kOk), StrOf("")), kStCancelled) << "the chooser cancelled";
  EXPECT_EQ(stall, "");
}

}  // namespace
}  // namespace eng::test
