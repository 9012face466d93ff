// The main window on the headless window system: the menu bar from menu
// files (nesting, ids, limits), the menu screen and logo, menu commands
// through the application and the default dispatcher, the keyboard and
// mouse ways into the menu, and the close check.
#include <string>
#include <vector>

#include "core/app_run.h"
#include "core/app_verbs.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/hooks.h"
#include "core/string_lists.h"
#include "core/sys_vars.h"
#include "tests/support/exp_fixture.h"
#include "tests/ui/ui_fixture.h"
#include "ui/main_window.h"
#include "ui/menu_bar.h"
#include "ui/menu_logo.h"
#include "ui/menu_ppn.h"
#include "ui/ui_install.h"

namespace eng::test {
namespace {

using plat::Hwnd;
using plat::MsgAnswer;

// Two pop-ups on the bar (the first with a nested one) and a plain item.
constexpr const char* kMenu =
    "Fichero\r\n"
    "\tAlta,ExpEval A=1\r\n"
    "\tMas\r\n"
    "\t\tBaja,ExpEval A=2\r\n"
    "\tSalir,ExpEval A=3\r\n"
    "Cambiar,ExpEval A=4\r\n";

Status g_menu_answer = kStNotAvailable;
Status g_close_answer = kStNotAvailable;

class MainWindowTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf("Pelmora")), kOk);
    UiInstallServices(&d.ws());
    g_menu_answer = kStNotAvailable;
    g_close_answer = kStNotAvailable;
    AppFunctions f;
    f.menu_command = [](StrPair) { return g_menu_answer; };
    f.task_close = [] { return g_close_answer; };
    AppFunctionsSet(f);
    Put("MENU.PMT", kMenu);
    Put("MENU.PAN", "00 02202F10: men\xFA\r\n");
  }
  void TearDown() override {
    AppFunctionsSet(AppFunctions{});
    UiTest::TearDown();
  }

  // The menu as text: items "text=id:command", pop-ups "text{...}".
  std::string Tree(int menu) {
    const plat::Menu* m = d.ws().MenuRec(menu);
    if (!m) return "<none>";
    std::string out;
    for (const plat::MenuItem& it : m->items) {
      if (!out.empty()) out += ";";
      if (it.popup) {
        out += it.text + "{" + Tree(it.popup) + "}";
      } else {
        out += it.text + "=" + std::to_string(it.id) + ":" +
               std::string(DynStrGet(sl::kMenuCommands, static_cast<uint16_t>(it.id - kMenuFirstItem)).view());
      }
    }
    return out;
  }
  // The boxes shown since the last Forget.
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (size_t i = seen_; i < d.msgbox().log().size(); ++i) out.push_back(d.msgbox().log()[i].text);
    return out;
  }
  int Kind(size_t i) { return d.msgbox().log().at(seen_ + i).kind; }
  void Forget() { seen_ = d.msgbox().log().size(); }
  static std::string A() {
    ScratchScope scope;
    if (VarRead(StrOf("A")) != kOk) return "<unset>";
    return DecToText(NumAccValue()).str();
  }
  size_t seen_ = 0;
  Hwnd Main() { return d.ws().TopLevels().empty() ? plat::kNoWindow : d.ws().TopLevels().front(); }
};

TEST_F(MainWindowTest, MenuBarFromAPmtFile) {
  // A trailing blank is removed; the PMT file wins over a PPN of the same name.
  Put("AYUDA.PMT", "Fichero\r\n\tClientes,MantMain CLI,1 \r\n\tSalir,ExpEval 1\r\nAyuda,Help\r\n");
  Put("AYUDA.PPN", "01 CALLER$:=\"2\"\r\n02 MENU$:=\"Otro,Uno\"\r\n");
  EXPECT_EQ(Tree(MenuBarBuild(StrOf("AYUDA"))),
            "Fichero{Clientes=1500:MantMain CLI,1;Salir=1501:ExpEval 1};Ayuda=1502:Help");
  EXPECT_EQ(Tree(MenuBarBuild(StrOf("MENU,1,80,24"))),
            "Fichero{Alta=1500:ExpEval A=1;Mas{Baja=1501:ExpEval A=2};Salir=1502:ExpEval A=3};Cambiar=1503:ExpEval A=4")
      << "a nested pop-up; the name's first item names the file";
  EXPECT_EQ(MenuBarBuild(StrOf("NINGUNO")), 0) << "no menu file: no bar";
  EXPECT_EQ(DynStrCount(sl::kLineQueue), 0);
}

TEST_F(MainWindowTest, BadlyIndentedLinesStayInTheBar) {
  // A line two levels under a pop-up of the bar, then a line back at level 0.
  Put("MAL.PMT", "Uno\r\n\t\t\tHondo,ExpEval A=1\r\nDos,ExpEval A=2\r\n\tSuelto,ExpEval A=3\r\n");
  EXPECT_EQ(Tree(MenuBarBuild(StrOf("MAL"))),
            "Uno{Hondo=1500:ExpEval A=1};Dos=1501:ExpEval A=2;Suelto=1502:ExpEval A=3");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainWindowTest, AtMostTwoHundredItemsAreAppended) {
  std::string lines = "Todo\r\n";
  for (int i = 0; i < 201; ++i) lines += "\tItem" + std::to_string(i) + ",ExpEval A=" + std::to_string(i) + "\r\n";
  Put("LARGO.PMT", lines);
  const int bar = MenuBarBuild(StrOf("LARGO"));
  const plat::Menu* m = d.ws().MenuRec(bar);
  ASSERT_TRUE(m && m->items.size() == 1);
  const plat::Menu* popup = d.ws().MenuRec(m->items[0].popup);
  ASSERT_NE(popup, nullptr);
  ASSERT_EQ(popup->items.size(), 200u);
  EXPECT_EQ(popup->items.back().id, kMenuLastItem);
  EXPECT_EQ(DynStrGet(sl::kMenuCommands, 199), "ExpEval A=199");
  ASSERT_EQ(d.msgbox().log().size(), 1u) << "the limit is shown once";
  EXPECT_EQ(Kind(0), 3);
}

TEST_F(MainWindowTest, MenuDefinitionsExpandIntoTheBar) {
  // The root lists 2, 0 and 3; definition 2's fourth entry is loaded from
  // another file under the command its EXEC$ gives.
  Put("DEF.PPN",
      "01 CALLER$:=\"2,0,3\"\r\n"
      "02 MENU$:=\"Ventas,Alta,Baja,Mas\"\r\n"
      "02 EXEC$:=\",,,'MantMain,CLI,10'\"\r\n"
      "02 LOAD$:=\",,,'OTRO,1'\"\r\n"
      "03 MENU$:=\"Compras,Pedido\"\r\n"
      "03 CALLER$:=\"4\"\r\n"
      "04 EXEC$:=\"ExpEval A=4\"\r\n");
  Put("OTRO.PPN", "01 MENU$:=\"Ventas,Alta,Baja\"\r\n");
  EXPECT_EQ(Tree(MenuBarBuild(StrOf("DEF"))),
            "Ventas{Alta=1500:2;Baja=1501:3;"
            "Mas{Ventas=1502:MantMain CLI,11;Alta=1503:MantMain CLI,12;Baja=1504:MantMain CLI,13}};"
            "Compras{Pedido=1505:ExpEval A=4}");
  EXPECT_FALSE(SysVarHas(kVarCompat, kCompatOldMenuNames)) << "the older names only while reading";

  // The older parameter names, while the menu is read.
  Put("VIEJO.PPN",
      "01 MODULOS$:=\"2,3\"\r\n"
      "02 SUBMENU$:=\"Nuevo,Uno\"\r\n"
      "03 MODULO$:=\"Viejo\"\r\n"
      "03 OPTIONS$:=\"Dos\"\r\n");
  EXPECT_EQ(Tree(MenuBarBuild(StrOf("VIEJO"))), "Nuevo{Uno=1500:2};Viejo{Dos=1501:2}");
}

TEST_F(MainWindowTest, AMissingOrCyclicDefinitionBuildsNoBar) {
  struct Case {
    const char* name;
    const char* text;
  } cases[] = {
      {"FALTA", "01 CALLER$:=\"2,9\"\r\n02 MENU$:=\"Uno,Dos\"\r\n"},
      {"CICLO", "01 CALLER$:=\"2\"\r\n02 MENU$:=\"Bucle,Otra\"\r\n02 CALLER$:=\"2\"\r\n"},
  };
  for (const Case& c : cases) {
    Put(std::string(c.name) + ".PPN", c.text);
    ErrIncident(kOk, StrOf(""), false);
    EXPECT_EQ(MenuPpnRead(StrOf(c.name)), 0xFFFF) << c.name;
    EXPECT_EQ(std::string(ErrIncidentText().view()), std::string(c.name) + ".PPN") << c.name;
    EXPECT_EQ(DynStrCount(kMenuPpnQueue), 0) << c.name << ": the lines made so far are dropped";
    EXPECT_EQ(DynStrCount(sl::kModuleParms), 0) << c.name << ": every definition pushed is popped";
    EXPECT_EQ(MenuBarBuild(StrOf(c.name)), 0) << c.name;
  }
}

TEST_F(MainWindowTest, OpensWithMenuBarScreenAndLogo) {
  ASSERT_EQ(AppMainWindow(StrOf("MENU")), kOk) << ::testing::PrintToString(Boxes());
  const Hwnd main = WinTop();
  ASSERT_NE(main, plat::kNoWindow);
  EXPECT_EQ(Tree(d.ws().GetMenu(main)).substr(0, 8), "Fichero{");
  EXPECT_EQ(d.ws().GetText(main).substr(0, 10), " Pelmora  ") << "the caption";
  WinModalLoop(main);  // shown; the script is empty, so the loop stops at once
  const std::string screen = d.Snapshot();
  EXPECT_NE(screen.find(" Fichero  Cambiar"), std::string::npos) << screen;
  EXPECT_NE(screen.find("  Pelmora\n"), std::string::npos) << "the logo's text form\n" << screen;
  EXPECT_NE(screen.find("F10: men\xFA"), std::string::npos) << "the menu screen's label above the logo\n" << screen;
  EXPECT_TRUE(Boxes().empty()) << "no box on the window's focus";
  // The verbs reach the main screen's definition.
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbMantAux, kOk), StrOf("1,1")), kOk);
  EXPECT_EQ(AppVerbDispatch(AppVerbWord(kVerbMantAux, kOk), StrOf("1")), kOk);
}

TEST_F(MainWindowTest, TheLogoIsLoadedOnceAndNeedsAWindowAndAnImage) {
  EXPECT_EQ(MenuLogoShow(plat::kNoWindow), kStDataError);
  Hwnd a = WinCreateKind(0, 0, StrOf("T"), 0, 80, 24, {});
  ASSERT_EQ(MenuLogoShow(a), kOk);
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf("Otro")), kOk);
  ASSERT_EQ(MenuLogoShow(a), kOk);
  const std::string dump = d.Dump();
  EXPECT_EQ(dump.find("Otro"), std::string::npos) << "a second show keeps the first image\n" << dump;
  Ui().logo.clear();
  ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf("")), kOk);
  EXPECT_EQ(MenuLogoShow(a), kStDataError) << "no image without a title";
  // The main window goes on without a logo.
  WinDestroy(a);
  EXPECT_EQ(AppMainWindow(StrOf("MENU")), kOk);
}

TEST_F(MainWindowTest, MenuCommandsByScriptKeyboardAndMouse) {
  struct Case {
    const char* how;
    const char* script;
    const char* a;
  } cases[] = {
      {"a scripted pick of a nested item", "menu id=1501\n", "2"},
      {"F10 opens the first pop-up; Enter takes its first item", "key F10\nkey Enter\n", "1"},
      {"Down onto the nested pop-up; Enter opens it and takes its item", "key F10\nkey Down\nkey Enter\nkey Enter\n", "2"},
      {"Right opens the nested pop-up", "key F10\nkey Down\nkey Right\nkey Enter\n", "2"},
      {"Right moves along the bar to a plain item", "key F10\nkey Right\n", "4"},
      {"Left wraps to the last bar item", "key F10\nkey Left\n", "4"},
      {"Esc leaves the menu without a command", "key F10\nkey Esc\n", "0"},
      {"a click on the bar, then on the pop-up's third line", "click cell=2,0\nclick cell=3,3\n", "3"},
      {"a click on a plain bar item", "click cell=11,0\n", "4"},
  };
  for (const Case& c : cases) {
    ExpEvalText(StrOf("A=0"));
    Forget();
    // The run ends with a close agreed without asking.
    SysVarSet(kVarAuxStat, kAuxStatCloseQuiet);
    d.Run(std::string(c.script) + "close\n");
    EXPECT_EQ(AppRunMenu(StrOf("MENU")), kOk) << c.how;
    EXPECT_EQ(A(), std::string(c.a) == "0" ? "" : c.a) << c.how;
    EXPECT_EQ(WinTop(), plat::kNoWindow) << c.how << ": the run ended with the main window";
    EXPECT_TRUE(Boxes().empty()) << c.how << ": " << ::testing::PrintToString(Boxes());
    EXPECT_EQ(stall, "") << c.how;
    stall.clear();
  }
}

TEST_F(MainWindowTest, TheApplicationSeesEveryMenuCommandFirst) {
  SysVarSet(kVarAuxStat, kAuxStatCloseQuiet);
  ExpEvalText(StrOf("A=0"));
  g_menu_answer = kOk;  // taken by the application: the engine does not run it
  d.Run("menu id=1500\nclose\n");
  EXPECT_EQ(AppRunMenu(StrOf("MENU")), kOk);
  EXPECT_EQ(A(), "") << "still 0";
  // A command that fails is shown, and the window stays.
  g_menu_answer = kStNotAvailable;
  Put("MENU.PMT", "Mal,Menu OTRO\r\nBien,ExpEval A=7\r\n");
  d.Run("menu id=1500\nanswer OK\nmenu id=1501\nclose\n");
  EXPECT_EQ(AppRunMenu(StrOf("MENU")), kOk);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Kind(0), 3);
  EXPECT_EQ(A(), "7");
  EXPECT_EQ(stall, "");
}

TEST_F(MainWindowTest, TheCloseCheck) {
  // Esc asks to close: the reminder is a yes/no question; No keeps the
  // program running, Yes ends it.
  d.Run("key Esc\nanswer No\nkey Esc\nanswer Yes\n");
  EXPECT_EQ(AppRunMenu(StrOf("MENU")), kOk);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Recuerde sus Copias de Seguridad", "Recuerde sus Copias de Seguridad"}));
  EXPECT_EQ(Kind(0), 5);
  EXPECT_EQ(WinTop(), plat::kNoWindow);
  EXPECT_EQ(stall, "");

  // The application objects: the open windows are reported and nothing closes.
  Forget();
  g_close_answer = 1;
  d.Run("close\nanswer OK\n");
  EXPECT_EQ(AppMainWindow(StrOf("MENU")), kOk);
  WinModalLoop(plat::kNoWindow);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Aun hay ventanas abiertas (1 Pantallas, 1 Ventanas)"});
  EXPECT_NE(WinTop(), plat::kNoWindow) << "the program keeps running";
  stall.clear();
}

}  // namespace
}  // namespace eng::test
