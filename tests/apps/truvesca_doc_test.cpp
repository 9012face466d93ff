// truvesca's documents in-process on its sample dictionary: the update
// rules that keep a delivery note's record in step with its document, and
// the invoice document commands of hook 12 by event (number check, saves of
// the invoice and its registry record, deletes of the invoice with its
// registry and payment records, redundant related records).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/truvesca/inv_doc.h"
#include "apps/truvesca/ln_man_win.h"
#include "core/module_parms.h"
#include "core/dyn_strings.h"
#include "ui/accept_win.h"
#include "core/msg_box.h"
#include "data/doc_store.h"
#include "data/open_state.h"
#include "output/report_runner.h"
#include <fstream>
#include <iterator>
#include "data/hooked_write.h"
#include "platform/msgbox_headless.h"
#include "tests/apps/truvesca_sample_fixture.h"

namespace eng::test {
namespace {

using plat::MsgAnswer;
using trsample::kInvoices;
using trsample::kNotes;
using trsample::kPayments;
using trsample::kRegistry;

constexpr const char* kEvents = "INIT,LOAD,CHECK,SAVE,DELETE";
constexpr const char* kLineSlots = "1+(N_LINE{}>0)";

class TruvescaDocTest : public TruvescaSampleTest {
 protected:
  void SetUp() override {
    TruvescaSampleTest::SetUp();
    MsgBoxSetService(&box_);
  }
  void TearDown() override {
    MsgBoxSetService(nullptr);
    while (DynStrCount(sl::kModuleParms)) ParmPop();
    ParmCtxSet(0, StrOf(""));
    TruvescaSampleTest::TearDown();
  }
  // The document window's definition in effect, its event selected and the
  // invoice file current.
  static void Definition(const std::string& items, int event) {
    while (DynStrCount(sl::kModuleParms)) ParmPop();
    ASSERT_EQ(DynStrPush(sl::kModuleParms, StrOf(items)), kOk);
    ASSERT_EQ(ParmCtxSet(uint16_t(event), StrOf(kEvents)), kOk);
    SysVarSet(kVarCurFil, kFacturas);
  }
  static Status Hook(const char* commands) { return truvesca::InvDocHook(StrFromC(commands)); }
  // An event of the document window whose definition is in effect: its
  // PRCNAME$ (the event's form first) calls the hook it names.
  static Status Event(int event) {
    ScratchScope scope;
    EXPECT_EQ(ParmCtxSet(uint16_t(event), StrOf(kEvents)), kOk);
    const std::string hook = ParmGet(kParmPrcName).str();
    const Status s = hook.empty() ? Status{kOk} : ExpCallHookText(StrOf(hook));
    ParmCtxSet(0, StrOf(""));
    return s;
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const auto& e : box_.log()) out.push_back(e.text);
    box_.ClearLog();
    return out;
  }
  // An invoice: its lines and header, its registry record, its payments.
  static void Invoice(const std::string& number, int lines, int payments) {
    for (int n = 1; n <= lines; ++n)
      ASSERT_EQ(Add(kFacturas, "SERIE{14}='F24',FACTURA{14}='" + number + "',N_LINE{14}=" + std::to_string(n) +
                                   ",TOTAL{14}=10"),
                kOk);
    ASSERT_EQ(Add(kFacturas, "SERIE{14}='F24',FACTURA{14}='" + number + "',TOTAL{14}=" + std::to_string(10 * lines)),
              kOk);
    ASSERT_EQ(Add(kRegistro, "SERIE{6}='F24',FACTURA{6}='" + number + "',TOTAL{6}=" + std::to_string(10 * lines)),
              kOk);
    for (int n = 1; n <= payments; ++n)
      ASSERT_EQ(Add(kVencimientos, "SERIE{7}='F24',FACTURA{7}='" + number + "',N_LINE{7}=" + std::to_string(n) +
                                       ",IMPORTE{7}=5"),
                kOk);
  }
  // Puts the invoice file on the invoice's header, as a loaded document.
  static void Load(const std::string& number) {
    ScratchScope scope;
    ASSERT_EQ(DataFileLocate(kFacturas, 1, StrOf("F24" + number + "   "), 0), kOk);
    SysVarSet(kVarCurFil, kFacturas);
  }

  plat::HeadlessMsgBox box_;
};

// A delivery note is typed as a document in the note lines file: its header
// (no line number) and its lines. The rules give the invoicing run the note's
// record: the header's date, customer, pay method and VAT, the lines' sum as
// base; a rewritten or deleted line takes its old amount back.
TEST_F(TruvescaDocTest, TheRulesKeepTheNoteOfADocument) {
  ASSERT_EQ(Add(kLineas, "ALBARAN{8}=301,FECHA{8}='20240226',CLIENTE{8}=21,FPAGO{8}='01',IVA{8}=21", kLineSlots),
            kOk);
  const char* lines[] = {"ARTICULO{8}='TORNILLOS',CANTIDAD{8}=10,PRECIO{8}=1.5",
                         "ARTICULO{8}='BROCAS',CANTIDAD{8}=4,PRECIO{8}=2.25",
                         "ARTICULO{8}='PINTURA',CANTIDAD{8}=2,PRECIO{8}=18.75"};
  int n = 0;
  for (const char* line : lines)
    ASSERT_EQ(Add(kLineas, "ALBARAN{8}=301,N_LINE{8}=" + std::to_string(++n) + "," + line, kLineSlots), kOk);
  EXPECT_EQ(Records("albara_ventas.FD", kNotes), (std::vector<std::string>{"301|20240226|21|01|61.50|21"}));

  // The second line deleted: its amount goes.
  {
    ScratchScope scope;
    ASSERT_EQ(DataFileLocate(kLineas, 1, StrOf("   301  2"), 0), kOk);
    SysVarSet(kVarCurFil, kLineas);
    ASSERT_EQ(DataFileWriteHooked(kWriteDelete, kLineas, StrOf(kLineSlots), StrOf("")), kOk);
  }
  EXPECT_EQ(Records("albara_ventas.FD", kNotes), (std::vector<std::string>{"301|20240226|21|01|52.50|21"}));
}

// The same note saved twice as a whole document (as the document window
// saves it: the stored document deleted, then header and lines written): the
// note's record is there once, with the lines' sum, and nothing else was
// written to the notes file.
TEST_F(TruvescaDocTest, SavingADocumentTwiceKeepsOneNote) {
  const char* lines[] = {"ARTICULO{8}='TORNILLOS',CANTIDAD{8}=10,PRECIO{8}=1.5",
                         "ARTICULO{8}='BROCAS',CANTIDAD{8}=4,PRECIO{8}=2.25",
                         "ARTICULO{8}='PINTURA',CANTIDAD{8}=2,PRECIO{8}=18.75"};
  for (uint16_t f : {kAlbaranes, kLineas}) DataFileClose(f);
  ASSERT_EQ(DataFileOpenState(StrOf("albara_ventas;2,8;2")), kOk);
  ASSERT_EQ(RelUpdLoad(kLineas, StrOf("")), kOk);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(Fill(kLineas, "ALBARAN{8}=301,FECHA{8}='20240226',CLIENTE{8}=21,FPAGO{8}='01',IVA{8}=21"), kOk);
    DocSaveParts parts;
    parts.slot_list = StrOf(kLineSlots);
    parts.test = StrOf("");
    parts.line_count = 3;
    parts.fill_line = [&](uint16_t n) { return Run(lines[n - 1]); };
    ASSERT_EQ(DocSave(DocFiles{kLineas, kLineas}, StrOf("   301"), parts), kOk);
    EXPECT_EQ(Records("albara_ventas.FD", kNotes), (std::vector<std::string>{"301|20240226|21|01|61.50|21"}));
    EXPECT_EQ(Records("lineas_albaran.FD", trsample::kNoteLines).size(), 4u);
    EXPECT_EQ(std::filesystem::file_size(dir_ / "albara_ventas.FD"), 42u);
  }
}

TEST_F(TruvescaDocTest, CommandsAnswerByEvent) {
  struct Case {
    const char* what;
    int event;
    const char* set;
    const char* commands;
    Status answer;
    size_t boxes;
  };
  const Case cases[] = {
      {"every command at INIT", 1, "0", "Invoice", kStDataError, 0},
      {"a number that exists at LOAD", 2, "1", "Invoice", kStDataError, 1},
      {"a free number at LOAD", 2, "0", "Invoice", kOk, 0},
      {"a command without an action at LOAD", 2, "0", "Registry", kStDataError, 0},
      {"an unknown command", 4, "0", "Factura", kStDataError, 0},
      {"a refusal ends the list", 2, "1", "Invoice,Factura", kStDataError, 1},
      {"the registry at CHECK", 3, "1", "Registry", kStDataError, 0},
      {"the invoice at CHECK", 3, "1", "Invoice", kStDataError, 0},
      {"payments at SAVE", 4, "1", "Payments vencimientos", kStDataError, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Definition(std::string("SET$:=\"") + c.set + "\"", c.event);
    for (size_t i = 0; i < c.boxes; ++i) box_.Queue(MsgAnswer::kOk);
    EXPECT_EQ(Hook(c.commands), c.answer);
    std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), c.boxes);
    if (c.boxes) EXPECT_NE(boxes[0].find("de Factura existente"), std::string::npos) << boxes[0];
  }
  EXPECT_EQ(truvesca::DataFileOpRemoved(kFacturas, 1, StrOf("x")), kStNotAvailable);
}

// SAVE: the registry record is added (SET$ not 0) or rewritten (0) from
// WR_EXP$; the invoice's header and lines statements run while SET$ holds,
// and a false SET$ only warns.
TEST_F(TruvescaDocTest, SaveWritesTheRegistryRecordAndRunsTheInvoiceStatements) {
  ASSERT_EQ(Add(kFacturas, "SERIE{14}='F24',FACTURA{14}='0006',TOTAL{14}=10"), kOk);
  Load("0006");
  const std::string items =
      "SAVE.SET$:=\"1\":WR_EXP$:=\"SERIE{6}=SERIE{14},FACTURA{6}=FACTURA{14},TOTAL{6}=TOTAL{14}+1\":"
      "WRITECAB0$:=\"CAB=1\":WRITELINS$:=\"LIN=2\"";
  // A new invoice: its registry record is added.
  ASSERT_EQ(DataFileMove(kRegistro, 1), 3);
  Definition(items, 4);
  ASSERT_EQ(Run("CAB=0,LIN=0"), kOk);
  EXPECT_EQ(Hook("Registry"), kOk);
  EXPECT_EQ(Records("registro.FD", kRegistry), (std::vector<std::string>{"F24|0006|||11.00"}));
  // A changed one: the record in the buffer is rewritten.
  Definition("SAVE.SET$:=\"0\":WR_EXP$:=\"TOTAL{6}=TOTAL{14}+5\"", 4);
  EXPECT_EQ(Hook("Registry"), kOk);
  EXPECT_EQ(Records("registro.FD", kRegistry), (std::vector<std::string>{"F24|0006|||15.00"}));

  Definition(items, 4);
  EXPECT_EQ(Hook("Invoice"), kOk);
  ScratchScope scope;
  EXPECT_EQ(S(ExpEvalStr(StrOf("CAB+LIN"))), "3");
  EXPECT_TRUE(Boxes().empty());
  Definition("SAVE.SET$:=\"0\":WRITECAB0$:=\"CAB=5\"", 4);
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(Hook("Invoice"), kOk);
  EXPECT_EQ(S(ExpEvalStr(StrOf("CAB"))), "1");
  EXPECT_EQ(Boxes().size(), 1u);
}

// The sample's invoice window saved: the document window has written the
// invoice (its header with a new customer and total) and its SAVE event
// calls hook 12 with the window's definition. The registry record takes the
// header's customer, date and total, the payment the total; an invoice
// without a registry record gets one. Its CHECK event calls no command.
TEST_F(TruvescaDocTest, TheSampleInvoiceWindowKeepsTheRegistryAndPaymentOnSave) {
  namespace fs = std::filesystem;
  fs::copy_file(fs::path(SAMPLES_DIR) / "truvesca" / "sample" / "apps" / "FACTURAS.PPN", dir_ / "FACTURAS.PPN");
  HookSetFn(&truvesca::InvDocHook, 12);
  Invoice("0006", 2, 1);
  Invoice("0007", 1, 1);
  // The window's save of 0006: the header rewritten, the buffer left on the
  // last line as the lines' writes leave it.
  Load("0006");
  ASSERT_EQ(Run("CLIENTE{14}=22,FECHA{14}='20240305',TOTAL{14}=35"), kOk);
  ASSERT_EQ(DataFileWriteHooked(kWriteRewrite, kFacturas, StrOf(""), StrOf("")), kOk);
  {
    ScratchScope scope;
    ASSERT_EQ(DataFileLocate(kFacturas, 1, StrOf("F240006  2"), 0), kOk);
  }
  SysVarSet(kVarCurFil, kFacturas);
  while (DynStrCount(sl::kModuleParms)) ParmPop();
  ASSERT_EQ(ParmPushDef(StrOf("FACTURAS.PPN"), 1, 1), kOk);
  EXPECT_EQ(Event(3), kOk);
  EXPECT_EQ(Event(4), kOk);
  EXPECT_EQ(Records("registro.FD", kRegistry),
            (std::vector<std::string>{"F24|0006|20240305|22|35.00", "F24|0007|||10.00"}));
  EXPECT_EQ(Records("vencimientos.FD", kPayments),
            (std::vector<std::string>{"F24|0006|1||35.00", "F24|0007|1||5.00"}));

  // An invoice whose registry record is missing gets one.
  ASSERT_EQ(Add(kFacturas, "SERIE{14}='F24',FACTURA{14}='0008',CLIENTE{14}=23,TOTAL{14}=12.5"), kOk);
  Load("0008");
  EXPECT_EQ(Event(4), kOk);
  EXPECT_EQ(Records("registro.FD", kRegistry),
            (std::vector<std::string>{"F24|0006|20240305|22|35.00", "F24|0007|||10.00", "F24|0008||23|12.50"}));
  EXPECT_TRUE(Boxes().empty());
  HookSetFn(static_cast<HookTextFn>(nullptr), 12);
}

// DELETE: the invoice's records, its registry record and its payments go;
// the other invoice stays whole. A registry record that is not there is
// shown and the list goes on.
TEST_F(TruvescaDocTest, DeleteRemovesTheInvoiceWithItsRegistryAndPayments) {
  Invoice("0006", 2, 2);
  Invoice("0007", 1, 1);
  Load("0006");
  Definition("", 5);
  EXPECT_EQ(Hook("Invoice,Payments vencimientos"), kOk);
  EXPECT_EQ(Records("facturas.FD", kInvoices),
            (std::vector<std::string>{"F24|0007|1||||||10.00", "F24|0007|||||||10.00"}));
  EXPECT_EQ(Records("registro.FD", kRegistry), (std::vector<std::string>{"F24|0007|||10.00"}));
  EXPECT_EQ(Records("vencimientos.FD", kPayments), (std::vector<std::string>{"F24|0007|1||5.00"}));
  EXPECT_TRUE(Boxes().empty());

  // The registry record of 0007 deleted behind the window's back.
  Load("0007");
  Definition("", 5);
  {
    ScratchScope scope;
    ASSERT_EQ(DataFileLocate(kRegistro, 1, StrOf("F240007"), 0), kOk);
    ASSERT_EQ(DataFileWriteHooked(kWriteDelete, kRegistro, StrOf(""), StrOf("")), kOk);
  }
  SysVarSet(kVarCurFil, kFacturas);
  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(Hook("Registry,Payments vencimientos"), kOk);
  std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Datos en Registro no encontrados");
  EXPECT_TRUE(Records("vencimientos.FD", kPayments).empty()) << "the list went on after the box";
}

// The invoicing run's confirmation print (the sample's kvInvSel.pdc) shows
// the note the file is on, and only that note.
TEST_F(TruvescaDocTest, TheConfirmationPrintShowsTheNote) {
  namespace fs = std::filesystem;
  fs::copy_file(fs::path(SAMPLES_DIR) / "truvesca" / "sample" / "apps" / "kvInvSel.pdc", dir_ / "kvInvSel.pdc");
  for (const char* note : {"ALBARAN{4}=201,FECHA{4}='20240205',CLIENTE{4}=21,FPAGO{4}='01',BASE{4}=25,IVA{4}=21",
                           "ALBARAN{4}=202,FECHA{4}='20240206',CLIENTE{4}=22,FPAGO{4}='02',BASE{4}=7.5,IVA{4}=4"})
    ASSERT_EQ(Add(kAlbaranes, note), kOk);
  {
    ScratchScope scope;
    ASSERT_EQ(DataFileLocate(kAlbaranes, 1, StrOf("   202"), 0), kOk);
  }
  SysVarSet(kVarCurFil, kAlbaranes);
  ASSERT_EQ(ReportRun("NOTA.TXT", "kvInvSel.pdc", "", "", "   202", 0, "", "", nullptr), kOk);
  std::ifstream in("NOTA.TXT", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  text.erase(text.find_last_not_of("\r\n") + 1);
  EXPECT_EQ(text, "Albaran    202   Fecha 20240206   Cliente    22\r\nBase       7.50   IVA  4 %  Forma de pago 02");
}

// The fast find of the note documents: the first note of a range of key 2
// (date + number) is read, an empty condition taking the range alone, and
// the accept memory holds the key number, the found key, the upper bound and
// the condition for the next page key; a range with no note is shown and
// the memory stays.
TEST_F(TruvescaDocTest, FastFindReadsTheFirstNoteOfTheRange) {
  for (const char* note : {"ALBARAN{4}=203,FECHA{4}='20240214',CLIENTE{4}=22",
                           "ALBARAN{4}=201,FECHA{4}='20240205',CLIENTE{4}=21",
                           "ALBARAN{4}=301,FECHA{4}='20240304',CLIENTE{4}=21"})
    ASSERT_EQ(Add(kAlbaranes, note), kOk);
  SysVarSet(kVarCurFil, kAlbaranes);
  ASSERT_EQ(truvesca::MovsUpdateFields(0, StrOf("20240201"), StrOf("20240229"), StrOf("")), kOk);
  EXPECT_EQ(S(BufGetField(kAlbaranes, 1)), "   201");
  EXPECT_EQ(S(DynStrGet(sl::kWork, kAcceptValues)), "'2','20240205   201','20240229',''");
  // With a condition: the first note of the range that satisfies it.
  ASSERT_EQ(truvesca::MovsUpdateFields(2, StrOf("20240201"), StrOf("20240229"), StrOf("CLIENTE{4}==22")), kOk);
  EXPECT_EQ(S(BufGetField(kAlbaranes, 1)), "   203");
  EXPECT_EQ(S(DynStrGet(sl::kWork, kAcceptValues)), "'2','20240214   203','20240229','CLIENTE{4}==22'");

  box_.Queue(MsgAnswer::kOk);
  EXPECT_NE(truvesca::MovsUpdateFields(2, StrOf("20240401"), StrOf("20240430"), StrOf("")), kOk);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(S(DynStrGet(sl::kWork, kAcceptValues)), "'2','20240214   203','20240229','CLIENTE{4}==22'");
  EXPECT_EQ(truvesca::LogoImageDelete(), kOk);
}

// Redundant related records: several identical ones are deleted only when
// the user says yes to the question that counts them; one goes at once;
// none is a warning.
TEST_F(TruvescaDocTest, RedundantRecordsAreDeletedAfterTheQuestion) {
  // Adds of the same key are stored, answering 6.
  for (int i = 0; i < 3; ++i) ASSERT_LE(Add(kRegistro, "SERIE{6}='F24',FACTURA{6}='0009',TOTAL{6}=1"), 6);
  ASSERT_EQ(Add(kRegistro, "SERIE{6}='F24',FACTURA{6}='0010',TOTAL{6}=1"), kOk);
  auto redundant = [](const char* number) {
    ScratchScope scope;
    EXPECT_EQ(Fill(kRegistro, std::string("SERIE{6}='F24',FACTURA{6}='") + number + "'"), kOk);
    return truvesca::InvDeleteRedundant(kRegistro, StrOf("TOTAL{6}==1"));
  };
  box_.Queue(MsgAnswer::kNo);
  EXPECT_EQ(redundant("0009"), kOk);
  std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("Datos redundantes. 3 registros identicos"), std::string::npos) << boxes[0];
  EXPECT_EQ(Records("registro.FD", kRegistry).size(), 4u);

  box_.Queue(MsgAnswer::kYes);
  EXPECT_EQ(redundant("0009"), kOk);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Records("registro.FD", kRegistry), (std::vector<std::string>{"F24|0010|||1.00"}));

  EXPECT_EQ(redundant("0010"), kOk);
  EXPECT_TRUE(Boxes().empty()) << "one record goes without a question";
  EXPECT_TRUE(Records("registro.FD", kRegistry).empty());

  box_.Queue(MsgAnswer::kOk);
  EXPECT_EQ(redundant("0011"), kOk);
  boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("No hay datos"), std::string::npos) << boxes[0];
}

}  // namespace
}  // namespace eng::test
