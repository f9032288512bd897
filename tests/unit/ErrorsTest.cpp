#include <cwchar>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "device/Errors.h"

using namespace kAPI;

namespace {

struct TextCase {
    const char* name;
    std::function<Error()> make;
    int code;
    const wchar_t* text;
};

class ErrorTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(ErrorTexts, CarryCodeAndText)
{
    const Error e = GetParam().make();
    EXPECT_EQ(e.code, GetParam().code);
    EXPECT_STREQ(e.what(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorTexts,
    ::testing::Values(
        TextCase{"FromCode23", [] { return MemoryRangeError(ErrorFromCode(23)); }, 23,
                 L"Address Out of Range"},
        TextCase{"FromCode1", [] { return Error(ErrorFromCode(1)); }, 1,
                 L"Unknown or System Error"},
        TextCase{"FromCode25", [] { return Error(ErrorFromCode(25)); }, 25, L"Canceled"},
        TextCase{"UserCancel", [] { return MakeUserCancel(); }, 9999, L"Canceled"},
        TextCase{"NoPortIsCode2", [] { return CriticalError(L"No Comm Port Specified", 2); }, 2,
                 L"No Comm Port Specified"},
        TextCase{"BadEchoFromCode13", [] { return CommError(ErrorFromCode(13)); }, 13,
                 L"Bad Command Echo"},
        TextCase{"VerifyError", [] { return VerifyError(0x2C); }, 9,
                 L"Data did not match expected values"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorTable, HoldsTwentyFiveRowsInCodeOrder)
{
    EXPECT_STREQ(ErrorMessages[ErrNoPortSpecified], L"No Comm Port Specified");
    EXPECT_STREQ(ErrorMessages[ErrBadWriteParameter], L"Bad Write Parameter");
    EXPECT_STREQ(ErrorMessages[ErrBadReadParameter], L"Bad Read Parameter");
    EXPECT_STREQ(ErrorMessages[ErrDataMismatch], L"Data did not match expected values");
    EXPECT_STREQ(ErrorMessages[ErrorMessageCount], L"Canceled");
}

TEST(ErrorFromCodeOutsideTable, StillGivesAText)
{
    EXPECT_STREQ(Error(ErrorFromCode(0)).what(), L"Unknown or System Error");
    EXPECT_STREQ(Error(ErrorFromCode(26)).what(), L"Unknown or System Error");
}

TEST(UnknownErrorText, KeepsSeventyCharactersOfALongText)
{
    std::wstring longText(80, L'x');
    longText[69] = L'y';
    UnknownError e(longText.c_str());
    EXPECT_EQ(std::wstring(e.what()), longText.substr(0, 70));
}

TEST(UnknownErrorText, CopyOwnsItsTextAfterTheSourceIsGone)
{
    std::wstring text = L"SetRTS";
    auto source = std::make_unique<UnknownError>(text.c_str());
    text.assign(L"overwritten");
    UnknownError copy(*source);
    UnknownError assigned(L"other");
    assigned = *source;
    source.reset();
    EXPECT_STREQ(copy.what(), L"SetRTS");
    EXPECT_STREQ(assigned.what(), L"SetRTS");
    EXPECT_EQ(copy.code, 1);
}

template <typename Thrown>
bool CaughtAs(const Thrown& error, bool& asComm)
{
    asComm = false;
    try {
        try {
            throw error;
        } catch (const CommError&) {
            asComm = true;
            return true;
        }
    } catch (const Error&) {
        return true;
    }
    return false;
}

TEST(ErrorCatching, BaseCatchesEveryClassAndCommErrorOnlyItself)
{
    bool asComm = false;
    EXPECT_TRUE(CaughtAs(CriticalError(L"x", 2), asComm));
    EXPECT_FALSE(asComm);
    EXPECT_TRUE(CaughtAs(CommError(L"x", 12), asComm));
    EXPECT_TRUE(asComm);
    EXPECT_TRUE(CaughtAs(VerifyError(0x2C), asComm));
    EXPECT_TRUE(asComm);
    EXPECT_TRUE(CaughtAs(UnknownError(L"x"), asComm));
    EXPECT_TRUE(CaughtAs(MakeUserCancel(), asComm));
    EXPECT_TRUE(CaughtAs(Device_Not_Present(L"x", 17), asComm));
    EXPECT_TRUE(CaughtAs(MemoryRangeError(ErrorFromCode(23)), asComm));
    EXPECT_TRUE(CaughtAs(BadInstruction(ErrorFromCode(7)), asComm));
    EXPECT_FALSE(asComm);
}

}  // namespace
