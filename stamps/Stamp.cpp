#include "Stamp.h"

#include "Application.h"
#include "Services.h"
#include "Viewer.h"
#include "bmshapedform.h"


TfStamp* fStamp = nullptr;

void printScreenAreaIntoSnapshot(QWidget* window, const QSize& size)
{
    // The window must be on the screen as it now stands before it is copied.
    window->repaint();
    Application->ProcessMessages();
    // The snapshot holds the screen's device pixels.
    const QRect area = DevicePixels(window, QRect(window->geometry().topLeft(), size));
    // This display has no palette, so the copy needs none.
    const QImage copy = Services::Screen().Grab(area);
    if (!copy.isNull())
        fViewer->Canvas().Draw(area.x(), area.y(), copy);
}

TfStamp::TfStamp(QWidget* owner) : TForm(owner)
{
    SetCaption(QStringLiteral("icon - Form"));
    SetBorderStyle(bsNone);
    SetStayOnTop(true);
    CloseOnEscape = true;
    // The stamp covers this many pixels of the snapshot, whatever the
    // desktop's scale.
    resize(LogicalSize(this, QSize(184, 132)));
    setCursor(Qt::DragMoveCursor);
    Image1 = new TImage(this, 0, 0, 184, 132);
    Image1->AlignClient();
    BMShapedForm1 = new TBMShapedForm(this);
    BMShapedForm1->setCursor(Qt::ClosedHandCursor);
    // The names a screen reader gives the window and the picture.
    setAccessibleName(QStringLiteral("Stamp"));
    Image1->setAccessibleName(QStringLiteral("Stamp"));
    BMShapedForm1->setAccessibleName(QStringLiteral("Stamp"));
    BMShapedForm1->SetStretch(true);
    QString error;
    BMShapedForm1->Picture.Assign(readPictureFile(QStringLiteral(":/3dArrow-rt.bmp"), &error));
    Wire(BMShapedForm1->OnMouseUp, this, &TfStamp::BMShapedForm1MouseUp);
    Wire(BMShapedForm1->OnMouseMove, this, &TfStamp::BMShapedForm1MouseMove);
}

void TfStamp::BMShapedForm1MouseUp(QObject*, TMouseButton, TShiftState, int, int)
{
    printScreenAreaIntoSnapshot(this, size());
    Close();
}
