#include "core/err_register.h"

#include <string>

#include "tests/support/core_fixture.h"

namespace eng::test {
namespace {

using ErrRegisterTest = CoreTest;

TEST_F(ErrRegisterTest, FirstErrorWinsAndWarningsAreNotRecorded) {
  EXPECT_EQ(ErrSetLast(1, kModStreams, kStNoData, 7), 7);
  EXPECT_EQ(ErrGetLast(), 0u);
  ErrSetLast(1, kModMemAcums, kStOutOfMemory, 0);
  ErrSetLast(1, kModStreams, kStFileNotFound, 0);
  EXPECT_EQ(ErrLastCode(), kStOutOfMemory);
  EXPECT_EQ(ErrLastModule(), kModMemAcums);
  EXPECT_EQ(ErrGetLast(), (uint32_t(kModMemAcums) << 16) | kStOutOfMemory);
  EXPECT_EQ(ErrSetLast(0, kModStreams, kStFileNotFound, 9), 0);
  ErrSetLast(2, 0, 0, 0);
  EXPECT_EQ(ErrGetLast(), 0u);
  ErrSetLast(2, kModSort, 5, 0);  // mode 2 records whatever it is given
  EXPECT_EQ(ErrLastCode(), 5);
}

TEST_F(ErrRegisterTest, OnlyErrorsFrom128AreRecordedInMode1) {
  for (Status code : {Status{1}, Status{120}, Status{121}, Status{122}, Status{123}, Status{124},
                      Status{125}, Status{126}, Status{127}}) {
    ErrSetLast(1, kModStreams, code, 0);
    EXPECT_EQ(ErrGetLast(), 0u) << code;
  }
  ErrSetLast(1, kModStreams, kStIncompatibleTypes, 0);
  EXPECT_EQ(ErrLastCode(), kStIncompatibleTypes);
  ErrSetLast(1, kModDataFile, kStLowFailure, 0);  // a later failure does not replace it
  EXPECT_EQ(ErrGetLast(), (uint32_t(kModStreams) << 16) | kStIncompatibleTypes);
}

TEST_F(ErrRegisterTest, SetLastPairFailsWithTheCode) {
  StrPair p = StrOf("text");
  EXPECT_EQ(StrError(ErrSetLastPair(1, kModStreams, kStFileNotFound, p)), kStFileNotFound);
  EXPECT_TRUE(ErrSetLastPair(0, kModStreams, kStFileNotFound, p).ok());
}

TEST_F(ErrRegisterTest, IncidentAppendDropsTheNewestLinesFirst) {
  std::string text;
  for (int i = 0; i < 10; ++i) {
    if (i) text += "\r\n";
    text += std::string(120, char('a' + i));
  }
  ASSERT_EQ(text.size(), 1218u);
  ErrIncident(0, StrOf(text), false);
  EXPECT_EQ(ErrIncident(42, StrOf("NEW"), true), 42);
  std::string got = S(ErrIncidentText());
  EXPECT_EQ(got, text.substr(0, 974) + "\r\nNEW");
}

TEST_F(ErrRegisterTest, IncidentWithoutLineBreaksIsCutToItsOldestPart) {
  std::string text(3000, 'z');
  text[0] = 'A';
  ErrIncident(0, StrOf(text), false);
  ErrIncident(0, StrOf("X"), true);
  std::string got = S(ErrIncidentText());
  EXPECT_EQ(got.size(), 1024u + 3u);
  EXPECT_EQ(got.substr(0, 1), "A");
  EXPECT_EQ(got.substr(1024), "\r\nX");
}

TEST_F(ErrRegisterTest, IncidentReplacesWithoutAppendOrWhenEmpty) {
  ErrIncident(0, StrOf("first"), true);
  EXPECT_EQ(S(ErrIncidentText()), "first");
  ErrIncident(0, StrOf("second"), false);
  EXPECT_EQ(S(ErrIncidentText()), "second");
}

}  // namespace
}  // namespace eng::test
