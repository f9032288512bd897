#include "controls/Updown.h"

#include <QToolButton>

namespace {

QToolButton* ArrowButton(QWidget* parent, Qt::ArrowType arrow, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent),
      FUp(ArrowButton(this, Qt::UpArrow, "UpButton")),
      FDown(ArrowButton(this, Qt::DownArrow, "DownButton"))
{
    connect(FUp, &QToolButton::clicked, this, [this] { emit Clicked(true); });
    connect(FDown, &QToolButton::clicked, this, [this] { emit Clicked(false); });
}

void TUpDown::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    FUp->setGeometry(0, 0, width(), half);
    FDown->setGeometry(0, half, width(), height() - half);
}
