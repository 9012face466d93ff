// Reports over the records of the shared data fixture ("clientes"): the walk
// of the key between the limits, limits from LIMITS$, from the INPUT script
// and from an installed form, report definitions run by the Report verb,
// copies, the run condition, empty ranges, DOCPRINT on the procedure's
// device, and the same report as a PDF read back with pdftotext.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/app_verbs.h"
#include "core/err_register.h"
#include "core/exec_run.h"
#include "core/exp_eval.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/streams.h"
#include "core/sys_vars.h"
#include "data/record_buffer.h"
#include "output/device_dialog.h"
#include "data/record_layer.h"
#include "tests/output/pdf_check.h"
#include "tests/output/report_fixture.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

const std::string kMask10(10, '\\'), kMask20(20, '\\');

class RunnerTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    CopyDataFixture(dir_);
    ASSERT_EQ(LoadDataFixture(), kOk);
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DataFileOpen(fx::kClientes, 0), 2);
    for (const auto& c : std::vector<std::vector<std::string>>{{"A01", "Ana Ruiz", "Bilbao"},
                                                               {"B02", "Bruno Gil", "Avila"},
                                                               {"C03", "Carla Paz", "Zaragoza"},
                                                               {"D04", "Dora O'Neil", "Bilbao"},
                                                               {"E05", "Eva Sanz", "Lugo"}}) {
      ASSERT_EQ(DataFileMove(fx::kClientes, 1), 3);
      for (size_t i = 0; i < c.size(); ++i) ASSERT_EQ(BufSetField(fx::kClientes, uint16_t(i + 1), StrOf(c[i])), kOk);
      ASSERT_EQ(DataFileAddRecord(fx::kClientes), kOk);
    }
    ASSERT_EQ(DataFileClose(fx::kClientes), kOk);
    // The customer list: a page header with the page number, one body line
    // per customer (empty expressions print the file's fields), a counted total.
    PutLines("clientes.pdc", {
        "01001LISTA DE CLIENTES|Pag.|##" + kFix + ",,_DEVPAG",
        "02001" + std::string(45, '-') + kFix,
        "03001" + kMask10 + "|" + kMask20 + "|" + kMask10 + "|#" + kBody + ",,,1 /TOTALBASE%=1",
        "00001\tClientes:|###" + kRel + ",_#(4)",
    });
    PutLines("INFORMES.PPN", {
        "01 DEVICE$:=\"out.txt,LP:12\"",
        "01 DOCNAME$:=\"clientes.pdc\"",
        "01 OPEN$:=\"clientes\"",
        "01 ACBOUND$:=\"'Desde':'A10','Hasta':'A10'\"",
        "02 DEVICE$:=\"out.txt,LP:12\"",
        "02 DOCNAME$:=\"clientes.pdc\"",
        "02 OPEN$:=\"clientes\"",
        "02 LIMITS$:=\"'C','Z'\"",
        "02 DOCSETS$:=\"1==0\"",
    });
  }
  void TearDown() override {
    if (uint16_t h = SysVarBits(kVarInHnd)) StrmClose(h);
    SysVarSet(kVarInHnd, 0);
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) DataFileClose(f);
    ReportTest::TearDown();
  }
  // The INPUT script answering the limits and devices.
  static void Script(const std::string& lines) {
    Put("script.txt", lines);
    SysVarSet(kVarInHnd, static_cast<int16_t>(StrmOpen(StrOf("script.txt"), kStrmNoUpdate)));
  }
  Status RunProc(const std::string& source) {
    Put("t.prx", source);
    return ExecRunMenuProc(StrOf("t.prx"), nullptr);
  }
};

TEST_F(RunnerTest, ACustomerListToTextAndPdf) {
  EXPECT_EQ(RunProc("FILESEL('clientes')\nREPORT 'out.txt /LP:12,clientes.pdc'\nFILESEL('RESTORE')\n"), kOk);
  ExpectGolden(Get("out.txt"), "clientes.txt");
  ASSERT_TRUE(WritePng("pdf_header.png", 30, 10));
  // On 7 lines the body holds two customers a page.
  EXPECT_EQ(RunProc("FILESEL('clientes')\nREPORT 'out.pdf /LP:7,clientes.pdc'\nFILESEL('RESTORE')\n"), kOk);
  EXPECT_EQ(PdfPages("out.pdf"), 3);
  std::string text = PdfText("out.pdf");
  ExpectGolden(text, "clientes_pdf.txt");
  EXPECT_NE(text.find("LISTA DE CLIENTES Pag. 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("D04        Dora O'Neil          Bilbao     1"), std::string::npos) << text;
  EXPECT_NE(text.find("Clientes:   5"), std::string::npos) << text;
}

TEST_F(RunnerTest, LimitsFromTheInputScriptUntilCancelled) {
  // Each scripted line answers one round of the limits form; the empty end is a cancel.
  static std::vector<std::string> journal;
  journal.clear();
  OutputSetJournal([](std::string_view line) { journal.emplace_back(line); });
  Script("'B02','C03'\n");
  EXPECT_EQ(ReportMenuItem("INFORMES,1"), kOk);
  OutputSetJournal(nullptr);
  EXPECT_EQ(journal, (std::vector<std::string>{"'B02       ','C03       '"}));
  ExpectGolden(Get("out.txt"), "clientes_b_c.txt");
  // The scripted values take the form of their fields ('A10').
  EXPECT_EQ(ReportLastLimits(), "'B02       ','C03       '");
  // As after a confirmed form, a template or procedure reads them with _ACCEPT$.
  {
    ScratchScope scope;
    EXPECT_EQ(ExpEvalStr(StrOf("_ACCEPT$(2)")).str(), "C03       ");
  }
  EXPECT_EQ(DataFileCtrl(fx::kClientes).data_stream, 0xFFFF);  // the open state was restored
}

TEST_F(RunnerTest, LimitsFromAnInstalledFormWithItsFilter) {
  static int rounds;
  rounds = 0;
  OutputSetLimitsAsker([](std::string_view title, std::string_view definition, std::string& values,
                          std::string& filter) {
    // No catalogue file: the engine's own text of message 0081.
    EXPECT_EQ(title, "Captura de Limites de Informe");
    EXPECT_EQ(definition, "'Desde':'A10','Hasta':'A10'");
    if (rounds++) return Status{kStCancelled};
    values = "'A','Z'";
    filter = "CITY{1}=='Bilbao              '";
    return Status{kOk};
  });
  EXPECT_EQ(ReportMenuItem("INFORMES,1"), kOk);
  EXPECT_EQ(rounds, 2);
  std::string out = Get("out.txt");
  EXPECT_NE(out.find("A01"), std::string::npos);
  EXPECT_NE(out.find("D04"), std::string::npos);
  EXPECT_EQ(out.find("B02"), std::string::npos);
  EXPECT_NE(out.find("Clientes:   2"), std::string::npos) << out;
}

TEST_F(RunnerTest, DefinitionLimitsAskedOnceBeforeTheReport) {
  // Flag 4: the limits are asked once (here by the INPUT script) and the
  // report printed without the form coming back.
  static std::vector<std::string> journal;
  journal.clear();
  OutputSetJournal([](std::string_view line) { journal.emplace_back(line); });
  Script("'B02','C03'\n'A01','E05'\n");
  EXPECT_EQ(ReportMenuText("INFORMES,1", 4), kOk);
  OutputSetJournal(nullptr);
  EXPECT_EQ(journal, (std::vector<std::string>{"'B02       ','C03       '"}));
  ExpectGolden(Get("out.txt"), "clientes_b_c.txt");
  EXPECT_EQ(DataFileCtrl(fx::kClientes).data_stream, 0xFFFF);  // the open state was restored

  // The installed form: asked once; a cancel prints nothing and is no failure.
  static int rounds;
  rounds = 0;
  std::filesystem::remove("out.txt");
  OutputSetLimitsAsker([](std::string_view, std::string_view, std::string& values, std::string&) {
    ++rounds;
    values = "'D','Z'";
    return Status{kOk};
  });
  EXPECT_EQ(ReportMenuText("INFORMES,1", 4), kOk);
  EXPECT_EQ(rounds, 1);
  std::string out = Get("out.txt");
  EXPECT_EQ(out.find("C03"), std::string::npos) << out;
  EXPECT_NE(out.find("D04"), std::string::npos) << out;
  EXPECT_NE(out.find("E05"), std::string::npos) << out;
  std::filesystem::remove("out.txt");
  OutputSetLimitsAsker([](std::string_view, std::string_view, std::string&, std::string&) {
    return Status{kStCancelled};
  });
  EXPECT_EQ(ReportMenuText("INFORMES,1", 4), kOk);
  EXPECT_FALSE(Has("out.txt"));
}

TEST_F(RunnerTest, DeviceAndTemplateFormTakesItsLimitsFromTheWindow) {
  // "device:template": no definition, so the limits are fields 1 and 2 of
  // the current window.
  OutputSetWindowFieldReader([](int n) { return std::string(n == 1 ? "B02       " : "C03       "); });
  EXPECT_EQ(ReportMenuItem("out.txt:clientes.pdc /FILE=clientes"), kOk);
  OutputSetWindowFieldReader(nullptr);
  std::string out = Get("out.txt");
  EXPECT_EQ(out.find("A01"), std::string::npos) << out;
  EXPECT_NE(out.find("B02"), std::string::npos) << out;
  EXPECT_NE(out.find("C03"), std::string::npos) << out;
  EXPECT_EQ(out.find("D04"), std::string::npos) << out;
  EXPECT_NE(out.find("Clientes:   2"), std::string::npos) << out;
  // Without a window to read, the whole file.
  EXPECT_EQ(ReportMenuItem("out.txt:clientes.pdc /FILE=clientes"), kOk);
  EXPECT_NE(Get("out.txt").find("Clientes:   5"), std::string::npos) << Get("out.txt");
}

TEST_F(RunnerTest, FiveItemsRunAsAnAcceptWindowLine) {
  static std::string argument;
  argument.clear();
  // Without the window layer the AcceptRun verb is not available.
  EXPECT_EQ(ReportMenuItem("INFORMES,1,10,5,0,0,8"), kStNotAvailable);
  ASSERT_EQ(AppVerbServiceSet(kVerbAcceptRun, [](StrPair a) {
              argument = a.str();
              return Status{kStUndefinedWarning};
            }),
            kOk);
  EXPECT_EQ(ReportMenuItem("INFORMES,1,10,5,0,0,8"), kStUndefinedWarning);
  AppVerbServiceSet(kVerbAcceptRun, nullptr);
  EXPECT_EQ(argument, "INFORMES,1,10,5,0,0,8");
  EXPECT_FALSE(Has("out.txt"));
}

TEST_F(RunnerTest, RunConditionAndEmptyRanges) {
  // Definition 2: LIMITS$ from C, and a run condition that is false: 127, nothing printed.
  EXPECT_EQ(ReportMenuItem("INFORMES,2"), kStNoData);
  EXPECT_FALSE(Has("out.txt"));
  // Limits past every key select nothing: a warning, no device, result 0.
  Script("'X','Z'\n");
  EXPECT_EQ(ReportMenuItem("INFORMES,1"), kOk);
  EXPECT_FALSE(Has("out.txt"));
  // A report definition that does not exist.
  EXPECT_EQ(ReportMenuItem("INFORMES,7"), kStSyntax);
}

// The body ends at the first key past the upper limit followed by "~": a
// key that starts with the limit but goes on above "~" ends it, one that
// goes on below it does not. An explicit BRKEND$ of the same condition
// prints the same.
TEST_F(RunnerTest, TheBodyEndsAtTheFirstKeyPastTheLimit) {
  ASSERT_EQ(DataFileOpen(fx::kClientes, 0), kOk);
  ASSERT_EQ(DataFileMove(fx::kClientes, 1), 3);
  ASSERT_EQ(BufSetField(fx::kClientes, 1, StrOf("C\xF1" "A")), kOk);
  ASSERT_EQ(BufSetField(fx::kClientes, 2, StrOf("Cesar")), kOk);
  ASSERT_EQ(DataFileAddRecord(fx::kClientes), kOk);
  ASSERT_EQ(DataFileClose(fx::kClientes), kOk);
  const std::string body = "03001" + kMask10 + "|" + kMask20 + kBody + ",";
  PutLines("plain.pdc", {"01001LISTA" + kFix, body});
  PutLines("given.pdc", {"01001LISTA" + kFix, body + " /BRKEND$=(KEY$()>'[$]~')"});
  PutLines("ENDS.PPN", {"01 DEVICE$:=\"out.txt,LP:12\"", "01 DOCNAME$:=\"plain.pdc\"", "01 OPEN$:=\"clientes\"",
                        "01 LIMITS$:=\"'A','C'\"", "02 DEVICE$:=\"out.txt,LP:12\"", "02 DOCNAME$:=\"given.pdc\"",
                        "02 OPEN$:=\"clientes\"", "02 LIMITS$:=\"'A','C'\""});
  std::string outs[2];
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(ReportMenuItem(i ? "ENDS,2" : "ENDS,1"), kOk);
    outs[i] = Get("out.txt");
  }
  EXPECT_NE(outs[0].find("C03"), std::string::npos) << outs[0] << "/" << outs[1];
  EXPECT_EQ(outs[0].find("Cesar"), std::string::npos) << outs[0];
  EXPECT_EQ(outs[0].find("D04"), std::string::npos) << outs[0];
  EXPECT_EQ(outs[1], outs[0]);
}

TEST_F(RunnerTest, ABodyExpressionThatMovesTheRecordIsFollowed) {
  // Each printed customer moves the file on by one: the walk goes on from
  // there, the next move skipping a customer, and ends past the limit.
  const std::string body = "03001" + kMask10 + "|##" + kBody + ",FILELOCATE('NXT') /TOTALBASE%=1";
  PutLines("skip.pdc", {"01001LISTA" + kFix, body});
  PutLines("SKIP.PPN", {"01 DEVICE$:=\"out.txt,LP:12\"", "01 DOCNAME$:=\"skip.pdc\"", "01 OPEN$:=\"clientes\"",
                        "01 LIMITS$:=\"'A','D'\""});
  ASSERT_EQ(ReportMenuItem("SKIP,1"), kOk);
  const std::string out = Get("out.txt");
  EXPECT_NE(out.find("A01"), std::string::npos) << out;
  EXPECT_EQ(out.find("B02"), std::string::npos) << out;
  EXPECT_NE(out.find("C03"), std::string::npos) << out;
  EXPECT_EQ(out.find("D04"), std::string::npos) << out;
  EXPECT_EQ(out.find("E05"), std::string::npos) << out;
}

TEST_F(RunnerTest, CopiesStartAtTheSamePage) {
  PutLines("one.pdc", {"01001PAGE|##|\\\\\\" + kFix + ",_DEVPAG,CODE{1}"});
  EXPECT_EQ(RunProc("FILESEL('clientes')\nDOCPRINT 'out.txt /LP:2,one.pdc','1,,0','','',''\nFILESEL('RESTORE')\n"),
            kOk);
  // A template without body prints one record per pass; a false repeat condition stops after one.
  EXPECT_EQ(Get("out.txt"), "PAGE  1 A01\r\n\r\n");
  Put("t.prx", "");
  PutLines("CP.PPN", {"01 DEVICE$:=\"out.txt,LP:2\"", "01 DOCNAME$:=\"one.pdc\"", "01 OPEN$:=\"clientes\"",
                      "01 LIMITS$:=\"'D','E'\"", "01 COUNTER$:=\"2\""});
  EXPECT_EQ(ReportMenuItem("CP,1"), kOk);
  // Each record three times, every copy numbered from the same page.
  EXPECT_EQ(Get("out.txt"),
            "PAGE  1 D04\r\n\r\nPAGE  1 D04\r\n\r\nPAGE  1 D04\r\n\r\n"
            "PAGE  1 E05\r\n\r\nPAGE  1 E05\r\n\r\nPAGE  1 E05\r\n\r\n");
}

TEST_F(RunnerTest, DocPrintOnTheProcedureDeviceKeepsItOpen) {
  SysVarSet(kVarAux, 3);
  PutLines("aux.pdc", {"01001AUX|#" + kFix + ",_AUX+1"});
  EXPECT_EQ(RunProc("DEVICE 'dev.txt /LP:0'\nDPRINT 'before'\nDOCPRINT ',aux.pdc','','','',''\n"
                    "DPRINT 'after'\nENDDEVICE\n"),
            kOk);
  EXPECT_EQ(Get("dev.txt"), "before\r\nAUX 1\r\nafter");
  EXPECT_EQ(SysVarGet(kVarAux), 3);
  // A missing template: 164 in _STAT and as the procedure's status.
  EXPECT_EQ(RunProc("DEVICE 'dev2.txt'\nDOCPRINT ',nothere.pdc','','','',''\n"), kStFileNotFound);
  EXPECT_EQ(SysVarGet(kVarStat), kStFileNotFound);
  // No template named: 164 with the text of message 0010 as incident.
  ErrIncident(kOk, StrPair{}, false);
  EXPECT_EQ(ReportRun("dev3.txt", " ", "", "", "", 0, "", "", nullptr), kStFileNotFound);
  EXPECT_NE(ErrIncidentText().str().find("No definido"), std::string::npos) << ErrIncidentText().str();
}

TEST_F(RunnerTest, RangeKeysOfACommandText) {
  struct Case {
    const char* text;
    int which;
    const char* want;
  } cases[] = {
      {"a,b", 1, "a"}, {"a,b", 2, "b"}, {" a , b ", 2, "b"},
      {"b", 1, ""},    {"b", 2, "b"},   {"'x'+'y',z", 1, "xy"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReportRangeKey(c.text, c.which), c.want) << c.text << " " << c.which;
  Status s = kOk;
  EXPECT_EQ(ReportRangeKey("a,b", 4, &s), "");
  EXPECT_EQ(s, kStDataError);
}

TEST_F(RunnerTest, HeaderImageOfAReport) {
  // Candidates in the application folder, best first; "@" in a name stands for any character.
  struct Case {
    std::vector<std::string> files;
    const char* want;
  } cases[] = {
      {{"pdf_DB_INV.png", "pdf_INV.png"}, "pdf_DB_INV.png"},
      {{"pdf_INV.png"}, "pdf_INV.png"},
      {{"pdf_IN@.png", "pdf_I@V.png"}, "pdf_I@V.png"},
      {{"pdf_X@.png"}, ""},
  };
  PutLines("INV.pdc", {"01001X"});
  DynStrSet(sl::kSettings, sl::kDatabaseLogin, StrOf("host,'DB',user,pw"));
  for (const Case& c : cases) {
    std::filesystem::create_directories("app");
    for (const auto& f : c.files) ASSERT_TRUE(WritePng("app/" + f, 4, 4));
    DynStrSet(sl::kSettings, sl::kAppFolder, StrOf((dir_ / "app").string()));
    DeviceRecord d = DeviceOpen("hdr.txt");
    ASSERT_EQ(ReportRun("", "INV.pdc", "", "", "", 0, "NONE", "", &d), kOk);
    std::string stored(DynStrGet(sl::kWork, sl::kPdfHeaderImage).view());
    EXPECT_EQ(std::filesystem::path(stored).filename().string(), c.want) << c.want;
    DeviceClose(d);
    // A report on its own device clears it when it ends, so a later PDF takes the common image.
    ASSERT_EQ(ReportRun("own.txt", "INV.pdc", "", "", "", 0, "NONE", "", nullptr), kOk);
    EXPECT_TRUE(DynStrGet(sl::kWork, sl::kPdfHeaderImage).empty());
    std::filesystem::remove_all("app");
  }
}

}  // namespace
}  // namespace eng::test
