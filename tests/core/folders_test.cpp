#include "core/folders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "core/cmd_line.h"
#include "core/dyn_strings.h"
#include "core/err_register.h"
#include "core/string_lists.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the length of a test.
class EnvGuard {
 public:
  EnvGuard(const char* name, const char* value) : name_(name) {
    if (const char* old = ::getenv(name)) old_ = std::string(old);
    ::setenv(name, value, 1);
  }
  ~EnvGuard() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class FoldersTest : public TempFolderTest {
 protected:
  static void Set(uint16_t element, const std::string& text) {
    ASSERT_EQ(DynStrSet(sl::kSettings, element, StrOf(text)), kOk);
  }
  static std::string Expand(const std::string& text) { return S(AppPathKinds(StrOf(text))); }
  std::string Dir() const { return dir_.string(); }
};

TEST_F(FoldersTest, JoinSplitAndFold) {
  struct Join {
    const char* a;
    const char* b;
    const char* out;
  } joins[] = {
      {"a\\", "\\b", "a/b"}, {"C:", "x", "C:/x"}, {"", "x", "x"},      {"a", "", "a"},
      {"a/", "b", "a/b"},    {"a", "/b", "a/b"},  {"a", "b\\c", "a/b/c"},
  };
  for (const Join& j : joins) EXPECT_EQ(S(PathJoin(StrOf(j.a), StrOf(j.b))), j.out) << j.a << " " << j.b;

  struct Split {
    const char* path;
    int parts;
    const char* out;
  } splits[] = {
      {"d\\a.b.c", 4 | 8, "a.b.c"},
      {"C:\\a\\b\\f.txt", 1, "C:"},
      {"C:\\a\\b\\f.txt", 2, "\\a\\b"},
      {"C:\\a\\b\\f.txt", 3, "C:\\a\\b"},
      {"C:\\a\\b\\f.txt", 4, "f"},
      {"C:\\a\\b\\f.txt", 8, ".txt"},
      {"C:\\a\\b\\f.txt", 6, "\\a\\b/f"},
      {"C:file.txt", 5, "C:file"},
      {"/opt/pl/pelmora", 3, "/opt/pl"},
      {"/pelmora", 3, "/"},
      {"/pelmora", 6, "/pelmora"},
      {"a.dir/file", 8, ""},
      {"file", 4, "file"},
      {"", 15, ""},
  };
  for (const Split& s : splits) EXPECT_EQ(S(PathSplit(StrOf(s.path), s.parts)), s.out) << s.path << " " << s.parts;

  struct Fold {
    const char* base;
    const char* rel;
    const char* out;
  } folds[] = {
      {"C:\\a\\b", "..\\..\\x", "C:/x"},
      {"/t/a/b", "..\\data", "/t/a/data"},
      {"/t/a/", "../x", "/t/x"},
      {"/t", "../../x", "/x"},
      {"C:\\a", "..\\..\\..\\x", "C:/x"},
      {"a/./b", "./c", "a/b/c"},
      {"", "..\\data", "data"},
  };
  for (const Fold& f : folds)
    EXPECT_EQ(S(PathFoldDots(StrOf(f.base), StrOf(f.rel))), f.out) << f.base << " " << f.rel;

  EXPECT_EQ(S(PathAddExt(StrOf("PLMENU"), StrOf("PMT"))), "PLMENU.PMT");
  EXPECT_EQ(S(PathSlashes(StrOf("a\\b/c\\"))), "a/b/c/");
  struct Ext {
    int n;
    const char* out;
  } exts[] = {{0, ""}, {1, ""}, {2, "FD"}, {3, "DIR"}, {4, "NDX"}, {5, "TMP"}, {6, "TXT"}, {7, ""}, {130, "fd"}, {134, "txt"}};
  for (const Ext& e : exts) EXPECT_EQ(S(PathKindExt(e.n)), e.out) << e.n;
}

TEST_F(FoldersTest, ProgramWords) {
  ASSERT_EQ(CmdLineStore(StrOf("\"/opt/my apps/pelmora\" second /TRACE:1")), kOk);
  EXPECT_EQ(S(PathProgram(0)), "/opt/my apps/pelmora");
  EXPECT_EQ(S(PathProgram(2)), "/opt/my apps");
  EXPECT_EQ(S(PathProgram(1)), "second");
  EXPECT_EQ(S(PathFolder(kPathRunPath)), "/opt/my apps");
  EXPECT_FALSE(PathOnHighDrive());
  ASSERT_EQ(CmdLineStore(StrOf("prog /TRACE:1")), kOk);
  EXPECT_EQ(S(PathProgram(1)), "");
  ASSERT_EQ(CmdLineStore(StrOf("F:\\apps\\pl.exe")), kOk);
  EXPECT_TRUE(PathOnHighDrive());
  EXPECT_EQ(S(PathFolder(kPathRunPath)), "F:\\apps");
  ASSERT_EQ(CmdLineStore(StrOf("C:\\apps\\pl.exe")), kOk);
  EXPECT_FALSE(PathOnHighDrive());
}

TEST_F(FoldersTest, FolderKinds) {
  fs::create_directories(dir_ / "a" / "b");
  fs::current_path(dir_ / "a" / "b");
  ASSERT_EQ(CmdLineStore(StrOf("\"/opt/pl/pelmora\"")), kOk);
  Set(sl::kAppFolder, "/srv/app");
  Set(sl::kDatabaseLogin, "host1,'Sales DB',user,pw");
  std::string cwd = (dir_ / "a" / "b").string();

  struct Case {
    int kind;
    std::string folder;
  } cases[] = {
      {kPathRunPath, "/opt/pl"},
      {kPathDefault, "/srv/app"},
      // The data folder follows the current folder while the documents folder is not set.
      {kPathData, (dir_ / "a" / "data").string()},
      {kPathDocs, cwd},
      {kPathHelp, "/srv/app/Help"},
      {kPathBackup, "Backups"},
      {kPathBackRel, cwd + "/Backups/HOST1/Sales DB"},
      {0, ""},
      {8, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(S(PathFolder(c.kind)), c.folder) << c.kind;

  Set(sl::kDocsFolder, "/home/u/docs");
  Set(sl::kHelpFolder, "/srv/help_es");
  EXPECT_EQ(S(PathFolder(kPathData)), "/home/u/data");
  EXPECT_EQ(S(PathFolder(kPathDocs)), "/home/u/docs");
  EXPECT_EQ(S(PathFolder(kPathHelp)), "/srv/help_es");
  EXPECT_EQ(S(PathFolder(kPathBackup)), "/home/u/docs/Backups");
  EXPECT_EQ(S(PathFolderFile(StrOf("x.dat"), kPathDefault)), "/srv/app/x.dat");

  // A program on drive F or later takes its data folder beside the application folder.
  ASSERT_EQ(CmdLineStore(StrOf("G:\\pl\\pelmora.exe")), kOk);
  Set(sl::kAppFolder, "G:\\pl\\apps");
  EXPECT_EQ(S(PathFolder(kPathData)), "G:/pl/data");
}

TEST_F(FoldersTest, PercentMacros) {
  fs::create_directories(dir_ / "a" / "b");
  fs::current_path(dir_ / "a" / "b");
  EnvGuard temp("TEMP", "/var/tmp/eng");
  ASSERT_EQ(CmdLineStore(StrOf("\"/opt/pl/pelmora\" /TRACE:3")), kOk);
  Set(sl::kIdentity, "PLMRQV13:Norvique");
  Set(sl::kTitle, "Pelmora");
  Set(sl::kLanguage, "ES");
  Set(sl::kAppFolder, "/srv/app");
  Set(sl::kDatabaseLogin, "'Host A',db1");
  std::string data = (dir_ / "a" / "data").string();

  struct Case {
    const char* text;
    std::string out;
  } cases[] = {
      {"%APPPATH_DATA%\\x", data + "\\x"},
      {"%TEMP%", "/var/tmp/eng"},
      {"%temp%", "/var/tmp/eng"},
      {"a%NOPE%b", "ab"},
      {"%APNAME%FSTAT.DAT", "PLFSTAT.DAT"},
      // A setting first expands the whole text: the later folder macro is lost.
      {"%APNAME%\\%TEMP%", "PL\\"},
      {"%TEMP%\\%APNAME%", "/var/tmp/eng\\PL"},
      // Folder macros are replaced inside quotes too; settings only outside.
      {"'%APPPATH_DEFAULT%'", "'/srv/app'"},
      {"echo '%APNAME%' %APNAME%", "echo '%APNAME%' PL"},
      {"%APDESCRIP%/%LANGMODULE.DOCPATH%/%DATAPATH%", "Pelmora/ES//srv/app"},
      {"%DATABASE_HOST%:%DATABASE_DBNAME%:%DATABASE_USER%", "Host A:DB1:"},
      {"%COMMANDLINE%", "\"/opt/pl/pelmora\" /TRACE:3"},
      {"100%", "100%"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Expand(c.text), c.out) << c.text;

  EXPECT_EQ(S(EnvKeyNames(StrOf("%TEMP%x%APNAME%"))), "xPL");
  EXPECT_EQ(S(EnvKeyNames(StrOf("'%APNAME%'"))), "'%APNAME%'");
}

TEST_F(FoldersTest, MacrosWhoseValuesHoldMacros) {
  Set(sl::kIdentity, "PLMRQV13:Norvique");
  // A value naming another macro is expanded in turn.
  Set(sl::kDocsFolder, "%APNAME%docs");
  EXPECT_EQ(Expand("%HELPPATH%"), "PLdocs");
  // A value naming its own macro ends the expansion, leaving it as it stands.
  Set(sl::kTitle, "A %APDESCRIP% B");
  EXPECT_EQ(Expand("[%APDESCRIP%]"), "[A %APDESCRIP% B]");
  EXPECT_EQ(S(EnvKeyNames(StrOf("%APDESCRIP%"))), "A %APDESCRIP% B");
  EnvGuard temp("TEMP", "%TEMP%");
  EXPECT_EQ(Expand("%TEMP%\\x"), "%TEMP%\\x");
  EnvGuard home("HOMEPATH", "%TEMP%/h");
  EXPECT_EQ(Expand("%HOMEPATH%"), "%TEMP%/h");
}

TEST_F(FoldersTest, FindFileAlongFolders) {
  fs::create_directories("f1");
  fs::create_directories("f2");
  fs::create_directories("f1/PLDICC.DAT");  // a folder is not the file
  Put("f2/pldicc.dat", "x");
  Put("here.txt", "x");
  EXPECT_EQ(S(PathFindFile(StrOf("f1,f2"), StrOf("PLDICC.DAT"))), "f2/PLDICC.DAT");
  EXPECT_EQ(S(PathFindFile(StrOf(" f1 , f2 "), StrOf("PLDICC.DAT"))), "f2/PLDICC.DAT");
  EXPECT_EQ(S(PathFindFile(StrOf("f1,f2"), StrOf("here.txt"))), "here.txt");
  EXPECT_EQ(S(PathFindFile(StrOf("f1,f2"), StrOf("none.txt"))), "");
  EXPECT_EQ(S(PathFindFile(StrOf(""), StrOf(""))), "");
}

TEST_F(FoldersTest, MakeDirs) {
  EXPECT_EQ(PathMakeDirs(StrOf("x/y\\z")), kOk);
  EXPECT_TRUE(fs::is_directory("x/y/z"));
  EXPECT_EQ(PathMakeDirs(StrOf("x/y\\z/")), kOk);
  EXPECT_EQ(PathMakeDirs(StrOf(Dir() + "/abs/one")), kOk);
  EXPECT_TRUE(fs::is_directory("abs/one"));

  EXPECT_EQ(PathMakeDirs(StrOf("plain")), kStDataError);
  EXPECT_NE(S(ErrIncidentText()).find("plain"), std::string::npos);
  EXPECT_FALSE(fs::exists("plain"));

  Put("file", "x");
  EXPECT_EQ(PathMakeDirs(StrOf("file/sub")), kStLowFailure);
  EXPECT_EQ(Get("file"), "x");
}

TEST_F(FoldersTest, TempFileNamesAreFreshInTheTempFolder) {
  EnvGuard temp("TEMP", Dir().c_str());
  std::string a = S(PathTempFile(StrOf("kv")));
  std::string b = S(PathTempFile(StrOf("kv")));
  ASSERT_EQ(a.substr(0, Dir().size() + 3), Dir() + "/kv");
  EXPECT_NE(a, b);
  EXPECT_FALSE(fs::exists(a));
}

TEST_F(FoldersTest, StartMenuName) {
  fs::create_directories("app");
  Set(sl::kIdentity, "PLMRQV13:Norvique");
  Set(sl::kAppFolder, Dir() + "/app");
  ASSERT_EQ(CmdLineStore(StrOf("prog")), kOk);
  EXPECT_EQ(S(AppStartMenuName(StrOf("GIVEN"))), "GIVEN");
  EXPECT_EQ(S(AppStartMenuName(StrOf(""))), "");
  Put("app/plmenu.ppn", "x");
  EXPECT_EQ(S(AppStartMenuName(StrOf(""))), "PLMENU");
  ASSERT_EQ(CmdLineStore(StrOf("prog /APSTART:other,2")), kOk);
  EXPECT_EQ(S(AppStartMenuName(StrOf(""))), "");
  Put("app/OTHER.PMT", "x");
  EXPECT_EQ(S(AppStartMenuName(StrOf(""))), "OTHER,2");
}

TEST_F(FoldersTest, HelpFolderByLanguage) {
  Set(sl::kLanguage, "ES");
  ASSERT_EQ(HelpSetFolder(StrOf("/srv/app/Help_%s")), kOk);
  EXPECT_EQ(S(DynStrGet(sl::kSettings, sl::kHelpFolder)), "/srv/app/Help_es");
  EXPECT_EQ(S(PathFolder(kPathHelp)), "/srv/app/Help_es");
}

}  // namespace
}  // namespace eng::test
