// Record buffers over the shared fixture: parts, blanking, change detection,
// field reads and writes, key values.
#include <gtest/gtest.h>

#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/sys_vars.h"
#include "data/record_buffer.h"
#include "tests/support/data_fixture.h"

namespace eng::test {
namespace {

class RecordBufferTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    for (uint16_t f = 1; f <= fx::kFileCount; ++f) ASSERT_EQ(BufInit(f), kOk);
  }
  // A movs record: CODE(10) N_LINE(3) DATE(8) AMT(10).
  static std::string Movs(const std::string& code, const std::string& line, const std::string& date,
                          const std::string& amt) {
    auto pad = [](std::string s, size_t n, bool right) {
      if (s.size() < n) s = right ? std::string(n - s.size(), ' ') + s : s + std::string(n - s.size(), ' ');
      return s;
    };
    return pad(code, 10, false) + pad(line, 3, true) + pad(date, 8, false) + pad(amt, 10, true);
  }
};

TEST_F(RecordBufferTest, InitGivesTwiceTheRecordLengthOfBlanks) {
  EXPECT_EQ(S(BufRecord(fx::kMovs, kBufBoth)), std::string(62, ' '));
  EXPECT_EQ(BufRecord(fx::kMovs, kBufCurrent).len, 31);
  EXPECT_EQ(BufRecord(fx::kMovs, kBufSaved).len, 31);
  EXPECT_EQ(BufRecord(fx::kMovs, 4).len, kStDataError);
}

TEST_F(RecordBufferTest, ABufferOfTheWrongLengthAnswers169Everywhere) {
  ASSERT_EQ(DynStrSet(dl::kBuffers, fx::kTotales - 1, StrOf("short")), kOk);
  EXPECT_EQ(BufRecord(fx::kTotales, kBufCurrent).len, kStFileNotInit);
  EXPECT_EQ(BufStore(fx::kTotales, kBufCurrent, StrOf("x")), kStFileNotInit);
  EXPECT_EQ(BufCopyPart(fx::kTotales, 1), kStFileNotInit);
  EXPECT_EQ(BufBlank(fx::kTotales, 1), kStFileNotInit);
  EXPECT_EQ(BufChanged(fx::kTotales), kStFileNotInit);
  EXPECT_EQ(BufFieldText(fx::kTotales, 1, 1).len, kStFileNotInit);
  EXPECT_EQ(BufSetField(fx::kTotales, 1, StrOf("A")), kStFileNotInit);
  EXPECT_EQ(BufFileKeyValue(fx::kTotales, 1).len, kStFileNotInit);
  EXPECT_EQ(ErrLastCode(), kStBadFileNumber);
  EXPECT_EQ(ErrLastModule(), kModBufferFld);
  EXPECT_EQ(S(DynStrGet(dl::kBuffers, fx::kTotales - 1)), "short");
  EXPECT_EQ(BufInit(fx::kTotales), kOk);
  EXPECT_EQ(BufRecord(fx::kTotales, kBufCurrent).len, 22);
}

TEST_F(RecordBufferTest, FileNumbersResolveToTheCurrentFileAndAreChecked) {
  SysVarSet(kVarCurFil, fx::kTotales);
  EXPECT_EQ(BufRecord(0, kBufCurrent).len, 22);
  EXPECT_EQ(BufRecord(9, kBufCurrent).len, 22);
  SysVarSet(kVarCurFil, 0);
  EXPECT_EQ(BufRecord(0, kBufCurrent).len, kStDataOutBound);
  EXPECT_EQ(BufInit(0), kStDataOutBound);
}

TEST_F(RecordBufferTest, ReadRecordIsUnchangedUntilAFieldIsWritten) {
  std::string rec = Movs("C1", "1", "20240305", "12.50");
  ASSERT_EQ(BufStore(fx::kMovs, kBufCurrent, StrOf(rec)), kOk);
  ASSERT_EQ(BufCopyPart(fx::kMovs, 1), kOk);  // as a read does
  EXPECT_EQ(BufChanged(fx::kMovs), 0);
  ASSERT_EQ(BufSetField(fx::kMovs, 1, StrOf("C2")), kOk);
  EXPECT_EQ(BufChanged(fx::kMovs), 1);
  EXPECT_EQ(S(BufFieldText(fx::kMovs, 1, kBufSaved)), "C1        ");
  ASSERT_EQ(BufCopyPart(fx::kMovs, 2), kOk);
  EXPECT_EQ(BufChanged(fx::kMovs), 0);
  EXPECT_EQ(S(BufRecord(fx::kMovs, kBufCurrent)), rec);
  EXPECT_EQ(BufCopyPart(fx::kMovs, 3), kStDataError);
}

TEST_F(RecordBufferTest, StoreIsCutToThePart) {
  ASSERT_EQ(BufStore(fx::kTotales, kBufSaved, StrOf(std::string(40, 'x'))), kOk);
  EXPECT_EQ(S(BufRecord(fx::kTotales, kBufCurrent)), std::string(22, ' '));
  EXPECT_EQ(S(BufRecord(fx::kTotales, kBufSaved)), std::string(22, 'x'));
  ASSERT_EQ(BufStore(fx::kTotales, kBufBoth, StrOf("ab")), kOk);
  EXPECT_EQ(S(BufRecord(fx::kTotales, kBufCurrent)), "ab" + std::string(20, ' '));
  // A text taken from the buffer itself.
  ASSERT_EQ(BufStore(fx::kTotales, kBufCurrent, BufRecord(fx::kTotales, kBufSaved)), kOk);
  EXPECT_EQ(BufChanged(fx::kTotales), 0);
}

TEST_F(RecordBufferTest, BlankClearsBothHalvesAndPart2MarksTheRecordEmpty) {
  for (uint16_t part : {kBufCurrent, kBufSaved, kBufBoth}) {
    SCOPED_TRACE(part);
    ASSERT_EQ(BufStore(fx::kTotales, kBufBoth, StrOf(std::string(44, 'z'))), kOk);
    ASSERT_EQ(BufBlank(fx::kTotales, part), kOk);
    std::string both = S(BufRecord(fx::kTotales, kBufBoth));
    std::string expect(44, ' ');
    if (part == kBufSaved) expect[0] = kRecordDeleted;
    EXPECT_EQ(both, expect);
  }
}

TEST_F(RecordBufferTest, FieldTextOfABadFieldIs151WithTheIncident) {
  EXPECT_EQ(BufFieldText(fx::kTotales, 9, kBufCurrent).len, kStBadFileNumber);
  EXPECT_EQ(ErrIncidentText().str(), "(File:3, Field:9)");
  EXPECT_EQ(BufFieldText(fx::kTotales, 0, kBufCurrent).len, kStBadFileNumber);
  EXPECT_EQ(BufFieldText(fx::kTotales, kDictAnyField, kBufCurrent).len, kStBadFileNumber);
}

TEST_F(RecordBufferTest, SetFieldPadsByTypeAndCutsLongValues) {
  struct Case {
    uint16_t field;
    const char* value;
    const char* stored;
  };
  const Case cases[] = {
      {1, "ABC", "ABC       "},
      {1, "ABCDEFGHIJKLMN", "ABCDEFGHIJ"},  // cut to the field
      {2, "7", "  7"},                      // N: right-aligned
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_EQ(BufSetField(fx::kMovs, c.field, StrOf(c.value)), kOk);
    EXPECT_EQ(S(BufFieldText(fx::kMovs, c.field, kBufCurrent)), c.stored);
  }
  // Nothing beyond the field moved.
  EXPECT_EQ(S(BufRecord(fx::kMovs, kBufCurrent)).substr(13), std::string(18, ' '));
  EXPECT_EQ(S(BufRecord(fx::kMovs, kBufSaved)), std::string(31, ' '));
}

TEST_F(RecordBufferTest, SetFieldFailuresAreRecordedUnderBufferFld) {
  EXPECT_EQ(BufSetField(fx::kTotales, 3, StrOf("1")), kStDataOutBound);
  EXPECT_EQ(ErrIncidentText().str(), "(File:3, Field:3)");
  EXPECT_EQ(ErrLastCode(), kStBadFileNumber);
  EXPECT_EQ(ErrLastModule(), kModBufferFld);
  // A number whose integer part does not fit its field: nothing written.
  EXPECT_EQ(BufSetField(fx::kMovs, 2, StrOf("12345")), kStDataOutBound);
  EXPECT_EQ(S(BufFieldText(fx::kMovs, 2, kBufCurrent)), "   ");
}

TEST_F(RecordBufferTest, GetFieldIsACopyThatOutlivesTheBuffer) {
  ASSERT_EQ(BufSetField(fx::kClientes, 2, StrOf("Ana")), kOk);
  StrPair v = BufGetField(fx::kClientes, 2);
  ASSERT_EQ(BufBlank(fx::kClientes, 1), kOk);
  EXPECT_EQ(S(v), "Ana" + std::string(27, ' '));
}

TEST_F(RecordBufferTest, KeyValuesFollowThePartsInOrder) {
  ASSERT_EQ(BufSetField(fx::kClientes, 1, StrOf("C07")), kOk);
  ASSERT_EQ(BufSetField(fx::kClientes, 3, StrOf("Soria")), kOk);
  EXPECT_EQ(S(BufFileKeyValue(fx::kClientes, 1)), "C07       ");
  EXPECT_EQ(S(BufFileKeyValue(fx::kClientes, 2)), "Soria" + std::string(15, ' ') + "C07       ");
  EXPECT_EQ(BufFileKeyValue(fx::kClientes, 3).len, kStDataOutBound);
  // From a given record text; a part past its end reads blanks.
  EXPECT_EQ(S(BufKeyValue(fx::kClientes, 1, StrOf("ABC"))), "ABC       ");
}

TEST_F(RecordBufferTest, KeyFieldsTakePiecesByFieldLength) {
  std::string key = "2024030" "5C9        " "12";
  ASSERT_EQ(BufSetKeyFields(fx::kMovs, 2, StrOf(key)), kOk);
  EXPECT_EQ(S(BufFieldText(fx::kMovs, 3, kBufCurrent)), "20240305");
  EXPECT_EQ(S(BufFieldText(fx::kMovs, 1, kBufCurrent)), "C9        ");
  EXPECT_EQ(S(BufFieldText(fx::kMovs, 2, kBufCurrent)), " 12");
  // A value that runs out stops the stores; the rest of the record stays.
  ASSERT_EQ(BufSetField(fx::kMovs, 1, StrOf("KEEP")), kOk);
  ASSERT_EQ(BufSetKeyFields(fx::kMovs, 2, StrOf("19991231")), kOk);
  EXPECT_EQ(S(BufFieldText(fx::kMovs, 3, kBufCurrent)), "19991231");
  EXPECT_EQ(S(BufFieldText(fx::kMovs, 1, kBufCurrent)), "KEEP      ");
}

TEST_F(RecordBufferTest, KeyPartInsideALongerFieldStoresTheWholeField) {
  // A key whose first part covers only 4 of CITY's 20 bytes: the value's first
  // 20 characters go to CITY.
  DictKeyRanges parts;
  parts.part[0] = {42, 4};
  parts.part[1] = {0, 10};
  ASSERT_EQ(DictDefineKey(fx::kClientes, 2, parts), kOk);
  std::string value = "ABCDEFGHIJKLMNOPQRSTC01";
  ASSERT_EQ(BufSetKeyFields(fx::kClientes, 3, StrOf(value)), kOk);
  EXPECT_EQ(S(BufFieldText(fx::kClientes, 3, kBufCurrent)), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(S(BufFieldText(fx::kClientes, 1, kBufCurrent)), "C01       ");
}

TEST_F(RecordBufferTest, BlankAndSetKeyOnlyWithFlag1) {
  ASSERT_EQ(BufStore(fx::kTotales, kBufBoth, StrOf(std::string(44, 'q'))), kOk);
  ASSERT_EQ(BufBlankAndSetKey(fx::kTotales, 1, StrOf("T1"), 0), kOk);
  EXPECT_EQ(S(BufRecord(fx::kTotales, kBufCurrent)), std::string(22, 'q'));
  ASSERT_EQ(BufBlankAndSetKey(fx::kTotales, 1, StrOf("T1"), 1), kOk);
  EXPECT_EQ(S(BufRecord(fx::kTotales, kBufBoth)), "T1" + std::string(42, ' '));
}

}  // namespace
}  // namespace eng::test

namespace eng::test {
namespace {

class BufFieldFormatTest : public DataFixtureTest {
 protected:
  void SetUp() override {
    DataFixtureTest::SetUp();
    // A file of the types whose stored forms differ from plain padding.
    ASSERT_EQ(DictDefineFile(0, StrOf("forms"), StrOf("")), kOk);
    ASSERT_EQ(DictDefineField(StrOf("AMT"), 10, '2'), kOk);
    ASSERT_EQ(DictDefineField(StrOf("FDATE"), 6, 'F'), kOk);
    ASSERT_EQ(DictDefineField(StrOf("NUM"), 6, 'N'), kOk);
    ASSERT_EQ(DictDefineField(StrOf("DIGITS"), 5, 'C'), kOk);
    ASSERT_EQ(BufInit(kForms), kOk);
  }
  static constexpr uint16_t kForms = fx::kFileCount + 1;
};

TEST_F(BufFieldFormatTest, NumbersTakeTheirTypesMask) {
  struct Case {
    uint16_t field;
    const char* value;
    const char* stored;
  };
  const Case cases[] = {
      {1, "12.5", "     12.50"},
      {1, "-3", "     -3.00"},
      {1, "1.005", "      1.01"},  // rounded half away from zero
      {3, " 42 ", "    42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_EQ(BufSetField(kForms, c.field, StrOf(c.value)), kOk);
    EXPECT_EQ(S(BufFieldText(kForms, c.field, kBufCurrent)), c.stored);
  }
}

TEST_F(BufFieldFormatTest, SixCharacterDatesAreLetterCodedOnlyWithTheCompatBit) {
  ASSERT_EQ(BufSetField(kForms, 2, StrOf("20240305")), kOk);
  EXPECT_EQ(S(BufFieldText(kForms, 2, kBufCurrent)), "240305");
  EXPECT_EQ(S(BufGetField(kForms, 2)), "240305");

  SysVarSet(kVarCompat, 4);
  ASSERT_EQ(BufSetField(kForms, 2, StrOf("20240305")), kOk);
  std::string stored = S(BufFieldText(kForms, 2, kBufCurrent));
  EXPECT_EQ(stored.substr(0, 2), "C4");  // the decade digit 2 as its letter
  EXPECT_EQ(S(BufGetField(kForms, 2)), "20240305");
}

TEST_F(BufFieldFormatTest, CodedIntegersAreReadBackWithTheCompatBit) {
  ASSERT_EQ(BufStore(kForms, kBufCurrent, StrOf(std::string(16, ' ') + "D7    ")), kOk);
  EXPECT_EQ(S(BufGetField(kForms, 3)), "D7    ");
  SysVarSet(kVarCompat, 4);
  EXPECT_EQ(S(BufGetField(kForms, 3)), "13");  // 7 exclusive-or 10
}

}  // namespace
}  // namespace eng::test
