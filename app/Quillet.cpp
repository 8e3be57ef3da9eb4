// Screen Quillet: mark up whatever is on the screen.
#include "Application.h"
#include "Exceptions.h"
#include "Main.h"
#include "Stamp.h"
#include "Utillity.h"
#include "Viewer.h"

#include <QtGlobal>
#include <csignal>

namespace {

// A signal closes as Quit does, but nobody may be there to answer a box: a
// failure goes to the error output instead. During the start the settings
// are not all read yet and would be written over with defaults: the run just
// ends, and the next start offers the recovery again.
void closeOnSignal()
{
    if (fMain && !fMain->Starting()) {
        TCloseAction action = caHide;
        try {
            fMain->FormClose(fMain, action);
        } catch (const std::exception& error) {
            qWarning("%s", error.what());
        }
    }
    Application->Terminate();
}

} // namespace

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv);
    // The program ends by its Quit button or the bar's close box only: the
    // bar hides itself while a capture is taken.
    app.setQuitOnLastWindowClosed(false);
    Application->Title = QStringLiteral("Screen Quillet");
    // A file-size limit makes a write fail with a reason instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    runOnTerminationSignals(closeOnSignal);
    try {
        fMain = new TfMain();
        Application->MainForm = fMain;
        fViewer = new TfViewer();
        fSetup = new TfSetup();
        fStamp = new TfStamp();
        fMain->Show();
        // A signal during the first show has already ended the run.
        if (!Application->Terminated)
            app.exec();
        fMain->FinishMarkedSaves();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    return 0;
}
