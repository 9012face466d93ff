// Document windows under their screen parameters: header writes (NUMCAB$,
// WRITECABS$), several header records (READCABS$), the events around load
// and save, printing after a save, the key handler's document codes and the
// status texts.
#include "tests/ui/movs_fixture.h"

namespace eng::test {
namespace {

struct PrintCall {
  std::string device, tmpl, range, key;
};
std::vector<PrintCall>& Printed() {
  static std::vector<PrintCall> calls;
  return calls;
}
Status RecordPrint(StrPair device, StrPair tmpl, StrPair range, StrPair key) {
  Printed().push_back({device.str(), tmpl.str(), range.str(), key.str()});
  return kOk;
}

class MovsParmsTest : public MovsWinTest {
 protected:
  void TearDown() override {
    MovsSetPrinter(nullptr);
    MovsWinTest::TearDown();
  }
  // The header records and the lines of document A/num on disk.
  static std::pair<int, int> Records(const std::string& num) {
    std::pair<int, int> n{0, 0};
    for (const std::string& r : OnDisk()) {
      if (r.substr(2, 6) != num) continue;
      (r.substr(8, 3) == "   " ? n.first : n.second) += 1;
    }
    return n;
  }
  static std::string NewOneLine(const std::string& num) {
    return "type \"A\"\nkey Tab\ntype \"" + num + "\"\nkey Tab\ntype \"ACME\"\nkey Tab\ntype \"TORN\"\nkey Ctrl+End\n";
  }
};

TEST_F(MovsParmsTest, HeaderCountAndWriteCondition) {
  struct Case {
    std::vector<std::string> parms;
    int headers;
  };
  const Case cases[] = {
      // A condition false for every header still writes the last counted one.
      {{"NUMCAB$:=3", "WRITECABS$:=\"0\""}, 1},
      {{"NUMCAB$:=3", "WRITECABS$:=\"_HNUM<>2\""}, 2},
      {{"NUMCAB$:=3", "WRITECABS$:=\"1\""}, 3},
      {{"NUMCAB$:=0", "WRITECABS$:=\"1\""}, 1},
      // Text, loop condition and next expression: headers while the loop holds.
      {{"WRITECAB0$:=\"1,_USER03<2,_USER03=_USER03+1\""}, 2},
  };
  int n = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.parms));
    SysVarSet(kVarUser03, 0);
    Screen(n, c.parms);
    ASSERT_EQ(Open(n), kOk);
    const std::string num = "00000" + std::to_string(n);
    Drive(NewOneLine(num));
    EXPECT_EQ(Records(num), std::make_pair(c.headers, 1));
    const plat::Hwnd was = doc;
    CloseWindow();
    EXPECT_FALSE(d.ws().IsWindow(was));
    EXPECT_EQ(ScreenCounterGet(kWinCount), 0);
    EXPECT_TRUE(Boxes().empty()) << ::testing::PrintToString(Boxes());
    ++n;
  }
}

TEST_F(MovsParmsTest, SeveralHeaderRecordsAreReadOneAfterTheOther) {
  Seed({FacRec("000001", 0, "H1"), FacRec("000001", 0, "H2"), FacRec("000001", 0, "H3"),
        FacRec("000001", 1, "H1", "TORN", 1, 2)});
  Screen(1, {"READCABS$:=\"_USER03=_USER03+1,_USER02=7\""});
  ASSERT_EQ(Open(), kOk);
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\n");
  EXPECT_EQ(SysVarGet(kVarUser03), 2) << "item 1 after each further header";
  EXPECT_EQ(SysVarGet(kVarUser02), 7) << "item 2 once the header is read";
  EXPECT_EQ(BufFieldText(kFacFile, 4, kBufCurrent).str(), docs::Pad("H1", 20)) << "the first header is the record";
  EXPECT_EQ(Lines()->used, 1);
}

TEST_F(MovsParmsTest, EventsAndPrintingAfterTheSave) {
  Seed({FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150)});
  Screen(1, {"DOC$:=\"LPT1,FACTURA\"", "DOCSETS$:=\"1\""});
  MovsSetPrinter(&RecordPrint);
  Printed().clear();
  ASSERT_EQ(Open(), kOk);
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\nkey Tab\nkey F5\n");
  EXPECT_EQ(Text(kIdStatus2), "Edicion de lineas [Modificaci\xF3n/Impresi\xF3n Activada]");
  Drive("key Tab\ntype \"5\"\nkey Ctrl+End\n");
  EXPECT_EQ(EventLog(), (std::vector<int>{kMovsEvInit, kMovsEvLoad, kMovsEvCheck, kMovsEvSave}));
  ASSERT_EQ(Printed().size(), 1u);
  EXPECT_EQ(Printed()[0].device, "LPT1");
  EXPECT_EQ(Printed()[0].tmpl, "FACTURA");
  EXPECT_EQ(Printed()[0].key, "A 000001");
  EXPECT_EQ(SysVarGet(kVarUser01), 1) << "SAVED$ once, after the rewrite";
  // Printing stays on for the next document; off again with F5.
  EXPECT_TRUE(ScreenWinCurrent().flags & kMovsPrint);
}

TEST_F(MovsParmsTest, SummaryFieldAfterTheLinesSavesTheLineBeingEdited) {
  // TOTAL editable: Ctrl+End goes to it, so Grabar is how the user saves
  // while a line is still being edited.
  Screen(1, {"NOEDIT$:=\"\""});
  Seed({FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150)});
  ASSERT_EQ(Open(), kOk);
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\nkey Tab\nkey Tab\ntype \"8\"\nclick id=3008\n");
  const std::vector<std::string> disk = OnDisk();
  ASSERT_EQ(disk.size(), 2u);
  EXPECT_EQ(disk[1].substr(41, 5), "    8");
}

TEST_F(MovsParmsTest, EscOnAChangedDocumentAsksThenStartsANewOne) {
  Seed({FacRec("000001", 0, "ACME"), FacRec("000001", 1, "ACME", "TORN", 4, 150)});
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  const std::vector<std::string> before = OnDisk();
  Drive("type \"A\"\nkey Tab\ntype \"000001\"\nkey Tab\nkey Tab\ntype \"X\"\nkey Tab\nkey Esc\nanswer Yes\n");
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(State(), kMantSearch);
  EXPECT_EQ(Lines()->used, 0);
  EXPECT_EQ(FieldText(kFldNum), "");
  EXPECT_EQ(OnDisk(), before);
}

TEST_F(MovsParmsTest, FastFindWithoutAFindWindowSaysSo) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  EXPECT_FALSE(d.ws().IsEnabled(d.ws().FindChild(doc, 3007))) << "Buscar without FASTFIND$";
  Drive("key F6\nanswer OK\n");
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"No definido"}));
  EXPECT_EQ(State(), kMantSearch);
}

TEST_F(MovsParmsTest, KeyHandlerGivesTheDocumentCodes) {
  Screen(1);
  ASSERT_EQ(Open(), kOk);
  ScreenWin* w = ScreenWinGet(-1);
  ASSERT_NE(w, nullptr);
  struct Case {
    uint16_t began, now, code, scrstat, field, next;
  };
  constexpr uint16_t none = kMovsNoCode;
  const Case cases[] = {
      {1, 0, 1, 0, 1, 34},         {0, 1, 1, 0, 1, 33},          {1, 2, 1, 0, 1, 34},
      {2, 3, 1, 0, 3, 41},         {2, 3, 0x0519, 0, 3, none},   {2, 3, 0x0219, 0, 3, none},
      {2, 3, 0x0319, 0, 3, none},  {2, 3, 0x0619, 0, 3, none},   {2, 4, 1, 0, 4, 41},
      {2, 4, 41, 0, 4, 35},        {3, 4, 1, 0, 4, 35},          {3, 4, 1, 32, 4, 37},
      {3, 4, 2, 0, 4, 37},         {4, 4, 1, 16, 4, 31},         {4, 4, 2, 16, 6, 32},
      {4, 5, 1, 0, 7, 36},         {3, 6, 1, 0, 3, 42},          {2, 2, 2, 0, 1, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.began << "," << c.now << "," << c.code << " scr " << c.scrstat);
    SysVarSet(kVarScrStat, static_cast<int16_t>(c.scrstat));
    w = ScreenWinGet(-1);
    w->current_field = c.field;
    EXPECT_EQ(MovsKeyFilter(c.began, c.now, c.code), c.next);
    if (c.scrstat & 16) EXPECT_FALSE(SysVarHas(kVarScrStat, 16)) << "the wrap is taken";
  }
}

TEST_F(MovsParmsTest, StatusTextsByModeAndFlags) {
  LinsBuf doc;
  doc.mode = kLinsDocument;
  LinsBuf nav;
  nav.mode = kLinsNavigation;
  LinsBuf alone;
  alone.mode = kLinsAlone;
  struct Case {
    const LinsBuf* buffer;
    uint16_t flags;
    std::string text;
  };
  const Case cases[] = {
      {&doc, 0, "Nueva alta/Impresi\xF3n Desact."},
      {&doc, kMovsExists, "Modificaci\xF3n/Impresi\xF3n Desact."},
      {&doc, kMovsExists | kMovsReadOnly, "Solo Consulta/Impresi\xF3n Desact."},
      {&doc, kMovsPrint, "Nueva alta/Impresi\xF3n Activada"},
      {&nav, kMovsMaintMode, "Modo Mantenimiento"},
      {&nav, 0, "Modo Inserci\xF3n"},
      {&alone, kMovsExists, ""},
  };
  for (const Case& c : cases) {
    ScreenWin w;
    w.flags = c.flags;
    EXPECT_EQ(MovsStatusText(*c.buffer, w), c.text);
  }
}

}  // namespace
}  // namespace eng::test
