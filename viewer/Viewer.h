// The annotation surface: the borderless full-screen window that shows the
// snapshot and turns mouse input into strokes, figures and text drawn
// straight into the snapshot's bitmap.
#pragma once

#include "Form.h"
#include "ToolMode.h"

#include <memory>

class QShortcut;
class THistory;

class TfViewer : public TForm {
public:
    explicit TfViewer(QWidget* owner = nullptr);
    ~TfViewer() override;

    TImage* Image1;
    TLabel* Label1;
    TLabel* Label2;

    int mouseX = 0;
    int mouseY = 0;
    QString Text;
    int DragPauseCount = 0;
    int DragPauseMax = 0;
    int OffsetXY = 0;
    bool Drawing = false;
    bool Scribble = false;
    bool Writing = false;
    bool DragText = false;
    bool Marker = false;
    bool HLock = false;
    QPoint Origin;
    QPoint MovePt;
    TDrawingTool DrawingTool = dtText;

    TCanvas& Canvas() { return Image1->Canvas(); }

    // Each time the surface is shown: the pointer-to-bitmap scale.
    void FormShow(QObject* Sender);
    // One figure of the current tool between the two points.
    void DrawShape(QPoint TopLeft, QPoint BottomRight, TPenMode AMode);
    // A press anywhere on the surface starts a stroke, with any button.
    void FormMouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void FormMouseMove(QObject* Sender, TShiftState Shift, int X, int Y);
    void FormMouseUp(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    // Every mark on the picture, one step each, to undo and redo; a new
    // picture (a capture, a file opened) starts it afresh.
    THistory& History() { return *history_; }
    // Escape during a stroke: the picture is as it was before the press.
    // Returns whether a stroke was in progress.
    bool CancelStroke();
    // Ctrl+Z takes back the stroke in progress, or else the last mark.
    void Undo();
    void Redo();
    // Ctrl+C: the marked-up picture on the system clipboard, for other programs.
    void CopyPicture();
    // Ctrl+S: the save dialog of the setup dialog's options page.
    void SavePicture();

private:
    // The undo, redo, copy, save and Escape keys.
    void addShortcuts();
    // The keys work from whichever of the program's windows has the focus,
    // but only while the surface is shown.
    QShortcut* addShortcut(const QList<QKeySequence>& keys, void (TfViewer::*action)());
    void escapePressed();
    QPoint scaled(int X, int Y) const;
    // The text's top edge lies one font size, in pixels, above the pointer.
    int textRise() const { return Image1->Canvas().Font.Size; }
    // The rubber band from Origin to where the pointer last was.
    void moveBand();

    std::unique_ptr<THistory> history_;
    // Never shown: holds the two unused labels off the surface.
    std::unique_ptr<QWidget> unusedLabels_ = std::make_unique<QWidget>();
    QPoint bandTo_;
    QShortcut* escape_ = nullptr;
};

extern TfViewer* fViewer;
