// Print templates run over the lines of a text file (REPORT "device,template<file"
// and ReportPrintFile): fixed, relative, conditional and body lines, field
// masks, totals, page overflow with the header printed again, loading with
// its directives, and the templates that must fail instead of printing.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/exec_run.h"
#include "core/field_format.h"
#include "core/scratch_arena.h"
#include "core/err_register.h"
#include "core/sys_vars.h"
#include "core/var_store.h"
#include "tests/output/report_fixture.h"

namespace eng::test {
namespace {

class TemplateTest : public ReportTest {
 protected:
  Status RunProc(const std::string& source) {
    Put("t.prx", source);
    return ExecRunMenuProc(StrOf("t.prx"), nullptr);
  }
  static std::string Numbers(int n) {
    std::string t;
    for (int i = 1; i <= n; ++i) t += std::to_string(i * 5) + "\n";
    return t;
  }
};

TEST_F(TemplateTest, LinesWithoutBodyPrintOnceAndEndTheirPage) {
  PutLines("t.pdc", {"01001A", "02001B", "03001C"});
  Put("in.txt", "x\n");
  EXPECT_EQ(ReportPrintFile("out.txt /LP:20", "in.txt", "t.pdc"), kOk);
  std::string want = "A\r\nB\r\nC";
  for (int i = 0; i < 18; ++i) want += "\r\n";
  EXPECT_EQ(Get("out.txt"), want);
}

TEST_F(TemplateTest, BodyFieldsMasksAndTotals) {
  PutLines("t.pdc", {
      "01001LISTADO DE IMPORTES" + kFix,
      "02001-------------------------" + kFix,
      "03001\\\\\\\\\\\\|####.##|##" + kBody + "_$(),FN#VALN(_$()),1 /TOTALBASE%=10",
      "00001\tTOTAL     |####.##" + kRel + ",_#(11)",
  });
  Put("in.txt", "5\n12.5\n100\n");
  EXPECT_EQ(ReportPrintFile("out.txt /LP:12", "in.txt", "t.pdc"), kOk);
  ExpectGolden(Get("out.txt"), "body_totals.txt");
  // The total of field 2 went to element 11 (field 1 is a text, field 3 the constant 1).
  EXPECT_EQ(RunProc("T=_#(11)\nC=_#(12)\n"), kOk);
}

TEST_F(TemplateTest, ConditionalLinesAndRelativeRows) {
  PutLines("t.pdc", {
      "01001HEAD",
      "03005REL" + kRel,
      "00001 1==0\tNEVER" + kFix,
      "00001 1==1\tYES|##" + kFix + ",_DEVLIN",
      "00001\tLAST",
  });
  Put("in.txt", "x\n");
  EXPECT_EQ(ReportPrintFile("out.txt /LP:8", "in.txt", "t.pdc"), kOk);
  // The relative line lies two rows below its predecessor; a skipped
  // conditional line takes no row, the next one follows the last printed line.
  std::string out = Get("out.txt");
  EXPECT_EQ(out.substr(0, out.find_last_not_of("\r\n") + 1), "HEAD\r\n\r\n    REL\r\nYES  4\r\nLAST");
}

TEST_F(TemplateTest, FullPagesPrintTheHeaderAgain) {
  PutLines("t.pdc", {
      "01001PAGE|##" + kFix + ",_DEVPAG",
      "02001\\\\\\\\\\\\" + kBody + "_$() /MAXLINE%=-2",
      "00001\tEND" + kRel,
  });
  Put("in.txt", Numbers(9));
  EXPECT_EQ(ReportPrintFile("out.txt /LP:6", "in.txt", "t.pdc"), kOk);
  ExpectGolden(Get("out.txt"), "page_breaks.txt");
}

TEST_F(TemplateTest, ContinuationLinesAtThePageEnd) {
  PutLines("t.pdc", {
      "01001HEAD" + kFix,
      "02001\\\\\\\\" + kBody + "_$()",
      "06001SIGUE" + kCont,
      "00001\tFIN" + kRel,
  });
  Put("in.txt", Numbers(7));
  EXPECT_EQ(ReportPrintFile("out.txt /LP:8", "in.txt", "t.pdc"), kOk);
  ExpectGolden(Get("out.txt"), "continuation.txt");
}

TEST_F(TemplateTest, ABodyLineFollowedByABodyLineNestsIt) {
  // Each outer record prints its detail records: the outer line's second
  // (empty) field starts the count, the detail's ATEND$ gives three records
  // (a zero prints blank).
  PutLines("t.pdc", {
      "01001\\\\\\|" + kBody + "_$(),K=0",
      "02003-|##" + kBody + ",K /ATEND$='(K=K+1)<3'",
  });
  Put("in.txt", "a\nb\n");
  EXPECT_EQ(RunProc("K=0\nREPORT 'out.txt /LP:0,t.pdc<in.txt'\n"), kOk);
  EXPECT_EQ(Get("out.txt"), "a   \r\n  -   \r\n  -  1\r\n  -  2\r\nb   \r\n  -   \r\n  -  1\r\n  -  2\r\n");
}

TEST_F(TemplateTest, ADeviceThatFailsHalfWay) {
  PutLines("t.pdc", {"01001\\\\\\" + kBody + "_$()"});
  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += "line " + std::to_string(i) + "\n";
  Put("in.txt", lines);
  // Every write to /dev/full fails: the report ends with the device's failure,
  // not 0, and the device node is written to, never replaced by a file.
  if (!std::filesystem::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_NE(ReportPrintFile("/dev/full /LP:0", "in.txt", "t.pdc"), kOk);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  EXPECT_EQ(DynStrCount(sl::kReportLines), 0);
}

TEST_F(TemplateTest, ReportStatementPrintsATemplateOverAFile) {
  PutLines("t.pdc", {"01001\\\\\\\\" + kBody + "_$()"});
  Put("in.txt", "a\nb\n");
  EXPECT_EQ(RunProc("REPORT 'out.txt /LP:0,t.pdc<in.txt'\n"), kOk);
  EXPECT_EQ(Get("out.txt"), "a   \r\nb   \r\n");
  EXPECT_EQ(RunProc("REPORT 'copy.txt,<in.txt'\n"), kOk);
  EXPECT_EQ(Get("copy.txt"), "a\r\nb\r\n");
  // A missing input file prints nothing and is no failure.
  EXPECT_EQ(RunProc("REPORT 'none.txt,t.pdc<missing.txt'\n"), kOk);
  EXPECT_EQ(SysVarGet(kVarStat), 0);
}

TEST_F(TemplateTest, NumberMasksFollowTheDecimalsInEffect) {
  struct Case {
    const char* piece;
    int precis, dx;
    const char* v5;  // nullptr: _V5$ undeclared
    const char* want;
  } cases[] = {
      {"#####,.##", 2, 0, nullptr, "#####,.02"},
      {"#####,.##", 2, 3, nullptr, "#####,.03"},
      {"####,.5", 2, 0, nullptr, "####,.5"},
      {"####,.5", 2, 0, "4", "####,.4"},
      {"#####", 2, 0, nullptr, "#####"},
      {"###,.", 2, 0, nullptr, "###,."},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(VarInitSystem(), kOk);
    SysVarSet(kVarPrecis, static_cast<int16_t>(c.precis));
    SysVarSet(kVarDx, static_cast<int16_t>(c.dx));
    if (c.v5) DeclareText("_V5$", c.v5);
    EXPECT_EQ(ReportEditNumber(c.piece), c.want) << c.piece;
  }
}

// Every kind of mask prints a field as the formatter shows the value through
// it: character places in order, runs of "\ \", places by position, number
// masks given texts and numbers, type-and-width masks, quoted masks, masks
// with no place at all. Each line is checked against the formatter itself.
TEST_F(TemplateTest, MasksPrintFieldsAsTheFormatterShowsThem) {
  const std::vector<std::string> masks = {
      "\\\\\\\\", "\\   \\", "X\\\\Y-\\", "??-??", "\\??\\", "###.##", "##0.00", "#\\\\#", "A5", "N6", "3",
      "'#'###", "\"\\\\\"\\\\", "plain", "0\\\\", "#####",
  };
  const std::vector<std::string> values = {"abc",  "12.5", "-3",    "abcdefgh", "7 ",     " 1,5", "0",
                                           "007",  "-0",   "1234",  "12345",    "-1234",  "-12345"};
  std::string in;
  for (const auto& v : values) in += v + "\n";
  Put("in.txt", in);
  for (const std::string& mask : masks) {
    // The value as a text, then as a number.
    for (const char* expr : {"_$()", "FN#VALN(_$())"}) {
      PutLines("t.pdc", {"01001" + mask + kBody + expr});
      ASSERT_EQ(ReportPrintFile("out.txt /LP:0", "in.txt", "t.pdc"), kOk) << mask;
      std::string want;
      for (const auto& v : values) {
        ScratchScope scope;
        std::string value = v;
        if (std::string(expr) != "_$()") {
          ASSERT_EQ(ExpEvalText(StrOf(std::string("FN#VALN('") + v + "')")), 0);
          value = DecToText(NumAccValue()).str();
        }
        // A number that shows as nothing (zero) leaves the piece's width blank.
        StrPair m = FmtMaskFromType(StrOf(mask));
        want += (std::string(expr) != "_$()" && value.empty() ? std::string(mask.size(), ' ')
                                                                : std::string(FmtApplyMask(m, StrOf(value)).view())) +
                "\r\n";
      }
      EXPECT_EQ(Get("out.txt"), want) << mask << " " << expr;
    }
  }
}

TEST_F(TemplateTest, DirectivesLoadIncludedAndDynamicLines) {
  PutLines("t.pdc", {"01001TOP", "00000:INCLUDE 'a.pdc'", "00000:DYNAMIC_LINE 'dyn.txt'", "05001BOTTOM"});
  PutLines("a.pdc", {"02001A", "00000:INCLUDE 'b.pdc'"});
  PutLines("b.pdc", {"03001B"});
  PutLines("dyn.txt", {"1==1\tDYN", "1==0\tNOT"});
  Put("in.txt", "x\n");
  EXPECT_EQ(ReportPrintFile("out.txt /LP:0", "in.txt", "t.pdc"), kOk);
  EXPECT_EQ(Get("out.txt"), "TOP\r\nA\r\nB\r\n\r\nBOTTOM\r\nDYN\r\n");
}

TEST_F(TemplateTest, BadTemplatesFailWithAClearStatus) {
  Put("in.txt", "1\n2\n3\n4\n");
  PutLines("self.pdc", {"01001X", "00000:INCLUDE 'self.pdc'"});
  PutLines("ghost.pdc", {"01001X", "00000:INCLUDE 'ghost2.pdc'"});
  Put("empty.pdc", "");
  PutLines("hollow.pdc", {"01001X", "00000:INCLUDE 'empty.pdc'"});
  PutLines("kind.pdc", {"01001X", "AB001what"});
  PutLines("field.pdc", {"01001\\\\\\" + kBody + "NOSUCH{9}"});
  PutLines("nofit.pdc", {"01001HEAD" + kFix, "02001\\\\" + kBody + "_$() /EXTRASTEP%=30"});
  PutLines("back.pdc", {"01001\\\\" + kBody + "_$() /MAXLINE%=2", "03001MORE" + kCont + " /CONTINUE%='5:3'"});
  struct Case {
    const char* tmpl;
    Status want;
    const char* incident;
  } cases[] = {
      {"missing.pdc", kStFileNotFound, "missing.pdc"},
      {"self.pdc", kStLoopFailure, "self.pdc"},
      {"ghost.pdc", kStLowFailure, "ghost2.pdc"},
      {"hollow.pdc", kStLowFailure, "empty.pdc"},
      {"kind.pdc", kStSyntax, "AB001what"},
      {"field.pdc", kStFileOutBound, nullptr},
      {"nofit.pdc", kStLoopFailure, "nofit.pdc"},
      {"back.pdc", kStProcedureRun, nullptr},
  };
  for (const Case& c : cases) {
    DynStrSet(sl::kWork, sl::kIncident, StrPair{});
    Status s = ReportPrintFile("out.txt /LP:20", "in.txt", c.tmpl);
    EXPECT_EQ(s, c.want) << c.tmpl;
    if (c.incident) EXPECT_NE(std::string(ErrIncidentText().view()).find(c.incident), std::string::npos) << c.tmpl;
    EXPECT_EQ(DynStrCount(sl::kReportLines), 0) << c.tmpl;
  }
}

}  // namespace
}  // namespace eng::test
