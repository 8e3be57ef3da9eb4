// Screen Quillet: mark up whatever is on the screen.
#include "Application.h"
#include "Exceptions.h"
#include "Main.h"
#include "Stamp.h"
#include "Utillity.h"
#include "Viewer.h"

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv);
    // The program ends by its Quit button or the bar's close box only: the
    // bar hides itself while a capture is taken.
    app.setQuitOnLastWindowClosed(false);
    Application->Title = QStringLiteral("Screen Quillet");
    try {
        fMain = new TfMain();
        Application->MainForm = fMain;
        fViewer = new TfViewer();
        fSetup = new TfSetup();
        fStamp = new TfStamp();
        fMain->Show();
        app.exec();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    return 0;
}
