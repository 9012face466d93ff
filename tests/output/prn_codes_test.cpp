// The Lpt Config editor of the printer-codes file: stores into the file
// image, the two forms and the rewrite of the whole file.
#include <gtest/gtest.h>

#include "output/prn_codes.h"
#include "tests/output/output_fixture.h"

namespace eng::test {
namespace {

class LptConfigTest : public OutputTest {
 protected:
  static std::string File() {
    return CodesFile(6, [](int n, int k) { return std::string(1, static_cast<char>(n * 16 + k)); });
  }
  // Answers the forms in turn; an empty answer cancels.
  static inline std::vector<std::string> answers;
  static inline std::vector<std::string> forms;
  static Status Forms(StrPair title, StrPair form, std::string& values) {
    forms.push_back(title.str() + "|" + form.str());
    if (answers.empty() || answers.front().empty()) return kStCancelled;
    values = answers.front();
    answers.erase(answers.begin());
    return kOk;
  }
  void SetUp() override {
    OutputTest::SetUp();
    answers.clear();
    forms.clear();
    LptConfigSetFormRunner(&Forms);
  }
};

TEST_F(LptConfigTest, StoresIntoTheImage) {
  std::string image = File();
  ASSERT_EQ(LptConfigStore(2, kPrnFieldWidth, 8, image, "132,'66'"), kOk);
  EXPECT_EQ(static_cast<unsigned char>(image[336]), 132);
  EXPECT_EQ(static_cast<unsigned char>(image[344]), 66);
  std::string before = image;
  EXPECT_EQ(LptConfigStore(2, 0, 1, image, ""), kStCancelled);
  EXPECT_EQ(LptConfigStore(6, kPrnFieldLines, 8, image, "1,2"), kStDataOutBound) << "past the image";
  EXPECT_EQ(LptConfigStore(1, 0, 1, image, "1,300"), kStDataOutBound) << "not a byte";
  EXPECT_EQ(image, before) << "a refused store changes nothing";
}

TEST_F(LptConfigTest, EditsAnEntryAndRewritesTheFile) {
  EXPECT_EQ(LptConfigEdit(1), kStFileNotFound);
  Put("KVPRNP00.DAT", "");
  EXPECT_EQ(LptConfigEdit(1), kOk) << "an empty file: nothing to edit";
  EXPECT_TRUE(forms.empty());
  Put("KVPRNP00.DAT", File());
  answers = {""};
  EXPECT_EQ(LptConfigEdit(2), kOk);
  EXPECT_EQ(Get("KVPRNP00.DAT"), File()) << "cancelled: unchanged";
  EXPECT_EQ(forms[0], "   Lpt2 Config|'Width:':'N3'::'80','Lines:':'N3'::'72'");
  forms.clear();
  std::string codes;
  for (int i = 0; i < 80; ++i) codes += (i ? "," : "") + std::to_string(i == 0 ? 27 : 0);
  answers = {"132,66", codes};
  EXPECT_EQ(LptConfigEdit(2), kOk);
  ASSERT_EQ(forms.size(), 2u);
  EXPECT_EQ(forms[1].substr(0, 60), "   Lpt2 Config|'Cond on:':'N3'::'32'/ROW=1;/COL=15,'':'N3'::");
  std::string file = Get("KVPRNP00.DAT");
  std::string expect = File();
  expect[336] = static_cast<char>(132);
  expect[344] = 66;
  expect.replace(256, 80, std::string(80, '\0'));
  expect[256] = 27;
  EXPECT_EQ(file, expect) << "the head and the other entries stay";
}

}  // namespace
}  // namespace eng::test
