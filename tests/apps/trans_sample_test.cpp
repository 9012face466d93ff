// The sample applications' transaction procedures: a file exported to
// delimited text, loaded again from that text into the emptied file and
// exported once more gives the same text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

class TransSampleTest : public TempFolderTest {};

TEST_F(TransSampleTest, EachSampleExportsAndImportsItsFileBack) {
  struct Case {
    const char* title;
    const char* exe;
    const char* first;
    const char* second;
    const char* line;  // one line the export holds
  };
  const Case cases[] = {
      {"Pelmora", PELMORA_EXE, "CUENTAS.CSV", "CUENTAS2.CSV", "\"43000001\",\"Clientes nacionales\","},
      {"Truvesca", TRUVESCA_EXE, "CLIENTES.CSV", "CLIENTES2.CSV", "\"Distribuciones del Norte\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    fs::path work = CopySample(c.title, dir_);
    ASSERT_EQ(RunProgram(c.exe, work, {"/RUN:'PrcExec demo.prx'"}).exit_code, 0);
    RunResult r = RunProgram(c.exe, work, {"/RUN:'PrcExec exporta.prx'"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const std::string first = ReadFile(work / c.first);
    EXPECT_NE(first.find(c.line), std::string::npos) << first;
    EXPECT_EQ(ReadFile(work / c.second), first);
    // A second run finds the same records.
    ASSERT_EQ(RunProgram(c.exe, work, {"/RUN:'PrcExec exporta.prx'"}).exit_code, 0);
    EXPECT_EQ(ReadFile(work / c.first), first);
  }
}

}  // namespace
}  // namespace eng::test
