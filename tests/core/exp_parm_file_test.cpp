#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/exp_parm_file.h"
#include "core/fn_call.h"
#include "core/string_lists.h"
#include "tests/support/exp_fixture.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

class ParmFileTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_EQ(VarInitSystem(), kOk);
  }
  static std::string Var(const std::string& name) {
    ScratchScope scope;
    Status s = VarRead(StrOf(name));
    if (s == 1) return ScratchTop().str();
    return DecToText(NumAccValue()).str();
  }
  static int Entries() {
    int n = 0;
    for (auto& e : std::filesystem::directory_iterator(".")) {
      (void)e;
      ++n;
    }
    return n;
  }
};

TEST_F(ParmFileTest, LoadRunsEveryLine) {
  Put("p.prc", "A=1\r\nB$='x;y'\r\n\r\nC#=A+1.5;D=2\nE=D*2");
  ASSERT_EQ(ExpLoadParmFile(StrOf("p.prc"), 0), kOk);
  EXPECT_EQ(Var("A"), "1");
  EXPECT_EQ(Var("B$"), "x;y");
  EXPECT_EQ(Var("C#"), "2.5");  // a blank line does not end the file
  EXPECT_EQ(Var("E"), "4");
}

TEST_F(ParmFileTest, MissingAndEmptyFiles) {
  EXPECT_EQ(ExpLoadParmFile(StrOf("none.prc"), 0), kOk);
  EXPECT_EQ(ExpLoadParmFile(StrOf("none.prc"), 1), kStFileNotFound);
  EXPECT_NE(ErrIncidentText().str().find("none.prc"), std::string::npos);
  Put("empty.prc", "");
  EXPECT_EQ(ExpLoadParmFile(StrOf("empty.prc"), 1), kOk);
  Put("bad.prc", "A=1\nB$=5");
  EXPECT_EQ(ExpLoadParmFile(StrOf("bad.prc"), 0), kStIncompatibleTypes);
}

TEST_F(ParmFileTest, FoundAlongTheApplicationFolders) {
  std::filesystem::create_directories("one");
  std::filesystem::create_directories("two");
  Put("two/q.prc", "Q=7");
  DynStrSet(sl::kSettings, sl::kAppFolder, StrOf("one,two"));
  ASSERT_EQ(ExpLoadParmFile(StrOf("q.prc"), 1), kOk);
  EXPECT_EQ(Var("Q"), "7");
  // Saving rewrites the file where it was found.
  ASSERT_EQ(ExpSaveParmFile(StrOf("q.prc"), StrOf("R=8")), kOk);
  EXPECT_EQ(Get("two/q.prc"), "R=8;Q=7");
  EXPECT_FALSE(Has("q.prc"));
}

TEST_F(ParmFileTest, NamesHoldPercentSignMacros) {
  DynStrSet(sl::kSettings, sl::kIdentity, StrOf("PLMRQV13:Norvique"));
  Put("PLx.prc", "M=3");
  ASSERT_EQ(ExpLoadParmFile(StrOf("%APNAME%x.prc"), 1), kOk);
  EXPECT_EQ(Var("M"), "3");
  EXPECT_EQ(ExpLoadParmFile(StrOf("%APNAME%y.prc"), 1), kStFileNotFound);
  EXPECT_NE(ErrIncidentText().str().find("PLy.prc"), std::string::npos);
}

TEST_F(ParmFileTest, SaveWritesNewItemsFirstAndKeepsTheFirstOfEachName) {
  Put("p.dat", "A=5;C=2\r\nD$='keep'");
  ASSERT_EQ(ExpExecute(StrOf("x=0")), kOk);
  ASSERT_EQ(ExpSaveParmFile(StrOf("p.dat"), StrOf("A=1,B$='x',C,E$=x")), kOk);
  // C alone is written with its current value: C was never loaded, so 0.
  EXPECT_EQ(Get("p.dat"), "A=1;B$='x';C=0;E$='';D$='keep'");
  EXPECT_EQ(Var("A"), "1");  // the new file was loaded
  EXPECT_EQ(Var("B$"), "x");
  EXPECT_EQ(Var("D$"), "keep");
  EXPECT_EQ(Entries(), 1);
}

Status Chrs(FnArgs& args) {
  FnIntArg a = FnArgInt(args, 1, 0);
  if (a.status) return a.status;
  char c = static_cast<char>(a.value);
  StrPair r = ScratchText(std::string_view(&c, 1));
  return r.ok() ? kOk : StrError(r);
}

TEST_F(ParmFileTest, SavedTextsReloadExactly) {
  FnInstallBuiltin(kFnChrs, Chrs);
  const std::string tricky = "it's \"quoted\";\r\nnext, line\rend";
  ASSERT_EQ(VarAssign(StrOf("T$"), StrOf(tricky)), kOk);
  ASSERT_EQ(ExpSaveParmFile(StrOf("t.prc"), StrOf("T$")), kOk);
  ASSERT_EQ(VarAssign(StrOf("T$"), StrOf("changed")), kOk);
  ASSERT_EQ(ExpLoadParmFile(StrOf("t.prc"), 1), kOk);
  EXPECT_EQ(Var("T$"), tricky);
  EXPECT_EQ(Get("t.prc").find('\n'), std::string::npos);  // one line
}

TEST_F(ParmFileTest, FailingNewItemLeavesTheOldFile) {
  Put("p.dat", "A=5");
  EXPECT_EQ(ExpSaveParmFile(StrOf("p.dat"), StrOf("B='a'*2")), kStIncompatibleTypes);
  EXPECT_EQ(Get("p.dat"), "A=5");
}

}  // namespace
}  // namespace eng::test
