// What a screen reader finds in the window and its dialogs: every control a person can reach
// or work has a name of its own on its page, number edits tell their value and range, Connect
// tells whether it is connected, and a failure in the status pane is raised as an alert.
#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>

#include "controls/NumberEdit.h"
#include "platform/AboutForm.h"
#include "support/ScriptedModal.h"
#include "support/WindowTesting.h"
#include "window/HelpForm.h"
#include "window/Personaldataeditform.h"
#include "window/State.h"
#include "window/StatusAnnouncer.h"

using namespace WindowTesting;

namespace {

struct Reached {
    QString name;
    QString what;  // the object's name, for the message
    // A tab list is named by its current tab, which is reached beside it.
    bool namedByItsItem;
};

bool Reachable(QAccessibleInterface* node)
{
    const QAccessible::State state = node->state();
    if (state.invisible || state.offscreen)
        return false;
    const QAccessibleActionInterface* actions = node->actionInterface();
    return state.focusable || (actions && !actions->actionNames().isEmpty());
}

// Every visible control under `node` that takes the focus or has an action.
void Walk(QAccessibleInterface* node, QList<Reached>& reached)
{
    if (!node || node->state().invisible)
        return;
    if (Reachable(node)) {
        const QObject* object = node->object();
        reached.append({node->text(QAccessible::Name).trimmed(),
                        object ? object->objectName() + QLatin1Char(' ') +
                                     QLatin1String(object->metaObject()->className())
                               : QStringLiteral("a child (role %1) of %2, role %3")
                                     .arg(node->role())
                                     .arg(node->parent()->text(QAccessible::Name))
                                     .arg(node->parent()->role()),
                        node->role() == QAccessible::PageTabList});
    }
    for (int i = 0; i < node->childCount(); ++i)
        Walk(node->child(i), reached);
}

void CheckNames(QWidget* window)
{
    QList<Reached> reached;
    Walk(QAccessible::queryAccessibleInterface(window), reached);
    QVERIFY(!reached.isEmpty());
    QSet<QString> seen;
    for (const Reached& control : reached) {
        QVERIFY2(!control.name.isEmpty(), qPrintable(control.what + " has no name"));
        if (control.namedByItsItem)
            continue;
        QVERIFY2(!seen.contains(control.name),
                 qPrintable(control.what + " shares its name: " + control.name));
        seen.insert(control.name);
    }
}

QList<QAccessible::Event> heard;
void Hear(QAccessibleEvent* event)
{
    QCOMPARE(event->object()->objectName(), QStringLiteral("StatusBar1"));
    heard << event->type();
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void namesOnEachPage_data();
    void namesOnEachPage();
    void namesInEachDialog_data();
    void namesInEachDialog();
    void numberEditsTellValueAndRange();
    void connectTellsItsState();
    void failuresAreAlerted_data();
    void failuresAreAlerted();

private:
    std::unique_ptr<ScriptedModal> modal;
    std::unique_ptr<TForm1> w;
};

void AccessibilityTest::init()
{
    CurrentSettings = DEVICE_DATA{};
    modal = std::make_unique<ScriptedModal>();
    w = std::make_unique<TForm1>(QString{});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    // Everything a session can make reachable: the settings and the byte controls.
    w->EnableSettingGroups(true);
    Find<QAction>(w.get(), "EnableByteControls1")->setEnabled(true);
    Find<QAction>(w.get(), "EnableByteControls1")->trigger();
}

void AccessibilityTest::cleanup()
{
    w.reset();
    modal.reset();
}

void AccessibilityTest::namesOnEachPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("Standard Controls") << "StandardPage";
    QTest::newRow("Extended Controls") << "ExtendedPage";
    QTest::newRow("Comm Port and Byte Control") << "CommPage";
}

void AccessibilityTest::namesOnEachPage()
{
    QFETCH(QString, page);
    Find<QTabWidget>(w.get(), "PageControl1")->setCurrentWidget(Find<QWidget>(w.get(), page));
    CheckNames(w.get());
}

void AccessibilityTest::namesInEachDialog_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("Personal Info") << "personal";
    QTest::newRow("About") << "about";
    QTest::newRow("Help") << "help";
}

void AccessibilityTest::namesInEachDialog()
{
    QFETCH(QString, dialog);
    std::unique_ptr<QWidget> shown;
    if (dialog == QLatin1String("personal"))
        shown = std::make_unique<TPersonalEditForm>(w.get());
    else if (dialog == QLatin1String("about"))
        shown = std::make_unique<TAboutForm>(w->Version(), w.get());
    else
        shown = std::make_unique<THelpForm>(w.get());
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    CheckNames(shown.get());
}

void AccessibilityTest::numberEditsTellValueAndRange()
{
    const QList<TNumberEdit*> edits = w->findChildren<TNumberEdit*>();
    QVERIFY(edits.size() >= 12);
    for (TNumberEdit* edit : edits) {
        edit->setValue(7);
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(edit);
        QCOMPARE(node->text(QAccessible::Value), edit->text());
        const QString range = node->text(QAccessible::Description);
        QVERIFY2(!range.isEmpty(), qPrintable(edit->objectName()));
        if (edit->maxValue() > 0)
            QVERIFY2(range.contains(QString::number(edit->maxValue())),
                     qPrintable(edit->objectName() + ": " + range));
    }
    QAccessibleInterface* light =
        QAccessible::queryAccessibleInterface(Find<QWidget>(w.get(), "LiteTime"));
    QVERIFY(light->text(QAccessible::Description).contains(QStringLiteral("60")));
}

void AccessibilityTest::connectTellsItsState()
{
    QAccessibleInterface* connect =
        QAccessible::queryAccessibleInterface(Find<QToolButton>(w.get(), "ConnectButton"));
    const QString notConnected = connect->text(QAccessible::Name);
    w->UpdateUi(UiConnected);
    const QString connected = connect->text(QAccessible::Name);
    QVERIFY(connected.startsWith(QStringLiteral("Connect")));
    QVERIFY(connected != notConnected);
    w->UpdateUi(UiNotConnected);
    QCOMPARE(connect->text(QAccessible::Name), notConnected);
}

void AccessibilityTest::failuresAreAlerted_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("alert");
    QTest::newRow("read failure") << "Read Failure" << true;
    QTest::newRow("store failed") << "Store Failed at address 96" << true;
    QTest::newRow("no device") << "Device Not Open" << true;
    QTest::newRow("refused file") << "Incompatible File Type" << true;
    QTest::newRow("command") << "Error Sending Command" << true;
    QTest::newRow("searching") << "Searching for Device" << false;
    QTest::newRow("opened") << "Comm Opened Successfully!" << false;
    QTest::newRow("stored") << "Store Completed" << false;
    QTest::newRow("saved") << "The settings were saved to a.kvx." << false;
}

void AccessibilityTest::failuresAreAlerted()
{
    QFETCH(QString, status);
    QFETCH(bool, alert);
    heard.clear();
    // The offscreen platform has no accessibility bridge: the test listens in its place.
    QLabel* pane = Find<QLabel>(w.get(), "StatusBar1");
    AnnounceStatus(pane, status, Hear);
    QCOMPARE(heard.first(), QAccessible::NameChanged);
    QCOMPARE(heard.contains(QAccessible::Alert), alert);
}

TIDEWELL_WINDOW_TEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
