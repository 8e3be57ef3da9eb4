#include "TrackBar.h"

TTrackBar::TTrackBar(QWidget* parent, int left, int top, int width, int height, int min, int max, int position)
    : TControl(Qt::Vertical, parent)
{
    setGeometry(left, top, width, height);
    setRange(min, max);
    setInvertedAppearance(true); // the minimum stands at the top
    setInvertedControls(true);
    setTickPosition(QSlider::TicksBothSides);
    setTickInterval(1);
    setPageStep(1);
    SetPosition(position);
    QObject::connect(this, &QSlider::valueChanged, [this] {
        if (!programmatic_)
            fireNotify(OnChange, this);
    });
}

void TTrackBar::SetPosition(int position)
{
    programmatic_ = true;
    setValue(qBound(minimum(), position, maximum()));
    programmatic_ = false;
}
