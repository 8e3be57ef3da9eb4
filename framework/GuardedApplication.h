// The Qt application of the program: an error that escapes any Qt event is
// reported with the standard exception box instead of ending the program.
#pragma once

#include <QApplication>

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    // Called for every event the program gets.
    bool notify(QObject* receiver, QEvent* event) override;
};
