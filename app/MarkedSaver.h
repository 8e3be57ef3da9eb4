// Keeps the picture as marked up on disk, for a recovery after a crash: it is
// saved a moment after the marks stop changing, one save at a time, off the
// user-interface thread.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class TPicture;
class QThreadPool;
class QTimer;

class TMarkedSaver : public QObject {
public:
    // A failed save is told once, in a message box over owner.
    TMarkedSaver(TPicture& picture, QString path, QWidget* owner);
    // Waits for the save under way.
    ~TMarkedSaver() override;
    void Finish();

private:
    // Saves once the marks have rested for the whole settling time.
    void saveWhenSettled();
    void saveInBackground();
    TPicture& picture_;
    const QString path_;
    QPointer<QWidget> owner_;
    std::unique_ptr<QTimer> settled_;
    QElapsedTimer lastChange_;
    std::unique_ptr<QThreadPool> saver_;
    bool failed_ = false;
};
