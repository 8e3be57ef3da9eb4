#include "DialogService.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QRegularExpression>

namespace {

// "Windows Bitmap|*.bmp|all files|*" becomes Qt's "Windows Bitmap (*.bmp);;all files (*)".
QString qtFilter(const QString& classic)
{
    const QStringList parts = classic.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), QString(parts[i + 1]).replace(';', ' '));
    return filters.join(QStringLiteral(";;"));
}

class RealDialogs : public DialogService {
public:
    std::optional<TColor> ChooseColor(QWidget* owner, TColor preset) override
    {
        const QColor c = QColorDialog::getColor(toQColor(preset), owner);
        if (!c.isValid())
            return std::nullopt;
        return fromQColor(c);
    }

    std::optional<TFont> ChooseFont(QWidget* owner, const TFont& preset) override
    {
        bool ok = false;
        QFont initial = preset.toQFont();
        initial.setPointSize(preset.Size);
        const QFont f = QFontDialog::getFont(&ok, initial, owner);
        if (!ok)
            return std::nullopt;
        TFont font = preset;
        font.Name = f.family();
        font.Size = f.pointSize() > 0 ? f.pointSize() : (f.pixelSize() * 72 + 48) / 96;
        font.Style = (f.bold() ? fsBold : 0) | (f.italic() ? fsItalic : 0) | (f.underline() ? fsUnderline : 0) |
                     (f.strikeOut() ? fsStrikeOut : 0);
        return font;
    }

    std::optional<QString> OpenFile(QWidget* owner, const FileDialogRequest& r) override
    {
        return run(owner, r, QFileDialog::AcceptOpen);
    }

    std::optional<QString> SaveFile(QWidget* owner, const FileDialogRequest& r) override
    {
        return run(owner, r, QFileDialog::AcceptSave);
    }

private:
    static std::optional<QString> run(QWidget* owner, const FileDialogRequest& r, QFileDialog::AcceptMode mode)
    {
        QFileDialog dialog(owner, r.title, r.initialDir, qtFilter(r.filter));
        dialog.setAcceptMode(mode);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setDefaultSuffix(r.defaultExtension);
        // A name typed without an extension takes that of the filter chosen.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, r](const QString& filter) {
            static const QRegularExpression onePattern(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
            const QRegularExpressionMatch m = onePattern.match(filter);
            dialog.setDefaultSuffix(m.hasMatch() ? m.captured(1) : r.defaultExtension);
        });
        if (!r.fileName.isEmpty())
            dialog.selectFile(r.fileName);
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

} // namespace

std::unique_ptr<DialogService> DialogService::MakeReal() { return std::make_unique<RealDialogs>(); }
