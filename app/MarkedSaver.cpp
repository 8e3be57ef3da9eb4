#include "MarkedSaver.h"

#include "Application.h"
#include "FileIO.h"
#include "Picture.h"
#include "Services.h"

#include <QThreadPool>
#include <QTimer>

namespace {

// How long the marks must rest before the marked picture is saved: a crash
// loses at most this and the save's own time.
constexpr int MarksSettleMs = 1000;

} // namespace

TMarkedSaver::TMarkedSaver(TPicture& picture, QString path, QWidget* owner)
    : picture_(picture), path_(std::move(path)), owner_(owner)
{
    settled_ = std::make_unique<QTimer>();
    settled_->setSingleShot(true);
    QObject::connect(settled_.get(), &QTimer::timeout, this, [this] { saveWhenSettled(); });
    saver_ = std::make_unique<QThreadPool>();
    saver_->setMaxThreadCount(1);
    // A stroke changes the picture twice a pointer move: the time is noted,
    // and the timer is armed only when it is not running already.
    const auto restart = [this] {
        lastChange_.start();
        if (!settled_->isActive())
            settled_->start(MarksSettleMs);
    };
    // Strokes come through the canvas, a new capture or a Clear through the picture.
    auto repaint = picture.Canvas().OnChange;
    picture.Canvas().OnChange = [repaint, restart](const QRegion& area) {
        if (repaint)
            repaint(area);
        restart();
    };
    picture.AddChangeListener(restart);
}

TMarkedSaver::~TMarkedSaver() { Finish(); }

void TMarkedSaver::Finish() { saver_->waitForDone(); }

void TMarkedSaver::saveWhenSettled()
{
    const qint64 rest = MarksSettleMs - lastChange_.elapsed();
    if (rest > 0)
        settled_->start(int(rest));
    else
        saveInBackground();
}

void TMarkedSaver::saveInBackground()
{
    // Copied now, while the marks rest: a shared copy would make the next
    // stroke pay for a whole frame the moment it starts.
    const QImage marked = picture_.Bitmap().copy();
    if (marked.isNull())
        return;
    saver_->start([this, marked, path = path_] {
        const QString error = writeBitmapFile(marked, path);
        if (error.isEmpty())
            return;
        // Told once, on the user-interface thread; later failures say nothing new.
        QMetaObject::invokeMethod(this, [this, error] {
            if (!owner_ || failed_)
                return;
            failed_ = true;
            Services::Messages().Show(owner_, MessageRequest{error, Application->Title, MsgButtons::OK, MsgIcon::Error});
        }, Qt::QueuedConnection);
    });
}
