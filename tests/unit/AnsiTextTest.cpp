#include <string>

#include <gtest/gtest.h>

#include "device/AnsiText.h"

namespace {

TEST(AnsiText, EightBitTextRoundTripsAndUnmappableBecomesQuestionMark)
{
    EXPECT_EQ(AnsiText::FromWide(L"Kelvor \u00e9\u20ac"), std::string("Kelvor \xe9\x80"));
    EXPECT_EQ(AnsiText::ToWide(std::string("Kelvor \xe9\x80")), L"Kelvor \u00e9\u20ac");
    EXPECT_EQ(AnsiText::FromWide(L"\u4e2d\u00e9"), std::string("?\xe9"));
    EXPECT_EQ(AnsiText::ToWide(std::string("\x81", 1)), std::wstring(1, L'\x81'));
}

}  // namespace
