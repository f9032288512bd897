#include "controls/Agauge.h"

#include "controls/Gaugebar.h"

#include <QMouseEvent>
#include <QPainter>

TBMSpinEdit::TAGauge::TAGauge(TBMSpinEdit& owner) : QWidget(&owner), FOwner(owner)
{
    setObjectName(QStringLiteral("Gauge"));
    setCursor(Qt::ArrowCursor);
}

void TBMSpinEdit::TAGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));

    const auto [lo, hi] = FOwner.GaugeRange();
    const TGaugeBar bar =
        GaugeBar(FOwner.TextValue(), lo, hi, FOwner.Span(), AroundCenter, width() - 1);
    if (bar.Drawn)
        painter.fillRect(QRect(bar.From, 0, bar.To - bar.From, height()),
                         GaugeColor(FOwner.GaugeBeginColor(), EndColor, bar.Factor));
    if (bar.Centre >= 0) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(bar.Centre, 0, bar.Centre, height() - 1);
    }
    painter.setPen(palette().color(QPalette::Button));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TBMSpinEdit::TAGauge::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    // The strip keeps the mouse until the button is released (Qt's implicit grab).
    ApplyPosition(e->position().toPoint().x());
    FOwner.setFocus(Qt::MouseFocusReason);
    FOwner.deselect();
}

void TBMSpinEdit::TAGauge::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton)
        ApplyPosition(e->position().toPoint().x());
}

void TBMSpinEdit::TAGauge::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    ApplyPosition(e->position().toPoint().x());
    FOwner.SelectAllWhenAuto();
}

void TBMSpinEdit::TAGauge::ApplyPosition(int x)
{
    const auto [lo, hi] = FOwner.GaugeRange();
    const int track = width() - 2;
    if (hi - lo <= 0 || track <= 0)
        return;
    FOwner.SetValueFromGauge(x <= 0 ? lo : lo + (hi - lo) * x / track);
}
