// Every command of both sample menus, run headless the way a menu item runs
// it: each one ends by itself (a window that would ask the user fails fast)
// and none of them crashes or trips the sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

// The commands of a menu file: the text after the first comma of each line
// that has one (the lines are "<tabs>title,command").
std::vector<std::string> MenuCommands(const fs::path& pmt) {
  std::vector<std::string> out;
  std::istringstream in(ReadFile(pmt));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t comma = line.find(',');
    if (comma != std::string::npos) out.push_back(line.substr(comma + 1));
  }
  return out;
}

class MenuEntriesTest : public TempFolderTest {};

TEST_F(MenuEntriesTest, EveryMenuCommandEndsWithoutACrash) {
  struct Case {
    const char* title;
    const char* exe;
    const char* menu;
  };
  const Case cases[] = {
      {"Pelmora", PELMORA_EXE, "P2MENU.PMT"},
      {"Truvesca", TRUVESCA_EXE, "T2MENU.PMT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    fs::path work = CopySample(c.title, dir_);
    ASSERT_EQ(RunProgram(c.exe, work, {"/RUN:'PrcExec demo.prx'"}).exit_code, 0);
    const std::vector<std::string> commands = MenuCommands(work / ".." / "apps" / c.menu);
    ASSERT_FALSE(commands.empty());
    for (const std::string& command : commands) {
      SCOPED_TRACE(command);
      RunResult r = RunProgram(c.exe, work, {"/RUN:'" + command + "'"});
      EXPECT_GE(r.exit_code, 0) << "the program ended on a signal\n" << r.err;
      EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    }
  }
}

}  // namespace
}  // namespace eng::test
