// Feeds each file of the folders given (or each file given) to the fuzz target
// once: the corpus replayed as a plain test in a build without libFuzzer.
#include "Fuzzing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList inputsIn(const QString& path)
{
    if (!QFileInfo(path).isDir())
        return {path};
    QStringList files;
    const QDir dir(path);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const QString& input : inputsIn(QString::fromLocal8Bit(argv[i]))) {
            QFile file(input);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(input));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            std::fprintf(stderr, "%s\n", qPrintable(input));
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    // No input at all means a wrong folder, not a pass.
    return replayed > 0 ? 0 : 1;
}
