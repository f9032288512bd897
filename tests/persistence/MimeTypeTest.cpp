// The settings file type as the desktop sees it: the shared-mime-info package installed
// into the test's own data folder, its database built with update-mime-database, then
// asked by file name alone and by content alone.
#include "persistence/SettingsFile.h"
#include "platform/VersionInformation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QtTest>

#include <cstring>

namespace {

const QString kType = QStringLiteral(SETTINGS_MIME_TYPE);

QByteArray Utf16Le(const QString& text)
{
    QByteArray bytes;
    for (const QChar unit : text)
        bytes.append(static_cast<char>(unit.unicode() & 0xFF))
            .append(static_cast<char>(unit.unicode() >> 8));
    return bytes;
}

// A settings file whose header names `header` instead of this program.
QByteArray ForeignSettings(const QString& header)
{
    const QByteArray field = Utf16Le(header) + QByteArray(1, '\0');
    QByteArray bytes;
    bytes.append(static_cast<char>(field.size())).append('\0');
    return bytes + field + QByteArray(static_cast<int>(SettingsFile::BodySize), '\x11');
}

}  // namespace

class MimeTypeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void knownByNameAndByHeader_data();
    void knownByNameAndByHeader();

private:
    QString folder;
    QByteArray saved;
};

void MimeTypeTest::initTestCase()
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    const QString scratch = qEnvironmentVariable("TIDEWELL_TEST_SCRATCH");
    QVERIFY2(!scratch.isEmpty() && data.startsWith(scratch),
             "needs a data folder of its own: run it with ctest or tests/support/hermetic-run");
    const QString mime = data + QStringLiteral("/mime");
    QVERIFY(QDir().mkpath(mime + QStringLiteral("/packages")));
    QVERIFY(
        QFile::copy(QStringLiteral(MIME_PACKAGE), mime + QStringLiteral("/packages/settings.xml")));
    QProcess update;
    update.setProcessChannelMode(QProcess::ForwardedChannels);
    update.start(QStringLiteral("update-mime-database"), {mime});
    QVERIFY(update.waitForFinished(-1));
    QCOMPARE(update.exitStatus(), QProcess::NormalExit);
    QCOMPARE(update.exitCode(), 0);
    QVERIFY(QMimeDatabase().mimeTypeForName(kType).isValid());

    // A file as Save writes it, with the header from this program's version block.
    VersionInformation info;
    info.SetFileName(QCoreApplication::applicationFilePath().toStdWString());
    QVERIFY(info.Read());
    folder = data + QStringLiteral("/files");
    QVERIFY(QDir().mkpath(folder));
    DEVICE_DATA record{};
    std::memset(DeviceData::Bytes(record), 0x5A, sizeof record);
    const QString path = folder + QStringLiteral("/saved.kvx");
    QCOMPARE(SaveSettingsFile(path, info, record), SaveOutcome::Saved);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    saved = file.readAll();
}

void MimeTypeTest::knownByNameAndByHeader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");  // empty: the file Save wrote
    QTest::addColumn<bool>("byName");
    QTest::addColumn<bool>("byContent");

    QTest::newRow("saved") << "saved.kvx" << QByteArray() << true << true;
    QTest::newRow("saved, renamed") << "saved settings.bin" << QByteArray() << false << true;
    QTest::newRow("capital extension") << "SAVED.KVX" << QByteArray() << true << true;
    QTest::newRow("another company's file")
        << "foreign.kvx" << ForeignSettings(QStringLiteral("Kelvor Inv.Tidewell")) << true << false;
    QTest::newRow("another product's file")
        << "foreign.dat" << ForeignSettings(QStringLiteral("Hallvex Inv.Tidewall")) << false
        << false;
    QTest::newRow("header without its length")
        << "shifted.dat" << Utf16Le(QStringLiteral("Hallvex Inv.Tidewell")) << false << false;
    QTest::newRow("text, renamed")
        << "notes.kvx" << QByteArray("Dive log, 12 dives\n") << true << false;
}

void MimeTypeTest::knownByNameAndByHeader()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, byName);
    QFETCH(bool, byContent);

    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(file.write(content.isEmpty() ? saved : content) >= 0);
    file.close();

    const QMimeDatabase types;
    QCOMPARE(types.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name() == kType, byName);
    QCOMPARE(types.mimeTypeForFile(path, QMimeDatabase::MatchContent).name() == kType, byContent);
}

QTEST_GUILESS_MAIN(MimeTypeTest)
#include "MimeTypeTest.moc"
