#pragma once
// TBMPopupForm: the pop-up track bar window of a TBMSpinEdit. A borderless tool window
// kept on top that never takes the focus, holding a track bar of positions 0 to 1000 in a
// raised panel. The spin edit places it, sizes it and moves its thumb.

#include <QFrame>

class QSlider;

class TBMPopupForm : public QFrame {
    Q_OBJECT
public:
    // Thickness across the track: a track bar's default height (45) less 10.
    static constexpr int Thickness = 45 - 10;
    static constexpr int Positions = 1000;

    explicit TBMPopupForm(QWidget* owner);

    QSlider* TrackBar() const;
    // Switches the track bar and exchanges the window's width and height. Position 0 is at
    // the left of a horizontal track bar and at the top of a vertical one.
    void SetOrientation(Qt::Orientation o);
    // The thumb and the channel it slides along, in this window's coordinates.
    QRect ThumbRect() const;
    QRect ChannelRect() const;

signals:
    void Shown();

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    class TTrackBar;
    TTrackBar* FTrackBar;
};
