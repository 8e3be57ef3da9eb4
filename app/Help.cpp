#include "Help.h"

#include <QTextBrowser>

TfHelp::TfHelp(QWidget* owner) : TForm(owner)
{
    SetCaption(QStringLiteral("Screen Quillet Help"));
    SetBorderStyle(bsDialog);
    // Like the setup dialog, it has to stay readable above the full-screen surface.
    SetStayOnTop(true);
    SetColor(clSilver);
    setFont(TFont{QStringLiteral("MS Sans Serif"), 8, clBlack, 0}.toQFont());
    SetBounds(200, 60, 520, 560);
    Text = new QTextBrowser(this);
    Text->setGeometry(8, 8, 504, 504);
    Text->setHtml(Contents());
    btnClose = new TBitBtn(this, QStringLiteral("Close"), 222, 524, 75, 25);
    btnClose->OnClick = [this](QObject*) { Close(); };
    DefaultButton = btnClose;
    CloseOnEscape = true;
}

QString TfHelp::Contents()
{
    return QStringLiteral(
        "<h3>The control bar</h3><ul>"
        "<li><b>Capture</b> hides the bar, takes a snapshot of the whole screen and shows it full screen to "
        "draw on. The button then reads <b>Remove</b>, which puts the snapshot away.</li>"
        "<li><b>Tool Bar</b> stretches the bar along the bottom of the screen, with the drawing tools, the text "
        "box, the banner and the stamp; <b>Hide Bar</b> makes it small again.</li>"
        "<li><b>Quit</b> saves the settings and ends the program.</li>"
        "<li><b>Clear</b> removes every mark and brings back the clean snapshot; Ctrl+Z brings the marks back.</li>"
        "<li><b>Setup</b> opens the setup dialog.</li>"
        "<li>The tool buttons: freehand, line, rectangle, round rectangle, ellipse and text. Drag on the snapshot "
        "to draw; a text is placed where you press.</li>"
        "<li>The text box holds the words of the text tool and of the banner. With <b>Tablet</b> checked, "
        "entering it starts the on-screen keyboard.</li>"
        "<li>The banner button shows the typed text as a large banner, the stamp button the stamp picture. Drag "
        "either over the snapshot and let go of the mouse button to print it there; Escape closes it without "
        "printing.</li></ul>"
        "<h3>The setup dialog</h3><ul>"
        "<li><b>Line Matrix</b>: pen style, colour and thickness; the highlighter, a line held to the horizontal; "
        "the fill style and colour of the figures.</li>"
        "<li><b>Text Matrix</b>: font, size, styles, colour and background of the text; with <b>Drag</b>, a "
        "trail of copies while you drag.</li>"
        "<li><b>Stamp</b>: <b>Install</b> chooses the stamp picture.</li>"
        "<li><b>Options</b>: <b>Save</b> keeps the marked-up screen as a bitmap file, <b>Open</b> shows a saved "
        "one; the tablet option; <b>About Us</b>.</li>"
        "<li><b>Finished</b> closes the dialog. Every change takes effect at once.</li></ul>"
        "<h3>Keys while a snapshot is shown</h3><table cellspacing='4'>"
        "<tr><td><b>Ctrl+Z</b></td><td>undo the last mark, or the one being drawn</td></tr>"
        "<tr><td><b>Ctrl+Shift+Z</b>, <b>Ctrl+Y</b></td><td>redo</td></tr>"
        "<tr><td><b>Escape</b></td><td>give up the stroke being drawn</td></tr>"
        "<tr><td><b>Ctrl+C</b></td><td>copy the marked-up picture for other programs</td></tr>"
        "<tr><td><b>Ctrl+S</b></td><td>save it, as Options, Save does</td></tr>"
        "</table><h3>Always</h3><table cellspacing='4'>"
        "<tr><td><b>F1</b></td><td>this help</td></tr>"
        "<tr><td><b>Alt+Q</b></td><td>quit</td></tr></table>");
}
