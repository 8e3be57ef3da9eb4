#include "Form.h"

#include "Application.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>

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
    if (borderStyle_ == bsNone)
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

void TForm::SetBounds(int left, int top, int width, int height)
{
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setGeometry(left, top, width, height);
    fixSize();
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
            form->raise();
    }
}

void TForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!stayOnTop_)
        QTimer::singleShot(0, qApp, raiseStayOnTopForms);
    if (!event->spontaneous())
        fireNotify(OnShow, this);
}

void TForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (modalLoop_ && !event->spontaneous())
        modalLoop_->quit();
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
