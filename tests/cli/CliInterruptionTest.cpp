// tidewell-cli ended half-way through a transfer against the emulator: by SIGINT, SIGTERM or
// SIGHUP it stops at a block boundary and puts the port back; killed outright it cannot,
// yet the next run opens the port all the same.
#include "CliRun.h"
#include "EmulatorProcess.h"
#include "KvxFile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <ostream>

namespace {

using e2e::EmulatorProcess;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The line settings of a terminal, as the next program to open it finds them.
struct LineSettings {
    speed_t speed = 0;
    tcflag_t iflag = 0, oflag = 0, cflag = 0, lflag = 0;
    bool operator==(const LineSettings& o) const
    {
        return speed == o.speed && iflag == o.iflag && oflag == o.oflag && cflag == o.cflag &&
               lflag == o.lflag;
    }
};

LineSettings SettingsOf(const QString& path)
{
    LineSettings settings;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (fd >= 0 && ::tcgetattr(fd, &t) == 0)
        settings = {cfgetospeed(&t), t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag};
    if (fd >= 0)
        ::close(fd);
    return settings;
}

class CliInterrupted : public testing::TestWithParam<int> {
protected:
    QString File(const QString& name) const { return Q(files.path()) + QLatin1Char('/') + name; }
    e2e::TempDir files;
    e2e::TempDir quietRuntime;  // sees no emulator
};

std::string SignalName(const testing::TestParamInfo<int>& info)
{
    switch (info.param) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "SIGKILL";
    }
}

TEST_P(CliInterrupted, HalfWayThroughALoadLeavesAPortThatTheNextLoadOpens)
{
    const int signal = GetParam();
    EmulatorProcess emulator({"--name", "interrupted"});
    const QString pty = Q(emulator.slavePath());
    ASSERT_FALSE(pty.isEmpty()) << emulator.errors();
    const LineSettings found = SettingsOf(pty);
    const QString file = File(QStringLiteral("settings.kvx"));
    const QString runtime = Q(quietRuntime.path());

    RunningCli load({QStringLiteral("load"), pty, file}, runtime);
    // The first of six blocks is in.
    ASSERT_TRUE(load.WaitForProgress(QStringLiteral("Reading the settings"), 1));
    load.Signal(signal);
    const CliResult ended = load.Finish();

    EXPECT_FALSE(QFileInfo::exists(file));
    if (signal == SIGKILL) {
        EXPECT_EQ(ended.code, -1);
    } else {
        EXPECT_EQ(ended.code, 5) << ended.err.toStdString();
        EXPECT_TRUE(ended.err.contains(
            QStringLiteral(
                "reading the settings from %1 was interrupted: nothing was written, and the dive "
                "computer holds its settings as before")
                .arg(pty)))
            << ended.err.toStdString();
        EXPECT_EQ(SettingsOf(pty), found);
    }

    const CliResult again = RunCli({QStringLiteral("load"), pty, file}, runtime);
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_EQ(kvx::Read(file).size(), kvx::kFileSize);
}

INSTANTIATE_TEST_SUITE_P(EachSignal, CliInterrupted,
                         testing::Values(SIGINT, SIGTERM, SIGHUP, SIGKILL), SignalName);

TEST(CliInterruptedStore, SaysWhatTheDiveComputerHoldsAndTheNextStoreFinishes)
{
    e2e::TempDir files;
    e2e::TempDir quietRuntime;
    const QString runtime = Q(quietRuntime.path());
    const QString imagePath = Q(files.path()) + QStringLiteral("/image.img");
    EmulatorProcess emulator({"--name", "interrupted", "--image", imagePath.toStdString()});
    const QString pty = Q(emulator.slavePath());
    ASSERT_FALSE(pty.isEmpty()) << emulator.errors();

    const QString base = Q(files.path()) + QStringLiteral("/base.kvx");
    ASSERT_EQ(RunCli({QStringLiteral("load"), pty, base}, runtime).code, 0);
    const QByteArray image = kvx::Read(imagePath);
    // New values in the first block of the plan and in one of the last.
    QByteArray wanted = kvx::Read(base);
    const std::uint8_t first = static_cast<std::uint8_t>(image[0x05] ^ 0x5A);
    kvx::SetByte(wanted, 21, first);  // address 0x05
    kvx::SetByte(wanted, 110, static_cast<std::uint8_t>(image[0x53] == 60 ? 30 : 60));
    const QString wantedPath = Q(files.path()) + QStringLiteral("/wanted.kvx");
    kvx::Write(wantedPath, wanted);
    const std::uint8_t rate = static_cast<std::uint8_t>(wanted[kvx::PositionOf(110)]);

    RunningCli store({QStringLiteral("store"), pty, wantedPath}, runtime);
    ASSERT_TRUE(store.WaitForProgress(QStringLiteral("Writing the settings"), 1));
    store.Signal(SIGINT);
    const CliResult ended = store.Finish();
    EXPECT_EQ(ended.code, 5) << ended.err.toStdString();
    EXPECT_TRUE(ended.err.contains(
        QStringLiteral("writing the settings to %1 was interrupted: the dive computer may now "
                       "hold part of the new settings. Store them again to finish.")
            .arg(pty)))
        << ended.err.toStdString();
    const QByteArray half = kvx::Read(imagePath);
    EXPECT_EQ(static_cast<std::uint8_t>(half[0x05]), first);
    EXPECT_EQ(half[0x53], image[0x53]);

    const CliResult again = RunCli({QStringLiteral("store"), pty, wantedPath}, runtime);
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    const QByteArray whole = kvx::Read(imagePath);
    EXPECT_EQ(static_cast<std::uint8_t>(whole[0x05]), first);
    EXPECT_EQ(static_cast<std::uint8_t>(whole[0x53]), rate);
}

}  // namespace
