// The common dialogs: colour, font, open and save.
#pragma once

#include "Canvas.h"
#include "Types.h"

#include <QString>
#include <memory>
#include <optional>

class QWidget;

struct FileDialogRequest {
    QString title;
    QString filter;           // classic "Description|*.ext|..." form
    QString defaultExtension; // added when the typed name has none
    QString initialDir;
    QString fileName;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual std::optional<TColor> ChooseColor(QWidget* owner, TColor preset) = 0;
    virtual std::optional<TFont> ChooseFont(QWidget* owner, const TFont& preset) = 0;
    virtual std::optional<QString> OpenFile(QWidget* owner, const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFile(QWidget* owner, const FileDialogRequest& request) = 0;
    // The toolkit's own dialogs, on top of every window.
    static std::unique_ptr<DialogService> MakeReal();
};
