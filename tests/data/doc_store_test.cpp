// Documents on disk: a delivery note (header file + lines file) and an
// invoice (header and lines in one file) created, reloaded, edited and
// deleted, with the record files checked after each step; the refusals that
// write nothing; a failing save that leaves the stored document as it was;
// and a save journal settled at the next start.
#include "data/doc_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/dyn_strings.h"
#include "core/exp_eval.h"
#include "core/field_access.h"
#include "core/msg_box.h"
#include "core/scratch_arena.h"
#include "core/string_lists.h"
#include "core/var_store.h"
#include "data/data_file_store.h"
#include "data/dict_layout.h"
#include "data/dict_load.h"
#include "data/doc_journal.h"
#include "data/field_ref.h"
#include "data/record_buffer.h"
#include "data/record_layer.h"
#include "data/relup_rules.h"
#include "data/session_state.h"
#include "platform/msgbox_headless.h"
#include "tests/data/doc_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

using namespace docs;
using Lines = std::vector<std::pair<std::string, long>>;  // item, quantity
using Records = std::vector<std::string>;

class DocStoreTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
    DataInstallFieldAccess();
    ASSERT_EQ(DynStrSet(sl::kSettings, sl::kIdentity, StrOf("DNTEST01:Demo")), kOk);
    WriteDictionary();
    // A total of the stored lines' quantities, kept by the lines' rule.
    Put("DNRELUP.DAT", "0200T=T+_SGN*QTY{2}\r\n");
    ASSERT_EQ(DictLoad(StrOf(""), StrOf("DN"), StrOf("")), kOk);
    OpenFiles();
    ASSERT_EQ(RelUpdLoad(kLineas, StrOf("")), kOk);
    ASSERT_EQ(ExpExecute(StrOf("T=0")), kOk);
  }
  void TearDown() override {
    CloseFiles();
    FieldAccessInstall(nullptr);
    MsgBoxSetService(nullptr);
    TempFolderTest::TearDown();
  }
  static void OpenFiles() {
    for (uint16_t f : {kAlbaranes, kLineas, kFac}) {
      Status s = DataFileOpen(f, 0);
      ASSERT_TRUE(s == kOk || s == 2) << f << ": " << s;
    }
  }
  static void CloseFiles() {
    for (uint16_t f : {kFac, kLineas, kAlbaranes}) DataFileClose(f);
  }

  // A delivery note as the window would hand it over: the header in the
  // header file's buffer, the lines filled one by one.
  static Status SaveNote(const std::string& num, const std::string& cliente, long ver, const Lines& lines,
                         uint16_t max_lines = 100, Status fail_at_line = 0) {
    EXPECT_EQ(DataFileMove(kAlbaranes, 1), 3);
    EXPECT_EQ(BufSetField(kAlbaranes, 1, StrOf(num)), kOk);
    EXPECT_EQ(BufSetField(kAlbaranes, 2, StrOf(cliente)), kOk);
    EXPECT_EQ(BufSetField(kAlbaranes, 3, StrOf(std::to_string(ver))), kOk);
    EXPECT_EQ(BufSetField(kAlbaranes, 4, StrOf(std::to_string(lines.size()))), kOk);
    DocSaveParts parts;
    parts.slot_list = StrOf("");
    parts.test = StrOf("");
    parts.max_lines = max_lines;
    parts.line_count = uint16_t(lines.size());
    parts.fill_line = [&](uint16_t n) -> Status {
      if (fail_at_line && n == 2) return fail_at_line;
      Status s = BufSetField(kLineas, 3, StrOf(lines[n - 1].first));
      if (!s) s = BufSetField(kLineas, 4, StrOf(std::to_string(lines[n - 1].second)));
      if (!s) s = BufSetField(kLineas, 5, StrOf(std::to_string(ver)));
      return s;
    };
    return DocSave({kAlbaranes, kLineas}, StrOf(Pad(num, 6)), parts);
  }
  // The lines of a note as loaded: their record images.
  static Status LoadNote(const std::string& key, uint16_t max_lines, Records* lines, DocLoadInfo* info) {
    return DocLoad({kAlbaranes, kLineas}, StrOf(key), max_lines,
                   [&](uint16_t) {
                     ScratchScope scope;
                     lines->push_back(BufRecord(kLineas, kBufCurrent).str());
                     return Status{kOk};
                   },
                   info);
  }
  static Records Notes() { return LiveRecords("albaranes.FD", 35); }
  static Records NoteLines() { return LiveRecords("lineas.FD", 30); }
  static Records Sorted(Records r) {
    std::sort(r.begin(), r.end());
    return r;
  }
  static std::string Total() {
    ScratchScope scope;
    return S(ExpEvalStr(StrOf("T")));
  }
  static std::string Field(uint16_t file, uint16_t field) {
    ScratchScope scope;
    return S(BufFieldText(file, field, kBufCurrent));
  }
};

TEST_F(DocStoreTest, DeliveryNoteCreatedEditedAndDeletedOnDisk) {
  // A neighbour whose key begins like the note's must never be touched.
  ASSERT_EQ(SaveNote("A10", "OTRO", 1, {{"X", 7}}), kOk);

  // Create.
  ASSERT_EQ(SaveNote("A1", "ACME", 1, {{"P1", 2}, {"P2", 3}, {"P3", 5}}), kOk);
  EXPECT_EQ(Notes(), Sorted({Albaran("A1", "ACME", 1, 3), Albaran("A10", "OTRO", 1, 1)}));
  EXPECT_EQ(NoteLines(), Sorted({Linea("A1", 1, "P1", 2, 1), Linea("A1", 2, "P2", 3, 1), Linea("A1", 3, "P3", 5, 1),
                                 Linea("A10", 1, "X", 7, 1)}));
  EXPECT_EQ(Total(), "17");
  EXPECT_FALSE(Has("albaranes.DJN")) << "the journal goes once the save is complete";

  // Reload: the header into the header file's buffer, the lines in order.
  Records lines;
  DocLoadInfo info;
  ASSERT_EQ(LoadNote("A1    ", 100, &lines, &info), kOk);
  EXPECT_TRUE(info.header_found);
  EXPECT_EQ(info.lines, 3);
  EXPECT_EQ(lines, (Records{Linea("A1", 1, "P1", 2, 1), Linea("A1", 2, "P2", 3, 1), Linea("A1", 3, "P3", 5, 1)}));
  EXPECT_EQ(Field(kAlbaranes, 2), Pad("ACME", 20));

  // Edit: a line inserted on top, line 2 deleted, a quantity changed; the
  // lines are numbered anew.
  ASSERT_EQ(SaveNote("A1", "ACME SA", 2, {{"P0", 10}, {"P1", 4}, {"P3", 5}}), kOk);
  EXPECT_EQ(Notes(), Sorted({Albaran("A1", "ACME SA", 2, 3), Albaran("A10", "OTRO", 1, 1)}));
  EXPECT_EQ(NoteLines(), Sorted({Linea("A1", 1, "P0", 10, 2), Linea("A1", 2, "P1", 4, 2), Linea("A1", 3, "P3", 5, 2),
                                 Linea("A10", 1, "X", 7, 1)}));
  EXPECT_EQ(Total(), "26") << "old lines taken back, new ones applied";

  // Fewer lines: the old tail goes.
  ASSERT_EQ(SaveNote("A1", "ACME SA", 3, {{"P9", 1}}), kOk);
  EXPECT_EQ(NoteLines(), Sorted({Linea("A1", 1, "P9", 1, 3), Linea("A10", 1, "X", 7, 1)}));
  EXPECT_EQ(Total(), "8");

  // Delete: every record of the note, nothing of the neighbour.
  ASSERT_EQ(DocDelete({kAlbaranes, kLineas}, StrOf("A1    "), StrOf(""), StrOf("")), kOk);
  EXPECT_EQ(Notes(), Records{Albaran("A10", "OTRO", 1, 1)});
  EXPECT_EQ(NoteLines(), Records{Linea("A10", 1, "X", 7, 1)});
  EXPECT_EQ(Total(), "7");
  EXPECT_EQ(DocDelete({kAlbaranes, kLineas}, StrOf("A1    "), StrOf(""), StrOf("")), kStEndOfData);
  lines.clear();
  ASSERT_EQ(LoadNote("A1    ", 100, &lines, &info), kOk);
  EXPECT_FALSE(info.header_found);
  EXPECT_TRUE(lines.empty());
  EXPECT_FALSE(Has("albaranes.DJN"));
}

// Header and lines in one file: the header keeps N_LINE blank and is no
// line; the lines take the header's fields from the shared buffer.
TEST_F(DocStoreTest, InvoiceInOneFileKeepsItsHeaderApartFromItsLines) {
  auto header = [] {
    ASSERT_EQ(DataFileMove(kFac, 1), 3);
    ASSERT_EQ(BufSetField(kFac, 1, StrOf("A")), kOk);
    ASSERT_EQ(BufSetField(kFac, 2, StrOf("000001")), kOk);
    ASSERT_EQ(BufSetField(kFac, 4, StrOf("ACME")), kOk);
  };
  auto save = [](const Lines& lines) {
    ScratchScope scope;
    std::string key = DocKeyText(kFac, 1, BufFileKeyValue(kFac, 1), -1).str();
    EXPECT_EQ(key, "A 000001");
    DocSaveParts parts;
    parts.line_count = uint16_t(lines.size());
    parts.fill_line = [&](uint16_t n) {
      Status s = BufSetField(kFac, 5, StrOf(lines[n - 1].first));
      return s ? s : BufSetField(kFac, 6, StrOf(std::to_string(lines[n - 1].second)));
    };
    return DocSave({kFac, kFac}, StrOf(key), parts);
  };
  header();
  ASSERT_EQ(save({{"TORN", 4}, {"CLAV", 9}}), kOk);
  EXPECT_EQ(LiveRecords("fac.FD", 46), Sorted({Fac("A", "000001", 0, "ACME"), Fac("A", "000001", 1, "ACME", "TORN", 4),
                                               Fac("A", "000001", 2, "ACME", "CLAV", 9)}));

  Records lines;
  DocLoadInfo info;
  ASSERT_EQ(DocLoad({kFac, kFac}, StrOf("A 000001"), 100,
                    [&](uint16_t) {
                      ScratchScope scope;
                      lines.push_back(BufRecord(kFac, kBufCurrent).str());
                      return Status{kOk};
                    },
                    &info),
            kOk);
  EXPECT_TRUE(info.header_found);
  EXPECT_EQ(lines, (Records{Fac("A", "000001", 1, "ACME", "TORN", 4), Fac("A", "000001", 2, "ACME", "CLAV", 9)}));
  EXPECT_EQ(Field(kFac, 3), "   ") << "the header is back in the buffer after the lines";

  ASSERT_EQ(save({{"TUER", 1}}), kOk);
  EXPECT_EQ(LiveRecords("fac.FD", 46),
            Sorted({Fac("A", "000001", 0, "ACME"), Fac("A", "000001", 1, "ACME", "TUER", 1)}));
  ASSERT_EQ(DocDelete({kFac, kFac}, StrOf("A 000001"), StrOf(""), StrOf("")), kOk);
  EXPECT_TRUE(LiveRecords("fac.FD", 46).empty());
}

TEST_F(DocStoreTest, DocumentKeyFromAKeyValue) {
  struct Case {
    uint16_t file;
    const char* text;
    int n;
    const char* key;
  } cases[] = {
      {kFac, "A 000001  7", -1, "A 000001"},
      {kFac, "A 000001  7", 0, "A 000001   "},
      {kFac, "A 000001  7", 12, "A 000001 12"},
      {kLineas, "A1      4", 3, "A1      3"},
      // Without N_LINE the whole value: a shorter prefix would take in the
      // records of "A10" as well.
      {kAlbaranes, "A1    ", -1, "A1    "},
  };
  for (const Case& c : cases) {
    ScratchScope scope;
    EXPECT_EQ(S(DocKeyText(c.file, 1, StrOf(c.text), c.n)), c.key) << c.text << " " << c.n;
  }
}

// A blank key, and a stored note with more lines than the caller's buffer
// holds: the status, and not a byte written.
TEST_F(DocStoreTest, RefusalsWriteNothing) {
  ASSERT_EQ(SaveNote("B1", "ACME", 1, {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}}), kOk);
  const std::string notes = Get("albaranes.FD"), lines = Get("lineas.FD");
  const std::string total = Total();

  // "\x1b     " is the key of a blank record (its empty-record mark first).
  for (const char* blank : {"", "      ", "\x1b     "}) {
    SCOPED_TRACE(std::string("'") + blank + "'");
    Records got;
    EXPECT_EQ(LoadNote(blank, 100, &got, nullptr), kStEndOfData);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(SaveNote(blank, "NADIE", 1, {{"z", 9}}), kStEndOfData);
    EXPECT_EQ(DocDelete({kAlbaranes, kLineas}, StrOf(blank), StrOf(""), StrOf("")), kStEndOfData);
  }

  // Loaded into three lines: the first three, and 124.
  Records got;
  DocLoadInfo info;
  EXPECT_EQ(LoadNote("B1    ", 3, &got, &info), kStUndefinedWarning);
  EXPECT_EQ(info.lines, 3);
  EXPECT_EQ(got, (Records{Linea("B1", 1, "a", 1, 1), Linea("B1", 2, "b", 2, 1), Linea("B1", 3, "c", 3, 1)}));
  // Saved from three lines: the other two would be lost.
  EXPECT_EQ(SaveNote("B1", "ACME", 2, {{"a", 1}, {"b", 2}, {"c", 3}}, 3), kStUndefinedWarning);

  EXPECT_EQ(Get("albaranes.FD"), notes);
  EXPECT_EQ(Get("lineas.FD"), lines);
  EXPECT_EQ(Total(), total);
  EXPECT_FALSE(Has("albaranes.DJN"));
}

// A save that fails after the deletions began puts the stored note back as
// it was, its rule effects included, and reports the failure.
TEST_F(DocStoreTest, FailedSaveLeavesTheStoredDocumentAsItWas) {
  ASSERT_EQ(SaveNote("C1", "ACME", 1, {{"a", 1}, {"b", 2}, {"c", 3}}), kOk);
  const Records notes = Notes(), lines = NoteLines();
  ASSERT_EQ(Total(), "6");

  EXPECT_EQ(SaveNote("C1", "CAMBIADO", 2, {{"x", 10}, {"y", 20}, {"z", 30}}, 100, kStBadExpression),
            kStBadExpression);
  EXPECT_EQ(Notes(), notes);
  EXPECT_EQ(NoteLines(), lines);
  EXPECT_EQ(Total(), "6");
  EXPECT_FALSE(Has("albaranes.DJN"));

  // A header writer that fails: the same.
  DocSaveParts parts;
  parts.headers = [](const DocAddFn& add) {
    Status s = add();
    return s ? s : Status{kStFileIo};
  };
  EXPECT_EQ(DocSave({kAlbaranes, kLineas}, StrOf("C1    "), parts), kStFileIo);
  EXPECT_EQ(Notes(), notes);
  EXPECT_EQ(NoteLines(), lines);
  EXPECT_EQ(Total(), "6");

  // A new note whose save fails leaves nothing behind.
  EXPECT_EQ(SaveNote("C2", "NUEVO", 1, {{"x", 10}, {"y", 20}}, 100, kStBadExpression), kStBadExpression);
  EXPECT_EQ(Notes(), notes);
  EXPECT_EQ(NoteLines(), lines);
}

// Another program deletes a line of a loaded note: the save writes the note
// whole as the caller holds it, once.
TEST_F(DocStoreTest, LineDeletedByAnotherProgramBeforeTheSave) {
  const Lines three{{"a", 1}, {"b", 2}, {"c", 3}};
  ASSERT_EQ(SaveNote("D1", "ACME", 1, three), kOk);
  {
    DataFileStore other;
    ASSERT_EQ(other.Open(DataFileNames{"lineas.FD", "lineas.DIR", ""}, DictFileLayout(kLineas), 0), kOk);
    std::string rec;
    NdxResult r = other.Locate(1, "D1      2", &rec);
    ASSERT_EQ(r.position, kNdxFound);
    ASSERT_EQ(other.Delete(r.recno, 1), kOk);
    ASSERT_EQ(other.Close(), kOk);
  }
  ASSERT_EQ(NoteLines().size(), 2u);
  ASSERT_EQ(SaveNote("D1", "ACME", 2, three), kOk);
  EXPECT_EQ(NoteLines(), (Records{Linea("D1", 1, "a", 1, 2), Linea("D1", 2, "b", 2, 2), Linea("D1", 3, "c", 3, 2)}));
  EXPECT_EQ(Notes(), Records{Albaran("D1", "ACME", 2, 3)});
}

// A save cut off after its journal was written: the next start puts the
// note back whole, whether the session ended cleanly or not.
TEST_F(DocStoreTest, NextStartPutsBackADocumentWhoseSaveWasCutOff) {
  plat::HeadlessMsgBox box(plat::HeadlessMsgBox::Mode::kBatch, nullptr);
  MsgBoxSetService(&box);
  for (const char* state : {"0", "1"}) {
    SCOPED_TRACE(state);
    ASSERT_EQ(SaveNote("E1", "ACME", 1, {{"a", 1}, {"b", 2}}), kOk);
    ASSERT_EQ(SaveNote("E2", "OTRO", 1, {{"c", 3}}), kOk);
    const Records notes = Notes(), lines = NoteLines();
    // What a save of E1 leaves when it dies after deleting the header and
    // adding a new line.
    DocJournal j;
    j.header = kAlbaranes;
    j.lines = kLineas;
    j.key = "E1    ";
    j.records = {{kAlbaranes, Albaran("E1", "ACME", 1, 2)},
                 {kLineas, Linea("E1", 1, "a", 1, 1)},
                 {kLineas, Linea("E1", 2, "b", 2, 1)}};
    ASSERT_EQ(DocJournalWrite(j), kOk);
    ASSERT_EQ(DocDeleteKeyRecords(kAlbaranes, "E1    ", 0, StrOf(""), StrOf("")), kOk);
    ASSERT_EQ(DocDeleteKeyRecords(kLineas, "E1    ", 0, StrOf(""), StrOf("")), kOk);
    ASSERT_EQ(DataFileMove(kLineas, 1), 3);
    ASSERT_EQ(BufStore(kLineas, kBufCurrent, StrOf(Linea("E1", 1, "new", 9, 2))), kOk);
    ASSERT_EQ(DataFileAddRecord(kLineas), kOk);
    CloseFiles();
    ASSERT_NE(NoteLines(), lines);

    Put("DNFSTAT.DAT", state);
    ASSERT_EQ(SessionStateCheck(1), kOk);
    EXPECT_EQ(Notes(), notes);
    EXPECT_EQ(NoteLines(), lines);
    EXPECT_FALSE(Has("albaranes.DJN"));
    EXPECT_EQ(SessionStateCheck(0), kOk);
    OpenFiles();
    ASSERT_EQ(DocDelete({kAlbaranes, kLineas}, StrOf("E1    "), StrOf(""), StrOf("")), kOk);
    ASSERT_EQ(DocDelete({kAlbaranes, kLineas}, StrOf("E2    "), StrOf(""), StrOf("")), kOk);
  }
}

}  // namespace
}  // namespace eng::test
