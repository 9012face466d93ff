// The sample reports of both programs, run headless from their INPUT
// scripts: the report definition asks its limits and its device from the
// script, the limits form comes back until the script ends; the same
// template printed from a procedure gives the same file. pelmora's
// accounting listings (journal, trial balance, profit and loss) run over the
// demo year and are checked against golden files and hand-computed sums.
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
  // Runs the program in the sample's work folder with the INPUT script; its
  // standard error (the message boxes) is returned, its exit code checked.
  std::string RunScript(const std::string& program, const fs::path& work, const std::string& script,
                        bool succeeds = true) {
    std::ofstream(work / "script.txt", std::ios::binary) << script;
    int code = -1;
    std::string err =
        Shell("cd '" + work.string() + "' && '" + program + "' /INPUT:script.txt </dev/null 2>&1", &code);
    EXPECT_EQ(code == 0, succeeds) << "exit code " << code << "\n" << err;
    return err;
  }
};

// The demo journal of 2024 (seven entries) with its period accumulations.
constexpr const char* kPelmoraDemoBooks = "PrcExec cuentas.prx\nPrcExec acumulados.prx\n";

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

// The listings of the Informes menu over the demo year, each asked its dates
// once more until the script ends: the journal, the trial balance and the
// profit and loss of layout 4 (this year and the year before), which also
// rewrites BALANCE.TXT in the work folder. The amounts are the demo table's:
// sales 7 + 60 + 40 = 107, purchases 20, result 87; 43000001 owes
// 7 + 60 + 40 - 40 - 3 = 64 at the year end and 60 from 10 March to 20 May.
TEST_F(ReportSampleTest, PelmoraJournalTrialBalanceAndProfitAndLoss) {
  fs::path work = CopySample("Pelmora", dir_);
  RunScript(PELMORA_EXE, work,
            std::string(kPelmoraDemoBooks) +
                // Run again, the accumulations are rebuilt, not doubled.
                "PrcExec acumulados.prx\n"
                "Report,PLLIS,1\n"
                "'20240101','20241231'\n"
                "DIARIO.TXT /LP:30\n"
                "'20240301','20240430'\n"
                "DIARIO_MAR_ABR.TXT /LP:30\n"
                "\n"
                "Report,PLLIS,2\n"
                "'20240101','20241231'\n"
                "SUMAS.TXT /LP:30\n"
                "'20240310','20240520'\n"
                "SUMAS_PARTE.TXT /LP:30\n"
                "\n"
                "Report,PLLIS,3\n"
                "'20250101','20251231'\n"
                "PYG_2025.TXT /LP:30\n"
                "'20240101','20241231'\n"
                "PYG.PDF\n"
                "'20240101','20241231'\n"
                "PYG.TXT /LP:30\n"
                "'20240310','20240520'\n"
                "PYG_PARTE.TXT /LP:30\n");
  ExpectGolden(work / "DIARIO.TXT", "pelmora_diario.txt");
  ExpectGolden(work / "SUMAS.TXT", "pelmora_sumas.txt");
  ExpectGolden(work / "SUMAS_PARTE.TXT", "pelmora_sumas_parte.txt");
  ExpectGolden(work / "PYG.TXT", "pelmora_pyg.txt");
  ExpectGolden(work / "PYG_2025.TXT", "pelmora_pyg_2025.txt");
  ExpectGolden(work / "PYG_PARTE.TXT", "pelmora_pyg_parte.txt");

  // The hand-computed amounts, line by line.
  struct Line {
    const char* file;
    const char* text;
  };
  const Line lines[] = {
      {"DIARIO.TXT", "Totales                                1.170,00  1.170,00"},
      {"DIARIO_MAR_ABR.TXT", "05-03-2024       3 43000001                7,00           Venta"},
      {"DIARIO_MAR_ABR.TXT", "Totales                                  107,00    107,00"},
      {"SUMAS.TXT", "43000001 Clientes nacionales               107,00     43,00     64,00"},
      {"SUMAS.TXT", "57200001 Bancos                          1.043,00     20,00  1.023,00"},
      {"SUMAS.TXT", "Totales                                  1.170,00  1.170,00"},
      {"SUMAS_PARTE.TXT", "43000001 Clientes nacionales               100,00     40,00     60,00"},
      {"SUMAS_PARTE.TXT", "70000000 Ventas de mercader\xED" "as                       100,00   -100,00"},
      {"PYG.TXT", "Gastos                               -20,00"},
      {"PYG.TXT", "Ingresos                             107,00"},
      {"PYG.TXT", "Resultado                             87,00"},
      // 2025 has no entries: 2024 is the year before.
      {"PYG_2025.TXT", "Gastos                                            -20,00"},
      {"PYG_2025.TXT", "Resultado                                          87,00"},
      // No purchases from 10 March to 20 May: no expenses line.
      {"PYG_PARTE.TXT", "Ingresos                             100,00"},
      {"PYG_PARTE.TXT", "Resultado                            100,00"},
  };
  for (const Line& l : lines) {
    std::string text = ReadFile(work / l.file);
    EXPECT_NE(text.find(l.text), std::string::npos) << l.file << " lacks \"" << l.text << "\"\n" << text;
  }
  std::string mar_abr = ReadFile(work / "DIARIO_MAR_ABR.TXT");
  EXPECT_EQ(mar_abr.find("-01-2024"), std::string::npos) << mar_abr;
  EXPECT_EQ(mar_abr.find("-05-2024"), std::string::npos) << mar_abr;
  EXPECT_EQ(ReadFile(work / "PYG_PARTE.TXT").find("Gastos"), std::string::npos);

  // The balance document of the last run, its lines found by name: with no
  // expenses line the others keep their own values.
  EXPECT_EQ(ReadFile(work / "BALANCE.TXT"), "PERDIDAS Y GANANCIAS\r\nGastos     0\r\nIngresos   100\r\nResultado  100\r\n");
  EXPECT_EQ(ReadFile(work / ".." / "apps" / "BALANCE.TXT").find("100"), std::string::npos)
      << "the template in the application folder is left alone";

  // The same statement as a PDF.
  ASSERT_TRUE(fs::exists(work / "PYG.PDF"));
  if (std::system("command -v pdftotext >/dev/null 2>&1") == 0) {
    std::string pdf = Shell("pdftotext -layout '" + (work / "PYG.PDF").string() + "' -");
    EXPECT_NE(pdf.find("PERDIDAS Y GANANCIAS"), std::string::npos) << pdf;
    EXPECT_NE(pdf.find("Resultado                             87,00"), std::string::npos) << pdf;
  }
}

// Without one of its layout files the profit and loss is not printed: the
// error names the file, and neither the report nor the balance document is
// written.
TEST_F(ReportSampleTest, PelmoraProfitAndLossWithoutItsLayout) {
  fs::path work = CopySample("Pelmora", dir_);
  fs::remove(work / ".." / "apps" / "PLBAL42.DAT");
  std::string err = RunScript(PELMORA_EXE, work,
                              std::string(kPelmoraDemoBooks) +
                                  "Report,PLLIS,3\n"
                                  "'20240101','20241231'\n"
                                  "PYG.TXT /LP:30\n",
                              false);
  EXPECT_NE(err.find("PLBAL42.DAT"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(work / "PYG.TXT"));
  EXPECT_FALSE(fs::exists(work / "BALANCE.TXT"));
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
