#include "platform/VersionInformation.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

CStdStr Wide(const char* text)
{
    return QString::fromUtf8(text).toStdWString();
}

struct Expected {
    const char* key;
    const char* value;
};

void ExpectValues(const VersionInformation& info, std::initializer_list<Expected> values)
{
    for (const Expected& e : values)
        EXPECT_EQ(info.Value(Wide(e.key)), Wide(e.value)) << e.key;
}

TEST(VersionInformation, ReadsTheBlockOfABuiltProgram)
{
    VersionInformation info;
    info.SetFileName(Wide(VERSION_PROBE));
    EXPECT_TRUE(info.Read());
    EXPECT_TRUE(info.Valid());
    ExpectValues(info, {{"CompanyName", "Hallvex Inv."},
                        {"FileDescription", ""},
                        {"FileVersion", "2.0.0.3"},
                        {"InternalName", ""},
                        {"LegalTrademarks", ""},
                        {"OriginalFilename", ""},
                        {"ProductName", "Tidewell"},
                        {"ProductVersion", "2.0.1"},
                        {"Comments", "RC1"},
                        {"NoSuchKey", ""}});
    EXPECT_NE(info.Value(L"LegalCopyright").find(L"Hallvex Inv."), CStdStr::npos);
}

TEST(VersionInformation, BareProgramNameIsTheRunningExecutable)
{
    VersionInformation info;
    info.SetFileName(L"platform_tests");
    EXPECT_TRUE(info.Read());
    EXPECT_EQ(info.Value(L"ProductVersion"), L"2.0.1");
}

TEST(VersionInformation, InvalidWithoutABlock)
{
    QTemporaryDir dir;
    QFile empty(dir.filePath("empty"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();

    for (const CStdStr& name :
         {Wide(PLAIN_PROBE), CStdStr(), Wide(qPrintable(dir.filePath("empty"))),
          Wide(qPrintable(dir.filePath("missing"))), Wide(qPrintable(dir.path()))}) {
        VersionInformation info;
        info.SetFileName(name);
        EXPECT_FALSE(info.Read()) << std::string(name.begin(), name.end());
        EXPECT_FALSE(info.Valid());
        EXPECT_EQ(info.Value(L"ProductVersion"), L"");
    }
}

// A file holding a version block among other bytes. The marker is put together here at run
// time, so that this program's own file carries no block but the one it embeds.
QString BlockFile(const QTemporaryDir& dir, std::initializer_list<const char*> fields)
{
    QByteArray contents(
        "\x7f"
        "ELF some code and data\0\0",
        26);
    contents += QByteArray("TidewellVersion") + "Block/1";
    contents += '\0';
    for (const char* field : fields) {
        contents += field;
        contents += '\0';
    }
    contents += "more of the program";
    static int count = 0;
    const QString path = dir.filePath(QString::number(++count));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    return path;
}

TEST(VersionInformation, UsesTheFirstTranslationOnly)
{
    QTemporaryDir dir;
    VersionInformation info;
    info.SetFileName(
        BlockFile(dir, {"Translation", "040704b0", "040904e4", "", "040904e4", "ProductVersion",
                        "9", "", "040704b0", "ProductVersion", "7", "CompanyName", "X", "", ""})
            .toStdWString());
    EXPECT_TRUE(info.Read());
    ExpectValues(info, {{"ProductVersion", "7"}, {"CompanyName", "X"}});
}

TEST(VersionInformation, ValidWithoutProductVersion)
{
    QTemporaryDir dir;
    VersionInformation info;
    info.SetFileName(BlockFile(dir, {"Translation", "040904e4", "", "040904e4", "CompanyName",
                                     "Hallvex Inv.", "", ""})
                         .toStdWString());
    EXPECT_TRUE(info.Read());
    ExpectValues(info, {{"CompanyName", "Hallvex Inv."}, {"ProductVersion", ""}});
}

TEST(VersionInformation, InvalidWithoutATranslation)
{
    QTemporaryDir dir;
    const std::initializer_list<const char*> blocks[] = {
        {"040904e4", "ProductVersion", "2.0.1", "", ""},                     // no table
        {"Translation", "", "040904e4", "ProductVersion", "2.0.1", "", ""},  // empty table
        {"Translation"},                                                     // cut short
    };
    for (const auto& fields : blocks) {
        VersionInformation info;
        info.SetFileName(BlockFile(dir, fields).toStdWString());
        EXPECT_FALSE(info.Read());
        EXPECT_EQ(info.Value(L"ProductVersion"), L"");
    }
}

}  // namespace
