// The sample applications' first screens, opened in windows of each kind on
// the headless window system: the window dump (ids, kinds, pixel and cell
// rectangles, captions, toolbars, footers), the stack and modality, one
// form's cell snapshot, and the headings the lines grids show.
#include <filesystem>

#include "core/clock.h"
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "data/dictionary.h"
#include "platform/win_dump.h"
#include "tests/ui/ui_fixture.h"
#include "ui/field_controls.h"
#include "ui/grid_headings.h"
#include "ui/grid_slots.h"
#include "ui/lins_build.h"
#include "ui/list_level.h"
#include "ui/window_procs.h"

namespace eng::test {
namespace {

using plat::Hwnd;

class SampleScreensTest : public UiTest {
 protected:
  // Copies the program's sample into the test folder and loads its dictionary.
  void Sample(const std::string& program, const char* prefix) {
    namespace fs = std::filesystem;
    fs::copy(fs::path(SAMPLES_DIR) / program / "sample", dir_ / program, fs::copy_options::recursive);
    fs::create_directories(dir_ / program / "work");
    fs::current_path(dir_ / program / "work");
    ASSERT_EQ(DictLoad(StrOf("../apps"), StrOf(prefix), StrOf("")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kAppFolder, StrOf("../apps")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf(program == "pelmora" ? "Pelmora" : "Truvesca")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf(program == "pelmora" ? "PLMRQV13:Norvique" : "TRVKQZ13:Norvique")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kDatabaseLogin, StrOf("localhost,DEMO")), kOk);
    ClockSetFixedLocal(LocalTime{2026, 12, 10, 9, 0, 0, 0});
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
  }
  void TearDown() override {
    std::filesystem::current_path(dir_);
    UiTest::TearDown();
  }
  // Opens a window-definition line's screen in a new window of the kind.
  Hwnd Open(const std::string& line, int kind) {
    WinDefRecord r = WinDefParse(StrOf(line));
    Hwnd h = WinCreateKind(kind, 0, StrOf(""), 0, r.columns ? r.columns : -1, r.rows ? r.rows : -1, {});
    EXPECT_NE(h, plat::kNoWindow) << line;
    EXPECT_EQ(ScreenOpen(StrOf(r.file), StrOf(r.key), r.number, r.columns, r.rows, r.data_file, StrOf(r.entry)),
              kOk)
        << line;
    ScreenWinFirstFocus(h);  // records the window's record, as its first focus does
    return h;
  }
  std::string Line(Hwnd h) { return plat::DescribeWindow(d.ws(), h); }
  // The headings shown by the lines grid of a window-definition line's
  // screen, the grid built as a document window builds it.
  std::string ShownGridHeadings(const std::string& line) {
    Open(line, 2);
    WinShowTop(-1);
    const std::string headings = ListHeadingsFromPan(StrOf(line));
    const uint16_t level = ListLevelOpen(StrOf(""), StrOf(headings), StrOf(""), 0xFFFF, 20, kListHeadingWidth, {});
    if (level >= kListLevelCount) return "no grid: " + std::to_string(level);
    const std::string shown = GridHeadingsShown(GridWindow(ListLevelGrid(level)));
    ListLevelClose(-1);
    EXPECT_EQ(ScreenWinClose(-1), kOk) << line;
    return shown;
  }
};

TEST_F(SampleScreensTest, ChartOfAccountsInAMaintenanceWindow) {
  Sample("pelmora", "PL");
  Hwnd main = WinCreateKind(0, 0, StrOf("Pelmora"), 0, 80, 24, {});
  WinShowTop(-1);
  Hwnd w = Open("CUENTAS,1,60,10,8", 2);
  CtlToolbarCreate(w, 6, StrOf("NEW,TOP,PRV,NXT,BOT,FND,SVE,DEL"),
                   StrOf("Nueva,Primera,Anterior,Siguiente,Ultima,Buscar,Grabar,Borrar"), 24, StrOf("1,4,5,7,8"));
  CtlDialogFooter(w, 0x70);
  WinShowTop(-1);

  const ScreenDesc s = ScreenCurrent();
  EXPECT_EQ(s.field_count, 4);
  EXPECT_EQ(s.data_file, 8);
  EXPECT_EQ(s.record_length, 8 + 40 + 14 + 14);
  EXPECT_EQ(ScreenFieldGet(2).file_field, 2);
  EXPECT_EQ(ScreenFieldGet(3).order, kOrderReadOnly) << "NOEDIT$";
  EXPECT_EQ(WinStackValue(w), 0);
  EXPECT_TRUE(d.ws().IsEnabled(main)) << "a maintenance window leaves the main window enabled";

  EXPECT_EQ(plat::DumpWindows(d.ws()),
            "window \"PLMRQV13\" id=0 px=0,0 960x600 cells=0,0 80x25 \"Pelmora\"\n"
            "window \"Mant\" id=0 px=100,60 720x264 cells=8,3 60x11 \" Plan de cuentas  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"PLMRQV13\"\n"
            "  static \"static\" id=4123 px=25,25 72x24 cells=10,5 6x1 \"Cuenta\"\n"
            "  static \"static\" id=4243 px=25,73 72x24 cells=10,7 6x1 \"Nombre\"\n"
            "  static \"static\" id=4363 px=25,121 48x24 cells=10,9 4x1 \"Debe\"\n"
            "  static \"static\" id=4423 px=25,145 60x24 cells=10,10 5x1 \"Haber\"\n"
            "  button \"button\" id=3001 px=135,2 90x24 cells=19,4 8x1 \"Nueva\"\n"
            "  button \"button\" id=3005 px=225,2 90x24 cells=27,4 7x1 \"Siguiente\"\n"
            "  button \"button\" id=3006 px=315,2 90x24 cells=34,4 8x1 \"Ultima\"\n"
            "  button \"button\" id=3008 px=405,2 90x24 cells=42,4 7x1 \"Grabar\"\n"
            "  button \"button\" id=3010 px=495,2 90x24 cells=49,4 8x1 \"Borrar\"\n"
            "  button \"button\" id=3101 px=0,217 60x24 cells=8,13 5x1 \"\"\n"
            "  edit \"edit\" id=1480 px=1,217 84x24 cells=8,13 7x1 \"\" disabled\n"
            "  edit \"edit\" id=1481 px=84,217 636x24 cells=15,13 53x1 \"\" disabled\n"
            "active: window \"Mant\" \" Plan de cuentas  |  12-10-26  |  DEMO work |  www.norvique.example  \"; focus: window \"Mant\" \" Plan de cuentas  |  12-10-26  |  DEMO work |  www.norvique.example  \"\n");
}

TEST_F(SampleScreensTest, ItemsInWindowsOfEachKind) {
  Sample("truvesca", "TR");
  Hwnd main = WinCreateKind(0, 0, StrOf("Truvesca"), 0, 80, 24, {});
  WinShowTop(-1);
  std::string lines;
  for (int kind : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
    Hwnd w = Open("ARTICULOS,1,60,8,3", kind);
    WinShowTop(-1);
    lines += Line(w) + " enabled-below=" + std::to_string(d.ws().IsEnabled(main)) + "\n";
    EXPECT_EQ(ScreenWinClose(-1), kOk) << kind;
    EXPECT_TRUE(d.ws().IsEnabled(main)) << kind;
    EXPECT_EQ(WinTop(), main);
  }
  EXPECT_EQ(ScreenCounterGet(kScreenCount), 0);
  EXPECT_EQ(lines,
            "window \"LnMant\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=1\n"
            "window \"Mant\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=1\n"
            "window \"MantDlg\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=0\n"
            "window \"Grid\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=0\n"
            "window \"Dialogx\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=0\n"
            "window \"DevSel\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=0\n"
            "window \"Progress\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=0\n"
            "window \"TRVKQZ13\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=1\n"
            "window \"TRVKQZ13\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=0\n"
            "window \"TRVKQZ13\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=0\n"
            "window \"TRVKQZ13\" id=0 px=0,0 960x600 cells=0,0 80x25 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"TRVKQZ13\" enabled-below=1\n");
}

TEST_F(SampleScreensTest, CustomerFormOverTheItems) {
  Sample("truvesca", "TR");
  Hwnd main = WinCreateKind(0, 0, StrOf("Truvesca"), 0, 80, 24, {});
  WinShowTop(-1);
  Hwnd items = Open("ARTICULOS,1,60,8,3", 2);
  WinShowTop(-1);
  Hwnd form = Open("CLIENTES,1,64,12,2", 5);
  ASSERT_EQ(ScreenSetWin(0), kOk);
  ASSERT_EQ(CtlSetText(form, 2000, StrOf("17")), kOk);
  ASSERT_EQ(CtlSetText(form, 2001, StrOf("Pe\xF1" "a Hermanos S.L.")), kOk);
  ASSERT_EQ(CtlSetText(form, 2006, StrOf("CO")), kOk);
  CtlAddOkButton(form);
  CtlDialogFooter(form, 0x40);
  WinShowTop(-1);
  uint16_t n = 0;
  auto order = WinStackOrder(n);
  EXPECT_EQ(std::vector<Hwnd>(order.begin(), order.begin() + n), (std::vector<Hwnd>{main, items, form}));
  EXPECT_EQ(WinStackValue(items), 0);
  EXPECT_EQ(WinStackValue(form), 1);
  EXPECT_FALSE(d.ws().IsEnabled(items)) << "the dialog is modal";
  EXPECT_TRUE(d.ws().IsEnabled(main));
  EXPECT_EQ(ScreenFieldGet(7).order, 3) << "EDIT$ order";
  EXPECT_EQ(plat::DumpWindows(d.ws()),
            "window \"TRVKQZ13\" id=0 px=0,0 960x600 cells=0,0 80x25 \"Truvesca\"\n"
            "window \"Mant\" id=0 px=100,60 720x216 cells=8,3 60x9 \" Articulos  |  12-10-26  |  DEMO work |  www.norvique.example  \" disabled owner=\"TRVKQZ13\"\n"
            "  static \"static\" id=4122 px=13,25 72x24 cells=9,5 6x1 \"Codigo\"\n"
            "  static \"static\" id=4182 px=13,49 132x24 cells=9,6 11x1 \"Descripcion\"\n"
            "  static \"static\" id=4302 px=13,97 72x24 cells=9,8 6x1 \"Precio\"\n"
            "  static \"static\" id=4362 px=13,121 36x24 cells=9,9 3x1 \"IVA\"\n"
            "window \"Dialogx\" id=0 px=192,120 768x312 cells=16,5 64x13 \" Clientes  |  12-10-26  |  DEMO work |  www.norvique.example  \" active focus owner=\"Mant\"\n"
            "  static \"static\" id=4130 px=13,25 72x24 cells=17,7 6x1 \"Codigo\"\n"
            "  static \"static\" id=4194 px=13,49 72x24 cells=17,8 6x1 \"Nombre\"\n"
            "  static \"static\" id=4322 px=13,97 60x24 cells=17,10 5x1 \"Banco\"\n"
            "  static \"static\" id=4340 px=229,97 96x24 cells=35,10 8x1 \"Sucursal\"\n"
            "  static \"static\" id=4386 px=13,121 84x24 cells=17,11 7x1 \"Control\"\n"
            "  static \"static\" id=4404 px=229,121 72x24 cells=35,11 6x1 \"Cuenta\"\n"
            "  static \"static\" id=4514 px=13,169 120x24 cells=17,13 10x1 \"Forma pago\"\n"
            "  static \"static\" id=4578 px=13,193 108x24 cells=17,14 9x1 \"Dias pago\"\n"
            "  edit \"edit\" id=2000 px=118,25 60x24 cells=26,7 5x1 \"17\" right limit=5\n"
            "  edit \"edit\" id=2001 px=118,49 480x24 cells=26,8 40x1 \"Pe\xF1" "a Hermanos S.L.\" limit=40\n"
            "  edit \"edit\" id=2002 px=118,97 48x24 cells=26,10 4x1 \"\" right limit=4\n"
            "  edit \"edit\" id=2003 px=334,97 48x24 cells=44,10 4x1 \"\" right limit=4\n"
            "  edit \"edit\" id=2004 px=118,121 24x24 cells=26,11 2x1 \"\" right limit=2\n"
            "  edit \"edit\" id=2005 px=334,121 120x24 cells=44,11 10x1 \"\" right limit=10\n"
            "  edit \"edit\" id=2006 px=142,169 24x24 cells=28,13 2x1 \"CO\" limit=2\n"
            "  edit \"edit\" id=2007 px=142,193 120x24 cells=28,14 10x1 \"\" limit=10\n"
            "  button \"button\" id=3100 px=589,253 144x24 cells=65,17 12x1 \"Ok\"\n"
            "  edit \"edit\" id=1481 px=0,265 768x24 cells=16,17 64x1 \"\" disabled\n"
            "active: window \"Dialogx\" \" Clientes  |  12-10-26  |  DEMO work |  www.norvique.example  \"; focus: window \"Dialogx\" \" Clientes  |  12-10-26  |  DEMO work |  www.norvique.example  \"\n");
  EXPECT_EQ(d.Snapshot(),
            " Truvesca                                                                      x\n"
            "\n"
            "\n"
            "          Articulos  |  12-10-26  |  DEMO work |  www.norvique.exa x\n"
            "\n"
            "         Codigo   Clientes  |  12-10-26  |  DEMO work |  www.norvique.example  x\n"
            "         Descrip\n"
            "                 Codigo      17\n"
            "         Precio  Nombre   Pe\xF1" "a Hermanos S.L.\n"
            "         IVA\n"
            "                 Banco             Sucursal\n"
            "                 Control           Cuenta\n"
            "\n"
            "                 Forma pago CO\n"
            "                 Dias pago\n"
            "\n"
            "\n"
            "\n"
            "\n"
            "\n"
            "\n"
            "\n"
            "\n"
            "\n"
            "\n");
  // The dialog's close box ends its loop; the maintenance window is on top again.
  d.Run(plat::Script().Close());
  WinModalLoop(form);
  EXPECT_EQ(WinTop(), items);
  EXPECT_TRUE(d.ws().IsEnabled(items));
  EXPECT_EQ(d.ws().Active(), items);
}

// Each lines grid of the samples shows its column headings, taken from the
// label line that its screen places on the grid's top row.
TEST_F(SampleScreensTest, TruvescaDocumentGridsShowTheirHeadings) {
  Sample("truvesca", "TR");
  WinCreateKind(0, 0, StrOf("Truvesca"), 0, 80, 24, {});
  WinShowTop(-1);
  EXPECT_EQ(ShownGridHeadings("ALBARANES,1,64,16,8"), "Articulo,Cantidad,Precio") << d.Snapshot();
  EXPECT_EQ(ShownGridHeadings("FACTURAS,1,64,16,14"), "Albaran,Fecha,Base,IVA,Total") << d.Snapshot();
}

TEST_F(SampleScreensTest, PelmoraLineGridsShowTheirHeadings) {
  Sample("pelmora", "PL");
  WinCreateKind(0, 0, StrOf("Pelmora"), 0, 80, 24, {});
  WinShowTop(-1);
  EXPECT_EQ(ShownGridHeadings("PLDIA,1,80,22,9"), "Fecha,Asto.,Lin,Debe,Haber,Concepto,Importe") << d.Snapshot();
  EXPECT_EQ(ShownGridHeadings("CTALINEAS,1,60,16,8"), "Cuenta,Nombre") << d.Snapshot();
}

}  // namespace
}  // namespace eng::test
