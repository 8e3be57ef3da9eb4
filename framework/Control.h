// The geometry and visibility every control kind shares, under the classic
// names, on top of the Qt widget it is.
#pragma once

class QWidget;

// Keeps the widget at its parent's size from now on.
void alignToParent(QWidget* widget);

// Geometry and visibility under the classic names. Visible is the control's
// own flag, whether or not its form is on screen.
template <class QtBase>
class TControl : public QtBase {
public:
    using QtBase::QtBase;
    int Left() const { return this->x(); }
    int Top() const { return this->y(); }
    int Width() const { return this->width(); }
    int Height() const { return this->height(); }
    void SetLeft(int v) { this->move(v, this->y()); }
    void SetTop(int v) { this->move(this->x(), v); }
    void SetWidth(int v) { this->resize(v, this->height()); }
    void SetHeight(int v) { this->resize(this->width(), v); }
    void SetBounds(int l, int t, int w, int h) { this->setGeometry(l, t, w, h); }
    bool Visible() const { return !this->isHidden(); }
    void SetVisible(bool v) { this->setVisible(v); }
    void Show() { this->setVisible(true); }
    void Hide() { this->setVisible(false); }
    bool Enabled() const { return this->isEnabled(); }
    void SetEnabled(bool v) { this->setEnabled(v); }
    // Follows the parent's size, as a control aligned to the client area.
    void AlignClient() { alignToParent(this); }
};
