#include "core/cmd_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dyn_strings.h"
#include "core/string_lists.h"
#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

class CmdLineTest : public CoreTest {
 protected:
  void Store(const std::string& line) { ASSERT_EQ(CmdLineStore(StrOf(line)), kOk); }
  static std::string Opt(uint16_t n) { return S(CmdOption(n)); }
  static std::string ByName(const std::string& name) { return S(CmdValueByName(StrOf(name))); }
};

TEST_F(CmdLineTest, StoreNormalisesBlanksAndDashes) {
  struct Case {
    const char* given;
    const char* stored;
  } cases[] = {
      {"prog.exe   -TRACE:3  --RUN:MENU2", "prog.exe /TRACE:3 /RUN:MENU2"},
      {" \t prog.exe /A:1 \t ", "prog.exe /A:1"},
      // Blanks and dashes inside quotes stay as they are.
      {"prog.exe /DPATH:'C:\\My   Apps -x'  -B", "prog.exe /DPATH:'C:\\My   Apps -x' /B"},
      {"\"/opt/my -dir/pelmora\" -TRACE:1", "\"/opt/my -dir/pelmora\" /TRACE:1"},
      // Only a dash after a blank starts an option.
      {"prog.exe /RUN:A-B", "prog.exe /RUN:A-B"},
      {"", ""},
  };
  for (const Case& c : cases) {
    Store(c.given);
    EXPECT_EQ(S(CmdLineGet()), c.stored) << c.given;
    EXPECT_EQ(S(DynStrGet(sl::kSettings, sl::kCommandLine)), c.stored);
  }
}

TEST_F(CmdLineTest, ValuesFollowTheKeyRules) {
  struct Case {
    const char* line;
    const char* name;
    const char* value;
  } cases[] = {
      // Quoted: case and blank kept, quotes removed.
      {"prog /dpath:'C:\\My Apps'", "DPATH", "C:\\My Apps"},
      // Bare: the value ends at the colon and is upper-cased.
      {"prog /dpath:c:\\apps", "DPATH", "C"},
      {"prog /RUN:X/TRACE:2", "RUN", "X"},
      {"prog /RUN:X/TRACE:2", "TRACE", "2"},
      {"prog /RUN:'PrcExec demo.prx' /TRACE:3", "RUN", "PrcExec demo.prx"},
      {"prog /RUN=menu2&/TRACE=3", "RUN", "MENU2"},
      {"prog /RUN:'x&y/z:w' /TRACE:1", "RUN", "x&y/z:w"},
      // A bare Linux path ends at its first slash: such values must be quoted.
      {"prog /DPATH:/srv/x", "DPATH", ""},
      {"prog -TRACE:3", "TRACE", "3"},
      {"prog --TRACE:3", "TRACE", "3"},
      // A name counts only at the start of an item.
      {"prog /XRUN:5", "RUN", ""},
      {"prog /RUN:5", "UN", ""},
      // Absent, and a name inside a quoted value.
      {"prog /TRACE:1", "RUN", ""},
      {"prog /INPUT:'a /RUN:x'", "RUN", ""},
      // Lower-case retry for an upper-case name, upper-case retry for a lower-case one.
      {"prog /apname:pl", "APNAME", "PL"},
      {"prog /APNAME:pl", "apname", "PL"},
  };
  for (const Case& c : cases) {
    Store(c.line);
    EXPECT_EQ(ByName(c.name), c.value) << c.line << " " << c.name;
  }
}

TEST_F(CmdLineTest, OptionsByNumber) {
  EXPECT_EQ(S(CmdOptionName(1)), "?;HELP");
  EXPECT_EQ(S(CmdOptionName(2)), "APNAME");
  EXPECT_EQ(S(CmdOptionName(13)), "MODE");
  EXPECT_EQ(S(CmdOptionName(19)), "PASSW");
  EXPECT_EQ(S(CmdOptionName(0)), "");
  EXPECT_EQ(S(CmdOptionName(20)), "");

  Store("prog.exe /apname:pl /MODE:PRNTOFILE /TRACE:3");
  EXPECT_EQ(Opt(kOptApName), "PL");
  EXPECT_EQ(Opt(kOptTrace), "3");
  EXPECT_EQ(Opt(kOptRun), "");
  EXPECT_EQ(Opt(0), "");
  EXPECT_EQ(Opt(20), "");
  EXPECT_EQ(CmdOptionIn(kOptMode, StrOf("ADMIN,PRNTOFILE")), 2);
  EXPECT_EQ(CmdOptionIn(kOptTrace, StrOf("ADMIN,PRNTOFILE")), 0);
  // An absent option is in no list, not even one with an empty item.
  EXPECT_EQ(CmdOptionIn(kOptRun, StrOf(",ADMIN")), 0);
}

TEST_F(CmdLineTest, HelpOptionPresentWithoutValueReadsYes) {
  Store("prog /?;HELP:");
  EXPECT_EQ(Opt(kOptHelp), "YES");
  Store("prog /?;HELP:no");
  EXPECT_EQ(Opt(kOptHelp), "NO");
  Store("prog /TRACE:");
  EXPECT_EQ(Opt(kOptHelp), "");
  // Only option 1 turns presence into "YES".
  EXPECT_EQ(Opt(kOptTrace), "");
}

TEST_F(CmdLineTest, HelpIsAskedByItsUsualSpellings) {
  struct Case {
    std::vector<const char*> args;
    bool asked;
  };
  const Case cases[] = {
      {{"/?"}, true},
      {{"-?"}, true},
      {{"/HELP"}, true},
      {{"--help"}, true},
      {{"-Help"}, true},
      {{"/?;HELP:"}, true},
      {{"/TRACE:3", "/help:yes"}, true},
      {{"/HELP:no"}, false},
      {{}, false},
      {{"/HELPER"}, false},
      {{"?"}, false},
      {{"help"}, false},
      {{"/RUN:'PrcExec /?'"}, false},
      {{"/H"}, false},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"prog"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(CmdHelpAsked(static_cast<int>(argv.size()), argv.data()), c.asked)
        << (c.args.empty() ? "(none)" : c.args[0]);
  }
}

TEST_F(CmdLineTest, ValueOutlivesChangesOfTheStore) {
  Store("prog /DPATH:'/srv/data files'");
  StrPair v = CmdOption(kOptDPath);
  Store("other /DPATH:'/somewhere else entirely, much longer than before'");
  for (uint16_t i = 0; i < 40; ++i) ASSERT_EQ(DynStrSet(sl::kSettings, i, StrOf("filler text")), kOk);
  EXPECT_EQ(S(v), "/srv/data files");
}

TEST_F(CmdLineTest, StoreThatDoesNotFitKeepsTheOldLine) {
  Store("prog /TRACE:1");
  std::string huge = "prog /RUN:" + std::string(62000, 'x');
  EXPECT_EQ(CmdLineStore(StrOf(huge)), kStStrOutBound);
  EXPECT_EQ(S(CmdLineGet()), "prog /TRACE:1");
  EXPECT_EQ(CmdLineStore(StrFail(kStStringTooLong)), kStStringTooLong);
  EXPECT_EQ(S(CmdLineGet()), "prog /TRACE:1");
}

TEST_F(CmdLineTest, JoinArgsLeavesOutTheProgramAndATrailingControlCharacter) {
  const char* a[] = {"prog", "/TRACE:3", "/RUN:X\r"};
  EXPECT_EQ(S(CmdLineJoinArgs(3, a)), "/TRACE:3 /RUN:X");
  const char* b[] = {"prog", "a", "b"};
  EXPECT_EQ(S(CmdLineJoinArgs(3, b)), "a b");
  EXPECT_EQ(S(CmdLineJoinArgs(1, b)), "");
  const char* c[] = {"prog", "x\n\n"};
  EXPECT_EQ(S(CmdLineJoinArgs(2, c)), "x\n");
}

TEST_F(CmdLineTest, RebuildQuotesTheProgramAndPlainArgumentsWithBlanks) {
  struct Case {
    std::vector<const char*> argv;
    const char* line;
  } cases[] = {
      {{"pelmora", "-TRACE:3", "/DPATH:'/srv/my apps'"},
       "\"/opt/pl/pelmora\" -TRACE:3 /DPATH:'/srv/my apps'"},
      // Options are passed as typed, blanks and quotes included.
      {{"pelmora", "/RUN:'PrcExec demo.prx'"}, "\"/opt/pl/pelmora\" /RUN:'PrcExec demo.prx'"},
      {{"pelmora", "/RUN:PrcExec demo.prx"}, "\"/opt/pl/pelmora\" /RUN:PrcExec demo.prx"},
      // Other arguments holding a blank are quoted; with a double quote inside, in apostrophes.
      {{"pelmora", "my file.txt", "plain"}, "\"/opt/pl/pelmora\" \"my file.txt\" plain"},
      {{"pelmora", "say \"hi\""}, "\"/opt/pl/pelmora\" 'say \"hi\"'"},
      {{"pelmora", ""}, "\"/opt/pl/pelmora\" \"\""},
      {{"pelmora"}, "\"/opt/pl/pelmora\""},
  };
  for (const Case& c : cases) {
    StrPair line = CmdLineRebuild(StrOf("/opt/pl/pelmora"), static_cast<int>(c.argv.size()), c.argv.data());
    EXPECT_EQ(S(line), c.line);
  }
}

TEST_F(CmdLineTest, RebuiltArgvReadsBack) {
  const char* argv[] = {"pelmora", "-TRACE:3", "/DPATH:'/srv/my apps'", "--RUN:'PrcExec demo.prx'"};
  ASSERT_EQ(CmdLineStore(CmdLineRebuild(StrOf("/opt/my apps/pelmora"), 4, argv)), kOk);
  EXPECT_EQ(S(CmdLineGet()),
            "\"/opt/my apps/pelmora\" /TRACE:3 /DPATH:'/srv/my apps' /RUN:'PrcExec demo.prx'");
  EXPECT_EQ(Opt(kOptTrace), "3");
  EXPECT_EQ(Opt(kOptDPath), "/srv/my apps");
  EXPECT_EQ(Opt(kOptRun), "PrcExec demo.prx");
  // The program path is quoted, so no option is read out of it.
  EXPECT_EQ(Opt(kOptApName), "");
}

TEST_F(CmdLineTest, RebuildFromArgvStartsWithTheAbsoluteProgramPath) {
  const char* argv[] = {"some-name", "/TRACE:7"};
  StrPair line = CmdLineFromArgv(2, argv);
  ASSERT_TRUE(line.ok());
  std::string s = S(line);
  ASSERT_GE(s.size(), 2u);
  EXPECT_EQ(s.substr(0, 2), "\"/");
  EXPECT_EQ(s.substr(s.size() - 9), " /TRACE:7");
  ASSERT_EQ(CmdLineStore(line), kOk);
  EXPECT_EQ(Opt(kOptTrace), "7");
  std::string program = S(CmdProgramPath("ignored"));
  EXPECT_EQ(s, "\"" + program + "\" /TRACE:7");
}

TEST_F(CmdLineTest, RebuildTooLongFails) {
  std::string big(70000, 'a');
  const char* argv[] = {"p", big.c_str()};
  StrPair line = CmdLineRebuild(StrOf("/p"), 2, argv);
  EXPECT_FALSE(line.ok());
  EXPECT_EQ(StrError(line), kStStringTooLong);
}

}  // namespace
}  // namespace eng::test
