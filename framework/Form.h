// The base of every window of the program: geometry in the classic terms,
// border and stay-on-top styles, show, modal show and close, and the form's
// create, show, close and mouse events.
#pragma once

#include "Controls.h"

#include <QWidget>

class QEventLoop;

enum TFormBorderStyle { bsNone, bsSingle, bsDialog };

class TForm : public TControl<QWidget> {
public:
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;

    TNotifyEvent OnShow;
    std::function<void(QObject* Sender, TCloseAction& Action)> OnClose;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    bool StayOnTop() const { return stayOnTop_; }
    void SetStayOnTop(bool onTop);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // Places the form; a bordered form keeps that size against dragging of its frame.
    void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }

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
    TFormBorderStyle borderStyle_ = bsSingle;
    bool stayOnTop_ = false;
    TColor color_ = clSilver;
    QEventLoop* modalLoop_ = nullptr;
    bool closing_ = false;
};
