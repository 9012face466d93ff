// The sample applications' maintenance screens through the verb MantMain on
// the headless window system: the chart of accounts of pelmora, the
// customers and items of truvesca. Each adds a record, finds it again,
// changes it and deletes it; the data file agrees at each step.
#include <filesystem>

#include "core/clock.h"
#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "data/data_file_path.h"
#include "data/data_file_store.h"
#include "data/dict_layout.h"
#include "data/dict_query.h"
#include "data/dictionary.h"
#include "core/field_access.h"
#include "data/field_ref.h"
#include "tests/ui/ui_fixture.h"
#include "ui/maint_win.h"

namespace eng::test {
namespace {

class MaintSamplesTest : public UiTest {
 protected:
  void Sample(const std::string& program, const char* prefix, const char* identity) {
    namespace fs = std::filesystem;
    fs::copy(fs::path(SAMPLES_DIR) / program / "sample", dir_ / program, fs::copy_options::recursive);
    fs::create_directories(dir_ / program / "work");
    fs::current_path(dir_ / program / "work");
    ASSERT_EQ(DictLoad(StrOf("../apps"), StrOf(prefix), StrOf("")), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kAppFolder, StrOf("../apps")), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf(identity)), kOk);
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kTitle, StrOf(program)), kOk);
    ClockSetFixedLocal(LocalTime{2026, 12, 10, 9, 0, 0, 0});
    Ui().base_grid = {80, 24, 0, 0, 0, 0};
    FontRegister(24, 12, 400, StrOf("Lucida Console"));
    WinCreateKind(0, 0, StrOf(program), 0, 80, 24, {});
    WinShowTop(-1);
  }
  void TearDown() override {
    FieldAccessInstall(nullptr);
    std::filesystem::current_path(dir_);
    UiTest::TearDown();
  }
  // Key 1 and a field's text of every live record, in key order.
  std::vector<std::string> OnDisk(uint16_t file, size_t at, size_t len) {
    ScratchScope scope;
    const std::string folder(DictFileFolder(file).view()), name(DictFileName(file).view());
    DataFileStore f;
    std::vector<std::string> out;
    if (f.Open({DataFilePathOf(folder, name, kPathRecords), DataFilePathOf(folder, name, kPathIndex), ""},
               DictFileLayout(file), kOpenReadOnly) != kOk)
      return {"<no file>"};
    std::string rec;
    for (NdxResult r = f.Move(1, 0x24, &rec); r.error == kOk && r.position == kNdxFound; r = f.Move(1, 0x10, &rec)) {
      std::string v = rec.substr(at, len);
      v.erase(v.find_last_not_of(' ') + 1);
      out.push_back(v);
    }
    f.Close();
    return out;
  }
  // Opens the line's window, runs the script in it until it closes.
  void Run(const std::string& line, const std::string& script) {
    ASSERT_EQ(MantMainVerb(StrOf(line)), kOk);
    plat::Hwnd w = WinTop();
    d.Run(script);
    WinModalLoop(w);
    EXPECT_EQ(stall, "");
    EXPECT_TRUE(d.input().failures().empty()) << ::testing::PrintToString(d.input().failures());
    EXPECT_FALSE(d.ws().IsWindow(w));
  }
};

TEST_F(MaintSamplesTest, ChartOfAccounts) {
  Sample("pelmora", "PL", "PLMRQV13:Norvique");
  const uint16_t cuentas = 8;
  // CODIGO at 0 (8), NOMBRE at 8 (40).
  Run("CUENTAS,1,60,10,8",
      "type \"5720001\"\nkey Tab\ntype \"Banco Norte\"\nkey Enter\nclose\n");
  EXPECT_EQ(OnDisk(cuentas, 0, 48), (std::vector<std::string>{"5720001 Banco Norte"}));
  Run("CUENTAS,1,60,10,8",
      "type \"5720001\"\nkey Tab\nexpect text id=2001 \"Banco Norte\"\ntype \"Banco Sur\"\nkey Enter\n"
      "type \"5720001\"\nkey Tab\nexpect text id=2001 \"Banco Sur\"\nkey F8\nanswer Yes\nkey Esc\n");
  EXPECT_TRUE(OnDisk(cuentas, 0, 8).empty());
  EXPECT_EQ(d.msgbox().log().size(), 1u);
}

TEST_F(MaintSamplesTest, AccountPickedFromTheGroupList) {
  Sample("pelmora", "PL", "PLMRQV13:Norvique");
  // The code field takes its value from the list under it: the list starts
  // on the first code, Down picks the second, which the new record gets.
  Run("GRUPOS,1,60,10,8",
      "key Down\nexpect text id=2000 \"5700001\"\nkey Tab\n"
      "type \"Caja\"\nkey Enter\n"
      // Esc goes back to the key; with nothing before the code field a
      // second Esc closes the window.
      "key Esc\nkey Esc\n");
  EXPECT_EQ(OnDisk(8, 0, 48), (std::vector<std::string>{"5700001 Caja"}));
  EXPECT_TRUE(d.msgbox().log().empty());
}

TEST_F(MaintSamplesTest, CustomersAndItems) {
  Sample("truvesca", "TR", "TRVKQZ13:Norvique");
  // Customers: CODIGO N5 at 0, NOMBRE A40 at 5; the form's edit order is
  // CODIGO, NOMBRE, FPAGO, DIAS_PAGO, BANCO, SUCURSAL, CONTROL, CUENTA.
  Run("CLIENTES,1,64,12,2",
      "type \"17\"\nkey Tab\ntype \"Pena Hermanos\"\nkey Tab\ntype \"CO\"\nkey Ctrl+End\n"
      // After an add the window waits for the next new record; Esc goes back to the key.
      "key Esc\ntype \"17\"\nkey Tab\nexpect text id=2001 \"Pena Hermanos\"\nexpect text id=2006 \"CO\"\nclose\n");
  EXPECT_EQ(OnDisk(2, 0, 10), (std::vector<std::string>{"   17Pena"}));
  // Items: CODIGO A10, DESCRIPCION A40, PRECIO 2-decimal, IVA N2.
  Run("ARTICULOS,1,60,8,3",
      "type \"TORN-8\"\nkey Tab\ntype \"Tornillo 8 mm\"\nkey Tab\ntype \"0,25\"\nkey Tab\ntype \"21\"\nkey Enter\n"
      "key Esc\ntype \"TORN-8\"\nkey Tab\nexpect text id=2001 \"Tornillo 8 mm\"\nkey Tab\ntype \"0,30\"\nkey Enter\nkey Enter\n"
      "close\n");
  EXPECT_EQ(OnDisk(3, 0, 24), (std::vector<std::string>{"TORN-8    Tornillo 8 mm"}));
  EXPECT_TRUE(d.msgbox().log().empty());
}

}  // namespace
}  // namespace eng::test
