#include "persistence/SettingsFile.h"

#include "platform/VersionInformation.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace {

constexpr std::size_t RightN = 41;  // "Hallvex Inv.Tidewell": 20 code units and a zero byte

QByteArray Utf16Le(const std::u16string& text)
{
    QByteArray bytes;
    for (const char16_t unit : text) {
        bytes.append(static_cast<char>(unit & 0xFF)).append(static_cast<char>(unit >> 8));
    }
    return bytes;
}

QByteArray RightField()
{
    return Utf16Le(u"Hallvex Inv.Tidewell") + QByteArray(1, '\0');
}

// A file: N as given, then the header text field and the body.
QByteArray FileBytes(std::size_t n, const QByteArray& field, const QByteArray& body)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(n & 0xFF)).append(static_cast<char>(n >> 8));
    return bytes + field + body;
}

QByteArray Body(char first = 1)
{
    QByteArray body(static_cast<int>(SettingsFile::BodySize), '\0');
    for (int i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(first + 3 * i);
    return body;
}

DEVICE_DATA Filled(std::uint8_t value)
{
    DEVICE_DATA record;
    std::memset(DeviceData::Bytes(record), value, sizeof record);
    return record;
}

// The 113 record bytes in file order.
QByteArray BodyOf(const DEVICE_DATA& record)
{
    const char* bytes = reinterpret_cast<const char*>(DeviceData::Bytes(record));
    return QByteArray(bytes + 16, 74) + QByteArray(bytes + 101, 39);
}

bool Same(const DEVICE_DATA& a, const DEVICE_DATA& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class SettingsFileTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        info.SetFileName(L"settings_file_tests");
        ASSERT_TRUE(info.Read());
    }

    QString Write(const QByteArray& bytes, const QString& name = "settings.kvx")
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static VersionInformation info;
    QTemporaryDir dir;
};

VersionInformation SettingsFileTest::info;

TEST_F(SettingsFileTest, SavedFileIsHeaderThenTheThreeRanges)
{
    DEVICE_DATA record = Filled(0);
    for (std::size_t i = 0; i < sizeof record; ++i)
        DeviceData::Bytes(record)[i] = i & 0xFF;
    record.totalDives = 300;
    const QString path = dir.filePath("saved.kvx");
    ASSERT_EQ(SaveSettingsFile(path, info, record), SaveOutcome::Saved);

    const QByteArray bytes = Contents(path);
    ASSERT_EQ(bytes.size(), static_cast<int>(2 + RightN + 113));
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), RightN);
    EXPECT_EQ(bytes[1], '\0');
    EXPECT_EQ(bytes.mid(2, RightN), RightField());
    EXPECT_EQ(bytes[1 + RightN], '\0');
    EXPECT_EQ(bytes.mid(2 + RightN), BodyOf(record));
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[2 + RightN + 34]), 0x2C);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[2 + RightN + 35]), 0x01);
}

TEST_F(SettingsFileTest, OpenGivesBackWhatSaveWrote)
{
    DEVICE_DATA saved = Filled(0);
    for (std::size_t i = 0; i < sizeof saved; ++i)
        DeviceData::Bytes(saved)[i] = (i * 37 + 5) & 0xFF;
    const QString path = dir.filePath("round.kvx");
    ASSERT_EQ(SaveSettingsFile(path, info, saved), SaveOutcome::Saved);

    DEVICE_DATA opened = Filled(0xEE);
    ASSERT_EQ(OpenSettingsFile(path, info, opened), OpenOutcome::Opened);
    EXPECT_EQ(BodyOf(opened), BodyOf(saved));
    // Offsets 0-15 and 90-100 are not in the file.
    const std::uint8_t* bytes = DeviceData::Bytes(opened);
    for (std::size_t i : {0u, 15u, 90u, 100u})
        EXPECT_EQ(bytes[i], 0xEE) << i;
}

TEST_F(SettingsFileTest, AcceptsHeadersThatHoldTheRightText)
{
    const QByteArray text = Utf16Le(u"Hallvex Inv.Tidewell");
    const QByteArray longer = text + QByteArray(2, '\0') + "further bytes";
    const QByteArray full = text + QByteArray(1000 - text.size(), '\0');
    struct Case {
        const char* what;
        QByteArray file;
    } const cases[] = {
        {"as written", FileBytes(RightN, RightField(), Body())},
        {"larger N, zero code unit, more bytes", FileBytes(longer.size(), longer, Body())},
        {"N at the header buffer's size", FileBytes(1000, full, Body())},
        {"no zero at all", FileBytes(text.size(), text, Body())},
        {"bytes after the body", FileBytes(RightN, RightField(), Body() + "trailing")},
    };
    for (const Case& c : cases) {
        DEVICE_DATA record = Filled(0xEE);
        EXPECT_EQ(OpenSettingsFile(Write(c.file), info, record), OpenOutcome::Opened) << c.what;
        EXPECT_EQ(BodyOf(record), Body()) << c.what;
    }
}

TEST_F(SettingsFileTest, RefusesOtherFilesLeavingTheRecordAsItWas)
{
    const QByteArray overlong = RightField() + QByteArray(1001 - RightN, '\0');
    struct Case {
        const char* what;
        QByteArray file;
        OpenOutcome outcome;
    } const cases[] = {
        {"empty", QByteArray(), OpenOutcome::IncompatibleFileType},
        {"one byte", QByteArray(1, '\x29'), OpenOutcome::IncompatibleFileType},
        {"other company", FileBytes(RightN, Utf16Le(u"Hallvex Ltd.Tidewell") + '\0', Body()),
         OpenOutcome::IncompatibleFileType},
        {"other product",
         FileBytes(RightN, Utf16Le(u"Hallvex Inv.Tideway") + QByteArray(3, '\0'), Body()),
         OpenOutcome::IncompatibleFileType},
        {"letter case", FileBytes(RightN, Utf16Le(u"hallvex inv.tidewell") + '\0', Body()),
         OpenOutcome::IncompatibleFileType},
        {"text goes on",
         FileBytes(45, Utf16Le(u"Hallvex Inv.Tidewell2") + '\0' + '\0' + '\0', Body()),
         OpenOutcome::IncompatibleFileType},
        {"shorter than its header", FileBytes(RightN, RightField().left(20), QByteArray()),
         OpenOutcome::IncompatibleFileType},
        {"N beyond the header buffer", FileBytes(1001, overlong, Body()),
         OpenOutcome::IncompatibleFileType},
        {"N of 65535", FileBytes(0xFFFF, overlong, Body()), OpenOutcome::IncompatibleFileType},
        {"body one byte short", FileBytes(RightN, RightField(), Body().left(112)),
         OpenOutcome::ReadFailure},
        {"no body", FileBytes(RightN, RightField(), QByteArray()), OpenOutcome::ReadFailure},
    };
    for (const Case& c : cases) {
        DEVICE_DATA record = Filled(0xEE);
        EXPECT_EQ(OpenSettingsFile(Write(c.file), info, record), c.outcome) << c.what;
        EXPECT_TRUE(Same(record, Filled(0xEE))) << c.what;
    }
}

QString Reason(int error)
{
    return QString::fromStdString(std::system_category().message(error));
}

TEST_F(SettingsFileTest, OpenReportsAFileThatCannotBeOpenedWithTheReason)
{
    DEVICE_DATA record = Filled(0xEE);
    QString why;
    EXPECT_EQ(OpenSettingsFile(dir.filePath("missing.kvx"), info, record, &why),
              OpenOutcome::FileNotOpen);
    EXPECT_EQ(why, Reason(ENOENT));
    EXPECT_EQ(OpenSettingsFile(dir.path(), info, record, &why), OpenOutcome::FileNotOpen);
    EXPECT_EQ(why, Reason(EISDIR));
    EXPECT_TRUE(Same(record, Filled(0xEE)));

    // A foreign file has no reason of the system's.
    why.clear();
    EXPECT_EQ(OpenSettingsFile(Write(QByteArray(4, 'x')), info, record, &why),
              OpenOutcome::IncompatibleFileType);
    EXPECT_EQ(why, QString());
}

TEST_F(SettingsFileTest, WithoutVersionInformationNothingIsReadOrWritten)
{
    const VersionInformation invalid;
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    try {
        WriteFileHeader(buffer, invalid);
        FAIL() << "no exception";
    } catch (const std::invalid_argument&) {
        FAIL() << "not a file type failure";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Info Not Available");
    }
    EXPECT_EQ(buffer.size(), 0);

    buffer.write(FileBytes(RightN, RightField(), Body()));
    buffer.seek(0);
    EXPECT_THROW(CheckFileHeader(buffer, invalid), std::logic_error);
    EXPECT_EQ(buffer.pos(), 0);

    DEVICE_DATA record = Filled(0xEE);
    const QString path = Write(FileBytes(RightN, RightField(), Body()));
    EXPECT_EQ(OpenSettingsFile(path, invalid, record), OpenOutcome::ReadFailure);
    EXPECT_TRUE(Same(record, Filled(0xEE)));

    const QByteArray before = Contents(path);
    EXPECT_THROW(SaveSettingsFile(path, invalid, Filled(1)), std::logic_error);
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.kvx"});
}

TEST_F(SettingsFileTest, SaveFailsWhereNoFileCanBeMadeWithTheReason)
{
    QString why;
    EXPECT_EQ(SaveSettingsFile(dir.filePath("no-folder/a.kvx"), info, Filled(1), &why),
              SaveOutcome::SaveFailed);
    EXPECT_TRUE(why.contains(Reason(ENOENT))) << why.toStdString();
    EXPECT_EQ(SaveSettingsFile(dir.path(), info, Filled(1), &why), SaveOutcome::SaveFailed);
    EXPECT_EQ(why, Reason(EISDIR));
}

TEST_F(SettingsFileTest, CheckFileHeaderSaysWhyItRefuses)
{
    QBuffer buffer;
    buffer.setData(FileBytes(RightN, Utf16Le(u"Hallvex Ltd.Tidewell") + '\0', Body()));
    buffer.open(QIODevice::ReadOnly);
    try {
        CheckFileHeader(buffer, info);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Incompatible File Type");
    }
}

TEST(SettingsFileStatus, TextsTheWindowShows)
{
    EXPECT_EQ(StatusText(SaveOutcome::Saved), L"Ready");
    EXPECT_EQ(StatusText(SaveOutcome::SaveFailed), L"Save Failed");
    EXPECT_EQ(StatusText(OpenOutcome::Opened), L"Ready");
    EXPECT_EQ(StatusText(OpenOutcome::FileNotOpen), L"File not Open");
    EXPECT_EQ(StatusText(OpenOutcome::IncompatibleFileType), L"Incompatible File Type");
    EXPECT_EQ(StatusText(OpenOutcome::ReadFailure), L"Read Failure");
}

}  // namespace
