// tidewell-cli against emulated dive computers: what it writes into files and into the dive
// computer's memory, and how each kind of failure ends.
#include "CliRun.h"
#include "EmulatorProcess.h"
#include "KvxFile.h"
#include "Port.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>

#include <unistd.h>

namespace {

using e2e::EmulatorProcess;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The runtime directory in which an emulator announced itself.
QString RuntimeDirOf(const EmulatorProcess& emulator)
{
    QDir dir = QFileInfo(Q(emulator.announcement("x"))).dir();  // .../tidewell/ports
    dir.cdUp();
    dir.cdUp();
    return dir.path();
}

// This program's name as the system lists it among the holders of a port.
QString OwnProcessName()
{
    QFile comm(QStringLiteral("/proc/self/comm"));
    comm.open(QIODevice::ReadOnly);
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

QJsonObject Json(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

void ExpectDone(const CliResult& result)
{
    EXPECT_EQ(result.code, 0) << result.err.toStdString();
    // Off a terminal there is no progress on standard error, nor anything else.
    EXPECT_EQ(result.err, QString());
}

class Cli : public testing::Test {
protected:
    QString File(const QString& name) const { return Q(files.path()) + QLatin1Char('/') + name; }
    e2e::TempDir files;
    e2e::TempDir quietRuntime;  // sees no emulator
};

TEST_F(Cli, LoadShowAndStoreKeepingTheIdentity)
{
    const QString imagePath = File(QStringLiteral("deck.img"));
    EmulatorProcess emulator({"--name", "deck", "--image", imagePath.toStdString()});
    const QString pty = Q(emulator.slavePath());
    ASSERT_FALSE(pty.isEmpty()) << emulator.errors();
    const QString runtime = RuntimeDirOf(emulator);
    const QByteArray image = kvx::Read(imagePath);

    const CliResult ports = RunCli({QStringLiteral("ports")}, runtime);
    ExpectDone(ports);
    EXPECT_TRUE(ports.out.split(QLatin1Char('\n'))
                    .contains(QStringLiteral("deck : Type1 emulator\t") + pty))
        << ports.out.toStdString();

    // Named as the port box names it, in other letters.
    const QString loaded = File(QStringLiteral("loaded.kvx"));
    ExpectDone(RunCli({QStringLiteral("load"), QStringLiteral("DECK"), loaded}, runtime));
    const QByteArray file = kvx::Read(loaded);
    ASSERT_EQ(file.size(), kvx::kFileSize);
    EXPECT_EQ(file.left(kvx::PositionOf(16)), kvx::FileWithBody({}));
    // The body is the memory in record order, addresses 0x00 to 0x47 first.
    EXPECT_EQ(file.mid(kvx::PositionOf(16), 30), image.mid(0x00, 30));
    EXPECT_EQ(file.mid(kvx::PositionOf(52), 36), image.mid(0x24, 36));
    EXPECT_EQ(file.mid(kvx::PositionOf(101), 9), image.mid(0x4A, 9));
    // ... with its 16-bit values low byte first.
    const std::uint16_t dives = kvx::ImageWord(image, 0x22);
    EXPECT_EQ(static_cast<std::uint8_t>(file[kvx::PositionOf(50)]), dives & 0xFF);
    EXPECT_EQ(static_cast<std::uint8_t>(file[kvx::PositionOf(51)]), dives >> 8);

    const CliResult text = RunCli({QStringLiteral("show"), loaded}, Q(quietRuntime.path()));
    ExpectDone(text);
    const QString shownDives = QStringLiteral("^Total dives:\\s+%1$").arg(dives);
    EXPECT_TRUE(
        text.out.contains(QRegularExpression(shownDives, QRegularExpression::MultilineOption)))
        << text.out.toStdString();

    const CliResult json =
        RunCli({QStringLiteral("show"), loaded, QStringLiteral("--json")}, Q(quietRuntime.path()));
    ExpectDone(json);
    const QJsonObject fields = Json(json.out);
    EXPECT_EQ(fields.size(), 22);
    EXPECT_EQ(fields[QStringLiteral("model")].toString(), QStringLiteral("Quessa"));  // code 0x0B
    EXPECT_EQ(fields[QStringLiteral("id")].toInt(), static_cast<std::uint8_t>(image[0x24]));
    EXPECT_EQ(fields[QStringLiteral("totalDives")].toInt(), dives);
    EXPECT_EQ(fields[QStringLiteral("maxDepth")].toInt(), kvx::ImageWord(image, 0x1E) / 128);
    const std::uint16_t minutes = kvx::ImageWord(image, 0x20);
    EXPECT_EQ(fields[QStringLiteral("diveTime")].toString(),
              QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0')));
    const auto digit = [&image](int i) { return static_cast<std::uint8_t>(image[0x26 + i]); };
    EXPECT_EQ(fields[QStringLiteral("serialNumber")].toInteger(),
              digit(0) * 1000000 + digit(1) * 10000 + digit(2) * 100 + digit(3));

    // New settings, and the counters and identity of another dive computer that must not
    // be copied.
    QByteArray changed = file;
    kvx::SetByte(changed, 110, 60);                        // sample rate
    kvx::SetByte(changed, 125, image[0x62] == 0 ? 1 : 0);  // units
    for (int offset = 46; offset <= 57; ++offset)          // counters, model, firmware, serial
        kvx::SetByte(changed, offset, static_cast<std::uint8_t>(0x40 + offset));
    const QString wanted = File(QStringLiteral("wanted.kvx"));
    const QString backup = File(QStringLiteral("backup.kvx"));
    kvx::Write(wanted, changed);
    ExpectDone(RunCli({QStringLiteral("store"), pty, wanted, QStringLiteral("--backup"), backup},
                      Q(quietRuntime.path())));

    EXPECT_EQ(kvx::Read(backup), file);  // what load wrote just before
    QByteArray expected = image;
    expected[0x53] = 60;
    expected[0x62] = image[0x62] == 0 ? 1 : 0;
    EXPECT_EQ(kvx::Read(imagePath).toHex(' ').toStdString(), expected.toHex(' ').toStdString());
}

TEST_F(Cli, CopiesOneDiveComputerToAnother)
{
    const QString sourceImage = File(QStringLiteral("source.img"));
    const QString targetImage = File(QStringLiteral("target.img"));
    QByteArray other(8192, '\0');  // a "Ludmo" with next to nothing set
    other[0x24] = 0x0C;
    other[0x29] = 7;
    other[0x53] = 10;
    kvx::Write(targetImage, other);
    EmulatorProcess source({"--name", "source", "--image", sourceImage.toStdString()});
    EmulatorProcess target({"--name", "target", "--image", targetImage.toStdString()});
    const QString runtime = Q(quietRuntime.path());

    const QString fromSource = File(QStringLiteral("source.kvx"));
    const QString fromTarget = File(QStringLiteral("target.kvx"));
    ExpectDone(RunCli({QStringLiteral("load"), Q(source.slavePath()), fromSource}, runtime));
    ExpectDone(RunCli(
        {QStringLiteral("store"), Q(target.slavePath()), fromSource, QStringLiteral("--all")},
        runtime));
    ExpectDone(RunCli({QStringLiteral("load"), Q(target.slavePath()), fromTarget}, runtime));

    const CliResult a =
        RunCli({QStringLiteral("show"), QStringLiteral("--json"), fromSource}, runtime);
    const CliResult b =
        RunCli({QStringLiteral("show"), QStringLiteral("--json"), fromTarget}, runtime);
    ExpectDone(a);
    ExpectDone(b);
    EXPECT_EQ(Json(b.out)[QStringLiteral("model")].toString(), QStringLiteral("Quessa"));
    EXPECT_EQ(Json(a.out), Json(b.out));
    EXPECT_EQ(kvx::Read(fromSource), kvx::Read(fromTarget));
}

TEST_F(Cli, StoreThatTheDiveComputerDidNotKeepFailsAndTheNextOneFinishes)
{
    // Answers 1-7 are the load's, 8-14 the store's detection and first read; 15 its first
    // write enable, 16 its first write, which is acknowledged but not kept.
    const QString imagePath = File(QStringLiteral("forgetful.img"));
    EmulatorProcess emulator(
        {"--name", "forgetful", "--image", imagePath.toStdString(), "--ack-only", "16"});
    const QString pty = Q(emulator.slavePath());
    ASSERT_FALSE(pty.isEmpty()) << emulator.errors();
    const QString runtime = Q(quietRuntime.path());
    const QString loaded = File(QStringLiteral("loaded.kvx"));
    ExpectDone(RunCli({QStringLiteral("load"), pty, loaded}, runtime));
    QByteArray changed = kvx::Read(loaded);
    kvx::SetByte(changed, 21, 0x5A);  // address 0x05, in that first write
    kvx::Write(loaded, changed);

    const CliResult failed = RunCli({QStringLiteral("store"), pty, loaded}, runtime);
    EXPECT_EQ(failed.code, 5) << failed.err.toStdString();
    EXPECT_TRUE(failed.err.contains(QStringLiteral(
        "did not keep the settings written to it: what it holds at address 0x0005 differs")))
        << failed.err.toStdString();
    EXPECT_NE(kvx::Read(imagePath)[0x05], 0x5A);

    ExpectDone(RunCli({QStringLiteral("store"), pty, loaded}, runtime));
    EXPECT_EQ(kvx::Read(imagePath)[0x05], 0x5A);
}

struct FailureCase {
    const char* name;
    std::optional<std::vector<std::string>> emulator;  // its fault flags; none: no emulator
    QStringList arguments;  // {port}, {good}, {foreign}, ... stand for the test's own
    int code;
    QString message;
    bool portHeld = false;  // another program holds the emulator's port
    QString output{};       // where standard output goes; empty: to the test
};

void PrintTo(const FailureCase& c, std::ostream* out)
{
    *out << c.name;
}

class CliFailure : public Cli, public testing::WithParamInterface<FailureCase> {};

TEST_P(CliFailure, EndsWithItsExitCodeAndChangesNothing)
{
    const FailureCase& c = GetParam();
    const QByteArray good = kvx::FileWithBody(QByteArray(kvx::kBodySize, '\x11'));
    QByteArray foreign = good;
    foreign[2 + 2 * 12] = 'K';  // "Hallvex Inv.Kidewell"
    const std::map<QString, QByteArray> inputs = {
        {QStringLiteral("good"), good},
        {QStringLiteral("foreign"), foreign},
        {QStringLiteral("short-header"), good.left(2 + kvx::kHeaderSize - 1)},
        {QStringLiteral("short-body"), good.left(kvx::kFileSize - 1)},
    };
    for (const auto& [name, bytes] : inputs)
        kvx::Write(File(name + QStringLiteral(".kvx")), bytes);

    const QString imagePath = File(QStringLiteral("image.img"));
    std::optional<EmulatorProcess> emulator;
    QByteArray image;
    QString pty;
    if (c.emulator) {
        std::vector<std::string> args{"--name", c.name, "--image", imagePath.toStdString()};
        args.insert(args.end(), c.emulator->begin(), c.emulator->end());
        emulator.emplace(args);
        pty = Q(emulator->slavePath());
        ASSERT_FALSE(pty.isEmpty()) << emulator->errors();
        image = kvx::Read(imagePath);
    }
    QStringList arguments;
    for (QString argument : c.arguments) {
        argument.replace(QStringLiteral("{port}"), pty);
        argument.replace(QStringLiteral("{dir}"), Q(files.path()));
        for (const auto& input : inputs)
            argument.replace(QLatin1Char('{') + input.first + QLatin1Char('}'),
                             File(input.first + QStringLiteral(".kvx")));
        arguments << argument;
    }

    std::optional<e2e::Port> holder;
    if (c.portHeld)
        holder.emplace(pty.toStdString());
    const CliResult result = RunCli(arguments, Q(quietRuntime.path()), c.output);
    EXPECT_EQ(result.code, c.code) << result.err.toStdString();
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("tidewell-cli: ")))
        << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
    if (c.portHeld) {
        EXPECT_EQ(result.err.count(QLatin1Char('\n')), 1) << result.err.toStdString();
        EXPECT_FALSE(result.err.contains(QStringLiteral("Not Found"))) << result.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(File(QStringLiteral("new.kvx"))));
    if (emulator) {
        EXPECT_EQ(kvx::Read(imagePath), image);
    }
}

const QString kNew = QStringLiteral("{dir}/new.kvx");

INSTANTIATE_TEST_SUITE_P(
    Table, CliFailure,
    testing::Values(
        FailureCase{"NoCommand", std::nullopt, {}, 2, QStringLiteral("no command given")},
        FailureCase{"UnknownOption",
                    std::nullopt,
                    {QStringLiteral("show"), QStringLiteral("{good}"), QStringLiteral("--all")},
                    2,
                    QStringLiteral("'show' takes no option --all")},
        FailureCase{"MissingArgument",
                    std::nullopt,
                    {QStringLiteral("store"), QStringLiteral("{good}")},
                    2,
                    QStringLiteral("'store' needs PORT FILE")},
        FailureCase{"MissingPort",
                    std::nullopt,
                    {QStringLiteral("load"), QStringLiteral("no-such-port"), kNew},
                    3,
                    QStringLiteral("/dev/no-such-port does not exist: check that the interface "
                                   "cable is plugged in (Comm Port Not Found)")},
        FailureCase{"NotASerialPort",
                    std::nullopt,
                    {QStringLiteral("detect"), QStringLiteral("/dev/null")},
                    3,
                    QStringLiteral("/dev/null is not a serial port (Invalid Port Specified)")},
        // One message, which says why, and names the holder: here the test itself.
        FailureCase{"PortInUse",
                    std::vector<std::string>{},
                    {QStringLiteral("load"), QStringLiteral("{port}"), kNew},
                    3,
                    QStringLiteral("is in use by %1 (process %2): close the port there, then "
                                   "try again")
                        .arg(OwnProcessName())
                        .arg(::getpid()),
                    true},
        FailureCase{"NoDevice",
                    std::vector<std::string>{"--silent"},
                    {QStringLiteral("load"), QStringLiteral("{port}"), kNew},
                    4,
                    QStringLiteral("no dive computer answers on")},
        // The first read after the detection probe comes back damaged.
        FailureCase{"TransferFailure",
                    std::vector<std::string>{"--bad-checksum", "2"},
                    {QStringLiteral("load"), QStringLiteral("{port}"), kNew},
                    5,
                    QStringLiteral("reading the settings from")},
        FailureCase{"ForeignFile",
                    std::nullopt,
                    {QStringLiteral("show"), QStringLiteral("{foreign}")},
                    6,
                    QStringLiteral("(Incompatible File Type)")},
        FailureCase{"TruncatedHeader",
                    std::nullopt,
                    {QStringLiteral("show"), QStringLiteral("{short-header}")},
                    6,
                    QStringLiteral("(Incompatible File Type)")},
        FailureCase{"TruncatedBody",
                    std::nullopt,
                    {QStringLiteral("show"), QStringLiteral("{short-body}")},
                    6,
                    QStringLiteral("(Read Failure)")},
        // The file is refused before the port is looked for.
        FailureCase{
            "ForeignFileToStore",
            std::nullopt,
            {QStringLiteral("store"), QStringLiteral("no-such-port"), QStringLiteral("{foreign}")},
            6,
            QStringLiteral("(Incompatible File Type)")},
        FailureCase{"UnreadableFile",
                    std::nullopt,
                    {QStringLiteral("show"), QStringLiteral("{dir}/absent.kvx")},
                    7,
                    QStringLiteral("absent.kvx: No such file or directory (File not Open)")},
        // Without the backup asked for, nothing is stored.
        FailureCase{"BackupNotWritten",
                    std::vector<std::string>{},
                    {QStringLiteral("store"), QStringLiteral("{port}"), QStringLiteral("{good}"),
                     QStringLiteral("--backup"), QStringLiteral("{dir}/no-folder/old.kvx")},
                    7,
                    QStringLiteral("No such file or directory (Save Failed)")},
        // A result that cannot be written is no success: here on a full disk.
        FailureCase{"ShowOntoAFullDisk",
                    std::nullopt,
                    {QStringLiteral("show"), QStringLiteral("{good}")},
                    7,
                    QStringLiteral("cannot write the output: No space left on device"),
                    false,
                    QStringLiteral("/dev/full")},
        FailureCase{"ShowJsonOntoAFullDisk",
                    std::nullopt,
                    {QStringLiteral("show"), QStringLiteral("{good}"), QStringLiteral("--json")},
                    7,
                    QStringLiteral("cannot write the output: No space left on device"),
                    false,
                    QStringLiteral("/dev/full")},
        FailureCase{"HelpOntoAFullDisk",
                    std::nullopt,
                    {QStringLiteral("--help")},
                    7,
                    QStringLiteral("cannot write the output: No space left on device"),
                    false,
                    QStringLiteral("/dev/full")}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
