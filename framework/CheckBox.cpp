#include "CheckBox.h"

#include "ControlLooks.h"

TCheckBox::TCheckBox(QWidget* parent, const QString& caption, int left, int top, int width, int height)
    : TControl(caption, parent) // Qt reads "&&" and "&" as the classic captions do
{
    setGeometry(left, top, width, height);
    QObject::connect(this, &QCheckBox::toggled, [this] {
        fireNotify(OnClick, this);
    });
}

void TCheckBox::SetColor(TColor color) { fillBackground(this, color); }
void TCheckBox::SetFont(const TFont& font, TColor color) { applyFont(this, font, color); }
