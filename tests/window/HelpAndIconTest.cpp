// Help shows the guide in a window of its own beside the main window, the guide's keys are
// the menus' own, and the main window and the About window carry the application icon.
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>

#include "support/ScriptedModal.h"
#include "support/WindowTesting.h"
#include "window/HelpForm.h"

using namespace WindowTesting;

namespace {

QString Guide()
{
    QFile guide(QStringLiteral(":/help/guide.md"));
    if (!guide.open(QIODevice::ReadOnly))
        qFatal("the guide is not in the program");
    return QString::fromUtf8(guide.readAll());
}

// The letter after the "&" of a caption, and the caption as shown.
QChar Accelerator(const QString& caption)
{
    const int at = caption.indexOf(QLatin1Char('&'));
    return at < 0 ? QChar() : caption.at(at + 1).toUpper();
}

QString Shown(QString caption)
{
    return caption.remove(QLatin1Char('&')).trimmed();
}

QMenu* MenuOf(const QMainWindow& window, QChar letter)
{
    for (QAction* top : window.menuBar()->actions())
        if (top->menu() && Accelerator(top->text()) == letter)
            return top->menu();
    return nullptr;
}

}  // namespace

class HelpAndIconTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheGuideBesideTheWindow_data();
    void showsTheGuideBesideTheWindow();
    void guideNamesTheMenusOwnKeys();
    void windowsCarryTheApplicationIcon();
};

void HelpAndIconTest::showsTheGuideBesideTheWindow_data()
{
    QTest::addColumn<bool>("button");
    QTest::newRow("Help button") << true;
    QTest::newRow("Show Help item") << false;
}

void HelpAndIconTest::showsTheGuideBesideTheWindow()
{
    QFETCH(bool, button);

    ScriptedModal modal;
    TForm1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto choose = [&] {
        if (button)
            QTest::mouseClick(Find<QToolButton>(&w, "HelpButton"), Qt::LeftButton);
        else
            Find<QAction>(&w, "ShowHelp1")->trigger();
    };
    choose();
    auto* help = Find<THelpForm>(&w, "HelpForm");
    QVERIFY(help->isVisible());
    QVERIFY(!help->isModal());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(modal.messages.isEmpty());

    // At the top of the guide, and within the screen.
    QScrollBar* scroll = help->Browser()->verticalScrollBar();
    QVERIFY(scroll->maximum() > 0);
    QCOMPARE(scroll->value(), scroll->minimum());
    QCOMPARE(help->Browser()->textCursor().position(), 0);
    const QRect room = help->screen()->availableGeometry();
    QVERIFY(help->frameGeometry().width() <= room.width());
    QVERIFY(help->frameGeometry().height() <= room.height());

    // The Markdown is shown as a document: headings and tables, no markup left.
    const QTextDocument* guide = help->Browser()->document();
    const QString text = guide->toPlainText();
    for (const char* topic : {"dialout", "/dev/ttyUSB0", "Sample Rate", "backups/<Model>-",
                              "Verify After Store", ".kvx", "Alt+F"})
        QVERIFY2(text.contains(QLatin1String(topic)), topic);
    QVERIFY(!text.contains(QStringLiteral("## ")));
    QVERIFY(!text.contains(QStringLiteral("|---|")));
    int headings = 0;
    for (QTextBlock block = guide->begin(); block.isValid(); block = block.next())
        headings += block.blockFormat().headingLevel() > 0;
    QVERIFY(headings >= 5);

    // Chosen again, the same guide comes to the front.
    help->hide();
    choose();
    QCOMPARE(w.findChildren<THelpForm*>().size(), 1);
    QVERIFY(help->isVisible());
}

void HelpAndIconTest::guideNamesTheMenusOwnKeys()
{
    const TForm1 w;
    // "| Alt+F | the File menu: L Load Computer, T Store Computer, ... |"
    const QRegularExpression row(QStringLiteral("^\\| Alt\\+(\\w) \\| the (\\w+) menu: (.+) \\|$"),
                                 QRegularExpression::MultilineOption);
    int menus = 0;
    for (auto match = row.globalMatch(Guide()); match.hasNext(); ++menus) {
        const QRegularExpressionMatch m = match.next();
        const QMenu* menu = MenuOf(w, m.captured(1).at(0));
        QVERIFY2(menu, qPrintable(m.captured(0)));
        QCOMPARE(Shown(menu->title()), m.captured(2));
        for (const QString& item : m.captured(3).split(QStringLiteral(", "))) {
            const QChar letter = item.at(0);
            const QString caption = item.mid(2);
            const auto actions = menu->actions();
            const bool found = std::any_of(actions.begin(), actions.end(), [&](QAction* a) {
                return Shown(a->text()) == caption && Accelerator(a->text()) == letter;
            });
            QVERIFY2(found, qPrintable(m.captured(2) + QStringLiteral(": ") + item));
        }
    }
    QCOMPARE(menus, 4);
}

void HelpAndIconTest::windowsCarryTheApplicationIcon()
{
    ScriptedModal modal;
    TForm1 w;
    QIcon about;
    modal.onExec = [&](QDialog& dialog) {
        about = dialog.windowIcon();
        dialog.accept();
    };
    Find<QAction>(&w, "About1")->trigger();
    for (const QIcon& icon : {w.windowIcon(), about}) {
        for (const int size : {16, 32, 48, 64}) {
            const QImage picture = icon.pixmap(size).toImage();
            QCOMPARE(picture.size(), QSize(size, size));
            // Drawn, not empty: the middle of the dial is opaque.
            QCOMPARE(qAlpha(picture.pixel(size / 2, size / 2)), 255);
        }
    }
}

TIDEWELL_WINDOW_TEST_MAIN(HelpAndIconTest)
#include "HelpAndIconTest.moc"
