// A sunken box round a group of controls.
#pragma once

#include "Control.h"

#include <QFrame>

class TBevel : public TControl<QFrame> {
public:
    TBevel(QWidget* parent, int left, int top, int width, int height);
};
