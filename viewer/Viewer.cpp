#include "Viewer.h"

#include "Main.h"

TfViewer* fViewer = nullptr;

TfViewer::TfViewer(QWidget* owner) : TForm(owner)
{
    SetCaption(QStringLiteral("fViewer"));
    SetBorderStyle(bsNone);
    Image1 = new TImage(this, 0, 0, width(), height());
    Image1->AlignClient();
    Image1->SetStretch(true);
    Image1->setAttribute(Qt::WA_StaticContents);
    Image1->setMouseTracking(true);
    // A pasted snapshot shares its pixels with the clipboard's copy; the
    // first stroke must not pay for separating them.
    // The snapshot covers the whole surface: nothing behind it needs painting
    // first, except when there is no snapshot at all.
    Image1->Picture.AddChangeListener([this] {
        Image1->setAttribute(Qt::WA_OpaquePaintEvent, !Image1->Picture.Empty());
        Image1->Picture.UnshareInBackground();
    });
    Label1 = new TLabel(this, QStringLiteral("Label1"), 8, 8);
    Label2 = new TLabel(this, QStringLiteral("Label2"), 8, 24);
    // Nothing uses the two labels; they would only cover the snapshot.
    Label1->Hide();
    Label2->Hide();

    OnShow = [this](QObject* s) { FormShow(s); };
    OnMouseDown = [this](QObject* s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseDown(s, b, sh, x, y); };
    OnMouseMove = [this](QObject* s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
    OnMouseUp = [this](QObject* s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseUp(s, b, sh, x, y); };
    Image1->OnMouseDown = OnMouseDown;
    Image1->OnMouseMove = OnMouseMove;
    Image1->OnMouseUp = OnMouseUp;
}

void TfViewer::FormShow(QObject*)
{
    const int pictureHeight = Image1->Picture.Height();
    const int surfaceHeight = ClientHeight();
    if (surfaceHeight > 0 && pictureHeight > surfaceHeight) {
        OffsetXY = pictureHeight * 10 / surfaceHeight;
        // Stamps and banners are copied from the screen 1:1, which a scaled
        // picture cannot take, so they are withdrawn for good.
        if (fMain) {
            fMain->btnText2->Hide();
            fMain->sbtnIcon->Hide();
            fMain->Image1->Hide();
        }
    } else {
        OffsetXY = 10;
    }
    Canvas().MoveTo(0, 0);
}

QPoint TfViewer::scaled(int X, int Y) const
{
    // 0 before the first show acts as 1:1.
    const int factor = OffsetXY == 0 ? 10 : OffsetXY;
    return QPoint(X * factor / 10, Y * factor / 10);
}

void TfViewer::DrawShape(QPoint TopLeft, QPoint BottomRight, TPenMode AMode)
{
    TCanvas& canvas = Canvas();
    canvas.Pen.Mode = AMode;
    switch (DrawingTool) {
    case dtText:
        canvas.TextOut(TopLeft.x(), TopLeft.y(), Text);
        break;
    case dtScribble:
        if (Marker)
            canvas.Pen.Mode = pmMask;
        canvas.MoveTo(TopLeft.x(), TopLeft.y());
        canvas.LineTo(BottomRight.x(), BottomRight.y());
        break;
    case dtLine:
        if (Marker)
            canvas.Pen.Mode = pmMask;
        canvas.MoveTo(TopLeft.x(), TopLeft.y());
        canvas.LineTo(BottomRight.x(), HLock ? TopLeft.y() : BottomRight.y());
        break;
    case dtRectangle:
        canvas.Rectangle(TopLeft.x(), TopLeft.y(), BottomRight.x(), BottomRight.y());
        break;
    case dtEllipse:
        canvas.Ellipse(TopLeft.x(), TopLeft.y(), BottomRight.x(), BottomRight.y());
        break;
    case dtRoundRect:
        canvas.RoundRect(TopLeft.x(), TopLeft.y(), BottomRight.x(), BottomRight.y(),
                         (TopLeft.x() - BottomRight.x()) / 2, (TopLeft.y() - BottomRight.y()) / 2);
        break;
    }
}

void TfViewer::FormMouseDown(QObject*, TMouseButton, TShiftState, int X, int Y)
{
    Drawing = true;
    const QPoint p = scaled(X, Y);
    if (Writing) {
        if (!DragText)
            Canvas().MoveTo(p.x(), p.y());
        Origin = QPoint(p.x(), p.y() - textRise());
        MovePt = Origin;
        DrawShape(Origin, MovePt, pmNotXor);
        if (DragText)
            DragPauseCount = 0;
    } else {
        Canvas().MoveTo(p.x(), p.y());
        Origin = p;
        MovePt = Origin;
    }
    if (Scribble) {
        DrawShape(Origin, MovePt, pmNotXor);
        DrawShape(Origin, p, pmCopy);
    }
}

void TfViewer::FormMouseMove(QObject*, TShiftState, int X, int Y)
{
    const QPoint p = scaled(X, Y);
    if (Drawing) {
        if (Scribble) {
            DrawShape(Origin, p, pmCopy);
            Origin = p;
        } else if (Writing) {
            if (DragText) {
                ++DragPauseCount;
                if (DragPauseCount >= DragPauseMax) {
                    // The copy goes where the pointer was at the previous move.
                    MovePt = QPoint(mouseX, mouseY - textRise());
                    DrawShape(MovePt, MovePt, pmNot);
                    DragPauseCount = 0;
                }
            }
        } else {
            DrawShape(Origin, MovePt, pmNotXor);
            MovePt = p;
            DrawShape(Origin, MovePt, pmNotXor);
        }
    }
    mouseX = p.x();
    mouseY = p.y();
}

void TfViewer::FormMouseUp(QObject*, TMouseButton, TShiftState, int X, int Y)
{
    const QPoint p = scaled(X, Y);
    if (!Writing && Drawing)
        DrawShape(Origin, p, pmCopy);
    Drawing = false;
}
