#include "core/cp1252.h"

#include <gtest/gtest.h>

namespace eng {
namespace {

constexpr auto kCaution = Cp1252("Precaución ");
static_assert(kCaution.len == 11);
static_assert(static_cast<unsigned char>(kCaution.bytes[8]) == 0xF3);

constexpr auto kMixed = Cp1252("€ñÑüÿ‰—");
static_assert(kMixed.len == 7);

TEST(Cp1252Test, LettersBecomeTheirSingleBytes) {
  EXPECT_EQ(kMixed.view(), std::string_view("\x80\xF1\xD1\xFC\xFF\x89\x97", 7));
  constexpr auto info = Cp1252("Solicitud de Información");
  EXPECT_EQ(info.pair().len, 24);
  EXPECT_EQ(Cp1252("plain ascii").view(), "plain ascii");
  EXPECT_EQ(Cp1252("").len, 0u);
}

}  // namespace
}  // namespace eng
