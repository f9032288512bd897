// The window worked with the keyboard alone: each command's key reaches its menu item, the
// page keys work from the tool bar, and a diver connects, loads, edits, stores, saves, opens
// and undoes against the emulator with key events only.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "ConnectedWindow.h"
#include "FormDriver.h"
#include "IsolatedMain.h"
#include "ScriptedModal.h"
#include "window/Main.h"

namespace {

void Press(const QKeySequence& keys)
{
    // Without a focus widget the keys go to the window, as the system delivers them.
    QWidget* focus = QApplication::focusWidget();
    QTest::keySequence(focus ? focus : QApplication::activeWindow(), keys);
}

// Presses Tab (or Shift+Tab) until `wanted` has the focus; fails when `avoid` gets it on
// the way or when a round of the whole window does not reach it.
void TabTo(QWidget* wanted, QWidget* avoid = nullptr, bool backwards = false)
{
    for (int presses = 0; presses < 80; ++presses) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == wanted || (focus && wanted->isAncestorOf(focus)))
            return;
        QVERIFY(!avoid || focus != avoid);
        QTest::keyClick(focus ? focus : QApplication::activeWindow(),
                        backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
    }
    QFAIL(qPrintable(QStringLiteral("Tab never reached ") + wanted->objectName()));
}

bool InSomeMenu(const QMainWindow& window, const QAction* item)
{
    for (const QAction* top : window.menuBar()->actions())
        if (top->menu() && top->menu()->actions().contains(const_cast<QAction*>(item)))
            return true;
    return false;
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ForgetEarlierTests(); }
    void commandKeys_data();
    void commandKeys();
    void pageKeysFromTheToolBar_data();
    void pageKeysFromTheToolBar();
    void roundTripWithKeysOnly();
};

void KeyboardTest::commandKeys_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("Connect") << "Connect1" << QKeySequence(Qt::CTRL | Qt::Key_K);
    QTest::newRow("Load") << "Load" << QKeySequence(Qt::CTRL | Qt::Key_L);
    QTest::newRow("Store") << "Store" << QKeySequence(Qt::CTRL | Qt::Key_T);
    QTest::newRow("Open") << "Open" << QKeySequence(QKeySequence::Open);
    QTest::newRow("Save") << "Save" << QKeySequence(QKeySequence::Save);
    QTest::newRow("Undo") << "Undo1" << QKeySequence(QKeySequence::Undo);
    QTest::newRow("Exit") << "Exit1" << QKeySequence(Qt::CTRL | Qt::Key_Q);
    QTest::newRow("Show Help") << "ShowHelp1" << QKeySequence(QKeySequence::HelpContents);
}

void KeyboardTest::commandKeys()
{
    QFETCH(QString, item);
    QFETCH(QKeySequence, keys);

    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* action = form.findChild<QAction*>(item);
    QVERIFY(action);
    QVERIFY(!keys.isEmpty());
    QCOMPARE(action->shortcut(), keys);
    // Shown beside the item in a menu, and heard there by a screen reader.
    QVERIFY(InSomeMenu(form, action));

    // Only whether the key reaches the item: what the command does is the other tests'.
    QObject::disconnect(action, &QAction::triggered, &form, nullptr);
    action->setEnabled(true);
    QSignalSpy triggered(action, &QAction::triggered);
    driver.Button("ConnectButton")->setFocus();
    Press(keys);
    QCOMPARE(triggered.size(), 1);
}

void KeyboardTest::pageKeysFromTheToolBar_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("to");
    const QKeySequence next(Qt::CTRL | Qt::Key_Tab);
    const QKeySequence previous(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab);
    QTest::newRow("next") << 0 << next << 1;
    QTest::newRow("next, round the end") << 2 << next << 0;
    QTest::newRow("previous") << 1 << previous << 0;
    QTest::newRow("previous, round the start") << 0 << previous << 2;
}

void KeyboardTest::pageKeysFromTheToolBar()
{
    QFETCH(int, from);
    QFETCH(QKeySequence, keys);
    QFETCH(int, to);

    ScriptedModal modal;
    TForm1 form;
    FormDriver driver(form);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* pages = driver.Find<QTabWidget>("PageControl1");
    pages->setCurrentIndex(from);
    driver.Button("LoadButton")->setFocus();
    Press(keys);
    QCOMPARE(pages->currentIndex(), to);
}

void KeyboardTest::roundTripWithKeysOnly()
{
    ConnectedWindow w(QStringLiteral("keys"));
    QVERIFY(w.emulator->IsReady());
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("keys.kvx"));
    w.modal.saveAnswers = {file};
    w.modal.openAnswers = {file};
    w.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    QAction* load = w.driver.Item("Load");
    QAction* store = w.driver.Item("Store");
    QAction* save = w.driver.Item("Save");
    QAction* undo = w.driver.Item("Undo1");

    // The port typed into the port box, and Connect from there.
    TabTo(w.driver.Find<QComboBox>("ComSelect"));
    Press(QKeySequence::SelectAll);
    QTest::keyClicks(QApplication::focusWidget(), w.emulator->PortText());
    Press(QKeySequence(Qt::CTRL | Qt::Key_K));
    QTRY_VERIFY_WITH_TIMEOUT(load->isEnabled(), 60000);
    QVERIFY(!save->isEnabled());

    Press(QKeySequence(Qt::CTRL | Qt::Key_L));
    QTRY_VERIFY_WITH_TIMEOUT(save->isEnabled() && !w.form->IsBusy(), 60000);
    QCOMPARE(w.driver.Find<QLineEdit>("TotalDivesEdit")->text(), QStringLiteral("312"));

    // To the Extended page, and into the Units group on its checked item, Metric.
    auto* pages = w.driver.Find<QTabWidget>("PageControl1");
    while (pages->currentWidget()->objectName() != QLatin1String("ExtendedPage"))
        Press(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    auto* imperial = w.driver.Find<QRadioButton>("UnitsItem0");
    auto* metric = w.driver.Find<QRadioButton>("UnitsItem1");
    QVERIFY(metric->isChecked());
    TabTo(metric, imperial);
    QTest::keyClick(metric, Qt::Key_Up);
    QVERIFY(imperial->isChecked());
    QCOMPARE(QApplication::focusWidget(), imperial);
    QVERIFY(store->isEnabled() && undo->isEnabled());

    Press(QKeySequence(Qt::CTRL | Qt::Key_T));
    QTRY_VERIFY_WITH_TIMEOUT(!store->isEnabled() && load->isEnabled(), 60000);
    QCOMPARE(int(w.emulator->Image()[0x62]), 0);  // Imperial on the dive computer

    Press(QKeySequence::Save);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(file).isFile(), 60000);
    QVERIFY(!save->isEnabled());

    // A change taken back with Undo.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QVERIFY(metric->isChecked());
    QVERIFY(undo->isEnabled());
    Press(QKeySequence::Undo);
    QVERIFY(imperial->isChecked());
    QVERIFY(!undo->isEnabled());

    // A change replaced by the saved file: the focus stayed on Metric, which Space checks.
    QCOMPARE(QApplication::focusWidget(), metric);
    QTest::keyClick(metric, Qt::Key_Space);
    QVERIFY(metric->isChecked());
    w.modal.answers.push_back(QMessageBox::Discard);  // asked before the change is dropped
    Press(QKeySequence::Open);
    QTRY_VERIFY_WITH_TIMEOUT(imperial->isChecked(), 60000);
    QCOMPARE(w.modal.messages.size(), 1);
    QVERIFY(w.modal.openAnswers.empty() && w.modal.saveAnswers.empty());
}

TIDEWELL_ISOLATED_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
