// What drawing changes between two frames of the display is shown once, in
// the next frame; the first change after a rest shows at once.
#include "FramePacer.h"

#include <QtTest>
#include <QWidget>

class TestFramePacer : public QObject {
    Q_OBJECT
private slots:
    void gathersOneFrame()
    {
        QWidget widget;
        QList<QRegion> shown;
        QRegion held; // what the frame's held-back drawing adds
        TFramePacer* self = nullptr;
        TFramePacer pacer(
            &widget, [&] { self->Add(std::exchange(held, QRegion())); },
            [&](const QRegion& area) { shown << area; });
        self = &pacer;

        pacer.Add(QRect(0, 0, 4, 4));
        QCOMPARE(shown, QList<QRegion>{QRegion(0, 0, 4, 4)});

        // Within the same frame: nothing now, all of it together next frame,
        // with what the held-back drawing touched.
        pacer.Add(QRect(10, 0, 4, 4));
        pacer.Add(QRect(20, 0, 4, 4));
        held = QRegion(30, 0, 4, 4);
        QCOMPARE(shown.size(), 1);
        QTRY_COMPARE(shown.size(), 2);
        QCOMPARE(shown[1], QRegion(10, 0, 4, 4) + QRegion(20, 0, 4, 4) + QRegion(30, 0, 4, 4));

        // A frame asked for with nothing changed shows nothing.
        QTest::qWait(50);
        pacer.Add(QRegion());
        QTest::qWait(50);
        QCOMPARE(shown.size(), 2);
    }
};

QTEST_MAIN(TestFramePacer)
#include "test_framepacer.moc"
