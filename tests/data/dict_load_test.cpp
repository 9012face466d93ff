// Loading dictionaries: the line kinds, nested dictionaries, automatic keys,
// the limits and the statuses of malformed dictionaries.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/err_register.h"
#include "core/sys_vars.h"
#include "data/dictionary.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// A field line: the length in columns 10-12, the type in column 14.
std::string Field(const std::string& nn, int length, char type, const std::string& name) {
  char len[4];
  std::snprintf(len, sizeof len, "%03d", length);
  return nn + "       " + len + " " + type + name;
}

class DictLoadTest : public TempFolderTest {
 protected:
  // A fresh runtime in the same folder.
  static void Fresh() {
    CoreRuntimeReset();
    MemSetLimits(kArenaProgramKb, 0xFFFF);
    ASSERT_EQ(DynStrInit(), kOk);
    ASSERT_EQ(ObjTableInit(), kOk);
  }
  Status Load(const std::string& dicc, const std::string& folders = "", const std::string& dflt = "") {
    Put("PLDICC.DAT", dicc);
    return DictLoad(StrOf(folders), StrOf("PL"), StrOf(dflt));
  }
  static std::string Key(uint16_t n, uint16_t k) {
    DictKeyLayout l = DictKeyParts(n, k);
    std::string out;
    for (uint16_t i = 0; i < l.count; ++i) {
      out += "(" + std::to_string(l.parts.part[i].offset) + "," + std::to_string(l.parts.part[i].length) + ")";
    }
    return out;
  }
};

TEST_F(DictLoadTest, FileLinesGiveNumberCodeNameAndFolder) {
  ASSERT_EQ(Load(Lines({"01*DATA*05CLIENTES", "02**07Movs  ", "03* DIR2 *12X"}), "", "DFLT"), kOk);
  ASSERT_EQ(DictFileCount(), 3);
  DictFileDesc d = DictFileDescOf(1);
  EXPECT_EQ(d.number, 1);
  EXPECT_EQ(d.code, 5);
  EXPECT_EQ(DictFileName(1).str(), "clientes");
  EXPECT_EQ(DictFileFolder(1).str(), "DATA");
  EXPECT_EQ(DictFileName(2).str(), "movs");
  EXPECT_EQ(DictFileFolder(2).str(), "DFLT");  // empty folder item: the default folder
  EXPECT_EQ(DictFileDescOf(2).code, 7);
  EXPECT_EQ(DictFileFolder(3).str(), " DIR2");  // right-trimmed only
  EXPECT_EQ(DictFileDescOf(3).code, 12);
}

TEST_F(DictLoadTest, NameCaseKeptWithAuxStatBit8AndLookupFollowsIt) {
  SysVarSet(kVarAuxStat, 8);
  ASSERT_EQ(Load(Lines({"01*DATA*05CLIENTES"})), kOk);
  EXPECT_EQ(DictFileName(1).str(), "CLIENTES");
  EXPECT_EQ(DictFileByName(StrOf("CLIENTES")), 1);
  EXPECT_EQ(DictFileByName(StrOf("clientes")), 0);
}

TEST_F(DictLoadTest, FieldLinesReadTheirColumnsAndStackOffsets) {
  ASSERT_EQ(Load(Lines({"01**01CLIENTES", "02       010 ACODIGO", "02xxxxxxx005y2IMPORTE  ", "07       003 NN_LINE"})),
            kOk);
  ASSERT_EQ(DictFieldCount(1), 3);
  DictFieldDesc f = DictField(1, 1);
  EXPECT_EQ(f.file, 1);
  EXPECT_EQ(f.field, 1);
  EXPECT_EQ(f.offset, 0);
  EXPECT_EQ(f.length, 10);
  EXPECT_EQ(f.type, 'A');
  EXPECT_EQ(DictFieldName(1, 1).str(), "CODIGO");
  // Columns 3-9 and 13 are not read; the name is right-trimmed.
  EXPECT_EQ(DictField(1, 2).offset, 10);
  EXPECT_EQ(DictField(1, 2).length, 5);
  EXPECT_EQ(DictField(1, 2).type, '2');
  EXPECT_EQ(DictFieldName(1, 2).str(), "IMPORTE");
  EXPECT_EQ(DictField(1, 3).offset, 15);
  EXPECT_EQ(DictRecordLength(1), 18);
}

TEST_F(DictLoadTest, KeyLineGroupsOfSevenDigits) {
  ASSERT_EQ(Load(Lines({"01**01A", Field("01", 10, 'A', "CODE"), Field("01", 5, 'N', "NUM"), "31<00010100011005"})),
            kOk);
  EXPECT_EQ(DictKeyCount(1), 1);
  EXPECT_EQ(Key(1, 1), "(0,10)(10,5)");
  EXPECT_EQ(DictKeyLength(1, 1, 0), 15);
  EXPECT_EQ(DictKeyLength(1, 1, 1), 10);
  EXPECT_EQ(DictKeyLength(1, 1, 0xFFFF), 15);
}

TEST_F(DictLoadTest, KeyGroupsWithoutAngleBracketAndAtMostFive) {
  DictKeySegmentsResult k = DictKeySegments(StrOf("00010100011005"));
  ASSERT_EQ(k.status, kOk);
  EXPECT_EQ(k.layout.count, 2);
  EXPECT_EQ(k.layout.parts.part[1].offset, 10);
  // Six groups: five are read.
  k = DictKeySegments(StrOf("31<000100100020010003001000400100050010006001"));
  EXPECT_EQ(k.layout.count, 5);
  EXPECT_EQ(k.layout.parts.part[4].offset, 4);
  // A group is read only while its start lies before the last character.
  k = DictKeySegments(StrOf("<00010100"));
  EXPECT_EQ(k.layout.count, 1);
  k = DictKeySegments(StrOf("<0001010x"));
  EXPECT_EQ(k.layout.count, 1);
  EXPECT_EQ(k.status, kOk);
  // "xy" starts before the last character and reads as position 0, which is refused.
  k = DictKeySegments(StrOf("<0001010xy"));
  EXPECT_EQ(k.status, kStDataError);
}

TEST_F(DictLoadTest, KeyGroupWithPositionZeroIsRefused) {
  Status s = Load(Lines({"01**01A", Field("01", 10, 'A', "CODE"), "31<0000010"}));
  EXPECT_EQ(s, kStDataError);
  EXPECT_EQ(DictKeyCount(1), 0);
  EXPECT_NE(ErrIncidentText().view().find("PLDICC.DAT"), std::string_view::npos);
}

TEST_F(DictLoadTest, KeyLineForFileFiveFillsTheFilesBetweenWithAutomaticKeys) {
  std::string dicc = Lines({"01**01A", Field("01", 4, 'A', "K"), "02**02B", Field("02", 6, 'A', "K"), "03**03C",
                            Field("03", 10, 'A', "CODE"), Field("03", 3, 'N', "N_LINE"), "04**04D",
                            Field("04", 7, 'A', "X"), "05**05E", Field("05", 2, 'A', "Y"), "31<0001002",
                            "32<0001003", "35<0001001"});
  ASSERT_EQ(Load(dicc), kOk);
  EXPECT_EQ(Key(1, 1), "(0,2)");
  EXPECT_EQ(Key(2, 1), "(0,3)");
  EXPECT_EQ(Key(3, 1), "(0,13)");  // to the end of N_LINE
  EXPECT_EQ(Key(4, 1), "(0,7)");   // to the end of field 1
  EXPECT_EQ(Key(5, 1), "(0,1)");
  EXPECT_EQ(DictKeyIndex(5, 1), 4);
}

TEST_F(DictLoadTest, LastLineDecidesTheAutomaticKeysOfTheRest) {
  std::string head = Lines({"01**01A", Field("01", 4, 'A', "K"), "02**02B", Field("02", 6, 'A', "K"), "31<0001002"});
  // Ending with a key line: file 2 stays without a key.
  ASSERT_EQ(Load(head), kOk);
  EXPECT_EQ(DictKeyCount(1), 1);
  EXPECT_EQ(DictKeyCount(2), 0);
}

TEST_F(DictLoadTest, EndingWithAFieldLineKeysEveryFile) {
  ASSERT_EQ(Load(Lines({"01**01A", Field("01", 4, 'A', "K"), "31<0001002", "02**02B", Field("02", 6, 'A', "K")})),
            kOk);
  EXPECT_EQ(Key(1, 1), "(0,2)");
  EXPECT_EQ(Key(2, 1), "(0,6)");
}

TEST_F(DictLoadTest, AnEmptyDictionaryLoads) {
  ASSERT_EQ(Load(""), kOk);
  EXPECT_EQ(DictFileCount(), 0);
}

TEST_F(DictLoadTest, LineNumbersSelectTheKind) {
  // "00" is kind 0, 60 the key of file 30, 61 and 90 relations of files 1 and
  // 30, 91 and above ignored.
  std::string dicc;
  for (int f = 1; f <= 30; ++f) {
    char line[32];
    std::snprintf(line, sizeof line, "00**%02dF%d", f, f);
    dicc += std::string(line) + "\r\n";
    if (f < 30) dicc += Field("00", 2, 'A', "X") + "\r\n";
  }
  dicc += Lines({"60<0001001", "61:R1", "90:R30", "91 anything", "99<0001001"});
  ASSERT_EQ(Load(dicc), kOk);
  EXPECT_EQ(DictFileCount(), 30);
  EXPECT_EQ(DictKeyCount(30), 1);
  EXPECT_EQ(DictKeyCount(29), 1);  // automatic, before the key of file 30
  EXPECT_EQ(DictRelationText(1).str(), "R1");
  EXPECT_EQ(DictRelationText(30).str(), "R30");
}

TEST_F(DictLoadTest, ExactlyThirtyFilesLoadAndTheThirtiethHoldsNoFields) {
  std::string dicc;
  for (int f = 1; f <= 30; ++f) {
    char line[32];
    std::snprintf(line, sizeof line, "01**%02dFILE%d", f, f);
    dicc += std::string(line) + "\r\n";
    if (f < 30) dicc += Field("01", 3, 'A', "F") + "\r\n";
  }
  ASSERT_EQ(Load(dicc), kOk);
  EXPECT_EQ(DictFileCount(), 30);
  EXPECT_EQ(DictFileByName(StrOf("FILE30")), 30);
  EXPECT_EQ(DictFieldIndex(29, 1), 28);

  Fresh();
  EXPECT_EQ(Load(dicc + Field("01", 3, 'A', "F") + "\r\n"), kStFileOutBound);
  EXPECT_EQ(DictFieldCount(30), 0);

  Fresh();
  EXPECT_EQ(Load(dicc + "01**31ONEMORE\r\n"), kStFileOutBound);
  EXPECT_EQ(DictFileCount(), 30);
}

TEST_F(DictLoadTest, MalformedDictionariesGiveTheirStatuses) {
  struct Case {
    const char* what;
    std::string dicc;
    Status status;
    uint16_t files;
  };
  const Case cases[] = {
      {"field before any file", Lines({Field("01", 3, 'A', "X"), "01**01A"}), kStFileOutBound, 0},
      {"key line for an undefined file", Lines({"01**01A", Field("01", 3, 'A', "X"), "32<0001001"}), kStDataError, 1},
      {"relation for an undefined file", Lines({"01**01A", "62:1R1K1=X{}"}), kStBadFileNumber, 1},
      {"line above 512 bytes", Lines({"01**01A", "01" + std::string(600, ' ')}), kStStringTooLong, 1},
      {"stops at the first failure", Lines({"01**01A", "32<0001001", "02**02B"}), kStDataError, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    EXPECT_EQ(Load(c.dicc), c.status);
    EXPECT_EQ(DictFileCount(), c.files);
  }
}

TEST_F(DictLoadTest, LinesOfUpTo512BytesAreRead) {
  std::string rel = "61:" + std::string(509, 'r');
  ASSERT_EQ(Load(Lines({"01**01A", rel})), kOk);
  EXPECT_EQ(DictRelationText(1).len, 509);
  Fresh();
  EXPECT_EQ(Load(Lines({"01**01A", rel + "r"})), kStStringTooLong);
  EXPECT_NE(ErrIncidentText().view().find("PLDICC.DAT"), std::string_view::npos);
}

TEST_F(DictLoadTest, RecordLongerThanABufferCanHoldIsRefused) {
  std::string dicc = Lines({"01**01A"});
  for (int i = 0; i < 33; ++i) dicc += Field("01", 999, 'A', "F" + std::to_string(i)) + "\r\n";
  EXPECT_EQ(Load(dicc), kStStringTooLong);
  EXPECT_EQ(DictFieldCount(1), 32);
  EXPECT_EQ(DictRecordLength(1), 32 * 999);
}

TEST_F(DictLoadTest, MissingDictionaryIs164UnderDataFile) {
  Status s = DictLoad(StrOf("nowhere,alsonot"), StrOf("PL"), StrOf(""));
  EXPECT_EQ(s, kStFileNotFound);
  EXPECT_EQ(ErrLastCode(), kStFileNotFound);
  EXPECT_EQ(ErrLastModule(), kModDataFile);
  EXPECT_EQ(ErrIncidentText().str(), "PLDICC.DAT[nowhere,alsonot]");
}

TEST_F(DictLoadTest, RelationFileIsOptionalAndFoundAlongTheFolders) {
  std::filesystem::create_directories("a");
  std::filesystem::create_directories("b");
  Put("b/pldicc.dat", Lines({"01**01A", Field("01", 3, 'A', "CODE")}));
  Put("a/PLREL.DAT", Lines({"61:2R1K1=CODE{}", "612R2K1"}));
  ASSERT_EQ(DictLoad(StrOf("a,b"), StrOf("PLMRQV13:Norvique"), StrOf("")), kOk);
  EXPECT_EQ(DictFileCount(), 1);
  // A relation line without ":" appends the whole line.
  EXPECT_EQ(DictRelationText(1).str(), "2R1K1=CODE{}:612R2K1");

  Fresh();
  std::filesystem::remove("a/PLREL.DAT");
  EXPECT_EQ(DictLoad(StrOf("a,b"), StrOf("PL"), StrOf("")), kOk);
  EXPECT_EQ(DictRelationText(1).str(), "");
}

TEST_F(DictLoadTest, NestedDictionaryAsFirstFileLineShiftsTheBase) {
  Put("XYDICC.DAT", Lines({"01**01INNER1", Field("01", 4, 'A', "C"), "02**02INNER2", Field("02", 5, 'A', "C")}));
  Put("XYREL.DAT", Lines({"62:R-inner2"}));
  // Key and relation lines of the outer dictionary count from the nested
  // file's place: base = file count - 1 after it.
  ASSERT_EQ(Load(Lines({"01*$*00XY", "02**03OUTER", Field("02", 6, 'A', "C"), "32<0001006", "62:R-outer"})), kOk);
  ASSERT_EQ(DictFileCount(), 3);
  EXPECT_EQ(DictFileName(3).str(), "outer");
  EXPECT_EQ(DictRelationText(2).str(), "R-inner2");
  EXPECT_EQ(DictRelationText(3).str(), "R-outer");
  EXPECT_EQ(Key(3, 1), "(0,6)");
  EXPECT_EQ(Key(1, 1), "(0,4)");  // the nested dictionary gave its own automatic keys
}

TEST_F(DictLoadTest, DictionaryNestingItselfIsRefused) {
  Status s = Load(Lines({"01*$*00PL"}));
  EXPECT_EQ(s, kStDataError);
  EXPECT_EQ(DictFileCount(), 0);
}

TEST_F(DictLoadTest, ShortLinesDefineFromTheColumnsThatExist) {
  ASSERT_EQ(Load(Lines({"01**01A", "", "01       004", "01**"})), kOk);
  EXPECT_EQ(DictFieldCount(1), 2);
  EXPECT_EQ(DictField(1, 1).length, 0);
  EXPECT_EQ(DictField(1, 2).length, 4);
  EXPECT_EQ(DictField(1, 2).type, ' ');
  EXPECT_EQ(DictFileCount(), 2);
  EXPECT_EQ(DictFileDescOf(2).code, 0);
  EXPECT_EQ(DictFileName(2).str(), "");
}

}  // namespace
}  // namespace eng::test
