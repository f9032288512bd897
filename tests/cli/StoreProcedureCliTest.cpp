// The store procedure's table through tidewell-cli: its flags answer the questions, and it
// tells what happened by its exit code and message. The same rows run through the window
// in tests/window.
#include "CliRun.h"
#include "EmulatorProcess.h"
#include "KvxFile.h"
#include "StoreProcedureRows.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

namespace {

using e2e::EmulatorProcess;
using namespace store_rows;

// Answers before a store's writing: the load that made the file (the detection and six
// reads), then the store's own detection and its six reads of what the dive computer holds.
constexpr int kAnswersBefore = 14;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

class StoreProcedureCli : public testing::TestWithParam<int> {
protected:
    QString File(const char* name) const
    {
        return Q(files.path()) + QLatin1Char('/') + QLatin1String(name);
    }
    e2e::TempDir files;
    e2e::TempDir quietRuntime;  // sees no emulator
};

TEST_P(StoreProcedureCli, Row)
{
    const Row& row = kRows[GetParam()];
    const Front& expect = row.cli;
    std::vector<std::string> faults;
    if (row.fault)
        faults = {row.fault, std::to_string(kAnswersBefore + row.faultAnswer)};

    const QString sourceImage = File("source.img");
    std::vector<std::string> sourceArgs{"--name", "source", "--image", sourceImage.toStdString()};
    if (row.target == Target::Same)
        sourceArgs.insert(sourceArgs.end(), faults.begin(), faults.end());
    EmulatorProcess source(sourceArgs);
    ASSERT_FALSE(source.slavePath().empty()) << source.errors();
    std::optional<EmulatorProcess> other;
    QString targetImage = sourceImage;
    if (row.target == Target::Other) {
        targetImage = File("other.img");
        kvx::Write(targetImage, OtherDiveComputer(kvx::Read(sourceImage)));
        std::vector<std::string> args{"--name", "other", "--image", targetImage.toStdString()};
        args.insert(args.end(), faults.begin(), faults.end());
        other.emplace(args);
        ASSERT_FALSE(other->slavePath().empty()) << other->errors();
    }
    const QString runtime = Q(quietRuntime.path());

    const QString loaded = File("loaded.kvx");
    const CliResult load = RunCli({QStringLiteral("load"), Q(source.slavePath()), loaded}, runtime);
    ASSERT_EQ(load.code, 0) << load.err.toStdString();
    const QByteArray edited = Edited(kvx::Read(sourceImage));
    QByteArray file = kvx::Read(loaded);
    kvx::SetByte(file, 110, std::uint8_t(edited[0x53]));  // sample rate, address 0x53
    kvx::SetByte(file, 125, std::uint8_t(edited[0x62]));  // units, address 0x62
    kvx::Write(loaded, file);
    // Beneath a file no backup can be written.
    const QString backup =
        row.backupFails ? targetImage + QStringLiteral("/held.kvx") : File("held.kvx");
    const QByteArray before = kvx::Read(targetImage);
    const QString port = Q(other ? other->slavePath() : source.slavePath());

    const CliResult store = RunCli(
        {QStringLiteral("store"), port, loaded, QStringLiteral("--backup"), backup}, runtime);

    EXPECT_EQ(kvx::Read(targetImage).toHex(' ').toStdString(),
              Expected(expect.memory, before, edited).toHex(' ').toStdString());
    EXPECT_EQ(QFileInfo(backup).isFile(), expect.backup);
    if (expect.backup) {
        EXPECT_EQ(kvx::Read(backup).size(), kvx::kFileSize);
    }
    const std::string err = store.err.toStdString();
    switch (expect.told) {
        case Told::Stored:
        case Told::NothingWritten:
            EXPECT_EQ(store.code, 0) << err;
            EXPECT_TRUE(store.out.startsWith(QStringLiteral("Stored the settings of ")))
                << store.out.toStdString();
            break;
        case Told::BackupFailed:
            EXPECT_EQ(store.code, 7) << err;
            EXPECT_TRUE(store.err.contains(QStringLiteral("Not a directory"))) << err;
            break;
        case Told::NotKept:
            EXPECT_EQ(store.code, 5) << err;
            EXPECT_TRUE(store.err.contains(
                QStringLiteral("did not keep Units: what it holds at address 0x0062 differs")))
                << err;
            EXPECT_TRUE(store.err.contains(QStringLiteral("part of the new settings"))) << err;
            break;
        case Told::LineBroken:
            EXPECT_EQ(store.code, 5) << err;
            EXPECT_TRUE(store.err.contains(QStringLiteral("writing the settings to ") + port +
                                           QStringLiteral(" failed: ")))
                << err;
            EXPECT_TRUE(store.err.contains(QStringLiteral("part of the new settings"))) << err;
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, StoreProcedureCli, testing::Range(0, int(std::size(kRows))),
                         [](const testing::TestParamInfo<int>& info) {
                             std::string name = kRows[info.param].name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

}  // namespace
