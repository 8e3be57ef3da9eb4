// The control kinds the forms use, each a small Qt widget that keeps its
// design position, size and state, with the properties and events the forms
// read and write.
#pragma once

#include "Canvas.h"
#include "Picture.h"
#include "Types.h"
#include "WindowPut.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QWindow>
#include <functional>

class QMouseEvent;

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMouseEvent = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

TShiftState shiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
TMouseButton buttonOf(Qt::MouseButton button);

// Run an event handler, if there is one; an error it raises is shown in the
// standard exception box.
void fireNotify(const TNotifyEvent& handler, QObject* sender);
// A scale other than 1 reports the position multiplied by it, to the whole pixel it lies in.
void fireMouse(const TMouseEvent& handler, QObject* sender, QMouseEvent* event, qreal scale = 1);
void fireMouseMove(const TMouseMoveEvent& handler, QObject* sender, QMouseEvent* event, qreal scale = 1);

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
    void AlignClient();
};

// A flat button with a glyph that may stay down; buttons of one group on one
// parent release one another.
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
    const QImage& Glyph() const { return glyph_; }
    void SetCaption(const QString& caption);
    QString Caption() const { return text(); }
    void SetFont(const TFont& font);
    // As a press and release by the user: toggles by the group rules, then OnClick.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void releaseOthers();
    bool down_ = false;
    QImage glyph_;
    TColor fontColor_ = clBlack;
};

class TBitBtn : public TControl<QPushButton> {
public:
    TBitBtn(QWidget* parent, const QString& caption, int left, int top, int width, int height);
    TNotifyEvent OnClick;
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);
    void SetBold(bool bold);
    void SetGlyph(const QImage& glyph);
    void Click() { click(); }

private:
    TColor fontColor_ = clBlack;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

// A figure drawn with a pen and a brush, as the indicators and previews are.
class TShape : public TControl<QWidget> {
public:
    TShape(QWidget* parent, int left, int top, int width, int height, TShapeType shape = stRectangle);

    const TPen& Pen() const { return pen_; }
    const TBrush& Brush() const { return brush_; }
    TShapeType Shape() const { return shape_; }
    void SetPen(const TPen& pen);
    void SetPenColor(TColor color);
    void SetPenWidth(int width);
    void SetPenStyle(TPenStyle style);
    void SetBrush(const TBrush& brush);
    void SetBrushColor(TColor color);
    void SetBrushStyle(TBrushStyle style);
    void SetShape(TShapeType shape);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPen pen_;
    TBrush brush_;
    TShapeType shape_;
};

class TBevel : public TControl<QFrame> {
public:
    TBevel(QWidget* parent, int left, int top, int width, int height);
};

class TLabel : public TControl<QLabel> {
public:
    // A label sizes itself to its caption unless a width is given.
    TLabel(QWidget* parent, const QString& caption, int left, int top, int width = 0, int height = 0);
    TNotifyEvent OnClick;
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool AutoSize = true;
    // Font heights in the screen's device pixels, for a label that is printed
    // into the snapshot; set before the font.
    bool DevicePixels = false;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void refresh();
    QString caption_;
    TFont font_{QStringLiteral("MS Sans Serif"), 8, clBlack, 0};
    TColor color_ = clSilver;
    bool transparent_ = false;
};

class TEdit : public TControl<QLineEdit> {
public:
    TEdit(QWidget* parent, int left, int top, int width, int height);
    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    QString Text() const { return text(); }
    void SetText(const QString& text) { setText(text); }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    void SetFont(const TFont& font);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    TColor color_ = clWhite;
};

class TCheckBox : public TControl<QCheckBox> {
public:
    TCheckBox(QWidget* parent, const QString& caption, int left, int top, int width, int height);
    // Runs whenever the check changes, by the user or by the program.
    TNotifyEvent OnClick;
    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }
    void SetColor(TColor color);
    void SetFont(const TFont& font, TColor color);
};

class TComboBox : public TControl<QComboBox> {
public:
    TComboBox(QWidget* parent, int left, int top, int width, int height);
    // Runs when the user picks an entry or edits the text.
    TNotifyEvent OnChange;
    QString Text() const { return currentText(); }
    void SetText(const QString& text);
    QStringList Items() const;
    void AddItem(const QString& item);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index) { setCurrentIndex(index); }
    void showPopup() override;

private:
    bool sorted_ = false;
};

// A vertical slider with its minimum at the top. Setting the position from
// the program does not run OnChange; moving it by hand does.
class TTrackBar : public TControl<QSlider> {
public:
    TTrackBar(QWidget* parent, int left, int top, int width, int height, int min, int max, int position);
    TNotifyEvent OnChange;
    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    int Position() const { return value(); }
    // Kept within Min..Max.
    void SetPosition(int position);

private:
    bool programmatic_ = false;
};

class TNotebook : public TControl<QStackedWidget> {
public:
    TNotebook(QWidget* parent, const QStringList& pages, int left, int top, int width, int height);
    QWidget* Page(int index) const { return widget(index); }
    QString PageCaption(int index) const { return captions_.value(index); }
    int PageIndex() const { return currentIndex(); }
    void SetPageIndex(int index) { setCurrentIndex(index); }

private:
    QStringList captions_;
};

class TPanel : public TControl<QFrame> {
public:
    TPanel(QWidget* parent, int left, int top, int width, int height);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    TColor color_ = clSilver;
    TFont font_{QStringLiteral("Arial"), 10, clBlack, 0};
};

// Shows a picture, stretched to the control or at its own size, and repaints
// only the rectangles that drawing on the picture's canvas touched.
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
    void NextFrame() { repaintSoon(QRegion()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QRect pictureRect() const;
    qreal mouseScale() const;

private:
    // The pointer can move several times in one frame of the display; what
    // drawing touched meanwhile (in the bitmap's pixels) is gathered and shown
    // once a frame.
    void repaintSoon(const QRegion& area);
    void repaintPending();
    int frameMs() const;
    QRegion pending_;
    QTimer nextFrame_;
    QElapsedTimer sinceRepaint_;
    bool framing_ = false;
    // What went straight to the window is painted into the backing store too,
    // before the window is restored from it and once the changes rest.
    void putPast(const QRegion& area);
    void catchUp();
    bool eventFilter(QObject* watched, QEvent* event) override;
    TWindowPut put_;
    QRegion putPast_;
    QTimer catchUp_;
    QPointer<QWindow> watched_;
};

class TTimer : public QObject {
public:
    TTimer(QObject* owner, int interval, bool enabled);
    TNotifyEvent OnTimer;
    bool Enabled() const { return timer_.isActive(); }
    void SetEnabled(bool enabled);
    int Interval() const { return timer_.interval(); }

private:
    QTimer timer_;
};

// Implementation of the template's one out-of-line member.
void alignToParent(QWidget* widget);
template <class QtBase>
void TControl<QtBase>::AlignClient()
{
    alignToParent(this);
}
