// The stamp window: the chosen stamp picture as a borderless, always-on-top
// window cut to the picture's outline. Released, it prints itself into the
// snapshot where it stands and closes.
#pragma once

#include "Form.h"

class TBMShapedForm;

class TfStamp : public TForm {
public:
    explicit TfStamp(QWidget* owner = nullptr);

    TImage* Image1;
    TBMShapedForm* BMShapedForm1;
    QString CurrentDir;
    int OffsetXY = 0;

    // A release anywhere on the stamp prints it.
    void BMShapedForm1MouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void BMShapedForm1MouseMove(QObject* Sender, TShiftState Shift, int X, int Y) {}
};

extern TfStamp* fStamp;

// Copies the screen under a window that is up and draws it into the
// snapshot at the window's place: what the window shows inside its outline,
// and the snapshot itself outside.
void printScreenAreaIntoSnapshot(QWidget* window, const QSize& size);
