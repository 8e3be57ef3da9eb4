// The base of every window of the program: geometry in the classic terms,
// border and stay-on-top styles, show, modal show and close, and the form's
// create, show, close and mouse events.
#pragma once

#include "Controls.h"

#include <QElapsedTimer>
#include <functional>
#include <utility>
#include <QWidget>

class QEventLoop;

enum TFormBorderStyle { bsNone, bsSingle, bsDialog };

// The whole desktop, every monitor, in the coordinates windows are placed in.
QRect DesktopBounds();
// A rectangle of a window's coordinates in the screen's device pixels.
QRect DevicePixels(const QWidget* window, const QRect& area);
// The size in a window's coordinates that covers the given device pixels,
// rounded up so none of them is cut off.
QSize LogicalSize(const QWidget* window, const QSize& devicePixels);

// Binds an event of a control or form to a handler of a form, in one line:
// Wire(btnOK->OnClick, this, &TMyForm::btnOKClick).
template <typename... Args, typename Object, typename Class>
void Wire(std::function<void(Args...)>& event, Object* object, void (Class::*handler)(Args...))
{
    event = [object, handler](Args... args) { (object->*handler)(std::forward<Args>(args)...); };
}

class TForm : public TControl<QWidget> {
public:
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;

    TNotifyEvent OnShow;
    std::function<void(QObject* Sender, TCloseAction& Action)> OnClose;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    // Once, from the event loop, after the form's first paint: what can wait
    // until the form is on the screen.
    TNotifyEvent OnFirstPaint;

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    bool StayOnTop() const { return stayOnTop_; }
    void SetStayOnTop(bool onTop);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // Once a window manager frames the form, Left, Top, Width and Height are
    // its outer bounds, frame included; ClientWidth and ClientHeight the inside.
    QRect OuterBounds() const { return geometry().marginsAdded(frame()); }
    int Left() const { return OuterBounds().x(); }
    int Top() const { return OuterBounds().y(); }
    int Width() const { return OuterBounds().width(); }
    int Height() const { return OuterBounds().height(); }
    // Places the form by its outer bounds; a bordered form keeps that size
    // against dragging of its frame.
    void SetBounds(int left, int top, int width, int height);
    // Places the frame's corner and sizes the inside, as a form's design gives them.
    void SetDesignBounds(int left, int top, int clientWidth, int clientHeight);
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }
    // A borderless window over the whole desktop, panels included; the
    // stay-on-top forms stay above it while it is up.
    bool CoversDesktop() const { return coversDesktop_; }
    // Above the program's other windows, on every desktop.
    void BringToFront();
    void SetCoversDesktop(bool covers);
    // Makes the hidden form's window and its backing store at the form's size
    // now, so that its first show costs no more than a later one.
    void PrepareFirstShow();

    // Runs a modal loop until the form is hidden or closed.
    TModalResult ShowModal();
    TModalResult ModalResult = mrNone;
    // Escape clicks the cancel-kind button, Return the OK-kind one.
    TBitBtn* CancelButton = nullptr;
    TBitBtn* DefaultButton = nullptr;
    // Escape closes the form (floating windows that are dismissed, not confirmed).
    bool CloseOnEscape = false;
    // Runs OnClose, then hides the form; closing the main form ends the program.
    void Close();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyFlags();
    void fixSize();
    // The frame the window manager draws around the form, or the last one
    // seen on a bordered form while this one is not framed yet.
    QMargins frame() const;
    void placeOuterBounds();
    // Sizes the inside again once the real frame is known.
    void followFrame();
    void awaitFrame();
    static constexpr int FramingMs = 1200;
    QElapsedTimer framing_;
    // Tells the window manager where the form belongs; runs after each show.
    void settleWithWindowManager();
    QRect outerBounds_;
    // Corrections still allowed once the window manager has framed the form.
    int framingLeft_ = 0;
    QMargins placedFrame_;
    bool coversDesktop_ = false;
    TFormBorderStyle borderStyle_ = bsSingle;
    bool stayOnTop_ = false;
    TColor color_ = clSilver;
    QEventLoop* modalLoop_ = nullptr;
    bool closing_ = false;
    bool painted_ = false;
};

