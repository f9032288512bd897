// Connect when the port cannot serve: the error box, the status and the commands that
// stay off, and a window that connects once the port is free again.
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QtTest>

#include "ConnectedWindow.h"
#include "FormDriver.h"
#include "IsolatedMain.h"
#include "ScriptedModal.h"
#include "platform/PortHint.h"
#include "window/Externals.h"
#include "window/Main.h"

class ConnectFailureTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void portGoneAsConnectStarts();
    void noPortChosen();
    void typedPortThatDoesNotExist_data();
    void typedPortThatDoesNotExist();
    void portHeldByAnotherProgram();
    void noDiveComputerAnswers();

private:
    // Connect failed: one error box with `text`, and the window as if never connected.
    static void VerifyNotConnected(const FormDriver& driver, const ScriptedModal& modal,
                                   const QString& text);
};

void ConnectFailureTest::VerifyNotConnected(const FormDriver& driver, const ScriptedModal& modal,
                                            const QString& text)
{
    QCOMPARE(modal.messages.size(), 1);
    QCOMPARE(modal.messages[0].caption, QStringLiteral("Error"));
    QCOMPARE(modal.messages[0].text, text);
    QCOMPARE(driver.Status(), QStringLiteral("Device Not Open"));
    QVERIFY(!driver.Button("LoadButton")->isEnabled());
    QVERIFY(!driver.Button("StoreButton")->isEnabled());
    QVERIFY(driver.Button("ConnectButton")->isEnabled());
    QCOMPARE(driver.Glyph("ConnectButton"), int(TForm1::GlyphNotConnected));
}

void ConnectFailureTest::portGoneAsConnectStarts()
{
    // A port that is listed but gone when it is opened: the cable is pulled just as
    // Connect reads the port list.
    const QDir runtime(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    QVERIFY(runtime.mkpath(QStringLiteral("tidewell/ports")));
    const QString device = runtime.filePath(QStringLiteral("ttyGONE"));
    const QString link = runtime.filePath(QStringLiteral("tidewell/ports/gone"));
    QFile(device).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(device, link));

    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    driver.TypePort(QStringLiteral("gone : Type1 emulator"));
    QComboBox* box = driver.Find<QComboBox>("ComSelect");
    const auto pull = connect(box, &QComboBox::currentIndexChanged, this, [&] {
        disconnect(box, nullptr, this, nullptr);
        QFile::remove(device);
    });
    driver.Click("ConnectButton");
    disconnect(pull);
    QFile::remove(link);

    VerifyNotConnected(driver, modal,
                       QStringLiteral("Comm Port Not Found\n%1 does not exist: check that the "
                                      "interface cable is plugged in.")
                           .arg(device));
    QVERIFY(!form.IsConnected());
}

void ConnectFailureTest::noPortChosen()
{
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    if (!form.PortNames().isEmpty())
        QSKIP("this machine has serial ports of its own");

    driver.Click("ConnectButton");

    VerifyNotConnected(driver, modal,
                       QStringLiteral("No port is chosen. Choose the port of the interface "
                                      "cable on the page \"Comm Port and Byte Control\"."));
    QVERIFY(!form.IsConnected());
}

void ConnectFailureTest::typedPortThatDoesNotExist_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("path");
    QTest::newRow("a port name") << QStringLiteral("ttyUSB97") << QStringLiteral("/dev/ttyUSB97");
    QTest::newRow("a device path")
        << QStringLiteral("/dev/ttyUSB97") << QStringLiteral("/dev/ttyUSB97");
}

void ConnectFailureTest::typedPortThatDoesNotExist()
{
    QFETCH(QString, typed);
    QFETCH(QString, path);
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    const CStdStr lastPort = LastPort;
    driver.TypePort(typed);

    driver.Click("ConnectButton");

    // The port's own error, and what to do about it.
    QString hint = PortHint::WhyNotOpened(path.toStdWString(), ENOENT);
    VerifyNotConnected(driver, modal, QStringLiteral("Comm Port Not Found\n") + hint);
    QVERIFY(hint.startsWith(path + QStringLiteral(" does not exist")));
    QVERIFY(LastPort == lastPort);
}

void ConnectFailureTest::portHeldByAnotherProgram()
{
    ConnectedWindow w(QStringLiteral("held"));
    QVERIFY(w.emulator->IsReady());
    // The other program holds the port the way this one does.
    const int other = ::open(QFile::encodeName(w.emulator->Terminal()).constData(),
                             O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(other >= 0);
    QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);

    w.Connect();
    // One message that says it is busy, and who holds it: here this test itself.
    QFile comm(QStringLiteral("/proc/self/comm"));
    QVERIFY(comm.open(QIODevice::ReadOnly));
    VerifyNotConnected(
        w.driver, w.modal,
        QStringLiteral("%1 is in use by %2 (process %3): close the port there, "
                       "then try again.")
            .arg(w.emulator->Terminal(), QString::fromLocal8Bit(comm.readAll()).trimmed())
            .arg(QCoreApplication::applicationPid()));

    // Once the other program lets go, the same Connect finds the dive computer.
    ::close(other);
    w.modal.messages.clear();
    w.driver.Click("ConnectButton");
    QVERIFY(w.modal.messages.isEmpty());
    QCOMPARE(w.driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    QVERIFY(w.driver.Button("LoadButton")->isEnabled());
    QCOMPARE(w.driver.Glyph("ConnectButton"), int(TForm1::GlyphConnected));
}

void ConnectFailureTest::noDiveComputerAnswers()
{
    // The port opens, but none of the four detection probes gets a sound answer: nothing
    // about the port itself is to blame, least of all this program's own hold on it.
    ConnectedWindow w(QStringLiteral("garbled"),
                      {QStringLiteral("--bad-checksum=1"), QStringLiteral("--bad-checksum=2"),
                       QStringLiteral("--bad-checksum=3"), QStringLiteral("--bad-checksum=4")});
    QVERIFY(w.emulator->IsReady());

    w.Connect();

    VerifyNotConnected(w.driver, w.modal, QStringLiteral("Device Type1 Not Found"));
    QVERIFY(w.driver.StatusHistory().contains(QStringLiteral("Comm Open Failure!")));
}

TIDEWELL_ISOLATED_MAIN(ConnectFailureTest)
#include "ConnectFailureTest.moc"
