// The sample reports of both programs, run headless from their INPUT
// scripts: the report definition asks its limits and its device from the
// script, the limits form comes back until the script ends; the same
// template printed from a procedure gives the same file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

// Compares with tests/apps/golden (UPDATE_GOLDEN=1 rewrites it).
void ExpectGolden(const fs::path& file, const std::string& golden) {
  fs::path path = fs::path(__FILE__).parent_path() / "golden" / golden;
  ASSERT_TRUE(fs::exists(file)) << file;
  if (const char* u = std::getenv("UPDATE_GOLDEN"); u && *u == '1') fs::copy_file(file, path, fs::copy_options::overwrite_existing);
  EXPECT_EQ(ReadFile(file), ReadFile(path)) << golden;
}

class ReportSampleTest : public TempFolderTest {
 protected:
  // Runs the program in the sample's work folder with the INPUT script.
  void RunScript(const std::string& program, const fs::path& work, const std::string& script) {
    std::ofstream(work / "script.txt", std::ios::binary) << script;
    int code = -1;
    std::string err = Shell("cd '" + work.string() + "' && '" + program + "' /INPUT:script.txt </dev/null", &code);
    ASSERT_EQ(code, 0) << err;
  }
};

TEST_F(ReportSampleTest, PelmoraChartOfAccountsWithBalances) {
  fs::path work = CopySample("Pelmora", dir_);
  RunScript(PELMORA_EXE, work,
            "PrcExec cuentas.prx\n"
            "PrcExec informe.prx\n"
            "Report,INFORMES,1\n"
            "'','99999999'\n"
            "SALDOS.TXT /LP:40\n"
            "'43','6'\n"
            "PARTE.TXT /LP:40\n");
  ExpectGolden(work / "SALDOS.TXT", "pelmora_saldos.txt");
  // The procedure prints the same template on the same page length.
  EXPECT_EQ(ReadFile(work / "SALDOS_CUENTAS.TXT"), ReadFile(work / "SALDOS.TXT"));
  // The second round of limits: the accounts from 43 to 6.
  ExpectGolden(work / "PARTE.TXT", "pelmora_saldos_43_6.txt");
}

TEST_F(ReportSampleTest, TruvescaCustomerList) {
  fs::path work = CopySample("Truvesca", dir_);
  RunScript(TRUVESCA_EXE, work,
            "PrcExec albaranes.prx\n"
            "PrcExec informe.prx\n"
            "Report,INFORMES,1\n"
            "'1','1'\n"
            "UNO.TXT /LP:40\n");
  ExpectGolden(work / "LISTADO_CLIENTES.TXT", "truvesca_clientes.txt");
  std::string one = ReadFile(work / "UNO.TXT");
  EXPECT_NE(one.find("     1 Distribuciones del Norte"), std::string::npos) << one;
  EXPECT_EQ(one.find("Ferreter"), std::string::npos) << one;
}

}  // namespace
}  // namespace eng::test
