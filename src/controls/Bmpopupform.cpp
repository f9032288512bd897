#include "controls/Bmpopupform.h"

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

constexpr int Border = 4;  // the panel's border around the track bar

}  // namespace

class TBMPopupForm::TTrackBar : public QSlider {
public:
    using QSlider::QSlider;

    QRect Part(QStyle::SubControl part) const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, part, this).translated(pos());
    }
};

TBMPopupForm::TBMPopupForm(QWidget* owner)
    : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                        Qt::WindowDoesNotAcceptFocus),
      FTrackBar(new TTrackBar(Qt::Horizontal, this))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    FTrackBar->setRange(0, Positions);
    FTrackBar->setTickInterval(50);
    FTrackBar->setTickPosition(QSlider::TicksAbove);
    FTrackBar->setFocusPolicy(Qt::NoFocus);
}

QSlider* TBMPopupForm::TrackBar() const
{
    return FTrackBar;
}

void TBMPopupForm::SetOrientation(Qt::Orientation o)
{
    if (o == FTrackBar->orientation())
        return;
    FTrackBar->setOrientation(o);
    FTrackBar->setInvertedAppearance(o == Qt::Vertical);
    resize(size().transposed());
}

QRect TBMPopupForm::ThumbRect() const
{
    return FTrackBar->Part(QStyle::SC_SliderHandle);
}

QRect TBMPopupForm::ChannelRect() const
{
    return FTrackBar->Part(QStyle::SC_SliderGroove);
}

void TBMPopupForm::showEvent(QShowEvent* e)
{
    QFrame::showEvent(e);
    emit Shown();
}

void TBMPopupForm::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    FTrackBar->setGeometry(rect().adjusted(Border, Border, -Border, -Border));
}
