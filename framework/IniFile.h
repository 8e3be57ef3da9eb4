// An INI file with the classic desktop semantics: sections and keys match
// without regard to letter case, values are raw text (a backslash is just a
// character), CRLF and LF files are read, lines that are not keys and other
// sections and keys are kept as they were. Changes are held in memory and
// written by UpdateFile, as UTF-8, replacing the file atomically.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class TIniFile {
public:
    // A settings file larger than this is not read.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    // Reads the file if it exists; any content of a regular file up to
    // MaxFileSize is accepted. Anything else is left unread (ReadError says
    // why) and the object starts empty.
    explicit TIniFile(QString fileName);
    // Takes bytes as the file's content without reading the file.
    TIniFile(QString fileName, QByteArray bytes);

    const QString& FileName() const { return fileName_; }
    // Why an existing file could not be read, or "".
    const QString& ReadError() const { return readError_; }
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    QStringList Sections() const;
    QStringList Keys(const QString& section) const;
    bool Modified() const { return modified_; }
    // Writes the file if anything changed; returns an error text or "".
    QString UpdateFile();
    // What UpdateFile writes.
    QByteArray Content() const;

private:
    struct Line {
        QString text;  // the line as read, or as built for a new key
        QString key;   // empty for a line that is not a key
        QString value;
    };
    struct Section {
        QString name;
        QString header;
        std::vector<Line> lines;
    };

    void read(QByteArray bytes);
    void parse(const QString& text);
    const Line* find(const QString& section, const QString& key) const;
    int sectionIndex(const QString& section) const;

    QString fileName_;
    std::vector<Line> preamble_; // lines before the first section header
    std::vector<Section> sections_;
    QHash<QString, int> sectionIndex_; // lower-case name -> first section of that name
    QString newline_ = QStringLiteral("\r\n");
    bool bom_ = false;
    QString readError_;
    bool modified_ = false;
};
