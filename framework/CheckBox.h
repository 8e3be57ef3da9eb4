// A check box with a caption.
#pragma once

#include "Control.h"
#include "ControlEvents.h"
#include "Types.h"

#include <QCheckBox>

struct TFont;

class TCheckBox : public TControl<QCheckBox> {
public:
    TCheckBox(QWidget* parent, const QString& caption, int left, int top, int width, int height);
    // Runs whenever the check changes, by the user or by the program.
    TNotifyEvent OnClick;
    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }
    void SetColor(TColor color);
    void SetFont(const TFont& font, TColor color);
};
