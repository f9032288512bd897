// The raw command panel: the byte the person chose goes out as a three-byte request with
// its checksum, and every way of failing ends in the same status and error box.
#include <QSpinBox>
#include <QtTest>

#include "ConnectedWindow.h"
#include "FormDriver.h"
#include "IsolatedMain.h"

class CommandTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void sendsChosenByte_data();
    void sendsChosenByte();
    void sendFails_data();
    void sendFails();
};

void CommandTest::sendsChosenByte_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<fake::Bytes>("line");
    QTest::newRow("0xA5") << QStringLiteral("a5") << fake::Bytes{0xA5, 0x00, 0x00, 0xA5};
    QTest::newRow("0x00") << QStringLiteral("0") << fake::Bytes{0x00, 0x00, 0x00, 0x00};
    QTest::newRow("0xFF") << QStringLiteral("ff") << fake::Bytes{0xFF, 0x00, 0x00, 0xFF};
}

void CommandTest::sendsChosenByte()
{
    QFETCH(QString, typed);
    QFETCH(fake::Bytes, line);
    ConnectedWindow w;
    QSpinBox* command = w.driver.Find<QSpinBox>("CommandEdit");
    command->selectAll();
    QTest::keyClicks(command, typed);
    QCOMPARE(command->value(), int(line[0]));

    QTest::mouseClick(w.driver.Find<QAbstractButton>("CommandSendButton"), Qt::LeftButton);
    QVERIFY(w.driver.WaitIdle());

    const std::vector<SentFrame> frames = w.device->Frames();
    QCOMPARE(frames.size(), std::size_t{1});
    QCOMPARE(frames[0].bytes, line);
    QVERIFY(!frames[0].fromMainThread);  // the worker's, never the window's thread
    QCOMPARE(w.driver.StatusHistory().mid(w.driver.StatusHistory().size() - 2),
             QStringList({QStringLiteral("Sending Command"), QStringLiteral("Command Sent")}));
    QVERIFY(w.modal.messages.isEmpty());
    QVERIFY(!w.form->IsBusy());
}

void CommandTest::sendFails_data()
{
    QTest::addColumn<bool>("connected");
    QTest::newRow("before any Connect") << false;
    QTest::newRow("the line refuses the bytes") << true;
}

void CommandTest::sendFails()
{
    QFETCH(bool, connected);
    ConnectedWindow w(connected ? ConnectedWindow::Attach::Yes : ConnectedWindow::Attach::No);
    if (connected)
        w.device->Port().FailOn(fake::Op::WriteFile);

    QTest::mouseClick(w.driver.Find<QAbstractButton>("CommandSendButton"), Qt::LeftButton);
    QVERIFY(w.driver.WaitIdle());

    // A line that takes no bytes at all is not a connection: the window says so last.
    QVERIFY(w.driver.StatusHistory().contains(QStringLiteral("Error Sending Command")));
    QCOMPARE(w.form->IsConnected(), false);
    if (connected)
        QVERIFY(
            w.driver.Status().startsWith(QStringLiteral("The dive computer stopped answering")));
    else
        QCOMPARE(w.driver.Status(), QStringLiteral("Error Sending Command"));
    QCOMPARE(w.modal.messages.size(), 1);
    QCOMPARE(w.modal.messages[0].text, QStringLiteral("Error Sending Command"));
    QCOMPARE(w.modal.messages[0].caption, QStringLiteral("Tidewell"));
    QVERIFY(!w.form->IsBusy());
}

TIDEWELL_ISOLATED_MAIN(CommandTest)
#include "CommandTest.moc"
