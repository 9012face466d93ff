// The built program writes a PDF from a procedure of its sample application
// (listado.prx); the document is read back with poppler's tools.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/apps/program_run.h"
#include "tests/apps/sample_copy.h"
#include "tests/support/temp_folder.h"

namespace eng::test {
namespace {

namespace fs = std::filesystem;

class OutputRunTest : public TempFolderTest {};

TEST_F(OutputRunTest, PelmoraPrintsAPdfFromAProcedure) {
  fs::path work = CopySample("Pelmora", dir_);
  int code = -1;
  std::string err = Shell("cd '" + work.string() + "' && '" PELMORA_EXE "' \"/RUN:'PrcExec listado.prx'\" </dev/null",
                          &code);
  ASSERT_EQ(code, 0) << err;
  std::string pdf = (work / "LISTADO.PDF").string();
  ASSERT_TRUE(fs::exists(pdf)) << err;
  std::string info = Shell("pdfinfo '" + pdf + "'");
  EXPECT_TRUE(std::regex_search(info, std::regex("Pages:\\s+2\\n"))) << info;
  std::string images = Shell("pdfimages -list '" + pdf + "'");
  EXPECT_NE(images.find("   1     0 image     160    32"), std::string::npos) << images;
  EXPECT_NE(images.find("   2     1 image     160    32"), std::string::npos) << images;
  std::string text = Shell("pdftotext -layout '" + pdf + "' -");
  EXPECT_NE(text.find("LISTADO DE PRUEBA\nL\xC3\xADnea   1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("L\xC3\xADnea 100"), std::string::npos) << text;
}

}  // namespace
}  // namespace eng::test
