#include "Stamp2.h"

#include "Application.h"
#include "Exceptions.h"
#include "Services.h"
#include "Stamp.h"
#include "bmshapedform.h"


TfStamp2* fStamp2 = nullptr;

TfStamp2::TfStamp2(QWidget* owner) : TForm(owner)
{
    SetCaption(QStringLiteral("fStamp2"));
    SetBorderStyle(bsNone);
    SetStayOnTop(true);
    CloseOnEscape = true;
    SetColor(clAqua);
    resize(1063, 98);
    BMShapedForm1 = new TBMShapedForm(this);
    BMShapedForm1->SetStretch(true);
    QImage builtIn(205, 98, QImage::Format_RGB32);
    builtIn.fill(QColor(34, 177, 76));
    BMShapedForm1->Picture.Assign(builtIn);
    Wire(BMShapedForm1->OnMouseUp, this, &TfStamp2::BMShapedForm1MouseUp);
    // The names a screen reader gives the window and the picture.
    setAccessibleName(QStringLiteral("Banner"));
    BMShapedForm1->setAccessibleName(QStringLiteral("Banner"));
    Shape1 = new TShape(this, 0, 0, 1129, 41);
    Shape1->SetBrush(TBrush{clWhite, bsSolid});
    Shape1->SetPen(TPen{clBlack, 1, psSolid, pmCopy});
    lText = new TLabel(this, QStringLiteral("Text"), 0, 0);
    // The banner's letters are as tall in the snapshot as the text tool's.
    lText->DevicePixels = true;
    lText->SetColor(clWhite);
    TFont font{QStringLiteral("Arial"), 48, clRed, 0};
    font.SetHeight(-64);
    lText->SetFont(font);
    // The banner is dragged by the shaped picture beneath the label.
    lText->setAttribute(Qt::WA_TransparentForMouseEvents);
    Timer1 = new TTimer(this, 10, true);
    Wire(Timer1->OnTimer, this, &TfStamp2::Timer1Timer);
    Wire(OnShow, this, &TfStamp2::FormShow);
}

void TfStamp2::ShowText() { ShowModal(); }

void TfStamp2::FormShow(QObject*)
{
    CopyForm();
    Timer1->SetEnabled(true);
}

void TfStamp2::CopyForm()
{
    const QSize size = lText->size();
    Application->ProcessMessages();
    // The banner is not on the screen yet: this is what lies beneath its place.
    const QImage beneath = Services::Screen().Grab(DevicePixels(this, QRect(geometry().topLeft(), size)));
    Application->ProcessMessages();
    const QString error = writeBitmapFile(beneath, OutlineFile());
    if (!error.isEmpty())
        throw EFCreateError(error);
    Application->ProcessMessages();
    BMShapedForm1->Picture.LoadFromFile(OutlineFile());
    Application->ProcessMessages();
}

void TfStamp2::Timer1Timer(QObject*)
{
    Timer1->SetEnabled(false);
    Services::Tone().Beep(1000, 100);
}

void TfStamp2::BMShapedForm1MouseUp(QObject*, TMouseButton, TShiftState, int, int)
{
    printScreenAreaIntoSnapshot(this, lText->size());
    Application->ProcessMessages();
    Close();
}
