#include "Viewer.h"

#include "Application.h"
#include "History.h"
#include "Main.h"
#include "Services.h"
#include "Utillity.h"

#include <QShortcut>

TfViewer* fViewer = nullptr;

TfViewer::TfViewer(QWidget* owner) : TForm(owner)
{
    SetCaption(QStringLiteral("fViewer"));
    SetBorderStyle(bsNone);
    SetCoversDesktop(true);
    Image1 = new TImage(this, 0, 0, width(), height());
    Image1->AlignClient();
    Image1->SetStretch(true);
    Image1->setAttribute(Qt::WA_StaticContents);
    Image1->setMouseTracking(true);
    Image1->DevicePixels = true;
    Image1->PutStraight = true;
    // A pasted snapshot shares its pixels with the clipboard's copy; the
    // first stroke must not pay for separating them.
    // The snapshot covers the whole surface: nothing behind it needs painting
    // first, except when there is no snapshot at all.
    Image1->Picture.AddChangeListener([this] {
        Image1->setAttribute(Qt::WA_OpaquePaintEvent, !Image1->Picture.Empty());
        Image1->Picture.UnshareInBackground();
    });
    setAccessibleName(QStringLiteral("Snapshot"));
    Image1->setAccessibleName(QStringLiteral("Snapshot"));
    // Nothing uses the two labels; they would only cover the snapshot. They
    // stand on a holder that is never shown, so that a screen reader does not
    // offer them either. Their size is given: measuring their captions would
    // load a font on the way to the bar's first show.
    Label1 = new TLabel(unusedLabels_.get(), QStringLiteral("Label1"), 8, 8, 32, 13);
    Label2 = new TLabel(unusedLabels_.get(), QStringLiteral("Label2"), 8, 24, 32, 13);

    Wire(OnShow, this, &TfViewer::FormShow);
    Wire(OnMouseDown, this, &TfViewer::FormMouseDown);
    Wire(OnMouseMove, this, &TfViewer::FormMouseMove);
    Wire(OnMouseUp, this, &TfViewer::FormMouseUp);
    Image1->OnMouseDown = OnMouseDown;
    Image1->OnMouseMove = OnMouseMove;
    Image1->OnMouseUp = OnMouseUp;

    history_ = std::make_unique<THistory>(Image1->Picture);
    addShortcuts();
}

TfViewer::~TfViewer() = default;

void TfViewer::addShortcuts()
{
    addShortcut({QKeySequence(Qt::CTRL | Qt::Key_Z)}, &TfViewer::Undo);
    addShortcut({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}, &TfViewer::Redo);
    addShortcut({QKeySequence(Qt::CTRL | Qt::Key_C)}, &TfViewer::CopyPicture);
    addShortcut({QKeySequence(Qt::CTRL | Qt::Key_S)}, &TfViewer::SavePicture);
    // Escape belongs to the stroke only while there is one: otherwise the
    // windows keep their own use of it.
    escape_ = addShortcut({QKeySequence(Qt::Key_Escape)}, &TfViewer::escapePressed);
    escape_->setEnabled(false);
}

QShortcut* TfViewer::addShortcut(const QList<QKeySequence>& keys, void (TfViewer::*action)())
{
    auto* shortcut = new QShortcut(this);
    shortcut->setKeys(keys);
    shortcut->setContext(Qt::ApplicationShortcut);
    QObject::connect(shortcut, &QShortcut::activated, this, [this, action] { Application->Guard([&] { (this->*action)(); }); });
    return shortcut;
}

void TfViewer::escapePressed() { CancelStroke(); }

bool TfViewer::CancelStroke()
{
    escape_->setEnabled(false);
    if (!Drawing)
        return false;
    Drawing = false;
    History().Discard();
    return true;
}

void TfViewer::Undo()
{
    if (!CancelStroke())
        History().Undo();
}

void TfViewer::Redo()
{
    if (!Drawing)
        History().Redo();
}

void TfViewer::CopyPicture()
{
    Services::Clipboard().SetPicture(Image1->Picture.Bitmap());
    if (fMain)
        fMain->ShowNotice(QStringLiteral("Copied to the clipboard"));
}

void TfViewer::SavePicture()
{
    if (fSetup && fSetup->btnSave->isEnabled())
        fSetup->btnSaveClick(this);
}

void TfViewer::FormShow(QObject*)
{
    const int pictureHeight = Image1->Picture.Height();
    // The snapshot is in device pixels, and so are the surface's pointer positions.
    const int surfaceHeight = qRound(ClientHeight() * devicePixelRatioF());
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
    // The surface takes no keyboard focus (the window managers need that):
    // a click on it gives the keys to the bar, for the undo and copy keys.
    Application->ActivateMainForm();
    // Whatever was printed since the last stroke (a stamp, a banner) is a
    // mark of its own; a second button during a stroke continues it.
    if (!Drawing)
        History().Commit();
    escape_->setEnabled(true);
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
            // The band follows the pointer once a frame, however often it moves.
            bandTo_ = p;
            // A tool changed meanwhile would draw another figure over this one.
            Image1->Picture.HoldBack([this, tool = DrawingTool] {
                if (Drawing && DrawingTool == tool)
                    moveBand();
            });
            Image1->NextFrame();
        }
    }
    mouseX = p.x();
    mouseY = p.y();
}

void TfViewer::moveBand()
{
    DrawShape(Origin, MovePt, pmNotXor);
    MovePt = bandTo_;
    DrawShape(Origin, MovePt, pmNotXor);
}

void TfViewer::FormMouseUp(QObject*, TMouseButton, TShiftState, int X, int Y)
{
    const QPoint p = scaled(X, Y);
    if (!Writing && Drawing)
        DrawShape(Origin, p, pmCopy);
    // The press, the moves and the release are one mark.
    if (Drawing)
        History().Commit();
    Drawing = false;
    escape_->setEnabled(false);
}
