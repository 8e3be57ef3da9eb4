// Shows a picture, stretched to the control or at its own size, and repaints
// only the rectangles that drawing on the picture's canvas touched.
#pragma once

#include "Canvas.h"
#include "Control.h"
#include "ControlEvents.h"
#include "FramePacer.h"
#include "Picture.h"
#include "StraightPut.h"

#include <QRect>
#include <QRegion>
#include <QWidget>

class TImage : public TControl<QWidget> {
public:
    TImage(QWidget* parent, int left, int top, int width, int height);
    TPicture Picture;
    TCanvas& Canvas() { return Picture.Canvas(); }
    bool Stretch = false;
    bool Center = false;
    void SetStretch(bool stretch);
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    // Mouse positions in the screen's device pixels, for a picture shown one
    // to one on a scaled desktop.
    bool DevicePixels = false;
    // Widget rectangle that shows the given bitmap rectangle.
    QRect toWidget(const QRect& bitmapRect) const;
    QRegion toWidget(const QRegion& bitmapArea) const;
    // Small changes go straight onto the window, past the toolkit's backing
    // store, where the picture covers the window one to one (a full-screen
    // surface that changes every frame while a figure is dragged).
    bool PutStraight = false;
    // Asks for the next frame of the display: drawing the picture holds back
    // is done then, and what changed is shown.
    void NextFrame() { pacer_.Add(QRegion()); }

protected:
    // Draws the dirty rectangles of the picture, one by one.
    void paintEvent(QPaintEvent* event) override;
    // The mouse handlers run OnMouseDown, OnMouseMove and OnMouseUp.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QRect pictureRect() const;
    qreal mouseScale() const;

private:
    // Shows what drawing changed (in the bitmap's pixels) in this frame.
    void showChanged(const QRegion& area);

    TFramePacer pacer_;
    TStraightPut straight_;
};
