#include "controls/Dropbutton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

TDropButton::TDropButton(QWidget* parent) : QToolButton(parent)
{
    setObjectName(QStringLiteral("DropButton"));
    setFocusPolicy(Qt::NoFocus);
}

void TDropButton::SetGlyph(Qt::Orientation trackBar)
{
    FTrackBar = trackBar;
    update();
}

void TDropButton::paintEvent(QPaintEvent* e)
{
    QToolButton::paintEvent(e);

    // A triangle 7 pixels across, nudged like the bevel's contents while the button is down.
    const QPointF c = QRectF(rect()).center() + (isDown() ? QPointF(1, 1) : QPointF(0, 0));
    const QPolygonF arrow =
        FTrackBar == Qt::Horizontal
            ? QPolygonF({c + QPointF(-3.5, -2), c + QPointF(3.5, -2), c + QPointF(0, 2)})
            : QPolygonF({c + QPointF(2, -3.5), c + QPointF(2, 3.5), c + QPointF(-2, 0)});
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::ButtonText));
    painter.drawPolygon(arrow);
}

void TDropButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    setDown(true);
    emit Pressed(e->globalPosition().toPoint());
}

void TDropButton::mouseMoveEvent(QMouseEvent* e)
{
    // While the left button is held the button keeps the mouse (Qt's implicit grab), also
    // over the pop-up window.
    if (e->buttons() & Qt::LeftButton)
        emit Dragged(e->globalPosition().toPoint());
}

void TDropButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    setDown(false);
    emit Released();
}
