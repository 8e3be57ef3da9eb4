// Builds the program's forms in a fresh program folder with scripted
// services, as the program's entry point does, and takes them down again.
#pragma once

#include "Application.h"
#include "IniFile.h"
#include "Main.h"
#include "Scripted.h"
#include "Stamp.h"
#include "Stamp2.h"
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

// The program builds its setup dialog when first needed; most tests read it
// from the start.
enum class SetupMade { AtStart, OnDemand };

class Forms {
public:
    QTemporaryDir dir;
    std::unique_ptr<ScriptedServices> services = std::make_unique<ScriptedServices>();

    // settings: the content of setup.ini, or empty for a first run. One set
    // is up at a time: the forms reach one another through the globals.
    explicit Forms(const QByteArray& settings = QByteArray(), bool defaultStamp = true,
                   SetupMade setupMade = SetupMade::AtStart)
    {
        if (fMain || fViewer || fSetup || fStamp)
            qFatal("A set of forms is still up; take it down before building another");
        QDir(dir.path()).mkdir(QStringLiteral("Stamps"));
        if (defaultStamp)
            stampPicture().save(dir.filePath(QStringLiteral("Stamps/3dArrow-rt.bmp")), "BMP");
        if (!settings.isEmpty())
            writeFile(QStringLiteral("setup.ini"), settings);
        services->screen->picture = screenPicture();
        Application->Title = QStringLiteral("Screen Quillet");
        Application->Terminated = false;
        main_ = std::make_unique<TfMain>(dir.path());
        fMain = main_.get();
        Application->MainForm = fMain;
        viewer_ = std::make_unique<TfViewer>();
        fViewer = viewer_.get();
        const auto makeSetup = [this] {
            setup_ = std::make_unique<TfSetup>();
            fSetup = setup_.get();
        };
        if (setupMade == SetupMade::AtStart)
            makeSetup();
        else
            SetSetupDialogMaker(makeSetup);
        stamp_ = std::make_unique<TfStamp>();
        fStamp = stamp_.get();
        fMain->CapturePauseMs = 0;
    }

    // Takes the forms down in the reverse order, the globals with them.
    ~Forms()
    {
        stamp_.reset();
        SetSetupDialogMaker(nullptr);
        setup_.reset();
        viewer_.reset();
        main_.reset();
        fStamp2 = nullptr;
        fMain = nullptr;
        fViewer = nullptr;
        fSetup = nullptr;
        fStamp = nullptr;
        Application->MainForm = nullptr;
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
    std::unique_ptr<TfMain> main_;
    std::unique_ptr<TfViewer> viewer_;
    std::unique_ptr<TfSetup> setup_;
    std::unique_ptr<TfStamp> stamp_;
};
