#include "PreferencesWindowTest.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "EmulatorProcess.h"
#include "support/ScriptedModal.h"
#include "support/WindowHelpers.h"
#include "window/Main.h"

namespace {

QSettings Store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Hallvex"),
                     QStringLiteral("Tidewell"));
}

QString PortsFolder()
{
    return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/tidewell/ports");
}

QAction* Item(const TForm1& window, const char* name)
{
    return Child<QAction>(window, name);
}

QComboBox* PortBox(const TForm1& window)
{
    return Child<QComboBox>(window, "ComSelect");
}

void Connect(TForm1& window, const QString& port)
{
    QComboBox* box = PortBox(window);
    box->setCurrentIndex(box->findText(port + QStringLiteral(" : "), Qt::MatchStartsWith));
    QTest::mouseClick(Child<QToolButton>(window, "ConnectButton"), Qt::LeftButton);
    if (!QTest::qWaitFor([&window] { return !window.IsBusy(); }, 30000))
        qWarning("Connect did not end");
}

}  // namespace

PreferencesWindowTest::PreferencesWindowTest() = default;
PreferencesWindowTest::~PreferencesWindowTest() = default;

void PreferencesWindowTest::initTestCase()
{
    emulator = std::make_unique<e2e::EmulatorProcess>(std::vector<std::string>{"--name", "window"});
    emulatorPort = QString::fromStdString(emulator->slavePath());
    QVERIFY2(!emulatorPort.isEmpty(), emulator->errors().c_str());
}

void PreferencesWindowTest::cleanupTestCase()
{
    emulator.reset();
}

void PreferencesWindowTest::init()
{
    QSettings store = Store();
    store.clear();
    store.sync();
    QDir(PortsFolder()).removeRecursively();
    QVERIFY(QDir().mkpath(PortsFolder()));
    modal = std::make_unique<ScriptedModal>();
}

void PreferencesWindowTest::cleanup()
{
    window.reset();
    modal.reset();
}

void PreferencesWindowTest::AnnouncePort(const QString& name, const QString& target)
{
    QVERIFY(QFile::link(target, PortsFolder() + QLatin1Char('/') + name));
}

void PreferencesWindowTest::CloseWindow()
{
    window->close();
    window.reset();
}

void PreferencesWindowTest::firstRunDefaults_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("selected");
    QTest::newRow("usual cable present")
        << QStringList({"alpha", "ttyUSB0"}) << "ttyUSB0 : Type1 emulator";
    QTest::newRow("usual cable absent")
        << QStringList({"alpha", "beta"}) << QString();  // the first
}

void PreferencesWindowTest::firstRunDefaults()
{
    QFETCH(QStringList, ports);
    QFETCH(QString, selected);
    for (const QString& port : ports)
        AnnouncePort(port, QStringLiteral("/dev/null"));

    window = ShowWindow();
    QComboBox* box = PortBox(*window);
    if (selected.isEmpty())
        QCOMPARE(box->currentIndex(), 0);
    else
        QCOMPARE(box->currentText(), selected);

    QVERIFY(Child<QGroupBox>(*window, "ByteControlBox")->isHidden());
    for (const char* item :
         {"EnableByteControls1", "KeepConnectionOpen", "RefreshOnConnect", "AutoSave1"})
        QVERIFY2(!Item(*window, item)->isChecked(), item);
    QVERIFY(Item(*window, "VerifyAfterStore")->isChecked());

    QTest::mouseClick(Child<QToolButton>(*window, "OpenButton"), Qt::LeftButton);
    window->EnableSettingGroups(true);
    ClickOnItsPage(*window, Child<QWidget>(*window, "DiveModelItem2"));
    QTest::mouseClick(Child<QToolButton>(*window, "SaveButton"), Qt::LeftButton);
    QCOMPARE(modal->openPresets, QStringList({QString()}));
    QCOMPARE(modal->savePresets, QStringList({QString()}));
}

void PreferencesWindowTest::choicesSurviveARestart()
{
    AnnouncePort(QStringLiteral("alpha"), QStringLiteral("/dev/null"));
    AnnouncePort(QStringLiteral("beta"), emulatorPort);
    QTemporaryDir folder;
    const QString opened = folder.filePath(QStringLiteral("opened.kvx"));
    const QString saved = folder.filePath(QStringLiteral("saved.kvx"));
    WriteFile(opened, SettingsFileBytes(kOwnHeader, BodyOf(SampleRecord(1))));

    window = ShowWindow();
    QCOMPARE(PortBox(*window)->currentIndex(), 0);
    Connect(*window, QStringLiteral("beta"));
    QVERIFY(modal->messages.isEmpty());
    for (const char* item : {"KeepConnectionOpen", "RefreshOnConnect", "AutoSave1"})
        Item(*window, item)->trigger();
    modal->openAnswers.push_back(opened);
    QTest::mouseClick(Child<QToolButton>(*window, "OpenButton"), Qt::LeftButton);
    ClickOnItsPage(*window, Child<QWidget>(*window, "DiveModelItem0"));
    modal->saveAnswers.push_back(saved);
    QTest::mouseClick(Child<QToolButton>(*window, "SaveButton"), Qt::LeftButton);
    QCOMPARE(StatusOf(*window),
             QStringLiteral("The settings were saved to %1.").arg(QFileInfo(saved).fileName()));
    window->move(40, 50);
    const QPoint placed = window->geometry().topLeft();
    Child<QTabWidget>(*window, "PageControl1")->setCurrentIndex(1);
    CloseWindow();
    QCOMPARE(Store().value(QStringLiteral("ActivePage")).toInt(), 1);

    window = ShowWindow();
    QCOMPARE(window->geometry().topLeft(), placed);
    QCOMPARE(PortBox(*window)->currentText(), QStringLiteral("beta : Type1 emulator"));
    for (const char* item : {"KeepConnectionOpen", "RefreshOnConnect", "AutoSave1"})
        QVERIFY2(Item(*window, item)->isChecked(), item);
    modal->openAnswers.push_back(opened);
    QTest::mouseClick(Child<QToolButton>(*window, "OpenButton"), Qt::LeftButton);
    ClickOnItsPage(*window, Child<QWidget>(*window, "DiveModelItem0"));
    QTest::mouseClick(Child<QToolButton>(*window, "SaveButton"), Qt::LeftButton);
    QCOMPARE(modal->openPresets.last(), opened);
    QCOMPARE(modal->savePresets.last(), saved);
}

void PreferencesWindowTest::storedValuesComeBackAndAreKept()
{
    // Everything but the placement comes back as it was stored; the placement lies off
    // every screen and is moved the least that puts the window wholly on the screen.
    const QVariantMap options = {
        {QStringLiteral("LastSave"), QStringLiteral("/data/saved.kvx")},
        {QStringLiteral("LastOpen"), QStringLiteral("/data/opened.kvx")},
        {QStringLiteral("Port"), QStringLiteral("gone")},
        {QStringLiteral("KeepCommOpen"), false},
        {QStringLiteral("RefreshOnConnect"), true},
        {QStringLiteral("StoreOnExit"), true},
        {QStringLiteral("ShowByteControls"), true},
        {QStringLiteral("VerifyAfterStore"), false},
    };
    {
        QSettings store = Store();
        for (auto it = options.begin(); it != options.end(); ++it)
            store.setValue(it.key(), it.value());
        store.setValue(QStringLiteral("FormState/Left"), 5000);
        store.setValue(QStringLiteral("FormState/Top"), -4000);
        store.setValue(QStringLiteral("FormState/Saved"), true);
    }
    AnnouncePort(QStringLiteral("alpha"), QStringLiteral("/dev/null"));

    window = ShowWindow();
    const QRect screen = window->screen()->availableGeometry();
    QCOMPARE(window->frameGeometry().right(), screen.right());
    QCOMPARE(window->frameGeometry().top(), screen.top());
    QCOMPARE(PortBox(*window)->currentIndex(), 0);  // the stored port is not present
    QVERIFY(Item(*window, "RefreshOnConnect")->isChecked());
    QVERIFY(Item(*window, "AutoSave1")->isChecked());
    QVERIFY(!Item(*window, "KeepConnectionOpen")->isChecked());
    QVERIFY(!Child<QGroupBox>(*window, "ByteControlBox")->isHidden());
    QVERIFY(Item(*window, "EnableByteControls1")->isChecked());
    QVERIFY(!Item(*window, "VerifyAfterStore")->isChecked());
    const QPoint shownAt = window->normalGeometry().topLeft();
    CloseWindow();

    QSettings store = Store();
    for (auto it = options.begin(); it != options.end(); ++it)
        QCOMPARE(store.value(it.key()).toString(), it.value().toString());
    QCOMPARE(store.value(QStringLiteral("FormState/Left")).toInt(), shownAt.x());
    QCOMPARE(store.value(QStringLiteral("FormState/Top")).toInt(), shownAt.y());
    QCOMPARE(store.value(QStringLiteral("FormState/Maximized")).toBool(), false);
}

void PreferencesWindowTest::typedPortPathComesBack()
{
    // The path of a device that no entry lists, typed and connected last time.
    Store().setValue(QStringLiteral("Port"), emulatorPort);

    window = ShowWindow();
    QCOMPARE(PortBox(*window)->currentIndex(), -1);
    QCOMPARE(PortBox(*window)->currentText(), emulatorPort);
    QTest::mouseClick(Child<QToolButton>(*window, "ConnectButton"), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([this] { return !window->IsBusy(); }, 30000));
    QVERIFY(modal->messages.isEmpty());
    CloseWindow();
    QCOMPARE(Store().value(QStringLiteral("Port")).toString(), emulatorPort);
}

void PreferencesWindowTest::maximizedSurvivesARestart()
{
    window = ShowWindow();
    window->move(30, 20);
    const QRect normal = window->geometry();
    window->showMaximized();
    QVERIFY(window->isMaximized());
    CloseWindow();
    QCOMPARE(Store().value(QStringLiteral("FormState/Maximized")).toBool(), true);
    QCOMPARE(Store().value(QStringLiteral("FormState/Left")).toInt(), normal.left());
    QCOMPARE(Store().value(QStringLiteral("FormState/Top")).toInt(), normal.top());

    window = ShowWindow();
    QVERIFY(window->isMaximized());
    QCOMPARE(window->normalGeometry(), normal);
}

void PreferencesWindowTest::keepConnectionOpenArmsNothingUntilAsked_data()
{
    QTest::addColumn<bool>("connect");
    QTest::newRow("Connect") << true;
    QTest::newRow("click on the item") << false;
}

void PreferencesWindowTest::keepConnectionOpenArmsNothingUntilAsked()
{
    QFETCH(bool, connect);
    Store().setValue(QStringLiteral("KeepCommOpen"), true);
    AnnouncePort(QStringLiteral("beta"), emulatorPort);

    window = ShowWindow();
    QVERIFY(Item(*window, "KeepConnectionOpen")->isChecked());
    int exchanges = 0;
    QObject::connect(&window->Worker(), &TDeviceWorker::KeepAliveDone, window.get(),
                     [&exchanges] { ++exchanges; });
    window->Worker().SetKeepAlivePeriod(20);
    QTest::qWait(200);  // the showing, and several periods: nothing is there to keep alive
    QCOMPARE(exchanges, 0);

    if (connect) {
        Connect(*window, QStringLiteral("beta"));
        QVERIFY(modal->messages.isEmpty());
        QTRY_VERIFY(exchanges > 0);
    } else {
        Item(*window, "KeepConnectionOpen")->trigger();
        Item(*window, "KeepConnectionOpen")->trigger();
        QTest::qWait(200);
        QCOMPARE(exchanges, 0);
    }
}
