// The drawing tools: as the bar numbers them (and setup.ini keeps them), and
// as the surface draws them. The two orders differ: the bar counts the round
// rectangle before the ellipse, the surface the other way round.
#pragma once

enum TDrawingTool { dtText, dtScribble, dtLine, dtRectangle, dtEllipse, dtRoundRect };

// Kept as its number; a stored number outside 1..6 stays as it is and selects
// no tool.
enum class ToolMode : int { Scribble = 1, Line, Rectangle, RoundRect, Ellipse, Text };

constexpr int modeNumber(ToolMode tool) { return static_cast<int>(tool); }
constexpr ToolMode toolOfNumber(int mode) { return static_cast<ToolMode>(mode); }

// The line family draws with the line pen alone.
constexpr bool isLineFamily(ToolMode tool) { return tool == ToolMode::Scribble || tool == ToolMode::Line; }
// The box family draws with the box pen and the fill.
constexpr bool isBoxFamily(ToolMode tool)
{
    return tool == ToolMode::Rectangle || tool == ToolMode::RoundRect || tool == ToolMode::Ellipse;
}

// The surface's figure for a tool; dtText for a number that is no tool.
constexpr TDrawingTool drawingToolOf(ToolMode tool)
{
    switch (tool) {
    case ToolMode::Scribble: return dtScribble;
    case ToolMode::Line: return dtLine;
    case ToolMode::Rectangle: return dtRectangle;
    case ToolMode::RoundRect: return dtRoundRect;
    case ToolMode::Ellipse: return dtEllipse;
    case ToolMode::Text: break;
    }
    return dtText;
}
