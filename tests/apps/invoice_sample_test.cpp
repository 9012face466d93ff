// The sample invoice of truvesca, printed by the built program: its number
// from the year's series, its VAT by rate, its total in words and the
// customer's account with its IBAN.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/cp1252.h"
#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

class InvoiceSampleTest : public TempFolderTest {};

TEST_F(InvoiceSampleTest, TheDemoInvoiceUsesTheInvoicingFunctions) {
  fs::path work = CopySample("Truvesca", dir_);
  RunResult r = RunProgram(TRUVESCA_EXE, work, {"/RUN:'PrcExec demo.prx'"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string demo = ReadFile(work / "DEMO.TXT");
  const std::string lines[] = {
      std::string(Cp1252("Factura nº F24/   1\r\n").view()),
      "IVA 21% sobre      82.65       17.36\r\n",
      "Son:\r\n  cien con uno\r\n",
      "Cuenta ES91 2100 0418 45 0200051332\r\n",
  };
  for (const std::string& line : lines) EXPECT_NE(demo.find(line), std::string::npos) << line << demo;
  std::string counters = ReadFile(work / "TRCOUNT.DAT");
  ASSERT_EQ(counters.size(), 8192u);
  EXPECT_EQ(counters.substr(4096, 8), "       1");

  // The next invoice, on a fresh copy holding this counters file, takes the
  // next number of the series.
  fs::path again = CopySample("Truvesca", dir_ / "again");
  fs::copy_file(work / "TRCOUNT.DAT", again / "TRCOUNT.DAT");
  ASSERT_EQ(RunProgram(TRUVESCA_EXE, again, {"/RUN:'PrcExec demo.prx'"}).exit_code, 0);
  EXPECT_NE(ReadFile(again / "DEMO.TXT").find(std::string(Cp1252("Factura nº F24/   2\r\n").view())),
            std::string::npos);
}

}  // namespace
}  // namespace eng::test
