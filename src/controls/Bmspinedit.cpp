#include "controls/Bmspinedit.h"

#include "controls/Agauge.h"
#include "controls/Bmpopupform.h"
#include "controls/Dropbutton.h"
#include "controls/Gaugebar.h"
#include "controls/Updown.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int UpDownWidth = 13;
constexpr int DropButtonWidth = 13;
constexpr int BorderHeight = 1;  // the thin system border that the minimum height counts four of
// Right or centred text gets these blanks so that its end clears the buttons.
constexpr QLatin1String AlignmentPadding("      ");

// The user's locale, without thousands separators either way.
QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

bool IsBlank(const QString& text)
{
    return text.isEmpty() || text == QLatin1String("-");
}

// The number a text stands for; "nan" and "inf" are no numbers for a value edit.
std::optional<double> ToNumber(const QString& text)
{
    bool ok = false;
    const double v = NumberLocale().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Entering and leaving are about the focus moving between controls; a window losing
// activation or a context menu opening is neither.
bool MovesBetweenControls(const QFocusEvent* e)
{
    return e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
}

// What a screen reader hears of the edit: a spin box whose value the arrow keys change, not
// the read-only text that refuses typing.
class SpinEditAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinEditAccessible(TBMSpinEdit* edit) : QAccessibleWidget(edit, QAccessible::SpinBox)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = false;
        return state;
    }
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return Edit()->text();
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return ToNumber(Edit()->text()).value_or(0.0); }
    void setCurrentValue(const QVariant& value) override
    {
        Edit()->SetValue(Edit()->CheckValue(value.toDouble()));
    }
    QVariant maximumValue() const override { return Edit()->MaxValue(); }
    QVariant minimumValue() const override { return Edit()->MinValue(); }
    QVariant minimumStepSize() const override { return Edit()->Increment(); }

private:
    TBMSpinEdit* Edit() const { return static_cast<TBMSpinEdit*>(widget()); }
};

QAccessibleInterface* SpinEditAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TBMSpinEdit") && object && object->isWidgetType())
        return new SpinEditAccessible(static_cast<TBMSpinEdit*>(object));
    return nullptr;
}

}  // namespace

TBMSpinEdit::TBMSpinEdit(QWidget* parent)
    : QLineEdit(parent),
      FPanel(new QWidget(this)),
      FUpDown(new TUpDown(FPanel)),
      FDropButton(new TDropButton(FPanel)),
      FGauge(new TAGauge(*this)),
      FPopupForm(new TBMPopupForm(this))
{
    // Installing it again is a no-op: each edit makes sure it is there.
    QAccessible::installFactory(SpinEditAccessibleFactory);
    FPanel->setAutoFillBackground(true);
    FPanel->setBackgroundRole(QPalette::Button);
    FPanel->setCursor(Qt::ArrowCursor);
    FPopupForm->resize(FTrackBarWidth, TBMPopupForm::Thickness);

    connect(this, &QLineEdit::textChanged, this, &TBMSpinEdit::Change);
    connect(FUpDown, &TUpDown::Clicked, this, &TBMSpinEdit::UpDownClick);
    connect(FDropButton, &TDropButton::Pressed, this, &TBMSpinEdit::DropButtonDown);
    connect(FDropButton, &TDropButton::Dragged, this, &TBMSpinEdit::TrackBarFollow);
    connect(FDropButton, &TDropButton::Released, this, &TBMSpinEdit::DropButtonUp);
    connect(FPopupForm, &TBMPopupForm::Shown, this, &TBMSpinEdit::PopupFormShow);

    UpdateTextArea();
    UpdateMinimumHeight();
    LayoutParts();
    SetValue(0);
}

double TBMSpinEdit::GetValue()
{
    const QString t = text();
    if (IsBlank(t)) {
        setText(QStringLiteral("0"));
        return 0;
    }
    if (const auto v = ToNumber(t))
        return *v;
    setText(NumberLocale().toString(FMinValue, 'g', QLocale::FloatingPointShortest));
    return FMinValue;
}

// GetValue without rewriting the text: painting must not edit what the user is typing.
double TBMSpinEdit::TextValue() const
{
    const QString t = text();
    if (IsBlank(t))
        return 0;
    return ToNumber(t).value_or(FMinValue);
}

void TBMSpinEdit::SetValue(double x)
{
    if (FRewriteText)
        FRewriteText = false;
    else if (GetValue() == x)
        return;

    // Without decimals the value is shown as given, also beyond the bounds; leaving the
    // control brings it back. Adding 0.0 turns a rounded -0 into 0.
    QString t = FPrecision > 0 ? NumberLocale().toString(CheckValue(x), 'f', FPrecision)
                               : NumberLocale().toString(std::round(x) + 0.0, 'f', 0);
    if (alignment() & (Qt::AlignRight | Qt::AlignHCenter))
        t += AlignmentPadding;

    setText(t);
    FGauge->update();
    if (FPopupForm->isVisible())
        UpdateFormView();
    emit OnChange();
}

double TBMSpinEdit::CheckValue(double x) const
{
    if (FMinValue == FMaxValue)
        return x;
    return x < FMinValue ? FMinValue : x > FMaxValue ? FMaxValue : x;
}

void TBMSpinEdit::SetMinValue(double v)
{
    if (v == FMinValue)
        return;
    FMinValue = v;
    if (GetValue() < v)
        SetValue(v);
    FGauge->update();
}

void TBMSpinEdit::SetMaxValue(double v)
{
    if (v == FMaxValue)
        return;
    FMaxValue = v;
    if (GetValue() > v)
        SetValue(v);
    FGauge->update();
}

void TBMSpinEdit::SetPrecision(int p)
{
    p = std::clamp(p, 0, 6);
    if (p == FPrecision)
        return;
    FPrecision = p;
    FRewriteText = true;
    SetValue(GetValue());
}

void TBMSpinEdit::SetGaugeMinValue(double v)
{
    FGaugeMinValue = v;
    FGauge->update();
}

void TBMSpinEdit::SetGaugeMaxValue(double v)
{
    FGaugeMaxValue = v;
    FGauge->update();
}

double TBMSpinEdit::GaugeAroundCenter() const
{
    return FGauge->AroundCenter;
}

void TBMSpinEdit::SetGaugeAroundCenter(double v)
{
    FGauge->AroundCenter = v;
    FGauge->update();
}

double TBMSpinEdit::IncrementGauge() const
{
    return FGauge->IncrementGauge;
}

void TBMSpinEdit::SetIncrementGauge(double v)
{
    FGauge->IncrementGauge = v;
}

QColor TBMSpinEdit::GaugeBeginColor() const
{
    return FGauge->BeginColor.isValid() ? FGauge->BeginColor : palette().color(QPalette::Highlight);
}

void TBMSpinEdit::SetGaugeBeginColor(const QColor& c)
{
    FGauge->BeginColor = c;
    FGauge->update();
}

QColor TBMSpinEdit::GaugeEndColor() const
{
    return FGauge->EndColor;
}

void TBMSpinEdit::SetGaugeEndColor(const QColor& c)
{
    FGauge->EndColor = c;
    FGauge->update();
}

void TBMSpinEdit::SetGaugeHeight(int h)
{
    FGaugeHeight = h;
    UpdateTextArea();
    UpdateMinimumHeight();
    LayoutParts();
}

void TBMSpinEdit::SetTrackBarWidth(int w)
{
    FTrackBarWidth = std::clamp(w, 50, 300);
}

void TBMSpinEdit::SetTrackBarOrientation(Qt::Orientation o)
{
    FTrackBarOrientation = o;
    FPopupForm->SetOrientation(o);
    FDropButton->SetGlyph(o);
}

void TBMSpinEdit::SetTrackBarEnabled(bool on)
{
    FTrackBarEnabled = on;
    UpdateTextArea();
    LayoutParts();
}

// (lo, hi) of the gauge strip: its own range, or the edit's bounds when both are 0.
std::pair<double, double> TBMSpinEdit::GaugeRange() const
{
    if (FGaugeMinValue == 0 && FGaugeMaxValue == 0)
        return {FMinValue, FMaxValue};
    return {FGaugeMinValue, FGaugeMaxValue};
}

// The edit's range for the track bar and the gauge bar; 100 when there is none to divide by.
double TBMSpinEdit::Span() const
{
    const double span = FMaxValue - FMinValue;
    return span > 0 ? span : 100;
}

// A value picked on the gauge strip or the track bar: snapped, and held within the bounds
// so that a drag past the end of the strip cannot leave an impossible setting behind.
void TBMSpinEdit::SetValueFromGauge(double v)
{
    SetValue(CheckValue(SnapToStep(v, FGauge->IncrementGauge)));
}

void TBMSpinEdit::Change()
{
    FGauge->update();
    emit OnChange();
}

void TBMSpinEdit::UpDownClick(bool up)
{
    setFocus();
    const double v = GetValue();
    // Without bounds (MinValue equal to MaxValue) the steps run freely.
    const bool bounded = FMinValue != FMaxValue;
    if (up)
        SetValue(bounded && v >= FMaxValue - FIncrement ? FMaxValue : v + FIncrement);
    else
        SetValue(bounded && v <= FMinValue + FIncrement ? FMinValue : v - FIncrement);
    if (!FPressedOnEdit)
        SelectAllWhenAuto();
    FGauge->update();
}

void TBMSpinEdit::DropButtonDown(QPoint anchor)
{
    FAnchor = anchor;
    const QPoint corner(FTrackBarOrientation == Qt::Horizontal ? 0 : FDropButton->width(),
                        FDropButton->height());
    FPopupForm->move(FDropButton->mapToGlobal(corner));
    UpdateFormView();
}

// The pointer moves the thumb's centre: the value under it is the one the thumb shows there.
void TBMSpinEdit::TrackBarFollow(QPoint pointer)
{
    if (!FPopupForm->isVisible())
        return;
    const QRect thumb = FPopupForm->ThumbRect();
    const QRect channel(FPopupForm->mapToGlobal(FPopupForm->ChannelRect().topLeft()),
                        FPopupForm->ChannelRect().size());
    double length, offset;
    if (FTrackBarOrientation == Qt::Horizontal) {
        length = channel.width() - thumb.width();
        offset = pointer.x() - channel.x() - thumb.width() / 2;
    } else {
        length = channel.height() - thumb.height();
        offset = channel.y() + channel.height() - thumb.height() / 2 - pointer.y();
    }
    if (length <= 0)
        return;
    offset = std::clamp(offset, 0.0, length);
    SetValueFromGauge(FMinValue + (FMaxValue - FMinValue) * offset / length);
}

void TBMSpinEdit::DropButtonUp()
{
    FPopupForm->hide();
    SelectAllWhenAuto();
}

void TBMSpinEdit::UpdateFormView()
{
    const double p = std::trunc((GetValue() - FMinValue) * TBMPopupForm::Positions / Span());
    // The track bar holds its position within 0..1000 anyway; clamping first keeps the
    // conversion to int defined.
    const int position = int(std::clamp(p, 0.0, double(TBMPopupForm::Positions)));
    if (FTrackBarOrientation == Qt::Horizontal) {
        FPopupForm->TrackBar()->setValue(position);
        FPopupForm->resize(FTrackBarWidth, FPopupForm->height());
    } else {
        FPopupForm->TrackBar()->setValue(TBMPopupForm::Positions - position);
        FPopupForm->resize(FPopupForm->width(), FTrackBarWidth);
    }
    setFocus();
    deselect();
    FPopupForm->show();
}

// Slides the just-shown window along its track until the thumb's centre is under the anchor.
void TBMSpinEdit::PopupFormShow()
{
    const QRect thumb = FPopupForm->ThumbRect();
    QPoint at = FPopupForm->pos();
    if (FTrackBarOrientation == Qt::Horizontal)
        at.setX(FAnchor.x() - thumb.x() - thumb.width() / 2);
    else
        at.setY(FAnchor.y() - thumb.y() - thumb.height() / 2);
    FPopupForm->move(at);
}

void TBMSpinEdit::SelectAllWhenAuto()
{
    if (FAutoSelect)
        selectAll();
}

bool TBMSpinEdit::ClipboardEditable() const
{
    return FEditorEnabled && !isReadOnly();
}

void TBMSpinEdit::resizeEvent(QResizeEvent* e)
{
    QLineEdit::resizeEvent(e);
    LayoutParts();
}

void TBMSpinEdit::changeEvent(QEvent* e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        UpdateMinimumHeight();
    else if (e->type() == QEvent::StyleChange)
        LayoutParts();
}

void TBMSpinEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down) {
        UpDownClick(e->key() == Qt::Key_Up);
        return;
    }
    if ((e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Paste)) && !ClipboardEditable())
        return;
    QLineEdit::keyPressEvent(e);
}

void TBMSpinEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    if (!MovesBetweenControls(e))
        return;
    const bool leftHeldOnEdit =
        e->reason() == Qt::MouseFocusReason && (QApplication::mouseButtons() & Qt::LeftButton);
    if (!leftHeldOnEdit)
        SelectAllWhenAuto();
    emit OnEnter();
}

void TBMSpinEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    if (!MovesBetweenControls(e))
        return;
    const double v = GetValue();
    const double held = CheckValue(v);
    if (held != v)
        SetValue(held);
    emit OnExit();
}

void TBMSpinEdit::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        FPressedOnEdit = true;
    QLineEdit::mousePressEvent(e);
}

void TBMSpinEdit::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        FPressedOnEdit = false;
    // The middle button pastes the selection on X11.
    if (e->button() == Qt::MiddleButton && !ClipboardEditable())
        return;
    QLineEdit::mouseReleaseEvent(e);
}

void TBMSpinEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu();
    if (!ClipboardEditable()) {
        // The standard menu names its actions only by their (translated) texts.
        const QString cut = QLineEdit::tr("Cu&t");
        const QString paste = QLineEdit::tr("&Paste");
        for (QAction* action : menu->actions())
            if (action->text().startsWith(cut) || action->text().startsWith(paste))
                action->setEnabled(false);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TBMSpinEdit::LayoutParts()
{
    // The parts sit inside the frame, as on a client area.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect client = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int dropWidth = FTrackBarEnabled ? DropButtonWidth : 0;

    FPanel->setGeometry(client.right() + 1 - UpDownWidth - dropWidth - 3, client.top(),
                        UpDownWidth + dropWidth + 3, client.height() - FGaugeHeight);
    FUpDown->setGeometry(1, 1, UpDownWidth, FPanel->height() - 2);
    FDropButton->setGeometry(UpDownWidth + 2, 1, DropButtonWidth, FPanel->height() - 2);
    FDropButton->setVisible(FTrackBarEnabled);
    // The strip's last row falls on the frame; it is cut off there, as under a client area.
    FGauge->setGeometry(
        QRect(client.left(), client.bottom() - FGaugeHeight, client.width(), FGaugeHeight + 2) &
        client);
}

// The text runs left of the buttons and above the gauge strip.
void TBMSpinEdit::UpdateTextArea()
{
    const int dropWidth = FTrackBarEnabled ? DropButtonWidth : 0;
    setTextMargins(0, 0, UpDownWidth + dropWidth + 4, FGaugeHeight + 1);
}

void TBMSpinEdit::UpdateMinimumHeight()
{
    const int character = fontMetrics().height();
    const int system = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).height();
    setMinimumHeight(4 * BorderHeight + character + std::min(character, system) / 4 + FGaugeHeight +
                     3);
}
