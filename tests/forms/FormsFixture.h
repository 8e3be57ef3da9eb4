// Builds the program's forms in a fresh program folder with scripted
// services, as the program's entry point does, and takes them down again.
#pragma once

#include "Application.h"
#include "IniFile.h"
#include "Main.h"
#include "Scripted.h"
#include "Stamp.h"
#include "Utillity.h"
#include "Viewer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

inline QImage stampPicture(int w = 120, int h = 80)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = h / 4; y < 3 * h / 4; ++y)
        for (int x = w / 4; x < 3 * w / 4; ++x)
            image.setPixel(x, y, qRgb(0, 0, 200));
    return image;
}

// A screen picture with a pattern that no tool draws.
inline QImage screenPicture(int w = 1024, int h = 768)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, 90));
    return image;
}

class Forms {
public:
    QTemporaryDir dir;
    std::unique_ptr<ScriptedServices> services = std::make_unique<ScriptedServices>();

    // settings: the content of setup.ini, or empty for a first run.
    explicit Forms(const QByteArray& settings = QByteArray(), bool defaultStamp = true)
    {
        previous_ = {fMain, fViewer, fSetup, fStamp};
        QDir(dir.path()).mkdir(QStringLiteral("Stamps"));
        if (defaultStamp)
            stampPicture().save(dir.filePath(QStringLiteral("Stamps/3dArrow-rt.bmp")), "BMP");
        if (!settings.isEmpty())
            writeFile(QStringLiteral("setup.ini"), settings);
        services->screen->picture = screenPicture();
        Application->Title = QStringLiteral("Screen Quillet");
        Application->Terminated = false;
        fMain = new TfMain(dir.path());
        Application->MainForm = fMain;
        fViewer = new TfViewer();
        fSetup = new TfSetup();
        fStamp = new TfStamp();
        fMain->CapturePauseMs = 0;
        own_ = {fMain, fViewer, fSetup, fStamp};
    }

    // Takes down its own forms (a test may build a second set over the
    // first) and gives the globals back to the set before it.
    ~Forms()
    {
        delete own_.stamp;
        delete own_.setup;
        delete own_.viewer;
        delete own_.main;
        fMain = previous_.main;
        fViewer = previous_.viewer;
        fSetup = previous_.setup;
        fStamp = previous_.stamp;
        Application->MainForm = fMain;
    }

    void start() { fMain->Show(); }

    QString path(const QString& name) const { return dir.filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }

    QByteArray readFile(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString setting(const QString& section, const QString& key) const
    {
        return TIniFile(path(QStringLiteral("setup.ini"))).ReadString(section, key, QStringLiteral("<missing>"));
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const ShownMessage& m : services->messages->shown)
            texts << m.request.text;
        return texts;
    }

    void quit() { fMain->btnQuitClick(fMain); }

private:
    struct Set {
        TfMain* main = nullptr;
        TfViewer* viewer = nullptr;
        TfSetup* setup = nullptr;
        TfStamp* stamp = nullptr;
    };
    Set own_, previous_;
};
