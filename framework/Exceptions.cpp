#include "Exceptions.h"

int StrToInt(const QString& text)
{
    bool ok = false;
    // Leading and trailing blanks are not accepted, as in the classic conversion;
    // a "$" prefix means hexadecimal there, and is accepted here too.
    const QString t = text;
    int value = 0;
    if (t.startsWith('$'))
        value = t.mid(1).toInt(&ok, 16);
    else if (!t.isEmpty() && !t.front().isSpace() && !t.back().isSpace())
        value = t.toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}
