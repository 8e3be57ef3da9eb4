// A vertical slider with its minimum at the top. Setting the position from
// the program does not run OnChange; moving it by hand does.
#pragma once

#include "Control.h"
#include "ControlEvents.h"

#include <QSlider>

class TTrackBar : public TControl<QSlider> {
public:
    TTrackBar(QWidget* parent, int left, int top, int width, int height, int min, int max, int position);
    TNotifyEvent OnChange;
    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    int Position() const { return value(); }
    // Kept within Min..Max.
    void SetPosition(int position);

private:
    bool programmatic_ = false;
};
