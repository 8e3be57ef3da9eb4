// Screen Quillet: mark up whatever is on the screen.
#include "Application.h"
#include "Exceptions.h"
#include "FontWarmUp.h"
#include "Main.h"
#include "Session.h"
#include "SessionBusWarmUp.h"
#include "Stamp.h"
#include "Stamp2.h"
#include "Utillity.h"
#include "Viewer.h"

#include <QtGlobal>
#include <csignal>
#include <memory>

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

// The program's forms, made in the order the others rely on. They live until
// the run ends and are then taken down in the reverse order, the global
// pointers with them.
class ProgramForms {
public:
    void make()
    {
        bar_ = std::make_unique<TfMain>();
        fMain = bar_.get();
        Application->MainForm = fMain;
        surface_ = std::make_unique<TfViewer>();
        fViewer = surface_.get();
        // Built when first needed: no later than just after the bar's first paint.
        SetSetupDialogMaker([this] {
            setup_ = std::make_unique<TfSetup>();
            fSetup = setup_.get();
        });
        stamp_ = std::make_unique<TfStamp>();
        fStamp = stamp_.get();
    }

    ~ProgramForms()
    {
        stamp_.reset();
        SetSetupDialogMaker(nullptr);
        setup_.reset();
        surface_.reset();
        bar_.reset(); // and the banners with it
        fStamp2 = nullptr;
        fStamp = nullptr;
        fSetup = nullptr;
        fViewer = nullptr;
        fMain = nullptr;
        Application->MainForm = nullptr;
    }

private:
    std::unique_ptr<TfMain> bar_;
    std::unique_ptr<TfViewer> surface_;
    std::unique_ptr<TfSetup> setup_;
    std::unique_ptr<TfStamp> stamp_;
};

} // namespace

int main(int argc, char** argv)
{
    Session::PreferX11OnWayland();
    SessionBusWarmUp bus;
    FontWarmUp fonts;
    GuardedApplication app(argc, argv);
    // The program ends by its Quit button or the bar's close box only: the
    // bar hides itself while a capture is taken.
    app.setQuitOnLastWindowClosed(false);
    Application->Title = QStringLiteral("Screen Quillet");
    // A file-size limit makes a write fail with a reason instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    runOnTerminationSignals(closeOnSignal);
    ProgramForms forms;
    try {
        forms.make();
        fMain->Show();
        // Nothing measures text on the way to the bar's map (a box asked
        // before it reads the configuration itself, to no harm); the bar's
        // first paint does.
        fonts.Wait();
        // A signal during the first show has already ended the run.
        if (!Application->Terminated)
            app.exec();
        fMain->FinishMarkedSaves();
    } catch (const Exception& error) {
        Application->ShowException(error);
    }
    return 0;
}
