// The external file asked of the user: the file dialog, then the form that
// shows the path with the "append" switch.
#include "data/trans_external.h"

#include "data/maint_services.h"
#include "data/trans_services.h"
#include "tests/data/trans_fixture.h"

namespace eng::test {
namespace {

// What the fake dialog and form answer, and what they were shown.
struct Script {
  Status dialog = kOk;  // the dialog's status (148: no dialog installed)
  std::string path;     // the path it gives
  Status form = kOk;    // the form's status
  std::string values;   // the form's value text
  bool saw_save = false;
  std::string saw_caption, saw_items;
};

Script& S() {
  static Script s;
  return s;
}

class TransExternalTest : public TransTest {
 protected:
  void SetUp() override {
    TransTest::SetUp();
    S() = Script{};
    TransServices ts;
    ts.choose_external = [](bool save, std::string* chosen) -> Status {
      S().saw_save = save;
      if (S().dialog == kOk) *chosen = S().path;
      return S().dialog;
    };
    // Only the file form answers; the run's other forms take their defaults.
    ts.accept = [](StrPair caption, StrPair items, std::string* values, std::string*) -> Status {
      if (caption.view() != "Selecci\xF3n de Fichero") return kStNotAvailable;
      S().saw_caption = caption.str();
      S().saw_items = items.str();
      if (S().form == kOk) *values = S().values;
      return S().form;
    };
    TransSetServices(ts);
  }
  void TearDown() override {
    TransSetServices({});
    MaintSetServices({});
    TransTest::TearDown();
  }
};

TEST_F(TransExternalTest, TheFormGivesTheNameAndTheAppendSwitch) {
  const std::string form_of_out = "'Fichero:':'A255'::'out.csv','Modo a\xF1" "adir:':'L1'::'1'";
  struct Case {
    const char* what;
    uint16_t mode;
    Status dialog;
    std::string path;
    Status form;
    std::string values;
    Status result;
    std::string name;
    uint16_t mode_after;
    bool save;
    std::string items;
  };
  const Case cases[] = {
      {"export appending", 52, kOk, "out.csv", kOk, "'out.csv','1'", kOk, "out.csv", 52 | kTransAppend, true,
       form_of_out},
      {"import, path edited", 53, kOk, "in.csv", kOk, " 'otro.csv' ,'0'", kOk, "otro.csv", 53, false,
       "'Fichero:':'A255'::'in.csv','Modo a\xF1" "adir:':'L1'::'1'"},
      {"no form window", 52, kOk, "out.csv", kStNotAvailable, "", kOk, "out.csv", 52, true, form_of_out},
      {"form cancelled", 52, kOk, "out.csv", kStCancelled, "", kStCancelled, "", 52, true, form_of_out},
      {"name left empty", 52, kOk, "out.csv", kOk, "'','1'", kStCancelled, "", 52, true, form_of_out},
      {"dialog cancelled", 52, kStCancelled, "", kOk, "'x','1'", kStCancelled, "", 52, true, ""},
      {"no dialog", 53, kStNotAvailable, "", kOk, "'x','1'", kStCancelled, "", 53, false, ""},
      {"a quote in the path", 52, kOk, "O'Brien.csv", kOk, "\"O'Brien.csv\",'0'", kOk, "O'Brien.csv", 52, true,
       "'Fichero:':'A255'::\"O'Brien.csv\",'Modo a\xF1" "adir:':'L1'::'1'"},
      {"both quotes in the path", 52, kOk, "a'b\"c", kOk, "'x','1'", kStDataError, "", 52, true, ""},
  };
  for (const Case& c : cases) {
    S() = Script{c.dialog, c.path, c.form, c.values};
    uint16_t mode = c.mode;
    std::string name;
    EXPECT_EQ(TransExternalDialog(&mode, &name), c.result) << c.what;
    EXPECT_EQ(name, c.name) << c.what;
    EXPECT_EQ(mode, c.mode_after) << c.what;
    EXPECT_EQ(S().saw_save, c.save) << c.what;
    EXPECT_EQ(S().saw_items, c.items) << c.what;
    if (!c.items.empty()) EXPECT_EQ(S().saw_caption, "Selecci\xF3n de Fichero") << c.what;
  }
}

TEST_F(TransExternalTest, AnExportToAChosenFileAppendsWhenAsked) {
  AddCustomers();
  Put("chosen.csv", "\"PREVIO\"\r\n");
  // Not appending: the file is written from empty.
  S() = Script{kOk, "chosen.csv", kOk, "'chosen.csv','0'"};
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  TransParmSet(kTpStruct, "CODE{}");
  EXPECT_EQ(TransRunWithProgress("", 0xFFFF, 52, nullptr), kStDetailText);
  EXPECT_EQ(Get("chosen.csv"), "\"ANA\"\r\n\"BETO\"\r\n\"CARLA\"\r\n");
  // Appending: the records follow what the file held.
  S() = Script{kOk, "chosen.csv", kOk, "'chosen.csv','1'"};
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  TransParmSet(kTpStruct, "CODE{}");
  EXPECT_EQ(TransRunWithProgress("", 0xFFFF, 52, nullptr), kStDetailText);
  EXPECT_EQ(Get("chosen.csv"), "\"ANA\"\r\n\"BETO\"\r\n\"CARLA\"\r\n\"ANA\"\r\n\"BETO\"\r\n\"CARLA\"\r\n");
  // A cancelled choice runs nothing.
  S() = Script{kStCancelled};
  TransParmsClear();
  TransParmSet(kTpFile, "1");
  EXPECT_EQ(TransRunWithProgress("", 0xFFFF, 52, nullptr), kStCancelled);
  EXPECT_EQ(Get("chosen.csv"), "\"ANA\"\r\n\"BETO\"\r\n\"CARLA\"\r\n\"ANA\"\r\n\"BETO\"\r\n\"CARLA\"\r\n");
}

}  // namespace
}  // namespace eng::test
