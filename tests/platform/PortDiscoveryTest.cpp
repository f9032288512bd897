#include "platform/SerialPorts.h"

#include "AnnouncementFolderCases.h"
#include "PseudoTerminal.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {

// Sets an environment variable, or unsets it without a value, for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<QByteArray>& value)
        : name_(name), saved_(qgetenv(name)), hadSaved_(qEnvironmentVariableIsSet(name))
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedVariable()
    {
        if (hadSaved_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    QByteArray saved_;
    bool hadSaved_;
};

// Points XDG_RUNTIME_DIR at a fresh folder for the life of the object.
class RuntimeFolder {
public:
    RuntimeFolder() : variable_("XDG_RUNTIME_DIR", QFile::encodeName(folder_.path())) {}
    QString path() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
    ScopedVariable variable_;
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

// Without a runtime folder, discovery reads $TMPDIR/tidewell-UID/ports, where someone else
// may have planted links.
class SharedFolderDiscovery : public testing::TestWithParam<AnnouncementFolderCase> {};

TEST_P(SharedFolderDiscovery, ListsOnlyFromAFolderOfTheUsersOwn)
{
    const AnnouncementFolderCase& c = GetParam();
    if (!CanLayOut(c))
        GTEST_SKIP() << "only root can give a folder to another user";
    const PseudoTerminal pty;
    ASSERT_FALSE(pty.path().isEmpty());
    const QTemporaryDir temp;
    const std::string tempPath = QFile::encodeName(temp.path()).toStdString();
    ASSERT_TRUE(LayOut(c, tempPath, QFile::encodeName(pty.path()).toStdString()));
    const ScopedVariable tmpDir("TMPDIR", QFile::encodeName(temp.path()));
    const ScopedVariable runtime("XDG_RUNTIME_DIR", std::nullopt);

    SERIALPORTS list;
    ASSERT_TRUE(EnumerateSerialPorts(list));

    const SERIALPORTS shared = Named(list, L"shared");
    ASSERT_EQ(shared.size(), c.usable() ? 1u : 0u);
    if (c.usable()) {
        EXPECT_EQ(shared[0].path, pty.path().toStdWString());
    }
    struct stat st {};
    EXPECT_EQ(::lstat(SharedBase(tempPath).c_str(), &st) == 0,
              c.layout != AnnouncementFolderCase::Missing)
        << "discovery makes no folder";
}

INSTANTIATE_TEST_SUITE_P(Table, SharedFolderDiscovery, AnnouncementFolderCases(),
                         AnnouncementFolderCaseName);

}  // namespace
