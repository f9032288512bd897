// What tidewell-cli writes its settings files over, and what it reads them from: a regular
// file, or nothing yet, and never a device, a FIFO or a folder of that name.
#include "CliRun.h"
#include "EmulatorProcess.h"
#include "KvxFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <ostream>

namespace {

using e2e::EmulatorProcess;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

enum class Kind { Regular, Missing, Link, Device, Fifo, Folder };

struct TargetCase {
    const char* name;
    Kind kind;
    bool backup;     // store --backup TARGET; otherwise load PORT TARGET
    QString reason;  // why it is left alone; empty: it is written
};

void PrintTo(const TargetCase& c, std::ostream* out)
{
    *out << c.name;
}

class CliFileTarget : public testing::TestWithParam<TargetCase> {
protected:
    QString File(const QString& name) const { return Q(files.path()) + QLatin1Char('/') + name; }
    e2e::TempDir files;
    e2e::TempDir quietRuntime;  // sees no emulator
};

TEST_P(CliFileTarget, OnlyARegularFileIsReplaced)
{
    const TargetCase& c = GetParam();
    const QString target = File(QStringLiteral("target.kvx"));
    const QByteArray native = QFile::encodeName(target);
    const QString linked = File(QStringLiteral("linked.kvx"));
    const QByteArray old = kvx::FileWithBody(QByteArray(kvx::kBodySize, '\x22'));
    switch (c.kind) {
        case Kind::Regular:
            kvx::Write(target, old);
            break;
        case Kind::Link:
            kvx::Write(linked, old);
            ASSERT_TRUE(QFile::link(linked, target));
            break;
        case Kind::Device:
            // The numbers of /dev/full, which a save once replaced with a regular file.
            if (::mknod(native.constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
                GTEST_SKIP() << "this user makes no device nodes";
            break;
        case Kind::Fifo:
            ASSERT_EQ(::mkfifo(native.constData(), 0666), 0);
            break;
        case Kind::Folder:
            ASSERT_TRUE(QDir(Q(files.path())).mkdir(QStringLiteral("target.kvx")));
            break;
        case Kind::Missing:
            break;
    }
    struct stat before {};
    ::lstat(native.constData(), &before);

    const QString imagePath = File(QStringLiteral("image.img"));
    EmulatorProcess emulator({"--name", c.name, "--image", imagePath.toStdString()});
    const QString pty = Q(emulator.slavePath());
    ASSERT_FALSE(pty.isEmpty()) << emulator.errors();
    const QByteArray image = kvx::Read(imagePath);
    const QString wanted = File(QStringLiteral("wanted.kvx"));
    kvx::Write(wanted, kvx::FileWithBody(QByteArray(kvx::kBodySize, '\x33')));

    const QStringList arguments = c.backup ? QStringList{QStringLiteral("store"), pty, wanted,
                                                         QStringLiteral("--backup"), target}
                                           : QStringList{QStringLiteral("load"), pty, target};
    const CliResult result = RunCli(arguments, Q(quietRuntime.path()));

    struct stat after {};
    ::lstat(native.constData(), &after);
    if (c.reason.isEmpty()) {
        EXPECT_EQ(result.code, 0) << result.err.toStdString();
        const QByteArray written = kvx::Read(target);
        EXPECT_EQ(written.size(), kvx::kFileSize);
        EXPECT_EQ(written.left(kvx::PositionOf(16)), kvx::FileWithBody({}));
        EXPECT_NE(written, old);
        // A link stays a link; the file it names is the one replaced.
        EXPECT_EQ(QFileInfo(target).isSymLink(), c.kind == Kind::Link);
        if (c.kind == Kind::Link) {
            EXPECT_EQ(kvx::Read(linked), written);
        }
    } else {
        EXPECT_EQ(result.code, 7);
        EXPECT_TRUE(result.err.contains(
            QStringLiteral("cannot write %1: %2 (Save Failed)").arg(target, c.reason)))
            << result.err.toStdString();
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
        // Without the backup asked for, nothing is stored.
        EXPECT_EQ(kvx::Read(imagePath), image);
    }
    // Nothing else is left behind, a temporary file least of all.
    QStringList expected = {QStringLiteral("image.img"), QStringLiteral("target.kvx"),
                            QStringLiteral("wanted.kvx")};
    if (c.kind == Kind::Link)
        expected << QStringLiteral("linked.kvx");
    expected.sort();
    EXPECT_EQ(QDir(Q(files.path()))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                  .join(QLatin1Char(' '))
                  .toStdString(),
              expected.join(QLatin1Char(' ')).toStdString());
}

const QString kDevice = QStringLiteral("it is a device, not a regular file");
const QString kFifo = QStringLiteral("it is a FIFO, not a regular file");
const QString kFolder = QStringLiteral("Is a directory");

INSTANTIATE_TEST_SUITE_P(
    Table, CliFileTarget,
    testing::Values(TargetCase{"LoadOverARegularFile", Kind::Regular, false, {}},
                    TargetCase{"LoadToANewFile", Kind::Missing, false, {}},
                    TargetCase{"LoadThroughALink", Kind::Link, false, {}},
                    TargetCase{"LoadOverADevice", Kind::Device, false, kDevice},
                    TargetCase{"LoadOverAFifo", Kind::Fifo, false, kFifo},
                    TargetCase{"LoadOverAFolder", Kind::Folder, false, kFolder},
                    TargetCase{"BackupThroughALink", Kind::Link, true, {}},
                    TargetCase{"BackupOverADevice", Kind::Device, true, kDevice},
                    TargetCase{"BackupOverAFifo", Kind::Fifo, true, kFifo},
                    TargetCase{"BackupOverAFolder", Kind::Folder, true, kFolder}),
    [](const testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });

// A FIFO that no program writes to would keep a reader waiting for good.
TEST(CliFileSource, AFifoIsRefusedAtOnce)
{
    e2e::TempDir files;
    const QString fifo = Q(files.path()) + QStringLiteral("/settings.kvx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    const QStringList commands[] = {
        {QStringLiteral("show"), fifo},
        {QStringLiteral("store"), QStringLiteral("no-such-port"), fifo},
    };
    for (const QStringList& arguments : commands) {
        const CliResult result = RunCli(arguments, Q(files.path()));
        EXPECT_EQ(result.code, 7) << arguments.first().toStdString();
        EXPECT_TRUE(result.err.contains(
            QStringLiteral("cannot read %1: %2 (File not Open)").arg(fifo, kFifo)))
            << result.err.toStdString();
    }
}

}  // namespace
