#pragma once

#include <QByteArray>
#include <QString>
#include <string>

// Text inside the program is 8-bit; a byte is one Latin-1 character on screen.
inline QString ToQString(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters outside Latin-1 become '?', as an 8-bit control would show them.
inline std::string FromQString(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
