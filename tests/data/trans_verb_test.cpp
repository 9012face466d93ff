#include "data/trans_verb.h"

#include "core/app_verbs.h"
#include "core/exec_keywords.h"
#include "data/maint_services.h"
#include "data/trans_services.h"
#include "tests/data/trans_fixture.h"

namespace eng::test {
namespace {

using V = std::vector<std::string>;

class TransVerbTest : public TransTest {
 protected:
  void TearDown() override {
    TransSetServices({});
    MaintSetServices({});
    TransTest::TearDown();
  }
  // The forms asked, by caption, and the answers given by caption.
  static V& Asked() {
    static V v;
    return v;
  }
};

TEST_F(TransVerbTest, BoundsFormFollowsTheChoices) {
  struct Case {
    std::string choices;
    std::string form;
    uint16_t key;
  };
  const Case cases[] = {
      {"L S", "'CODE (Desde):':'A10':CODE{}>=,'CODE (Hasta):':'A10':CODE{}<=,'CITY :':'A20':CITY{}==", 1},
      {" S", "'NAME :':'A30':NAME{}==", 0},
      {"  L", "'CITY (Desde):':'A20':CITY{}>=,'CITY (Hasta):':'A20':CITY{}<=", 2},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TransBoundsForm(fx::kClientes, c.choices), c.form) << "[" << c.choices << "]";
    EXPECT_EQ(TransKeyOfBounds(fx::kClientes, c.choices), c.key) << "[" << c.choices << "]";
  }
}

TEST_F(TransVerbTest, TheVerbAsksItsFormsAndRunsTheExport) {
  AddCustomers();
  Asked().clear();
  TransServices ts;
  ts.accept = [](StrPair caption, StrPair items, std::string* values, std::string* cond) -> Status {
    Asked().push_back(caption.str());
    if (caption == "Límites de Transacción" || caption.view() == "L\xEDmites de Transacci\xF3n") {
      *values = "'B','C'";
      *cond = "";
      return kOk;
    }
    if (caption.view() == "Selecci\xF3n de Campos") {
      EXPECT_EQ(items.str(), "'CODE:':'L1'::1,'NAME:':'L1'::1,'CITY:':'L1'::1");
      *values = "'1','0','1'";
      return kOk;
    }
    if (caption.view() == "Selecci\xF3n de Fichero") {
      EXPECT_EQ(items.str(), "'Fichero:':'A255'::'verb.csv','Modo a\xF1" "adir:':'L1'::'1'");
      *values = "'verb.csv','0'";
      return kOk;
    }
    if (caption.view() == "Actualizacion Relacional") {
      *values = "'0'";
      return kOk;
    }
    return kStCancelled;
  };
  ts.choose_external = [](bool save, std::string* chosen) -> Status {
    EXPECT_TRUE(save);
    *chosen = "verb.csv";
    return kOk;
  };
  TransSetServices(ts);
  EXPECT_EQ(TransMenuVerb(StrOf("52,clientes,'L'")), kStDetailText);
  EXPECT_EQ(Asked(), (V{"Selecci\xF3n de Campos", "Actualizacion Relacional", "Selecci\xF3n de Fichero",
                        "L\xEDmites de Transacci\xF3n"}));
  EXPECT_EQ(Get("verb.csv"), "\"BETO\",\"Sevilla\"\r\n\"CARLA\",\"\"\r\n");
  // A cancelled form ends the verb with 122 and runs nothing.
  Asked().clear();
  std::filesystem::remove("verb.csv");
  EXPECT_EQ(TransMenuVerb(StrOf("52,clientes")), kStCancelled);
  EXPECT_FALSE(Has("verb.csv"));
  EXPECT_EQ(TransParm(kTpAcBound), "");
}

TEST_F(TransVerbTest, EachRecordIsConfirmedAndACancelEndsTheRun) {
  AddCustomers();
  static int confirmations;
  confirmations = 0;
  TransServices ts;
  ts.accept = [](StrPair caption, StrPair items, std::string*, std::string*) -> Status {
    if (caption.view() != "Confirmaci\xF3n de Transacci\xF3n") return kStNotAvailable;
    EXPECT_EQ(items.str(), "'Seguir:':'L1'");
    return ++confirmations == 1 ? kOk : kStCancelled;
  };
  TransSetServices(ts);
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  TransParmSet(kTpStruct, "CODE{}");
  TransParmSet(kTpAcConfirm, "'Seguir:':'L1'");
  EXPECT_EQ(TransRun("conf.csv", 0xFFFF, 52, nullptr, nullptr), kStCancelled);
  EXPECT_EQ(confirmations, 2);
  EXPECT_EQ(Get("conf.csv"), "\"ANA\"\r\n");
  EXPECT_EQ(Count(), 1u);
}

TEST_F(TransVerbTest, AnExportShowsEachRecordsKeyInItsProgressWindow) {
  static std::vector<std::string> shown;
  shown.clear();
  TransServices ts;
  ts.progress_step = [](uint32_t, StrPair text) -> Status {
    shown.push_back(text.str());
    return kOk;
  };
  TransSetServices(ts);
  AddCustomers();
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  EXPECT_EQ(TransRunWithProgress("c.rel", 0xFFFF, 4, nullptr), kStDetailText);
  ASSERT_FALSE(shown.empty());
  for (const std::string& text : shown) EXPECT_FALSE(text.empty());
  EXPECT_NE(shown.front().find("ANA"), std::string::npos) << shown.front();
  EXPECT_NE(shown.back().find("CARLA"), std::string::npos) << shown.back();
}

TEST_F(TransVerbTest, AFileImportCountsItsBytesOverBothPassesUnderItsTitle) {
  static uint32_t opened, advanced;
  static std::string title;
  opened = advanced = 0;
  title.clear();
  MaintServices ms;
  ms.progress_open = [](uint32_t steps, StrPair t) {
    opened = steps;
    title = t.str();
  };
  MaintSetServices(ms);
  TransServices ts;
  ts.progress_step = [](uint32_t amount, StrPair text) -> Status {
    EXPECT_TRUE(text.empty()) << "a file import's window counts bytes";
    advanced += amount;
    return kOk;
  };
  TransSetServices(ts);
  AddCustomers();
  ASSERT_EQ(Run(fx::kClientes, "c.rel", 4), kOk);
  Empty(fx::kClientes);
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  EXPECT_EQ(TransRunWithProgress("c.rel", 0xFFFF, 5, nullptr), kStDetailText);
  EXPECT_EQ(opened, 360u);
  EXPECT_EQ(advanced, 360u);
  EXPECT_EQ(title, "Proceso en progreso.....c.rel");
  // The IMPORT statement's window carries the file name part of its name.
  Empty(fx::kClientes);
  std::filesystem::create_directories("sub");
  std::filesystem::copy_file("c.rel", "sub/c.rel");
  ExecArgs args;
  args.count = 3;
  args.kinds = {1, 0, 0};
  args.texts[0] = "sub/c.rel";
  args.ints = {0, 0, 1};
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  EXPECT_EQ(TransStatements(kExecImport, args), kOk);
  EXPECT_EQ(title, "Proceso en progreso.....c.rel");
  EXPECT_EQ(Records(fx::kClientes).size(), 3u);
}

}  // namespace
}  // namespace eng::test
