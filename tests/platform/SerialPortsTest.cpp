#include "platform/SerialPorts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<CStdStr> Paths(const SERIALPORTS& list)
{
    std::vector<CStdStr> paths;
    for (const SERIALPORT& port : list)
        paths.push_back(port.path);
    return paths;
}

struct SortCase {
    const char* what;
    SERIALPORTS ports;           // the path tells the entries apart
    std::vector<CStdStr> order;  // paths, as sorted
};

TEST(SortPorts, OrdersByNameThenDescriptionByCodeUnits)
{
    const SortCase cases[] = {
        {"not numeric",
         {{L"COM2", L"", L"2"}, {L"COM10", L"", L"10"}, {L"COM1", L"", L"1"}},
         {L"1", L"10", L"2"}},
        {"not numeric, Linux names",
         {{L"ttyS2", L"", L"2"}, {L"ttyS10", L"", L"10"}},
         {L"10", L"2"}},
        {"equal names by description",
         {{L"ttyUSB0", L"b", L"b"}, {L"ttyUSB0", L"a", L"a"}, {L"ttyACM0", L"z", L"z"}},
         {L"z", L"a", L"b"}},
        {"case-sensitive: upper case first",
         {{L"ttyusb0", L"", L"lower"}, {L"ttyUSB1", L"", L"upper"}},
         {L"upper", L"lower"}},
        // U+1F600 is the surrogate pair D83D DE00 in UTF-16, below U+FF21; as code points
        // it would come after.
        {"UTF-16 code units, not code points",
         {{L"\uFF21", L"", L"FF21"}, {L"\U0001F600", L"", L"1F600"}},
         {L"1F600", L"FF21"}},
        {"duplicates kept in their order",
         {{L"ttyS1", L"x", L"second"}, {L"ttyS0", L"x", L"first"}, {L"ttyS1", L"x", L"third"}},
         {L"first", L"second", L"third"}},
    };
    for (const SortCase& c : cases) {
        SERIALPORTS ports = c.ports;
        SortPorts(ports);
        EXPECT_EQ(Paths(ports), c.order) << c.what;
    }
}

// Long enough that an unstable sort would show.
TEST(SortPorts, KeepsTheOrderOfEqualEntries)
{
    SERIALPORTS ports;
    std::vector<CStdStr> first, second;
    for (int i = 0; i < 40; ++i) {
        const CStdStr path = std::to_wstring(i);
        ports.push_back({i % 3 ? L"ttyS1" : L"ttyS0", L"same", path});
        (i % 3 ? second : first).push_back(path);
    }
    SortPorts(ports);
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(Paths(ports), first);
}

TEST(PortItemText, IsNameColonDescriptionOrTheNameAlone)
{
    EXPECT_EQ(PortItemText({L"ttyUSB0", L"FT232R USB UART", L"/dev/ttyUSB0"}),
              L"ttyUSB0 : FT232R USB UART");
    EXPECT_EQ(PortItemText({L"ttyS0", L"", L"/dev/ttyS0"}), L"ttyS0");
}

TEST(FindPortIndex, IgnoresLetterCaseInEachMode)
{
    const SERIALPORTS list = {
        {L"COM3", L"X", L"/dev/a"},
        {L"ttyUSB0", L"FT232R USB UART", L"/dev/b"},
        {L"ttyUSB0", L"Other", L"/dev/c"},
        {L"rfcomm0", L"\u00C9cho", L"/dev/d"},
    };
    struct Case {
        CStdStr text;
        int mode;
        int index;
    } const cases[] = {
        {L"com3 : x", MatchItemText, 0},
        {L"COM3", MatchItemText, -1},
        {L"TTYUSB0", MatchPortName, 1},  // the first of equal names
        {L"COM4", MatchPortName, -1},
        {L"ft232r usb uart", MatchDescription, 1},
        {L"ttyUSB0 : other", MatchItemText, 2},
        {L"\u00E9cho", MatchDescription, -1},  // the "C" locale folds ASCII letters only
        {L"\u00C9CHO", MatchDescription, 3},
        {L"", MatchItemText, -1},
        {L"", MatchPortName, -1},
        {L"", MatchDescription, -1},
        {L"COM3", 3, -1},
        {L"COM3", -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindPortIndex(list, c.text, c.mode), c.index)
            << std::string(c.text.begin(), c.text.end()) << " mode " << c.mode;
    }
    EXPECT_EQ(FindPortIndex(SERIALPORTS(), L"COM3", MatchPortName), -1);
}

TEST(PortPathFor, ChosenEntryElseWhatTheTextNames)
{
    const SERIALPORTS list = {{L"ttyUSB0", L"", L"/dev/ttyUSB0"}};
    const struct {
        int index;
        CStdStr text;
        CStdStr path;
    } cases[] = {
        {0, L"ttyUSB0 : ", L"/dev/ttyUSB0"},
        {-1, L"/dev/null", L"/dev/null"},
        {1, L"/dev/null", L"/dev/null"},  // past the end of the list: the text counts
        // What does not exist is still opened, so that the open says so.
        {-1, L"/dev/no-such-port", L"/dev/no-such-port"},
        {-1, L"ttyACM3", L"/dev/ttyACM3"},
        {-1, L"ttyS4 : gone since the list was read", L"/dev/ttyS4"},
        {-1, L"  ", L""},
        {-1, L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortPathFor(list, c.index, c.text), c.path)
            << std::string(c.text.begin(), c.text.end());
}

}  // namespace
