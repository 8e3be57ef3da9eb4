#include "IniFile.h"

#include "FileIO.h"

#include <QFile>
#include <QStringDecoder>

namespace {

bool parseKey(const QString& line, QString* key, QString* value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return !key->isEmpty();
}

bool parseHeader(const QString& line, QString* name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

// Each line keeps its own encoding: UTF-8 where it is valid, Latin-1 for a
// line that is not, so one stray byte cannot turn the whole file to Latin-1.
QString decodeLines(const QByteArray& bytes)
{
    QStringList lines;
    for (const QByteArray& line : bytes.split('\n')) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(line);
        lines << (utf8.hasError() ? QString::fromLatin1(line) : decoded);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TIniFile::TIniFile(QString fileName) : fileName_(std::move(fileName))
{
    if (!QFile::exists(fileName_))
        return;
    QByteArray bytes;
    readError_ = readRegularFile(fileName_, MaxFileSize, &bytes);
    if (readError_.isEmpty())
        read(std::move(bytes));
}

TIniFile::TIniFile(QString fileName, QByteArray bytes) : fileName_(std::move(fileName)) { read(std::move(bytes)); }

void TIniFile::read(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bom_ = true;
        bytes.remove(0, 3);
    }
    if (!bytes.contains("\r\n") && bytes.contains('\n'))
        newline_ = QStringLiteral("\n");
    parse(decodeLines(bytes));
}

void TIniFile::parse(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    const qsizetype count = text.endsWith(QLatin1Char('\n')) ? lines.size() - 1 : lines.size();
    for (qsizetype i = 0; i < count; ++i) {
        QString raw = lines[i];
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        QString name;
        if (parseHeader(raw, &name)) {
            sections_.push_back(Section{name, raw, {}});
            continue;
        }
        Line line{raw, QString(), QString()};
        parseKey(raw, &line.key, &line.value);
        if (sections_.empty())
            preamble_.push_back(std::move(line));
        else
            sections_.back().lines.push_back(std::move(line));
    }
    // The first section of a name is the one that counts.
    sectionIndex_.clear();
    for (int i = int(sections_.size()) - 1; i >= 0; --i)
        sectionIndex_.insert(sections_[i].name.toLower(), i);
}

int TIniFile::sectionIndex(const QString& section) const
{
    return sectionIndex_.value(section.trimmed().toLower(), -1);
}

const TIniFile::Line* TIniFile::find(const QString& section, const QString& key) const
{
    const int s = sectionIndex(section);
    if (s < 0)
        return nullptr;
    for (const Line& line : sections_[s].lines)
        if (!line.key.isEmpty() && line.key.compare(key, Qt::CaseInsensitive) == 0)
            return &line;
    return nullptr;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Line* line = find(section, key);
    return line ? line->value : defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    modified_ = true;
    const QString text = key + QLatin1Char('=') + value;
    int s = sectionIndex(section);
    if (s < 0) {
        s = int(sections_.size());
        sections_.push_back(Section{section, QLatin1Char('[') + section + QLatin1Char(']'), {}});
        sectionIndex_.insert(section.toLower(), s);
    }
    auto& lines = sections_[s].lines;
    for (Line& line : lines) {
        if (!line.key.isEmpty() && line.key.compare(key, Qt::CaseInsensitive) == 0) {
            line = Line{text, key, value};
            return;
        }
    }
    // A new key goes after the section's last key, before trailing blank lines.
    auto pos = lines.end();
    while (pos != lines.begin() && std::prev(pos)->key.isEmpty() && std::prev(pos)->text.trimmed().isEmpty())
        --pos;
    lines.insert(pos, Line{text, key, value});
}

QStringList TIniFile::Sections() const
{
    QStringList names;
    for (const Section& s : sections_)
        names << s.name;
    return names;
}

QStringList TIniFile::Keys(const QString& section) const
{
    QStringList keys;
    const int s = sectionIndex(section);
    if (s >= 0)
        for (const Line& line : sections_[s].lines)
            if (!line.key.isEmpty())
                keys << line.key;
    return keys;
}

QByteArray TIniFile::Content() const
{
    QString text;
    for (const Line& line : preamble_)
        text += line.text + newline_;
    for (const Section& s : sections_) {
        text += s.header + newline_;
        for (const Line& line : s.lines)
            text += line.text + newline_;
    }
    QByteArray bytes = text.toUtf8();
    if (bom_)
        bytes.prepend("\xEF\xBB\xBF");
    return bytes;
}

QString TIniFile::UpdateFile()
{
    if (!modified_)
        return QString();
    const QString error = writeFileAtomically(fileName_, Content());
    if (error.isEmpty())
        modified_ = false;
    return error;
}
