// TBMSpinEdit under real mouse and key events, as the main window's own form carries its
// light time: 1 to 60, no decimals, read-only, vertical track bar. The form is the
// product's Main.ui without the window's code, so the test follows the form when it changes.

#include "controls/Bmpopupform.h"
#include "controls/Bmspinedit.h"
#include "ui_Main.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QMainWindow>
#include <QMenu>
#include <QSlider>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace {

// The main window's form on the page with the light time, its group and the next one in
// the tab order enabled, as the window enables them once it holds settings.
class MainForm : public QMainWindow {
public:
    MainForm()
    {
        ui.setupUi(this);
        ui.PageControl1->setCurrentWidget(ui.StandardPage);
        ui.LightTimer->setEnabled(true);
        ui.TotalTimeBox->setEnabled(true);
    }
    Ui::TForm1 ui;
};

enum class Step { ButtonUp, ButtonDown, KeyUp, KeyDown };

}  // namespace

Q_DECLARE_METATYPE(Step)

class BmSpinEditTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newControlShowsZero();
    void formCarriesLightTimeSettings();
    void screenReaderHearsAnAdjustableValue();
    void stepping_data();
    void stepping();
    void movedBoundTakesValueAlong_data();
    void movedBoundTakesValueAlong();
    void writtenText_data();
    void writtenText();
    void readText_data();
    void readText();
    void typedTextStaysWhileTyping();
    void setValueRaisesChangeTwiceWhenTextChanges();
    void leavingHoldsValueWithinBounds_data();
    void leavingHoldsValueWithinBounds();
    void trackBarOpensAtValue_data();
    void trackBarOpensAtValue();
    void trackBarFollowsPointer_data();
    void trackBarFollowsPointer();
    void gaugeStripSetsValue_data();
    void gaugeStripSetsValue();
    void gaugePainting_data();
    void gaugePainting();
    void textClearsButtons_data();
    void textClearsButtons();
    void cutAndPaste_data();
    void cutAndPaste();

private:
    QWidget* Part(const char* name) const { return edit->findChild<QWidget*>(QLatin1String(name)); }
    QAbstractButton* DropButton() const
    {
        return edit->findChild<QAbstractButton*>(QStringLiteral("DropButton"));
    }
    TBMPopupForm* Popup() const { return edit->findChild<TBMPopupForm*>(); }

    std::unique_ptr<MainForm> form;
    TBMSpinEdit* edit = nullptr;
    QWidget* next = nullptr;  // the control after it in the tab order
};

void BmSpinEditTest::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void BmSpinEditTest::init()
{
    form = std::make_unique<MainForm>();
    edit = form->ui.LiteTime;
    next = form->ui.TotalTimeHours;
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    next->setFocus();
}

void BmSpinEditTest::cleanup()
{
    form.reset();
}

void BmSpinEditTest::newControlShowsZero()
{
    TBMSpinEdit fresh;
    QCOMPARE(fresh.text(), QStringLiteral("0"));
    fresh.SetPrecision(3);
    QCOMPARE(fresh.text(), QStringLiteral("0.000"));
}

// The properties reach the control by name, as Designer's dynamic properties do.
void BmSpinEditTest::formCarriesLightTimeSettings()
{
    QCOMPARE(edit->text(), QStringLiteral("31"));
    QCOMPARE(edit->MinValue(), 1.0);
    QCOMPARE(edit->MaxValue(), 60.0);
    QCOMPARE(edit->Precision(), 0);
    QCOMPARE(edit->TrackBarOrientation(), Qt::Vertical);
    QCOMPARE(edit->TrackBarWidth(), 120);
    QVERIFY(!edit->EditorEnabled());
    QVERIFY(edit->isReadOnly());
}

void BmSpinEditTest::screenReaderHearsAnAdjustableValue()
{
    // Typing is refused, but the arrow keys change the value: not read-only to a screen
    // reader, which hears the value and its range and can set it.
    QAccessibleInterface* spin = QAccessible::queryAccessibleInterface(edit);
    QVERIFY(spin);
    QCOMPARE(spin->role(), QAccessible::SpinBox);
    QVERIFY(!spin->state().readOnly);
    QCOMPARE(spin->text(QAccessible::Value), QStringLiteral("31"));
    QAccessibleValueInterface* value = spin->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toDouble(), 31.0);
    QCOMPARE(value->minimumValue().toDouble(), 1.0);
    QCOMPARE(value->maximumValue().toDouble(), 60.0);
    QCOMPARE(value->minimumStepSize().toDouble(), edit->Increment());
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(value->currentValue().toDouble(), 32.0);
    value->setCurrentValue(75.0);  // held within the range
    QCOMPARE(edit->text(), QStringLiteral("60"));
}

void BmSpinEditTest::stepping_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<double>("bound");  // MinValue and MaxValue both set to it: no bounds
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("expected");

    QTest::newRow("at 60 Up leaves 60") << Step::ButtonUp << -1.0 << 60.0 << 60.0;
    QTest::newRow("at 59 Up gives 60") << Step::KeyUp << -1.0 << 59.0 << 60.0;
    QTest::newRow("at 2 Down gives 1") << Step::ButtonDown << -1.0 << 2.0 << 1.0;
    QTest::newRow("at 1 Down leaves 1") << Step::KeyDown << -1.0 << 1.0 << 1.0;
    QTest::newRow("beyond 60 Up comes back to 60") << Step::KeyUp << -1.0 << 75.0 << 60.0;
    QTest::newRow("no bounds Up") << Step::ButtonUp << 0.0 << 5.0 << 6.0;
    QTest::newRow("no bounds Down") << Step::KeyDown << 0.0 << -5.0 << -6.0;
}

void BmSpinEditTest::stepping()
{
    QFETCH(Step, step);
    QFETCH(double, bound);
    QFETCH(double, start);
    QFETCH(double, expected);

    if (bound >= 0) {
        edit->SetMinValue(bound);
        edit->SetMaxValue(bound);
    }
    edit->SetValue(start);

    switch (step) {
        case Step::ButtonUp:
            QTest::mouseClick(Part("UpButton"), Qt::LeftButton);
            break;
        case Step::ButtonDown:
            QTest::mouseClick(Part("DownButton"), Qt::LeftButton);
            break;
        case Step::KeyUp:
            QTest::keyClick(edit, Qt::Key_Up);
            break;
        case Step::KeyDown:
            QTest::keyClick(edit, Qt::Key_Down);
            break;
    }

    QCOMPARE(edit->GetValue(), expected);
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), edit->text());
}

void BmSpinEditTest::movedBoundTakesValueAlong_data()
{
    QTest::addColumn<QString>("bound");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("expected");

    QTest::newRow("MaxValue below the value") << "MaxValue" << 10.0 << 10.0;
    QTest::newRow("MinValue above the value") << "MinValue" << 40.0 << 40.0;
    QTest::newRow("MaxValue above the value") << "MaxValue" << 50.0 << 31.0;
    QTest::newRow("MinValue below the value") << "MinValue" << 20.0 << 31.0;
}

void BmSpinEditTest::movedBoundTakesValueAlong()
{
    QFETCH(QString, bound);
    QFETCH(double, to);
    QFETCH(double, expected);

    QVERIFY(edit->setProperty(bound.toLatin1(), to));
    QCOMPARE(edit->GetValue(), expected);
}

void BmSpinEditTest::writtenText_data()
{
    QTest::addColumn<int>("precision");
    QTest::addColumn<Qt::Alignment>("alignment");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    QTest::newRow("centred: six blanks") << 0 << centred << 31.0 << "31      ";
    QTest::newRow("right: six blanks") << 0 << right << 31.0 << "31      ";
    QTest::newRow("left: none") << 0 << left << 31.0 << "31";
    QTest::newRow("whole: halves away from zero") << 0 << left << 2.5 << "3";
    QTest::newRow("whole: negative halves too") << 0 << left << -2.5 << "-3";
    QTest::newRow("whole: no minus on zero") << 0 << left << -0.4 << "0";
    QTest::newRow("whole: beyond bounds as given") << 0 << left << 75.0 << "75";
    QTest::newRow("decimals: held within bounds") << 2 << left << 75.0 << "60.00";
    QTest::newRow("decimals: rounded") << 3 << left << 1.23456 << "1.235";
}

void BmSpinEditTest::writtenText()
{
    QFETCH(int, precision);
    QFETCH(Qt::Alignment, alignment);
    QFETCH(double, value);
    QFETCH(QString, text);

    edit->SetValue(10);  // away from every row's value, so that SetValue writes
    edit->setAlignment(alignment);
    edit->SetPrecision(precision);
    edit->SetValue(value);
    QCOMPARE(edit->text(), text);
}

void BmSpinEditTest::readText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("rewritten");

    QTest::newRow("empty reads as 0") << "" << 0.0 << "0";
    QTest::newRow("lone minus reads as 0") << "-" << 0.0 << "0";
    QTest::newRow("not a number reads as MinValue") << "abc" << 1.0 << "1";
    QTest::newRow("nan is not a number") << "nan" << 1.0 << "1";
    QTest::newRow("thousands separator is not a number") << "1,000" << 1.0 << "1";
    QTest::newRow("trailing blanks are fine") << "31      " << 31.0 << "31      ";
    QTest::newRow("decimals are fine") << "12.5" << 12.5 << "12.5";
}

void BmSpinEditTest::readText()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, rewritten);

    edit->setText(text);
    QCOMPARE(edit->GetValue(), value);
    QCOMPARE(edit->text(), rewritten);
}

// Only reading the value rewrites a blank text; repainting the strip must not.
void BmSpinEditTest::typedTextStaysWhileTyping()
{
    edit->setReadOnly(false);
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    Part("Gauge")->grab();
    QTest::keyClicks(edit, QStringLiteral("-5"));
    QCOMPARE(edit->text(), QStringLiteral("-5"));
}

void BmSpinEditTest::setValueRaisesChangeTwiceWhenTextChanges()
{
    QSignalSpy changes(edit, &TBMSpinEdit::OnChange);
    edit->SetValue(40);
    QCOMPARE(changes.count(), 2);
    edit->SetValue(40);
    QCOMPARE(changes.count(), 2);
    edit->SetValue(40.3);  // the same text "40": only the value's own signal
    QCOMPARE(changes.count(), 3);
}

void BmSpinEditTest::leavingHoldsValueWithinBounds_data()
{
    QTest::addColumn<double>("shown");
    QTest::addColumn<double>("held");

    QTest::newRow("above") << 75.0 << 60.0;
    QTest::newRow("below") << -3.0 << 1.0;
    QTest::newRow("within") << 31.0 << 31.0;
}

void BmSpinEditTest::leavingHoldsValueWithinBounds()
{
    QFETCH(double, shown);
    QFETCH(double, held);

    QSignalSpy enters(edit, &TBMSpinEdit::OnEnter);
    QSignalSpy exits(edit, &TBMSpinEdit::OnExit);
    edit->SetValue(shown);
    QTest::mouseClick(edit, Qt::LeftButton);
    QCOMPARE(edit->GetValue(), shown);
    QTest::keyClick(edit, Qt::Key_Tab);

    QVERIFY(next->hasFocus());
    QCOMPARE(edit->GetValue(), held);
    QCOMPARE(enters.count(), 1);
    QCOMPARE(exits.count(), 1);
}

void BmSpinEditTest::trackBarOpensAtValue_data()
{
    QTest::addColumn<Qt::Orientation>("orientation");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("position");

    QTest::newRow("vertical at MinValue") << Qt::Vertical << 1.0 << 1000;
    QTest::newRow("vertical at MaxValue") << Qt::Vertical << 60.0 << 0;
    QTest::newRow("vertical at 31") << Qt::Vertical << 31.0 << 1000 - 508;
    QTest::newRow("horizontal at MinValue") << Qt::Horizontal << 1.0 << 0;
    QTest::newRow("horizontal at MaxValue") << Qt::Horizontal << 60.0 << 1000;
}

void BmSpinEditTest::trackBarOpensAtValue()
{
    QFETCH(Qt::Orientation, orientation);
    QFETCH(double, value);
    QFETCH(int, position);

    edit->SetTrackBarOrientation(orientation);
    edit->SetValue(value);
    QAbstractButton* drop = DropButton();
    const QPoint press(4, 6);
    QTest::mousePress(drop, Qt::LeftButton, {}, press);

    TBMPopupForm* popup = Popup();
    QVERIFY(popup->isVisible());
    QVERIFY(drop->isDown());
    QCOMPARE(popup->TrackBar()->value(), position);
    const QSize size = orientation == Qt::Vertical ? QSize(35, 120) : QSize(120, 35);
    QCOMPARE(popup->size(), size);
    // The thumb's centre opens under the pointer, along the track.
    const QPoint anchor = drop->mapToGlobal(press);
    const QPoint thumb = popup->mapToGlobal(popup->ThumbRect().center());
    if (orientation == Qt::Vertical)
        QVERIFY(qAbs(thumb.y() - anchor.y()) <= 1);
    else
        QVERIFY(qAbs(thumb.x() - anchor.x()) <= 1);

    QTest::mouseRelease(drop, Qt::LeftButton, {}, press);
    QVERIFY(!popup->isVisible());
    QVERIFY(!drop->isDown());
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), edit->text());
}

void BmSpinEditTest::trackBarFollowsPointer_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<double>("expected");

    QTest::newRow("staying at the anchor keeps the value") << "anchor" << 31.0;
    QTest::newRow("thumb centre at the top") << "top" << 60.0;
    QTest::newRow("thumb centre at the bottom") << "bottom" << 1.0;
    QTest::newRow("far above the window") << "above" << 60.0;
    QTest::newRow("far below the window") << "below" << 1.0;
}

void BmSpinEditTest::trackBarFollowsPointer()
{
    QFETCH(QString, target);
    QFETCH(double, expected);

    QAbstractButton* drop = DropButton();
    const QPoint press(4, 6);
    QTest::mousePress(drop, Qt::LeftButton, {}, press);
    TBMPopupForm* popup = Popup();
    const int thumbHalf = popup->ThumbRect().height() / 2;
    const QRect channel(popup->mapToGlobal(popup->ChannelRect().topLeft()),
                        popup->ChannelRect().size());
    QPoint to = drop->mapToGlobal(press);
    if (target == QLatin1String("top"))
        to.setY(channel.top() + thumbHalf);
    else if (target == QLatin1String("bottom"))
        to.setY(channel.bottom() + 1 - thumbHalf);
    else if (target == QLatin1String("above"))
        to.setY(channel.top() - 200);
    else if (target == QLatin1String("below"))
        to.setY(channel.bottom() + 200);

    QTest::mouseMove(drop, drop->mapFromGlobal(to));
    QCOMPARE(edit->GetValue(), expected);
    QCOMPARE(popup->TrackBar()->value(), 1000 - int((expected - 1) * 1000 / 59));
    QTest::mouseRelease(drop, Qt::LeftButton, {}, drop->mapFromGlobal(to));
    QCOMPARE(edit->GetValue(), expected);
}

void BmSpinEditTest::gaugeStripSetsValue_data()
{
    // Positions in steps of the strip's track (its width - 2): 0 is its left edge.
    QTest::addColumn<double>("pressAt");
    QTest::addColumn<double>("releaseAt");
    QTest::addColumn<double>("snap");
    QTest::addColumn<double>("expected");

    QTest::newRow("left edge") << 0.0 << 0.0 << 0.0 << 1.0;
    QTest::newRow("right end") << 1.0 << 1.0 << 0.0 << 60.0;
    QTest::newRow("dragged to the right end") << 0.0 << 1.0 << 0.0 << 60.0;
    QTest::newRow("dragged past the right end") << 0.5 << 1.5 << 0.0 << 60.0;
    QTest::newRow("snapped to tens") << 0.0 << 0.3 << 10.0 << 20.0;
}

void BmSpinEditTest::gaugeStripSetsValue()
{
    QFETCH(double, pressAt);
    QFETCH(double, releaseAt);
    QFETCH(double, snap);
    QFETCH(double, expected);

    edit->SetIncrementGauge(snap);
    QWidget* gauge = Part("Gauge");
    const int track = gauge->width() - 2;
    const QPoint press(qRound(pressAt * track), 2);
    const QPoint release(qRound(releaseAt * track), 2);
    QTest::mousePress(gauge, Qt::LeftButton, {}, press);
    QVERIFY(edit->hasFocus());
    QVERIFY(!edit->hasSelectedText());
    QTest::mouseMove(gauge, release);
    QTest::mouseRelease(gauge, Qt::LeftButton, {}, release);

    QCOMPARE(edit->GetValue(), expected);
    QCOMPARE(edit->selectedText(), edit->text());
}

void BmSpinEditTest::gaugePainting_data()
{
    // On 0..100 with a strip 101 pixels wide (W = 100); bar columns [from, to).
    QTest::addColumn<double>("centre");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("centreLine");
    QTest::addColumn<QColor>("colour");

    // Colour factor 129 of 256 from blue to red.
    const QColor halfway(128, 0, 127);
    QTest::newRow("half range") << 0.0 << 50.0 << 0 << 51 << -1 << halfway;
    QTest::newRow("top of range in the end colour")
        << 0.0 << 100.0 << 0 << 100 << -1 << QColor(Qt::red);
    QTest::newRow("at the centre: only the line") << 50.0 << 50.0 << 0 << 0 << 51 << QColor();
    QTest::newRow("above the centre") << 50.0 << 75.0 << 51 << 76 << 51 << halfway;
    QTest::newRow("below the centre") << 50.0 << 25.0 << 26 << 51 << 51 << halfway;
}

void BmSpinEditTest::gaugePainting()
{
    QFETCH(double, centre);
    QFETCH(double, value);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, centreLine);
    QFETCH(QColor, colour);

    QWidget* gauge = Part("Gauge");
    edit->resize(edit->width() + 101 - gauge->width(), edit->height());
    QCOMPARE(gauge->width(), 101);
    edit->SetMaxValue(100);
    edit->SetMinValue(0);
    edit->SetGaugeBeginColor(Qt::blue);
    edit->SetGaugeEndColor(Qt::red);
    edit->SetGaugeAroundCenter(centre);
    edit->SetValue(value);

    const QImage image = gauge->grab().toImage();
    const int y = image.height() / 2;
    const QPalette& palette = gauge->palette();
    for (int x = 1; x < image.width() - 1; ++x) {
        const QColor expected = x == centreLine       ? palette.color(QPalette::Dark)
                                : from <= x && x < to ? colour
                                                      : palette.color(QPalette::Base);
        QVERIFY2(image.pixel(x, y) == expected.rgb(),
                 qPrintable(QStringLiteral("column %1").arg(x)));
    }
    QCOMPARE(image.pixel(0, y), palette.color(QPalette::Button).rgb());
}

void BmSpinEditTest::textClearsButtons_data()
{
    QTest::addColumn<bool>("trackBar");
    QTest::newRow("with drop button") << true;
    QTest::newRow("without drop button") << false;
}

void BmSpinEditTest::textClearsButtons()
{
    QFETCH(bool, trackBar);

    edit->SetTrackBarEnabled(trackBar);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setText(QStringLiteral("31"));
    edit->end(false);

    QCOMPARE(Part("DropButton")->isVisible(), trackBar);
    const QWidget* panel = Part("UpButton")->parentWidget()->parentWidget();
    const QRect cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QVERIFY(cursor.center().x() < panel->x());
}

void BmSpinEditTest::cutAndPaste_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("passes");

    QTest::newRow("editor enabled, writable") << true << false << true;
    QTest::newRow("editor disabled, writable") << false << false << false;
    QTest::newRow("editor enabled, read-only") << true << true << false;
    QTest::newRow("editor disabled, read-only") << false << true << false;
}

void BmSpinEditTest::cutAndPaste()
{
    QFETCH(bool, editorEnabled);
    QFETCH(bool, readOnly);
    QFETCH(bool, passes);

    edit->SetEditorEnabled(editorEnabled);
    edit->setReadOnly(readOnly);
    QClipboard* clipboard = QGuiApplication::clipboard();
    QTest::mouseClick(edit, Qt::LeftButton);

    clipboard->setText(QStringLiteral("42"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(edit->text(), passes ? QString() : QStringLiteral("31"));
    QCOMPARE(clipboard->text(), passes ? QStringLiteral("31") : QStringLiteral("42"));

    clipboard->setText(QStringLiteral("42"));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), passes ? QStringLiteral("42") : QStringLiteral("31"));

    // The context menu offers them on the same terms.
    edit->selectAll();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    int offered = 0;
    for (QAction* action : menu->actions())
        if (action->text().startsWith(QLineEdit::tr("Cu&t")) ||
            action->text().startsWith(QLineEdit::tr("&Paste")))
            offered += action->isEnabled() ? 1 : 0;
    menu->close();
    QCOMPARE(offered, passes ? 2 : 0);
}

QTEST_MAIN(BmSpinEditTest)
#include "BmSpinEditTest.moc"
