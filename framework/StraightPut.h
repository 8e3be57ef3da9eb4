// Small changes of a bitmap go straight onto its widget's window, past the
// toolkit's backing store. What went straight is painted into the backing
// store too, before the window is restored from it (another window uncovers
// it) and once the changes rest.
#pragma once

#include "WindowPut.h"

#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWindow>
#include <functional>

class QImage;
class QWidget;

class TStraightPut : public QObject {
public:
    // `repaint` has the widget repaint an area of the bitmap through the toolkit.
    TStraightPut(const QWidget* widget, std::function<void(const QRegion&)> repaint);

    // Puts the area (in the bitmap's pixels); false, with nothing put, when
    // it is too large to gain or the window does not take it straight.
    bool Put(const QImage& bitmap, const QRegion& area);

protected:
    // Called for each event of the widget's window: an Expose first brings
    // the backing store up to date.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void putPast(const QRegion& area);
    void catchUp();

    const QWidget* widget_;
    std::function<void(const QRegion&)> repaint_;
    TWindowPut put_;
    QRegion putPast_;
    QTimer catchUp_;
    QPointer<QWindow> watched_;
};
