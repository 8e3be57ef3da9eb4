// A picture control that cuts the form it lies on to the outline of its
// picture: every pixel of the colour of the picture's bottom-left pixel is cut
// out of the window. Held with the left button alone, it drags the form.
#pragma once

#include "Controls.h"

#include <QPoint>
#include <QRegion>
#include <optional>

// The pixels of a picture that differ from its bottom-left pixel, one
// rectangle per horizontal run; the top byte of each pixel is ignored.
// runCount, when given, receives the number of runs found.
QRegion outlineOf(const QImage& sampled, int* runCount = nullptr);
// The picture stretched to size exactly as a stretched picture control
// paints it, so the outline matches what is shown pixel for pixel.
QImage samplePicture(const QImage& picture, const QSize& size);
// Where a top-level window's client area lies inside its frame: the frame and
// caption size, (0, 0) for a frameless window.
QPoint clientAreaOffset(const QRect& geometry, const QRect& frameGeometry);

class TBMShapedForm : public TImage {
public:
    // Fills its form; raises Exception when the parent is not a form or the
    // form already has one.
    explicit TBMShapedForm(QWidget* parent);

    // The form's client area takes the picture's size and the outline is
    // sampled at it; otherwise the outline is sampled at the control's size.
    // Both sizes are in device pixels.
    bool AutoSize = false;
    void SetAutoSize(bool autoSize);
    bool Moveable() const { return FMoveable; }
    void SetMoveable(bool moveable) { FMoveable = moveable; }

    // Moves the control to another parent; the parent stays set even when
    // the placement is refused with an Exception.
    void SetParent(QWidget* parent);
    // Applies the outline again, computing it only if the sampled size changed.
    void Loaded();
    // Called on every change of the picture and of the control's size.
    void PictureUpdate(QObject* Sender);
    void ObtainRegion();
    // Hands the outline to the parent window.
    void RefreshForm();

    int MoveX() const { return FMoveX; }
    int MoveY() const { return FMoveY; }
    // A button went down on the control and is not yet released.
    bool ButtonHeld() const { return InMove; }
    int ImageWidth() const { return FImageWidth; }
    int ImageHeight() const { return FImageHeight; }
    // The outline in the parent window's device pixels, frame included, or none.
    const std::optional<QRegion>& Region() const { return FRegion; }
    // The parent window holds the outline last computed.
    bool RegionHandedOver() const { return OSOwned; }
    // Every sampled pixel had the transparent colour.
    bool OutlineEmpty() const { return FRegion && FRegion->isEmpty(); }

protected:
    // Keeps AutoSize and Stretch exclusive before painting as TImage does.
    void paintEvent(QPaintEvent* event) override;
    // Runs the owner's OnMouseDown, then records the grab point; where the
    // compositor moves the form itself (sway), leaves the drag to it.
    void mousePressEvent(QMouseEvent* event) override;
    // Runs the owner's OnMouseMove, then drags the form.
    void mouseMoveEvent(QMouseEvent* event) override;
    // Runs the owner's OnMouseUp, then ends the grab.
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A new size needs a new outline.
    void resizeEvent(QResizeEvent* event) override;

private:
    void checkPlacement(QWidget* parent) const;
    static void seeThroughOutside(QWidget* form);
    void clearOutsideOutline();
    bool keepSizingExclusive();
    void resampleLater();
    void dragParent(QPoint pointer);
    // Only the left button alone drags a movable form.
    bool dragsForm(const QMouseEvent* event) const;

    bool FMoveable = true;
    int FMoveX = 0;
    int FMoveY = 0;
    bool InMove = false;
    bool movedByCompositor_ = false; // the compositor moves the form until the button is up
    int FImageHeight = 0;
    int FImageWidth = 0;
    bool OldStretch = false;
    bool OldAutoSize = false;
    int OldFWidth = 0;
    int OldFHeight = 0;
    bool OSOwned = false;
    std::optional<QRegion> FRegion;
    // On a scaled desktop: the picture as sampled for the outline, shown one
    // to one in device pixels.
    QImage shown_;
    QPoint FOffset;
    bool sampledAutoSize_ = false;
    bool updating_ = false;
    bool resamplePending_ = false;
};
