// Pixel rules of the classic desktop graphics that Qt's painter does not
// follow: thin lines that take the nearest pixel at each step and leave out
// their last one, styled pens whose pattern runs on along a figure, and wide
// pens centred on the pixel with round ends. Each figure is handed out as
// runs of pixels (row y, columns x0..x1) so the canvas can apply its pen mode.
#pragma once

#include <QPoint>
#include <QRect>
#include <functional>
#include <vector>

namespace classic {

using RunSink = std::function<void(int y, int x0, int x1)>;

// The on/off lengths of a styled 1-pixel pen, and where along them it is.
class Dashes {
public:
    explicit Dashes(std::vector<int> lengths = {}) : lengths_(std::move(lengths)) {}
    bool solid() const { return lengths_.empty(); }
    // Whether the next pixel is painted by the pen (else it is a gap).
    bool next();

private:
    std::vector<int> lengths_;
    size_t part_ = 0;
    int done_ = 0;
};

// A 1-pixel line from `from` up to, but not including, `to`; calls pen for
// pattern pixels and gap for the gaps of a styled pen.
void thinLine(QPoint from, QPoint to, Dashes& dashes, const RunSink& pen, const RunSink& gap);

// The pixels a wide pen covers along a path, with round ends and joins: a
// wide line, or a closed outline when closed is set.
void widePath(const std::vector<QPoint>& points, int width, bool closed, const RunSink& sink);

// The rows of an ellipse filling the box (L, T, R, B) over L..R-1, T..B-1:
// for each row, its outline runs (one on each side, or one across the top
// and bottom rows) and the interior between them.
struct EllipseRow {
    int y;
    int outerLeft, innerLeft; // outline from outerLeft to innerLeft - 1
    int innerRight, outerRight; // outline from innerRight + 1 to outerRight
};
std::vector<EllipseRow> ellipseRows(const QRect& box);
// The same for a box with rounded corners, each a quarter of the ellipse
// cornerWidth x cornerHeight, joined by straight sides.
std::vector<EllipseRow> roundRectRows(const QRect& box, int cornerWidth, int cornerHeight);
// The pixels a wide pen covers round a box whose thin outline runs through
// columns l and r and rows t and b.
// Rows skipTop..skipBottom are left out, for a caller that paints them whole.
void wideBox(int l, int t, int r, int b, int width, const RunSink& sink, int skipTop = 1, int skipBottom = 0);
// The rows of that box where only its two sides pass, each side a plain
// rectangle; none when the corners reach every row or the sides touch.
struct BoxSides {
    QRect left, right;
};
BoxSides wideBoxSides(int l, int t, int r, int b, int width);
// The pixels a wide pen covers along a thin outline given by those rows,
// walked as a closed wide path through each of its pixels.
void wideOutline(const std::vector<EllipseRow>& rows, int width, const RunSink& sink);

// Visits the outline pixels of those rows in the order a styled pen walks
// them: from the right end of the upper middle row, anticlockwise.
void walkOutline(const std::vector<EllipseRow>& rows, const std::function<void(int x, int y)>& visit);

} // namespace classic
