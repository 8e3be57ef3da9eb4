// The application object: title, message processing, termination, and the
// standard exception box that reports an error escaping an event handler.
#pragma once

// The entry point makes its Qt application here too.
#include "GuardedApplication.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

class QWidget;

class TApplication {
public:
    QString Title;
    QWidget* MainForm = nullptr;
    bool Terminated = false;

    void ProcessMessages();
    // Hides every window of the program that is up and returns them, so that
    // a screen grab sees none of them.
    QList<QPointer<QWidget>> HideWindows();
    // Puts back, where they were, the windows HideWindows took away.
    void ShowWindows(const QList<QPointer<QWidget>>& windows);
    void Terminate();
    // Gives the keyboard to the main form, when it is up and no other window
    // of the program has it: the full-screen surface never takes it, so
    // without this the keys would go to whatever window the window manager
    // picks beneath the surface.
    void ActivateMainForm();
    // Shows the message of an error in one box: caption the title, OK only.
    void ShowException(const std::exception& error);

    // Runs an event handler; an error it raises is shown and the handler ends,
    // while the program goes on.
    template <class Handler>
    void Guard(Handler&& handler)
    {
        try {
            handler();
        } catch (const std::exception& error) {
            ShowException(error);
        }
    }
};

extern TApplication* Application;

// SIGTERM, SIGINT and SIGHUP call orderlyEnd from the event loop (never from
// the signal itself), so that a logout or Ctrl+C closes the program as Quit
// does. Call once, after the Qt application exists.
void runOnTerminationSignals(std::function<void()> orderlyEnd);
