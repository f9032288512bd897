#pragma once
// The drop button of a TBMSpinEdit. It reports the left button's press, the pointer's
// movement while held and the release, in screen coordinates, and stays down until the
// release. Its glyph is a small arrow: down for a horizontal track bar, left for a
// vertical one.

#include <QToolButton>

class TDropButton : public QToolButton {
    Q_OBJECT
public:
    explicit TDropButton(QWidget* parent);

    void SetGlyph(Qt::Orientation trackBar);

signals:
    void Pressed(QPoint anchor);
    void Dragged(QPoint pointer);
    void Released();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    Qt::Orientation FTrackBar = Qt::Horizontal;
};
