// A flat button with a glyph that may stay down; buttons of one group on one
// parent release one another.
#pragma once

#include "Canvas.h"
#include "Control.h"
#include "ControlEvents.h"
#include "Types.h"

#include <QAbstractButton>
#include <QImage>
#include <functional>

class TSpeedButton : public TControl<QAbstractButton> {
public:
    TSpeedButton(QWidget* parent, int left, int top, int width = 25, int height = 25);

    int GroupIndex = 0;
    bool AllowAllUp = false;
    TNotifyEvent OnClick;

    bool Down() const { return down_; }
    // Sets the state without running OnClick; a button of a group that does
    // not allow all up stays down.
    void SetDown(bool down);
    // Lets the button up whatever its group allows.
    void Release();
    void SetGlyph(const QImage& glyph);
    // The glyph is drawn when the button is first painted or its glyph read:
    // the buttons of a window hidden at start cost nothing until it shows.
    void SetGlyphMaker(std::function<QImage()> draw);
    const QImage& Glyph() const;
    void SetCaption(const QString& caption);
    QString Caption() const { return text(); }
    void SetFont(const TFont& font);
    // As a press and release by the user: toggles by the group rules, then OnClick.
    void Click();

protected:
    // Draws the raised or sunken face with its glyph and caption.
    void paintEvent(QPaintEvent* event) override;
    // A left release inside the button clicks it.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void releaseOthers();
    bool down_ = false;
    mutable QImage glyph_;
    mutable std::function<QImage()> drawGlyph_;
    TColor fontColor_ = clBlack;
};
