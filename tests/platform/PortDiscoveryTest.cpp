#include "platform/SerialPorts.h"

#include "PseudoTerminal.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Points XDG_RUNTIME_DIR at a fresh folder for the life of the object.
class RuntimeFolder {
public:
    RuntimeFolder()
        : saved_(qgetenv("XDG_RUNTIME_DIR")),
          hadSaved_(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
    {
        qputenv("XDG_RUNTIME_DIR", folder_.path().toLocal8Bit());
    }
    ~RuntimeFolder()
    {
        if (hadSaved_)
            qputenv("XDG_RUNTIME_DIR", saved_);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

    QString path() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
    QByteArray saved_;
    bool hadSaved_;
};

SERIALPORTS Named(const SERIALPORTS& list, const CStdStr& name)
{
    SERIALPORTS found;
    std::copy_if(list.begin(), list.end(), std::back_inserter(found),
                 [&name](const SERIALPORT& port) { return port.name == name; });
    return found;
}

TEST(EnumerateSerialPorts, ListsTheEmulatorsAnnouncementsSorted)
{
    const PseudoTerminal pty;
    ASSERT_FALSE(pty.path().isEmpty());
    const RuntimeFolder runtime;
    const QString ports = runtime.path() + "/tidewell/ports";
    ASSERT_TRUE(QDir().mkpath(ports));
    ASSERT_TRUE(QFile::link(pty.path(), ports + "/emulator-test"));
    ASSERT_TRUE(QFile::link("/dev/pts/no-such-terminal", ports + "/gone"));
    QFile plain(ports + "/not-a-link");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    SERIALPORTS list = {{L"stale", L"", L""}};
    ASSERT_TRUE(EnumerateSerialPorts(list));

    const SERIALPORTS emulator = Named(list, L"emulator-test");
    ASSERT_EQ(emulator.size(), 1u);
    EXPECT_EQ(emulator[0].description, L"Type1 emulator");
    EXPECT_EQ(emulator[0].path, pty.path().toStdWString());
    EXPECT_EQ(PortPathFor(list, FindPortIndex(list, L"EMULATOR-TEST", MatchPortName), L""),
              pty.path().toStdWString());
    EXPECT_TRUE(Named(list, L"gone").empty());
    EXPECT_TRUE(Named(list, L"not-a-link").empty());
    EXPECT_TRUE(Named(list, L"stale").empty());

    SERIALPORTS sorted = list;
    SortPorts(sorted);
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].path, sorted[i].path);
}

// With the runtime folder leading to the shared fallback folder, one announcement is still
// one entry.
TEST(EnumerateSerialPorts, ReadsAFolderReachedTwiceOnce)
{
    const PseudoTerminal pty;
    ASSERT_FALSE(pty.path().isEmpty());
    const QString shared = QStringLiteral("/tmp/tidewell-%1").arg(::getuid());
    if (!QFileInfo::exists(shared)) {
        ASSERT_TRUE(QDir().mkdir(shared));
        QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ASSERT_TRUE(QDir().mkpath(shared + "/ports"));
    const QString name = QStringLiteral("platform-test-%1").arg(::getpid());
    const QString link = shared + "/ports/" + name;
    ASSERT_TRUE(QFile::link(pty.path(), link));

    const RuntimeFolder runtime;
    ASSERT_TRUE(QFile::link(shared, runtime.path() + "/tidewell"));
    SERIALPORTS list;
    EnumerateSerialPorts(list);
    QFile::remove(link);

    EXPECT_EQ(Named(list, name.toStdWString()).size(), 1u);
}

}  // namespace
