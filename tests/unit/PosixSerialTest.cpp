// The channel and the framed link on a real pseudo-terminal, through the kernel's tty layer.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "device/CommModel1.h"
#include "device/Errors.h"

namespace {

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

class Pty : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[256];
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = Wide(name);
        // A cooked 9600-baud line, as a port might be found.
        termios t{};
        ASSERT_EQ(::tcgetattr(slave, &t), 0);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        t.c_lflag |= ICANON | ECHO;
        t.c_cflag &= ~(PARENB | PARODD);
        ASSERT_EQ(::tcsetattr(slave, TCSANOW, &t), 0);
        ASSERT_EQ(::tcgetattr(slave, &before), 0);
    }
    void TearDown() override
    {
        ::close(slave);
        ::close(master);
    }

    termios Now() const
    {
        termios t{};
        ::tcgetattr(slave, &t);
        return t;
    }

    int master = -1;
    int slave = -1;
    std::wstring path;
    termios before{};
};

struct Link : kAPI::CommModel1 {
    using kAPI::CommModel1::CommModel1;
    std::uint8_t* Request() { return sendBuffer.get(); }
    std::uint8_t* Answer() { return receiveBuffer.get(); }
};

// A line as an earlier program left it, the fixture's cooked 9600-baud line changed by
// `leave`.
struct LeftLine {
    const char* name;
    void (*leave)(termios&);
};

void PrintTo(const LeftLine& c, std::ostream* os)
{
    *os << c.name;
}

class LeftPty : public Pty, public ::testing::WithParamInterface<LeftLine> {};

TEST_P(LeftPty, OpenSetsRaw2400OddParityAndCloseRestoresTheLine)
{
    termios left = before;
    GetParam().leave(left);
    ASSERT_EQ(::tcsetattr(slave, TCSANOW, &left), 0);
    ASSERT_EQ(::tcgetattr(slave, &before), 0);
    {
        kAPI::CommModel1 link(path.c_str());
        const termios t = Now();
        EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B2400));
        EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B2400));
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        // A pseudo-terminal always drops PARENB; PARODD shows that odd parity was asked.
        EXPECT_TRUE(t.c_cflag & PARODD);
        EXPECT_FALSE(t.c_cflag & (CSTOPB | CRTSCTS | CMSPAR));
        EXPECT_TRUE(t.c_cflag & CLOCAL);
        EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
        EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL | ISTRIP));
        EXPECT_FALSE(t.c_oflag & OPOST);
        EXPECT_EQ(t.c_cc[VMIN], 0);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        // Held through flock alone: an exclusive flag would outlive a killed holder here,
        // since the other end keeps the terminal open.
        int exclusive = -1;
        ASSERT_EQ(::ioctl(slave, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
    }
    const termios after = Now();
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LeftPty,
    ::testing::Values(
        LeftLine{"Cooked9600", [](termios&) {}},
        // What the channel itself sets, left by a transfer that was killed: the C library
        // takes that odd parity, which the line cannot hold, for a failed change.
        LeftLine{"ByAKilledTransfer",
                 [](termios& t) {
                     ::cfmakeraw(&t);
                     cfsetispeed(&t, B2400);
                     cfsetospeed(&t, B2400);
                     t.c_cflag |= PARENB | PARODD | CLOCAL;
                 }},
        LeftLine{"SevenBitsTwoStopBitsFlowControlAndWaitingReads",
                 [](termios& t) {
                     cfsetispeed(&t, B38400);
                     cfsetospeed(&t, B38400);
                     t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
                     t.c_iflag |= IXON | IXOFF | ICRNL | INPCK | ISTRIP;
                     t.c_oflag |= OPOST | ONLCR;
                     t.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
                     t.c_cc[VMIN] = 1;
                     t.c_cc[VTIME] = 5;
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Pty, SecondChannelOnAHeldPortIsRefusedEvenForRoot)
{
    kAPI::CommModel1 first(path.c_str());
    try {
        kAPI::CommModel1 second(path.c_str());
        FAIL() << "a held port opened twice";
    } catch (const kAPI::CommError& e) {
        EXPECT_EQ(e.code, 12);
        EXPECT_STREQ(e.what(), L"Comm Port Not Found");
        EXPECT_EQ(e.systemError, EWOULDBLOCK);  // held, not missing
    }
}

TEST_F(Pty, PortCanBeOpenedAgainAfterClose)
{
    {
        kAPI::CommModel1 first(path.c_str());
    }
    kAPI::CommModel1 again(path.c_str());
    EXPECT_TRUE(again.IsOpen());
}

TEST(PosixPaths, MissingPathAndNonTerminalAreRefused)
{
    try {
        kAPI::CommModel1 link(L"/dev/tidewell-no-such-port");
        FAIL();
    } catch (const kAPI::CommError& e) {
        EXPECT_STREQ(e.what(), L"Comm Port Not Found");
        EXPECT_EQ(e.systemError, ENOENT);
    }
    std::string file = std::filesystem::temp_directory_path() / "tidewell-not-a-port-XXXXXX";
    int fd = ::mkstemp(file.data());
    ASSERT_GE(fd, 0);
    ::close(fd);
    try {
        kAPI::CommModel1 link(Wide(file).c_str());
        FAIL();
    } catch (const kAPI::CommError& e) {
        EXPECT_EQ(e.code, 12);
        EXPECT_STREQ(e.what(), L"Invalid Port Specified");
        EXPECT_EQ(e.systemError, ENOTTY);
    }
    ::unlink(file.c_str());
}

// Reads exactly n bytes from fd, waiting at most a few seconds.
std::vector<std::uint8_t> ReadExactly(int fd, std::size_t n)
{
    std::vector<std::uint8_t> got;
    while (got.size() < n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            break;
        std::uint8_t buf[64];
        ssize_t r = ::read(fd, buf, std::min(sizeof buf, n - got.size()));
        if (r <= 0)
            break;
        got.insert(got.end(), buf, buf + r);
    }
    return got;
}

TEST_F(Pty, ExchangeCarriesEveryByteValueIntact)
{
    // Bytes a cooked line would eat or change: XON, XOFF, CR, LF, ^C, DEL, 0xFF.
    const std::vector<std::uint8_t> request = {0x11, 0x13, 0x0D, 0x0A, 0x03, 0x7F, 0xFF};
    std::vector<std::uint8_t> answer = {0x13, 0x11, 0x0A, 0x0D, 0x00, 0xFF, 0x04};
    std::uint8_t x = 0;
    for (auto b : answer)
        x ^= b;
    answer.push_back(x);

    Link link(path.c_str());
    std::vector<std::uint8_t> seen;
    std::thread peer([&] {
        seen = ReadExactly(master, request.size() + 1);
        ::write(master, answer.data(), answer.size());
    });
    std::copy(request.begin(), request.end(), link.Request());
    link.Exchange(static_cast<int>(request.size()), static_cast<int>(answer.size()));
    peer.join();

    std::vector<std::uint8_t> expectedFrame = request;
    std::uint8_t c = 0;
    for (auto b : request)
        c ^= b;
    expectedFrame.push_back(c);
    EXPECT_EQ(seen, expectedFrame);
    EXPECT_EQ(std::vector<std::uint8_t>(link.Answer(), link.Answer() + answer.size()), answer);
}

}  // namespace

namespace {

TEST_F(Pty, ReadFailsWhenTheOtherEndHangsUpDuringTheAnswer)
{
    Link link(path.c_str());
    link.Request()[0] = 0x01;
    link.Exchange(1, 0);  // the request goes out whole
    EXPECT_EQ(ReadExactly(master, 2).size(), 2u);
    // Then the line goes dead before any answer: hung up after the request has left, so
    // that only the read can be what fails.
    ::close(master);
    master = ::open("/dev/null", O_RDONLY);  // TearDown closes it
    try {
        link.Listen(5);
        FAIL() << "a hung-up line answered";
    } catch (const kAPI::CommError& e) {
        EXPECT_EQ(e.code, kAPI::ErrRead);
    }
}

}  // namespace
