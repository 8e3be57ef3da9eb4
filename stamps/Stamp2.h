// The text banner: the typed text as a large label in a borderless window
// whose outline is taken from the screen beneath it as it opens. Dragged and
// released, it prints itself into the snapshot and closes; every banner is a
// new window.
#pragma once

#include "Form.h"

class TBMShapedForm;

class TfStamp2 : public TForm {
public:
    explicit TfStamp2(QWidget* owner = nullptr);

    TBMShapedForm* BMShapedForm1;
    TShape* Shape1;
    TLabel* lText;
    TTimer* Timer1;
    QString CurrentDir;
    int OffsetXY = 0;

    // Shows the banner modally; returns when it is placed or dismissed.
    void ShowText();
    void FormShow(QObject* Sender);
    // Takes the outline picture from the screen beneath the banner's place.
    void CopyForm();
    void Timer1Timer(QObject* Sender);
    void BMShapedForm1MouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    QString OutlineFile() const { return CurrentDir + QStringLiteral("Text.bmp"); }
};

extern TfStamp2* fStamp2;
