// Why a port would not open, told from the system's error of that open alone.
#include "platform/PortHint.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString OwnProcessName()
{
    QFile comm(QStringLiteral("/proc/self/comm"));
    comm.open(QIODevice::ReadOnly);
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

class PortHintTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.isValid());
        QFile file(port);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir scratch;
    const QString port = scratch.filePath(QStringLiteral("ttyHINT"));
};

// The hint follows the error it is given, not what the port is like now: the port here
// is a free, readable file, and no answer below would come from looking at it again. Nor
// is it ever opened to find out: the system reports no open of it meanwhile.
TEST_F(PortHintTest, TellsTheReasonOfTheErrorGivenWithoutOpeningThePort)
{
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(port).constData(), IN_OPEN), 0);

    const struct {
        int error;
        QString hint;
    } cases[] = {
        {0, QString()},
        {ENOENT,
         QStringLiteral("%1 does not exist: check that the interface cable is plugged in.")},
        {ENXIO, QStringLiteral("%1 does not exist: check that the interface cable is plugged in.")},
        {EACCES, QStringLiteral("Permission denied on %1, which belongs to the group")},
        {EBUSY, QStringLiteral("%1 is in use by another program: close the port there, then try "
                               "again.")},
        {EWOULDBLOCK, QStringLiteral("%1 is in use by another program")},
        {ENOTTY, QStringLiteral("%1 is not a serial port.")},
        {EIO, QStringLiteral("%1: %2.").arg(QStringLiteral("%1"),
                                            QString::fromLocal8Bit(std::strerror(EIO)))},
    };
    for (const auto& c : cases) {
        const QString hint = PortHint::WhyNotOpened(port.toStdWString(), c.error);
        if (c.hint.isEmpty())
            EXPECT_TRUE(hint.isEmpty()) << c.error;
        else
            EXPECT_TRUE(hint.startsWith(c.hint.arg(port))) << hint.toStdString();
    }
    EXPECT_TRUE(PortHint::IsBusy(EBUSY));
    EXPECT_TRUE(PortHint::IsBusy(EWOULDBLOCK));
    EXPECT_FALSE(PortHint::IsBusy(ENOENT));

    char events[256];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the port was opened";
    EXPECT_EQ(errno, EAGAIN);
    ::close(watch);
}

TEST_F(PortHintTest, NamesTheProgramThatHoldsThePort)
{
    const int held = ::open(QFile::encodeName(port).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const QString self = QStringLiteral("%1 (process %2)").arg(OwnProcessName()).arg(::getpid());

    EXPECT_EQ(PortHint::Holders(port), QStringList{self});
    EXPECT_EQ(PortHint::WhyNotOpened(port.toStdWString(), EWOULDBLOCK),
              QStringLiteral("%1 is in use by %2: close the port there, then try again.")
                  .arg(port, self));

    ::close(held);
    EXPECT_TRUE(PortHint::Holders(port).isEmpty());
    EXPECT_TRUE(PortHint::Holders(scratch.filePath(QStringLiteral("absent"))).isEmpty());
}

TEST(BrlttyClaimsAdapters, OnlyWhenInstalledWithItsRulesInForce)
{
    const QString program = QStringLiteral("usr/bin/brltty");
    const QString rules = QStringLiteral("usr/lib/udev/rules.d/85-brltty.rules");
    const QString override = QStringLiteral("etc/udev/rules.d/85-brltty.rules");
    const QString service = QStringLiteral("etc/systemd/system/brltty-udev.service");
    const struct {
        const char* what;
        QStringList files;
        QStringList links;  // to /dev/null
        bool claims;
    } cases[] = {
        {"not installed", {}, {}, false},
        {"installed with its rules", {program, rules}, {}, true},
        {"rules left behind without the program", {rules}, {}, false},
        {"rules overridden", {program, rules, override}, {}, false},
        {"rules masked", {program, rules}, {override}, false},
        {"service masked", {program, rules}, {service}, false},
    };
    for (const auto& c : cases) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        for (const QString& file : c.files) {
            ASSERT_TRUE(QDir(root.path()).mkpath(QFileInfo(root.filePath(file)).path()));
            QFile f(root.filePath(file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        for (const QString& link : c.links) {
            ASSERT_TRUE(QDir(root.path()).mkpath(QFileInfo(root.filePath(link)).path()));
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), root.filePath(link)));
        }
        EXPECT_EQ(PortHint::BrlttyClaimsAdapters(root.path()), c.claims) << c.what;
    }
}

}  // namespace
