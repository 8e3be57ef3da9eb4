#include "Bevel.h"

TBevel::TBevel(QWidget* parent, int left, int top, int width, int height) : TControl(parent)
{
    setGeometry(left, top, width, height);
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}
