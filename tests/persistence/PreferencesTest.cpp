#include "persistence/FormState.h"
#include "persistence/PreferencesStore.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace {

const QString FormState = QStringLiteral("FormState");

void Clear()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Hallvex", "Tidewell").clear();
}

}  // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

public:
    explicit PreferencesTest(const QString& config) : config_(config) {}

private slots:
    void init() { Clear(); }
    void readsDefaultsWhenAbsent();
    void valuesSurviveIntoANewStore();
    void placementRoundTrip();
    void offScreenPlacementMovesToTheOrigin();
    void placementLandsOnAScreenThatIsThere_data();
    void placementLandsOnAScreenThatIsThere();
    void maximizedRoundTrip();
    void fixedSizeWindowKeepsOnlyItsCorner();
    void failureToWriteThePlacementIsReported();

private:
    QString config_;
};

void PreferencesTest::readsDefaultsWhenAbsent()
{
    const PreferencesStore store;
    QCOMPARE(store.ReadBool("", "KeepCommOpen", false), false);
    QCOMPARE(store.ReadBool(FormState, "Saved", true), true);
    QCOMPARE(store.ReadInteger("", "ActivePage", 7), 7);
    QVERIFY(store.ReadString("", "Port", L"ttyUSB0") == L"ttyUSB0");

    QWidget window;
    window.setGeometry(30, 40, 200, 100);
    RestoreFormState(store, window);
    QCOMPARE(window.geometry(), QRect(30, 40, 200, 100));
    QVERIFY(!window.isMaximized());
}

void PreferencesTest::valuesSurviveIntoANewStore()
{
    {
        PreferencesStore store;
        store.WriteBool("", "KeepCommOpen", true);
        store.WriteInteger("", "ActivePage", 2);
        store.WriteString("", "Port", L"ttyUSB1");
        store.WriteString("", "LastSave", L"/home/diver/F\u00FC\u00DFe.kvx");
        store.WriteString("", "ActivePageText", L"two");
        store.WriteBool(FormState, "Saved", true);
        QVERIFY(store.Flush().empty());
    }
    const PreferencesStore store;
    QCOMPARE(store.ReadBool("", "KeepCommOpen", false), true);
    QCOMPARE(store.ReadInteger("", "ActivePage", 0), 2);
    QVERIFY(store.ReadString("", "Port", L"") == L"ttyUSB1");
    QVERIFY(store.ReadString("", "LastSave", L"") == L"/home/diver/F\u00FC\u00DFe.kvx");
    QCOMPARE(store.ReadInteger("", "ActivePageText", 5), 5);  // not a number
    QCOMPARE(store.ReadBool(FormState, "Saved", false), true);

    // The unnamed section is the top level; a named one is a group. All of it in the
    // isolated configuration folder.
    QSettings file(config_ + "/Hallvex/Tidewell.conf", QSettings::IniFormat);
    QCOMPARE(file.value("Port").toString(), QString("ttyUSB1"));
    QCOMPARE(file.value("FormState/Saved").toBool(), true);
}

void PreferencesTest::placementRoundTrip()
{
    QWidget saved;
    saved.setGeometry(40, 60, 300, 200);
    PreferencesStore store;
    QVERIFY(SaveFormState(store, saved).empty());
    QCOMPARE(store.ReadBool(FormState, "Maximized", true), false);
    QCOMPARE(store.ReadInteger(FormState, "Left", 0), 40);
    QCOMPARE(store.ReadInteger(FormState, "Top", 0), 60);
    QCOMPARE(store.ReadInteger(FormState, "Right", 0), 340);
    QCOMPARE(store.ReadInteger(FormState, "Bottom", 0), 260);
    QCOMPARE(store.ReadBool(FormState, "Saved", false), true);

    QWidget restored;
    restored.setGeometry(5, 5, 100, 100);
    RestoreFormState(store, restored);
    QCOMPARE(restored.geometry(), QRect(40, 60, 300, 200));
}

void PreferencesTest::offScreenPlacementMovesToTheOrigin()
{
    PreferencesStore store;
    store.WriteInteger(FormState, "Left", -5000);
    store.WriteInteger(FormState, "Top", -5000);
    store.WriteInteger(FormState, "Right", -4700);
    store.WriteInteger(FormState, "Bottom", -4800);
    QWidget window;
    RestoreFormState(store, window);
    QCOMPARE(window.geometry(), QRect(0, 0, 300, 200));
}

void PreferencesTest::placementLandsOnAScreenThatIsThere_data()
{
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("placed");

    // A laptop below a panel, and a second monitor to its right.
    const QRect laptop(0, 24, 1280, 776);
    const QRect second(1280, 0, 1920, 1080);
    QTest::newRow("wholly on a screen stays")
        << QRect(100, 200, 465, 385) << QList<QRect>{laptop, second} << QMargins()
        << QRect(100, 200, 465, 385);
    QTest::newRow("on the second screen stays")
        << QRect(2000, 300, 465, 385) << QList<QRect>{laptop, second} << QMargins()
        << QRect(2000, 300, 465, 385);
    QTest::newRow("layout shrank: moved back up and left")
        << QRect(1700, 900, 465, 385) << QList<QRect>{QRect(0, 0, 1280, 800)} << QMargins()
        << QRect(815, 415, 465, 385);
    QTest::newRow("second screen gone: onto the first")
        << QRect(2000, 300, 465, 385) << QList<QRect>{laptop} << QMargins()
        << QRect(815, 300, 465, 385);
    QTest::newRow("second screen gone, far below: onto the first")
        << QRect(3000, 2000, 465, 385) << QList<QRect>{laptop} << QMargins()
        << QRect(815, 415, 465, 385);
    QTest::newRow("straddling two screens: the one it covers most")
        << QRect(1100, 100, 465, 385) << QList<QRect>{laptop, second} << QMargins()
        << QRect(1280, 100, 465, 385);
    QTest::newRow("partly off the left") << QRect(-200, 100, 465, 385) << QList<QRect>{laptop}
                                         << QMargins() << QRect(0, 100, 465, 385);
    QTest::newRow("partly off the top, under the panel")
        << QRect(300, -50, 465, 385) << QList<QRect>{laptop} << QMargins()
        << QRect(300, 24, 465, 385);
    QTest::newRow("larger than the screen: fits it")
        << QRect(50, 50, 1600, 1000) << QList<QRect>{laptop} << QMargins() << laptop;
    // 1280 x 900 pixels at scale factor 2, with a 24-pixel panel.
    QTest::newRow("scale factor 2")
        << QRect(1200, 700, 465, 385) << QList<QRect>{QRect(0, 12, 640, 438)} << QMargins()
        << QRect(175, 65, 465, 385);
    // A frame 4 pixels wide with a 20-pixel title bar stays on the screen too.
    QTest::newRow("framed, layout shrank")
        << QRect(1700, 900, 465, 385) << QList<QRect>{QRect(0, 0, 1280, 800)}
        << QMargins(4, 20, 4, 4) << QRect(811, 411, 465, 385);
    QTest::newRow("framed, partly off the top")
        << QRect(300, 5, 465, 385) << QList<QRect>{laptop} << QMargins(4, 20, 4, 4)
        << QRect(300, 44, 465, 385);
    QTest::newRow("no screen: kept")
        << QRect(-5000, 10, 465, 385) << QList<QRect>{} << QMargins() << QRect(-5000, 10, 465, 385);
}

void PreferencesTest::placementLandsOnAScreenThatIsThere()
{
    QFETCH(QRect, saved);
    QFETCH(QList<QRect>, screens);
    QFETCH(QMargins, frame);
    QFETCH(QRect, placed);
    QCOMPARE(PlaceOnScreens(saved, screens, frame), placed);
}

void PreferencesTest::maximizedRoundTrip()
{
    PreferencesStore store;
    {
        QWidget saved;
        saved.setGeometry(50, 70, 300, 200);
        saved.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&saved));
        QVERIFY(SaveFormState(store, saved).empty());
    }
    QCOMPARE(store.ReadBool(FormState, "Maximized", false), true);
    QCOMPARE(store.ReadInteger(FormState, "Left", 0), 50);
    QCOMPARE(store.ReadInteger(FormState, "Bottom", 0), 270);

    QWidget restored;
    RestoreFormState(store, restored);
    restored.show();
    QVERIFY(QTest::qWaitForWindowExposed(&restored));
    QVERIFY(restored.isMaximized());
    QCOMPARE(restored.normalGeometry(), QRect(50, 70, 300, 200));
    restored.showNormal();
    QTRY_COMPARE(restored.geometry(), QRect(50, 70, 300, 200));
}

void PreferencesTest::fixedSizeWindowKeepsOnlyItsCorner()
{
    QWidget saved;
    saved.setFixedSize(465, 385);
    saved.move(10, 20);
    PreferencesStore store;
    QVERIFY(SaveFormState(store, saved).empty());
    QCOMPARE(store.ReadInteger(FormState, "Right", -1), -1);
    QCOMPARE(store.ReadInteger(FormState, "Bottom", -1), -1);

    QWidget restored;
    restored.setFixedSize(465, 385);
    RestoreFormState(store, restored);
    QCOMPARE(restored.geometry(), QRect(10, 20, 465, 385));
}

void PreferencesTest::failureToWriteThePlacementIsReported()
{
    // A folder where the store's file belongs: it cannot be written.
    const QString path = config_ + "/Hallvex/Tidewell.conf";
    QFile::remove(path);
    QVERIFY(QDir().mkpath(path));
    QWidget window;
    CStdStr message;
    {
        PreferencesStore store;
        message = SaveFormState(store, window);
    }
    QDir(path).removeRecursively();
    QVERIFY(message.find(L"Tidewell.conf") != CStdStr::npos);
}

int main(int argc, char** argv)
{
    // Set before the first store is made, so that no test touches the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    PreferencesTest test(config.path());
    return QTest::qExec(&test, argc, argv);
}

#include "PreferencesTest.moc"
