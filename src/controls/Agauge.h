#pragma once
// The gauge strip along the bottom edge of a TBMSpinEdit: shows the value as a bar
// coloured between two colours, and sets the value from a click or a drag along it.

#include "controls/Bmspinedit.h"

#include <QColor>
#include <QWidget>

class TBMSpinEdit::TAGauge : public QWidget {
public:
    explicit TAGauge(TBMSpinEdit& owner);

    // Kept here for the owner, which repaints the strip after changing them.
    QColor BeginColor;  // invalid: the palette's highlight colour
    QColor EndColor{255, 0, 0};
    double IncrementGauge = 0;
    double AroundCenter = 0;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void ApplyPosition(int x);

    TBMSpinEdit& FOwner;
};
