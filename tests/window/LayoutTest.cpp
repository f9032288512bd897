// The form at its fixed size of 465 x 385: every control of the three pages inside its
// group, no two overlapping, each caption and shown value wide enough for its text. The
// pages are also grabbed as pictures (into the build folder, or TIDEWELL_SCREENSHOTS) for
// a person to look at.

#include <algorithm>
#include <cstring>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "device/DEVICE_DATA.h"
#include "support/ScriptedModal.h"
#include "support/WindowTesting.h"

using namespace WindowTesting;

namespace {

// Whether `w` is shown on the page, and so should fit.
bool Shown(const QWidget* w, const QWidget* page)
{
    for (const QWidget* p = w; p && p != page; p = p->parentWidget())
        if (p->isHidden())
            return false;
    return true;
}

QString NameOf(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                     : w->objectName();
}

bool PartOfAControl(const QWidget* w, const QWidget* page)
{
    for (const QWidget* p = w->parentWidget(); p && p != page; p = p->parentWidget())
        if (p->inherits("TBMSpinEdit") || p->inherits("QComboBox") ||
            p->inherits("QAbstractSpinBox"))
            return true;
    return false;
}

// What a widget needs to show its whole text, or an empty size when it has no text.
int TextWidthNeeded(const QWidget* w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (auto* box = qobject_cast<const QGroupBox*>(w)) {
        if (box->title().isEmpty())
            return 0;
        // Where the style puts the title: its right end must stay inside the box.
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                         QStyle::SC_GroupBoxLabel, box);
        return label.right() + 1;
    }
    if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w) ||
        qobject_cast<const QLabel*>(w))
        return w->sizeHint().width();
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
        if (w->inherits("TBMSpinEdit"))
            return 0;  // its buttons take the right end; checked by its own tests
        const QMargins m = edit->textMargins();
        return fm.horizontalAdvance(edit->text()) + m.left() + m.right() + 8;
    }
    return 0;
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowHasItsFixedSize();
    void tabsAllShowTheirCaptions();
    void middleColumnLinesUp_data();
    void middleColumnLinesUp();
    void page_data();
    void page();

private:
    std::unique_ptr<ScriptedModal> modal;
    std::unique_ptr<PseudoTerminal> port;
    QString link;
    std::unique_ptr<TForm1> w;
};

void LayoutTest::initTestCase()
{
    modal = std::make_unique<ScriptedModal>();
    port = std::make_unique<PseudoTerminal>();
    QDir().mkpath(AnnouncementFolder());
    link = AnnouncementFolder() + QStringLiteral("/emulator");
    QVERIFY(QFile::link(port->path(), link));

    // Wide values everywhere: the largest each control is likely to show.
    DEVICE_DATA r{};
    r.maxDepth = 65535;
    r.diveTime = 999 * 60 + 59;
    r.totalDives = 65535;
    r.modelCode = 0x0B;
    r.firmwareVersion = 255;
    DeviceData::SetSerialNumber(r, 99999999);
    std::memcpy(r.personalText, "WWWWWWWWWWWWWWWWWWWWWWWWWWWW", 28);
    r.sampleRate = 60;
    r.personalAltitude = 0x0A;
    r.freeDiveMaxDepth = 65535;
    r.freeDiveTime = 127 * 60 + 59;
    r.clock12Hour = 1;
    r.units = 1;
    r.diveMode = 2;
    r.light = 0x80 | 60;
    r.alarmFlags = 3;
    r.timeAlarm = 65535;
    r.depthAlarm = 65535;
    CurrentSettings = r;

    w = std::make_unique<TForm1>(QString{});
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->DisplaySettings();
    w->UpdateUi(UiFileOpened);  // every setting group enabled
    Find<QWidget>(w.get(), "ByteControlBox")->setVisible(true);
}

void LayoutTest::cleanupTestCase()
{
    w.reset();
    QFile::remove(link);
    port.reset();
    modal.reset();
}

void LayoutTest::windowHasItsFixedSize()
{
    QCOMPARE(w->size(), QSize(465, 385));
    QCOMPARE(w->minimumSize(), QSize(465, 385));
    QCOMPARE(w->maximumSize(), QSize(465, 385));
    // The status bar with the progress bar and the status pane fits below the pages.
    auto* status = w->statusBar();
    QVERIFY(status->geometry().bottom() <= w->height());
    auto* pages = Find<QTabWidget>(w.get(), "PageControl1");
    QVERIFY(pages->geometry().bottom() < status->geometry().top() + 1);
    for (QToolButton* b : Find<QWidget>(w.get(), "ToolBarPanel")->findChildren<QToolButton*>()) {
        // The caption under the glyph, both inside the button.
        const QFontMetrics fm = b->fontMetrics();
        const int wide = std::max(fm.horizontalAdvance(b->text()), b->iconSize().width());
        const int high = b->iconSize().height() + fm.height();
        QVERIFY2(wide <= b->width() && high <= b->height(),
                 qPrintable(QStringLiteral("%1 needs %2x%3, has %4x%5")
                                .arg(b->objectName())
                                .arg(wide)
                                .arg(high)
                                .arg(b->width())
                                .arg(b->height())));
        QVERIFY(b->geometry().right() < w->width());
    }
}

void LayoutTest::tabsAllShowTheirCaptions()
{
    auto* pages = Find<QTabWidget>(w.get(), "PageControl1");
    QTabBar* bar = pages->tabBar();
    for (int i = 0; i < bar->count(); ++i)
        QVERIFY2(bar->tabRect(i).width() >= bar->fontMetrics().horizontalAdvance(bar->tabText(i)),
                 qPrintable(bar->tabText(i)));
    // All three side by side, without scroll buttons.
    QVERIFY2(
        bar->sizeHint().width() <= pages->width(),
        qPrintable(
            QStringLiteral("tabs need %1 of %2").arg(bar->sizeHint().width()).arg(pages->width())));
    QVERIFY(bar->tabRect(bar->count() - 1).right() < bar->width());
}

void LayoutTest::middleColumnLinesUp_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Total Dives") << "TotalDivesBox";
    QTest::newRow("Max Depth") << "MAXDepth";
    QTest::newRow("Personal Settings") << "PersonalSetting";
}

void LayoutTest::middleColumnLinesUp()
{
    // The groups under " Dive Time " share its left and right edges on the page.
    QFETCH(QString, name);
    auto* page = Find<QWidget>(w.get(), "StandardPage");
    auto* top = Find<QGroupBox>(w.get(), "TotalTimeBox");
    auto* box = Find<QGroupBox>(w.get(), name);
    const QRect column(top->mapTo(page, QPoint(0, 0)), top->size());
    const QRect own(box->mapTo(page, QPoint(0, 0)), box->size());
    QCOMPARE(own.left(), column.left());
    QCOMPARE(own.right(), column.right());
    QVERIFY(own.top() > column.bottom());
}

void LayoutTest::page_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Standard Controls") << "StandardPage";
    QTest::newRow("Extended Controls") << "ExtendedPage";
    QTest::newRow("Comm Port and Byte Control") << "CommPage";
}

void LayoutTest::page()
{
    QFETCH(QString, name);
    auto* pages = Find<QTabWidget>(w.get(), "PageControl1");
    auto* page = Find<QWidget>(w.get(), name);
    pages->setCurrentWidget(page);
    QCoreApplication::processEvents();

    const QString folder = qEnvironmentVariableIsSet("TIDEWELL_SCREENSHOTS")
                               ? qEnvironmentVariable("TIDEWELL_SCREENSHOTS")
                               : QStringLiteral(SCREENSHOT_DIR);
    QDir().mkpath(folder);
    QVERIFY(w->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));

    QStringList faults;
    for (QWidget* c : page->findChildren<QWidget*>()) {
        if (c->window() != w.get() || !Shown(c, page) || !c->parentWidget())
            continue;
        if (PartOfAControl(c, page))
            continue;  // the parts of a spin edit or combo box are their own business
        // Inside its parent.
        const QRect inside = c->parentWidget()->rect();
        if (!inside.contains(c->geometry()))
            faults
                << QStringLiteral("%1 reaches out of %2").arg(NameOf(c), NameOf(c->parentWidget()));
        // Its text fits.
        const int needed = TextWidthNeeded(c);
        if (needed > c->width())
            faults << QStringLiteral("%1 needs %2 px, has %3")
                          .arg(NameOf(c))
                          .arg(needed)
                          .arg(c->width());
        if (c->sizeHint().isValid() &&
            (qobject_cast<QAbstractButton*>(c) || qobject_cast<QLabel*>(c)) &&
            c->sizeHint().height() > c->height() + 2)
            faults << QStringLiteral("%1 needs %2 px high, has %3")
                          .arg(NameOf(c))
                          .arg(c->sizeHint().height())
                          .arg(c->height());
        // No sibling overlaps it.
        for (QWidget* s :
             c->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (s != c && s < c && Shown(s, page) && s->window() == w.get() &&
                s->geometry().intersects(c->geometry()))
                faults << QStringLiteral("%1 overlaps %2").arg(NameOf(c), NameOf(s));
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

TIDEWELL_WINDOW_TEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
