// The framework's exception family. An exception of this family that escapes
// an event handler is shown in the application's standard error box.
#pragma once

#include <QString>
#include <stdexcept>

class Exception : public std::runtime_error {
public:
    explicit Exception(const QString& message) : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// A text that should be an integer and is not.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A picture file that cannot be read or written.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created or replaced.
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// Signed 32-bit decimal conversion; raises EConvertError as the classic
// conversion does, with the offending text in the message.
int StrToInt(const QString& text);
inline QString IntToStr(int value) { return QString::number(value); }
