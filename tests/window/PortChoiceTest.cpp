// Connect on the port a person chose, against the emulator on a real pseudo-terminal that
// comes up while the window is open: its announced entry picked from the list as it
// drops down, or the path of its terminal typed into the port box.
#include <QAbstractItemView>
#include <QComboBox>
#include <QtTest>

#include "FormDriver.h"
#include "IsolatedMain.h"
#include "RunningEmulator.h"
#include "ScriptedModal.h"
#include "window/Externals.h"
#include "window/Main.h"

class PortChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void connects_data();
    void connects();
};

enum class Choice { Picked, PathTyped, NameTyped };
Q_DECLARE_METATYPE(Choice)

void PortChoiceTest::connects_data()
{
    QTest::addColumn<Choice>("choice");
    QTest::newRow("announced entry picked from the list") << Choice::Picked;
    QTest::newRow("terminal's path typed") << Choice::PathTyped;
    QTest::newRow("port name typed in other letters") << Choice::NameTyped;
}

void PortChoiceTest::connects()
{
    QFETCH(Choice, choice);
    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("RefreshOnConnect", false);
    RunningEmulator emulator(QStringLiteral("chosen"));
    QVERIFY(emulator.IsReady());

    QComboBox* box = driver.Find<QComboBox>("ComSelect");
    if (choice == Choice::PathTyped) {
        driver.TypePort(emulator.Terminal());
    } else if (choice == Choice::NameTyped) {
        driver.TypePort(QStringLiteral("CHOSEN"));
    } else {
        QTest::keyClick(box, Qt::Key_F4);  // the list is read anew as it drops down
        const int entry = box->findText(emulator.PortText());
        QVERIFY2(entry >= 0, qPrintable(emulator.PortText()));
        box->view()->setCurrentIndex(box->model()->index(entry, 0));
        QTest::keyClick(box->view(), Qt::Key_Return);
        QCOMPARE(box->currentText(), emulator.PortText());
    }
    driver.Click("ConnectButton");

    QVERIFY(modal.messages.isEmpty());
    QCOMPARE(driver.Status(), QStringLiteral("Comm Opened Successfully!"));
    QCOMPARE(QString::fromStdWString(PortPath), emulator.Terminal());
    QVERIFY(form.IsConnected());
    QVERIFY(driver.Button("LoadButton")->isEnabled());
    QCOMPARE(driver.Glyph("ConnectButton"), int(TForm1::GlyphConnected));
    // What connected is offered again at the next start: the entry's name, or the path.
    QCOMPARE(QString::fromStdWString(LastPort),
             choice == Choice::PathTyped ? emulator.Terminal() : QStringLiteral("chosen"));
}

TIDEWELL_ISOLATED_MAIN(PortChoiceTest)
#include "PortChoiceTest.moc"
