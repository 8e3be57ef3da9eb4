#include "ShellService.h"

#include <QProcess>

namespace {

class RealShell : public ShellService {
public:
    int Execute(const QString& file, const QString& params, const QString& dir, int) override
    {
        const QStringList args = QProcess::splitCommand(params);
        return QProcess::startDetached(file, args, dir) ? 42 : 2;
    }
};

} // namespace

std::unique_ptr<ShellService> ShellService::MakeReal() { return std::make_unique<RealShell>(); }
