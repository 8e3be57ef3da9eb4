#include "ToneService.h"

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace {

QByteArray toneWave(int frequency, int milliseconds)
{
    constexpr int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray wav(44 + samples * 2, '\0');
    char* d = wav.data();
    auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, d + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian<quint16>(v, d + at); };
    memcpy(d, "RIFF", 4);
    put32(4, 36 + samples * 2);
    memcpy(d + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, rate);
    put32(28, rate * 2);
    put16(32, 2);
    put16(34, 16);
    memcpy(d + 36, "data", 4);
    put32(40, samples * 2);
    for (int i = 0; i < samples; ++i)
        put16(44 + i * 2, quint16(qint16(8000 * std::sin(2 * M_PI * frequency * i / rate))));
    return wav;
}

class RealTone : public ToneService {
public:
    void Beep(int frequency, int milliseconds) override
    {
        const QString player = QStandardPaths::findExecutable(QStringLiteral("aplay"));
        QElapsedTimer clock;
        clock.start();
        if (!player.isEmpty()) {
            QProcess process;
            process.start(player, {QStringLiteral("-q"), QStringLiteral("-")});
            if (process.waitForStarted(500)) {
                process.write(toneWave(frequency, milliseconds));
                process.closeWriteChannel();
                process.waitForFinished(milliseconds + 1000);
                return;
            }
        }
        QApplication::beep();
        const qint64 left = milliseconds - clock.elapsed();
        if (left > 0)
            QThread::msleep(left);
    }
};

} // namespace

std::unique_ptr<ToneService> ToneService::MakeReal() { return std::make_unique<RealTone>(); }
