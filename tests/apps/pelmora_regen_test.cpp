// Regeneration keeps the records the journal's rules update in memory and
// writes each once: whatever the rules, the period file it rebuilds equals
// the one the rules built line by line while the demo year was posted.
// The cases add to the sample's rules a relation whose value is only a
// prefix of the period key (served by the record layer, after the kept
// records were written), a rule item that is no FILEREL call (the rule
// text then runs as text, its FILEREL calls still kept in memory), and rules
// whose statements call FILEREL into the period file again while the outer
// call's record of it is kept.
#include <fstream>

#include "apps/pelmora/ac_process.h"
#include "tests/apps/pelmora_books_fixture.h"

namespace eng::test {
namespace {

using namespace pelmora;

DateYmd D(const char* t) { return AcDateOf(StrFromC(t)); }

class PelmoraRegenTest : public TempFolderTest {};

void Append(const std::filesystem::path& file, const std::string& lines) {
  std::ofstream out(file, std::ios::app | std::ios::binary);
  out << lines;
}

TEST_F(PelmoraRegenTest, RegenerationGivesWhatPostingLineByLineGave) {
  struct Case {
    const char* what;
    const char* rules;      // added to PLRELUP.DAT
    const char* relations;  // added to PLREL.DAT
  };
  const Case cases[] = {
      {"the sample's rules", "", ""},
      {"a relation by account only counts lines into the account's first month",
       "0900FILEREL(9;10;5;4;DIARIO{10}=DIARIO{10}+_SGN)\r\n",
       "69:10R5K1=CHK$(CTA_DEBE{}>'0';CTA_DEBE{};'')\r\n"},
      {"a rule item that is no FILEREL call", "0900RLVX=RLVX+1\r\n", ""},
      // The inner call reaches the period file while the outer call's
      // record of it is kept and its statements run: the kept records are
      // written under it and the inner call served by the record layer.
      {"a rule whose statements reach into the period file again",
       "0900FILEREL(9;10;1;4;D_VDOS{10}=D_VDOS{10}+_SGN;FILEREL(9;10;5;4;DIARIO{10}=DIARIO{10}+_SGN))\r\n",
       "69:10R5K1=CHK$(CTA_DEBE{}>'0';CTA_DEBE{};'')\r\n"},
      {"a rule whose statements fetch another record of the same file",
       "0900FILEREL(9;10;3;4;H_VDOS{10}=H_VDOS{10}+_SGN;FILEREL(9;10;4;4;H_VDOS{10}=H_VDOS{10}+2*_SGN))\r\n",
       ""},
      {"a rule whose statements call into the same file for no record, then go on",
       "0900FILEREL(9;10;3;4;H_VDOS{10}=H_VDOS{10}+_SGN;FILEREL(9;10;1;4;D_VDOS{10}=D_VDOS{10}+1);"
       "H_VDOS{10}=H_VDOS{10}+_SGN)\r\n",
       ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::path work = CopySample("Pelmora", dir_ / std::to_string(++n));
    Append(work / ".." / "apps" / "PLRELUP.DAT", c.rules);
    Append(work / ".." / "apps" / "PLREL.DAT", c.relations);
    plat::HeadlessMsgBox box;
    ASSERT_EQ(StartPelmora(work, &box), kOk);
    AcBooks b;
    ASSERT_EQ(AcBooksOpen(&b), kOk);
    ASSERT_EQ(PostDemoYear(b), kOk);
    std::vector<std::string> posted = Records(b.period);
    ASSERT_FALSE(posted.empty());
    ASSERT_EQ(AcRegenBalances(b, D("20240101"), D("20241231"), nullptr), kOk);
    EXPECT_EQ(Records(b.period), posted);
    ShutdownPelmora();
  }
}

TEST_F(PelmoraRegenTest, AFailingRuleStopsTheRegenerationWithItsStatus) {
  std::filesystem::path work = CopySample("Pelmora", dir_);
  // The statement names a field the period file does not have: it fails.
  Append(work / ".." / "apps" / "PLRELUP.DAT", "0900FILEREL(9;10;1;4;D_VDOS{10}=D_VDOS{10}+NOSUCH{10})\r\n");
  plat::HeadlessMsgBox box;
  ASSERT_EQ(StartPelmora(work, &box), kOk);
  AcBooks b;
  ASSERT_EQ(AcBooksOpen(&b), kOk);
  DataFileSetTriggers(false);
  for (const char* code : kDemoChart) ASSERT_LT(DataFileReadByKeyText(b.chart, 1, StrFromC(code)), kStFirstError);
  AcLine line{D("20240102"), 1, 1, "57200001", "", 100000, "Demo", ""};
  ASSERT_EQ(AcPostLine(b, line), kOk);
  EXPECT_GE(AcRegenBalances(b, D("20240101"), D("20241231"), nullptr), kStFirstError);
  EXPECT_TRUE(Records(b.period).empty()) << "nothing of the failed run was written";
  ShutdownPelmora();
}

}  // namespace
}  // namespace eng::test
