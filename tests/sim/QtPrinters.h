#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Readable failure messages: reply bytes as a quoted string with CR shown as \r.
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            *out << "\\r";
        else if (c == '\n')
            *out << "\\n";
        else if (byte >= 0x20 && byte <= 0x7e && c != '\\' && c != '"')
            *out << c;
        else
            *out << "\\x"
                 << "0123456789abcdef"[byte >> 4] << "0123456789abcdef"[byte & 15];
    }
    *out << '"';
}

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
