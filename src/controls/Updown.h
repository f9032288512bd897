#pragma once
// The up/down button pair of a TBMSpinEdit: two stacked arrow buttons that repeat while
// held and never take the focus.

#include <QWidget>

class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent);

signals:
    void Clicked(bool up);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    QToolButton* FUp;
    QToolButton* FDown;
};
