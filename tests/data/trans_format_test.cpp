#include "data/trans_format.h"

#include <cstdio>
#include <cstdlib>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/string_lists.h"
#include "data/dict_query.h"
#include "tests/data/trans_fixture.h"

namespace eng::test {
namespace {

using V = std::vector<std::string>;

class TransFormatTest : public TransTest {};

// Each format exports to its golden file, imports back into the emptied
// file and exports again to the same bytes.
TEST_F(TransFormatTest, EachFormatRoundTripsThroughItsGoldenFile) {
  struct Case {
    uint16_t file;
    uint16_t export_mode;
    const char* golden;
  };
  const Case cases[] = {
      {fx::kClientes, 4, "clientes.rel"},   {fx::kClientes, 20, "clientes.seq"},
      {fx::kClientes, 52, "clientes.csv"},  {fx::kMovs, 4, "movs.rel"},
      {fx::kMovs, 20, "movs.seq"},          {fx::kMovs, 52, "movs.csv"},
  };
  AddCustomers();
  AddMovements();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    const V before = Records(c.file);
    ASSERT_EQ(Run(c.file, "out.txt", c.export_mode), kOk);
    EXPECT_EQ(Count(), before.size());
    ExpectGolden("out.txt", c.golden);
    Empty(c.file);
    ASSERT_EQ(Run(c.file, "out.txt", uint16_t(c.export_mode | kTransImport)), kOk);
    EXPECT_EQ(Count(), before.size());
    EXPECT_EQ(Records(c.file), before);
    ASSERT_EQ(Run(c.file, "again.txt", c.export_mode), kOk);
    EXPECT_EQ(Get("again.txt"), Get("out.txt"));
  }
}

TEST_F(TransFormatTest, ListingHasTheHeaderLinesAndPaddedNumbers) {
  AddMovements();
  ASSERT_EQ(Run(fx::kMovs, "movs.lst", 16404), kOk);
  ExpectGolden("movs.lst", "movs.lst");
  const std::string text = Get("movs.lst");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "CODE       N_L DATE     AMT          ");
}

TEST_F(TransFormatTest, DelimitedValuesFollowTheQuotingRules) {
  Open(fx::kMovs);
  ASSERT_EQ(AddMov("ANA", "1", "0", "20240105"), kOk);
  DataFileClose(fx::kMovs);
  struct Case {
    std::string struct_items;
    uint16_t extra;
    std::string delim;
    std::string want;
  };
  const Case cases[] = {
      // A text in double quotes, a number reading as zero empty.
      {"CODE{},AMT{}", 0, "", "\"ANA\",\r\n"},
      // A named field of the target and an expression giving a text.
      {"CODE,'x'+CODE{}", 0, "';'", "\"ANA\";\"xANA\"\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.struct_items);
    ASSERT_EQ(Run(fx::kMovs, "d.txt", uint16_t(52 | c.extra), {{kTpStruct, c.struct_items}, {kTpFlDelim, c.delim}}),
              kOk);
    EXPECT_EQ(Get("d.txt"), c.want);
  }
}

TEST_F(TransFormatTest, PythonCsvReadsTheDelimitedExport) {
  if (std::system("python3 -c 'import csv' >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not available";
  AddCustomers();
  AddMovements();
  ASSERT_EQ(Run(fx::kClientes, "c.csv", 52), kOk);
  ASSERT_EQ(Run(fx::kMovs, "m.csv", 52), kOk);
  Put("read.py",
      "import csv,sys\n"
      "for name in sys.argv[1:]:\n"
      "  with open(name, newline='', encoding='cp1252') as f:\n"
      "    for row in csv.reader(f):\n"
      "      print('|'.join(row))\n");
  ASSERT_EQ(std::system("python3 read.py c.csv m.csv > rows.txt"), 0);
  EXPECT_EQ(Get("rows.txt"),
            "ANA|Ana Pe\xC3\xB1" "a|Madrid\n"
            "BETO|Alberto Ruiz|Sevilla\n"
            "CARLA|Carla Gomez|\n"
            "ANA|1|20240105|10.50\n"
            "ANA|2|20240210|-3.25\n"
            "BETO|1|20240301|\n");
}

TEST_F(TransFormatTest, ImportDescriptorsPlaceTheValues) {
  struct Case {
    const char* what;
    uint16_t mode;
    std::string struct_items;
    std::string input;
    V want;  // CODE|NAME|CITY of the imported records
  };
  const Case cases[] = {
      {"relative with widths", 5, "10;CODE{},30;NAME{}",
       "ANA       Ana Perez                     BETO      Beto Ruiz                     ",
       {"ANA|Ana Perez|", "BETO|Beto Ruiz|"}},
      {"delimited, value n into field n", 53, "", "\"ANA\",\"Ana\",\"Lugo\"\r\nBETO,Beto,Soria\r\n",
       {"ANA|Ana|Lugo", "BETO|Beto|Soria"}},
      {"a bare width skips characters", 21, "2,CODE{}", "xxANA   \r\n", {"ANA||"}},
      {"an expression target sees the value on stack 30", 53, "CODE{},NAME{}=_$(30;0)+'!',CITY{}",
       "\"ANA\",\"Ana\",\"Lugo\"\r\n", {"ANA|Ana!|Lugo"}},
      {"a field given twice keeps the later value whole", 21, "10;CODE{},10;CODE{},5;CITY{}",
       "ANABELLA  BO        Lugo \r\n", {"BO||Lugo"}},
      {"records starting with ESC and empty lines are skipped", 53, "",
       "\x1b" "X,Y,Z\r\n\r\n\"ANA\",\"Ana\",\"Lugo\"\r\n", {"ANA|Ana|Lugo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Empty(fx::kClientes);
    Put("in.txt", c.input);
    ASSERT_EQ(Run(fx::kClientes, "in.txt", c.mode, {{kTpStruct, c.struct_items}}), kOk);
    V got;
    for (const std::string& r : Records(fx::kClientes)) {
      auto trim = [](std::string s) { return s.erase(s.find_last_not_of(' ') + 1); };
      got.push_back(trim(r.substr(0, 10)) + "|" + trim(r.substr(10, 30)) + "|" + trim(r.substr(40, 20)));
    }
    EXPECT_EQ(got, c.want);
  }
}

TEST_F(TransFormatTest, CodePage850IsConvertedOnImport) {
  std::string text = "\xA4\xA5\xA7\xCD\xC4\x80\x82\xA0\x81\x94";
  TransCp850Convert(text);
  // n tilde, N tilde, ordinal, "=", blank, C cedilla, e acute, a acute, and
  // through iconv u umlaut and o umlaut.
  EXPECT_EQ(text, "\xF1\xD1\xBA= \xC7\xE9\xE1\xFC\xF6");
  Put("in.txt", "\"NI\xA4O\",\"Ni\xA4o\",\"\"\r\n");
  ASSERT_EQ(Run(fx::kClientes, "in.txt", uint16_t(53 | kTransCp850)), kOk);
  EXPECT_EQ(Records(fx::kClientes).at(0).substr(0, 14), "NI\xF1O      Ni\xF1o");
}

TEST_F(TransFormatTest, RawRecordsHaveTheirNumbersRepaired) {
  Open(fx::kTotales);
  DictSelectFile(fx::kTotales);
  struct Case {
    const char* raw;
    const char* want;
  };
  const Case cases[] = {{"       12.50", "       12.50"}, {"12,50       ", "       12.00"}, {"abc         ", "        0.00"}};
  for (const Case& c : cases) {
    BufStore(fx::kTotales, kBufCurrent, StrOf(std::string("X         ") + c.raw));
    TransNormaliseNumbers(fx::kTotales);
    EXPECT_EQ(Record(fx::kTotales).substr(10), c.want) << c.raw;
  }
}

TEST(TransSplitTest, DelimitedLinesSplitWithQuotes) {
  struct Case {
    std::string line;
    bool ok;
    V values;
  };
  const Case cases[] = {
      {"a,b,c", true, {"a", "b", "c"}},
      {"\"a,b\",c", true, {"a,b", "c"}},
      {"\"say \"\"hi\"\"\",x", true, {"say \"hi\"", "x"}},
      {"a,", true, {"a", ""}},
      {"\"open,x", false, {}},
      {"\"a\"b,c", false, {}},
      {"a\"b,c", false, {}},
  };
  for (const Case& c : cases) {
    V got;
    EXPECT_EQ(TransSplitDelimited(c.line, ',', &got), c.ok) << c.line;
    if (c.ok) EXPECT_EQ(got, c.values) << c.line;
  }
}

}  // namespace
}  // namespace eng::test
