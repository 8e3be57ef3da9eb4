#include "Form.h"

#include "Application.h"
#include "CompositorPlacement.h"
#include "Desktop.h"

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QtMath>

TForm::TForm(QWidget* owner) : TControl(owner, Qt::Window)
{
    applyFlags();
    SetColor(color_);
}

TForm::~TForm()
{
    if (modalLoop_)
        modalLoop_->quit();
}

void TForm::applyFlags()
{
    const bool shown = isVisible();
    const QRect geometry = this->geometry();
    Qt::WindowFlags flags = Qt::Window;
    if (coversDesktop_)
        // Full screen, above and never focused: the combination that keeps it
        // over panels at 0,0 under the window managers people use, with the
        // bar and its dialogs above it as its transients.
        flags |= Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
    else if (borderStyle_ == bsNone)
        flags |= Qt::FramelessWindowHint;
    else if (borderStyle_ == bsDialog)
        flags |= Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    else
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint;
    if (stayOnTop_)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    if (borderStyle_ == bsNone)
        fixSize(); // a borderless form has no frame to drag: no constraint
    setGeometry(geometry);
    setWindowState(coversDesktop_ ? Qt::WindowFullScreen : Qt::WindowNoState);
    // Changing the flags of a window takes it off the screen; put it back.
    if (shown)
        show();
}

void TForm::fixSize()
{
    if (borderStyle_ == bsNone) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(size());
    }
}

QRect DesktopBounds()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
}

QRect DevicePixels(const QWidget* window, const QRect& area)
{
    const qreal ratio = window->devicePixelRatioF();
    return QRect((QPointF(area.topLeft()) * ratio).toPoint(), (QSizeF(area.size()) * ratio).toSize());
}

QSize LogicalSize(const QWidget* window, const QSize& devicePixels)
{
    const qreal ratio = window->devicePixelRatioF();
    return QSize(qCeil(devicePixels.width() / ratio), qCeil(devicePixels.height() / ratio));
}

namespace {
// The frame of the last bordered form a window manager framed: the best guess
// for a form that is not framed yet. Without a window manager it stays empty.
QMargins lastFrame;
} // namespace

QMargins TForm::frame() const
{
    if (borderStyle_ == bsNone || coversDesktop_)
        return QMargins();
    // As the window manager announces it: the toolkit's own idea of the
    // frame lags behind some window managers.
    const QMargins seen = isVisible() ? Desktop::FrameExtents(this) : QMargins();
    if (seen.isNull())
        return lastFrame;
    lastFrame = seen;
    return seen;
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    outerBounds_ = QRect(left, top, width, height);
    framingLeft_ = 3;
    placeOuterBounds();
    if (isVisible())
        awaitFrame();
}

void TForm::placeOuterBounds()
{
    placedFrame_ = frame();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The inside, placed by itself: the toolkit's move() would add the frame
    // it believes in, which may be stale or not known yet. Where the
    // compositor places windows, a shown one of the right size is only moved
    // by it: asking the X server would have it centred for a moment, and a
    // click then would miss.
    const QRect inside = outerBounds_.marginsRemoved(placedFrame_);
    if (!isVisible() || size() != inside.size() || !CompositorPlacement::PlacesWindows())
        setGeometry(inside);
    fixSize();
    CompositorPlacement::Place(this, outerBounds_.topLeft());
}

void TForm::followFrame()
{
    if (framingLeft_ <= 0 || !isVisible() || framing_.hasExpired(FramingMs))
        return; // where the form is now is the user's business
    if (Desktop::FrameExtents(this).isNull() && !frame().isNull())
        return; // not framed yet
    if (frame() == placedFrame_ && OuterBounds() == outerBounds_)
        return; // a window manager may still change its frame a moment later
    // A guessed frame, the toolkit's stale one when the border came back, or
    // a window manager that kept the old size of a window it was mapping.
    --framingLeft_;
    placeOuterBounds();
}

// A window manager frames and places a form a moment after it is mapped or
// moved, and may change its mind once more: the form follows for a while.
void TForm::awaitFrame()
{
    framing_.start();
    for (int ms : {50, 200, 600, FramingMs - 200})
        QTimer::singleShot(ms, this, [this] { followFrame(); });
}

void TForm::SetDesignBounds(int left, int top, int clientWidth, int clientHeight)
{
    framingLeft_ = 0;
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(clientWidth, clientHeight);
    move(left, top);
    fixSize();
    CompositorPlacement::Place(this, QPoint(left, top));
}

void TForm::BringToFront()
{
    raise();
    CompositorPlacement::Raise(this);
}

void TForm::SetCoversDesktop(bool covers)
{
    if (covers == coversDesktop_)
        return;
    coversDesktop_ = covers;
    applyFlags();
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    applyFlags();
}

void TForm::SetStayOnTop(bool onTop)
{
    if (onTop == stayOnTop_) {
        if (onTop && isVisible())
            raise();
        return;
    }
    stayOnTop_ = onTop;
    applyFlags();
}

void TForm::SetColor(TColor color)
{
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, toQColor(color));
    setPalette(p);
    setAutoFillBackground(true);
}

TModalResult TForm::ShowModal()
{
    ModalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    modalLoop_ = &loop;
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    modalLoop_ = nullptr;
    setWindowModality(Qt::NonModal);
    return ModalResult == mrNone ? mrCancel : ModalResult;
}

void TForm::Close()
{
    if (closing_)
        return;
    closing_ = true;
    TCloseAction action = caHide;
    if (OnClose) {
        const auto handler = OnClose;
        Application->Guard([&] { handler(this, action); });
    }
    closing_ = false;
    if (action == caNone)
        return;
    hide();
    if (Application->MainForm == this)
        Application->Terminate();
}

// Without a window manager nothing keeps the stay-on-top windows above a
// window shown later, so they are raised again after every show.
void raiseStayOnTopForms()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* form = dynamic_cast<TForm*>(w);
        if (form && form->StayOnTop() && form->isVisible())
            form->BringToFront();
    }
}

namespace {
// The form that covers the desktop while it is up.
QPointer<TForm> coveringForm;

QList<TForm*> visibleStayOnTopForms()
{
    QList<TForm*> forms;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* form = dynamic_cast<TForm*>(w);
        if (form && form->StayOnTop() && form->isVisible() && !form->CoversDesktop())
            forms << form;
    }
    return forms;
}
} // namespace

// A window manager stacks a full-screen window that has (or whose transient
// has) the focus above every "always on top" window and the panels; the
// stay-on-top forms join its layer as its transients. The toolkit writes the
// transient owner anew at every show, so this runs after each one.
void TForm::settleWithWindowManager()
{
    if (!isVisible())
        return;
    if (Application->MainForm != this)
        Desktop::SkipTaskbar(this); // one task-list entry: the main form's
    if (coversDesktop_) {
        coveringForm = this;
        Desktop::CoverAllMonitors(this);
        CompositorPlacement::CoverAllOutputs(this);
        for (TForm* form : visibleStayOnTopForms()) {
            Desktop::SetTransientFor(form, this);
            form->BringToFront();
        }
    } else if (stayOnTop_ && coveringForm && coveringForm->isVisible()) {
        Desktop::SetTransientFor(this, coveringForm);
        BringToFront();
    }
}

bool TForm::event(QEvent* event)
{
    const bool handled = TControl::event(event);
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        followFrame();
    if (event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, [this] { fireNotify(OnFirstPaint, this); });
    }
    return handled;
}

void TForm::PrepareFirstShow()
{
    if (isVisible())
        return;
    winId();
    QBackingStore* store = backingStore();
    if (!store || store->size() == size())
        return;
    // The store's pixels are touched once here: a fresh buffer of a whole
    // screen costs its page faults at the first paint otherwise.
    store->resize(size());
    const QRegion all(QRect(QPoint(0, 0), size()));
    store->beginPaint(all);
    if (QPaintDevice* device = store->paintDevice()) {
        QPainter painter(device);
        painter.fillRect(all.boundingRect(), Qt::black);
    }
    store->endPaint();
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The show handler may run a dialog of its own (the bar's recovery
    // question) before the window is mapped: the window manager's framing
    // and stacking are followed from when the window is really on the screen.
    if (!event->spontaneous())
        fireNotify(OnShow, this);
    if (!isVisible())
        return;
    if (!stayOnTop_)
        QTimer::singleShot(0, qApp, raiseStayOnTopForms);
    QTimer::singleShot(0, this, [this] { settleWithWindowManager(); });
    awaitFrame();
}

void TForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (coversDesktop_ && coveringForm == this && !event->spontaneous()) {
        coveringForm = nullptr;
        for (TForm* form : visibleStayOnTopForms())
            Desktop::SetTransientFor(form, nullptr);
    }
    if (modalLoop_ && !event->spontaneous())
        modalLoop_->quit();
    // A window of the program closed: the keys go back to the bar rather
    // than to a window beneath the surface.
    if (!event->spontaneous() && Application->MainForm != this && isActiveWindow())
        QTimer::singleShot(0, qApp, [] { Application->ActivateMainForm(); });
}

void TForm::closeEvent(QCloseEvent* event)
{
    // The window's close box: the same road as Close. Once the program is
    // ending, windows simply go.
    event->ignore();
    if (Application->Terminated)
        event->accept();
    else
        Close();
}

void TForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && CloseOnEscape)
        Close();
    else if (event->key() == Qt::Key_Escape && CancelButton && CancelButton->isEnabled())
        CancelButton->click();
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && DefaultButton &&
             DefaultButton->isEnabled())
        DefaultButton->click();
    else
        QWidget::keyPressEvent(event);
}

void TForm::mousePressEvent(QMouseEvent* e) { fireMouse(OnMouseDown, this, e); }
void TForm::mouseMoveEvent(QMouseEvent* e) { fireMouseMove(OnMouseMove, this, e); }
void TForm::mouseReleaseEvent(QMouseEvent* e) { fireMouse(OnMouseUp, this, e); }
